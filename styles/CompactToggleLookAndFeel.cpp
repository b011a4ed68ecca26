#include "styles/CompactToggleLookAndFeel.h"

#include "styles/TextFit.h"

void CompactToggleLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                                 bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto height = (float) button.getHeight();
    const auto side = std::round (height * tickBoxShare);
    const juce::Rectangle<float> box (3.5f, std::round ((height - side) * 0.5f) + 0.5f, side - 1.0f, side - 1.0f);

    g.setColour (button.findColour (juce::ToggleButton::tickDisabledColourId));
    g.drawRoundedRectangle (box, 3.0f, 1.0f);

    if (button.getToggleState())
    {
        g.setColour (button.findColour (juce::ToggleButton::tickColourId));
        const auto tick = getTickShape (0.75f);
        g.fillPath (tick, tick.getTransformToScaleToFit (box.reduced (2.5f), false));
    }

    if (shouldDrawButtonAsHighlighted || shouldDrawButtonAsDown)
    {
        g.setColour (button.findColour (juce::ToggleButton::tickColourId).withAlpha (shouldDrawButtonAsDown ? 0.3f : 0.15f));
        g.fillRoundedRectangle (box, 3.0f);
    }

    g.setColour (button.findColour (juce::ToggleButton::textColourId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));
    g.setFont (juce::Font (juce::jmin (15.0f, height * 0.6f)));

    const auto textLeft = box.getRight() + 3.0f;
    TextFit::drawLine (g, button.getButtonText(),
                       button.getLocalBounds().toFloat().withLeft (textLeft).withTrimmedRight (1.0f),
                       juce::Justification::centredLeft);
}
