#include "styles/CustomButton.h"

#include "styles/TextFit.h"

CustomButton::CustomButton (juce::Colour textColourToUse, const juce::String& buttonText, juce::Colour fillColourToUse)
    : juce::Button (buttonText), textColour (textColourToUse), fillColour (fillColourToUse)
{
}

void CustomButton::paintButton (juce::Graphics& g, bool, bool)
{
    g.fillAll (juce::Colours::darkgrey);

    g.setColour (fillColour);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 2.0f);

    g.setColour (textColour);
    g.setFont (juce::Font (15.0f, juce::Font::plain));
    TextFit::drawLine (g, getButtonText(), getLocalBounds().toFloat().reduced (2.0f, 0.0f), juce::Justification::centred);
}

void CustomButton::toggle()
{
    setToggleFlag (! flag);
}

void CustomButton::setToggleFlag (bool on)
{
    flag = on;
    setFillColour (flag ? toggledColour : untoggledColour);
}

void CustomButton::setFillColour (juce::Colour c)
{
    fillColour = c;
    repaint();
}

void CustomButton::setTextColour (juce::Colour c)
{
    textColour = c;
    repaint();
}
