#include <gtest/gtest.h>

#include "ReceiverTestSupport.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "link/Receiver.h"
#include "support/PanelTestSupport.h"

#include <array>
#include <cmath>

using namespace PanelTest;
using namespace ReceiverTest;

namespace
{
    constexpr const char* selected = "127.0.0.1";

    using Levels = std::array<float, Reports::levelsPerGroup>;

    juce::OSCMessage levelReport (const Levels& first, const Levels& second, const std::string& address)
    {
        std::vector<Arg> args;
        for (auto v : first)  args.push_back (v);
        for (auto v : second) args.push_back (v);
        args.push_back (address);
        return report ("VA", args);
    }

    Levels filled (float v) { Levels l; l.fill (v); return l; }

    float fallen (float h) { return (float) ((double) h - 1.7); }

    // The meter's display value, limited to the meter's range as the slider keeps it.
    double shown (float held, const juce::Slider& meter)
    {
        return juce::jlimit (meter.getMinimum(), meter.getMaximum(), (double) Reports::meterDisplayValue (held));
    }

    juce::Slider& channelMeter (BottomPanelComponent& bands, int channel)   // channel 0..7
    {
        return child<juce::Slider> (bands, (channel % 2 == 0 ? "oddMeter" : "evenMeter") + juce::String (channel / 2 + 1));
    }

    class ReceiverReports : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            sendCommand.setCurrentIpAddr ({});
            waitFftEvent.reset();
            FrequencyResponseAndCrossoverComponent::mydisplayMode = 0;
            FrequencyResponseAndCrossoverComponent::mydisplayModeAll = 0;
        }

        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
        }

        static void writeWords (const char* name, std::initializer_list<std::uint32_t> ws)
        {
            const std::vector<std::uint32_t> v (ws);
            ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (name), v.data(), v.size()));
        }
    };
}

//==============================================================================
TEST_F (ReceiverReports, LevelReportPutsEachValueOnItsMeter)
{
    LoopbackUnit unit;
    Receiver receiver;
    BottomPanelComponent bands;
    RightComponent right;
    receiver.setPanels (nullptr, &bands, &right, nullptr, nullptr, nullptr, nullptr);

    // Levels louder than their peaks would be hidden by the meters' maxima;
    // these keep every value apart.
    Levels first, second;
    for (int k = 0; k < Reports::levelsPerGroup; ++k)
    {
        first[(size_t) k] = levelValue (-12.0f - 0.5f * (float) k);
        second[(size_t) k] = levelValue (-40.0f - 2.0f * (float) k);
    }

    receiver.oscMessageReceived (levelReport (first, second, selected));
    receiver.oscMessageReceived (levelReport (first, second, selected));

    for (int k = 0; k < Reports::levelsPerGroup; ++k)
    {
        SCOPED_TRACE (k);
        EXPECT_EQ (Receiver::recieve_va_old[k], Reports::levelDb (first[(size_t) k]));
        EXPECT_EQ (Receiver::recieve_va_old[10 + k], Reports::levelDb (second[(size_t) k]));
        EXPECT_EQ (receiver.getHoldCounters()[k], 2);
    }

    for (int c = 0; c < 8; ++c)
    {
        SCOPED_TRACE ("channel " + std::to_string (c + 1));
        auto& meter = channelMeter (bands, c);
        EXPECT_EQ (meter.getValue(), shown (Receiver::recieve_va_old[c], meter));
        EXPECT_EQ (meter.getMaxValue(), shown (Receiver::recieve_va_old[10 + c], meter));
    }

    auto& leftMeter = child<juce::Slider> (right, "leftMeter");
    auto& rightMeter = child<juce::Slider> (right, "rightMeter");
    EXPECT_EQ (leftMeter.getValue(), shown (Receiver::recieve_va_old[8], leftMeter));
    EXPECT_EQ (rightMeter.getValue(), shown (Receiver::recieve_va_old[9], rightMeter));
    EXPECT_EQ (leftMeter.getMaxValue(), shown (Receiver::recieve_va_old[18], leftMeter));
    EXPECT_EQ (rightMeter.getMaxValue(), shown (Receiver::recieve_va_old[19], rightMeter));
}

