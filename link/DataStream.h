#pragma once

#include "link/CacheFiles.h"

#include <cstdint>
#include <functional>

// The data stream: blob-only messages that fill the cache files. A start word
// (or a spectrum header) opens a file, data pieces are appended to it, a
// closing word closes it. One file at most is open at a time.
class DataStream
{
public:
    static constexpr std::uint32_t spectrumHeaderWord = 170;

    // Handles one blob of the stream.
    void handleBlob (const std::uint8_t* data, std::size_t size);

    // The number carried by the last spectrum header; "MN" hands it to the
    // response view.
    int getDisplayMode() const noexcept { return displayMode; }

    bool isFileOpen() const noexcept { return fpin.isOpen(); }

    // Told the cache file path of a block that could not be written whole (a
    // full disk, or a stream that went on past the size cap); that cache file
    // keeps its previous block.
    std::function<void (const juce::String& path)> onBlockLost;

    // The cache file a 4-byte start word opens, or nullptr for a word that
    // opens nothing.
    static const char* fileForStartWord (std::uint32_t word) noexcept;
    static bool isClosingWord (std::uint32_t word) noexcept { return word == 85 || word == 187; }

private:
    void openStreamFile (const juce::String& fullPath);
    void closeBlock();
    void append (const void* data, std::size_t size);

    CacheFiles::StreamFile fpin;
    int displayMode = 0;
};
