#include "styles/PanelStyle.h"

#include "styles/TextFit.h"

namespace PanelStyle
{

void fillBackgroundAndBorder (juce::Graphics& g, const juce::Component& panel)
{
    g.fillAll (background);
    g.setColour (juce::Colours::grey);
    g.drawRect (panel.getLocalBounds(), 1);
}

void drawCaption (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> box,
                  juce::Justification justification)
{
    TextFit::drawLine (g, text, box.toFloat(), justification);
}

}
