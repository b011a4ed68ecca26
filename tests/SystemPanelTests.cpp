#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "panels/BottomPanelComponent.h"
#include "panels/BottomSystemComponent.h"
#include "support/PanelTestSupport.h"

#include <functional>

using namespace PanelTest;

namespace
{
    using Strings = std::vector<std::string>;

    class SystemPanel : public ::testing::Test
    {
    protected:
        void SetUp() override { useAppTypeface(); }
    };
}

TEST_F (SystemPanel, SendsItsDefaultsOnceTheLoopRuns)
{
    LoopbackUnit unit;
    BottomSystemComponent system;
    EXPECT_EQ (unit.commands(), Strings {});
    pump();
    EXPECT_EQ (unit.commands(), (Strings { "CS 1", "SC 1", "FO 0", "FO 0", "AP 4096" }));

    EXPECT_EQ (system.getComboCSValue(), 1);
    EXPECT_EQ (system.getComboSFValue(), 1);
    EXPECT_EQ (system.getComboSubValue(), 1);
    EXPECT_EQ (system.getComboFilterValue(), 5);
    EXPECT_EQ (BottomSystemComponent::getMyMode(), 1);
    EXPECT_EQ (system.getPhaseState(), 0);
    EXPECT_EQ (system.getLabelSL(), "");
    EXPECT_EQ (system.getVersionText(), " ");
    EXPECT_EQ (child<juce::ComboBox> (system, "clockSource").getItemText (0), "Master 44.1k");
    EXPECT_EQ (child<juce::ComboBox> (system, "clockSource").getItemId (0), 4);
}

TEST_F (SystemPanel, UserChoicesSendTheirCommands)
{
    LoopbackUnit unit;
    BottomSystemComponent system;
    pump();
    unit.commands();

    auto choose = [&system] (const char* box, int id)
    {
        return [&system, box, id] { child<juce::ComboBox> (system, box).setSelectedId (id, juce::sendNotificationSync); };
    };
    auto mode = [] (int m) { return [m] { EXPECT_EQ (BottomSystemComponent::getMyMode(), m); }; };

    runSteps (unit, {
        { "Master 96k", choose ("clockSource", 2), { "CS 1", "SC 2" } },
        { "Master 192k", choose ("clockSource", 3), { "CS 1", "SC 3" } },
        { "Master 44.1k", choose ("clockSource", 4), { "CS 1", "SC 4" } },
        { "AES", choose ("clockSource", 5), { "CS 2" } },
        { "Word Clock", choose ("clockSource", 6), { "CS 3" } },
        { "Master 48k", choose ("clockSource", 1), { "CS 1", "SC 1" } },
        { "Master 48k again", choose ("clockSource", 1), {} },
        { "2 Way", choose ("stereoFormat", 2), { "FO 1" }, mode (4) },
        { "Sub 2R", choose ("sub", 2), { "FO 13" }, mode (5) },
        { "Sub 2R again", choose ("sub", 2), {}, mode (5) },
        { "3 Way", choose ("stereoFormat", 3), { "FO 15" }, mode (8) },
        { "256 taps", choose ("filterTap", 1), { "AP 256" } },
        { "512 taps", choose ("filterTap", 2), { "AP 512" } },
        { "1024 taps", choose ("filterTap", 3), { "AP 1024" } },
        { "2048 taps", choose ("filterTap", 4), { "AP 2048" } },
        { "4096 taps", choose ("filterTap", 5), { "AP 4096" } },
    });
}

TEST_F (SystemPanel, SettersSendWhatTheMatchingChoiceSends)
{
    LoopbackUnit unit;
    BottomSystemComponent system;
    pump();
    unit.commands();

    runSteps (unit, {
        { "AES", [&] {
              system.setComboCSValue (5);
              EXPECT_EQ (unit.commands(), Strings {}) << "sent only after the call returns";
          },
          { "CS 2" }, [&] { EXPECT_EQ (system.getComboCSValue(), 5); } },
        { "AES again", [&] { system.setComboCSValue (5); }, {} },
        { "Master 192k", [&] { system.setComboCSValue (3); }, { "CS 1", "SC 3" } },
        { "a clock source that does not exist", [&] { system.setComboCSValue (9); }, {},
          [&] { EXPECT_EQ (system.getComboCSValue(), 0); } },
        { "3 Way", [&] { system.setComboSFValue (3); }, { "FO 3" },
          [&] { EXPECT_EQ (BottomSystemComponent::getMyMode(), 7); } },
        { "Sub 2R+1L", [&] { system.setComboSubValue (3); }, { "FO 7" },
          [&] { EXPECT_EQ (BottomSystemComponent::getMyMode(), 9); } },
        { "a stereo format that does not exist", [&] { system.setComboSFValue (7); }, {},
          [&] {
              EXPECT_EQ (system.getComboSFValue(), 0);
              EXPECT_EQ (BottomSystemComponent::getMyMode(), 9);
          } },
        { "Full Band after that", [&] { system.setComboSFValue (1); }, { "FO 4" },
          [&] { EXPECT_EQ (BottomSystemComponent::getMyMode(), 3); } },
        { "sub and format in one report", [&] { system.setComboSFValue (2); system.setComboSubValue (1); },
          { "FO 1", "FO 1" }, [&] { EXPECT_EQ (BottomSystemComponent::getMyMode(), 4); } },
        { "512 taps", [&] { system.setComboFilterValue (2); }, { "AP 512" } },
        // An empty filter tap box has no tap count; nothing is sent rather than 0 taps.
        { "a filter tap that does not exist", [&] { system.setComboFilterValue (9); }, {},
          [&] { EXPECT_EQ (system.getComboFilterValue(), 0); } },
        { "sample clock text", [&] { system.setLabelSL ("96k Hz"); }, {},
          [&] { EXPECT_EQ (system.getLabelSL(), "96k Hz"); } },
        { "version", [&] { system.setVersion ("abcdefg"); }, {},
          [&] { EXPECT_EQ (system.getVersionText(), "e.fg/ abcd"); } },
    });
}

