#include "views/CurveMath.h"

#include <cmath>
#include <functional>
#include <map>

namespace CurveMath
{

namespace
{
    constexpr double log5Over1200 = 0.22699865596843405;   // log10 (5) / log10 (1200)
    constexpr double twoOver1200 = 0.649523311616411;      // 2 / log10 (1200)
    constexpr double log240 = 2.380211353302002;           // log10 (240)
}

double markerX100 (int W) noexcept
{
    return 15.0 + (W - 25) * log5Over1200;
}

double markerTwoDecades (int W) noexcept
{
    return (W - 25) * twoOver1200;
}

double markerFrequency (double x, int W) noexcept
{
    return std::pow (10.0, 2.0 + 2.0 * (x - markerX100 (W)) / markerTwoDecades (W));
}

double markerX (double frequency, int W) noexcept
{
    return markerX100 (W) + markerTwoDecades (W) * std::log10 (frequency / 100.0) * 0.5;
}

int marker24kX (int W) noexcept
{
    return (int) (float) (markerX100 (W) + markerTwoDecades (W) * log240 * 0.5);
}

juce::String markerLabel (double x, int W)
{
    const auto f = markerFrequency (x, W);
    const auto k = f / 1000.0;

    if (k >= 1.0)
        return juce::String (k, k > 10.0 ? 2 : 1) + "k";

    const auto r = juce::roundToInt (f);
    if (r >= 100 && r <= 500)
        return juce::String (juce::roundToInt ((f + 2.5) / 5.0) * 5);

    return juce::String (juce::roundToInt (f + 0.5));
}

float pointFrequency (float x, int W) noexcept
{
    const auto exponent = 3.0f * (x - 10.0f) / (float) (W - 40);
    return 20.0f * std::pow (10.0f, exponent);
}

float gainZeroY (int H) noexcept
{
    return (float) ((H - 30) * 6.0 / 16.0);
}

float gainAt (float y, int H) noexcept
{
    return (gainZeroY (H) - y) / 16.0f;
}

int flatLineY (int H) noexcept
{
    return (int) ((H - 10) * 6.0 / 16.0 + 5.0);
}

int flatPointTop (int H) noexcept
{
    return (int) ((H - 10) * 6.0 / 16.0 + 5.0 - 6.0);
}

juce::String pointReadout (juce::Point<float> centre, int W, int H)
{
    const auto frequency = (int) pointFrequency (centre.x, W);
    const auto gain = (int) ((gainZeroY (H) - centre.y + 6.0f) / 16.0f + 0.5f);
    return juce::String (frequency) + "Hz" + "  " + juce::String (gain) + "dB";
}

juce::Path buildCurve (juce::Point<int> p1, const std::vector<juce::Point<int>>& centres, juce::Point<int> p2)
{
    std::map<float, float> knots;
    knots.emplace ((float) p1.x, (float) p1.y);
    for (const auto& c : centres)
        knots.emplace ((float) c.x, (float) c.y);
    knots.emplace ((float) p2.x, (float) p2.y);

    juce::Path curve;
    curve.startNewSubPath (p1.toFloat());

    for (auto it = knots.begin(), next = std::next (it); next != knots.end(); ++it, ++next)
    {
        const auto [x0, y0] = *it;
        const auto [x1, y1] = *next;
        const auto d = (x1 - x0) * 0.6f;
        curve.cubicTo (x0 + d, y0, x1 - d, y1, x1, y1);
    }

    return curve;
}

std::vector<juce::Line<float>> flatten (const juce::Path& curve)
{
    std::vector<juce::Line<float>> segments;
    juce::PathFlatteningIterator it (curve, juce::AffineTransform(), juce::Path::defaultToleranceForMeasurement);

    while (it.next())
        segments.emplace_back (it.x1, it.y1, it.x2, it.y2);

    return segments;
}

std::optional<NearestPoint> nearestOnCurve (const std::vector<juce::Line<float>>& segments, juce::Point<float> p)
{
    std::optional<NearestPoint> best;

    for (const auto& segment : segments)
    {
        juce::Point<float> onSegment;
        const auto distance = segment.getDistanceFromPoint (p, onSegment);

        if (! best || distance < best->distance)
            best = NearestPoint { distance, onSegment };
    }

    return best;
}

namespace
{
    PointMessage makeMessage (const CurveState& s, int flag, float first, float second,
                              const std::function<float (int)>& xValue, const std::function<float (int)>& yValue)
    {
        const auto k = juce::jmin ((int) s.sortedCentres.size(), maxPointsSent);

        PointMessage m;
        m.count = k + 2;
        m.first = first;
        m.second = second;
        m.flag = flag;

        auto& v = m.values;
        v[0] = 1.0f;
        for (int i = 0; i < k; ++i)
            v[(size_t) (1 + i)] = xValue (s.sortedCentres[(size_t) i].x);
        v[(size_t) (k + 1)] = 24000.0f;

        v[(size_t) (k + 2)] = yValue (s.p1.y);
        for (int i = 0; i < k; ++i)
            v[(size_t) (k + 3 + i)] = yValue (s.sortedCentres[(size_t) i].y);
        v[(size_t) (2 * k + 3)] = yValue (s.p2.y);

        return m;
    }
}

PointMessage makeDestPointsInPixels (const CurveState& s, int flag)
{
    const auto pixels = [] (int value) { return (float) value; };
    return makeMessage (s, flag, s.currentPos, s.currentPosH, pixels, pixels);
}

PointMessage makeDestPointsInUnits (const CurveState& s, int W, int H, int flag)
{
    return makeMessage (s, flag,
                        (float) markerFrequency (s.currentPos, W),
                        (float) markerFrequency (s.currentPosH, W),
                        [W] (int x) { return pointFrequency ((float) x, W); },
                        [H] (int y) { return gainAt ((float) y, H); });
}

PointMessage makeFlatDestPointsInUnits (const CurveState& s, int W, int H, int flag)
{
    auto m = makeDestPointsInUnits (s, W, H, flag);
    const auto k = m.count - 2;

    for (int i = k + 2; i <= 2 * k + 3; ++i)
        m.values[(size_t) i] = 0.0f;

    return m;
}

}
