#include "panels/BottomPanelComponent.h"

#include "styles/PanelStyle.h"

BottomPanelComponent::BottomPanelComponent()
{
    setName ("Output bands");
}

BottomPanelComponent::~BottomPanelComponent() = default;

void BottomPanelComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}

int BottomPanelComponent::getFreq1() { return 0; }
int BottomPanelComponent::getFreq2() { return 0; }
int BottomPanelComponent::getFreq3() { return 0; }
