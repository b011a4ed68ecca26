#pragma once

// Records every glyph a component and its children draw, and groups the
// glyphs into the texts a person reads: each with its characters, where its
// ink lies in the component, and whether any of it fell outside the clip
// (was cut off). Texts fit when every expected text is drawn whole, none is
// shortened with "...", none is cut off and no two of them overlap.

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <vector>

namespace DrawnText
{

struct Glyph
{
    juce::juce_wchar character = 0;
    float fontHeight = 0.0f;
    juce::Point<float> origin;            // in the component's coordinates
    juce::Rectangle<float> ink;           // in the component's coordinates
    juce::Rectangle<float> clip;          // the clip the glyph was drawn into
};

struct Text
{
    juce::String text;                    // with a blank where glyphs stand apart
    juce::Rectangle<float> ink;
    bool cutOff = false;

    juce::String withoutBlanks() const    { return text.removeCharacters (" "); }
};

class Recorder : public juce::LowLevelGraphicsSoftwareRenderer
{
public:
    explicit Recorder (const juce::Image& image) : juce::LowLevelGraphicsSoftwareRenderer (image) {}

    void drawGlyph (int glyphNumber, const juce::AffineTransform& t) override
    {
        const auto& font = getFont();
        const auto device = stack->transform.getTransform();

        Glyph g;
        g.character = characterOf (font, glyphNumber);
        g.fontHeight = font.getHeight() * std::sqrt (std::abs (device.getDeterminant()));
        g.origin = juce::Point<float> (t.getTranslationX(), t.getTranslationY()).transformedBy (device);

        if (auto typeface = font.getTypefacePtr())
        {
            juce::Path outline;
            typeface->getOutlineForGlyph (glyphNumber, outline);
            g.ink = outline.getBoundsTransformed (juce::AffineTransform::scale (font.getHeight() * font.getHorizontalScale(),
                                                                                font.getHeight())
                                                      .followedBy (t)
                                                      .followedBy (device));
        }

        g.clip = getClipBounds().toFloat().transformedBy (device);
        glyphs.push_back (g);

        juce::LowLevelGraphicsSoftwareRenderer::drawGlyph (glyphNumber, t);
    }

    std::vector<Glyph> glyphs;

private:
    juce::juce_wchar characterOf (const juce::Font& font, int glyphNumber)
    {
        auto typeface = font.getTypefacePtr();
        if (typeface == nullptr)
            return 0;

        auto& map = characters[typeface.get()];
        if (map.empty())
        {
            for (juce::juce_wchar c = 33; c < 127; ++c)
            {
                juce::Array<int> numbers;
                juce::Array<float> offsets;
                typeface->getGlyphPositions (juce::String::charToString (c), numbers, offsets);
                if (numbers.size() == 1)
                    map.emplace (numbers[0], c);
            }
        }

        const auto it = map.find (glyphNumber);
        return it != map.end() ? it->second : (juce::juce_wchar) '?';
    }

    std::map<const juce::Typeface*, std::map<int, juce::juce_wchar>> characters;
};

// Glyphs of one text follow each other on one baseline in one font height,
// less than an em apart.
inline std::vector<Text> group (const std::vector<Glyph>& glyphs)
{
    std::vector<Text> texts;
    const Glyph* previous = nullptr;

    for (const auto& g : glyphs)
    {
        const auto gap = previous != nullptr ? g.ink.getX() - previous->ink.getRight() : 0.0f;
        const auto continues = previous != nullptr
                            && std::abs (g.origin.y - previous->origin.y) < 0.5f
                            && std::abs (g.fontHeight - previous->fontHeight) < 0.01f
                            && gap > -0.5f * g.fontHeight
                            && gap < 1.0f * g.fontHeight;

        if (! continues)
            texts.push_back ({ {}, g.ink, false });
        else if (gap > 0.2f * g.fontHeight)
            texts.back().text << " ";

        auto& t = texts.back();
        t.text << juce::String::charToString (g.character);
        t.ink = t.ink.getUnion (g.ink);
        t.cutOff = t.cutOff || ! g.clip.expanded (0.5f).contains (g.ink);
        previous = &g;
    }

    return texts;
}

// The texts a component draws at its size, with its children or alone, at a
// desktop scale (positions stay in the component's own coordinates).
inline std::vector<Text> textsOf (juce::Component& c, bool withChildren = true, float scale = 1.0f)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, juce::roundToInt ((float) c.getWidth() * scale)),
                       juce::jmax (1, juce::roundToInt ((float) c.getHeight() * scale)), true, juce::SoftwareImageType());
    Recorder recorder (image);
    {
        juce::Graphics g (recorder);
        g.addTransform (juce::AffineTransform::scale (scale));
        if (withChildren)
            c.paintEntireComponent (g, false);
        else
            c.paint (g);
    }

    auto texts = group (recorder.glyphs);
    for (auto& t : texts)
        t.ink = t.ink.transformedBy (juce::AffineTransform::scale (1.0f / scale));
    return texts;
}

inline bool overlap (juce::Rectangle<float> a, juce::Rectangle<float> b)
{
    const auto common = a.getIntersection (b);
    return common.getWidth() > 0.5f && common.getHeight() > 0.5f;
}

}