TEST_F (ReceiverReports, LevelReportSequences)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float fullScale = 16777216.0f;

    struct Report { float first0; float second0; const char* address; int times; };
    struct Case
    {
        const char* name;
        const char* selectedUnit;
        std::vector<Report> reports;
        float held0, held10;
        int counter0;
        bool metersTouched;
    };

    auto fallenTimes = [] (float h, int n) { while (n-- > 0) h = fallen (h); return h; };

    const Case cases[] = {
        { "right after start everything is quiet", selected, { { 0, 0, selected, 1 } }, fallen (-100), -100, 1, true },
        { "the first group falls without limit", selected, { { 0, 0, selected, 50 } }, fallenTimes (-100, 50), fallenTimes (-100, 17), 50, true },
        { "a level that is not a number counts as none", selected, { { nan, nan, selected, 3 } }, fallenTimes (-100, 3), -100, 3, true },
        { "a higher level is taken at once", selected,
          { { 0, 0, selected, 5 }, { levelValue (-20), 0, selected, 1 } }, Reports::levelDb (levelValue (-20)), -100, 6, true },
        { "a full-scale peak is held for 32 reports", selected,
          { { 0, fullScale, selected, 1 }, { 0, 0, selected, 32 } }, fallenTimes (-100, 33), 0.0f, 33, true },
        { "then it falls 1.7 dB a report", selected,
          { { 0, fullScale, selected, 1 }, { 0, 0, selected, 34 } }, fallenTimes (-100, 35), fallenTimes (0, 2), 35, true },
        { "a new peak restarts the hold", selected,
          { { 0, fullScale, selected, 1 }, { 0, 0, selected, 40 }, { 0, levelValue (-6), selected, 1 } },
          fallenTimes (-100, 42), Reports::levelDb (levelValue (-6)), 1, true },
        { "another unit's report changes nothing", selected,
          { { fullScale, fullScale, "10.0.0.9", 3 } }, -100, -100, 0, false },
        { "an address that only starts like the unit's", selected,
          { { fullScale, fullScale, "127.0.0.10", 1 } }, -100, -100, 0, false },
        { "nothing while no unit is selected", "",
          { { fullScale, fullScale, "", 2 } }, -100, -100, 0, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        sendCommand.setCurrentIpAddr (c.selectedUnit);

        Receiver receiver;
        BottomPanelComponent bands;
        RightComponent right;
        receiver.setPanels (nullptr, &bands, &right, nullptr, nullptr, nullptr, nullptr);

        auto& meter = channelMeter (bands, 0);
        meter.setValue (-33.0, juce::dontSendNotification);

        for (const auto& r : c.reports)
        {
            Levels first = filled (0), second = filled (0);
            first[0] = r.first0;
            second[0] = r.second0;
            for (int n = 0; n < r.times; ++n)
                receiver.oscMessageReceived (levelReport (first, second, r.address));
        }

        EXPECT_EQ (Receiver::recieve_va_old[0], c.held0);
        EXPECT_EQ (Receiver::recieve_va_old[10], c.held10);
        EXPECT_EQ (receiver.getHoldCounters()[0], c.counter0);
        EXPECT_EQ (meter.getValue(), c.metersTouched ? shown (c.held0, meter) : -33.0);
    }
}

TEST_F (ReceiverReports, EveryConstructionStartsTheHeldValuesAgain)
{
    sendCommand.setCurrentIpAddr (selected);
    {
        Receiver receiver;
        receiver.oscMessageReceived (levelReport (filled (16777216.0f), filled (16777216.0f), selected));
        EXPECT_EQ (Receiver::recieve_va_old[3], 0.0f);
    }

    Receiver again;
    for (float held : Receiver::recieve_va_old)
        EXPECT_EQ (held, -100.0f);
    EXPECT_EQ (again.getHoldCounters()[3], 0);
}

//==============================================================================
TEST_F (ReceiverReports, InputLevelMovesTheMeterAndLabel)
{
    Receiver receiver;
    LeftComponent left;
    receiver.setPanels (&left, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    auto& meter = *left.getinputLevelSlider();
    auto& label = *left.getTopLabel();

    struct Case { float v; float micGain; double meterValue; const char* label; };
    const Case cases[] = {
        { -70.0f, 190, -0.5,  "27.0dB" },    // t = 8: the quiet end
        { -61.9f, 190, -0.5,  "35.1dB" },    // t = -0.1
        { -61.0f, 190, -1.0,  "36.0dB" },
        { -30.0f, 190, -32.0, "67.0dB" },
        { -22.0f, 190, -40.0, "75.0dB" },    // t = -40, the last of the linear part
        { -10.0f, 190, -64.0, "87.0dB" },    // t = -52: 2t + 40
        {   0.0f, 190, -80.0, "97.0dB" },    // -84, held at the meter's bottom
        { -30.0f, 100, -32.0, "112.0dB" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.v);
        LeftComponent::ml = c.micGain;
        receiver.oscMessageReceived (report ("IL", { c.v }));
        EXPECT_EQ (meter.getValue(), c.meterValue);
        EXPECT_EQ (label.getText(), c.label);
    }

    // Not a number: nothing moves. "CL" zeroes the meter.
    receiver.oscMessageReceived (report ("IL", { std::numeric_limits<float>::quiet_NaN() }));
    EXPECT_EQ (meter.getValue(), -32.0);
    EXPECT_EQ (label.getText(), "112.0dB");

    receiver.oscMessageReceived (report ("CL"));
    EXPECT_EQ (meter.getValue(), 0.0);
    EXPECT_EQ (label.getText(), "112.0dB");
    LeftComponent::ml = 190;
}

TEST_F (ReceiverReports, SampleClockLabel)
{
    Receiver receiver;
    BottomSystemComponent system;
    receiver.setPanels (nullptr, nullptr, nullptr, nullptr, &system, nullptr, nullptr);

    struct Case { int source, rate; const char* label; };
    const Case cases[] = {
        { 1, 1, "48k Hz" }, { 1, 4, "44.1k Hz" }, { 1, 3, "192k Hz" }, { 1, 5, "Not Support" },
        { 2, 5, "96k Hz" }, { 2, 7, "192k Hz" }, { 2, 1, "44.1k Hz" }, { 2, 3, "Not Support" },
        { 3, 0, "44.1k Hz" }, { 3, 2, "96k Hz" }, { 3, -1, "Not Support" },
        { 4, 1, "Not Support" },    // no change: the label keeps the text before
        { 0, 1, "Not Support" },
        { 3, 1, "48k Hz" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::to_string (c.source) + " " + std::to_string (c.rate));
        receiver.oscMessageReceived (report ("SC", { c.source, c.rate }));
        EXPECT_EQ (system.getLabelSL(), c.label);
    }
}

//==============================================================================
TEST_F (ReceiverReports, RefreshSendsTheCurrentSettingsInOrder)
{
    MainContentComponent content;
    pump();
    LoopbackUnit unit;

    content.getRight().setMasterSliderValue (-6.0f);
    content.getRight().setAnalogComboValue (1);
    content.getRight().setMuteStatus (true);
    content.getBottomPanel().setSliderValueLevel1 (-3.0f);
    content.getBottomPanel().setSliderValueLevel3 (2.0f);
    content.getBottomPanel().setSliderValueLevel5 (-10.0f);
    content.getBottomPanel().setSliderValueLevel7 (4.0f);
    content.getLeft().setMlValue (120.0f);
    content.getLeft().setNlValue (-20.0f);
    pump (100);
    unit.commands();

    struct Case { int mode; const char* fo; };
    const Case cases[] = { { 1, "FO 0" }, { 2, "FO 12" }, { 3, "FO 4" }, { 4, "FO 0" }, { 8, "FO 0" }, { 0, "FO 0" } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.mode);
        BottomSystemComponent::mymode = (std::uint8_t) c.mode;
        content.getReceiver().oscMessageReceived (report ("RF"));
        EXPECT_EQ (unit.commands(), (std::vector<std::string> {
            c.fo, "MU 1", "GA -6", "LV 1 -3", "LV 3 2", "LV 5 -10", "LV 7 4", "ML 120", "NL -20", "SE 1",
            "MT 1 0", "MT 2 0", "MT 3 0", "MT 4 0" }));
    }
}

