#include "link/DataStream.h"

const char* DataStream::fileForStartWord (std::uint32_t word) noexcept
{
    switch (word)
    {
        case 17:  return CacheFiles::reg;
        case 34:  return CacheFiles::cross;
        case 51:  return CacheFiles::amplitude;
        case 102: return CacheFiles::despoint;
        case 119: return CacheFiles::psdL;
        case 136: return CacheFiles::psdR;
        case 153: return CacheFiles::lmt;
        default:  return nullptr;
    }
}

void DataStream::openStreamFile (const juce::String& fullPath)
{
    // A file still open here never got its closing word; closing it first
    // writes out what is buffered for it.
    closeBlock();
    fpin.open (fullPath);
}

void DataStream::closeBlock()
{
    if (! fpin.isOpen())
        return;

    const auto path = fpin.getTargetPath();
    if (! fpin.close() && onBlockLost)
        onBlockLost (path);
}

void DataStream::append (const void* data, std::size_t size)
{
    const auto path = fpin.getTargetPath();
    if (! fpin.append (data, size) && ! fpin.isOpen() && onBlockLost)
        onBlockLost (path);
}

void DataStream::handleBlob (const std::uint8_t* data, std::size_t size)
{
    if (size == 12 && CacheFiles::wordFromBytes (data) == spectrumHeaderWord)
    {
        displayMode = (int) (std::int32_t) CacheFiles::wordFromBytes (data + 4);
        openStreamFile (CacheFiles::spectrumPath (displayMode));
        if (fpin.isOpen())
            append (data + 4, 8);
        return;
    }

    if (size == 4)
    {
        const auto word = CacheFiles::wordFromBytes (data);

        if (const auto* name = fileForStartWord (word))
            openStreamFile (CacheFiles::path (name));
        else if (isClosingWord (word))
            closeBlock();

        return;
    }

    if (fpin.isOpen())
        append (data, size);
}
