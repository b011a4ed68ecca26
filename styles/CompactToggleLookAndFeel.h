#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The framework's toggle button for a narrow, low button: a smaller tick box
// and a text that fits beside it whole.
class CompactToggleLookAndFeel : public juce::LookAndFeel_V4
{
public:
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;

    // The tick box: a square of this share of the button's height, 3 pixels from the left.
    static constexpr float tickBoxShare = 0.6f;
};
