#include "styles/TextFit.h"

namespace TextFit
{

juce::Font fontToFit (const juce::Font& font, const juce::String& text, float width, float minScale)
{
    // A hair of room, so the last glyph is never dropped for rounding.
    const auto room = width - 0.25f;
    const auto natural = font.getStringWidthFloat (text.trimEnd());

    if (natural <= room || natural <= 0.0f || room <= 0.0f)
        return font;

    const auto scale = room / natural;

    if (scale >= minScale)
        return font.withHorizontalScale (font.getHorizontalScale() * scale);

    return font.withHeight (font.getHeight() * scale / minScale)
               .withHorizontalScale (font.getHorizontalScale() * minScale);
}

void drawLine (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
               juce::Justification justification, float minScale)
{
    const auto font = g.getCurrentFont();
    g.setFont (fontToFit (font, text, area.getWidth(), minScale));
    g.drawText (text, area, justification, false);
    g.setFont (font);
}

}
