#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The framework's combo box with a smaller arrow further to the right; the
// text takes the room up to the arrow and always shows whole.
class CustomizeLookAndFeel : public juce::LookAndFeel_V4
{
public:
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;

    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    // A combo box's own text fitted to its room; other labels as the framework draws them.
    void drawLabel (juce::Graphics&, juce::Label&) override;

    // Where the arrow starts, from the right edge.
    static constexpr int arrowRoom = 20;
};
