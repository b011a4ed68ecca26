#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

// The unit's larger data blocks live in small raw files in the user's Music
// folder, one file per kind of block, rewritten each time the unit sends that
// kind again. A file's path is the folder's full path followed directly by its
// name, which begins with two slashes ("~/Music" + "//reg"); the file system
// reads the doubled separator as one. Every multi-byte value is a 32-bit
// little-endian word, exactly as it arrives in the data stream.
namespace CacheFiles
{
    inline constexpr const char* reg       = "//reg";
    inline constexpr const char* cross     = "//cross";
    inline constexpr const char* amplitude = "//amplitude";
    inline constexpr const char* lmt       = "//lmt";
    inline constexpr const char* despoint  = "//despoint";
    inline constexpr const char* psdL      = "//psd_L.bin";
    inline constexpr const char* psdR      = "//psd_R.bin";

    // Words each reader takes from the fixed-size files.
    inline constexpr int regWords       = 14;
    inline constexpr int crossWords     = 216;
    inline constexpr int amplitudeWords = 8192;
    inline constexpr int lmtWords       = 8;
    inline constexpr int spectrumValues = 1400;
    inline constexpr int maxDespoints   = 64;

    // A data stream block that would take a file past this size is dropped:
    // far above the largest layout, it only stops a stream that never closes
    // from filling the disk.
    inline constexpr std::int64_t maxStreamFileBytes = 1024 * 1024;

    juce::File getCacheDirectory();

    // Creates the Music folder when it does not exist yet (a fresh account),
    // so that no data block is silently lost. True if it exists afterwards.
    bool ensureCacheDirectory();

    juce::String path (const char* name);
    juce::String spectrumPath (int number);   // "//reveivefft" + number + ".bin"

    //==========================================================================
    struct FileCloser { void operator() (std::FILE* f) const noexcept { if (f != nullptr) std::fclose (f); } };
    using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

    FileHandle openFile (const juce::String& fullPath, const char* mode);

    std::uint32_t wordFromBytes (const std::uint8_t* b) noexcept;
    void wordToBytes (std::uint32_t w, std::uint8_t* b) noexcept;
    float wordAsFloat (std::uint32_t w) noexcept;
    std::uint32_t floatAsWord (float f) noexcept;

    // Reads `count` words; words missing at the end of the file read as 0.
    // Empty when the file cannot be opened.
    std::optional<std::vector<std::uint32_t>> readWords (const juce::String& fullPath, int count);

    // Every whole word of the file (a trailing partial word is left out).
    std::optional<std::vector<std::uint32_t>> readAllWords (const juce::String& fullPath);

    // Writes the bytes to a hidden file beside the target and moves it over
    // the target once whole, so that a full disk leaves the old file as it
    // was and a reader never sees half a file.
    enum class WriteResult { replaced, notCreated, incomplete };
    WriteResult replaceFile (const juce::String& fullPath, const void* data, std::size_t size);

    // The same, true when the file was replaced.
    bool writeWords (const juce::String& fullPath, const std::uint32_t* words, std::size_t count);
    bool writeBytes (const juce::String& fullPath, const void* data, std::size_t size);

    //==========================================================================
    // "//lmt": four compressor bands. Bytes 4k .. 4k+3 hold threshold, ratio,
    // knee and attack time of band k; bytes 16+4k .. 16+4k+3 its release time,
    // make-up gain and the bypass flag twice.
    enum class LmtField { threshold, ratio, knee, attack, release, makeUpGain, bypass, bypassAgain };
    int lmtOffset (int band, LmtField field) noexcept;

    inline constexpr int lmtBytes = 4 * lmtWords;
    using LmtBytes = std::array<std::uint8_t, (std::size_t) lmtBytes>;

    // The whole of "//lmt" byte by byte; bytes missing at the end read as 0.
    // Empty when the file cannot be opened.
    std::optional<LmtBytes> readLmtBytes (const juce::String& fullPath);

    // Changes single bytes of an existing file in place ("rb+"): nothing
    // happens, and false is returned, while the file does not exist.
    bool patchBytes (const juce::String& fullPath, long offset, const std::uint8_t* bytes, std::size_t count);

    //==========================================================================
    // "//despoint": n, x, y, then X[0..n-1] and Y[0..n-1].
    struct DespointRecord
    {
        std::int32_t n = 0;
        float x = 0, y = 0;
        std::vector<float> X, Y;
    };

    std::vector<std::uint8_t> encodeDespoint (const DespointRecord&);

    // Values missing at the end of the file read as 0. A record whose n is
    // negative or above 64 is ignored (empty result), as is a missing file.
    std::optional<DespointRecord> readDespoint (const juce::String& fullPath);

    //==========================================================================
    // Spectrum files: k, N, then N floats (values, then their frequencies).
    struct Spectrum
    {
        std::int32_t k = 0;
        std::int32_t n = 0;
        std::vector<float> values;
    };

    std::vector<std::uint8_t> encodeSpectrum (const Spectrum&);
    bool writeSpectrum (const juce::String& fullPath, const Spectrum&);

    // Reads the header and exactly `numValues` floats, whatever N says. A file
    // shorter than that is skipped (empty result): nothing is read past the
    // data present.
    std::optional<Spectrum> readSpectrum (const juce::String& fullPath, int numValues = spectrumValues);

    //==========================================================================
    // The file the data stream is writing: opened by a start word, appended
    // to by data pieces with buffered writes, closed by a closing word.
    // The block goes to a hidden file beside the cache file, which replaces
    // the cache file only when the block is closed and every byte reached the
    // disk: a full disk or a stream that never ends leaves the last whole
    // block in place.
    class StreamFile
    {
    public:
        StreamFile() = default;
        ~StreamFile();

        bool open (const juce::String& fullPath);   // starts a new block
        bool isOpen() const noexcept { return file != nullptr; }

        // Appends the bytes. A piece that would take the file past
        // maxStreamFileBytes drops the whole block; returns false then.
        bool append (const void* data, std::size_t size);

        // Ends the block and puts it in place. False if the block could not
        // be written whole; the cache file then keeps its previous content.
        bool close();

        // Drops the block: the cache file keeps its previous content.
        void discard();

        const juce::String& getTargetPath() const noexcept { return target; }

        static juce::String partPathFor (const juce::String& fullPath);

    private:
        FileHandle file;
        juce::String target, part;
        std::int64_t written = 0;
        bool failed = false;
    };
}
