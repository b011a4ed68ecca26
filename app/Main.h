#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class VELD72Application : public juce::JUCEApplication
{
public:
    VELD72Application() = default;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void systemRequestedQuit() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;

    class MainWindow : public juce::DocumentWindow
    {
    public:
        static constexpr const char* title = " Polar Garnet acoustic phase calibration software";

        explicit MainWindow (const juce::String& name);
        void closeButtonPressed() override;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
    std::unique_ptr<MainWindow> mainWindow;
};
