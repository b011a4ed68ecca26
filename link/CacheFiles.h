#pragma once

#include <juce_core/juce_core.h>

// The unit's larger data blocks live in small raw files in the user's Music
// folder. A file's path is the folder's full path followed directly by its
// name, which begins with two slashes ("~/Music" + "//reg").
namespace CacheFiles
{
    inline constexpr const char* reg       = "//reg";
    inline constexpr const char* cross     = "//cross";
    inline constexpr const char* amplitude = "//amplitude";
    inline constexpr const char* lmt       = "//lmt";
    inline constexpr const char* despoint  = "//despoint";
    inline constexpr const char* psdL      = "//psd_L.bin";
    inline constexpr const char* psdR      = "//psd_R.bin";

    juce::File getCacheDirectory();

    // Creates the Music folder when it does not exist yet (a fresh account),
    // so that no data block is silently lost. Returns true if it exists afterwards.
    bool ensureCacheDirectory();

    juce::String path (const char* name);

    // "//reveivefft" + number + ".bin"
    juce::String spectrumPath (int number);
}
