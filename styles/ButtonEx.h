#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A flat text tab: a filled rectangle with its text centred on it. The owner
// sets both colours; the text is invisible until it does. A text wider than
// the button is narrowed to fit rather than shortened.
class ButtonEx : public juce::Button
{
public:
    explicit ButtonEx (const juce::String& buttonText);

    void setTextColour (juce::Colour c);
    void setFillColour (juce::Colour c);
    juce::Colour getTextColour() const noexcept { return textColour; }
    juce::Colour getFillColour() const noexcept { return fillColour; }

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

private:
    juce::Colour textColour { juce::Colours::transparentBlack };
    juce::Colour fillColour { juce::Colours::grey };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ButtonEx)
};