TEST (OutputConfigurationTable, NineConfigurations)
{
    struct Row { int sf, sub, mode, code; std::array<bool, 4> bands; std::array<bool, 3> editable; };
    const Row rows[] = {
        { 1, 1, 1,  0, { false, true,  false, false }, { false, false, false } },
        { 1, 2, 2, 12, { true,  true,  false, false }, { true,  false, false } },
        { 1, 3, 3,  4, { true,  true,  false, false }, { true,  false, false } },
        { 2, 1, 4,  1, { false, true,  true,  false }, { true,  true,  false } },
        { 2, 2, 5, 13, { true,  true,  true,  false }, { true,  true,  false } },
        { 2, 3, 6,  5, { true,  true,  true,  false }, { true,  true,  false } },
        { 3, 1, 7,  3, { false, true,  true,  true  }, { true,  true,  true  } },
        { 3, 2, 8, 15, { true,  true,  true,  true  }, { true,  true,  true  } },
        { 3, 3, 9,  7, { true,  true,  true,  true  }, { true,  true,  true  } },
    };

    for (const auto& r : rows)
    {
        SCOPED_TRACE (testing::Message() << "format " << r.sf << " sub " << r.sub);
        const auto c = findOutputConfiguration (r.sf, r.sub);
        ASSERT_TRUE (c.has_value());
        EXPECT_EQ (c->mode, r.mode);
        EXPECT_EQ (c->code, r.code);
        EXPECT_EQ (c->activeBands, r.bands);
        EXPECT_EQ (c->editableCrossovers, r.editable);
    }

    for (auto [sf, sub] : { std::pair { 0, 1 }, { 1, 0 }, { 4, 1 }, { 2, 4 }, { -1, -1 } })
        EXPECT_FALSE (findOutputConfiguration (sf, sub).has_value()) << sf << " " << sub;
}

TEST (ClockSourceTable, CommandsPerId)
{
    for (int id = 1; id <= 4; ++id)
    {
        const auto c = clockSourceCommands (id);
        ASSERT_TRUE (c.has_value());
        EXPECT_EQ (c->source, 1);
        EXPECT_EQ (c->sampleClock, std::optional<int> (id));
    }
    EXPECT_EQ (clockSourceCommands (5)->source, 2);
    EXPECT_FALSE (clockSourceCommands (5)->sampleClock.has_value());
    EXPECT_EQ (clockSourceCommands (6)->source, 3);
    EXPECT_FALSE (clockSourceCommands (6)->sampleClock.has_value());
    EXPECT_FALSE (clockSourceCommands (0).has_value());
    EXPECT_FALSE (clockSourceCommands (7).has_value());
}

TEST (VersionText, PiecesOfTheUnitsVersionString)
{
    const std::pair<const char*, const char*> cases[] = {
        { "abcdefg", "e.fg/ abcd" },
        { "20240315", "0.31/ 2024" },
        { "abcdef", "e.f/ abcd" },
        { "abcde", "e./ abcd" },
        { "abc", "./ abc" },
        { "", "./ " },
    };
    for (auto [in, out] : cases)
        EXPECT_EQ (formatVersionText (in), out) << in;
}