//==============================================================================
TEST_F (ReceiverReports, SettingsSnapshotIsReadIntoThePanels)
{
    const auto gainWord = [] (float linear) { return CacheFiles::floatAsWord (linear); };

    struct Expected { double master; int stereoFormat, sub; double micGain; bool mutes[4]; };
    struct Case
    {
        const char* name;
        bool writeFile;
        std::vector<std::uint32_t> reg;
        Expected expected;
    };

    // The panels start at master 0, "Full Band" with "No Sub", mic gain 190, nothing muted.
    const Expected untouched { 0.0, 1, 1, 190.0, { false, false, false, false } };

    const Case cases[] = {
        { "no file: nothing changes", false, {}, untouched },
        { "every interpreted word", true,
          { 0, 0, 0, gainWord (0.5f), 0, 0, 0, 0, 0, 61, 120, 0, 0b1010, 0 },
          { -6.0, 2, 2, 120.0, { false, true, false, true } } },
        { "3 Way with Sub 2R+1L, all muted", true,
          { 0, 0, 0, gainWord (1.0f), 0, 0, 0, 0, 0, 55, 150, 0, 0xF, 0 },
          { 0.0, 3, 3, 150.0, { true, true, true, true } } },
        { "an unknown configuration word leaves both boxes", true,
          { 0, 0, 0, gainWord (2.0f), 0, 0, 0, 0, 0, 50, 100, 0, 0b0001, 0 },
          { 6.0, 1, 1, 100.0, { true, false, false, false } } },
        { "a gain that is not a number leaves the master", true,
          { 0, 0, 0, 0x7fc00000u, 0, 0, 0, 0, 0, 49, 100, 0, 0, 0 },
          { 0.0, 2, 1, 100.0, { false, false, false, false } } },
        { "a short file reads as zeros", true,
          { 0, 0, 0, gainWord (0.25f) },
          { -12.0, 1, 1, 80.0, { false, false, false, false } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        CacheFiles::getCacheDirectory().deleteRecursively();
        ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
        if (c.writeFile)
            ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::reg), c.reg.data(), c.reg.size()));

        Receiver receiver;
        LeftComponent left;
        RightComponent right;
        BottomSystemComponent system;
        BottomPanelComponent bands;
        pump();
        BottomPanelComponent::m1mute = BottomPanelComponent::m2mute = false;
        BottomPanelComponent::m3mute = BottomPanelComponent::m4mute = false;
        receiver.setPanels (&left, &bands, &right, nullptr, &system, nullptr, nullptr);

        receiver.oscMessageReceived (report ("RK"));

        EXPECT_EQ (right.getMasterSliderValue(), c.expected.master);
        EXPECT_EQ (system.getComboSFValue(), c.expected.stereoFormat);
        EXPECT_EQ (system.getComboSubValue(), c.expected.sub);
        EXPECT_EQ (child<juce::Slider> (left, "micGain").getValue(), c.expected.micGain);
        EXPECT_EQ (BottomPanelComponent::getM1Mute(), c.expected.mutes[0]);
        EXPECT_EQ (BottomPanelComponent::getM2Mute(), c.expected.mutes[1]);
        EXPECT_EQ (BottomPanelComponent::getM3Mute(), c.expected.mutes[2]);
        EXPECT_EQ (BottomPanelComponent::getM4Mute(), c.expected.mutes[3]);
        pump();
    }
}

