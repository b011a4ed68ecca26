#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/CacheFiles.h"

using ::testing::ElementsAre;

namespace
{
    class CacheFileLayouts : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
        }

        static std::vector<std::uint8_t> bytesOf (const juce::String& path)
        {
            juce::MemoryBlock block;
            juce::File (path).loadFileAsData (block);
            const auto* data = static_cast<const std::uint8_t*> (block.getData());
            return { data, data + block.getSize() };
        }

        static void writeRaw (const juce::String& path, std::vector<std::uint8_t> bytes)
        {
            ASSERT_TRUE (CacheFiles::writeBytes (path, bytes.data(), bytes.size()));
        }

        static std::vector<std::uint32_t> pattern (int count, std::uint32_t seed)
        {
            std::vector<std::uint32_t> words ((size_t) count);
            for (size_t k = 0; k < words.size(); ++k)
                words[k] = seed * 2654435761u + (std::uint32_t) k * 40503u;
            return words;
        }
    };
}

TEST_F (CacheFileLayouts, FixedSizeFilesRoundTripWordForWord)
{
    struct Case { const char* name; int words; };
    for (const auto& c : { Case { CacheFiles::reg, CacheFiles::regWords },
                           Case { CacheFiles::cross, CacheFiles::crossWords },
                           Case { CacheFiles::amplitude, CacheFiles::amplitudeWords },
                           Case { CacheFiles::lmt, CacheFiles::lmtWords } })
    {
        SCOPED_TRACE (c.name);
        const auto path = CacheFiles::path (c.name);
        const auto words = pattern (c.words, (std::uint32_t) c.words);

        ASSERT_TRUE (CacheFiles::writeWords (path, words.data(), words.size()));
        EXPECT_EQ (juce::File (path).getSize(), 4 * c.words);
        EXPECT_EQ (CacheFiles::readWords (path, c.words), words);
        EXPECT_EQ (CacheFiles::readAllWords (path), words);
    }

    EXPECT_EQ (juce::File (CacheFiles::path (CacheFiles::lmt)).getSize(), 32);
}

TEST_F (CacheFileLayouts, WordsAreLittleEndianAndFloatsKeepTheirBits)
{
    const auto path = CacheFiles::path (CacheFiles::reg);
    const std::uint32_t words[] = { 0x11223344u, CacheFiles::floatAsWord (-6.5f) };
    ASSERT_TRUE (CacheFiles::writeWords (path, words, 2));

    EXPECT_THAT (bytesOf (path), ElementsAre (0x44, 0x33, 0x22, 0x11, 0x00, 0x00, 0xD0, 0xC0));
    EXPECT_EQ (CacheFiles::wordAsFloat ((*CacheFiles::readWords (path, 2))[1]), -6.5f);
}

TEST_F (CacheFileLayouts, PowerSpectraKeepEveryWholeWord)
{
    for (const auto* name : { CacheFiles::psdL, CacheFiles::psdR })
    {
        SCOPED_TRACE (name);
        const auto path = CacheFiles::path (name);
        for (int count : { 0, 1, 3000 })
        {
            const auto words = pattern (count, 7);
            ASSERT_TRUE (CacheFiles::writeWords (path, words.data(), words.size()));
            EXPECT_EQ (CacheFiles::readAllWords (path), words);
        }

        // A trailing partial word is not a word.
        writeRaw (path, { 1, 0, 0, 0, 2, 0, 0 });
        EXPECT_THAT (*CacheFiles::readAllWords (path), ElementsAre (1u));
    }
}

TEST_F (CacheFileLayouts, ShortOrMissingFilesReadMissingWordsAsZero)
{
    const auto path = CacheFiles::path (CacheFiles::reg);
    writeRaw (path, { 1, 0, 0, 0, 0x78, 0x56 });
    EXPECT_THAT (*CacheFiles::readWords (path, 4), ElementsAre (1u, 0x5678u, 0u, 0u));

    writeRaw (CacheFiles::path (CacheFiles::lmt), { 9, 8, 7 });
    const auto lmt = CacheFiles::readLmtBytes (CacheFiles::path (CacheFiles::lmt));
    ASSERT_TRUE (lmt.has_value());
    EXPECT_EQ ((*lmt)[0], 9);
    EXPECT_EQ ((*lmt)[2], 7);
    for (size_t k = 3; k < lmt->size(); ++k)
        EXPECT_EQ ((*lmt)[k], 0) << k;

    const auto missing = CacheFiles::path ("//nothing-here");
    EXPECT_FALSE (CacheFiles::readWords (missing, 14).has_value());
    EXPECT_FALSE (CacheFiles::readAllWords (missing).has_value());
    EXPECT_FALSE (CacheFiles::readLmtBytes (missing).has_value());
    EXPECT_FALSE (CacheFiles::readDespoint (missing).has_value());
    EXPECT_FALSE (CacheFiles::readSpectrum (missing).has_value());
}

