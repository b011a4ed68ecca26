#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <optional>
#include <vector>

// Scales, labels, the drawn curve and the curve messages of the target curve
// editor. Everything is in the editor's pixel coordinates; W and H are the
// editor's width and height (698 x 297 in the fixed window).
namespace CurveMath
{
    //==========================================================================
    // Marker scale (the from and to markers, grid lines and grid labels):
    // 20 Hz at x = 15, 24 kHz at x = W - 10.
    double markerX100 (int W) noexcept;          // x of 100 Hz
    double markerTwoDecades (int W) noexcept;    // width of two decades
    double markerFrequency (double x, int W) noexcept;
    double markerX (double frequency, int W) noexcept;
    int marker24kX (int W) noexcept;             // the furthest right a marker goes

    // "20", "255", "1.5k", "24.00k": the label of a marker at x.
    juce::String markerLabel (double x, int W);

    // Point scale (the curve points in the AT message and the readout):
    // 20 Hz at x = 10, 20 kHz at x = W - 30.
    float pointFrequency (float x, int W) noexcept;

    // Gain scale: 16 pixels per decibel, 0 dB at y = gainZeroY.
    float gainZeroY (int H) noexcept;
    float gainAt (float y, int H) noexcept;

    // The flat line the editor starts with, and the top edge of a point on it.
    int flatLineY (int H) noexcept;
    int flatPointTop (int H) noexcept;

    // The text shown above a point being dragged: "1003Hz  3dB".
    juce::String pointReadout (juce::Point<float> centre, int W, int H);

    //==========================================================================
    // The curve through p1, the point centres (in list order) and p2: one
    // cubic piece between each pair of neighbours in x, with horizontal
    // tangents at the knots. Of several knots with the same x only the first
    // takes part.
    juce::Path buildCurve (juce::Point<int> p1, const std::vector<juce::Point<int>>& centres, juce::Point<int> p2);

    // The curve as straight segments, in path order (used to hit-test clicks).
    std::vector<juce::Line<float>> flatten (const juce::Path& curve);

    struct NearestPoint
    {
        float distance = 0;
        juce::Point<float> point;
    };

    // The segment nearest to p (the first of equally near ones).
    std::optional<NearestPoint> nearestOnCurve (const std::vector<juce::Line<float>>& segments, juce::Point<float> p);

    //==========================================================================
    inline constexpr int maxPoints = 64;        // a double click adds no more
    inline constexpr int maxPointsSent = 62;    // the messages carry no more
    inline constexpr int numValues = 128;

    // What the curve messages are built from: the end points, the point
    // centres already sorted by x, and the two markers.
    struct CurveState
    {
        juce::Point<int> p1, p2;
        std::vector<juce::Point<int>> sortedCentres;
        float currentPos = 0, currentPosH = 0;
    };

    // count, two floats, a flag and 128 values, as DP and AT carry them.
    struct PointMessage
    {
        int count = 0;
        float first = 0, second = 0;
        int flag = 0;
        std::array<float, numValues> values {};
    };

    // DP: the curve in pixels. The first 62 points at most are taken.
    PointMessage makeDestPointsInPixels (const CurveState&, int flag);

    // AT: the same curve in hertz and decibels.
    PointMessage makeDestPointsInUnits (const CurveState&, int W, int H, int flag);

    // AT of a flat reset: as makeDestPointsInUnits, with the gains of the two
    // end points and of the points set to exactly 0 dB.
    PointMessage makeFlatDestPointsInUnits (const CurveState&, int W, int H, int flag);
}
