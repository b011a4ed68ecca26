#include "panels/BottomMeasureComponent.h"

#include "styles/PanelStyle.h"

BottomMeasureComponent::BottomMeasureComponent()
{
    setName ("Measurement");
}

BottomMeasureComponent::~BottomMeasureComponent() = default;

void BottomMeasureComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}

int BottomMeasureComponent::getMaxNum() const
{
    return 0;
}

void BottomMeasureComponent::ProcessButtonClicked()
{
}