// The configuration switches the bands of the output bands panel; each of
// the nine configurations once, each reached by changing one box.
TEST_F (SystemPanel, OutputConfigurationSwitchesTheBands)
{
    MainContentComponent content;
    auto& system = content.getBottomSystem();
    auto& bands = content.getBottomPanel();

    auto outputButton = [&bands] (int band) -> CustomButton& { return child<CustomButton> (bands, "output" + juce::String (band)); };

    // Before the start-up configuration runs, every band is enabled and grey.
    for (int band = 1; band <= 4; ++band)
    {
        EXPECT_EQ (outputButton (band).getFillColour(), juce::Colours::grey);
        EXPECT_TRUE (child<juce::Slider> (bands, "level" + juce::String (band)).isEnabled());
    }

    pump();
    LoopbackUnit unit;

    struct Row { int sf, sub, mode; const char* fo; std::array<bool, 4> active; std::array<bool, 3> editable; };
    const Row rows[] = {
        { 1, 1, 1, nullptr, { false, true,  false, false }, { false, false, false } },
        { 1, 2, 2, "FO 12", { true,  true,  false, false }, { true,  false, false } },
        { 1, 3, 3, "FO 4",  { true,  true,  false, false }, { true,  false, false } },
        { 2, 3, 6, "FO 5",  { true,  true,  true,  false }, { true,  true,  false } },
        { 2, 2, 5, "FO 13", { true,  true,  true,  false }, { true,  true,  false } },
        { 2, 1, 4, "FO 1",  { false, true,  true,  false }, { true,  true,  false } },
        { 3, 1, 7, "FO 3",  { false, true,  true,  true  }, { true,  true,  true  } },
        { 3, 2, 8, "FO 15", { true,  true,  true,  true  }, { true,  true,  true  } },
        { 3, 3, 9, "FO 7",  { true,  true,  true,  true  }, { true,  true,  true  } },
    };

    for (const auto& r : rows)
    {
        SCOPED_TRACE (testing::Message() << "format " << r.sf << " sub " << r.sub);
        system.setComboSFValue (r.sf);
        system.setComboSubValue (r.sub);
        pump();

        EXPECT_EQ (unit.commands ("FO"), r.fo != nullptr ? Strings { r.fo } : Strings {});
        EXPECT_EQ (BottomSystemComponent::getMyMode(), r.mode);

        for (int band = 1; band <= 4; ++band)
        {
            const auto n = juce::String (band);
            const auto active = r.active[(size_t) band - 1];
            EXPECT_EQ (outputButton (band).getFillColour(), active ? juce::Colours::green : juce::Colours::darkgrey) << band;
            EXPECT_EQ (child<juce::Slider> (bands, "level" + n).isEnabled(), active) << band;
            EXPECT_EQ (child<juce::Slider> (bands, "evenMeter" + n).isEnabled(), active) << band;
            EXPECT_EQ (child<CustomButton> (bands, "mute" + n).isEnabled(), active) << band;
            EXPECT_TRUE (child<juce::Slider> (bands, "oddMeter" + n).isEnabled()) << band;
            EXPECT_EQ (child<juce::Slider> (bands, "level" + n).findColour (juce::Slider::trackColourId),
                       band == 3 ? juce::Colours::black : juce::Colours::grey) << band;
        }

        EXPECT_EQ (bands.getFreqLabel1()->isEditableOnSingleClick(), r.editable[0]);
        EXPECT_EQ (bands.getFreqLabel2()->isEditableOnSingleClick(), r.editable[1]);
        EXPECT_EQ (bands.getFreqLabel3()->isEditableOnSingleClick(), r.editable[2]);
    }

    // A pair that is no configuration leaves the bands as they are.
    system.setComboSubValue (8);
    pump();
    EXPECT_EQ (unit.commands ("FO"), Strings {});
    EXPECT_EQ (BottomSystemComponent::getMyMode(), 9);
    EXPECT_EQ (outputButton (1).getFillColour(), juce::Colours::green);
}

TEST_F (SystemPanel, Renders)
{
    BottomSystemComponent system;
    system.setSize (225, 298);
    pump();
    system.setLabelSL ("48k Hz");
    system.setVersion ("abcdefg");
    const auto image = snapshot (system, "system-panel");

    EXPECT_EQ (argb (image, 0, 150), 0xFF808080u) << "grey border";
    EXPECT_EQ (argb (image, 10, 140), 0xFF53585Fu) << "background";
    EXPECT_EQ (argb (image, 100, 30), 0xFFFFFFFFu) << "white line under the title";
    EXPECT_EQ (argb (image, 215, 57), 0xFF000000u) << "clock source box is black";

    const auto isWhite = [] (juce::Colour c) { return c.getBrightness() > 0.9f; };
    EXPECT_GT (countPixels (image, { 0, 5, 225, 20 }, isWhite), 30) << "the title";
    EXPECT_GT (countPixels (image, { 120, 83, 100, 25 }, isWhite), 15) << "the sample clock";
}

TEST_F (SystemPanel, TheWindowAfterStartUpAndWithThreeWaysAndASub)
{
    MainContentComponent content;
    pump();

    // The output bands panel sits at (228, 421); its band buttons at y = 260.
    auto image = snapshot (content, "window-start");
    EXPECT_TRUE (near (image.getPixelAt (228 + 8, 421 + 263), juce::Colours::darkgrey)) << "band 1 inactive";
    EXPECT_TRUE (near (image.getPixelAt (228 + 84 + 8, 421 + 263), juce::Colours::green)) << "band 2 active";

    content.getBottomSystem().setComboSFValue (3);
    content.getBottomSystem().setComboSubValue (2);
    pump();
    image = snapshot (content, "window-3-way-sub");
    for (int x0 : { 0, 84, 169, 254 })
        EXPECT_TRUE (near (image.getPixelAt (228 + x0 + 8, 421 + 263), juce::Colours::green)) << x0;
}
