#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class RightComponent : public juce::Component
{
public:
    RightComponent();
    ~RightComponent() override;

    void paint (juce::Graphics&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RightComponent)
};
