#include "panels/TopComponent.h"

#include "views/CurveFile.h"

#include "app/MainComponent.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"

int TopComponent::timepasted = 0;
int TopComponent::again = 0;

namespace
{
    const juce::Colour barColour (0xFF53585F);

    juce::Path powerSymbol()
    {
        juce::Path p;
        p.addLineSegment ({ 0.5f, 0.1f, 0.5f, 0.5f }, 0.05f);
        p.addPieSegment (0.2f, 0.2f, 0.6f, 0.6f, 0.31415927f, 5.969026f, 0.8f);
        return p;
    }

    juce::Path threeBars()
    {
        juce::Path p;
        p.addRectangle (0.2f, 0.2f, 0.8f, 0.1f);
        p.addRectangle (0.2f, 0.5f, 0.8f, 0.1f);
        p.addRectangle (0.2f, 0.8f, 0.8f, 0.1f);
        return p;
    }

    juce::Path logoMark()
    {
        juce::Path p;
        p.startNewSubPath (30, 30);
        p.lineTo (30, 5);
        p.lineTo (70, 5);
        p.lineTo (70, 33);
        p = p.createPathWithRoundedCorners (5);

        p.lineTo (58, 33);
        p.addPieSegment (54, 30, 6, 6, 4.712389f, 7.853982f, 1.0f);
        p.lineTo (54, 38);
        p.addPieSegment (48, 34, 6, 6, 4.712389f, 1.5707964f, 1.0f);
        p.lineTo (48, 13);
        p.addPieSegment (42, 12, 6, 6, 4.712389f, 7.853982f, 1.0f);
        p.lineTo (42, 33);
        p.lineTo (29, 33);

        juce::Path lower;
        lower.startNewSubPath (30, 32);
        lower.lineTo (30, 45);
        lower.lineTo (70, 45);
        lower.lineTo (70, 36);
        p.addPath (lower.createPathWithRoundedCorners (5));
        return p;
    }
}

TopComponent::TopComponent() : TopComponent (StatusTiming {})
{
}

TopComponent::TopComponent (StatusTiming t)
    : juce::Thread ("network status"), timing (t)
{
    setName ("Top bar");

    const auto power = powerSymbol();
    for (size_t k = 0; k < statusIcons.size(); ++k)
    {
        statusIcons[k] = std::make_unique<juce::ShapeButton> ("", juce::Colours::white, juce::Colours::whitesmoke,
                                                              juce::Colours::orange);
        statusIcons[k]->setShape (power, true, true, true);
        iconColours[k] = { juce::Colours::white, juce::Colours::whitesmoke, juce::Colours::orange };
        addAndMakeVisible (*statusIcons[k]);
    }

    const auto styleTextButton = [this] (juce::TextButton& b)
    {
        b.setColour (juce::TextButton::buttonColourId, juce::Colours::black);
        b.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        b.addListener (this);
        b.setLookAndFeel (&buttonStyle);
        addAndMakeVisible (b);
    };

    styleTextButton (connectButton);

    for (auto& b : addressButtons)
    {
        b = std::make_unique<juce::TextButton> ("0.0.0.0");
        styleTextButton (*b);
    }

    for (size_t k = 0; k < unitLabels.size(); ++k)
    {
        auto& label = unitLabels[k];
        label.setText ("UNIT" + juce::String ((int) k + 1), juce::dontSendNotification);
        label.setMinimumHorizontalScale (1.0f);
        label.setJustificationType (juce::Justification::centred);
        label.setEditable (true, false, false);
        label.addListener (this);
        addAndMakeVisible (label);
    }

    menuButton = std::make_unique<juce::ShapeButton> ("", juce::Colours::grey, juce::Colours::whitesmoke,
                                                      juce::Colours::orange);
    menuButton->setShape (threeBars(), true, true, true);
    menuButton->addListener (this);
    addAndMakeVisible (*menuButton);

    discovery = [] { sendCommand.FindIpAddr(); };

    netFailCount = 0;
    timepasted = 15;
    selectedUnit = 0;
    startThread();
}

