#include <gtest/gtest.h>

#include "panels/BottomPanelComponent.h"
#include "support/PanelTestSupport.h"

#include <functional>
#include <limits>

using namespace PanelTest;

namespace
{
    using Strings = std::vector<std::string>;

    const juce::Colour red { 0xFF851001 };

    juce::String id (const char* kind, int band) { return kind + juce::String (band); }

    // Typing into a crossover label as a user does: open its editor, type, press return.
    void type (juce::Label& label, const juce::String& text)
    {
        label.showEditor();
        ASSERT_NE (label.getCurrentTextEditor(), nullptr);
        label.getCurrentTextEditor()->setText (text, false);
        label.hideEditor (false);
    }

    class OutputBandsPanel : public ::testing::Test
    {
    protected:
        void SetUp() override { useAppTypeface(); }
    };
}

TEST_F (OutputBandsPanel, ConstructionResetsTheStaticsAndSendsNothing)
{
    BottomPanelComponent::level3 = 7.0f;
    BottomPanelComponent::m2mute = true;
    BottomPanelComponent::freq1 = 3;

    LoopbackUnit unit;
    BottomPanelComponent bands;
    pump();
    EXPECT_EQ (unit.commands(), Strings {});

    EXPECT_EQ (BottomPanelComponent::getSliderValueLevel1(), 0.0f);
    EXPECT_EQ (BottomPanelComponent::getSliderValueLevel3(), 0.0f);
    EXPECT_EQ (BottomPanelComponent::getSliderValueLevel5(), 0.0f);
    EXPECT_EQ (BottomPanelComponent::getSliderValueLevel7(), 0.0f);
    EXPECT_FALSE (BottomPanelComponent::getM2Mute());
    EXPECT_EQ (BottomPanelComponent::getFreq1(), 50);
    EXPECT_EQ (BottomPanelComponent::getFreq2(), 500);
    EXPECT_EQ (BottomPanelComponent::getFreq3(), 500);
    EXPECT_EQ (child<CustomButton> (bands, "output3").getButtonText(), "OUTPUT 5-6");
    EXPECT_EQ (child<CustomButton> (bands, "output3").getFillColour(), juce::Colours::grey);
    EXPECT_EQ (child<CustomButton> (bands, "mute1").getFillColour(), juce::Colours::green);
    EXPECT_TRUE (bands.getFreqLabel2()->isEditableOnSingleClick());
}

TEST_F (OutputBandsPanel, UserActionsSendTheirCommands)
{
    LoopbackUnit unit;
    BottomPanelComponent bands;
    bands.setSize (339, 298);
    pump();

    auto slider = [&bands] (int band) -> juce::Slider& { return child<juce::Slider> (bands, id ("level", band)); };
    auto mute = [&bands] (int band) -> CustomButton& { return child<CustomButton> (bands, id ("mute", band)); };
    auto drag = [] (juce::Slider& s, std::initializer_list<double> values)
    {
        return [&s, values] { for (auto v : values) s.setValue (v, juce::sendNotificationSync); };
    };

    runSteps (unit, {
        { "band 2 level", drag (slider (2), { -3 }), { "LV 3 -3" },
          [] { EXPECT_EQ (BottomPanelComponent::getSliderValueLevel3(), -3.0f); } },
        { "band 1 dragged", drag (slider (1), { -1, -2, -2, -1.4 }), { "LV 1 -1", "LV 1 -2", "LV 1 -1" },
          [] { EXPECT_EQ (BottomPanelComponent::getSliderValueLevel1(), -1.0f); } },
        { "band 4 dragged back to its start", drag (slider (4), { 3, 0 }), { "LV 7 3", "LV 7 0" } },
        { "band 3 to the top", drag (slider (3), { 15 }), { "LV 5 15" } },
        { "band 1 muted", [&] { mute (1).triggerClick(); }, { "MT 1 1" },
          [&] {
              EXPECT_TRUE (BottomPanelComponent::getM1Mute());
              EXPECT_TRUE (mute (1).getToggleFlag());
              EXPECT_EQ (mute (1).getFillColour(), red);
          } },
        { "band 1 unmuted", [&] { mute (1).triggerClick(); }, { "MT 1 0" },
          [&] {
              EXPECT_FALSE (BottomPanelComponent::getM1Mute());
              EXPECT_EQ (mute (1).getFillColour(), juce::Colours::green);
          } },
        { "band 4 muted", [&] { mute (4).triggerClick(); }, { "MT 4 1" },
          [] { EXPECT_TRUE (BottomPanelComponent::getM4Mute()); } },
        { "band button clicked", [&] { child<CustomButton> (bands, "output2").triggerClick(); }, {} },
        { "freq1 typed", [&] { type (*bands.getFreqLabel1(), "120"); }, {},
          [] { EXPECT_EQ (BottomPanelComponent::getFreq1(), 120); } },
        { "freq2 typed without digits", [&] { type (*bands.getFreqLabel2(), "abc"); }, {},
          [] { EXPECT_EQ (BottomPanelComponent::getFreq2(), 0); } },
        { "freq3 typed with leading digits", [&] { type (*bands.getFreqLabel3(), "12abc"); }, {},
          [] { EXPECT_EQ (BottomPanelComponent::getFreq3(), 12); } },
        { "freq1 typed far out of range", [&] { type (*bands.getFreqLabel1(), "99999999999"); }, {},
          [] { EXPECT_EQ (BottomPanelComponent::getFreq1(), std::numeric_limits<int>::max()); } },
    });
}

