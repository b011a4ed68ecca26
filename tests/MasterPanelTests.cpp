#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "panels/LeftComponent.h"
#include "panels/RightComponent.h"
#include "support/PanelTestSupport.h"

#include <functional>

using namespace PanelTest;

namespace
{
    using Strings = std::vector<std::string>;

    const juce::Colour red { 0xFF851001 };
    const juce::Colour darkgreen { 0xFF006400 };

    struct Face
    {
        juce::String text;
        juce::Colour colour;
        bool operator== (const Face& o) const { return text == o.text && colour == o.colour; }
    };

    std::ostream& operator<< (std::ostream& out, const Face& f)
    {
        return out << f.text << " " << f.colour.toDisplayString (true);
    }

    Face face (juce::Component& panel, const char* id)
    {
        auto& b = child<juce::TextButton> (panel, id);
        return { b.getButtonText(), b.findColour (juce::TextButton::buttonColourId) };
    }

    // Records the warnings instead of opening alert windows.
    struct WarningRecorder
    {
        WarningRecorder()
        {
            previous = RightComponent::showWarning;
            RightComponent::showWarning = [this] (const juce::String& title, const juce::String& message)
            {
                shown.add (title + ": " + message);
            };
        }

        ~WarningRecorder() { RightComponent::showWarning = previous; }

        juce::StringArray shown;
        std::function<void (const juce::String&, const juce::String&)> previous;
    };

    class MasterPanel : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            useAppTypeface();
            LeftComponent::mute48v = false;
        }

        void TearDown() override { LeftComponent::mute48v = false; }
    };
}

TEST_F (MasterPanel, StartsMutedAndProcessingAndSendsTheSourceOnce)
{
    LoopbackUnit unit;
    RightComponent right;
    EXPECT_EQ (unit.commands(), Strings {});
    pump();
    EXPECT_EQ (unit.commands(), Strings { "SE 0" });

    EXPECT_TRUE (RightComponent::getMuteStatus());
    EXPECT_EQ (face (right, "mute"), (Face { "MUTE", red }));
    // Face and flag agree: processing, so the first click switches to bypass.
    EXPECT_FALSE (RightComponent::getByPassStatus());
    EXPECT_EQ (face (right, "bypass"), (Face { "PROCESS", darkgreen }));
    EXPECT_EQ (right.getAnalogComboValue(), 0);
    EXPECT_EQ (right.getMasterSliderValue(), 0.0f);
}

TEST_F (MasterPanel, UserActionsSendTheirCommands)
{
    LoopbackUnit unit;
    WarningRecorder warnings;
    RightComponent right;
    pump();
    unit.commands();

    auto& source = child<juce::ComboBox> (right, "source");
    auto& master = child<juce::Slider> (right, "master");
    auto click = [&right] (const char* id) { return [&right, id] { child<juce::Button> (right, id).triggerClick(); }; };

    runSteps (unit, {
        { "AES/EBU chosen", [&] { source.setSelectedId (2, juce::sendNotificationSync); }, { "SE 1" },
          [&] { EXPECT_EQ (right.getAnalogComboValue(), 1); } },
        { "ANALOG chosen", [&] { source.setSelectedId (1, juce::sendNotificationSync); }, { "SE 0" } },
        { "ANALOG chosen again", [&] { source.setSelectedId (1, juce::sendNotificationSync); }, {} },
        { "master moved", [&] { master.setValue (-10.0, juce::sendNotificationSync); }, { "GA -10" } },
        { "master moved to the top", [&] { master.setValue (6.0, juce::sendNotificationSync); }, { "GA 6" } },
        { "bypass clicked", click ("bypass"), { "OP 0" },
          [&] { EXPECT_TRUE (RightComponent::getByPassStatus()); EXPECT_EQ (face (right, "bypass"), (Face { "BYPASS", red })); } },
        { "process clicked", click ("bypass"), { "OP 1" },
          [&] { EXPECT_FALSE (RightComponent::getByPassStatus()); EXPECT_EQ (face (right, "bypass"), (Face { "PROCESS", darkgreen })); } },
        { "MUTE clicked", click ("mute"), { "MU 0" },
          [&] { EXPECT_FALSE (RightComponent::getMuteStatus()); EXPECT_EQ (face (right, "mute"), (Face { "MUTE", darkgreen })); } },
        { "MUTE clicked again", click ("mute"), { "MU 1" },
          [&] { EXPECT_TRUE (RightComponent::getMuteStatus()); EXPECT_EQ (face (right, "mute"), (Face { "MUTE", red })); } },
    });

    EXPECT_TRUE (warnings.shown.isEmpty()) << "no warning outside measurement mode";
}

TEST_F (MasterPanel, BypassInMeasurementModeSendsThenWarns)
{
    LoopbackUnit unit;
    WarningRecorder warnings;
    RightComponent right;
    pump();
    unit.commands();

    LeftComponent::mute48v = true;
    for (auto expected : { "OP 0", "OP 1" })
    {
        child<juce::Button> (right, "bypass").triggerClick();
        pump();
        EXPECT_EQ (unit.commands(), Strings { expected });
    }

    ASSERT_EQ (warnings.shown.size(), 2);
    EXPECT_EQ (warnings.shown[0], "warning: please insure the system is \"Measure OFF\"");
}

