#include "panels/BottomMeasureComponent.h"

#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "styles/PanelStyle.h"

#include <cstdio>

//==============================================================================
namespace CalibrationUpload
{

std::optional<juce::MemoryBlock> readWholeFile (const juce::File& file)
{
    const auto f = CacheFiles::openFile (file.getFullPathName(), "rb");
    if (f == nullptr)
        return std::nullopt;

    juce::MemoryOutputStream content;
    char chunk[8192];

    for (;;)
    {
        const auto got = std::fread (chunk, 1, sizeof (chunk), f.get());
        content.write (chunk, got);

        if (got < sizeof (chunk))
            break;
    }

    if (std::ferror (f.get()) != 0)
        return std::nullopt;

    return content.getMemoryBlock();
}

std::vector<juce::MemoryBlock> frame (const juce::MemoryBlock& content)
{
    const auto wordBlock = [] (std::uint32_t word)
    {
        std::uint8_t bytes[4];
        CacheFiles::wordToBytes (word, bytes);
        return juce::MemoryBlock (bytes, sizeof (bytes));
    };

    const auto* data = static_cast<const char*> (content.getData());
    const auto size = content.getSize();

    std::vector<juce::MemoryBlock> blocks;
    blocks.reserve (size / blockSize + 3);
    blocks.push_back (wordBlock (startWord));

    for (size_t offset = 0; offset < size; offset += blockSize)
        blocks.emplace_back (data + offset, juce::jmin ((size_t) blockSize, size - offset));

    blocks.push_back (wordBlock (endWord));
    return blocks;
}

std::optional<std::vector<juce::MemoryBlock>> blocksForFile (const juce::File& file)
{
    if (const auto content = readWholeFile (file))
        return frame (*content);
    return std::nullopt;
}

}

//==============================================================================
namespace
{
    constexpr double pointSteps[MeasureSequence::numPoints] = { 0.04, 0.02, 0.01, 0.005, 0.0025 };
    constexpr double processingStep = 0.0004;
}

int MeasureSequence::nominalPeriodMs (int phase) noexcept
{
    switch (phase)
    {
        case 1: return 400;
        case 2: return 200;
        case 3: return 100;
        case 4: return 50;
        case 5: return 25;
        case processing: return 24;
        default: return 0;
    }
}

bool MeasureSequence::isUnlocked (int point) const noexcept
{
    return point >= 2 && point <= numPoints && unlocked[(size_t) point - 1];
}

bool MeasureSequence::isStartable (int point) const noexcept
{
    return point == 1 || isUnlocked (point);
}

bool MeasureSequence::click (std::optional<int> point)
{
    const bool starts = point.has_value() && isStartable (*point);

    if (starts)
    {
        currentTest = *point;
        progress[(size_t) *point - 1] = 0.0;
        runningPhase = *point;
    }

    maxNum = juce::jmax (maxNum, currentTest);
    return starts;
}

void MeasureSequence::startProcessing()
{
    processingFraction = 0.0;
    currentTest = processing;
    runningPhase = processing;
}

void MeasureSequence::reset()
{
    unlocked = {};
    done = {};
    progress = {};
    processingFraction = 0.0;
    currentTest = 1;
    maxNum = 0;
}

bool MeasureSequence::tick()
{
    if (runningPhase >= 1 && runningPhase <= numPoints)
    {
        const auto index = (size_t) runningPhase - 1;
        progress[index] += pointSteps[index];

        if (progress[index] <= 1.0)
            return false;

        done[index] = true;
        if (runningPhase < numPoints)
            unlocked[index + 1] = true;
        runningPhase = 0;
        return true;
    }

    if (runningPhase == processing)
    {
        processingFraction += processingStep;

        if (processingFraction <= 1.0)
            return false;

        runningPhase = 0;
        return true;
    }

    return false;
}

namespace
{
    const juce::Colour doneRingColour { 0xFF0B5C18 };

    juce::Rectangle<int> pointBounds (int point)
    {
        return { 5 + 35 * (point - 1), 35, 30, 30 };
    }

    juce::Point<float> pointCentre (int point)
    {
        return { 20.0f + 35.0f * (float) (point - 1), 50.0f };
    }

