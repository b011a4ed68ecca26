#include "views/FrequencyResponseAndCrossoverComponent.h"

#include "app/MainComponent.h"
#include "link/Globals.h"
#include "views/ResponseMath.h"

#include <cmath>

int FrequencyResponseAndCrossoverComponent::mydisplayMode = 0;
int FrequencyResponseAndCrossoverComponent::mydisplayModeAll = 0;

juce::Path FrequencyResponseAndCrossoverComponent::myPath1;
juce::Path FrequencyResponseAndCrossoverComponent::myPath2;
juce::Path FrequencyResponseAndCrossoverComponent::myPath3;
juce::Path FrequencyResponseAndCrossoverComponent::myPath4;
juce::Path FrequencyResponseAndCrossoverComponent::myPath5;
juce::Path FrequencyResponseAndCrossoverComponent::myPathL;
juce::Path FrequencyResponseAndCrossoverComponent::myPathR;

namespace
{
    const juce::Colour background { 0xFF172B3F };
    const juce::Colour blueMarkerColour { 0xFF00882B };
    const juce::Colour greenMarkerColour { 0xFFDE6A10 };
    const juce::Colour redMarkerColour { 0xFFA37512 };

    constexpr int markerGap = 40;   // least distance a drag keeps between markers

    std::array<juce::Path*, ResponseMath::numPaths> allPaths()
    {
        using V = FrequencyResponseAndCrossoverComponent;
        return { &V::myPath1, &V::myPath2, &V::myPath3, &V::myPath4, &V::myPath5, &V::myPathL, &V::myPathR };
    }

    // A wait on the shared event is bounded, so that a request to stop is
    // seen even when another waiter has taken the signal meant to wake us.
    constexpr int exitCheckIntervalMs = 250;
}

FrequencyResponseAndCrossoverComponent::FrequencyResponseAndCrossoverComponent()
    : juce::Thread ("fft thread")
{
    applyButton.setColour (juce::TextButton::buttonColourId, juce::Colours::black);
    applyButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    applyButton.setColour (juce::TextButton::textColourOnId, juce::Colour (0xFF00008B));
    applyButton.setLookAndFeel (&buttonStyle);
    applyButton.addListener (this);
    addAndMakeVisible (applyButton);

    slopeBox.setLookAndFeel (&boxStyle);
    slopeBox.setColour (juce::ComboBox::backgroundColourId, juce::Colours::black);
    slopeBox.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    slopeBox.setEnabled (true);
    slopeBox.setJustificationType (juce::Justification::centred);
    slopeBox.addItem ("12dB/Oct", 1);
    slopeBox.addItem ("24dB/Oct", 2);
    slopeBox.addItem ("36dB/Oct", 3);
    slopeBox.setSelectedId (2, juce::sendNotificationAsync);
    slopeBox.addListener (this);
    addAndMakeVisible (slopeBox);

    addChildComponent (progressBar);
    progressBar.setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);
    progressBar.setColour (juce::ProgressBar::foregroundColourId, juce::Colours::green);
    progressBar.setVisible (false);

    mydisplayMode = 0;
    mydisplayModeAll = 0;

    startThread();
}

FrequencyResponseAndCrossoverComponent::~FrequencyResponseAndCrossoverComponent()
{
    stopWorker();
    stopTimer();
    applyButton.setLookAndFeel (nullptr);
    slopeBox.setLookAndFeel (nullptr);
}

bool FrequencyResponseAndCrossoverComponent::stopWorker()
{
    signalThreadShouldExit();
    waitFftEvent.signal();
    return stopThread (4 * exitCheckIntervalMs + 1000);
}

//==============================================================================
void FrequencyResponseAndCrossoverComponent::setIsPrepared (bool b)
{
    prepared = b;

    if (! b)
        for (auto* path : allPaths())
            path->clear();
}

void FrequencyResponseAndCrossoverComponent::setCurrentPosRed (int x)   { posRed = x; }
void FrequencyResponseAndCrossoverComponent::setCurrentPosGreen (int x) { posGreen = x; }
void FrequencyResponseAndCrossoverComponent::setCurrentPosBlue (int x)  { posBlue = x; }

juce::String FrequencyResponseAndCrossoverComponent::getHandedOverText (int marker) const
{
    return marker >= 1 && marker <= 3 ? handedOver[(size_t) marker - 1] : juce::String();
}

//==============================================================================
void FrequencyResponseAndCrossoverComponent::run()
{
    while (! threadShouldExit())
    {
        if (! waitFftEvent.wait (exitCheckIntervalMs))
            continue;

        if (threadShouldExit())
            break;

        prepared = false;
        prepareData();
    }
}

