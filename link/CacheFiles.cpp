#include "link/CacheFiles.h"

#include <cstring>

namespace CacheFiles
{

juce::File getCacheDirectory()
{
    return juce::File::getSpecialLocation (juce::File::userMusicDirectory);
}

bool ensureCacheDirectory()
{
    const auto dir = getCacheDirectory();
    return dir.isDirectory() || dir.createDirectory().wasOk();
}

juce::String path (const char* name)
{
    return getCacheDirectory().getFullPathName() + name;
}

juce::String spectrumPath (int number)
{
    return getCacheDirectory().getFullPathName() + "//reveivefft" + juce::String (number) + ".bin";
}

FileHandle openFile (const juce::String& fullPath, const char* mode)
{
    return FileHandle (std::fopen (fullPath.toRawUTF8(), mode));
}

std::uint32_t wordFromBytes (const std::uint8_t* b) noexcept
{
    return (std::uint32_t) b[0] | ((std::uint32_t) b[1] << 8) | ((std::uint32_t) b[2] << 16) | ((std::uint32_t) b[3] << 24);
}

void wordToBytes (std::uint32_t w, std::uint8_t* b) noexcept
{
    b[0] = (std::uint8_t) w;
    b[1] = (std::uint8_t) (w >> 8);
    b[2] = (std::uint8_t) (w >> 16);
    b[3] = (std::uint8_t) (w >> 24);
}

float wordAsFloat (std::uint32_t w) noexcept
{
    float f;
    std::memcpy (&f, &w, sizeof (f));
    return f;
}

std::uint32_t floatAsWord (float f) noexcept
{
    std::uint32_t w;
    std::memcpy (&w, &f, sizeof (w));
    return w;
}

namespace
{
    // Reads up to `count` words from an open file; missing words are 0.
    std::vector<std::uint32_t> readWordsFrom (std::FILE* f, std::size_t count)
    {
        std::vector<std::uint8_t> bytes (count * 4, 0);
        const auto got = std::fread (bytes.data(), 1, bytes.size(), f);
        std::fill (bytes.begin() + (std::ptrdiff_t) got, bytes.end(), 0);

        std::vector<std::uint32_t> words (count);
        for (std::size_t k = 0; k < count; ++k)
            words[k] = wordFromBytes (bytes.data() + 4 * k);
        return words;
    }

    void appendWord (std::vector<std::uint8_t>& out, std::uint32_t w)
    {
        std::uint8_t b[4];
        wordToBytes (w, b);
        out.insert (out.end(), b, b + 4);
    }
}

std::optional<std::vector<std::uint32_t>> readWords (const juce::String& fullPath, int count)
{
    const auto f = openFile (fullPath, "rb");
    if (f == nullptr)
        return std::nullopt;

    return readWordsFrom (f.get(), (std::size_t) juce::jmax (0, count));
}

std::optional<std::vector<std::uint32_t>> readAllWords (const juce::String& fullPath)
{
    const auto f = openFile (fullPath, "rb");
    if (f == nullptr)
        return std::nullopt;

    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[8192];
    for (;;)
    {
        const auto got = std::fread (chunk, 1, sizeof (chunk), f.get());
        bytes.insert (bytes.end(), chunk, chunk + got);
        if (got < sizeof (chunk))
            break;
    }

    std::vector<std::uint32_t> words (bytes.size() / 4);
    for (std::size_t k = 0; k < words.size(); ++k)
        words[k] = wordFromBytes (bytes.data() + 4 * k);
    return words;
}

namespace
{
    // A hidden file beside the target, for writing it whole before it replaces the target.
    juce::String hiddenPathBeside (const juce::String& fullPath, const char* suffix)
    {
        const juce::File target (fullPath);
        return target.getParentDirectory().getFullPathName() + "/." + target.getFileName() + suffix;
    }
}

WriteResult replaceFile (const juce::String& fullPath, const void* data, std::size_t size)
{
    const auto replacement = hiddenPathBeside (fullPath, ".new");

    auto f = openFile (replacement, "wb");
    if (f == nullptr)
        return WriteResult::notCreated;

    const bool allWritten = size == 0 || std::fwrite (data, 1, size, f.get()) == size;
    const bool closed = std::fclose (f.release()) == 0;

    if (allWritten && closed && std::rename (replacement.toRawUTF8(), fullPath.toRawUTF8()) == 0)
        return WriteResult::replaced;

    std::remove (replacement.toRawUTF8());
    return WriteResult::incomplete;
}

bool writeBytes (const juce::String& fullPath, const void* data, std::size_t size)
{
    return replaceFile (fullPath, data, size) == WriteResult::replaced;
}

bool writeWords (const juce::String& fullPath, const std::uint32_t* words, std::size_t count)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve (count * 4);
    for (std::size_t k = 0; k < count; ++k)
        appendWord (bytes, words[k]);
    return writeBytes (fullPath, bytes.data(), bytes.size());
}

int lmtOffset (int band, LmtField field) noexcept
{
    const auto f = (int) field;
    return f < 4 ? 4 * band + f : 16 + 4 * band + (f - 4);
}

