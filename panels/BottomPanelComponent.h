#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class BottomPanelComponent : public juce::Component
{
public:
    BottomPanelComponent();
    ~BottomPanelComponent() override;

    void paint (juce::Graphics&) override;

    static int getFreq1();
    static int getFreq2();
    static int getFreq3();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomPanelComponent)
};
