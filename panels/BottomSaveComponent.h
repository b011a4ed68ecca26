#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/CustomLookAndFeel_My.h"
#include "styles/CustomizeLookAndFeel.h"

#include <array>
#include <memory>

// Knob positions of the compressor and the values they stand for. Only
// positions travel to the unit, the "//lmt" cache file and parameter files;
// the panel shows the values.
namespace CompressorSettings
{
    // The order is the parameter index of the "LM" command and the order of
    // the bytes of a band in "//lmt".
    enum class Parameter { threshold, ratio, knee, attackTime, releaseTime, makeUpGain };
    inline constexpr int numParameters = 6;
    inline constexpr int onOffIndex = 6;

    int minPosition (Parameter) noexcept;
    int maxPosition (Parameter) noexcept;

    // dB, ratio or ms, from a knob position.
    double displayedValue (Parameter, int position) noexcept;

    // The value label's text for a position: one decimal for threshold and
    // ratio, two for knee, an integer otherwise.
    juce::String displayText (Parameter, int position);

    // A typed value label: text that is no number counts as 0; the value is
    // clamped to the parameter's range and converted to the nearest position
    // at or below it. displayText of the result maps back to the same position.
    int positionFromText (Parameter, const juce::String& typed);

    // band × 65536 + parameter index × 256 + position (or 1 = off, 0 = on).
    int lmCommandValue (int band, int parameterIndex, int position) noexcept;
}

// "COMPRESSOR SETTING": the compressor of one output band at a time. Every
// change goes to the unit as "LM" and into "//lmt", which holds all four bands
// as the unit last reported them; choosing a band loads it from that file.
class BottomSaveComponent : public juce::Component,
                            public juce::ComboBox::Listener,
                            public juce::Button::Listener,
                            public juce::Slider::Listener,
                            public juce::Label::Listener
{
public:
    using Parameter = CompressorSettings::Parameter;

    BottomSaveComponent();
    ~BottomSaveComponent() override;

    void paint (juce::Graphics&) override;

    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;
    void labelTextChanged (juce::Label*) override;

    // Each moves the knob with asynchronous notification: when the position
    // changes, the knob's own handler then sends it for band lmtNum and writes
    // it into "//lmt".
    void setLmtThresholdSliderValue (float position);
    void setLmtRatioSliderValue (float position);
    void setLmtKneeSliderValue (float position);
    void setLmtAttackTimeSliderValue (int position);
    void setLmtReleaseTimeSliderValue (int position);
    void setLmtMakeUpGainSliderValue (int position);

    float getLmtThresholdSliderValue() const;
    float getLmtRatioSliderValue() const;
    float getLmtKneeSliderValue() const;
    float getLmtAttackTimeSliderValue() const;
    float getLmtReleaseTimeSliderValue() const;
    float getLmtMakeUpGainSliderValue() const;

    // Selects the band asynchronously; lmtNum follows at once.
    void setComboLmtValue (int id);
    int getComboLmtValue() const;

    // Shows the state and always sends it for band lmtNum; "//lmt" is left alone.
    void setLmtBypass (bool off);
    bool getLmtBypass() const;

    // Sets lmtBypass and restyles the on/off button without sending anything:
    // for the unit's own compressor report.
    void showLmtBypass (bool off);

    juce::Slider& getKnob (Parameter p)           { return knobs[(size_t) p]; }
    juce::Label& getValueLabel (Parameter p)      { return valueLabels[(size_t) p]; }
    juce::TextButton& getOnOffButton()            { return *onOffButton; }
    juce::ComboBox& getBandBox()                  { return bandBox; }

    static juce::int8 lmtNum;   // band being edited, 0..3
    static bool lmtBypass;      // its compressor is off
    static float st_lmtPara1, st_lmtPara2, st_lmtPara3;
    static int st_lmtPara4, st_lmtPara5, st_lmtPara6;

private:
    int indexOfKnob (const juce::Slider*) const;
    int indexOfLabel (const juce::Label*) const;
    void storeDisplayedValue (Parameter, int position);
    void styleOnOffButton();
    void toggleOnOff();

    // Declared first: the controls that use them go before them.
    CustomizeLookAndFeel bandBoxLook;
    CustomLookAndFeel_My knobLook;

    std::array<juce::Slider, CompressorSettings::numParameters> knobs;
    std::array<juce::Label, CompressorSettings::numParameters> valueLabels;
    std::unique_ptr<juce::TextButton> onOffButton;
    juce::ComboBox bandBox;
    juce::ImageButton picture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomSaveComponent)
};
