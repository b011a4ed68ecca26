#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/CustomButton.h"
#include "styles/LookAndFeel102.h"
#include "styles/SquareLookAndFeel.h"

#include <array>

// A crossover frequency from a label's text: the value of its leading digits
// (after blanks and an optional sign), 0 when it does not start with one;
// no range is enforced, but a number too long for an int gives the int's
// limit rather than a wrapped-around value.
int parseCrossoverFrequency (const juce::String& text);

// The output bands panel: four stereo bands (eight output channels) with
// their level sliders, mutes and meters, and the three crossover
// frequencies between them.
class BottomPanelComponent : public juce::Component,
                             public juce::Button::Listener,
                             public juce::Slider::Listener,
                             public juce::Label::Listener
{
public:
    static constexpr int numBands = 4;

    BottomPanelComponent();
    ~BottomPanelComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;
    void labelTextChanged (juce::Label*) override;

    static float getSliderValueLevel1();
    static float getSliderValueLevel3();
    static float getSliderValueLevel5();
    static float getSliderValueLevel7();
    void setSliderValueLevel1 (float v);
    void setSliderValueLevel3 (float v);
    void setSliderValueLevel5 (float v);
    void setSliderValueLevel7 (float v);

    static int getFreq1();
    static int getFreq2();
    static int getFreq3();
    void setFreq1 (int v);
    void setFreq2 (int v);
    void setFreq3 (int v);

    static bool getM1Mute();
    static bool getM2Mute();
    static bool getM3Mute();
    static bool getM4Mute();
    void setM1Mute (bool muted);
    void setM2Mute (bool muted);
    void setM3Mute (bool muted);
    void setM4Mute (bool muted);

    // Levels of output channels 1..8, then their peaks, in dB.
    void setLeftVerticalSlierValue (float l1, float l2, float l3, float l4, float l5, float l6, float l7, float l8,
                                    float p1, float p2, float p3, float p4, float p5, float p6, float p7, float p8);

    // Used by the system settings panel (band 1..4, crossover 1..3).
    void setBandActive (int band, bool active);
    void setLevelSliderTrackColour (int band, juce::Colour colour);
    void setCrossoverEditable (int index, bool editable);

    // The crossover labels, whose texts the response view keeps in step with
    // its markers.
    juce::Label* getFreqLabel1() noexcept { return &crossoverLabels[0]; }
    juce::Label* getFreqLabel2() noexcept { return &crossoverLabels[1]; }
    juce::Label* getFreqLabel3() noexcept { return &crossoverLabels[2]; }

    // Band levels in dB, named after the band's first channel; mutes of
    // bands 1..4; crossover frequencies in Hz between bands 1/2, 2/3, 3/4.
    static float level1, level3, level5, level7;
    static bool m1mute, m2mute, m3mute, m4mute;
    static int freq1, freq2, freq3;

private:
    struct Band
    {
        juce::Slider oddMeter;
        juce::Slider evenMeter;
        juce::Slider levelSlider;
        std::unique_ptr<CustomButton> outputButton;
        std::unique_ptr<CustomButton> muteButton;
    };

    static float& levelOf (int band);
    static bool& muteOf (int band);
    static int& freqOf (int index);

    void setLevel (int band, float v);
    void setMute (int band, bool muted);
    void setFreq (int index, int v);

    LookAndFeel102 meterStyle;
    SquareLookAndFeel sliderStyle;

    std::array<Band, numBands> bands;
    std::array<juce::Label, 3> crossoverLabels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomPanelComponent)
};
