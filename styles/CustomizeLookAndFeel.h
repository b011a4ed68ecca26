#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The framework's combo box with a smaller arrow further to the right.
class CustomizeLookAndFeel : public juce::LookAndFeel_V4
{
public:
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
};