// No range is enforced, but a number longer than an int holds stops at the
// int's limit instead of wrapping around into some other frequency.
TEST (CrossoverText, LeadingDigitsAndNothingElse)
{
    const std::pair<const char*, int> cases[] = {
        { "850", 850 },
        { "abc", 0 },
        { "", 0 },
        { "12abc", 12 },
        { "6380.5", 6380 },
        { "1e3", 1 },
        { "  75", 75 },
        { "-50", -50 },
        { "+20", 20 },
        { "- 5", 0 },
        { "30000", 30000 },
        { "2147483647", std::numeric_limits<int>::max() },
        { "4294967396", std::numeric_limits<int>::max() },
        { "99999999999999999999999", std::numeric_limits<int>::max() },
        { "-99999999999", std::numeric_limits<int>::min() },
    };
    for (auto [text, value] : cases)
        EXPECT_EQ (parseCrossoverFrequency (text), value) << '"' << text << '"';
}

TEST_F (OutputBandsPanel, SettersShowAndSend)
{
    LoopbackUnit unit;
    BottomPanelComponent bands;
    bands.setSize (339, 298);
    pump();

    auto slider = [&bands] (int band) -> juce::Slider& { return child<juce::Slider> (bands, id ("level", band)); };

    runSteps (unit, {
        { "band 2 level between steps", [&] {
              bands.setSliderValueLevel3 (-3.4f);
              EXPECT_EQ (unit.commands(), Strings {}) << "sent only after the call returns";
          },
          { "LV 3 -3" }, [&] { EXPECT_EQ (slider (2).getValue(), -3.0); } },
        { "band 2 level unchanged", [&] { bands.setSliderValueLevel3 (-3); }, {} },
        { "band 2 level above the range", [&] { bands.setSliderValueLevel3 (40); }, { "LV 3 15" },
          [] { EXPECT_EQ (BottomPanelComponent::getSliderValueLevel3(), 15.0f); } },
        { "band 1 level below the range", [&] { bands.setSliderValueLevel1 (-100); }, { "LV 1 -45" } },
        { "bands 3 and 4", [&] { bands.setSliderValueLevel5 (-6); bands.setSliderValueLevel7 (2); }, { "LV 5 -6", "LV 7 2" } },
        { "band 2 muted", [&] { bands.setM2Mute (true); }, { "MT 2 1" },
          [&] { EXPECT_EQ (child<CustomButton> (bands, "mute2").getFillColour(), red); } },
        { "band 2 muted again sends again", [&] { bands.setM2Mute (true); }, { "MT 2 1" },
          [&] {
              EXPECT_EQ (child<CustomButton> (bands, "mute2").getFillColour(), red);
              EXPECT_TRUE (child<CustomButton> (bands, "mute2").getToggleFlag());
              EXPECT_TRUE (BottomPanelComponent::getM2Mute());
          } },
        { "all mutes", [&] { bands.setM1Mute (true); bands.setM2Mute (false); bands.setM3Mute (true); bands.setM4Mute (false); },
          { "MT 1 1", "MT 2 0", "MT 3 1", "MT 4 0" },
          [] {
              EXPECT_TRUE (BottomPanelComponent::getM1Mute());
              EXPECT_FALSE (BottomPanelComponent::getM2Mute());
              EXPECT_TRUE (BottomPanelComponent::getM3Mute());
          } },
        { "freq1", [&] { bands.setFreq1 (80); }, {},
          [&] { EXPECT_EQ (bands.getFreqLabel1()->getText(), "80"); EXPECT_EQ (BottomPanelComponent::getFreq1(), 80); } },
        { "freq3", [&] { bands.setFreq3 (6380); }, {},
          [&] { EXPECT_EQ (bands.getFreqLabel3()->getText(), "6380"); EXPECT_EQ (BottomPanelComponent::getFreq3(), 6380); } },
    });

    // The view hands its marker frequencies over through the label texts.
    bands.getFreqLabel2()->setText ("850", juce::sendNotificationSync);
    EXPECT_EQ (BottomPanelComponent::getFreq2(), 850);
}

