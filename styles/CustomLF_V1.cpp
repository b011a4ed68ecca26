#include "styles/CustomLF_V1.h"

void CustomLF_V1::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                        bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto width = button.getWidth();
    const auto height = button.getHeight();
    const auto corner = juce::jmin (juce::roundToInt ((float) width * 0.4f), juce::roundToInt ((float) height * 0.4f));

    juce::Path shape;
    shape.addRoundedRectangle (2.0f, 2.0f, (float) width - 4.0f, (float) height - 4.0f, (float) corner);

    auto fill = backgroundColour;

    if (shouldDrawButtonAsHighlighted)
    {
        if (shouldDrawButtonAsDown)
            fill = fill.brighter (0.4f);
        else if (fill.getBrightness() > 0.5f)
            fill = fill.darker (0.1f);
        else
            fill = fill.brighter (0.1f);
    }

    g.setColour (fill);
    g.fillPath (shape);

    g.setColour (fill.contrasting (1.0f).withAlpha (shouldDrawButtonAsHighlighted ? 0.6f : 0.4f));
    g.strokePath (shape, juce::PathStrokeType (shouldDrawButtonAsHighlighted ? 2.0f : 1.4f));
}
