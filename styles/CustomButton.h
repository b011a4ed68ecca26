#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A flat button that paints its text on a fill colour, with a toggle flag of
// its own: toggled shows 0xFF851001, untoggled green. Mouse-over and pressed
// states look the same as the rest state. A text wider than the button is
// narrowed to fit rather than shortened.
class CustomButton : public juce::Button
{
public:
    static inline const juce::Colour toggledColour { 0xFF851001 };
    static inline const juce::Colour untoggledColour { juce::Colours::green };

    CustomButton (juce::Colour textColour, const juce::String& text, juce::Colour fillColour);

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    // Inverts the flag and shows its colour.
    void toggle();

    bool getToggleFlag() const noexcept { return flag; }
    void setToggleFlag (bool on);

    juce::Colour getFillColour() const noexcept { return fillColour; }
    void setFillColour (juce::Colour c);

    juce::Colour getTextColour() const noexcept { return textColour; }
    void setTextColour (juce::Colour c);

private:
    juce::Colour textColour;
    juce::Colour fillColour;
    bool flag = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomButton)
};