TEST_F (CacheFileLayouts, DespointOfTwoPointsIs28BytesInFieldOrder)
{
    CacheFiles::DespointRecord r;
    r.n = 2;
    r.x = 1.5f;
    r.y = 2.5f;
    r.X = { 10.0f, 600.0f };
    r.Y = { 100.0f, 120.0f };

    const auto bytes = CacheFiles::encodeDespoint (r);
    ASSERT_EQ (bytes.size(), 28u);

    std::vector<std::uint32_t> words;
    for (size_t k = 0; k < 7; ++k)
        words.push_back (CacheFiles::wordFromBytes (bytes.data() + 4 * k));
    EXPECT_EQ (words[0], 2u);
    EXPECT_THAT (std::vector<float> ({ CacheFiles::wordAsFloat (words[1]), CacheFiles::wordAsFloat (words[2]),
                                       CacheFiles::wordAsFloat (words[3]), CacheFiles::wordAsFloat (words[4]),
                                       CacheFiles::wordAsFloat (words[5]), CacheFiles::wordAsFloat (words[6]) }),
                 ElementsAre (1.5f, 2.5f, 10.0f, 600.0f, 100.0f, 120.0f));

    const auto path = CacheFiles::path (CacheFiles::despoint);
    writeRaw (path, bytes);
    const auto back = CacheFiles::readDespoint (path);
    ASSERT_TRUE (back.has_value());
    EXPECT_EQ (back->n, 2);
    EXPECT_EQ (back->x, 1.5f);
    EXPECT_EQ (back->y, 2.5f);
    EXPECT_EQ (back->X, r.X);
    EXPECT_EQ (back->Y, r.Y);
}

TEST_F (CacheFileLayouts, DespointCountsOutsideZeroTo64AreIgnored)
{
    const auto path = CacheFiles::path (CacheFiles::despoint);

    for (const int n : { 0, 64 })
    {
        CacheFiles::DespointRecord r;
        r.n = n;
        for (int i = 0; i < n; ++i)
        {
            r.X.push_back ((float) i);
            r.Y.push_back ((float) -i);
        }
        writeRaw (path, CacheFiles::encodeDespoint (r));
        const auto back = CacheFiles::readDespoint (path);
        ASSERT_TRUE (back.has_value()) << n;
        EXPECT_EQ (back->X, r.X);
        EXPECT_EQ (back->Y, r.Y);
    }

    for (const std::int32_t n : { 65, -1, std::numeric_limits<std::int32_t>::min() })
    {
        std::vector<std::uint8_t> bytes (12 + 8 * 70, 0);
        CacheFiles::wordToBytes ((std::uint32_t) n, bytes.data());
        writeRaw (path, bytes);
        EXPECT_FALSE (CacheFiles::readDespoint (path).has_value()) << n;
    }
}

TEST_F (CacheFileLayouts, ShortDespointReadsMissingValuesAsZero)
{
    const auto path = CacheFiles::path (CacheFiles::despoint);
    std::vector<std::uint8_t> bytes (12 + 4 * 3, 0);
    CacheFiles::wordToBytes (3, bytes.data());
    for (int i = 0; i < 3; ++i)
        CacheFiles::wordToBytes (CacheFiles::floatAsWord (5.0f + (float) i), bytes.data() + 12 + 4 * i);
    writeRaw (path, bytes);

    const auto r = CacheFiles::readDespoint (path);
    ASSERT_TRUE (r.has_value());
    EXPECT_THAT (r->X, ElementsAre (5.0f, 6.0f, 7.0f));
    EXPECT_THAT (r->Y, ElementsAre (0.0f, 0.0f, 0.0f));
}

TEST_F (CacheFileLayouts, SpectrumOf1400ValuesIs5608BytesWithItsHeader)
{
    CacheFiles::Spectrum s;
    s.k = 3;
    s.n = 1400;
    for (int i = 0; i < 1400; ++i)
        s.values.push_back (i < 700 ? -0.25f * (float) i : 20.0f + 30.0f * (float) (i - 700));

    const auto path = CacheFiles::spectrumPath (3);
    EXPECT_EQ (juce::File (path), CacheFiles::getCacheDirectory().getChildFile ("reveivefft3.bin"));
    ASSERT_TRUE (CacheFiles::writeSpectrum (path, s));

    const auto bytes = bytesOf (path);
    ASSERT_EQ (bytes.size(), 5608u);
    EXPECT_THAT (std::vector<std::uint8_t> (bytes.begin(), bytes.begin() + 8), ElementsAre (3, 0, 0, 0, 0x78, 0x05, 0, 0));

    const auto back = CacheFiles::readSpectrum (path);
    ASSERT_TRUE (back.has_value());
    EXPECT_EQ (back->k, 3);
    EXPECT_EQ (back->n, 1400);
    EXPECT_EQ (back->values, s.values);
}