TopComponent::~TopComponent()
{
    // The thread's pauses and its reply wait end early on this request, so it
    // is over within a few milliseconds; it is never killed.
    signalThreadShouldExit();
    notify();
    waitForThreadToExit (-1);

    connectButton.setLookAndFeel (nullptr);
    for (auto& b : addressButtons)
        b->setLookAndFeel (nullptr);
}

void TopComponent::setTimePassed (int t)
{
    timepasted = t;
}

//==============================================================================
void TopComponent::paint (juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();

    g.fillAll (barColour);

    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds(), 1);
    for (int x : { w / 10, w / 3, 11 * w / 24, 14 * w / 24, 17 * w / 24, 25 * w / 30 })
        g.drawVerticalLine (x, 0.0f, (float) h);

    g.setColour (juce::Colours::white);
    g.strokePath (logoMark(), juce::PathStrokeType (3.0f));

    g.setFont (8.0f);
    g.drawText ("POLAR GARNET", 20, 46, 60, 10, juce::Justification::centred, true);
    g.setFont (30.0f);
    g.drawText ("POLAR GARNET", w / 10 + 35, 0, 300, 40, juce::Justification::left, true);
    g.setFont (20.0f);
    g.drawText ("Power By Varnholt", w / 10 + 50, 35, 400, 20, juce::Justification::left, true);

    if (netFailCount >= timepasted)
    {
        netFailCount = 0;
        again = 1;

        WarningAlerts::show ("the network down", "the network down",
                             [safeThis = juce::Component::SafePointer<TopComponent> (this)]
                             {
                                 if (safeThis != nullptr)
                                     again = 0;
                             });
    }
}

void TopComponent::resized()
{
    const int w = getWidth();
    const int columns[] = { w / 3, 11 * w / 24, 14 * w / 24, 17 * w / 24 };

    for (size_t k = 0; k < 4; ++k)
    {
        unitLabels[k].setBounds (columns[k] + 10, 10, 102, 20);
        statusIcons[k]->setBounds (columns[k] + 5, 30, 20, 20);
        addressButtons[k]->setBounds (columns[k] + 30, 30, 83, 20);
    }

    connectButton.setBounds (8 * w / 10 + 60, 15, 80, 30);
    menuButton->setBounds (8 * w / 10 + 150, 20, 40, 20);
}

//==============================================================================
void TopComponent::buttonClicked (juce::Button* b)
{
    if (b == &connectButton)
    {
        connect();
        return;
    }

    if (b == menuButton.get())
    {
        showFileMenu();
        return;
    }

    for (size_t k = 0; k < addressButtons.size(); ++k)
        if (b == addressButtons[k].get())
            selectUnit ((int) k + 1);
}

void TopComponent::setDiscovery (std::function<void()> d)
{
    discovery = std::move (d);
}

void TopComponent::connect()
{
    for (auto& b : addressButtons)
        b->setButtonText ("0.0.0.0");

    if (discovery)
        discovery();

    const int n = sendCommand.getIpAddrLen();
    if (n < 1 || n > 4)
        return;

    for (int k = 1; k <= n; ++k)
        addressButtons[(size_t) (k - 1)]->setButtonText (sendCommand.getIpAddr (k));

    repaint();
}

void TopComponent::markResponseViewNotPrepared()
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
    {
        auto& view = content->getCenter().getResponseView();
        view.setIsPrepared (false);
        view.repaint();
    }
}

void TopComponent::setIconColours (int k, juce::Colour normal, juce::Colour over, juce::Colour down)
{
    const auto i = (size_t) (k - 1);
    const std::array<juce::Colour, 3> colours { normal, over, down };

    // Every poll sets the colours again: an icon is redrawn only when they change.
    if (iconColours[i] == colours)
        return;

    iconColours[i] = colours;
    statusIcons[i]->setColours (normal, over, down);
    statusIcons[i]->repaint();
}

