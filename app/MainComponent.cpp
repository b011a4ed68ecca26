#include "app/MainComponent.h"

#include "app/Layout.h"

MainContentComponent::MainContentComponent()
{
    for (auto* panel : std::initializer_list<juce::Component*> { &top, &left, &right, &center, &bottomSystem,
                                                                 &bottomPanel, &bottomMeasure, &bottomSave })
        addAndMakeVisible (panel);

    setSize (1024, 720);

    receiver.setPanels (&left, &bottomPanel, &right, &center, &bottomSystem, &bottomSave, &top);

    // The response view hands each crossover marker's frequency to the output
    // bands panel's label, with notification, so the panel stores it.
    center.getResponseView().onCrossoverFrequency = [this] (int marker, const juce::String& text)
    {
        juce::Label* const labels[] = { bottomPanel.getFreqLabel1(), bottomPanel.getFreqLabel2(), bottomPanel.getFreqLabel3() };
        if (marker >= 1 && marker <= 3)
            labels[marker - 1]->setText (text, juce::sendNotification);
    };
}

MainContentComponent::~MainContentComponent() = default;

void MainContentComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

void MainContentComponent::resized()
{
    const auto l = computePanelLayout (getWidth(), getHeight());
    top.setBounds (l.top);
    left.setBounds (l.left);
    center.setBounds (l.center);
    right.setBounds (l.right);
    bottomMeasure.setBounds (l.bottomMeasure);
    bottomPanel.setBounds (l.bottomPanel);
    bottomSystem.setBounds (l.bottomSystem);
    bottomSave.setBounds (l.bottomSave);
}
