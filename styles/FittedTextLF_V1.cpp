#include "styles/FittedTextLF_V1.h"

#include "styles/TextFit.h"

void FittedTextLF_V1::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    g.setFont (getTextButtonFont (button, button.getHeight()));
    g.setColour (button.findColour (button.getToggleState() ? juce::TextButton::textColourOnId
                                                            : juce::TextButton::textColourOffId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));

    constexpr float indent = 3.0f;
    TextFit::drawLine (g, button.getButtonText(), button.getLocalBounds().toFloat().reduced (indent, 0.0f),
                       juce::Justification::centred);
}
