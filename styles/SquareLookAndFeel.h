#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The square fader: a black track with the part below the thumb in white,
// a round grey thumb with a black centre showing the value.
class SquareLookAndFeel : public juce::LookAndFeel_V3
{
public:
    static constexpr int thumbRadius = 12;

    int getSliderThumbRadius (juce::Slider&) override;

    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle, juce::Slider&) override;

    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;

    // A disc of diameter d with its top-left corner at (x, y), a thin black
    // shadow and an outline of width t in a lighter shade.
    void drawRoundThumb (juce::Graphics&, float x, float y, float diameter, juce::Colour colour, float outlineThickness);

protected:
    // The white part of the track below the thumb.
    static void drawLowerTrack (juce::Graphics&, int x, int width, int height, float sliderPos, float radius);
};
