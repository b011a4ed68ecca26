#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

// The bar meter that LookAndFeel101 and LookAndFeel102 share: three fixed
// colour zones (red on top, orange, green below) under a dark cover that
// grows from the top with the value's share of the range. The louder the
// level, the lower its value and the more of the zones show.
//
// A meter that is handed a peak shows it as a thin line in the colour of its
// zone where the cover for the peak would end: above the bar while the level
// stays below the peak. The slider's own maximum cannot carry the peak: the
// framework keeps it at or above the value, and a peak lies below it.
namespace LevelMeterDrawing
{
    inline const juce::Colour topZone    { 0xFFC82506 };
    inline const juce::Colour middleZone { 0xFFDE6A10 };
    inline const juce::Colour bottomZone { 0xFF00882B };

    inline constexpr int peakLineHeight = 2;

    // Zone colour at a height in the meter, as a share of its height from the top.
    juce::Colour zoneColourAt (float shareFromTop);

    // The peak a meter shows, in the meter's units; the meter repaints when it changes.
    void setPeak (juce::Slider& meter, double peak);
    std::optional<double> getPeak (const juce::Slider& meter);

    // The first row of the zones that a vertical bar leaves uncovered at a
    // value whose pixel position is sliderPos, for a bar at (y, height).
    float coverEnd (int y, int height, float sliderPos);

    void drawLinearSlider (juce::LookAndFeel_V2& style, juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&);
}
