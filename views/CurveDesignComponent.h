#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The grid background of the target curve editor: gain and frequency labels
// and the axes. The center panel puts the editor inside it.
class CurveDesignComponent : public juce::Component
{
public:
    CurveDesignComponent() = default;

    // The bounds the editor gets inside a background of this size.
    static juce::Rectangle<int> editorBounds (int width, int height) noexcept
    {
        return { 25, 0, juce::jmax (0, width - 25), juce::jmax (0, height - 30) };
    }

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveDesignComponent)
};
