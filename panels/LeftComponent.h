#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class LeftComponent : public juce::Component
{
public:
    LeftComponent();
    ~LeftComponent() override;

    void paint (juce::Graphics&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LeftComponent)
};
