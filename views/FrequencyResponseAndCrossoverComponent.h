#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/CustomizeLookAndFeel.h"

#include <array>
#include <atomic>
#include <functional>

// The measured responses (one level curve per measurement point, a left and a
// right curve) and the crossover markers between the loudspeaker bands. The
// "fft thread" turns the spectrum cache files into curves whenever
// waitFftEvent is signalled.
class FrequencyResponseAndCrossoverComponent : public juce::Component,
                                               public juce::Button::Listener,
                                               public juce::ComboBox::Listener,
                                               private juce::Timer,
                                               private juce::Thread
{
public:
    FrequencyResponseAndCrossoverComponent();
    ~FrequencyResponseAndCrossoverComponent() override;

    // Which cache files the next preparation reads: 1..5 the level files up
    // to that number, 11 or 12 the left (and right) file. 13 in
    // mydisplayModeAll asks for a full reload (reset to 0 by it).
    static int mydisplayMode;
    static int mydisplayModeAll;

    // The curves, installed by the fft thread while it holds the message
    // manager lock.
    static juce::Path myPath1, myPath2, myPath3, myPath4, myPath5, myPathL, myPathR;

    // false also empties all seven curves.
    void setIsPrepared (bool b);
    bool getIsPrepared() const noexcept { return prepared; }

    void setCurrentPosRed (int);
    void setCurrentPosGreen (int);
    void setCurrentPosBlue (int);
    int getCurrentPosRed() const noexcept   { return posRed; }
    int getCurrentPosGreen() const noexcept { return posGreen; }
    int getCurrentPosBlue() const noexcept  { return posBlue; }

    // Called while painting when the frequency shown for a marker changes
    // (1 blue, 2 green, 3 red), with the text the output bands panel takes
    // as its crossover frequency ("6380", "850").
    std::function<void (int marker, const juce::String& text)> onCrossoverFrequency;
    juce::String getHandedOverText (int marker) const;

    juce::TextButton& getApplyButton() noexcept { return applyButton; }
    juce::ComboBox& getSlopeBox() noexcept       { return slopeBox; }
    bool isBusy() const noexcept                 { return isTimerRunning(); }

    // Rebuilds the curves from the cache files; runs on the fft thread.
    void prepareData();

    // Asks the fft thread to stop, wakes it and waits for it; true once it
    // has stopped.
    bool stopWorker();
    bool isWorkerRunning() const { return isThreadRunning(); }

    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    // One tick of the busy phase after "Apply CrossOver" (every 200 ms).
    void timerCallback() override;

private:
    void run() override;

    int getStereoFormat() const;
    void handOver (int marker, const juce::String& label);
    void setWindowLocked (bool locked);

    juce::LookAndFeel_V1 buttonStyle;
    CustomizeLookAndFeel boxStyle;
    juce::TextButton applyButton { "Apply CrossOver" };
    juce::ComboBox slopeBox;

    int posBlue = 34, posGreen = 400, posRed = 600;
    bool movedBlue = false, movedGreen = false, movedRed = false;
    bool draggingBlue = false, draggingGreen = false, draggingRed = false;
    std::atomic<bool> prepared { false };

    double busyProgress = 0.0;
    juce::ProgressBar progressBar { busyProgress };

    std::array<juce::String, 3> handedOver;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FrequencyResponseAndCrossoverComponent)
};
