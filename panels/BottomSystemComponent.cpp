#include "panels/BottomSystemComponent.h"

#include "styles/PanelStyle.h"

BottomSystemComponent::BottomSystemComponent()
{
    setName ("System settings");
}

BottomSystemComponent::~BottomSystemComponent() = default;

void BottomSystemComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);
    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText (getName(), getLocalBounds().reduced (4), juce::Justification::centredTop, true);
}

std::uint8_t BottomSystemComponent::getMyMode()
{
    return 1;
}

int BottomSystemComponent::getComboSFValue() const
{
    return 0;
}