//==============================================================================
TEST_F (ReceiverReports, CompressorReportShowsTheBandOnScreen)
{
    using P = BottomSaveComponent::Parameter;

    // Band k: threshold 100 + k, ratio 20 + k, knee 30 + k, attack 40 + k,
    // release 50 + k, make-up gain 10 + k; bypass bytes per case.
    const auto lmtWords = [] (int bypassBand, std::uint8_t bypass2, std::uint8_t bypass3)
    {
        std::vector<std::uint32_t> w (8);
        for (std::uint32_t k = 0; k < 4; ++k)
        {
            w[k] = (100 + k) | ((20 + k) << 8) | ((30 + k) << 16) | ((40 + k) << 24);
            const std::uint32_t b2 = (int) k == bypassBand ? bypass2 : 0, b3 = (int) k == bypassBand ? bypass3 : 0;
            w[4 + k] = (50 + k) | ((10 + k) << 8) | (b2 << 16) | (b3 << 24);
        }
        return w;
    };

    struct Case { int band; std::uint8_t bypass2, bypass3; bool bypassBefore; bool bypassAfter; const char* text; };
    const Case cases[] = {
        { 0, 0, 0, true,  false, "COMP_ON" },
        { 1, 1, 1, false, true,  "COMP_OFF" },
        { 2, 1, 0, false, true,  "COMP_OFF" },
        { 3, 0, 1, false, true,  "COMP_OFF" },
        { 1, 0, 0, false, false, "COMP_ON" },
        { 2, 0x80, 0, true, true, "COMP_OFF" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("band " + std::to_string (c.band + 1) + " bypass " + std::to_string (c.bypass2) + "/" + std::to_string (c.bypass3));
        CacheFiles::getCacheDirectory().deleteRecursively();
        ASSERT_TRUE (CacheFiles::ensureCacheDirectory());

        LoopbackUnit unit;
        Receiver receiver;
        BottomSaveComponent compressor;
        receiver.setPanels (nullptr, nullptr, nullptr, nullptr, nullptr, &compressor, nullptr);
        compressor.setComboLmtValue (c.band + 1);
        pump();
        compressor.showLmtBypass (c.bypassBefore);
        unit.commands();

        const auto w = lmtWords (c.band, c.bypass2, c.bypass3);
        ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::lmt), w.data(), w.size()));
        receiver.oscMessageReceived (report ("LK"));

        const auto k = c.band;
        EXPECT_EQ (compressor.getKnob (P::threshold).getValue(), 100 + k);
        EXPECT_EQ (compressor.getKnob (P::ratio).getValue(), 20 + k);
        EXPECT_EQ (compressor.getKnob (P::knee).getValue(), 30 + k);
        EXPECT_EQ (compressor.getKnob (P::attackTime).getValue(), 40 + k);
        EXPECT_EQ (compressor.getKnob (P::releaseTime).getValue(), 50 + k);
        EXPECT_EQ (compressor.getKnob (P::makeUpGain).getValue(), 10 + k);
        EXPECT_EQ (BottomSaveComponent::lmtBypass, c.bypassAfter);
        EXPECT_EQ (compressor.getOnOffButton().getButtonText(), c.text);

        // The knobs report their new positions as a user's turn would; the
        // on/off state is only shown.
        pump (50);
        for (const auto& command : unit.commands())
        {
            EXPECT_EQ (command.rfind ("LM ", 0), 0u) << command;
            const int value = std::stoi (command.substr (3));
            EXPECT_EQ (value >> 16, k) << command;
            EXPECT_NE ((value >> 8) & 0xff, 6) << command;
        }
    }
}

TEST_F (ReceiverReports, CompressorReportWithoutItsFileChangesNothing)
{
    using P = BottomSaveComponent::Parameter;
    Receiver receiver;
    BottomSaveComponent compressor;
    receiver.setPanels (nullptr, nullptr, nullptr, nullptr, nullptr, &compressor, nullptr);
    pump();
    const auto before = compressor.getKnob (P::threshold).getValue();
    const bool bypass = BottomSaveComponent::lmtBypass;

    receiver.oscMessageReceived (report ("LK"));
    EXPECT_EQ (compressor.getKnob (P::threshold).getValue(), before);
    EXPECT_EQ (BottomSaveComponent::lmtBypass, bypass);
}

//==============================================================================
TEST_F (ReceiverReports, AddressedReportsReachTheMasterAndSystemPanels)
{
    LoopbackUnit unit;
    Receiver receiver;
    RightComponent right;
    BottomSystemComponent system;
    LeftComponent left;
    BottomPanelComponent bands;
    receiver.setPanels (&left, &bands, &right, nullptr, &system, nullptr, nullptr);
    pump();

    receiver.oscMessageReceived (report ("GN", { -12.0f, std::string (selected) }));
    receiver.oscMessageReceived (report ("AA", { 1, std::string (selected) }));
    receiver.oscMessageReceived (report ("MT", { 1, std::string (selected) }));
    receiver.oscMessageReceived (report ("CS", { 5, std::string (selected) }));
    receiver.oscMessageReceived (report ("VR", { std::string ("2406100") }));
    receiver.oscMessageReceived (report ("LV", { 4, -7.0f }));
    receiver.oscMessageReceived (report ("LV", { 7, 3.0f }));

    EXPECT_EQ (right.getMasterSliderValue(), -12.0f);
    EXPECT_EQ (right.getAnalogComboValue(), 1);
    EXPECT_TRUE (RightComponent::getMuteStatus());
    EXPECT_EQ (system.getComboCSValue(), 5);
    EXPECT_EQ (system.getVersionText(), formatVersionText ("2406100"));
    EXPECT_EQ (child<juce::Slider> (bands, "level3").getValue(), -7.0) << "band 4 sets band level 5";
    EXPECT_EQ (child<juce::Slider> (bands, "level4").getValue(), 3.0);

    for (bool processing : { true, false })
    {
        receiver.oscMessageReceived (report ("BP", { processing ? 1 : 0, std::string (selected) }));
        EXPECT_EQ (RightComponent::getByPassStatus(), ! processing);
    }

    receiver.oscMessageReceived (report ("48", { 1 }));
    EXPECT_TRUE (LeftComponent::getM48v());
    receiver.oscMessageReceived (report ("48", { 0 }));
    EXPECT_FALSE (LeftComponent::getM48v());
    pump();
}

