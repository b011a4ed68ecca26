#include <gtest/gtest.h>

#include "link/ReportLogic.h"

#include <cmath>
#include <limits>

using namespace Reports;

namespace
{
    constexpr float fullScale = 16777216.0f;   // 2^24, 0 dB

    struct Meters
    {
        LevelHold hold;
        float a[10] {}, b[10] {};

        void report (float first, float second)
        {
            float f[10], s[10];
            std::fill (f, f + 10, first);
            std::fill (s, s + 10, second);
            applyLevelReport (hold, f, s, a, b);
        }
    };
}

TEST (LevelReport, DecibelsAndDisplayValues)
{
    EXPECT_FLOAT_EQ (levelDb (fullScale), 0.0f);
    EXPECT_NEAR (levelDb (fullScale / 10.0f), -20.0f, 1e-4f);
    EXPECT_TRUE (std::isinf (levelDb (0.0f)));

    struct { float held, display; } cases[] = {
        { -100.0f, -0.5f },                     // t = 30: the quiet end
        { -70.0f, -0.5f },                      // t = 0
        { -69.5f, (float) (-0.5 * 0.7547) },    // t = -0.5, upper bound of the middle range
        { -69.75f, -0.5f },                     // t = -0.25
        { -50.0f, (float) (-20.0 * 0.7547) },   // t = -20
        { -30.0f, (float) (-40.0 * 0.7547) },   // t = -40, lower bound of the middle range
        { 0.0f, -75.402f },                     // t = -70
    };
    for (const auto& c : cases)
        EXPECT_NEAR (meterDisplayValue (c.held), c.display, 1e-4f) << c.held;
}

TEST (LevelReport, StartsQuietAndFirstGroupFallsWithoutLimit)
{
    Meters m;
    m.report (0.0f, 0.0f);
    for (int k = 0; k < 10; ++k)
    {
        EXPECT_FLOAT_EQ (m.a[k], -0.5f);
        EXPECT_FLOAT_EQ (m.b[k], -0.5f);
    }
    EXPECT_FLOAT_EQ (m.hold.held[0], (float) (-100.0 - 1.7));

    for (int r = 0; r < 99; ++r)
        m.report (0.0f, 0.0f);
    EXPECT_NEAR (m.hold.held[3], -100.0f - 1.7f * 100, 1e-2f);
    EXPECT_FLOAT_EQ (m.a[3], -0.5f);
}

TEST (LevelReport, FirstGroupTakesAHigherLevelAtOnceThenFalls)
{
    Meters m;
    m.report (fullScale, 0.0f);
    EXPECT_FLOAT_EQ (m.hold.held[0], 0.0f);
    EXPECT_NEAR (m.a[0], -75.402f, 1e-4f);

    m.report (0.0f, 0.0f);
    EXPECT_FLOAT_EQ (m.hold.held[0], (float) (0.0 - 1.7));

    m.report (std::numeric_limits<float>::quiet_NaN(), 0.0f);
    EXPECT_FLOAT_EQ (m.hold.held[0], (float) ((double) (float) (0.0 - 1.7) - 1.7));
}

TEST (LevelReport, SecondGroupHoldsAPeakFor32ReportsThenFalls)
{
    Meters m;
    m.report (0.0f, fullScale);
    EXPECT_FLOAT_EQ (m.hold.held[10], 0.0f);
    EXPECT_EQ (m.hold.counters[0], 1);
    EXPECT_NEAR (m.b[0], -75.402f, 1e-4f);

    for (int r = 0; r < 32; ++r)
    {
        m.report (0.0f, fullScale / 100.0f);
        EXPECT_FLOAT_EQ (m.hold.held[10], 0.0f) << "report " << r;
    }
    EXPECT_EQ (m.hold.counters[0], 33);

    m.report (0.0f, 0.0f);
    EXPECT_FLOAT_EQ (m.hold.held[10], (float) (0.0 - 1.7));
    m.report (0.0f, 0.0f);
    EXPECT_FLOAT_EQ (m.hold.held[10], (float) ((double) (float) -1.7 - 1.7));
}

TEST (LevelReport, HoldCounterStopsAt512)
{
    Meters m;
    for (int r = 0; r < 600; ++r)
        m.report (0.0f, 0.0f);
    EXPECT_EQ (m.hold.counters[5], 512);
}