std::optional<LmtBytes> readLmtBytes (const juce::String& fullPath)
{
    const auto f = openFile (fullPath, "rb");
    if (f == nullptr)
        return std::nullopt;

    LmtBytes bytes {};
    std::fread (bytes.data(), 1, bytes.size(), f.get());
    return bytes;
}

bool patchBytes (const juce::String& fullPath, long offset, const std::uint8_t* bytes, std::size_t count)
{
    auto f = openFile (fullPath, "rb+");
    if (f == nullptr)
        return false;

    const bool ok = std::fseek (f.get(), offset, SEEK_SET) == 0
                     && std::fwrite (bytes, 1, count, f.get()) == count;
    return std::fclose (f.release()) == 0 && ok;
}

std::vector<std::uint8_t> encodeDespoint (const DespointRecord& r)
{
    std::vector<std::uint8_t> out;
    const auto n = (std::size_t) juce::jmax (0, r.n);
    out.reserve (12 + 8 * n);
    appendWord (out, (std::uint32_t) r.n);
    appendWord (out, floatAsWord (r.x));
    appendWord (out, floatAsWord (r.y));
    for (std::size_t i = 0; i < n; ++i)
        appendWord (out, floatAsWord (i < r.X.size() ? r.X[i] : 0.0f));
    for (std::size_t i = 0; i < n; ++i)
        appendWord (out, floatAsWord (i < r.Y.size() ? r.Y[i] : 0.0f));
    return out;
}

std::optional<DespointRecord> readDespoint (const juce::String& fullPath)
{
    const auto f = openFile (fullPath, "rb");
    if (f == nullptr)
        return std::nullopt;

    const auto head = readWordsFrom (f.get(), 3);
    DespointRecord r;
    r.n = (std::int32_t) head[0];
    if (r.n < 0 || r.n > maxDespoints)
        return std::nullopt;

    r.x = wordAsFloat (head[1]);
    r.y = wordAsFloat (head[2]);

    const auto values = readWordsFrom (f.get(), 2 * (std::size_t) r.n);
    for (std::size_t i = 0; i < (std::size_t) r.n; ++i)
    {
        r.X.push_back (wordAsFloat (values[i]));
        r.Y.push_back (wordAsFloat (values[(std::size_t) r.n + i]));
    }
    return r;
}

std::vector<std::uint8_t> encodeSpectrum (const Spectrum& s)
{
    std::vector<std::uint8_t> out;
    out.reserve (8 + 4 * s.values.size());
    appendWord (out, (std::uint32_t) s.k);
    appendWord (out, (std::uint32_t) s.n);
    for (auto v : s.values)
        appendWord (out, floatAsWord (v));
    return out;
}

bool writeSpectrum (const juce::String& fullPath, const Spectrum& s)
{
    const auto bytes = encodeSpectrum (s);
    return writeBytes (fullPath, bytes.data(), bytes.size());
}

std::optional<Spectrum> readSpectrum (const juce::String& fullPath, int numValues)
{
    const auto f = openFile (fullPath, "rb");
    if (f == nullptr || numValues < 0)
        return std::nullopt;

    std::vector<std::uint8_t> bytes (8 + 4 * (std::size_t) numValues);
    if (std::fread (bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        return std::nullopt;

    Spectrum s;
    s.k = (std::int32_t) wordFromBytes (bytes.data());
    s.n = (std::int32_t) wordFromBytes (bytes.data() + 4);
    s.values.resize ((std::size_t) numValues);
    for (std::size_t i = 0; i < s.values.size(); ++i)
        s.values[i] = wordAsFloat (wordFromBytes (bytes.data() + 8 + 4 * i));
    return s;
}

StreamFile::~StreamFile()
{
    close();
}

juce::String StreamFile::partPathFor (const juce::String& fullPath)
{
    return hiddenPathBeside (fullPath, ".part");
}

bool StreamFile::open (const juce::String& fullPath)
{
    close();
    target = fullPath;
    part = partPathFor (fullPath);
    file = openFile (part, "wb");
    written = 0;
    failed = false;
    return file != nullptr;
}

bool StreamFile::append (const void* data, std::size_t size)
{
    if (file == nullptr)
        return false;

    if (written + (std::int64_t) size > maxStreamFileBytes)
    {
        discard();
        return false;
    }

    written += (std::int64_t) size;
    if (std::fwrite (data, 1, size, file.get()) != size)
        failed = true;
    return ! failed;
}

bool StreamFile::close()
{
    if (file == nullptr)
        return true;

    const bool closed = std::fclose (file.release()) == 0;
    const bool ok = closed && ! failed && std::rename (part.toRawUTF8(), target.toRawUTF8()) == 0;
    if (! ok)
        std::remove (part.toRawUTF8());

    written = 0;
    failed = false;
    return ok;
}

void StreamFile::discard()
{
    if (file == nullptr)
        return;

    file.reset();
    std::remove (part.toRawUTF8());
    written = 0;
    failed = false;
}

}