TEST_F (OutputBandsPanel, MetersTakeLevelsAndPeaksPerChannel)
{
    BottomPanelComponent bands;
    auto meter = [&bands] (const char* kind, int band) -> juce::Slider& { return child<juce::Slider> (bands, id (kind, band)); };

    auto send = [&bands] (float level3, float peak3)
    {
        float l[8] = { -1, -2, level3, -4, -5, -6, -7, -75 };
        float p[8] = { -11, -12, peak3, -14, -15, -16, -17, -18 };
        bands.setLeftVerticalSlierValue (l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7],
                                         p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
    };

    send (-20, -10);
    EXPECT_EQ (meter ("oddMeter", 2).getValue(), -20.0);
    EXPECT_EQ (meter ("oddMeter", 2).getMaxValue(), 0.0) << "the meter held 0 before";
    EXPECT_EQ (meter ("oddMeter", 1).getValue(), -1.0);
    EXPECT_EQ (meter ("evenMeter", 1).getValue(), -2.0);
    EXPECT_EQ (meter ("evenMeter", 2).getValue(), -4.0);
    EXPECT_EQ (meter ("oddMeter", 4).getValue(), -7.0);
    EXPECT_EQ (meter ("evenMeter", 4).getValue(), -60.0) << "clamped to the meter's range";

    send (-20, -10);
    EXPECT_EQ (meter ("oddMeter", 2).getValue(), -20.0);
    EXPECT_EQ (meter ("oddMeter", 2).getMaxValue(), -10.0);

    // A level above the peak that falls again with the next report is shown too.
    for (const float level : { -40.0f, -5.0f, -50.0f, -3.0f, -30.0f })
    {
        send (level, -45);
        pump();
        EXPECT_EQ (meter ("oddMeter", 2).getValue(), (double) level);
    }
}

TEST_F (OutputBandsPanel, AnInactiveBandTakesNoClicks)
{
    LoopbackUnit unit;
    BottomPanelComponent bands;
    pump();

    bands.setBandActive (1, false);
    child<CustomButton> (bands, "mute1").triggerClick();
    pump();
    EXPECT_EQ (unit.commands(), Strings {});
    EXPECT_FALSE (BottomPanelComponent::getM1Mute());

    bands.setBandActive (1, true);
    child<CustomButton> (bands, "mute1").triggerClick();
    pump();
    EXPECT_EQ (unit.commands(), Strings { "MT 1 1" });
}

TEST_F (OutputBandsPanel, RendersMetersMutesAndBands)
{
    BottomPanelComponent bands;
    bands.setSize (339, 298);
    pump();

    // Band 2: column from x = 84; odd meter at 89, even meter at 98, 8 x 203 from y = 49.
    bands.setLeftVerticalSlierValue (0, 0, -60, 0, 0, 0, 0, 0, 0, 0, -60, 0, 0, 0, 0, 0);
    bands.setM2Mute (true);
    bands.setBandActive (2, true);
    bands.setBandActive (4, false);
    const auto image = snapshot (bands, "output-bands-panel");

    EXPECT_TRUE (near (image.getPixelAt (93, 52), juce::Colour (0xFFC82506))) << "odd meter at -60: red zone";
    EXPECT_TRUE (near (image.getPixelAt (93, 100), juce::Colour (0xFFDE6A10))) << "odd meter at -60: orange zone";
    EXPECT_TRUE (near (image.getPixelAt (93, 240), juce::Colour (0xFF00882B))) << "odd meter at -60: green zone";
    for (int y : { 52, 100, 240 })
        EXPECT_LT (image.getPixelAt (102, y).getBrightness(), 0.3f) << "even meter at 0 dB covered, y " << y;

    EXPECT_TRUE (near (image.getPixelAt (116, 22), red)) << "band 2 muted";
    EXPECT_TRUE (near (image.getPixelAt (27, 22), juce::Colours::green)) << "band 1 not muted";
    EXPECT_TRUE (near (image.getPixelAt (92, 263), juce::Colours::green)) << "band 2 active";
    EXPECT_TRUE (near (image.getPixelAt (262, 263), juce::Colours::darkgrey)) << "band 4 inactive";
    EXPECT_EQ (argb (image, 84, 33), 0xFF286BB3u) << "crossover marker under freq1";
    EXPECT_EQ (argb (image, 84, 150), 0xFF808080u) << "column border";
}
