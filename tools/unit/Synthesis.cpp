#include "Synthesis.h"

#include <algorithm>
#include <cmath>

namespace unit::synth
{

namespace
{
    constexpr double pi = 3.14159265358979323846;
    constexpr double sampleRate = 48000.0;

    // A resonance of gainDb at f0 with quality q, on a log-frequency bell.
    double bell (double f, double f0, double q, double gainDb)
    {
        const double x = f / f0 - f0 / f;
        return gainDb / (1.0 + q * q * x * x);
    }

    std::vector<float> averageResponse (const std::vector<std::vector<float>>& measuredDb, const std::vector<float>& hz, int channel)
    {
        // Without a measurement: a typical room, the response of a point in the middle.
        if (measuredDb.empty())
            return roomResponseDb (3, 0, hz);

        std::vector<float> avg (hz.size(), 0.0f);

        // The right channel weighs the points the other way round.
        double total = 0;
        for (size_t p = 0; p < measuredDb.size(); ++p)
        {
            const double w = channel == 0 ? 1.0 + (double) p : 1.0 + (double) (measuredDb.size() - 1 - p);
            total += w;
            for (size_t i = 0; i < avg.size() && i < measuredDb[p].size(); ++i)
                avg[i] += (float) (w * measuredDb[p][i]);
        }
        for (auto& a : avg)
            a = (float) (a / total);
        return avg;
    }

    struct Biquad { double b0, b1, b2, a0, a1, a2; };

