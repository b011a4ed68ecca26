#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>
#include <optional>

// The arithmetic behind the unit's reports, kept apart from the panels so it
// can be checked on its own.
namespace Reports
{
    constexpr int codeOf (char c1, char c2) noexcept { return ((unsigned char) c1 << 8) | (unsigned char) c2; }

    //==========================================================================
    // Level report "VA": ten values of a first group (held, falling 1.7 dB a
    // report unless a higher level arrives) and ten of a second group (a new
    // peak is held for 32 reports, then falls 1.7 dB a report).
    inline constexpr int levelsPerGroup = 10;

    struct LevelHold
    {
        std::array<float, 2 * levelsPerGroup> held;   // 0..9 first group, 10..19 second
        std::array<int, levelsPerGroup> counters;

        LevelHold() noexcept { reset(); }
        void reset() noexcept;
    };

    // 20 log10 (a 2^-24) in single precision: a = 2^24 is 0 dB.
    float levelDb (float a) noexcept;

    // The meter's display value of a held level.
    float meterDisplayValue (float held) noexcept;

    // Updates the held values and counters from one report and writes the
    // display values of both groups.
    void applyLevelReport (LevelHold& state,
                           const float* firstGroup, const float* secondGroup,
                           float* displayFirst, float* displaySecond) noexcept;

    // The same on held values (2 x levelsPerGroup) and hold counters
    // (levelsPerGroup) kept elsewhere.
    void applyLevelReport (float* held, int* counters,
                           const float* firstGroup, const float* secondGroup,
                           float* displayFirst, float* displaySecond) noexcept;

    //==========================================================================
    // Input level report "IL": the input meter's slider value, or nothing for
    // a level that is not a number.
    std::optional<float> inputMeterValue (float v) noexcept;

    // The level label: v - micGain / 2 + 192 with one decimal, then "dB".
    juce::String inputLevelLabel (float v, float micGain);

    //==========================================================================
    // "SC": the sample-clock label of a clock source and rate; nothing for a
    // source other than 1, 2 or 3; "Not Support" for a rate not in its table.
    std::optional<juce::String> sampleClockLabel (int source, int rate);

    // "OT": the short sample-rate label of its rate code 1..4.
    std::optional<juce::String> outputSampleRateLabel (int code);

    // "OT": the clock source box id from its source and rate arguments.
    std::optional<int> outputClockSourceId (int source, int rate) noexcept;

    //==========================================================================
    // The settings snapshot "//reg".
    struct StereoFormatAndSub { int stereoFormat; int sub; };
    std::optional<StereoFormatAndSub> stereoFormatFromReg (std::int32_t w9) noexcept;

    // 20 log10 of word 3 taken as a linear float gain (a gain of 0 is minus
    // infinity, the slider's lowest value); nothing for a word that is not a
    // gain at all (negative or not a number).
    std::optional<float> masterGainFromReg (std::uint32_t w3) noexcept;

    //==========================================================================
    // "//lmt" words as the compressor panel shows them.
    struct LmtWord { int b0, b1, b2, b3; bool hiNonZero; };
    LmtWord splitLmtWord (std::uint32_t w) noexcept;

    //==========================================================================
    // "RF": the output configuration code for the system panel's mode.
    int outputConfigurationCode (int mode) noexcept;
}
