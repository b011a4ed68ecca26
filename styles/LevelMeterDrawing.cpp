#include "styles/LevelMeterDrawing.h"

namespace LevelMeterDrawing
{

namespace
{
    const juce::Identifier peakProperty { "peak" };
}

juce::Colour zoneColourAt (float shareFromTop)
{
    if (shareFromTop < 0.05f)
        return topZone;

    return shareFromTop < 0.4f ? middleZone : bottomZone;
}

void setPeak (juce::Slider& meter, double peak)
{
    auto& properties = meter.getProperties();
    const auto* old = properties.getVarPointer (peakProperty);

    if (old == nullptr || (double) *old != peak)
    {
        properties.set (peakProperty, peak);
        meter.repaint();
    }
}

std::optional<double> getPeak (const juce::Slider& meter)
{
    if (const auto* peak = meter.getProperties().getVarPointer (peakProperty))
        return (double) *peak;

    return std::nullopt;
}

float coverEnd (int y, int height, float sliderPos)
{
    // The slider puts sliderPos at y for the maximum and at y + height for
    // the minimum, so the cover spans the whole meter at the maximum and one
    // pixel at the minimum.
    return (float) y + juce::jmax (0.0f, (float) (y + height + 1) - sliderPos);
}

void drawLinearSlider (juce::LookAndFeel_V2& style, juce::Graphics& g, int x, int y, int width, int height,
                       float sliderPos, float minSliderPos, float maxSliderPos,
                       juce::Slider::SliderStyle sliderStyle, juce::Slider& slider)
{
    const auto fx = (float) x;
    const auto fy = (float) y;
    const auto fw = (float) width;
    const auto fh = (float) height;

    g.setColour (topZone);
    g.fillRect (fx, fy, fw, 0.05f * fh);
    g.setColour (middleZone);
    g.fillRect (fx, fy + 0.05f * fh, fw, 0.35f * fh);
    g.setColour (bottomZone);
    g.fillRect (fx, fy + 0.4f * fh, fw, 0.6f * fh);

    if (sliderStyle != juce::Slider::LinearBar && sliderStyle != juce::Slider::LinearBarVertical)
    {
        style.drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, sliderStyle, slider);
        style.drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, sliderStyle, slider);
        return;
    }

    const auto vertical = sliderStyle == juce::Slider::LinearBarVertical;
    const auto cover = vertical ? juce::Rectangle<float> (fx, fy, fw, coverEnd (y, height, sliderPos) - fy)
                                : juce::Rectangle<float> (fx, fy, juce::jmax (0.0f, sliderPos - fx), fh);

    const auto base = slider.findColour (juce::Slider::thumbColourId)
                          .withMultipliedSaturation (slider.isEnabled() ? 1.0f : 0.5f)
                          .withMultipliedAlpha (0.8f);

    g.setGradientFill (juce::ColourGradient::vertical (base.brighter (0.08f), fy, base.darker (0.08f), fy + fh));
    g.fillRect (cover);

    if (const auto peak = getPeak (slider); peak.has_value() && vertical && height > peakLineHeight)
    {
        const auto top = juce::jlimit (fy, fy + fh - (float) peakLineHeight,
                                       std::floor (coverEnd (y, height, slider.getPositionOfValue (*peak))));
        g.setColour (zoneColourAt ((top - fy) / fh));
        g.fillRect (fx, top, fw, (float) peakLineHeight);
    }
}

}
