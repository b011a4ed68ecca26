#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/ButtonEx.h"
#include "views/CurveComponent.h"
#include "views/CurveDesignComponent.h"
#include "views/FrequencyResponseAndCrossoverComponent.h"

// The panel in the middle of the window: the target curve editor on its grid
// and the response and crossover view, in the same place under a header with
// two tabs. The view in front is the one the user works with.
class CenterComponent : public juce::Component,
                        public juce::Button::Listener
{
public:
    CenterComponent();
    ~CenterComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    FrequencyResponseAndCrossoverComponent& getResponseView() noexcept { return responseView; }
    CurveComponent& getCurveEditor() noexcept                          { return curveEditor; }
    CurveDesignComponent& getCurveBackground() noexcept                { return curveBackground; }

    ButtonEx& getCurveDesignButton() noexcept   { return *curveDesignButton; }
    ButtonEx& getResponseButton() noexcept      { return *responseButton; }

    // True when the curve editor is in front.
    bool isCurveDesignInFront() const;

private:
    CurveDesignComponent curveBackground;
    CurveComponent curveEditor;
    FrequencyResponseAndCrossoverComponent responseView;
    std::unique_ptr<ButtonEx> curveDesignButton, responseButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CenterComponent)
};