//==============================================================================
TEST_F (ReceiverReports, SpectrumReportWakesTheResponseView)
{
    Receiver receiver;

    receiver.oscMessageReceived (message ({ words ({ 170, 3, 1400 }) }));
    receiver.oscMessageReceived (message ({ words ({ 187 }) }));
    const auto header = words ({ 3, 1400 });
    EXPECT_EQ (fileBytes (CacheFiles::spectrumPath (3)), std::vector<std::uint8_t> (header.begin(), header.end()));

    struct Case { int m; int all; };
    const Case cases[] = { { 3, 0 }, { 12, 0 }, { 13, 13 }, { 20, 20 } };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.m);
        FrequencyResponseAndCrossoverComponent::mydisplayMode = 0;
        FrequencyResponseAndCrossoverComponent::mydisplayModeAll = 0;
        waitFftEvent.reset();

        receiver.oscMessageReceived (report ("MN", { c.m }));
        EXPECT_EQ (FrequencyResponseAndCrossoverComponent::mydisplayMode, 3) << "the number of the last spectrum header";
        EXPECT_EQ (FrequencyResponseAndCrossoverComponent::mydisplayModeAll, c.all);
        EXPECT_TRUE (waitFftEvent.wait (0));
    }
}

//==============================================================================
namespace
{
    // Everything a report can change, as text.
    std::string fingerprint (MainContentComponent& content, const Receiver& receiver)
    {
        juce::StringArray s;
        const auto slider = [&] (juce::Component& panel, const char* id)
        {
            auto& sl = child<juce::Slider> (panel, id);
            s.add (juce::String (id) + "=" + juce::String (sl.getValue()) + "/" + juce::String (sl.getMaxValue()));
        };

        auto& left = content.getLeft();
        s.add ("ml=" + juce::String (LeftComponent::ml) + " nl=" + juce::String (LeftComponent::nl)
               + " measure=" + juce::String ((int) LeftComponent::mute48v) + " 48v=" + juce::String ((int) LeftComponent::en48v));
        for (auto* id : { "meter", "micGain", "signal" })
            slider (left, id);
        s.add (left.getTopLabel()->getText());

        auto& right = content.getRight();
        s.add ("master=" + juce::String (right.getMasterSliderValue()) + " source=" + juce::String (right.getAnalogComboValue())
               + " mute=" + juce::String ((int) RightComponent::mute) + " bypass=" + juce::String ((int) RightComponent::onoff));
        for (auto* id : { "leftMeter", "rightMeter" })
            slider (right, id);

        auto& system = content.getBottomSystem();
        s.add ("cs=" + juce::String (system.getComboCSValue()) + " sf=" + juce::String (system.getComboSFValue())
               + " sub=" + juce::String (system.getComboSubValue()) + " tap=" + juce::String (system.getComboFilterValue())
               + " mode=" + juce::String ((int) BottomSystemComponent::mymode) + " " + system.getLabelSL() + " " + system.getVersionText());

        auto& bands = content.getBottomPanel();
        for (int band = 1; band <= 4; ++band)
        {
            const auto n = juce::String (band);
            for (auto id : { "level" + n, "oddMeter" + n, "evenMeter" + n })
                slider (bands, id.toRawUTF8());
        }
        s.add ("levels=" + juce::String (BottomPanelComponent::level1) + "," + juce::String (BottomPanelComponent::level3)
               + "," + juce::String (BottomPanelComponent::level5) + "," + juce::String (BottomPanelComponent::level7)
               + " mutes=" + juce::String ((int) BottomPanelComponent::m1mute) + juce::String ((int) BottomPanelComponent::m2mute)
               + juce::String ((int) BottomPanelComponent::m3mute) + juce::String ((int) BottomPanelComponent::m4mute)
               + " freqs=" + juce::String (BottomPanelComponent::freq1) + "," + juce::String (BottomPanelComponent::freq2)
               + "," + juce::String (BottomPanelComponent::freq3));

        auto& save = content.getBottomSave();
        for (int p = 0; p < 6; ++p)
            s.add (juce::String (save.getKnob ((BottomSaveComponent::Parameter) p).getValue()));
        s.add ("band=" + juce::String ((int) BottomSaveComponent::lmtNum) + " off=" + juce::String ((int) BottomSaveComponent::lmtBypass)
               + " " + save.getOnOffButton().getButtonText());

        for (int k = 1; k <= 4; ++k)
            s.add (content.getTop().getUnitLabel (k).getText());

        s.add ("display=" + juce::String (FrequencyResponseAndCrossoverComponent::mydisplayMode) + ","
               + juce::String (FrequencyResponseAndCrossoverComponent::mydisplayModeAll));
        auto& view = content.getCenter().getResponseView();
        s.add ("markers=" + juce::String (view.getCurrentPosBlue()) + "," + juce::String (view.getCurrentPosGreen())
               + "," + juce::String (view.getCurrentPosRed()));
        auto& editor = content.getCenter().getCurveEditor();
        for (auto p : editor.getPointTopLefts())
            s.add ("point " + p.toString());
        s.add ("ends=" + editor.getP1().toString() + " " + editor.getP2().toString() + " from=" + juce::String (CurveComponent::currentPos)
               + " to=" + juce::String (CurveComponent::currentPosH));
        for (int k = 0; k < 20; ++k)
            s.add (juce::String (Receiver::recieve_va_old[k]));
        for (int k = 0; k < 10; ++k)
            s.add (juce::String (receiver.getHoldCounters()[k]));

        for (const auto& f : CacheFiles::getCacheDirectory().findChildFiles (juce::File::findFiles, false))
            s.add (f.getFileName() + ":" + juce::String (f.getSize()));

        return s.joinIntoString ("\n").toStdString();
    }
}

