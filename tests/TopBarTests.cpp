#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/TopComponent.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

#include <atomic>
#include <thread>

using ::testing::ElementsAre;

namespace
{
    void pump (int ms)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
    }

    std::vector<juce::String> addressTexts (TopComponent& top)
    {
        std::vector<juce::String> texts;
        for (int k = 1; k <= 4; ++k)
            texts.push_back (top.getAddressButton (k).getButtonText());
        return texts;
    }

    struct RecordedAlerts
    {
        juce::StringArray titles;
        std::vector<std::function<void()>> dismiss;
        WarningAlerts::ScopedPresenter presenter { [this] (const juce::String& t, const juce::String&, std::function<void()> d)
                                                   {
                                                       titles.add (t);
                                                       dismiss.push_back (std::move (d));
                                                   } };
    };

    // Answers every "NS" the way the report port does, by signalling the event.
    class Responder
    {
    public:
        Responder() : thread ([this] { loop(); }) {}
        ~Responder() { stop = true; thread.join(); }

        std::atomic<bool> answering { true };
        std::atomic<int> polls { 0 };

    private:
        void loop()
        {
            UdpCapture unit (Command::commandPort);
            while (! stop)
                if (auto d = unit.receive (10))
                    if (auto m = decodeWithLiblo (*d); m && m->code() == "NS")
                    {
                        ++polls;
                        if (answering)
                            waitAbleEvent.signal();
                    }
        }

        std::atomic<bool> stop { false };
        std::thread thread;
    };

    constexpr TopComponent::StatusTiming fast { 5, 30 };

    class TopBar : public ::testing::Test
    {
    protected:
        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
            sendCommand.setIpAddrList ({});
            waitAbleEvent.reset();
            TopComponent::again = 0;
        }

        static void selectLoopbackUnit (TopComponent& top, int k)
        {
            top.getAddressButton (k).setButtonText ("127.0.0.1");
            top.buttonClicked (&top.getAddressButton (k));
        }

        // Pumps the message loop and paints the bar (its paint raises
        // "network down"), until done() or the time is up.
        static void runPainting (TopComponent& top, int maxMs, std::function<bool()> done = {},
                                 std::function<void (int)> onPaint = {})
        {
            juce::Image canvas (juce::Image::ARGB, juce::jmax (1, top.getWidth()), juce::jmax (1, top.getHeight()), true);
            const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) maxMs;
            while (juce::Time::getMillisecondCounter() < end && ! (done && done()))
            {
                pump (2);
                const int missed = top.getNetFailCount();
                juce::Graphics g (canvas);
                top.paintEntireComponent (g, true);
                if (onPaint)
                    onPaint (missed);
            }
        }
    };
}

TEST_F (TopBar, ControlsSitInTheirColumns)
{
    TopComponent top;
    top.setSize (1022, 58);

    using R = juce::Rectangle<int>;
    EXPECT_EQ (top.getUnitLabel (1).getBounds(), R (350, 10, 102, 20));
    EXPECT_EQ (top.getStatusIcon (1).getBounds(), R (345, 30, 20, 20));
    EXPECT_EQ (top.getAddressButton (1).getBounds(), R (370, 30, 83, 20));
    EXPECT_EQ (top.getAddressButton (2).getBounds(), R (498, 30, 83, 20));
    EXPECT_EQ (top.getUnitLabel (3).getBounds(), R (606, 10, 102, 20));
    EXPECT_EQ (top.getStatusIcon (4).getBounds(), R (728, 30, 20, 20));
    EXPECT_EQ (top.getConnectButton().getBounds(), R (877, 15, 80, 30));
    EXPECT_EQ (top.getMenuButton().getBounds(), R (967, 20, 40, 20));
}

TEST_F (TopBar, StartState)
{
    TopComponent::timepasted = 0;
    TopComponent top;

    EXPECT_EQ (TopComponent::timepasted, 15);
    EXPECT_EQ (top.getSelectedUnit(), 0);
    EXPECT_EQ (top.getNetFailCount(), 0);
    EXPECT_EQ (top.getConnectButton().getButtonText(), "Connect");
    for (int k = 1; k <= 4; ++k)
    {
        EXPECT_EQ (top.getAddressButton (k).getButtonText(), "0.0.0.0");
        EXPECT_EQ (top.getUnitLabel (k).getText(), "UNIT" + juce::String (k));
        EXPECT_TRUE (top.getUnitLabel (k).isEditableOnSingleClick());
        EXPECT_FALSE (top.getUnitLabel (k).isEditableOnDoubleClick());
        EXPECT_EQ (top.getStatusIconColour (k), juce::Colours::white);
    }
    EXPECT_TRUE (top.isThreadRunning());
    EXPECT_EQ (top.getThreadName(), "network status");
}

