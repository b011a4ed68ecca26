#include "panels/TopComponent.h"

#include "styles/PanelStyle.h"

TopComponent::TopComponent()
{
    setName ("Top bar");
}

TopComponent::~TopComponent() = default;

void TopComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}

int TopComponent::timepasted = 0;
int TopComponent::again = 0;

void TopComponent::setTimePassed (int t)
{
    timepasted = t;
}

void TopComponent::setUnitName (juce::String)
{
}