    const juce::Rectangle<int> processingBarBounds { 50, 75, 170, 6 };

    void styleButton (juce::TextButton& button, juce::LookAndFeel& look)
    {
        button.setColour (juce::TextButton::buttonColourId, juce::Colours::black);
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::white);
        button.setLookAndFeel (&look);
    }

    void showWarningAlert (const juce::String& title, const juce::String& message)
    {
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, message);
    }
}

BottomMeasureComponent::BottomMeasureComponent()
    : presentWarning (showWarningAlert)
{
    setName ("MEASURE BY POINT");

    for (int point = 1; point <= MeasureSequence::numPoints; ++point)
        makePointBar (point);

    processingBar = std::make_unique<juce::ProgressBar> (sequence.processingProgress());
    processingBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colours::grey);
    processingBar->setColour (juce::ProgressBar::foregroundColourId, juce::Colours::green);
    processingBar->setPercentageDisplay (true);
    processingBar->setLookAndFeel (&barLook);
    processingBar->setBounds (processingBarBounds);
    addAndMakeVisible (*processingBar);

    uploadBar = std::make_unique<juce::ProgressBar> (uploadProgress);
    uploadBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);
    uploadBar->setColour (juce::ProgressBar::foregroundColourId, juce::Colours::green);
    uploadBar->setLookAndFeel (&barLook);
    uploadBar->setBounds (13, 150, 200, 5);
    addChildComponent (*uploadBar);

    const auto addButton = [this] (std::unique_ptr<juce::TextButton>& button, const char* text, juce::Rectangle<int> bounds)
    {
        button = std::make_unique<juce::TextButton> (text);
        styleButton (*button, buttonLook);
        button->addListener (this);
        button->setBounds (bounds);
        addAndMakeVisible (*button);
    };

    addButton (computeButton, "Compute", { 178, 38, 45, 22 });
    addButton (resetButton, "Reset", { 5, 70, 40, 22 });
    addButton (selectMicCalButton, "Select Mic Cal", { 70, 95, 100, 22 });

    calibrationFileLabel.setText (" ", juce::dontSendNotification);
    calibrationFileLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    calibrationFileLabel.setColour (juce::Label::backgroundColourId, juce::Colours::black);
    calibrationFileLabel.setBounds (13, 120, 200, 22);
    addAndMakeVisible (calibrationFileLabel);

    noteEditor.setMultiLine (true, true);
    noteEditor.setReturnKeyStartsNewLine (true);
    noteEditor.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    noteEditor.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    noteEditor.applyColourToAllText (juce::Colours::white);
    noteEditor.setBounds (10, 170, 205, 120);
    addAndMakeVisible (noteEditor);

    setSize (225, 298);
}

BottomMeasureComponent::~BottomMeasureComponent()
{
    stopTimer();
    unlockWindow();

    for (auto& bar : pointBars)
        bar->setLookAndFeel (nullptr);
    processingBar->setLookAndFeel (nullptr);
    uploadBar->setLookAndFeel (nullptr);
    for (auto* button : { computeButton.get(), resetButton.get(), selectMicCalButton.get() })
        button->setLookAndFeel (nullptr);
}

void BottomMeasureComponent::makePointBar (int point)
{
    auto& bar = pointBars[(size_t) point - 1];
    if (bar != nullptr)
    {
        removeChildComponent (bar.get());
        bar->setLookAndFeel (nullptr);
    }

    bar = std::make_unique<juce::ProgressBar> (sequence.pointProgress (point));
    bar->setLookAndFeel (&pointLook);
    bar->setBounds (pointBounds (point));
    addChildComponent (*bar);
}

void BottomMeasureComponent::makeProcessingBar()
{
    if (processingBar != nullptr)
        removeChildComponent (processingBar.get());

    processingBar = std::make_unique<juce::ProgressBar> (sequence.processingProgress());
    processingBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);
    processingBar->setColour (juce::ProgressBar::foregroundColourId, juce::Colours::green);
    processingBar->setPercentageDisplay (true);
    processingBar->setLookAndFeel (&barLook);
    processingBar->setBounds (processingBarBounds);
    addAndMakeVisible (*processingBar);
}