TEST_F (ReceiverReports, MalformedReportsChangeNothing)
{
    MainContentComponent content;
    pump (100);
    LoopbackUnit unit;
    pump (100);
    unit.commands();

    auto& receiver = content.getReceiver();
    const std::string other = "10.0.0.9";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<Arg> twentyLevels (20, Arg { 16777216.0f });
    auto va = [&] (std::vector<Arg> tail) { auto a = twentyLevels; a.insert (a.end(), tail.begin(), tail.end()); return a; };
    std::vector<Arg> nineteenLevels (19, Arg { 16777216.0f });
    nineteenLevels.push_back (std::string (selected));

    struct Case { const char* name; juce::OSCMessage m; };
    const Case cases[] = {
        { "no arguments", message ({}) },
        { "one code letter", message ({ 'O' }) },
        { "code letters as floats", message ({ 79.0f, 75.0f }) },
        { "code letters as a string", message ({ std::string ("OK") }) },
        { "a blob after the first argument", message ({ 'S', words ({ 17 }) }) },
        { "unknown code", report ("ZZ", { 1, 2.0f, std::string (selected) }) },
        { "lower-case letters", report ("ok") },
        { "SC without arguments", report ("SC") },
        { "SC with one argument", report ("SC", { 2 }) },
        { "SC with floats", report ("SC", { 2.0f, 5.0f }) },
        { "OT cut short", report ("OT", { 100.0f, 1000.0f, 5000.0f, -20.0f, 1, 1, 5, 34, 400 }) },
        { "OT with integer frequencies", report ("OT", { 100, 1000, 5000, -20.0f, 1, 1, 5, 34, 400, 600 }) },
        { "IL without a level", report ("IL") },
        { "IL with an integer", report ("IL", { -30 }) },
        { "IL with a level that is not a number", report ("IL", { nan }) },
        { "VA with 19 levels", report ("VA", nineteenLevels) },
        { "VA without address", report ("VA", twentyLevels) },
        { "VA with an integer address", report ("VA", va ({ 1 })) },
        { "VA for another unit", report ("VA", va ({ other })) },
        { "VA with an integer level", report ("VA", [&] { auto a = va ({ std::string (selected) }); a[4] = 7; return a; }()) },
        { "GN without address", report ("GN", { -12.0f }) },
        { "GN for another unit", report ("GN", { -12.0f, other }) },
        { "GN with an integer gain", report ("GN", { -12, std::string (selected) }) },
        { "GN with a gain that is not a number", report ("GN", { nan, std::string (selected) }) },
        { "AA for another unit", report ("AA", { 1, other }) },
        { "AA with the address first", report ("AA", { std::string (selected), 1 }) },
        { "BP for another unit", report ("BP", { 0, other }) },
        { "BP without address", report ("BP", { 0 }) },
        { "MT without address", report ("MT", { 1 }) },
        { "MT for another unit", report ("MT", { 1, other }) },
        { "CS for another unit", report ("CS", { 5, other }) },
        { "CS with an empty address", report ("CS", { 5, std::string() }) },
        { "48 with a float", report ("48", { 1.0f }) },
        { "48 without a state", report ("48") },
        { "VR with a number", report ("VR", { 7 }) },
        { "UN with a number", report ("UN", { 7 }) },
        { "LV with only a band", report ("LV", { 3 }) },
        { "LV with a float band", report ("LV", { 3.0f, -6.0f }) },
        { "LV with a level that is not a number", report ("LV", { 3, nan }) },
        { "MN without a number", report ("MN") },
        { "MN with a float", report ("MN", { 13.0f }) },
    };

    waitAbleEvent.reset();
    const auto before = fingerprint (content, receiver);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        receiver.oscMessageReceived (c.m);
        pump (20);
        EXPECT_EQ (fingerprint (content, receiver), before);
        EXPECT_TRUE (unit.commands().empty());
    }

    EXPECT_FALSE (waitAbleEvent.wait (0));

    // The same through the report port, with datagrams that are no OSC at all.
    const std::vector<std::uint8_t> garbage[] = {
        { 1, 2, 3 },
        { '/', 'j', 'u', 'c', 'e', '/', 'r', 'o', 't', 'a', 'r', 'y', 'k', 'n', 'o', 'b', 0, 0, 0, 0, ',', 'i', 'i', 'f', 0, 0, 0, 0, 0, 0, 0, 'G' },
        datagram ({ 'G', 'N', -12.0f, other }),
        datagram ({ 'V', 'A' }),
    };
    for (const auto& g : garbage)
        ASSERT_TRUE (sendUdp ("127.0.0.1", Receiver::reportPort, g.data(), g.size()));
    pump (200);
    EXPECT_EQ (fingerprint (content, receiver), before);
    EXPECT_TRUE (unit.commands().empty());
}

