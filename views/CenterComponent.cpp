#include "views/CenterComponent.h"

#include "styles/PanelStyle.h"

CenterComponent::CenterComponent()
{
    setName ("Center");
}

CenterComponent::~CenterComponent() = default;

void CenterComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}

