#pragma once

#include <juce_graphics/juce_graphics.h>

namespace Fonts
{
    inline constexpr const char* preferredSansSerif = "Avenir Next";

    // "Avenir Next" where it is installed; otherwise an open sans-serif that
    // Debian ships (fonts-dejavu-core), then whatever sans-serif there is.
    juce::String chooseSansSerifTypefaceName (const juce::StringArray& installedTypefaces);
}
