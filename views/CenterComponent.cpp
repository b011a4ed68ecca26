#include "views/CenterComponent.h"

#include "styles/PanelStyle.h"

namespace
{
    const juce::Colour selectedText { juce::Colours::orange };
    const juce::Colour otherText { juce::Colours::white };
}

CenterComponent::CenterComponent()
{
    setName ("Center");

    curveBackground.addAndMakeVisible (curveEditor);

    const auto makeTab = [this] (const juce::String& text)
    {
        auto b = std::make_unique<ButtonEx> (text);
        addAndMakeVisible (*b);
        b->setTextColour (otherText);
        b->setFillColour (PanelStyle::background);
        b->repaint();
        b->addListener (this);
        return b;
    };

    curveDesignButton = makeTab ("Curve Design");
    responseButton = makeTab ("Frequency Response & CrossOver");

    addAndMakeVisible (curveBackground);
    addAndMakeVisible (responseView);

    responseButton->setTextColour (selectedText);
    responseView.toFront (true);
}

CenterComponent::~CenterComponent() = default;

bool CenterComponent::isCurveDesignInFront() const
{
    return getIndexOfChildComponent (&curveBackground) > getIndexOfChildComponent (&responseView);
}

void CenterComponent::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    g.fillAll (PanelStyle::background);
    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds(), 1);
    g.drawHorizontalLine (30, 0.0f, w);
    g.drawVerticalLine (140, 0.0f, 30.0f);
}

void CenterComponent::resized()
{
    const auto w = getWidth(), h = getHeight();
    curveDesignButton->setBounds (20, 5, 100, 20);
    responseButton->setBounds (160, 5, 210, 20);
    curveBackground.setBounds (0, 31, w, juce::jmax (0, h - 31));
    responseView.setBounds (0, 31, w, juce::jmax (0, h - 31));
}

void CenterComponent::buttonClicked (juce::Button* b)
{
    if (b == curveDesignButton.get())
    {
        curveDesignButton->setTextColour (selectedText);
        curveDesignButton->repaint();
        responseButton->setTextColour (otherText);
        responseButton->repaint();
        curveBackground.toFront (true);
    }

    if (b == responseButton.get())
    {
        curveDesignButton->setTextColour (otherText);
        curveDesignButton->repaint();
        responseButton->setTextColour (selectedText);
        responseButton->repaint();
        responseView.toFront (true);
    }
}
