#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "panels/LeftComponent.h"
#include "support/PanelTestSupport.h"

#include <functional>

using namespace PanelTest;

namespace
{
    using Strings = std::vector<std::string>;

    const juce::Colour orange { juce::Colours::orange };
    const juce::Colour white { juce::Colours::white };
    const juce::Colour red { 0xFF851001 };
    const juce::Colour darkgreen { 0xFF006400 };

    juce::Colour textColour (juce::Component& panel, const char* id)
    {
        return child<juce::TextButton> (panel, id).findColour (juce::TextButton::textColourOffId);
    }

    juce::Colour buttonColour (juce::Component& panel, const char* id)
    {
        return child<juce::TextButton> (panel, id).findColour (juce::TextButton::buttonColourId);
    }

    class InputPanel : public ::testing::Test
    {
    protected:
        void SetUp() override { useAppTypeface(); }
    };
}

TEST_F (InputPanel, StartsWithItsDefaultsAndSendsTheSliderValuesOnce)
{
    LoopbackUnit unit;
    ASSERT_TRUE (unit.isOpen());

    LeftComponent left;
    EXPECT_EQ (unit.commands(), Strings {}) << "nothing before the message loop runs";
    pump();
    EXPECT_EQ (unit.commands(), (Strings { "ML 190", "NL -80" }));

    EXPECT_EQ (LeftComponent::getMlValue(), 190.0f);
    EXPECT_EQ (LeftComponent::getNlValue(), -80.0f);
    EXPECT_FALSE (LeftComponent::getM48v());
    EXPECT_TRUE (LeftComponent::en48v);
    EXPECT_TRUE (left.getEnable48vState());
    EXPECT_EQ (left.getTopLabel()->getText(), "0 dB");
    EXPECT_EQ (left.getinputLevelSlider()->getValue(), 0.0);

    // "Measure OFF" in full: the channel buttons and "CHECK" take no clicks,
    // "STEREO" is the selected channel.
    EXPECT_EQ (child<juce::TextButton> (left, "measure").getButtonText(), "Measure OFF");
    EXPECT_EQ (buttonColour (left, "measure"), darkgreen);
    for (auto* id : { "L", "R", "STEREO", "check" })
        EXPECT_FALSE (acceptsClicks (child<juce::Component> (left, id))) << id;
    EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, "measure")));
    EXPECT_EQ (textColour (left, "STEREO"), orange);
    EXPECT_EQ (textColour (left, "L"), white);
}

TEST_F (InputPanel, UserActionsSendTheirCommands)
{
    LoopbackUnit unit;
    LeftComponent left;
    pump();
    unit.commands();

    auto& micGain = child<juce::Slider> (left, "micGain");
    auto& signal = child<juce::Slider> (left, "signal");
    auto click = [&left] (const char* id) { return [&left, id] { child<juce::Button> (left, id).triggerClick(); }; };

    runSteps (unit, {
        { "mic gain moved", [&] { micGain.setValue (200, juce::sendNotificationSync); }, { "ML 200" },
          [] { EXPECT_EQ (LeftComponent::getMlValue(), 200.0f); } },
        { "signal moved", [&] { signal.setValue (-20, juce::sendNotificationSync); }, { "NL -20" },
          [] { EXPECT_EQ (LeftComponent::getNlValue(), -20.0f); } },
        { "48V off while measurement is off", click ("48V"), {},
          [] { EXPECT_FALSE (LeftComponent::en48v); } },
        { "measure switched on", click ("measure"), { "MT 5 0", "CR 1", "MD 83" },
          [&] {
              EXPECT_TRUE (LeftComponent::getM48v());
              EXPECT_EQ (child<juce::TextButton> (left, "measure").getButtonText(), "Measure ON");
              EXPECT_EQ (buttonColour (left, "measure"), red);
              for (auto* id : { "L", "R", "STEREO", "check" })
                  EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, id))) << id;
          } },
        { "L", click ("L"), { "MD 76" },
          [&] { EXPECT_EQ (textColour (left, "L"), orange); EXPECT_EQ (textColour (left, "STEREO"), white); } },
        { "R", click ("R"), { "MD 82" },
          [&] { EXPECT_EQ (textColour (left, "R"), orange); EXPECT_EQ (textColour (left, "L"), white); } },
        { "STEREO", click ("STEREO"), { "MD 83" },
          [&] { EXPECT_EQ (textColour (left, "STEREO"), orange); EXPECT_EQ (textColour (left, "R"), white); } },
        { "48V on while measuring", click ("48V"), { "MT 5 1" } },
        { "CHECK starts", click ("check"),
          { "ML 200", "NL -20", "LV 1 0", "LV 3 0", "LV 5 0", "LV 7 0", "CM 3" },
          [&] {
              EXPECT_EQ (left.getCheckState(), 1);
              EXPECT_EQ (textColour (left, "check"), orange);
              EXPECT_FALSE (acceptsClicks (child<juce::Component> (left, "measure")));
          } },
        { "CHECK ends", click ("check"), { "CM 4" },
          [&] {
              EXPECT_EQ (left.getCheckState(), 0);
              EXPECT_EQ (textColour (left, "check"), white);
              EXPECT_EQ (child<juce::TextButton> (left, "check").getButtonText(), "CHECK");
              EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, "measure")));
          } },
        { "R again", click ("R"), { "MD 82" } },
        { "measure switched off", click ("measure"), { "MT 5 0", "CR 0", "MD 83" },
          [&] {
              EXPECT_EQ (child<juce::TextButton> (left, "measure").getButtonText(), "Measure OFF");
              EXPECT_EQ (buttonColour (left, "measure"), darkgreen);
              EXPECT_EQ (textColour (left, "STEREO"), orange);
              EXPECT_EQ (textColour (left, "R"), white);
              for (auto* id : { "L", "R", "STEREO", "check" })
                  EXPECT_FALSE (acceptsClicks (child<juce::Component> (left, id))) << id;
          } },
        { "48V off, measurement off", click ("48V"), {} },
        { "measure on sends the new 48V state", click ("measure"), { "MT 5 0", "CR 1", "MD 83" } },
    });
}

