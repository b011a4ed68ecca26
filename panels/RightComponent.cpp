#include "panels/RightComponent.h"

#include "styles/PanelStyle.h"

RightComponent::RightComponent()
{
    setName ("Master");
}

RightComponent::~RightComponent() = default;

void RightComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}
