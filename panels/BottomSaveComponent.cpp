#include "panels/BottomSaveComponent.h"

#include "styles/PanelStyle.h"

BottomSaveComponent::BottomSaveComponent()
{
    setName ("Compressor");
}

BottomSaveComponent::~BottomSaveComponent() = default;

void BottomSaveComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}