TEST_F (TopBar, PaintsTheBarColourAndItsDividers)
{
    TopComponent top;
    top.setSize (1022, 58);
    const auto image = top.createComponentSnapshot (top.getLocalBounds(), false);

    EXPECT_EQ (image.getPixelAt (330, 5).getARGB(), 0xFF53585Fu);
    EXPECT_EQ (image.getPixelAt (102, 20), juce::Colours::grey) << "divider at W/10";
    EXPECT_EQ (image.getPixelAt (340, 5), juce::Colours::grey) << "divider at W/3";
    EXPECT_EQ (image.getPixelAt (0, 30), juce::Colours::grey) << "frame";
}

TEST_F (TopBar, ConnectShowsOneToFourUnits)
{
    struct Case
    {
        const char* name;
        juce::StringArray found;
        std::vector<juce::String> buttons;
    };

    const Case cases[] = {
        { "none", {}, { "0.0.0.0", "0.0.0.0", "0.0.0.0", "0.0.0.0" } },
        { "two", { "192.0.2.20", "192.0.2.21" }, { "192.0.2.20", "192.0.2.21", "0.0.0.0", "0.0.0.0" } },
        { "four", { "a", "b", "c", "d" }, { "a", "b", "c", "d" } },
        { "five", { "a", "b", "c", "d", "e" }, { "0.0.0.0", "0.0.0.0", "0.0.0.0", "0.0.0.0" } },
    };

    TopComponent top;
    sendCommand.setCurrentIpAddr ("192.0.2.99");

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        for (int k = 1; k <= 4; ++k)
            top.getAddressButton (k).setButtonText ("stale");

        int runs = 0;
        top.setDiscovery ([&] { ++runs; sendCommand.setIpAddrList (c.found); });
        top.buttonClicked (&top.getConnectButton());

        EXPECT_EQ (runs, 1);
        EXPECT_EQ (addressTexts (top), c.buttons);
    }

    EXPECT_EQ (sendCommand.getCurrentIpAddr(), "192.0.2.99") << "Connect selects nothing";
    EXPECT_EQ (top.getSelectedUnit(), 0);
}

TEST_F (TopBar, SelectingAUnitColoursItsSlotAndAsksForItsSettings)
{
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());

    MainContentComponent content;
    auto& top = content.getTop();
    auto& view = content.getCenter().getResponseView();
    view.setIsPrepared (true);

    selectLoopbackUnit (top, 3);

    EXPECT_FALSE (view.getIsPrepared());
    EXPECT_EQ (top.getSelectedUnit(), 3);
    EXPECT_EQ (sendCommand.getCurrentIpAddr(), "127.0.0.1");
    for (int k = 1; k <= 4; ++k)
    {
        const auto expected = k == 3 ? juce::Colours::lightgreen : juce::Colours::white;
        EXPECT_EQ (top.getAddressButton (k).findColour (juce::TextButton::textColourOffId), expected) << k;
        EXPECT_EQ (top.getStatusIconColour (k), expected) << k;
    }

    const auto received = describeAll (unit.drain (100));
    ASSERT_GE (received.size(), 2u);
    EXPECT_THAT (std::vector<std::string> (received.begin(), received.begin() + 2), ElementsAre ("SR", "SL"));

    // A button still showing 0.0.0.0 selects that address as it is.
    top.buttonClicked (&top.getAddressButton (1));
    EXPECT_EQ (sendCommand.getCurrentIpAddr(), "0.0.0.0");
}

TEST_F (TopBar, EditedNameGoesToTheSelectedUnitWhicheverLabelWasEdited)
{
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());

    TopComponent top;
    selectLoopbackUnit (top, 4);
    unit.drain (50);

    top.getUnitLabel (2).setText ("Stage left", juce::sendNotificationSync);
    top.getUnitLabel (2).setText ("", juce::sendNotificationSync);

    std::vector<std::string> names;
    for (const auto& d : describeAll (unit.drain (100)))
        if (d.rfind ("UN", 0) == 0)
            names.push_back (d);
    EXPECT_THAT (names, ElementsAre ("UN 'Stage left'")) << "an empty name is not sent";

    // The unit's "UN" report renames the selected slot, not the edited one.
    top.setUnitName ("Stage left");
    EXPECT_EQ (top.getUnitLabel (4).getText(), "Stage left");
}

TEST_F (TopBar, AnsweredPollsKeepTheSelectedIconGreen)
{
    Responder responder;
    TopComponent top (fast);
    top.setSize (1022, 58);
    selectLoopbackUnit (top, 2);

    runPainting (top, 2000, [&] { return responder.polls >= 5; });
    EXPECT_GE (responder.polls.load(), 5) << "polled about every pause + reply time";
    EXPECT_EQ (top.getStatusIconColour (2), juce::Colours::lightgreen);
    EXPECT_EQ (top.getNetFailCount(), 0);

    responder.answering = false;
    runPainting (top, 2000, [&] { return top.getNetFailCount() >= 3; });
    EXPECT_GE (top.getNetFailCount(), 3);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ (top.getStatusIconColour (k), juce::Colours::white);

    responder.answering = true;
    runPainting (top, 2000, [&] { return top.getNetFailCount() == 0; });
    EXPECT_EQ (top.getNetFailCount(), 0);
    EXPECT_EQ (top.getStatusIconColour (2), juce::Colours::lightgreen);
}

