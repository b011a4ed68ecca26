#include "panels/DemoBackgroundThread.h"

#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/ParameterDocument.h"

DemoBackgroundThread::ResultPresenter DemoBackgroundThread::showResult =
    [] (const juce::String& title, const juce::String& message)
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::NoIcon, title, message);
};

DemoBackgroundThread::DemoBackgroundThread (int count)
    : juce::ThreadWithProgressWindow ("busy saving parameters", true, false, 10000),
      spectrumCount (count)
{
}

void DemoBackgroundThread::launch (int spectrumCount)
{
    // threadComplete deletes the task.
    auto task = std::make_unique<DemoBackgroundThread> (spectrumCount);
    task->launchThread (juce::Thread::Priority::normal);
    task.release();
}

void DemoBackgroundThread::run()
{
    setProgress (-1.0);
    saveBinFile();
    setProgress (1.0);
}

void DemoBackgroundThread::saveBinFile()
{
    writeResult = ParameterDocument::finishSave (allValue, chosenSave, spectrumCount,
                                                 [this] (double p) { setProgress (p); });
}

void DemoBackgroundThread::showOutcome (bool userPressedCancel, const juce::Result& result)
{
    if (userPressedCancel)
        showResult (" ", "You pressed cancel!");
    else if (result.failed())
        WarningAlerts::show (ParameterDocument::saveFailedTitle(), result.getErrorMessage());
    else
        showResult (" ", "save parameter ok!");
}

void DemoBackgroundThread::threadComplete (bool userPressedCancel)
{
    showOutcome (userPressedCancel, writeResult);
    delete this;
}
