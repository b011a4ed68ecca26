#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class FrequencyResponseAndCrossoverComponent : public juce::Component
{
public:
    FrequencyResponseAndCrossoverComponent();
    ~FrequencyResponseAndCrossoverComponent() override;

    static int mydisplayMode;
    static int mydisplayModeAll;

    void setIsPrepared (bool b);
    bool getIsPrepared() const noexcept { return prepared; }

    void setCurrentPosRed (int);
    void setCurrentPosGreen (int);
    void setCurrentPosBlue (int);

private:
    bool prepared = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FrequencyResponseAndCrossoverComponent)
};
