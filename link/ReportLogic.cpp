#include "link/ReportLogic.h"

#include <cmath>
#include <cstring>

namespace Reports
{

void LevelHold::reset() noexcept
{
    held.fill (-100.0f);
    counters.fill (0);
}

float levelDb (float a) noexcept
{
    return 20.0f * std::log10 (a * 5.9604645e-08f);
}

namespace
{
    float fallen (float h) noexcept
    {
        return (float) ((double) h - 1.7);
    }
}

float meterDisplayValue (float held) noexcept
{
    const float t = -70.0f - held;

    if (t > -0.5f)
        return -0.5f;

    if (t >= -40.0f)
        return (float) ((double) t * 0.7547);

    if (t < -40.0f)
        return (float) (((double) t + 40.0) * 1.5094 - 30.12);

    return -0.5f;
}

void applyLevelReport (LevelHold& state, const float* first, const float* second,
                       float* displayFirst, float* displaySecond) noexcept
{
    applyLevelReport (state.held.data(), state.counters.data(), first, second, displayFirst, displaySecond);
}

void applyLevelReport (float* held, int* counters, const float* first, const float* second,
                       float* displayFirst, float* displaySecond) noexcept
{
    for (int k = 0; k < levelsPerGroup; ++k)
    {
        const float level = levelDb (first[k]);
        const float lower = fallen (held[k]);
        const float h = level > lower ? level : lower;
        held[k] = h;
        displayFirst[k] = meterDisplayValue (h);
    }

    for (int k = 0; k < levelsPerGroup; ++k)
    {
        const float level = levelDb (second[k]);
        auto& h = held[levelsPerGroup + k];
        auto& c = counters[k];

        if (c >= 33)
            h = fallen (h);

        if (level > h)
        {
            h = level;
            c = 1;
        }
        else if (c <= 511)
        {
            ++c;
        }

        displaySecond[k] = meterDisplayValue (h);
    }
}

std::optional<float> inputMeterValue (float v) noexcept
{
    if (std::isnan (v))
        return std::nullopt;

    const float t = -62.0f - v;
    if (t > -0.5f)
        return -0.5f;
    if (t >= -40.0f)
        return t;
    return 2.0f * t + 40.0f;
}

juce::String inputLevelLabel (float v, float micGain)
{
    return juce::String (v - 0.5f * micGain + 192.0f, 1) + "dB";
}

std::optional<juce::String> sampleClockLabel (int source, int rate)
{
    static constexpr int rates[3][4] = { { 4, 1, 2, 3 },    // source 1
                                         { 1, 2, 5, 7 },    // source 2
                                         { 0, 1, 2, 3 } };  // source 3
    static const char* const labels[4] = { "44.1k Hz", "48k Hz", "96k Hz", "192k Hz" };

    if (source < 1 || source > 3)
        return std::nullopt;

    for (int i = 0; i < 4; ++i)
        if (rates[source - 1][i] == rate)
            return juce::String (labels[i]);

    return juce::String ("Not Support");
}

std::optional<juce::String> outputSampleRateLabel (int code)
{
    switch (code)
    {
        case 1: return juce::String ("48k");
        case 2: return juce::String ("96k");
        case 3: return juce::String ("192k");
        case 4: return juce::String ("44.1k");
        default: return std::nullopt;
    }
}

std::optional<int> outputClockSourceId (int source, int rate) noexcept
{
    switch (source)
    {
        case 1: return rate;
        case 2: return 5;
        case 3: return 6;
        default: return std::nullopt;
    }
}

std::optional<StereoFormatAndSub> stereoFormatFromReg (std::int32_t w9) noexcept
{
    switch (w9)
    {
        case 48: return StereoFormatAndSub { 1, 1 };
        case 49: return StereoFormatAndSub { 2, 1 };
        case 51: return StereoFormatAndSub { 3, 1 };
        case 52: return StereoFormatAndSub { 1, 3 };
        case 53: return StereoFormatAndSub { 2, 3 };
        case 55: return StereoFormatAndSub { 3, 3 };
        case 60: return StereoFormatAndSub { 1, 2 };
        case 61: return StereoFormatAndSub { 2, 2 };
        case 63: return StereoFormatAndSub { 3, 2 };
        default: return std::nullopt;
    }
}

std::optional<float> masterGainFromReg (std::uint32_t w3) noexcept
{
    float linear;
    std::memcpy (&linear, &w3, sizeof (linear));
    const float db = 20.0f * std::log10 (linear);
    if (std::isnan (db))
        return std::nullopt;
    return db;
}

LmtWord splitLmtWord (std::uint32_t w) noexcept
{
    return { (int) (w & 0xff), (int) ((w >> 8) & 0xff), (int) ((w >> 16) & 0xff), (int) ((w >> 24) & 0xff),
             (w >> 16) != 0 };
}

int outputConfigurationCode (int mode) noexcept
{
    switch (mode)
    {
        case 2: return 12;
        case 3: return 4;
        default: return 0;
    }
}

}