TEST (InputLevel, MeterValueAndLabel)
{
    struct { float v, expected; } cases[] = { { -70.0f, -0.5f }, { -30.0f, -32.0f }, { 0.0f, -84.0f },
                                              { -21.5f, -40.5f * 2 + 40 }, { -22.0f, -40.0f } };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ (*inputMeterValue (c.v), c.expected) << c.v;

    EXPECT_FALSE (inputMeterValue (std::numeric_limits<float>::quiet_NaN()).has_value());
    EXPECT_EQ (inputLevelLabel (-30.0f, 190.0f), "67.0dB");
    EXPECT_EQ (inputLevelLabel (-30.25f, 0.0f), "161.8dB");
}

TEST (SampleClock, LabelTable)
{
    struct { int source, rate; const char* label; } cases[] = {
        { 1, 4, "44.1k Hz" }, { 1, 1, "48k Hz" }, { 1, 2, "96k Hz" }, { 1, 3, "192k Hz" }, { 1, 5, "Not Support" },
        { 2, 1, "44.1k Hz" }, { 2, 2, "48k Hz" }, { 2, 5, "96k Hz" }, { 2, 7, "192k Hz" }, { 2, 3, "Not Support" },
        { 3, 0, "44.1k Hz" }, { 3, 1, "48k Hz" }, { 3, 2, "96k Hz" }, { 3, 3, "192k Hz" }, { 3, 4, "Not Support" },
    };
    for (const auto& c : cases)
        EXPECT_EQ (sampleClockLabel (c.source, c.rate), juce::String (c.label)) << c.source << "/" << c.rate;

    EXPECT_FALSE (sampleClockLabel (4, 1).has_value());
    EXPECT_FALSE (sampleClockLabel (0, 1).has_value());
}

TEST (OutputReport, RateLabelsAndClockSource)
{
    EXPECT_EQ (outputSampleRateLabel (1), juce::String ("48k"));
    EXPECT_EQ (outputSampleRateLabel (4), juce::String ("44.1k"));
    EXPECT_FALSE (outputSampleRateLabel (5).has_value());
    EXPECT_EQ (outputClockSourceId (1, 3), 3);
    EXPECT_EQ (outputClockSourceId (2, 3), 5);
    EXPECT_EQ (outputClockSourceId (3, 3), 6);
    EXPECT_FALSE (outputClockSourceId (4, 3).has_value());
}

TEST (SettingsSnapshot, StereoFormatSubAndGain)
{
    struct { int w9, sf, sub; } cases[] = { { 48, 1, 1 }, { 49, 2, 1 }, { 51, 3, 1 }, { 52, 1, 3 }, { 53, 2, 3 },
                                            { 55, 3, 3 }, { 60, 1, 2 }, { 61, 2, 2 }, { 63, 3, 2 } };
    for (const auto& c : cases)
    {
        const auto r = stereoFormatFromReg (c.w9);
        ASSERT_TRUE (r.has_value()) << c.w9;
        EXPECT_EQ (r->stereoFormat, c.sf);
        EXPECT_EQ (r->sub, c.sub);
    }
    for (int w9 : { 0, 50, 54, 62, 64, -1 })
        EXPECT_FALSE (stereoFormatFromReg (w9).has_value()) << w9;

    const auto word = [] (float f) { std::uint32_t w; std::memcpy (&w, &f, 4); return w; };
    EXPECT_NEAR (*masterGainFromReg (word (0.5f)), -6.0206f, 1e-3f);
    EXPECT_FLOAT_EQ (*masterGainFromReg (word (1.0f)), 0.0f);
    EXPECT_TRUE (std::isinf (*masterGainFromReg (word (0.0f))));
    EXPECT_FALSE (masterGainFromReg (word (-1.0f)).has_value());
}

TEST (Compressor, LmtWordSplit)
{
    const auto w = splitLmtWord (0x04030201u);
    EXPECT_EQ (w.b0, 1);
    EXPECT_EQ (w.b1, 2);
    EXPECT_EQ (w.b2, 3);
    EXPECT_EQ (w.b3, 4);
    EXPECT_TRUE (w.hiNonZero);
    EXPECT_FALSE (splitLmtWord (0x0000ffffu).hiNonZero);
    EXPECT_TRUE (splitLmtWord (0x01000000u).hiNonZero);
}

TEST (RefreshReport, OutputConfigurationCode)
{
    EXPECT_EQ (outputConfigurationCode (1), 0);
    EXPECT_EQ (outputConfigurationCode (2), 12);
    EXPECT_EQ (outputConfigurationCode (3), 4);
    EXPECT_EQ (outputConfigurationCode (7), 0);
}
