#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "views/FrequencyResponseAndCrossoverComponent.h"

class CenterComponent : public juce::Component
{
public:
    CenterComponent();
    ~CenterComponent() override;

    void paint (juce::Graphics&) override;

    FrequencyResponseAndCrossoverComponent& getResponseView() noexcept { return responseView; }

private:
    FrequencyResponseAndCrossoverComponent responseView;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CenterComponent)
};
