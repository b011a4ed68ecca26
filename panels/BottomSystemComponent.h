#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class BottomSystemComponent : public juce::Component
{
public:
    BottomSystemComponent();
    ~BottomSystemComponent() override;

    void paint (juce::Graphics&) override;

    static std::uint8_t getMyMode();
    int getComboSFValue() const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomSystemComponent)
};
