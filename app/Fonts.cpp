#include "app/Fonts.h"

namespace Fonts
{

juce::String chooseSansSerifTypefaceName (const juce::StringArray& installed)
{
    for (const auto* name : { preferredSansSerif, "DejaVu Sans", "Liberation Sans", "FreeSans" })
        if (installed.contains (name))
            return name;

    return juce::Font::getDefaultSansSerifFontName();
}

}