TEST_F (InputPanel, SettersShowAndSendAfterTheLoopRuns)
{
    LoopbackUnit unit;
    LeftComponent left;
    pump();
    unit.commands();

    auto& micGain = child<juce::Slider> (left, "micGain");
    auto& signal = child<juce::Slider> (left, "signal");

    runSteps (unit, {
        { "setMlValue with the current value", [&] { left.setMlValue (190); }, {} },
        { "setMlValue out of range", [&] {
              left.setMlValue (300);
              EXPECT_EQ (unit.commands(), Strings {}) << "sent only after the call returns";
              EXPECT_EQ (LeftComponent::getMlValue(), 300.0f);
          },
          { "ML 208" }, [&] { EXPECT_EQ (micGain.getValue(), 208.0); EXPECT_EQ (LeftComponent::getMlValue(), 208.0f); } },
        { "setMlValue out of range at the limit", [&] { left.setMlValue (300); }, {},
          [] { EXPECT_EQ (LeftComponent::getMlValue(), 300.0f); } },
        { "setMlValue between steps", [&] { left.setMlValue (190.4f); }, { "ML 190" },
          [&] { EXPECT_EQ (micGain.getValue(), 190.0); } },
        { "setNlValue", [&] { left.setNlValue (-10); }, { "NL -10" },
          [&] { EXPECT_EQ (signal.getValue(), -10.0); EXPECT_EQ (LeftComponent::getNlValue(), -10.0f); } },
        { "setNlValue below the range", [&] { left.setNlValue (-95); }, { "NL -80" } },
        { "setM48v on", [&] { left.setM48v (true); }, { "MT 5 1", "CR 1", "MD 83" },
          [&] {
              EXPECT_EQ (child<juce::TextButton> (left, "measure").getButtonText(), "Measure ON");
              EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, "L")));
          } },
        { "setM48v on again repeats the commands", [&] { left.setM48v (true); }, { "MT 5 1", "CR 1", "MD 83" } },
        { "setEnable48vState sends nothing", [&] { left.setEnable48vState (false); }, {},
          [&] { EXPECT_FALSE (left.getEnable48vState()); EXPECT_FALSE (LeftComponent::en48v); } },
        { "setM48v on with 48V off", [&] { left.setM48v (true); }, { "MT 5 0", "CR 1", "MD 83" } },
        { "setM48v off", [&] { left.setM48v (false); }, { "MT 5 0", "CR 0", "MD 83" },
          [&] {
              EXPECT_FALSE (LeftComponent::getM48v());
              EXPECT_FALSE (acceptsClicks (child<juce::Component> (left, "L")));
          } },
        { "setM48v off again", [&] { left.setM48v (false); }, { "MT 5 0", "CR 0", "MD 83" } },
    });
}

TEST_F (InputPanel, EndingACheckResetsTheMeterButNotTheLabel)
{
    LoopbackUnit unit;
    LeftComponent left;
    pump();
    left.setM48v (true);
    left.getinputLevelSlider()->setValue (-30, juce::sendNotificationAsync);
    left.getTopLabel()->setText ("67.0dB", juce::dontSendNotification);

    child<juce::Button> (left, "check").triggerClick();
    pump();
    child<juce::Button> (left, "check").triggerClick();
    pump();

    EXPECT_EQ (left.getinputLevelSlider()->getValue(), 0.0);
    EXPECT_EQ (left.getTopLabel()->getText(), "67.0dB");
}

