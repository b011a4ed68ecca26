#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The output level meters: the same three-zone bar as LookAndFeel101.
class LookAndFeel102 : public juce::LookAndFeel_V2
{
public:
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&) override;
};