    Biquad butterworth (double fc, bool highPass)
    {
        const double w0 = 2.0 * pi * fc / sampleRate;
        const double alpha = std::sin (w0) / (2.0 * std::sqrt (0.5));
        const double c = std::cos (w0);
        if (highPass)
            return { (1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha };
        return { (1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha };
    }
}

float Noise::next() noexcept
{
    state = state * 1664525u + 1013904223u;
    return (float) ((state >> 8) & 0xffffff) / 8388608.0f - 1.0f;
}

std::vector<float> spectrumFrequencies()
{
    std::vector<float> hz ((size_t) spectrumPoints);
    for (int i = 0; i < spectrumPoints; ++i)
        hz[(size_t) i] = (float) (20.0 * std::pow (1000.0, (double) i / (spectrumPoints - 1)));
    return hz;
}

std::vector<float> roomResponseDb (int point, int take, const std::vector<float>& frequencies)
{
    static constexpr double modes[][2] = { { 38, 6 }, { 57, 8 }, { 76, 7 }, { 114, 9 }, { 151, 10 }, { 228, 12 } };

    Noise noise ((std::uint32_t) (point * 7919 + take * 104729 + 1));
    const double p = (double) point;
    const double delayMs = 2.1 + 0.37 * p;

    std::vector<float> out (frequencies.size());
    double smoothed = 0;

    for (size_t i = 0; i < frequencies.size(); ++i)
    {
        const double f = std::max (1.0, (double) frequencies[i]);

        double r = -10.0 * std::log10 (1.0 + std::pow (45.0 / f, 8.0));          // the woofer's roll-off
        r += -10.0 * std::log10 (1.0 + std::pow (f / 18000.0, 4.0));             // the tweeter's

        for (size_t m = 0; m < std::size (modes); ++m)
        {
            const double gain = 7.0 * std::cos (pi * p * (double) (m + 1) / 6.0 + 0.4 * (double) m);
            r += bell (f, modes[m][0] * (1.0 + 0.01 * p), modes[m][1], gain);
        }

        if (f > 2000.0)
            r -= 1.5 * (p / 5.0) * std::log2 (f / 2000.0);                       // off axis

        if (f > 200.0)
            r += 1.5 / (1.0 + f / 4000.0) * std::cos (2.0 * pi * f * delayMs / 1000.0);

        smoothed = 0.6 * smoothed + 0.4 * noise.next();
        r += 1.2 * smoothed;

        out[i] = (float) r;
    }

    return out;
}

std::vector<float> pointSpectrum (int point, int take)
{
    const auto hz = spectrumFrequencies();
    const auto r = roomResponseDb (point, take, hz);

    std::vector<float> values;
    values.reserve ((size_t) spectrumValues);
    for (auto level : r)
        values.push_back ((float) std::pow (10.0, (-90.0 + level) / 20.0));
    values.insert (values.end(), hz.begin(), hz.end());
    return values;
}

float TargetCurve::gainAt (float f) const
{
    if (hz.empty())
        return 0.0f;
    if (f <= hz.front())
        return db.front();
    if (f >= hz.back())
        return db.back();

    const auto upper = (size_t) (std::upper_bound (hz.begin(), hz.end(), f) - hz.begin());
    const auto lower = upper - 1;
    const double a = std::log (std::max (1.0e-3f, hz[lower])), b = std::log (hz[upper]);
    const double t = b > a ? (std::log (f) - a) / (b - a) : 0.0;
    return (float) (db[lower] + t * (db[upper] - db[lower]));
}

std::vector<float> resultSpectrum (int channel, const std::vector<std::vector<float>>& measuredDb, const TargetCurve& target)
{
    const auto hz = spectrumFrequencies();
    const auto avg = averageResponse (measuredDb, hz, channel);
    Noise noise ((std::uint32_t) (9001 + channel));

    std::vector<float> values;
    values.reserve ((size_t) spectrumValues);

    for (size_t i = 0; i < hz.size(); ++i)
    {
        // What the correction leaves: part of the room, and a mode of each
        // side's own that it cannot take out.
        const bool corrected = hz[i] >= target.fromHz && hz[i] <= target.toHz;
        const double f = hz[i];
        const double own = channel == 0 ? bell (f, 63.0, 4.0, 3.0) + 1.0 : bell (f, 92.0, 5.0, -4.0) - 2.0;
        const double residual = (corrected ? 0.3 * avg[i] + target.gainAt (hz[i]) : avg[i]) + own;
        const double level = std::clamp (residual + 0.3 * noise.next(), -50.0, 50.0);
        values.push_back ((float) (-215.0 + 2.5 * level));
    }

    values.insert (values.end(), hz.begin(), hz.end());
    return values;
}

std::vector<float> powerSpectrum (int channel, const std::vector<std::vector<float>>& measuredDb)
{
    constexpr int bins = 32768;
    std::vector<float> hz ((size_t) bins);
    for (int k = 0; k < bins; ++k)
        hz[(size_t) k] = (float) std::max (1.0, k * sampleRate / 2.0 / bins);

    // The room only matters for the shape; sample it on the bins.
    const auto avg = averageResponse (measuredDb, spectrumFrequencies(), channel);
    const auto freqs = spectrumFrequencies();
    Noise noise ((std::uint32_t) (77 + channel));

    std::vector<float> out;
    out.reserve ((size_t) powerSpectrumWords);
    size_t j = 0;
    for (int k = 0; k < bins; ++k)
    {
        while (j + 1 < freqs.size() && freqs[j + 1] <= hz[(size_t) k])
            ++j;
        const double pink = -40.0 - 10.0 * std::log10 (hz[(size_t) k] / 20.0);
        const double level = pink + avg[j] + 2.0 * noise.next();
        out.push_back ((float) std::pow (10.0, level / 10.0));
    }

    out.push_back ((float) sampleRate);
    out.push_back ((float) bins);
    out.push_back (64.0f);
    return out;
}

std::vector<float> crossoverData (const float cornersHz[3], int code)
{
    const bool sub = (code & 4) != 0;
    const int ways = (code & 3) == 3 ? 3 : ((code & 3) == 1 ? 2 : 1);
    const bool active[4] = { sub, true, ways >= 2, ways >= 3 };

    const float highPass[4] = { 0.0f, sub ? cornersHz[0] : 0.0f, cornersHz[1], cornersHz[2] };
    const float lowPass[4] = { cornersHz[0], ways >= 2 ? cornersHz[1] : 0.0f, ways >= 3 ? cornersHz[2] : 0.0f, 0.0f };

    std::vector<float> out;
    out.reserve ((size_t) crossWords);

    for (int output = 0; output < 8; ++output)
    {
        const int band = output / 2;
        std::vector<float> words (27, 0.0f);

        if (active[band])
        {
            words[0] = (float) (output + 1);
            words[1] = highPass[band];
            words[2] = lowPass[band];

            size_t at = 3;
            for (int filter = 0; filter < 2; ++filter)
            {
                const double fc = filter == 0 ? highPass[band] : lowPass[band];
                for (int stage = 0; stage < 2; ++stage)
                {
                    const Biquad q = fc > 0 ? butterworth (fc, filter == 0) : Biquad { 1, 0, 0, 1, 0, 0 };
                    for (double c : { q.b0, q.b1, q.b2, q.a0, q.a1, q.a2 })
                        words[at++] = (float) c;
                }
            }
        }

        out.insert (out.end(), words.begin(), words.end());
    }

    return out;
}

std::vector<float> amplitudeData (const TargetCurve& target)
{
    std::vector<float> out ((size_t) amplitudeWords);
    for (int k = 0; k < amplitudeWords; ++k)
    {
        const float f = (float) std::max (1.0, k * sampleRate / 2.0 / amplitudeWords);
        const bool applied = f >= target.fromHz && f <= target.toHz;
        out[(size_t) k] = applied ? (float) std::pow (10.0, target.gainAt (f) / 20.0) : 1.0f;
    }
    return out;
}

} // namespace unit::synth
