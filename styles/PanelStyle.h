#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look every panel shares: background 0xFF53585F, a one-pixel grey
// border, white titles.
namespace PanelStyle
{
    inline const juce::Colour background { 0xFF53585F };
    inline const juce::Colour onColour { 0xFF851001 };
    inline const juce::Colour offColour { juce::Colours::darkgreen };

    void fillBackgroundAndBorder (juce::Graphics& g, const juce::Component& panel);

    // A painted text in the current font and colour, in one line that keeps
    // its place in the box and fits the box's width whole.
    void drawCaption (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> box,
                      juce::Justification justification);
}
