#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// One line of text that keeps its place and always shows whole: when it is
// wider than the room it has, it is first narrowed (down to minScale of its
// width), then drawn smaller.
namespace TextFit
{
    inline constexpr float defaultMinScale = 0.75f;

    // The font, no taller than the one given, in which the text fits the width.
    juce::Font fontToFit (const juce::Font& font, const juce::String& text, float width,
                          float minScale = defaultMinScale);

    // Draws the text in the graphics context's font, fitted to the area's
    // width; the context keeps its font.
    void drawLine (juce::Graphics&, const juce::String& text, juce::Rectangle<float> area,
                   juce::Justification, float minScale = defaultMinScale);
}
