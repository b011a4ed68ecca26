#include <gtest/gtest.h>

#include "link/DataStream.h"

namespace
{
    std::vector<std::uint8_t> words (std::initializer_list<std::uint32_t> ws)
    {
        std::vector<std::uint8_t> out;
        for (auto w : ws)
        {
            std::uint8_t b[4];
            CacheFiles::wordToBytes (w, b);
            out.insert (out.end(), b, b + 4);
        }
        return out;
    }

    std::vector<std::uint8_t> bytesOf (const juce::String& path)
    {
        juce::MemoryBlock mb;
        juce::File (path).loadFileAsData (mb);
        const auto* p = static_cast<const std::uint8_t*> (mb.getData());
        return { p, p + mb.getSize() };
    }

    class DataStreamTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
        }

        void send (const std::vector<std::uint8_t>& blob) { stream.handleBlob (blob.data(), blob.size()); }

        DataStream stream;
    };
}

TEST_F (DataStreamTest, BlockIsWrittenInOrderUntilItsClosingWord)
{
    std::vector<std::uint8_t> big (1024), twelve (12);
    for (size_t i = 0; i < big.size(); ++i) big[i] = (std::uint8_t) i;
    for (size_t i = 0; i < twelve.size(); ++i) twelve[i] = (std::uint8_t) (200 + i);

    send (words ({ 17 }));
    send (big);
    send (twelve);
    send (words ({ 85 }));
    EXPECT_FALSE (stream.isFileOpen());

    auto expected = big;
    expected.insert (expected.end(), twelve.begin(), twelve.end());
    EXPECT_EQ (bytesOf (CacheFiles::path (CacheFiles::reg)), expected);

    // Pieces after the closing word go nowhere.
    send (big);
    EXPECT_EQ (bytesOf (CacheFiles::path (CacheFiles::reg)).size(), 1036u);
}

TEST_F (DataStreamTest, StartWordsOpenTheirFiles)
{
    struct { std::uint32_t word; const char* name; } cases[] = {
        { 17, CacheFiles::reg }, { 34, CacheFiles::cross }, { 51, CacheFiles::amplitude }, { 102, CacheFiles::despoint },
        { 119, CacheFiles::psdL }, { 136, CacheFiles::psdR }, { 153, CacheFiles::lmt },
    };
    for (const auto& c : cases)
    {
        send (words ({ c.word }));
        send (words ({ c.word * 3, 7 }));
        send (words ({ 187 }));
        EXPECT_EQ (bytesOf (CacheFiles::path (c.name)), words ({ c.word * 3, 7 })) << c.name;
    }
}

TEST_F (DataStreamTest, SpectrumHeaderWritesItsTwoWordsAndSetsTheDisplayMode)
{
    send (words ({ 170, 3, 1400 }));
    EXPECT_EQ (stream.getDisplayMode(), 3);
    std::vector<float> values (1400);
    for (size_t i = 0; i < values.size(); ++i) values[i] = (float) i;
    std::vector<std::uint8_t> piece;
    for (auto v : values) { auto w = words ({ CacheFiles::floatAsWord (v) }); piece.insert (piece.end(), w.begin(), w.end()); }
    send (piece);
    send (words ({ 85 }));

    const auto file = bytesOf (CacheFiles::spectrumPath (3));
    EXPECT_EQ (file.size(), 5608u);
    const auto spectrum = CacheFiles::readSpectrum (CacheFiles::spectrumPath (3));
    ASSERT_TRUE (spectrum.has_value());
    EXPECT_EQ (spectrum->k, 3);
    EXPECT_EQ (spectrum->n, 1400);
    EXPECT_EQ (spectrum->values, values);
}

TEST_F (DataStreamTest, IgnoredWordsAndPiecesWithoutAFile)
{
    send (words ({ 85 }));                 // nothing open: nothing happens
    send (words ({ 1, 2, 3 }));            // a 12-byte piece with no file open
    EXPECT_FALSE (stream.isFileOpen());

    send (words ({ 34 }));
    send (words ({ 5 }));                  // an unknown word is not data
    send (words ({ 9, 9, 9 }));            // a 12-byte piece not starting with 170 is data
    send (words ({ 85 }));
    EXPECT_EQ (bytesOf (CacheFiles::path (CacheFiles::cross)), words ({ 9, 9, 9 }));
}

TEST_F (DataStreamTest, ANewStartWordClosesTheOpenFileWithItsData)
{
    send (words ({ 17 }));
    send (words ({ 1, 2 }));
    send (words ({ 170, 12, 1400 }));      // no closing word for "//reg"
    send (words ({ 4, 5 }));
    send (words ({ 85 }));

    EXPECT_EQ (bytesOf (CacheFiles::path (CacheFiles::reg)), words ({ 1, 2 }));
    EXPECT_EQ (bytesOf (CacheFiles::spectrumPath (12)), words ({ 12, 1400, 4, 5 }));
}

TEST_F (DataStreamTest, AStreamThatNeverClosesStopsAtTheCap)
{
    send (words ({ 119 }));
    std::vector<std::uint8_t> piece (64 * 1024, 0xAB);
    for (int i = 0; i < 40; ++i)
        send (piece);

    EXPECT_FALSE (stream.isFileOpen());
    EXPECT_LE ((std::int64_t) bytesOf (CacheFiles::path (CacheFiles::psdL)).size(), CacheFiles::maxStreamFileBytes);
}

TEST_F (DataStreamTest, AFileThatCannotBeCreatedDropsItsPieces)
{
    CacheFiles::getCacheDirectory().deleteRecursively();
    send (words ({ 17 }));
    EXPECT_FALSE (stream.isFileOpen());
    send (words ({ 1, 2 }));
    send (words ({ 85 }));
    EXPECT_FALSE (juce::File (CacheFiles::path (CacheFiles::reg)).exists());
}