//==============================================================================
void BottomMeasureComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font());
    PanelStyle::drawCaption (g, "MEASURE BY POINT", { 0, 0, getWidth(), 30 }, juce::Justification::centred);
    g.drawHorizontalLine (30, 0.0f, (float) getWidth());

    const auto pi = juce::MathConstants<float>::pi;

    for (int point = 1; point <= MeasureSequence::numPoints; ++point)
    {
        const auto x0 = (float) pointBounds (point).getX();
        const auto done = sequence.isDone (point);

        juce::Path ring;
        ring.addPieSegment (x0, 35.0f, 30.0f, 30.0f, -pi, pi, 0.3f);
        g.setColour (juce::Colours::grey);
        g.fillPath (ring);
        if (done)
        {
            g.setColour (doneRingColour);
            g.fillPath (ring);
        }

        juce::Path disc;
        disc.addPieSegment (x0 + 9.9f, 44.9f, 9.9f, 9.9f, -pi, pi, 0.0f);
        g.setColour (done ? juce::Colours::lightgrey : juce::Colours::orange);
        g.fillPath (disc);
    }

    g.setColour (juce::Colours::white);
    PanelStyle::drawCaption (g, "MEASURE NOTE", { 10, 150, 100, 30 }, juce::Justification::centredLeft);
}

void BottomMeasureComponent::mouseDown (const juce::MouseEvent& e)
{
    pointClicked (e.getEventRelativeTo (this).position);
}

void BottomMeasureComponent::pointClicked (juce::Point<float> position)
{
    std::optional<int> hit;
    for (int point = 1; point <= MeasureSequence::numPoints; ++point)
        if (position.getDistanceFrom (pointCentre (point)) < 15.0f)
            hit = point;

    if (! sequence.click (hit))
        return;

    const auto point = *hit;
    getPointBar (point).setVisible (true);
    startPhase (point);
    sendCommand.sendPNCommand ((unsigned char) point);
    lockWindow();
}

void BottomMeasureComponent::buttonClicked (juce::Button* button)
{
    if (button == resetButton.get())
        resetMeasureStatus();
    else if (button == computeButton.get())
        computeClicked();
    else if (button == selectMicCalButton.get())
        chooseCalibrationFile();
}

//==============================================================================
void BottomMeasureComponent::setClockSpeed (int timesFaster)
{
    clockSpeed = juce::jmax (1, timesFaster);
}

void BottomMeasureComponent::startPhase (int phase)
{
    // A clock faster than the timer's millisecond resolution runs several
    // ticks per callback, so the tick arithmetic stays that of real time.
    const auto nominal = MeasureSequence::nominalPeriodMs (phase);
    ticksPerCallback = juce::jmax (1, clockSpeed / nominal);
    startTimer (juce::jmax (1, nominal / clockSpeed));
}

void BottomMeasureComponent::timerCallback()
{
    const auto phase = sequence.getRunningPhase();
    if (phase == 0)
    {
        stopTimer();
        return;
    }

    for (int i = 0; i < ticksPerCallback; ++i)
    {
        if (sequence.tick())
        {
            phaseEnded (phase);
            return;
        }
    }

    repaint();
}

void BottomMeasureComponent::phaseEnded (int phase)
{
    stopTimer();

    if (phase == MeasureSequence::processing)
    {
        processingBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colours::green);
        TopComponent::setTimePassed (15);
    }
    else
    {
        getPointBar (phase).setVisible (false);
    }

    unlockWindow();
    repaint();
}

void BottomMeasureComponent::ProcessButtonClicked()
{
    sequence.startProcessing();
    processingBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);
    startPhase (MeasureSequence::processing);
    lockWindow();
    TopComponent::setTimePassed (30);
}

void BottomMeasureComponent::computeClicked()
{
    const float analysis[8] = { 1.0f, 300.0f, 500.0f, 24000.0f, 112.0f, 112.0f, 112.0f, 112.0f };
    const float target[8]   = { 1.0f, 300.0f, 500.0f, 24000.0f, 0.0f, 0.0f, 0.0f, 0.0f };

    sendCommand.sendDPCommand (4, 20.0f, 688.0f, 0, analysis, 8);
    sendCommand.sendATCommand (4, 20.0f, 24000.0f, 0, target, 8);
    ProcessButtonClicked();
}