//==============================================================================
TEST_F (ReceiverReports, DataStreamThroughTheReportPort)
{
    Blob kilobyte (1024), twelve (12), fiftySix (56), hundred (100);
    for (size_t i = 0; i < kilobyte.size(); ++i) kilobyte[i] = (char) i;
    for (size_t i = 0; i < twelve.size(); ++i)   twelve[i] = (char) (200 + i);
    for (size_t i = 0; i < fiftySix.size(); ++i) fiftySix[i] = (char) (i + 1);
    for (size_t i = 0; i < hundred.size(); ++i)  hundred[i] = (char) (99 - i);

    Blob spectrumValues (5600);
    for (size_t i = 0; i < spectrumValues.size(); ++i) spectrumValues[i] = (char) (i * 7);

    const auto concat = [] (std::initializer_list<Blob> parts)
    {
        std::vector<std::uint8_t> out;
        for (const auto& p : parts)
            out.insert (out.end(), p.begin(), p.end());
        return out;
    };

    struct File { juce::String path; std::optional<std::vector<std::uint8_t>> bytes; };
    struct Case
    {
        const char* name;
        std::vector<std::vector<Arg>> messages;
        std::vector<File> files;
    };

    std::vector<std::vector<Arg>> spectrumBlock { { words ({ 170, 3, 1400 }) } };
    for (size_t at = 0; at < spectrumValues.size(); at += 1024)
        spectrumBlock.push_back ({ Blob (spectrumValues.begin() + (long) at,
                                         spectrumValues.begin() + (long) std::min (at + 1024, spectrumValues.size())) });
    spectrumBlock.push_back ({ words ({ 187 }) });

    const Case cases[] = {
        { "a block in pieces of 1024 and 12 bytes",
          { { words ({ 17 }) }, { kilobyte }, { twelve }, { words ({ 85 }) }, { kilobyte } },
          { { CacheFiles::path (CacheFiles::reg), concat ({ kilobyte, twelve }) } } },
        { "a closing word with no file open",
          { { words ({ 85 }) }, { kilobyte } },
          { { CacheFiles::path (CacheFiles::reg), std::nullopt } } },
        { "a word that opens nothing is not data",
          { { words ({ 153 }) }, { words ({ 5 }) }, { fiftySix }, { words ({ 187 }) } },
          { { CacheFiles::path (CacheFiles::lmt), concat ({ fiftySix }) } } },
        { "a spectrum block of 1400 values",
          spectrumBlock,
          { { CacheFiles::spectrumPath (3), concat ({ words ({ 3, 1400 }), spectrumValues }) } } },
        { "a start word while a file is open closes it with its data",
          { { words ({ 34 }) }, { hundred }, { words ({ 17 }) }, { fiftySix }, { words ({ 85 }) } },
          { { CacheFiles::path (CacheFiles::cross), concat ({ hundred }) },
            { CacheFiles::path (CacheFiles::reg), concat ({ fiftySix }) } } },
        { "a blob behind code letters is no data",
          { { words ({ 102 }) }, { 'R', 'K', hundred }, { words ({ 85 }) } },
          { { CacheFiles::path (CacheFiles::despoint), std::vector<std::uint8_t>() } } },
        { "every start word",
          { { words ({ 51 }) }, { twelve }, { words ({ 102 }) }, { fiftySix }, { words ({ 119 }) }, { hundred },
            { words ({ 136 }) }, { kilobyte }, { words ({ 85 }) } },
          { { CacheFiles::path (CacheFiles::amplitude), concat ({ twelve }) },
            { CacheFiles::path (CacheFiles::despoint), concat ({ fiftySix }) },
            { CacheFiles::path (CacheFiles::psdL), concat ({ hundred }) },
            { CacheFiles::path (CacheFiles::psdR), concat ({ kilobyte }) } } },
    };

    Receiver receiver;
    ASSERT_TRUE (receiver.isBound());

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        CacheFiles::getCacheDirectory().deleteRecursively();
        ASSERT_TRUE (CacheFiles::ensureCacheDirectory());

        for (const auto& m : c.messages)
        {
            const auto d = datagram (m);
            ASSERT_TRUE (sendUdp ("127.0.0.1", Receiver::reportPort, d.data(), d.size()));
        }
        pump (200);
        EXPECT_FALSE (receiver.getDataStream().isFileOpen());

        for (const auto& f : c.files)
        {
            SCOPED_TRACE (f.path);
            EXPECT_EQ (juce::File (f.path).existsAsFile(), f.bytes.has_value());
            if (f.bytes)
                EXPECT_EQ (fileBytes (f.path), *f.bytes);
        }
    }
}