// In the whole window: the check sends the band levels of the output bands
// panel and holds the other panels; measurement mode opens the measurement
// panel.
TEST_F (InputPanel, MeasurementModeAndTheCheckHoldTheOtherPanels)
{
    MainContentComponent content;
    pump();
    LoopbackUnit unit;

    auto& left = content.getLeft();
    auto& measure = content.getBottomMeasure();

    EXPECT_FALSE (acceptsClicks (measure)) << "Measure OFF at start";
    EXPECT_TRUE (acceptsClicks (content.getRight()));
    EXPECT_TRUE (acceptsClicks (content.getTop()));

    content.getBottomPanel().setSliderValueLevel1 (-4);
    content.getBottomPanel().setSliderValueLevel3 (-3.4f);
    content.getBottomPanel().setSliderValueLevel7 (12);
    child<juce::Button> (left, "measure").triggerClick();
    pump();
    EXPECT_EQ (unit.commands(), (Strings { "LV 1 -4", "LV 3 -3", "LV 7 12", "MT 5 1", "CR 1", "MD 83" }));
    EXPECT_TRUE (acceptsClicks (measure));

    child<juce::Button> (left, "check").triggerClick();
    pump();
    EXPECT_EQ (unit.commands(), (Strings { "ML 190", "NL -80", "LV 1 -4", "LV 3 -3", "LV 5 0", "LV 7 12", "CM 3" }));
    for (auto* panel : std::initializer_list<juce::Component*> { &measure, &content.getRight(), &content.getTop(),
                                                                 &child<juce::Component> (left, "measure") })
        EXPECT_FALSE (acceptsClicks (*panel)) << panel->getName();
    EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, "micGain")));

    child<juce::Button> (left, "check").triggerClick();
    pump();
    EXPECT_EQ (unit.commands(), (Strings { "CM 4" }));
    for (auto* panel : std::initializer_list<juce::Component*> { &measure, &content.getRight(), &content.getTop(),
                                                                 &child<juce::Component> (left, "measure") })
        EXPECT_TRUE (acceptsClicks (*panel)) << panel->getName();

    left.setM48v (false);
    EXPECT_FALSE (acceptsClicks (measure));
}

// A unit report may switch measurement mode off while a check runs; "CHECK"
// stays clickable, since it is the only way out of the check.
TEST_F (InputPanel, ACheckCanBeEndedAfterMeasurementModeWasSwitchedOff)
{
    MainContentComponent content;
    pump();
    LoopbackUnit unit;
    auto& left = content.getLeft();

    left.setM48v (true);
    child<juce::Button> (left, "check").triggerClick();
    pump();
    left.setM48v (false);
    unit.commands();

    EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, "check")));
    EXPECT_FALSE (acceptsClicks (content.getBottomMeasure()));
    EXPECT_FALSE (acceptsClicks (content.getRight()));

    child<juce::Button> (left, "check").triggerClick();
    pump();
    EXPECT_EQ (unit.commands(), (Strings { "CM 4" }));
    EXPECT_FALSE (acceptsClicks (child<juce::Component> (left, "check"))) << "follows Measure OFF again";
    EXPECT_FALSE (acceptsClicks (content.getBottomMeasure())) << "measurement mode is off";
    EXPECT_TRUE (acceptsClicks (content.getRight()));
    EXPECT_TRUE (acceptsClicks (content.getTop()));
    EXPECT_TRUE (acceptsClicks (child<juce::Component> (left, "measure")));
}

TEST_F (InputPanel, RendersItsMeterAndSwitch)
{
    LeftComponent left;
    left.setSize (168, 358);
    pump();

    // The meter (75, 29, 15 x 234) draws inside its one-pixel outline.
    left.getinputLevelSlider()->setValue (-80, juce::dontSendNotification);
    left.setM48v (true);
    auto image = snapshot (left, "input-panel-measuring-meter-min");

    EXPECT_TRUE (near (image.getPixelAt (82, 29 + 200), juce::Colour (0xFF00882B))) << "green zone shows";
    EXPECT_TRUE (near (image.getPixelAt (82, 29 + 50), juce::Colour (0xFFDE6A10))) << "orange zone shows";
    EXPECT_TRUE (near (image.getPixelAt (82, 29 + 5), juce::Colour (0xFFC82506))) << "red zone shows";
    EXPECT_TRUE (near (image.getPixelAt (34, 8), juce::Colour (0xFF851001))) << "Measure ON is red";
    EXPECT_EQ (argb (image, 0, 100), 0xFF808080u) << "grey border";
    EXPECT_EQ (argb (image, 100, 290), 0xFF53585Fu) << "background";

    left.getinputLevelSlider()->setValue (0, juce::dontSendNotification);
    left.setM48v (false);
    image = snapshot (left, "input-panel");
    for (int y : { 35, 100, 200, 260 })
        EXPECT_LT (image.getPixelAt (82, y).getBrightness(), 0.3f) << "covered at 0 dB, y " << y;
    EXPECT_TRUE (near (image.getPixelAt (34, 8), juce::Colour (0xFF006400))) << "Measure OFF is darkgreen";

    left.getinputLevelSlider()->setValue (-40, juce::dontSendNotification);
    image = snapshot (left, "input-panel-meter-half");
    EXPECT_LT (image.getPixelAt (82, 29 + 100).getBrightness(), 0.3f) << "upper half covered";
    EXPECT_TRUE (near (image.getPixelAt (82, 29 + 140), juce::Colour (0xFF00882B))) << "lower half shows";
}
