#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The plain button background of LookAndFeel_V1, but in the colour the
// panel gives the button rather than a washed-out one.
class CustomLF_V1 : public juce::LookAndFeel_V1
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
};
