#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The second half of a parameter save, under a modal progress window: copies
// the unit's data blocks from the cache files into allValue after the panel
// settings, writes allValue to chosenSave, empties allValue again and tells
// the user how it went. Created by the save on the message thread; deletes
// itself when it has finished.
class DemoBackgroundThread : public juce::ThreadWithProgressWindow
{
public:
    // spectrumCount: the measured points whose spectra are saved.
    explicit DemoBackgroundThread (int spectrumCount);

    // Creates a task and launches it. From then on it owns itself.
    static void launch (int spectrumCount);

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    // The copying, the writing and the emptying of allValue, called by run().
    void saveBinFile();

    // The alert at the end: "You pressed cancel!" or "save parameter ok!"
    // without an icon (showResult), or a warning (WarningAlerts) when the
    // file could not be written.
    static void showOutcome (bool userPressedCancel, const juce::Result& writeResult);

    // Shows an alert without an icon by default; tests record it instead.
    using ResultPresenter = std::function<void (const juce::String& title, const juce::String& message)>;
    static ResultPresenter showResult;

private:
    const int spectrumCount;
    juce::Result writeResult { juce::Result::ok() };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DemoBackgroundThread)
};
