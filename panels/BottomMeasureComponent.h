#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/FittedTextLF_V1.h"
#include "styles/LookAndFeel101.h"
#include "styles/SlimBarLookAndFeel.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The microphone calibration upload: the file passes to the unit byte for
// byte, framed by a start word and an end word, in blocks of 1024 bytes.
namespace CalibrationUpload
{
    inline constexpr std::uint32_t startWord = 204;
    inline constexpr std::uint32_t endWord = 85;
    inline constexpr int blockSize = 1024;

    // Every byte of the file, or nothing when it cannot be opened or any
    // read fails (a directory, a read error, a file that ends early).
    std::optional<juce::MemoryBlock> readWholeFile (const juce::File&);

    // The 4-byte start block, the full blocks, the remainder if any, and the
    // 4-byte end block, in sending order.
    std::vector<juce::MemoryBlock> frame (const juce::MemoryBlock& content);

    // readWholeFile, then frame; nothing when the file cannot be read whole.
    std::optional<std::vector<juce::MemoryBlock>> blocksForFile (const juce::File&);
}

// The measurement workflow without its drawing: five points, each a run of
// timer ticks, then the processing phase. A point may be started when it is
// point 1 or the point before it has been measured.
class MeasureSequence
{
public:
    static constexpr int numPoints = 5;
    static constexpr int processing = 6;   // current test while processing

    // Phase: 1..5 a point, processing, or 0 while nothing runs.
    static int nominalPeriodMs (int phase) noexcept;

    bool isStartable (int point) const noexcept;

    // A click on the panel: starts the point when it is startable (true),
    // and in every case raises max num to the current test.
    bool click (std::optional<int> point);

    void startProcessing();
    void reset();

    // Advances the running phase by one tick; true when it has just ended.
    bool tick();

    int getRunningPhase() const noexcept        { return runningPhase; }
    int getCurrentTest() const noexcept         { return currentTest; }
    int getMaxNum() const noexcept              { return maxNum; }
    bool isDone (int point) const noexcept      { return done[(size_t) point - 1]; }
    bool isUnlocked (int point) const noexcept;

    // The values the progress bars show; their addresses stay fixed.
    double& pointProgress (int point) noexcept  { return progress[(size_t) point - 1]; }
    double& processingProgress() noexcept       { return processingFraction; }
    double pointProgress (int point) const noexcept  { return progress[(size_t) point - 1]; }
    double processingProgress() const noexcept       { return processingFraction; }

private:
    int runningPhase = 0;
    int currentTest = 1;
    int maxNum = 0;
    std::array<bool, numPoints> done {};
    std::array<bool, numPoints> unlocked {};   // [0] unused: point 1 is always startable
    std::array<double, numPoints> progress {};
    double processingFraction = 0.0;
};

// "MEASURE BY POINT": five measurement points of about ten seconds each, the
// sixty-second processing phase, the microphone calibration upload and the
// measurement note. The panel times the phases itself; while one runs, the
// whole window ignores mouse clicks.
class BottomMeasureComponent : public juce::Component,
                               public juce::Button::Listener,
                               public juce::Timer
{
public:
    BottomMeasureComponent();
    ~BottomMeasureComponent() override;

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void buttonClicked (juce::Button*) override;
    void timerCallback() override;

    // A click at a position in the panel, as mouseDown handles it.
    void pointClicked (juce::Point<float> position);

    void resetMeasureStatus();

    // Starts the processing phase without sending anything.
    void ProcessButtonClicked();

    // "Compute": the two point-set commands, then the processing phase.
    void computeClicked();

    // Everything after the file chooser: reads the whole file and sends it,
    // or warns and sends nothing when it cannot be read.
    void uploadCalibrationFile (const juce::File&);

    int getCurrentTest() const;
    int getMaxNum() const;
    juce::TextEditor* getTextNote();

    // Runs every phase this many times faster (tests); 1 is real time.
    void setClockSpeed (int timesFaster);

    // How a file that cannot be read is reported; an alert by default.
    void setWarningPresenter (std::function<void (const juce::String& title, const juce::String& message)>);

    const MeasureSequence& getSequence() const noexcept   { return sequence; }
    juce::ProgressBar& getPointBar (int point)            { return *pointBars[(size_t) point - 1]; }
    juce::ProgressBar& getProcessingBar()                 { return *processingBar; }
    juce::ProgressBar& getUploadBar()                     { return *uploadBar; }
    juce::Label& getCalibrationFileLabel()                { return calibrationFileLabel; }
    juce::TextButton& getComputeButton()                  { return *computeButton; }
    juce::TextButton& getResetButton()                    { return *resetButton; }
    juce::TextButton& getSelectMicCalButton()             { return *selectMicCalButton; }

private:
    void startPhase (int phase);
    void phaseEnded (int phase);
    void lockWindow();
    void unlockWindow();
    void makePointBar (int point);
    void makeProcessingBar();
    void chooseCalibrationFile();
    juce::Component* findWindowToLock();

    MeasureSequence sequence;
    double uploadProgress = 0.0;
    int clockSpeed = 1;
    int ticksPerCallback = 1;

    std::function<void (const juce::String&, const juce::String&)> presentWarning;
    std::unique_ptr<juce::FileChooser> chooser;
    juce::Component::SafePointer<juce::Component> lockedWindow;
    bool windowTookClicks = true, windowChildrenTookClicks = true;

    // Declared first: the controls that use them go before them.
    LookAndFeel101 pointLook;
    FittedTextLF_V1 buttonLook;
    SlimBarLookAndFeel barLook;

    std::array<std::unique_ptr<juce::ProgressBar>, MeasureSequence::numPoints> pointBars;
    std::unique_ptr<juce::ProgressBar> processingBar;
    std::unique_ptr<juce::ProgressBar> uploadBar;
    std::unique_ptr<juce::TextButton> computeButton;
    std::unique_ptr<juce::TextButton> resetButton;
    std::unique_ptr<juce::TextButton> selectMicCalButton;
    juce::Label calibrationFileLabel;
    juce::TextEditor noteEditor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomMeasureComponent)
};
