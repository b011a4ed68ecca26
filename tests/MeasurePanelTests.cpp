#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "link/Globals.h"
#include "panels/BottomMeasureComponent.h"
#include "support/OscDecode.h"
#include "support/PanelTestSupport.h"
#include "support/UdpCapture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using PanelTest::runUntil;

namespace
{
    // Whether a click on the panel's note editor would reach anything in the window.
    bool clickReaches (juce::Component& window, const juce::Component& panel)
    {
        return window.getComponentAt (panel.getBounds().getTopLeft() + juce::Point<int> (100, 250)) != nullptr;
    }

    juce::Point<float> centreOf (int point)
    {
        return { 20.0f + 35.0f * (float) (point - 1), 50.0f };
    }

    class MeasurePanel : public ::testing::Test
    {
    protected:
        UdpCapture unit { 9001 };
        juce::Component window;   // stands in for the main window
        BottomMeasureComponent panel;

        void SetUp() override
        {
            ASSERT_TRUE (unit.isOpen());
            sendCommand.setCurrentIpAddr ("127.0.0.1");
            window.setSize (300, 300);
            window.setVisible (true);
            window.addAndMakeVisible (panel);
            panel.setClockSpeed (1000);
        }

        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
        }

        std::vector<std::string> sent()
        {
            return describeAll (unit.drain (40));
        }

        bool idle() const
        {
            return panel.getSequence().getRunningPhase() == 0;
        }

        void measure (int point)
        {
            SCOPED_TRACE (point);
            panel.pointClicked (centreOf (point));
            EXPECT_THAT (sent(), ElementsAre ("PN " + std::to_string (point)));
            EXPECT_FALSE (clickReaches (window, panel));
            EXPECT_TRUE (panel.getPointBar (point).isVisible());
            EXPECT_EQ (panel.getCurrentTest(), point);

            ASSERT_TRUE (runUntil ([this] { return idle(); }));
            EXPECT_TRUE (clickReaches (window, panel));
            EXPECT_FALSE (panel.getPointBar (point).isVisible());
            EXPECT_TRUE (panel.getSequence().isDone (point));
        }
    };
}

//==============================================================================
TEST (MeasureSequence, EachPhaseEndsAfterItsNumberOfTicks)
{
    MeasureSequence s;
    const int expectedTicks[] = { 25, 50, 100, 200, 401 };

    for (int point = 1; point <= 5; ++point)
    {
        SCOPED_TRACE (point);
        ASSERT_TRUE (s.click (point));
        EXPECT_EQ (s.getRunningPhase(), point);

        int ticks = 1;
        while (! s.tick())
            ASSERT_LT (++ticks, 10000);

        EXPECT_EQ (ticks, expectedTicks[point - 1]);
        EXPECT_EQ (s.getRunningPhase(), 0);
        EXPECT_TRUE (s.isDone (point));
        if (point < 5)
            EXPECT_TRUE (s.isUnlocked (point + 1));
    }

    s.startProcessing();
    EXPECT_EQ (s.getCurrentTest(), 6);
    int ticks = 1;
    while (! s.tick())
        ASSERT_LT (++ticks, 10000);
    EXPECT_EQ (ticks, 2501);
    EXPECT_GT (s.processingProgress(), 1.0);
    EXPECT_FALSE (s.tick());
}

TEST (MeasureSequence, PointsStartInOrderAndEveryClickRaisesMaxNum)
{
    MeasureSequence s;
    EXPECT_FALSE (s.click (3));
    EXPECT_EQ (s.getRunningPhase(), 0);
    EXPECT_EQ (s.getCurrentTest(), 1);
    EXPECT_EQ (s.getMaxNum(), 1);

    EXPECT_FALSE (s.click (std::nullopt));
    EXPECT_TRUE (s.click (1));
    while (! s.tick()) {}
    EXPECT_TRUE (s.click (2));
    EXPECT_EQ (s.getMaxNum(), 2);

    // A point may be measured again once unlocked.
    while (! s.tick()) {}
    EXPECT_TRUE (s.click (1));
    EXPECT_EQ (s.getCurrentTest(), 1);
    EXPECT_EQ (s.getMaxNum(), 2);
    EXPECT_TRUE (s.isStartable (3));
    EXPECT_FALSE (s.isStartable (4));
}

