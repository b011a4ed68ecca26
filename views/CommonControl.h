#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// One draggable point of the target curve editor: a 12 x 12 child of the
// editor that can never leave it, not even partly.
class CornerDragger : public juce::Component
{
public:
    static constexpr int size = 12;

    CornerDragger();
    ~CornerDragger() override;

    // left + width / 2, top + height / 2, halves truncated.
    juce::Point<int> getCentre() const noexcept { return { getX() + getWidth() / 2, getY() + getHeight() / 2 }; }

    // The centre as fractions of the editor's size, recorded while the mouse
    // button is down; (0, 0) otherwise.
    juce::Point<float> getRelativePosition() const noexcept { return relativePosition; }

    bool isBeingDragged() const noexcept { return mouseIsDown; }

    // Points compare by their centre x when the curve is sorted.
    static int compareElements (const CornerDragger* a, const CornerDragger* b) noexcept;

    void paint (juce::Graphics&) override;
    void resized() override;
    void moved() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

private:
    class CurveComponent* getEditor() const noexcept;

    juce::Point<float> relativePosition;
    bool mouseIsDown = false;
    juce::ComponentBoundsConstrainer constrainer;
    juce::ComponentDragger dragger;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CornerDragger)
};
