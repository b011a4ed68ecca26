#include "views/CommonControl.h"

#include "views/CurveComponent.h"

CornerDragger::CornerDragger()
{
    setRepaintsOnMouseActivity (true);
    setSize (size, size);
}

CornerDragger::~CornerDragger()
{
    // A point deleted in the middle of its drag gets no mouse release.
    if (mouseIsDown)
        CurveComponent::setCurrentDsPoint ({});
}

int CornerDragger::compareElements (const CornerDragger* a, const CornerDragger* b) noexcept
{
    const auto xa = (float) a->getCentre().x;
    const auto xb = (float) b->getCentre().x;
    return xa < xb ? -1 : (xb < xa ? 1 : 0);
}

CurveComponent* CornerDragger::getEditor() const noexcept
{
    return dynamic_cast<CurveComponent*> (getParentComponent());
}

void CornerDragger::paint (juce::Graphics& g)
{
    const auto area = getLocalBounds().reduced (1).toFloat();
    g.setColour (juce::Colours::green.withAlpha (isMouseOverOrDragging() ? 0.9f : 0.5f));
    g.fillEllipse (area);
    g.setColour (juce::Colours::green);
    g.drawEllipse (area, 1.0f);
}

void CornerDragger::resized()
{
    constrainer.setMinimumOnscreenAmounts (getHeight(), getWidth(), getHeight(), getWidth());
}

void CornerDragger::moved()
{
    auto* editor = getEditor();
    if (editor == nullptr)
        return;

    if (mouseIsDown && editor->getWidth() > 0 && editor->getHeight() > 0)
    {
        const auto c = getCentre();
        relativePosition = { (float) c.x / (float) editor->getWidth(), (float) c.y / (float) editor->getHeight() };
    }

    CurveComponent::setCurrentDsPoint (relativePosition);
    repaint();
}

void CornerDragger::mouseDown (const juce::MouseEvent& e)
{
    mouseIsDown = true;
    dragger.startDraggingComponent (this, e);
}

void CornerDragger::mouseDrag (const juce::MouseEvent& e)
{
    // A point already taken out of the editor waits for its deletion.
    if (getEditor() == nullptr)
        return;

    // Moving may take the point to the left edge, where the editor removes
    // it; its deletion waits until this handler has returned.
    dragger.dragComponent (this, e, &constrainer);
}

void CornerDragger::mouseUp (const juce::MouseEvent&)
{
    mouseIsDown = false;
    relativePosition = {};
    CurveComponent::setCurrentDsPoint ({});

    if (auto* editor = getEditor())
        editor->repaint();
}

void CornerDragger::mouseDoubleClick (const juce::MouseEvent&)
{
    if (auto* editor = getEditor())
    {
        editor->repaint();
        editor->removePoint (this);
    }
}