TEST_F (MasterPanel, SettersShowAndSendAfterTheLoopRuns)
{
    LoopbackUnit unit;
    RightComponent right;
    pump();
    unit.commands();

    runSteps (unit, {
        { "master at its value", [&] { right.setMasterSliderValue (0); }, {} },
        { "master between steps", [&] {
              right.setMasterSliderValue (2.6f);
              EXPECT_EQ (unit.commands(), Strings {}) << "sent only after the call returns";
          },
          { "GA 3" }, [&] { EXPECT_EQ (right.getMasterSliderValue(), 3.0f); } },
        { "master above the range", [&] { right.setMasterSliderValue (10); }, { "GA 6" },
          [&] { EXPECT_EQ (right.getMasterSliderValue(), 6.0f); } },
        { "AES/EBU", [&] { right.setAnalogComboValue (1); }, { "SE 1" } },
        { "AES/EBU again", [&] { right.setAnalogComboValue (1); }, {} },
        { "ANALOG", [&] { right.setAnalogComboValue (0); }, { "SE 0" } },
        { "a source that does not exist", [&] { right.setAnalogComboValue (5); }, {},
          [&] { EXPECT_EQ (right.getAnalogComboValue(), -1); } },
        { "setMuteStatus only shows", [&] { right.setMuteStatus (false); }, {},
          [&] { EXPECT_FALSE (RightComponent::getMuteStatus()); EXPECT_EQ (face (right, "mute"), (Face { "MUTE", darkgreen })); } },
        { "setMuteStatus1 also sends", [&] { right.setMuteStatus1 (true); }, { "MU 1" },
          [&] { EXPECT_TRUE (RightComponent::getMuteStatus()); EXPECT_EQ (face (right, "mute"), (Face { "MUTE", red })); } },
        { "setMuteStatus1 off", [&] { right.setMuteStatus1 (false); }, { "MU 0" } },
        { "the unit reports processing", [&] { right.setByPassStatus_1 (true); }, {},
          [&] { EXPECT_FALSE (RightComponent::getByPassStatus()); EXPECT_EQ (face (right, "bypass"), (Face { "PROCESS", darkgreen })); } },
        { "the unit reports bypass", [&] { right.setByPassStatus_1 (false); }, {},
          [&] { EXPECT_TRUE (RightComponent::getByPassStatus()); EXPECT_EQ (face (right, "bypass"), (Face { "BYPASS", red })); } },
        { "a file sets bypass", [&] { right.setByPassStatus (true); }, { "OP 0" },
          [&] { EXPECT_EQ (face (right, "bypass"), (Face { "BYPASS", red })); } },
        { "a file sets process", [&] { right.setByPassStatus (false); }, { "OP 1" },
          [&] { EXPECT_FALSE (RightComponent::getByPassStatus()); EXPECT_EQ (face (right, "bypass"), (Face { "PROCESS", darkgreen })); } },
        { "meters", [&] { right.setLevelSliderValue (-12, -60, 0, -30); }, {},
          [&] {
              EXPECT_EQ (child<juce::Slider> (right, "leftMeter").getValue(), -12.0);
              EXPECT_EQ (child<juce::Slider> (right, "rightMeter").getValue(), -60.0);
          } },
    });
}

TEST_F (MasterPanel, MetersKeepTheirMaximumAtOrAboveTheValueTheyHeld)
{
    RightComponent right;
    auto& leftMeter = child<juce::Slider> (right, "leftMeter");

    right.setLevelSliderValue (-20, -75, -10, -10);
    EXPECT_EQ (leftMeter.getValue(), -20.0);
    EXPECT_EQ (leftMeter.getMaxValue(), 0.0) << "the meter held 0 before";
    EXPECT_EQ (child<juce::Slider> (right, "rightMeter").getValue(), -60.0) << "clamped to the range";

    right.setLevelSliderValue (-20, -75, -10, -10);
    EXPECT_EQ (leftMeter.getMaxValue(), -10.0);
}

// Every report shows its level once the message loop has run, also a level
// above the peak that falls again with the next report.
TEST_F (MasterPanel, MetersShowEveryReportedLevel)
{
    RightComponent right;
    auto& leftMeter = child<juce::Slider> (right, "leftMeter");

    for (const float level : { -40.0f, -12.0f, -30.0f, -5.0f, -50.0f, -20.0f })
    {
        right.setLevelSliderValue (level, -60, -45, -60);
        pump();
        EXPECT_EQ (leftMeter.getValue(), (double) level);
    }
}

TEST_F (MasterPanel, TheProcessCommandFollowsThePhaseStateOfTheSystemPanel)
{
    MainContentComponent content;
    pump();
    LoopbackUnit unit;

    EXPECT_EQ (content.getBottomSystem().getPhaseState(), 0);
    content.getRight().setByPassStatus (false);
    EXPECT_EQ (unit.commands(), Strings { "OP 1" });
}

TEST_F (MasterPanel, RendersItsMetersAndButtons)
{
    RightComponent right;
    right.setSize (128, 358);
    pump();

    right.setLevelSliderValue (0, -60, 0, -60);
    right.setByPassStatus_1 (false);
    const auto image = snapshot (right, "master-panel");

    // Meters at (14, 35) and (25, 35), 10 x 263, drawn inside a one-pixel outline.
    for (int y : { 45, 150, 280 })
        EXPECT_LT (image.getPixelAt (19, y).getBrightness(), 0.3f) << "left bar covered at 0 dB, y " << y;
    EXPECT_TRUE (near (image.getPixelAt (30, 38), juce::Colour (0xFFC82506))) << "right bar: red zone";
    EXPECT_TRUE (near (image.getPixelAt (30, 100), juce::Colour (0xFFDE6A10))) << "right bar: orange zone";
    EXPECT_TRUE (near (image.getPixelAt (30, 280), juce::Colour (0xFF00882B))) << "right bar: green zone";

    // Button faces in their colours: the rows between the outline and the text.
    EXPECT_TRUE (near (image.getPixelAt (37, 333), red)) << "BYPASS is red";
    EXPECT_TRUE (near (image.getPixelAt (98, 333), red)) << "MUTE is red";
    EXPECT_EQ (argb (image, 100, 15), 0xFF000000u) << "source box is black";
}