void BottomMeasureComponent::resetMeasureStatus()
{
    sendCommand.sendPNCommand (0);

    sequence.reset();

    for (int point = 1; point <= MeasureSequence::numPoints; ++point)
        makePointBar (point);

    makeProcessingBar();

    repaint();

    if (auto* content = findParentComponentOfClass<MainContentComponent>())
    {
        auto& view = content->getCenter().getResponseView();
        view.setIsPrepared (false);
        view.repaint();
    }
}

//==============================================================================
juce::Component* BottomMeasureComponent::findWindowToLock()
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        return content;

    auto* top = getTopLevelComponent();
    return top != this ? top : nullptr;
}

void BottomMeasureComponent::lockWindow()
{
    if (lockedWindow != nullptr)
        return;

    lockedWindow = findWindowToLock();

    if (auto* window = lockedWindow.getComponent())
    {
        window->getInterceptsMouseClicks (windowTookClicks, windowChildrenTookClicks);
        window->setInterceptsMouseClicks (false, false);
    }
}

void BottomMeasureComponent::unlockWindow()
{
    if (auto* window = lockedWindow.getComponent())
        window->setInterceptsMouseClicks (windowTookClicks, windowChildrenTookClicks);

    lockedWindow = nullptr;
}

//==============================================================================
void BottomMeasureComponent::setWarningPresenter (std::function<void (const juce::String&, const juce::String&)> presenter)
{
    presentWarning = std::move (presenter);
}

void BottomMeasureComponent::chooseCalibrationFile()
{
    chooser = std::make_unique<juce::FileChooser> ("Open Mic Calabration  file From",
                                                   juce::File::getSpecialLocation (juce::File::userDocumentsDirectory),
                                                   "*.txt");

    const auto chooserFlags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;
    chooser->launchAsync (chooserFlags, [safeThis = SafePointer<BottomMeasureComponent> (this)] (const juce::FileChooser& fc)
    {
        const auto chosen = fc.getResult();
        if (safeThis != nullptr && chosen != juce::File())
            safeThis->uploadCalibrationFile (chosen);
    });
}

void BottomMeasureComponent::uploadCalibrationFile (const juce::File& file)
{
    struct WaitCursor
    {
        WaitCursor()  { juce::MouseCursor::showWaitCursor(); }
        ~WaitCursor() { juce::MouseCursor::hideWaitCursor(); }
    } waitCursor;

    if (! file.exists())
        return;

    calibrationFileLabel.setFont (juce::Font ("AppleGothic", 12.0f, juce::Font::plain));
    calibrationFileLabel.setText (file.getFullPathName(), juce::dontSendNotification);

    // Read whole before anything goes out, so the unit never receives a
    // calibration that is partly zeros.
    const auto content = CalibrationUpload::readWholeFile (file);
    if (! content.has_value())
    {
        if (presentWarning)
            presentWarning ("Select Mic Cal",
                            "The file " + file.getFullPathName() + " could not be read. Nothing was sent to the unit.");
        return;
    }

    uploadProgress = 0.0;
    uploadBar->setVisible (true);
    lockWindow();

    const auto blocks = CalibrationUpload::frame (*content);
    const auto numFullBlocks = content->getSize() / (size_t) CalibrationUpload::blockSize;

    for (size_t i = 0; i < blocks.size(); ++i)
    {
        sendCommand.sendBlock (&blocks[i]);

        if (i >= 1 && i <= numFullBlocks)
            uploadProgress = (double) (i - 1) / (double) numFullBlocks;
    }

    uploadBar->setVisible (false);
    unlockWindow();
}

//==============================================================================
int BottomMeasureComponent::getCurrentTest() const
{
    return sequence.getCurrentTest();
}

int BottomMeasureComponent::getMaxNum() const
{
    return sequence.getMaxNum();
}

juce::TextEditor* BottomMeasureComponent::getTextNote()
{
    return &noteEditor;
}