TEST_F (CacheFileLayouts, SpectrumReaderTakes1400ValuesWhateverNSaysAndSkipsShortFiles)
{
    const auto path = CacheFiles::spectrumPath (11);

    CacheFiles::Spectrum longer;
    longer.k = 11;
    longer.n = 7;   // wrong on purpose: the reader does not use it
    longer.values.assign (1500, 1.0f);
    longer.values[1399] = 42.0f;
    ASSERT_TRUE (CacheFiles::writeSpectrum (path, longer));

    const auto read = CacheFiles::readSpectrum (path);
    ASSERT_TRUE (read.has_value());
    EXPECT_EQ (read->n, 7);
    ASSERT_EQ (read->values.size(), 1400u);
    EXPECT_EQ (read->values.back(), 42.0f);

    CacheFiles::Spectrum shorter;
    shorter.k = 11;
    shorter.n = 1400;
    shorter.values.assign (1399, 1.0f);
    ASSERT_TRUE (CacheFiles::writeSpectrum (path, shorter));
    EXPECT_FALSE (CacheFiles::readSpectrum (path).has_value());
}

TEST_F (CacheFileLayouts, RatioOfBand2ChangesOnlyByte9)
{
    const auto path = CacheFiles::path (CacheFiles::lmt);
    const auto words = pattern (8, 3);
    ASSERT_TRUE (CacheFiles::writeWords (path, words.data(), words.size()));
    auto expected = bytesOf (path);

    const auto offset = CacheFiles::lmtOffset (2, CacheFiles::LmtField::ratio);
    EXPECT_EQ (offset, 9);
    const std::uint8_t value = (std::uint8_t) (expected[9] ^ 0x5A);
    ASSERT_TRUE (CacheFiles::patchBytes (path, offset, &value, 1));

    expected[9] = value;
    EXPECT_EQ (bytesOf (path), expected);
}

TEST_F (CacheFileLayouts, LmtOffsetsOfEveryBand)
{
    using F = CacheFiles::LmtField;
    for (int band = 0; band < 4; ++band)
    {
        EXPECT_EQ (CacheFiles::lmtOffset (band, F::threshold), 4 * band);
        EXPECT_EQ (CacheFiles::lmtOffset (band, F::attack), 4 * band + 3);
        EXPECT_EQ (CacheFiles::lmtOffset (band, F::release), 16 + 4 * band);
        EXPECT_EQ (CacheFiles::lmtOffset (band, F::makeUpGain), 16 + 4 * band + 1);
        EXPECT_EQ (CacheFiles::lmtOffset (band, F::bypass), 16 + 4 * band + 2);
        EXPECT_EQ (CacheFiles::lmtOffset (band, F::bypassAgain), 16 + 4 * band + 3);
    }
}

TEST_F (CacheFileLayouts, PatchingAMissingFileCreatesNothing)
{
    const juce::File file (CacheFiles::path (CacheFiles::lmt));
    file.deleteFile();

    const std::uint8_t value = 7;
    EXPECT_FALSE (CacheFiles::patchBytes (file.getFullPathName(), 9, &value, 1));
    EXPECT_FALSE (file.exists());
}

TEST_F (CacheFileLayouts, StreamFileAppendsPiecesAndStopsAtItsCap)
{
    const auto path = CacheFiles::path (CacheFiles::amplitude);
    CacheFiles::StreamFile stream;
    ASSERT_TRUE (stream.open (path));

    const std::vector<std::uint8_t> piece (4096, 0xAB);
    std::int64_t total = 0;
    while (total + (std::int64_t) piece.size() <= CacheFiles::maxStreamFileBytes)
    {
        ASSERT_TRUE (stream.append (piece.data(), piece.size()));
        total += (std::int64_t) piece.size();
    }

    // The block that runs past the cap is dropped whole: the cache file keeps
    // its previous content (here: none) and no partial file is left.
    EXPECT_FALSE (stream.append (piece.data(), piece.size()));
    EXPECT_FALSE (stream.isOpen());
    EXPECT_FALSE (stream.append (piece.data(), 1));
    EXPECT_FALSE (juce::File (path).exists());
    EXPECT_FALSE (juce::File (CacheFiles::StreamFile::partPathFor (path)).exists());

    // A new block starts the file again.
    ASSERT_TRUE (stream.open (path));
    ASSERT_TRUE (stream.append (piece.data(), 8));
    stream.close();
    EXPECT_EQ (juce::File (path).getSize(), 8);
}
