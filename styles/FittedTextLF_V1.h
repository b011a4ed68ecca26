#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The framework's plain LookAndFeel_V1, with button texts that fit narrow
// buttons whole: a small indent, then narrowed or made smaller as needed.
class FittedTextLF_V1 : public juce::LookAndFeel_V1
{
public:
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
};