void TopComponent::selectUnit (int k)
{
    markResponseViewNotPrepared();

    selectedUnit = k;
    sendCommand.setCurrentIpAddr (addressButtons[(size_t) (k - 1)]->getButtonText());

    for (int j = 1; j <= 4; ++j)
    {
        const bool selected = j == k;
        addressButtons[(size_t) (j - 1)]->setColour (juce::TextButton::textColourOffId,
                                                     selected ? juce::Colours::lightgreen : juce::Colours::white);
        setIconColours (j, selected ? juce::Colours::lightgreen : juce::Colours::white,
                        juce::Colours::black, juce::Colours::green);
    }

    repaint();

    sendCommand.sendSRCommand();
    sendCommand.sendSLCommand();
}

//==============================================================================
juce::PopupMenu TopComponent::createFileMenu() const
{
    juce::PopupMenu menu;
    menu.addItem (1, "Save Target Curve File", true, lastMenuItem == 0);
    menu.addItem (2, "Load Target Curve File", true, lastMenuItem == 1);
    menu.addItem (3, "Save Parameter File", true, lastMenuItem == 2);
    menu.addItem (4, "Load Parameter File", true, lastMenuItem == 3);
    menu.addItem (5, "update File", true, lastMenuItem == 4);
    return menu;
}

void TopComponent::showFileMenu()
{
    createFileMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (menuButton.get()),
                                    [safeThis = juce::Component::SafePointer<TopComponent> (this)] (int result)
                                    {
                                        if (safeThis != nullptr)
                                            safeThis->fileMenuItemChosen (result);
                                    });
}

void TopComponent::fileMenuItemChosen (int result)
{
    switch (result)
    {
        case 1: SaveCurveFile(); lastMenuItem = 0; break;
        case 2: OpenCurveFile(); lastMenuItem = 1; break;
        case 3: SaveParaFile (false); lastMenuItem = 2; break;
        case 4: lastMenuItem = OpenParaFile (false); break;
        case 5:
            // Where the updater is not installed the process does not start
            // and nothing is shown.
            updater.start (juce::StringArray { updaterPath },
                           juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
            lastMenuItem = 4;
            break;
        default: break;
    }
}

void TopComponent::SaveCurveFile()
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        chooseAndSaveCurveFile (content->getCenter().getCurveEditor());
}

void TopComponent::OpenCurveFile()
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        chooseAndLoadCurveFile (content->getCenter().getCurveEditor());
}

//==============================================================================
void TopComponent::labelTextChanged (juce::Label* label)
{
    const auto text = label->getText();
    if (text.isNotEmpty())
        sendCommand.sendUnitName (text);
}

void TopComponent::setUnitName (juce::String name)
{
    const int k = selectedUnit.load();
    if (k >= 1 && k <= 4)
        unitLabels[(size_t) (k - 1)].setText (name, juce::dontSendNotification);
}

//==============================================================================
bool TopComponent::waitForReply()
{
    // Waited for in short slices so that a stop request ends the wait early.
    constexpr int sliceMs = 5;

    for (int waited = 0; waited < timing.replyWaitMs && ! threadShouldExit(); waited += sliceMs)
        if (waitAbleEvent.wait (juce::jmin (sliceMs, timing.replyWaitMs - waited)))
            return true;

    return false;
}

void TopComponent::pollOnce()
{
    sendCommand.sendNetStatus();
    const bool replied = waitForReply();

    const juce::MessageManagerLock lock (this);
    if (! lock.lockWasGained())
        return;

    const int k = selectedUnit.load();

    if (replied)
    {
        if (k >= 1 && k <= 4)
            setIconColours (k, juce::Colours::lightgreen, juce::Colours::black, juce::Colours::blue);
        netFailCount = 0;
        return;
    }

    for (int j = 1; j <= 4; ++j)
        setIconColours (j, juce::Colours::white, juce::Colours::black, juce::Colours::blue);

    // The bar itself is redrawn only when its painting has something to say:
    // it tells the user that the network is down.
    if (++netFailCount >= timepasted)
    {
        if (again == 1)
            netFailCount = 0;
        else
            repaint();
    }
}

void TopComponent::run()
{
    while (! threadShouldExit())
    {
        if (selectedUnit.load() == 0)
        {
            wait (timing.pauseMs);
            continue;
        }

        pollOnce();

        if (! threadShouldExit())
            wait (timing.pauseMs);
    }
}
