#include "styles/SquareLookAndFeel.h"

int SquareLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return thumbRadius;
}

void SquareLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                                    float, float, float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    const auto track = slider.findColour (juce::Slider::trackColourId);
    const auto r = (float) getSliderThumbRadius (slider);
    const auto fx = (float) x, fy = (float) y, fw = (float) width, fh = (float) height;

    juce::Path shape;

    if (slider.isHorizontal())
    {
        const auto top = fy + fh * 0.5f - r * 0.5f;
        shape.addRoundedRectangle (fx - r * 0.5f, top, fw + r, r, 5.0f);

        const auto upper = track.overlaidWith (juce::Colour (slider.isEnabled() ? 0x13000000u : 0x09000000u));
        const auto lower = track.overlaidWith (juce::Colour (0x06000000u));
        g.setGradientFill (juce::ColourGradient::vertical (upper, top, lower, top + r));
        g.fillPath (shape);
    }
    else
    {
        shape.addRectangle (fx + fw * 0.25f, fy, fw * 0.5f, fh);
        g.setColour (juce::Colours::black);
        g.fillPath (shape);
    }

    g.setColour (track.contrasting (0.5f));
    g.strokePath (shape, juce::PathStrokeType (0.5f));
}

void SquareLookAndFeel::drawLowerTrack (juce::Graphics& g, int x, int width, int height, float sliderPos, float radius)
{
    g.setColour (juce::Colours::white);
    g.fillRect ((float) x + (float) width * 0.25f, sliderPos, (float) width * 0.5f, (float) height - sliderPos + radius);
}

void SquareLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
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
    drawRoundThumb (g, kx - r, ky - r, r * 2.0f, juce::Colours::grey, 0.5f);
    drawRoundThumb (g, kx - r * 0.6f, ky - r * 0.6f, r * 1.2f, juce::Colours::black, 0.5f);

    // The value is centred on the thumb; its box grows beyond the thumb's
    // inner disc when the text is wider, so "-80" is never cut short.
    const juce::Font font (12.0f);
    const auto text = juce::String (slider.getValue());
    const auto boxWidth = juce::jmax ((int) (r * 1.2f), font.getStringWidth (text) + 2);
    g.setColour (juce::Colours::white);
    g.setFont (font);
    g.drawText (text, juce::Rectangle<int> ((int) kx - boxWidth / 2, (int) (ky - r * 0.6f), boxWidth, 15),
                juce::Justification::centred, false);
}

void SquareLookAndFeel::drawRoundThumb (juce::Graphics& g, float x, float y, float diameter, juce::Colour colour,
                                        float outlineThickness)
{
    const auto half = outlineThickness * 0.5f;
    juce::Path disc;
    disc.addEllipse (x + half, y + half, diameter - outlineThickness, diameter - outlineThickness);

    juce::DropShadow (juce::Colours::black, 1, {}).drawForPath (g, disc);

    g.setColour (colour);
    g.fillPath (disc);

    g.setColour (colour.brighter (0.4f));
    g.strokePath (disc, juce::PathStrokeType (outlineThickness));
}
