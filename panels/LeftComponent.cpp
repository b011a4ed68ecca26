#include "panels/LeftComponent.h"

#include "styles/PanelStyle.h"

LeftComponent::LeftComponent()
{
    setName ("Input");
}

LeftComponent::~LeftComponent() = default;

void LeftComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}
