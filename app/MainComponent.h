#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "link/Receiver.h"
#include "panels/BottomMeasureComponent.h"
#include "panels/BottomPanelComponent.h"
#include "panels/BottomSaveComponent.h"
#include "panels/BottomSystemComponent.h"
#include "panels/LeftComponent.h"
#include "panels/RightComponent.h"
#include "panels/TopComponent.h"
#include "views/CenterComponent.h"

// Owns every panel and the report dispatcher and lays them out in the fixed
// grid. Panels reach their siblings through the accessors below
// (findParentComponentOfClass<MainContentComponent>()).
class MainContentComponent : public juce::Component
{
public:
    MainContentComponent();
    ~MainContentComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    CenterComponent& getCenter() noexcept                { return center; }
    Receiver& getReceiver() noexcept                     { return receiver; }
    TopComponent& getTop() noexcept                      { return top; }
    LeftComponent& getLeft() noexcept                    { return left; }
    RightComponent& getRight() noexcept                  { return right; }
    BottomSystemComponent& getBottomSystem() noexcept    { return bottomSystem; }
    BottomPanelComponent& getBottomPanel() noexcept      { return bottomPanel; }
    BottomMeasureComponent& getBottomMeasure() noexcept  { return bottomMeasure; }
    BottomSaveComponent& getBottomSave() noexcept        { return bottomSave; }

private:
    // Declared, and so constructed, in this order; destroyed in reverse.
    CenterComponent center;
    Receiver receiver;
    TopComponent top;
    LeftComponent left;
    RightComponent right;
    BottomSystemComponent bottomSystem;
    BottomPanelComponent bottomPanel;
    BottomMeasureComponent bottomMeasure;
    BottomSaveComponent bottomSave;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainContentComponent)
};