//==============================================================================
TEST_F (ReceiverReports, PointRecordRebuildsTheCurveEditor)
{
    struct Record { std::int32_t n; float x, y; std::vector<float> X, Y; };
    using TopLefts = std::vector<juce::Point<int>>;
    struct Expected { TopLefts points; int p1y, p2y; float from, to; };

    const auto encode = [] (const Record& r)
    {
        std::vector<std::uint32_t> w { (std::uint32_t) r.n, CacheFiles::floatAsWord (r.x), CacheFiles::floatAsWord (r.y) };
        for (auto v : r.X) w.push_back (CacheFiles::floatAsWord (v));
        for (auto v : r.Y) w.push_back (CacheFiles::floatAsWord (v));
        return w;
    };

    struct Case { const char* name; std::optional<Record> record; std::optional<Expected> expected; };

    // The editor's start state after layout, which an ignored record keeps.
    const Expected start { { { 294, 106 }, { 494, 106 } }, 112, 112, 13.0f, 688.0f };

    const Case cases[] = {
        { "n = 2: the end points and markers only",
          Record { 2, 20.0f, 600.0f, { 1, 24000 }, { 100, 130 } },
          Expected { {}, 100, 130, 20.0f, 600.0f } },
        { "the Compute curve comes back as it was sent",
          Record { 4, 20.0f, 688.0f, { 1, 300, 500, 24000 }, { 112, 112, 112, 112 } },
          Expected { { { 294, 106 }, { 494, 106 } }, 112, 112, 20.0f, 688.0f } },
        { "positions are truncated toward zero",
          Record { 5, 40.5f, 650.25f, { 1, 150.7f, 300.2f, 450.9f, 24000 }, { 90.5f, 80.9f, 120.1f, 140.6f, 95.2f } },
          Expected { { { 144, 74 }, { 294, 114 }, { 444, 134 } }, 90, 95, 40.5f, 650.25f } },
        { "n = 0 only removes the points",
          Record { 0, 99.0f, 99.0f, {}, {} },
          Expected { {}, 112, 112, 13.0f, 688.0f } },
        { "a short file reads as zeros",
          Record { 3, 30.0f, 500.0f, { 1, 200 }, {} },
          Expected { { { 194, -6 } }, 0, 0, 30.0f, 500.0f } },
        { "n < 0 is ignored", Record { -1, 50.0f, 60.0f, { 1, 2 }, { 3, 4 } }, std::nullopt },
        { "n > 64 is ignored", Record { 65, 50.0f, 60.0f, {}, {} }, std::nullopt },
        { "no file", std::nullopt, std::nullopt },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        CacheFiles::getCacheDirectory().deleteRecursively();
        ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
        if (c.record)
        {
            const auto w = encode (*c.record);
            ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::despoint), w.data(), w.size()));
        }

        Receiver receiver;
        CenterComponent center;
        center.setSize (723, 358);
        receiver.setPanels (nullptr, nullptr, nullptr, &center, nullptr, nullptr, nullptr);
        auto& editor = center.getCurveEditor();
        ASSERT_EQ (editor.getPointTopLefts(), start.points);

        receiver.oscMessageReceived (report ("RK"));
        pump();

        const auto& e = c.expected ? *c.expected : start;
        EXPECT_EQ (editor.getPointTopLefts(), e.points);
        EXPECT_EQ (editor.getNumPoints(), (int) e.points.size());
        EXPECT_EQ (editor.getP1().y, e.p1y);
        EXPECT_EQ (editor.getP2().y, e.p2y);
        EXPECT_EQ (editor.getP1().x, 5);
        EXPECT_EQ (CurveComponent::currentPos, e.from);
        EXPECT_EQ (CurveComponent::currentPosH, e.to);
        for (int i = 0; i < editor.getNumPoints(); ++i)
            EXPECT_EQ (editor.getPoint (i)->getParentComponent(), &editor);
    }
}

TEST_F (ReceiverReports, OutputReportSetsCrossoversClockFilterAndMarkers)
{
    Receiver receiver;
    LeftComponent left;
    BottomPanelComponent bands;
    BottomSystemComponent system;
    CenterComponent center;
    receiver.setPanels (&left, &bands, nullptr, &center, &system, nullptr, nullptr);
    pump();
    auto& view = center.getResponseView();

    struct Expected { int f1, f2, f3; double nl; const char* label; int cs, tap; int blue, green, red; };
    struct Case { const char* name; std::vector<Arg> args; Expected e; };

    const Case cases[] = {
        { "master clock at 96k",
          { 80.9f, 500.2f, 4000.99f, -20.0f, 1, 2, 3, 50, 300, 600 },
          { 80, 500, 4000, -20.0, "96k", 2, 3, 50, 300, 600 } },
        { "AES takes clock source 5",
          { 100.0f, 1000.0f, 8000.0f, -30.0f, 2, 4, 5, 40, 350, 650 },
          { 100, 1000, 8000, -30.0, "44.1k", 5, 5, 40, 350, 650 } },
        { "word clock takes 6, 192k",
          { 60.0f, 900.0f, 5000.0f, -10.0f, 3, 3, 1, 34, 400, 600 },
          { 60, 900, 5000, -10.0, "192k", 6, 1, 34, 400, 600 } },
        { "unknown source and rate change neither",
          { 70.0f, 800.0f, 6000.0f, -15.0f, 9, 9, 2, 36, 410, 610 },
          { 70, 800, 6000, -15.0, "192k", 6, 2, 36, 410, 610 } },
        { "frequencies that are no numbers are left alone",
          { std::numeric_limits<float>::quiet_NaN(), 3.0e10f, -50.7f, -12.0f, 1, 1, 4, 35, 420, 620 },
          { 70, 800, -50, -12.0, "48k", 1, 4, 35, 420, 620 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        receiver.oscMessageReceived (report ("OT", c.args));
        pump();
        EXPECT_EQ (BottomPanelComponent::getFreq1(), c.e.f1);
        EXPECT_EQ (BottomPanelComponent::getFreq2(), c.e.f2);
        EXPECT_EQ (BottomPanelComponent::getFreq3(), c.e.f3);
        EXPECT_EQ (child<juce::Slider> (left, "signal").getValue(), c.e.nl);
        EXPECT_EQ (system.getLabelSL(), c.e.label);
        EXPECT_EQ (system.getComboCSValue(), c.e.cs);
        EXPECT_EQ (system.getComboFilterValue(), c.e.tap);
        EXPECT_EQ (view.getCurrentPosBlue(), c.e.blue);
        EXPECT_EQ (view.getCurrentPosGreen(), c.e.green);
        EXPECT_EQ (view.getCurrentPosRed(), c.e.red);
    }
}
