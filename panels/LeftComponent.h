#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/CompactToggleLookAndFeel.h"
#include "styles/CustomLF_V1.h"
#include "styles/LookAndFeel101.h"
#include "styles/SquareLookAndFeel.h"
#include "styles/SquareLookAndFeelEx.h"

// The input panel: mic gain, signal level, measurement mode with its 48V
// phantom power, the measurement channel, the signal check and the input
// level meter. Every user action goes to the selected unit at once.
class LeftComponent : public juce::Component,
                      public juce::Button::Listener,
                      public juce::Slider::Listener
{
public:
    LeftComponent();
    ~LeftComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void parentHierarchyChanged() override;

    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;

    static float getMlValue();
    void setMlValue (float v);
    static float getNlValue();
    void setNlValue (float v);
    static bool getM48v();
    void setM48v (bool on);
    bool getEnable48vState() const;
    void setEnable48vState (bool on);

    juce::Slider* getinputLevelSlider() noexcept { return &levelMeter; }
    juce::Label* getTopLabel() noexcept          { return &levelLabel; }

    // 0 = idle, 1 = check running.
    int getCheckState() const noexcept { return checkState; }

    // Mic gain in slider units 80..208, signal level -80..0, measurement
    // mode on, and the 48V state sent when measurement mode switches on.
    static float ml;
    static float nl;
    static bool mute48v;
    static bool en48v;

private:
    void applyMeasureMode();
    void selectChannel (juce::TextButton& selected, char mode);
    void updateClickAcceptance();

    CustomLF_V1 buttonStyle;
    LookAndFeel101 meterStyle;
    SquareLookAndFeelEx micGainStyle;
    SquareLookAndFeel signalStyle;
    CompactToggleLookAndFeel toggleStyle;

    juce::ToggleButton enable48vToggle { "48V" };
    std::unique_ptr<juce::TextButton> measureButton;
    std::unique_ptr<juce::TextButton> checkButton;
    std::unique_ptr<juce::TextButton> leftButton;
    std::unique_ptr<juce::TextButton> rightButton;
    std::unique_ptr<juce::TextButton> stereoButton;
    juce::Slider micGainSlider;
    juce::Slider signalSlider;
    juce::Slider levelMeter;
    juce::Label levelLabel;
    int checkState = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LeftComponent)
};
