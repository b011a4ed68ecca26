#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class BottomMeasureComponent : public juce::Component
{
public:
    BottomMeasureComponent();
    ~BottomMeasureComponent() override;

    void paint (juce::Graphics&) override;

    int getMaxNum() const;
    void ProcessButtonClicked();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomMeasureComponent)
};