void FrequencyResponseAndCrossoverComponent::prepareData()
{
    int mode = 0, width = 0, height = 0;
    bool fullReload = false;

    {
        const juce::MessageManagerLock lock (this);
        if (! lock.lockWasGained())
            return;

        mode = mydisplayMode;
        fullReload = mydisplayModeAll == 13;
        if (fullReload)
            mydisplayModeAll = 0;
        width = getWidth();
        height = getHeight();
    }

    // The files are read and the curves built without the lock, so that the
    // message thread only ever strokes finished curves.
    auto curves = ResponseMath::readCurves (ResponseMath::filesToRead (mode, fullReload), width, height);

    const juce::MessageManagerLock lock (this);
    if (! lock.lockWasGained())
        return;

    const auto paths = allPaths();
    for (size_t i = 0; i < paths.size(); ++i)
        if (curves[i])
            paths[i]->swapWithPath (*curves[i]);

    prepared = true;
    repaint();
}

//==============================================================================
void FrequencyResponseAndCrossoverComponent::buttonClicked (juce::Button* b)
{
    if (b != &applyButton)
        return;

    const auto slope = slopeBox.getText().getIntValue();
    sendCommand.sendCurrentPoint (posBlue, posGreen, posRed);

    const auto commands = ResponseMath::crossoverCommands (BottomSystemComponent::getMyMode(),
                                                           BottomPanelComponent::getFreq1(),
                                                           BottomPanelComponent::getFreq2(),
                                                           BottomPanelComponent::getFreq3(),
                                                           slope);
    for (const auto& hp : commands.highPasses)
        sendCommand.sendHICommand ((unsigned char) hp.pair, (unsigned char) hp.one, hp.frequency, hp.slope);
    if (commands.outputCode)
        sendCommand.sendFOCommand (*commands.outputCode);

    sendCommand.sendCMCommand (2);

    progressBar.setVisible (true);
    setWindowLocked (true);
    busyProgress = 0.0;
    startTimer (200);
}

void FrequencyResponseAndCrossoverComponent::comboBoxChanged (juce::ComboBox*)
{
    // The slope is read when "Apply CrossOver" is pressed.
}

void FrequencyResponseAndCrossoverComponent::timerCallback()
{
    busyProgress += 0.2;

    if (busyProgress > 1.0)
    {
        stopTimer();
        progressBar.setVisible (false);
        setWindowLocked (false);
    }
}

void FrequencyResponseAndCrossoverComponent::setWindowLocked (bool locked)
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        content->setInterceptsMouseClicks (! locked, ! locked);
}

int FrequencyResponseAndCrossoverComponent::getStereoFormat() const
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        return content->getBottomSystem().getComboSFValue();
    return 0;
}

//==============================================================================
void FrequencyResponseAndCrossoverComponent::mouseDown (const juce::MouseEvent& e)
{
    const auto grab = [this, &e] (int position, bool& flag)
    {
        if (std::abs (e.x - position) <= 4)
        {
            setMouseCursor (juce::MouseCursor::CrosshairCursor);
            flag = true;
        }
    };

    grab (posBlue, draggingBlue);
    grab (posGreen, draggingGreen);
    grab (posRed, draggingRed);
}

void FrequencyResponseAndCrossoverComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (draggingBlue)
    {
        repaint();
        posBlue = e.x;
        movedBlue = true;
        if (e.x <= 30)
            posBlue = 30;
        if (posBlue > posGreen - markerGap)
            posBlue = posGreen - markerGap;
    }

    if (draggingGreen)
    {
        repaint();
        posGreen = e.x;
        movedGreen = true;
        if (posGreen <= posBlue + markerGap)
            posGreen = posBlue + markerGap;
        if (posGreen > posRed - markerGap)
            posGreen = posRed - markerGap;
    }

    if (draggingRed)
    {
        repaint();
        posRed = e.x;
        movedRed = true;
        if (posRed <= posGreen + markerGap)
            posRed = posGreen + markerGap;
        if (posRed > getWidth() - 10)
            posRed = getWidth() - 10;
    }
}

void FrequencyResponseAndCrossoverComponent::mouseUp (const juce::MouseEvent&)
{
    const bool wasMoved = movedBlue || movedGreen || movedRed;
    movedBlue = movedGreen = movedRed = false;
    draggingBlue = draggingGreen = draggingRed = false;
    setMouseCursor (juce::MouseCursor::NormalCursor);

    if (wasMoved)
        repaint();
}

//==============================================================================
void FrequencyResponseAndCrossoverComponent::resized()
{
    const auto W = getWidth(), H = getHeight();
    applyButton.setBounds (W - 100, H - 60, 100, 25);
    slopeBox.setBounds (W - 190, H - 60, 85, 25);
    progressBar.setBounds (W - 100, H - 35, 100, 5);
}

void FrequencyResponseAndCrossoverComponent::handOver (int marker, const juce::String& label)
{
    const auto text = ResponseMath::handOverText (label);
    auto& last = handedOver[(size_t) marker - 1];

    if (text != last)
    {
        last = text;
        if (onCrossoverFrequency)
            onCrossoverFrequency (marker, text);
    }
}

