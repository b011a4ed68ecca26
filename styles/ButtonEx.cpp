#include "styles/ButtonEx.h"

ButtonEx::ButtonEx (const juce::String& buttonText) : juce::Button (buttonText)
{
    setButtonText (buttonText);
}

void ButtonEx::setTextColour (juce::Colour c)
{
    textColour = c;
}

void ButtonEx::setFillColour (juce::Colour c)
{
    fillColour = c;
}

void ButtonEx::paintButton (juce::Graphics& g, bool, bool)
{
    g.setColour (fillColour);
    g.fillRect (0, 0, getWidth(), getHeight());
    g.setColour (textColour);
    g.setFont (15.0f);
    g.drawText (getButtonText(), getLocalBounds(), juce::Justification::centred, true);
}
