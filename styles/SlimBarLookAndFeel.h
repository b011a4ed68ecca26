#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The framework's linear progress bar, for bars too low to carry a legible
// text: the percentage is left out below minTextHeight pixels rather than
// drawn as a smudge.
class SlimBarLookAndFeel : public juce::LookAndFeel_V4
{
public:
    static constexpr int minTextHeight = 9;

    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height,
                          double progress, const juce::String& textToShow) override;
};