//==============================================================================
TEST_F (MeasurePanel, FivePointsInOrderThenComputeLockingTheWindowForEachPhase)
{
    EXPECT_EQ (panel.getCurrentTest(), 1);
    EXPECT_EQ (panel.getMaxNum(), 0);
    EXPECT_TRUE (panel.getProcessingBar().isVisible());
    EXPECT_EQ (panel.getProcessingBar().findColour (juce::ProgressBar::backgroundColourId), juce::Colours::grey);

    // Exactly 15 pixels from the centre of point 1 is outside it.
    panel.pointClicked ({ 35.0f, 50.0f });
    EXPECT_THAT (sent(), IsEmpty());
    EXPECT_TRUE (clickReaches (window, panel));

    measure (1);

    // Point 3 before point 2: nothing starts.
    panel.pointClicked (centreOf (3));
    EXPECT_THAT (sent(), IsEmpty());
    EXPECT_TRUE (clickReaches (window, panel));
    EXPECT_EQ (panel.getMaxNum(), 1);

    for (int point = 2; point <= 5; ++point)
        measure (point);
    EXPECT_EQ (panel.getMaxNum(), 5);

    panel.getComputeButton().triggerClick();
    ASSERT_TRUE (runUntil ([this] { return panel.getCurrentTest() == 6; }));
    EXPECT_THAT (sent(), ElementsAre ("DP 4 20 688 0 1 300 500 24000 112 112 112 112",
                                      "AT 4 20 24000 0 1 300 500 24000 0 0 0 0"));
    EXPECT_FALSE (clickReaches (window, panel));
    EXPECT_EQ (TopComponent::timepasted, 30);
    EXPECT_EQ (panel.getProcessingBar().findColour (juce::ProgressBar::backgroundColourId), juce::Colours::white);

    ASSERT_TRUE (runUntil ([this] { return idle(); }));
    EXPECT_TRUE (clickReaches (window, panel));
    EXPECT_EQ (TopComponent::timepasted, 15);
    EXPECT_EQ (panel.getProcessingBar().findColour (juce::ProgressBar::backgroundColourId), juce::Colours::green);
    EXPECT_THAT (sent(), IsEmpty());

    // Processing is no click; the next click anywhere raises max num to 6.
    EXPECT_EQ (panel.getMaxNum(), 5);
    panel.pointClicked ({ 200.0f, 200.0f });
    EXPECT_EQ (panel.getMaxNum(), 6);

    panel.getResetButton().triggerClick();
    ASSERT_TRUE (runUntil ([this] { return panel.getMaxNum() == 0; }));
    EXPECT_THAT (sent(), ElementsAre ("PN 0"));
    EXPECT_EQ (panel.getCurrentTest(), 1);
    for (int point = 1; point <= 5; ++point)
        EXPECT_FALSE (panel.getSequence().isDone (point));
    EXPECT_FALSE (panel.getSequence().isStartable (2));
    EXPECT_EQ (panel.getProcessingBar().findColour (juce::ProgressBar::backgroundColourId), juce::Colours::white);
    EXPECT_EQ (panel.getSequence().processingProgress(), 0.0);
}

TEST_F (MeasurePanel, ResetDuringAStepLeavesTheStepRunningAndTheWindowLocked)
{
    panel.setClockSpeed (100);
    measure (1);
    panel.pointClicked (centreOf (2));
    EXPECT_THAT (sent(), ElementsAre ("PN 2"));
    ASSERT_TRUE (runUntil ([this] { return panel.getSequence().pointProgress (2) > 0.1; }));

    panel.resetMeasureStatus();
    EXPECT_THAT (sent(), ElementsAre ("PN 0"));
    EXPECT_EQ (panel.getCurrentTest(), 1);
    EXPECT_EQ (panel.getMaxNum(), 0);
    EXPECT_FALSE (panel.getSequence().isDone (1));
    EXPECT_FALSE (panel.getPointBar (2).isVisible());
    EXPECT_EQ (panel.getSequence().pointProgress (2), 0.0);

    // The step itself goes on from the start, and the window stays locked until it ends.
    EXPECT_EQ (panel.getSequence().getRunningPhase(), 2);
    EXPECT_FALSE (clickReaches (window, panel));
    ASSERT_TRUE (runUntil ([this] { return idle(); }));
    EXPECT_TRUE (clickReaches (window, panel));
    EXPECT_THAT (sent(), IsEmpty());
}

TEST (MeasurePanelInTheWindow, LocksTheContentComponentAndMarksTheResponseViewNotPrepared)
{
    MainContentComponent content;
    content.setVisible (true);
    auto& panel = content.getBottomMeasure();
    EXPECT_TRUE (clickReaches (content, panel));
    panel.setClockSpeed (1000);

    panel.pointClicked (centreOf (1));
    EXPECT_FALSE (clickReaches (content, panel));

    ASSERT_TRUE (runUntil ([&] { return panel.getSequence().getRunningPhase() == 0; }));
    EXPECT_TRUE (clickReaches (content, panel));

    auto& view = content.getCenter().getResponseView();
    view.setIsPrepared (true);
    panel.resetMeasureStatus();
    EXPECT_FALSE (view.getIsPrepared());
}

TEST_F (MeasurePanel, NoteEditorIsMultiLineAndKeepsItsText)
{
    auto* note = panel.getTextNote();
    ASSERT_NE (note, nullptr);
    EXPECT_TRUE (note->isMultiLine());
    EXPECT_TRUE (note->getReturnKeyStartsNewLine());
    note->setText ("hall A\nrow 12", juce::dontSendNotification);
    EXPECT_EQ (panel.getTextNote()->getText(), "hall A\nrow 12");
}

TEST_F (MeasurePanel, DrawsDonePointsDarkGreenWithALightCentre)
{
    measure (1);
    ASSERT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 225, 298));

    const auto image = panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f);
    const auto dir = juce::File (VELD72_BINARY_DIR "/snapshots");
    dir.createDirectory();
    juce::PNGImageFormat png;
    juce::FileOutputStream out (dir.getChildFile ("BottomMeasureComponent.png"));
    out.setPosition (0);
    out.truncate();
    ASSERT_TRUE (png.writeImageToStream (image, out));

    EXPECT_EQ (image.getPixelAt (3, 140).getARGB(), 0xFF53585Fu);
    EXPECT_EQ (image.getPixelAt (100, 30), juce::Colours::white);

    // Point 1 done: dark green ring, light grey centre; point 2 still grey and orange.
    EXPECT_EQ (image.getPixelAt (9, 50).getARGB(), 0xFF0B5C18u);
    EXPECT_EQ (image.getPixelAt (20, 50), juce::Colours::lightgrey);
    EXPECT_EQ (image.getPixelAt (44, 50), juce::Colours::grey);
    EXPECT_EQ (image.getPixelAt (55, 50), juce::Colours::orange);

    EXPECT_EQ (image.getPixelAt (200, 42), juce::Colours::black);   // "Compute", above its text
    EXPECT_EQ (image.getPixelAt (100, 78), juce::Colours::grey);    // the processing bar, not yet run
    EXPECT_EQ (image.getPixelAt (15, 200), juce::Colours::black);   // the note editor
}
