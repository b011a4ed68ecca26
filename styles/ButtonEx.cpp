#include "styles/ButtonEx.h"

#include "styles/TextFit.h"

ButtonEx::ButtonEx (const juce::String& buttonText) : juce::Button (buttonText)
{
    setButtonText (buttonText);
}

void ButtonEx::setTextColour (juce::Colour c)
{
    textColour = c;
    repaint();
}

void ButtonEx::setFillColour (juce::Colour c)
{
    fillColour = c;
    repaint();
}

void ButtonEx::paintButton (juce::Graphics& g, bool, bool)
{
    g.setColour (fillColour);
    g.fillRect (0, 0, getWidth(), getHeight());
    g.setColour (textColour);
    g.setFont (15.0f);
    TextFit::drawLine (g, getButtonText(), getLocalBounds().toFloat().reduced (2.0f, 0.0f), juce::Justification::centred);
}
