#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The compressor panel's knobs (a thin arc with a white value arc and a ringed
// thumb) and its on/off button (a rounded fill outlined in the text colour).
class CustomLookAndFeel_My : public juce::LookAndFeel_V4
{
public:
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
};