void FrequencyResponseAndCrossoverComponent::paint (juce::Graphics& g)
{
    const auto W = getWidth(), H = getHeight();
    const auto fW = (float) W, fH = (float) H;
    const auto s = ResponseMath::levelStep (H);

    g.fillAll (background);
    g.setFont (10.0f);

    g.setColour (juce::Colours::grey.withAlpha (0.3f));
    for (int i = 0; i <= 12; ++i)
    {
        const auto y = (float) (int) ((float) i * s);
        g.drawLine (30.0f, y, fW - 10.0f, y);
    }

    g.setColour (juce::Colours::grey);
    const std::pair<const char*, int> levels[] = { { " 90dB", 1 }, { " 60dB", 4 }, { " 30dB", 7 }, { "  0dB", 10 } };
    for (const auto& [text, line] : levels)
        g.drawText (text, 0, (int) ((float) line * s - 3.0f), 30, 10, juce::Justification::centred, true);

    g.drawLine (30.0f, fH - 30.0f, fW - 10.0f, fH - 30.0f);
    g.drawLine (30.0f, 0.0f, 30.0f, fH - 30.0f);

    const std::pair<const char*, double> grid[] = { { "100", 100.0 }, { "50", 50.0 }, { "200", 200.0 }, { "500", 500.0 },
                                                    { "1k", 1000.0 }, { "2k", 2000.0 }, { "5k", 5000.0 }, { "10k", 10000.0 } };
    for (const auto& [text, f] : grid)
    {
        const auto x = ResponseMath::xOf (f, W);
        g.setColour (juce::Colours::grey.withAlpha (0.3f));
        g.drawLine ((float) x, 0.0f, (float) x, fH - 30.0f);
        g.setColour (juce::Colours::grey);
        const auto half = f == 100.0 ? 15 : 20;
        g.drawText (text, (int) (x - half), H - 20, 2 * half, 10, juce::Justification::centred, true);
    }

    g.drawLine (fW - 10.0f, 0.0f, fW - 10.0f, fH - 30.0f);

    const auto stereoFormat = getStereoFormat();
    const bool showGreen = stereoFormat == 2 || stereoFormat == 3;
    const bool showRed = stereoFormat == 3;

    const auto drawMarker = [&] (int x, juce::Colour colour)
    {
        const auto fx = (float) x;
        g.setColour (colour);
        juce::Path triangle;
        triangle.addTriangle (fx - 6.0f, 0.0f, fx, 10.0f, fx + 6.0f, 0.0f);
        g.fillPath (triangle);
        g.drawLine (fx, 10.0f, fx, fH - 30.0f);
    };

    drawMarker (posBlue, blueMarkerColour);
    if (showGreen)
        drawMarker (posGreen, greenMarkerColour);
    if (showRed)
        drawMarker (posRed, redMarkerColour);

    const auto drawLabel = [&] (int marker, int x, juce::Colour colour, bool moved)
    {
        g.setColour (juce::Colours::grey);
        g.fillRect (x + 2, 15, 40, 20);
        const auto label = ResponseMath::markerLabel (x, W);
        handOver (marker, label);
        g.setColour (juce::Colours::white);
        g.drawText (label + "Hz", x, 15, 40, 20, juce::Justification::centred, true);

        if (moved)
        {
            g.setColour (colour);
            g.drawLine ((float) x, 10.0f, (float) x, fH - 30.0f);
        }
    };

    g.setColour (juce::Colours::white);
    g.drawText ("Sub Woofer", posBlue - 80, 0, 70, 20, juce::Justification::centredRight, true);
    g.drawText ("Woofer", posBlue + 10, 0, 40, 20, juce::Justification::centredLeft, true);
    drawLabel (1, posBlue, blueMarkerColour, movedBlue);

    if (showGreen)
    {
        g.setColour (juce::Colours::white);
        g.drawText ("Middle", posGreen + 10, 0, 40, 20, juce::Justification::centredLeft, true);
        drawLabel (2, posGreen, greenMarkerColour, movedGreen);
    }

    if (showRed)
    {
        g.setColour (juce::Colours::white);
        g.drawText ("Tweeter", posRed + 10, 0, 50, 20, juce::Justification::centredLeft, true);
        drawLabel (3, posRed, redMarkerColour, movedRed);
    }

    g.setColour (juce::Colours::grey);
    g.drawText ("20", 15, H - 25, 40, 20, juce::Justification::centred, true);
    g.drawText ("20kHz", W - 30, H - 25, 40, 20, juce::Justification::centredLeft, true);

    if (prepared)
    {
        const std::pair<const juce::Path*, juce::Colour> curves[] = {
            { &myPath1, juce::Colours::darkgrey },       { &myPath2, juce::Colours::grey },
            { &myPath3, juce::Colours::lightslategrey }, { &myPath4, juce::Colours::lightgrey },
            { &myPath5, juce::Colours::white },          { &myPathL, juce::Colours::green },
            { &myPathR, juce::Colours::greenyellow } };

        for (const auto& [path, colour] : curves)
        {
            g.setColour (colour);
            g.strokePath (*path, juce::PathStrokeType (1.0f));
        }
    }
}
