#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/CustomLF_V1.h"
#include "styles/CustomizeLookAndFeel.h"
#include "styles/LookAndFeel102.h"
#include "styles/SquareLookAndFeel.h"

#include <functional>

// The master panel: input source, bypass or process, mute, master level and
// the two output level meters.
class RightComponent : public juce::Component,
                       public juce::Button::Listener,
                       public juce::Slider::Listener,
                       public juce::ComboBox::Listener
{
public:
    RightComponent();
    ~RightComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    float getMasterSliderValue() const;
    void setMasterSliderValue (float v);

    static bool getMuteStatus();
    void setMuteStatus (bool on);
    void setMuteStatus1 (bool on);

    static bool getByPassStatus();
    void setByPassStatus (bool on);
    void setByPassStatus_1 (bool processing);

    int getAnalogComboValue() const;
    void setAnalogComboValue (int v);

    // Left meter: maximum c, value a; right meter: maximum d, value b.
    void setLevelSliderValue (float a, float b, float c, float d);

    // Output muted; bypass on.
    static bool mute;
    static bool onoff;

    // Shows the advisory alert of a bypass switch made in measurement mode.
    // Replaceable so that it can be observed without a desktop.
    static std::function<void (const juce::String& title, const juce::String& message)> showWarning;

private:
    void showMute();
    void showBypass();
    void sendProcessCommand();
    void warnIfMeasuring();

    CustomLF_V1 buttonStyle;
    LookAndFeel102 meterStyle;
    SquareLookAndFeel masterStyle;
    CustomizeLookAndFeel comboStyle;

    std::unique_ptr<juce::TextButton> muteButton;
    std::unique_ptr<juce::TextButton> bypassButton;
    juce::Slider leftMeter;
    juce::Slider rightMeter;
    juce::Slider masterSlider;
    juce::ComboBox sourceBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RightComponent)
};
