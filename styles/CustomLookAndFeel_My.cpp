#include "styles/CustomLookAndFeel_My.h"

void CustomLookAndFeel_My::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                             float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const juce::Rectangle<float> bounds ((float) x + 10.0f, (float) y + 10.0f,
                                         (float) juce::jmax (0, width - 20), (float) juce::jmax (0, height - 20));
    const auto radius = juce::jmin (bounds.getWidth(), bounds.getHeight()) / 2.0f;
    const auto line = juce::jmin (5.0f, radius / 2.0f);
    const auto arcRadius = radius - line / 2.0f;
    const auto centre = bounds.getCentre();
    const auto toAngle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);
    const juce::PathStrokeType stroke (line, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    juce::Path backgroundArc;
    backgroundArc.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, rotaryStartAngle, rotaryEndAngle, true);
    g.setColour (slider.findColour (juce::Slider::rotarySliderOutlineColourId));
    g.strokePath (backgroundArc, stroke);

    if (slider.isEnabled())
    {
        juce::Path valueArc;
        valueArc.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, rotaryStartAngle, toAngle, true);
        g.setColour (juce::Colours::white);
        g.strokePath (valueArc, stroke);
    }

    const juce::Point<float> thumb (centre.x + arcRadius * std::cos (toAngle - juce::MathConstants<float>::halfPi),
                                    centre.y + arcRadius * std::sin (toAngle - juce::MathConstants<float>::halfPi));
    const auto outer = 2.7f * line;
    const auto inner = outer - 5.0f;

    g.setColour (juce::Colours::white);
    g.fillEllipse (juce::Rectangle<float> (outer, outer).withCentre (thumb));

    if (inner > 0.0f)
    {
        g.setColour (juce::Colour::greyLevel (0.2f));
        g.fillEllipse (juce::Rectangle<float> (inner, inner).withCentre (thumb));
    }
}

void CustomLookAndFeel_My::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                                 bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto base = backgroundColour.withMultipliedSaturation (button.hasKeyboardFocus (true) ? 1.3f : 0.9f)
                                .withMultipliedAlpha (button.isEnabled() ? 0.9f : 0.5f);

    if (shouldDrawButtonAsDown || shouldDrawButtonAsHighlighted)
        base = base.contrasting (shouldDrawButtonAsDown ? 0.2f : 0.1f);

    const auto width = (float) button.getWidth() - 1.0f;
    const auto height = (float) button.getHeight() - 1.0f;

    if (width <= 0.0f || height <= 0.0f)
        return;

    const auto corner = juce::jmin (15.0f, juce::jmin (width, height) * 0.45f);
    const auto line = corner * 0.1f;

    const auto flatOnLeft   = button.isConnectedOnLeft();
    const auto flatOnRight  = button.isConnectedOnRight();
    const auto flatOnTop    = button.isConnectedOnTop();
    const auto flatOnBottom = button.isConnectedOnBottom();

    juce::Path outline;
    outline.addRoundedRectangle (0.5f + line / 2.0f, 0.5f + line / 2.0f, width - line, height - line, corner, corner,
                                 ! (flatOnLeft || flatOnTop), ! (flatOnRight || flatOnTop),
                                 ! (flatOnLeft || flatOnBottom), ! (flatOnRight || flatOnBottom));

    g.setColour (base);
    g.fillPath (outline);

    if (! button.getToggleState())
    {
        g.setColour (button.findColour (juce::TextButton::textColourOffId));
        g.strokePath (outline, juce::PathStrokeType (line));
    }
}
