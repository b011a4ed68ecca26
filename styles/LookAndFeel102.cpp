#include "styles/LookAndFeel102.h"

#include "styles/LevelMeterDrawing.h"

void LookAndFeel102::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                       float sliderPos, float minSliderPos, float maxSliderPos,
                                       juce::Slider::SliderStyle style, juce::Slider& slider)
{
    LevelMeterDrawing::drawLinearSlider (*this, g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}
