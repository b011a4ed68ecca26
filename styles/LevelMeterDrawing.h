#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The bar meter that LookAndFeel101 and LookAndFeel102 share: three fixed
// colour zones (red on top, orange, green below) under a dark cover that
// grows from the top with the value's share of the range.
namespace LevelMeterDrawing
{
    inline const juce::Colour topZone    { 0xFFC82506 };
    inline const juce::Colour middleZone { 0xFFDE6A10 };
    inline const juce::Colour bottomZone { 0xFF00882B };

    // Zone colour at a height in the meter, as a share of its height from the top.
    juce::Colour zoneColourAt (float shareFromTop);

    void drawLinearSlider (juce::LookAndFeel_V2& style, juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&);
}
