#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TopComponent : public juce::Component
{
public:
    TopComponent();
    ~TopComponent() override;

    void paint (juce::Graphics&) override;

    // Consecutive unanswered polls that mean "network down"; 1 while its alert is open.
    static int timepasted;
    static int again;
    static void setTimePassed (int t);

    void setUnitName (juce::String name);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TopComponent)
};
