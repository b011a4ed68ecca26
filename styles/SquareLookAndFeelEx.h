#pragma once

#include "styles/SquareLookAndFeel.h"

// The square fader with thumb colours of its own and no value text.
class SquareLookAndFeelEx : public SquareLookAndFeel
{
public:
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;

    void setOuterThumbColour (juce::Colour c) noexcept { outerThumbColour = c; }
    void setInnerThumbColour (juce::Colour c) noexcept { innerThumbColour = c; }
    juce::Colour getOuterThumbColour() const noexcept  { return outerThumbColour; }
    juce::Colour getInnerThumbColour() const noexcept  { return innerThumbColour; }

private:
    juce::Colour outerThumbColour { juce::Colours::grey };
    juce::Colour innerThumbColour { juce::Colours::black };
};
