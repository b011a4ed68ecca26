#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The input level meter (a three-zone bar under a dark cover) and the
// circular progress indicator of the measurement points.
class LookAndFeel101 : public juce::LookAndFeel_V2
{
public:
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&) override;

    // White ring, orange centre, and a green arc from six o'clock sweeping
    // clockwise by the progress; above 1 the centre turns light grey. The
    // text is not drawn.
    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height,
                          double progress, const juce::String& textToShow) override;
};