TEST_F (TopBar, AReplyArrivingBetweenPollsCountsForTheNextPoll)
{
    TopComponent top (fast);
    waitAbleEvent.signal();
    selectLoopbackUnit (top, 1);

    runPainting (top, 1000, [&] { return top.getStatusIconColour (1) == juce::Colours::lightgreen; });
    EXPECT_EQ (top.getStatusIconColour (1), juce::Colours::lightgreen);
}

TEST_F (TopBar, NetworkDownAlertOnceAfterTheThresholdAndAgainOnlyAfterDismissal)
{
    RecordedAlerts alerts;
    TopComponent top (fast);
    top.setSize (1022, 58);
    selectLoopbackUnit (top, 1);

    std::vector<int> missedAtAlert;
    const auto noteAlerts = [&] (int missed)
    {
        if ((int) missedAtAlert.size() < alerts.titles.size())
            missedAtAlert.push_back (missed);
    };

    runPainting (top, 3000, [&] { return alerts.titles.size() >= 1; }, noteAlerts);
    ASSERT_EQ (alerts.titles.joinIntoString ("|"), "the network down");
    EXPECT_THAT (missedAtAlert, ElementsAre (15));
    EXPECT_EQ (TopComponent::again, 1);

    // Left open: the count restarts at every threshold and no alert is stacked.
    runPainting (top, 1500, [&] { return false; }, noteAlerts);
    EXPECT_EQ (alerts.titles.size(), 1);
    EXPECT_LT (top.getNetFailCount(), 15);

    alerts.dismiss[0]();
    EXPECT_EQ (TopComponent::again, 0);

    runPainting (top, 3000, [&] { return alerts.titles.size() >= 2; }, noteAlerts);
    EXPECT_EQ (alerts.titles.size(), 2);
    ASSERT_EQ (missedAtAlert.size(), 2u);
    EXPECT_EQ (missedAtAlert[1], 15);
}

TEST_F (TopBar, ProcessingRunRaisesTheThreshold)
{
    RecordedAlerts alerts;
    TopComponent top (fast);
    top.setSize (1022, 58);
    TopComponent::setTimePassed (30);
    selectLoopbackUnit (top, 1);

    int missedAtAlert = -1;
    runPainting (top, 5000, [&] { return alerts.titles.size() >= 1; },
                 [&] (int missed) { if (missedAtAlert < 0 && alerts.titles.size() == 1) missedAtAlert = missed; });
    EXPECT_EQ (missedAtAlert, 30);
}

TEST_F (TopBar, AlertDismissedAfterTheBarIsGoneTouchesNothing)
{
    RecordedAlerts alerts;
    {
        TopComponent top (fast);
        top.setSize (1022, 58);
        selectLoopbackUnit (top, 1);
        runPainting (top, 3000, [&] { return alerts.titles.size() >= 1; });
    }
    ASSERT_EQ (alerts.titles.size(), 1);
    alerts.dismiss[0]();
    EXPECT_EQ (TopComponent::again, 1);
}

TEST_F (TopBar, StopsItsThreadPromptlyEvenMidWait)
{
    auto top = std::make_unique<TopComponent>();   // one-second pauses and reply waits
    selectLoopbackUnit (*top, 1);
    pump (50);   // now waiting for a reply that never comes

    const auto start = juce::Time::getMillisecondCounterHiRes();
    top.reset();
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 250.0);
}

TEST_F (TopBar, FileMenuTicksTheLastChoice)
{
    TopComponent top;

    const auto ticked = [&]
    {
        std::vector<int> ids;
        const auto menu = top.createFileMenu();
        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            const auto& item = it.getItem();
            EXPECT_TRUE (item.isEnabled);
            if (item.isTicked)
                ids.push_back (item.itemID);
        }
        return ids;
    };

    EXPECT_TRUE (ticked().empty());

    struct Case { int result; int lastMenuItem; };
    for (const auto c : { Case { 1, 0 }, Case { 2, 1 }, Case { 3, 2 }, Case { 4, 3 }, Case { 0, 3 }, Case { 5, 4 } })
    {
        SCOPED_TRACE (c.result);
        top.fileMenuItemChosen (c.result);   // the updater is missing here: nothing happens
        EXPECT_EQ (top.getLastMenuItem(), c.lastMenuItem);
        EXPECT_THAT (ticked(), ElementsAre (c.lastMenuItem + 1));
    }

    std::vector<juce::String> names;
    const auto menu = top.createFileMenu();
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        names.push_back (it.getItem().text);
    EXPECT_THAT (names, ElementsAre ("Save Target Curve File", "Load Target Curve File", "Save Parameter File",
                                     "Load Parameter File", "update File"));
}
