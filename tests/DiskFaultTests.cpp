#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "link/Command.h"
#include "link/DataStream.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"
#include "support/PrivateMount.h"
#include "views/CurveComponent.h"
#include "views/CurveFile.h"

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

    struct StreamFixture
    {
        DataStream stream;
        juce::StringArray lost;

        StreamFixture()
        {
            CacheFiles::ensureCacheDirectory();
            stream.onBlockLost = [this] (const juce::String& p) { lost.add (p); };
        }
        void send (const std::vector<std::uint8_t>& blob) { stream.handleBlob (blob.data(), blob.size()); }

        void sendRegBlock (std::uint32_t value, std::size_t numWords)
        {
            send (words ({ 17 }));
            std::vector<std::uint8_t> piece;
            for (std::size_t i = 0; i < numWords; ++i)
            {
                const auto w = words ({ value });
                piece.insert (piece.end(), w.begin(), w.end());
            }
            send (piece);
            send (words ({ 85 }));
        }
    };

    juce::MemoryBlock contentOf (const juce::String& path)
    {
        juce::MemoryBlock mb;
        juce::File (path).loadFileAsData (mb);
        return mb;
    }

    bool hiddenPartFilesIn (const juce::File& folder)
    {
        return ! folder.findChildFiles (juce::File::findFiles, false, ".*.part").isEmpty();
    }
}

TEST (DiskFaults, ABlockOnAFullDiskKeepsTheLastWholeBlockAndIsReported)
{
    const auto music = CacheFiles::getCacheDirectory();
    if (! PrivateMount::mountSmallDisk (music, "64k"))
        GTEST_SKIP() << "no private mount namespace here";

    StreamFixture f;
    f.sendRegBlock (7, 14);
    const auto before = contentOf (CacheFiles::path (CacheFiles::reg));
    ASSERT_EQ (before.getSize(), 56u);

    PrivateMount::fillDisk (music);
    f.sendRegBlock (9, 4096);

    EXPECT_EQ (contentOf (CacheFiles::path (CacheFiles::reg)), before);
    EXPECT_EQ (f.lost, juce::StringArray (CacheFiles::path (CacheFiles::reg)));
    EXPECT_FALSE (hiddenPartFilesIn (music));

    // Room again: the next block is written whole.
    music.getChildFile ("filler").deleteFile();
    f.sendRegBlock (11, 14);
    EXPECT_EQ (CacheFiles::readWords (CacheFiles::path (CacheFiles::reg), 14)->at (13), 11u);
}

TEST (DiskFaults, AReadOnlyMusicFolderDropsBlocksAndKeepsTheFiles)
{
    const auto music = CacheFiles::getCacheDirectory();
    StreamFixture f;
    f.sendRegBlock (7, 14);
    const auto before = contentOf (CacheFiles::path (CacheFiles::reg));

    if (! PrivateMount::makeReadOnly (music))
        GTEST_SKIP() << "no private mount namespace here";

    f.sendRegBlock (9, 14);
    EXPECT_FALSE (f.stream.isFileOpen());
    EXPECT_EQ (contentOf (CacheFiles::path (CacheFiles::reg)), before);
}

TEST (DiskFaults, AStreamCutOffByANewBlockKeepsWhatArrivedAndTheNextBlockIsWhole)
{
    StreamFixture f;
    f.send (words ({ 34 }));
    f.send (words ({ 1, 2, 3, 4 }));           // the unit vanished here
    f.sendRegBlock (5, 14);                    // and came back with a new block
    EXPECT_EQ (CacheFiles::readAllWords (CacheFiles::path (CacheFiles::cross)).value_or (std::vector<std::uint32_t> {}).size(), 4u);
    EXPECT_EQ (CacheFiles::readWords (CacheFiles::path (CacheFiles::reg), 14).value_or (std::vector<std::uint32_t> (14)).at (13), 5u);
    EXPECT_TRUE (f.lost.isEmpty());
}

TEST (DiskFaults, ACurveSaveOnAFullDiskKeepsTheOldFile)
{
    const auto music = CacheFiles::getCacheDirectory();
    if (! PrivateMount::mountSmallDisk (music, "64k"))
        GTEST_SKIP() << "no private mount namespace here";

    CurveComponent editor;
    editor.setSize (723, 358);
    const auto target = music.getChildFile ("room.curve");
    ASSERT_TRUE (saveCurveFile (editor, target).wasOk());
    const auto before = target.loadFileAsString();

    PrivateMount::fillDisk (music);
    editor.setCurrentPos (100.0f);
    EXPECT_TRUE (saveCurveFile (editor, target).failed());
    EXPECT_EQ (target.loadFileAsString(), before);
}

TEST (DiskFaults, ALoadOnAFullDiskKeepsTheOldSpectrumFile)
{
    const auto music = CacheFiles::getCacheDirectory();
    if (! PrivateMount::mountSmallDisk (music, "64k"))
        GTEST_SKIP() << "no private mount namespace here";

    std::vector<std::uint32_t> old { 1, 1400 };
    for (std::uint32_t i = 0; i < 1400; ++i)
        old.push_back (CacheFiles::floatAsWord (-20.0f - (float) (i % 30)));
    const auto path = CacheFiles::spectrumPath (1);
    ASSERT_TRUE (CacheFiles::writeWords (path, old.data(), old.size()));
    const auto before = contentOf (path);

    juce::String text ("<allValue><maxNum maxNum=\"1\"/>");
    for (int k = 0; k < 1402; ++k)
        text << "<fft1" << k << " fftValue=\"" << 7 * k << "\"/>";
    text << "</allValue>";
    const auto document = XmlFiles::parseDocumentText (text);
    ASSERT_TRUE (document) << document.error;

    MainContentComponent content;
    PanelLoadTarget target (content);
    Command command;   // no unit selected: the uploads go nowhere
    PrivateMount::fillDisk (music);
    ParameterDocument::load (*document.document, target, command);

    EXPECT_EQ (contentOf (path), before) << "the spectrum file is replaced only once whole";
    EXPECT_TRUE (music.findChildFiles (juce::File::findFiles, false, ".*.new").isEmpty());
}
