#include "styles/SquareLookAndFeelEx.h"

void SquareLookAndFeelEx::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                                 float sliderPos, float minSliderPos, float maxSliderPos,
                                                 juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (style != juce::Slider::LinearVertical && style != juce::Slider::LinearHorizontal)
    {
        juce::LookAndFeel_V2::drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
        return;
    }

    const auto r = (float) getSliderThumbRadius (slider);
    const auto vertical = style == juce::Slider::LinearVertical;
    const auto kx = vertical ? (float) x + (float) width * 0.5f : sliderPos;
    const auto ky = vertical ? sliderPos : (float) y + (float) height * 0.5f;

    drawLowerTrack (g, x, width, height, sliderPos, r);
    drawRoundThumb (g, kx - r, ky - r, r * 2.0f, outerThumbColour, 0.5f);
    drawRoundThumb (g, kx - r * 0.5f, ky - r * 0.5f, r, innerThumbColour, 0.5f);
}
