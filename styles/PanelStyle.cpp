#include "styles/PanelStyle.h"

namespace PanelStyle
{

void fillBackgroundAndBorder (juce::Graphics& g, const juce::Component& panel)
{
    g.fillAll (background);
    g.setColour (juce::Colours::grey);
    g.drawRect (panel.getLocalBounds(), 1);
}

}
