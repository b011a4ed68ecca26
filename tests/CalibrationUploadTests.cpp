#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "link/Globals.h"
#include "panels/BottomMeasureComponent.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace
{
    juce::MemoryBlock noise (size_t size, juce::uint32 seed)
    {
        juce::MemoryBlock block (size);
        auto* bytes = static_cast<juce::uint8*> (block.getData());
        for (size_t k = 0; k < size; ++k)
        {
            seed = seed * 1664525u + 1013904223u;
            bytes[k] = (juce::uint8) (seed >> 24);
        }
        return block;
    }

    std::vector<size_t> sizesOf (const std::vector<juce::MemoryBlock>& blocks)
    {
        std::vector<size_t> sizes;
        for (const auto& b : blocks)
            sizes.push_back (b.getSize());
        return sizes;
    }

    class CalibrationUploadToUnit : public ::testing::Test
    {
    protected:
        UdpCapture unit { 9001 };
        juce::Component window;
        BottomMeasureComponent panel;
        juce::File folder { juce::File::getSpecialLocation (juce::File::userDocumentsDirectory).getChildFile ("mic") };
        juce::StringArray warnings;

        void SetUp() override
        {
            ASSERT_TRUE (unit.isOpen());
            ASSERT_TRUE (folder.createDirectory().wasOk());
            sendCommand.setCurrentIpAddr ("127.0.0.1");
            window.setSize (300, 300);
            window.setVisible (true);
            window.addAndMakeVisible (panel);
            panel.setWarningPresenter ([this] (const juce::String&, const juce::String& message) { warnings.add (message); });
        }

        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
            folder.deleteRecursively();
        }

        // The blobs the unit received, in order; anything else fails.
        std::vector<std::vector<std::uint8_t>> receivedBlobs()
        {
            std::vector<std::vector<std::uint8_t>> blobs;
            for (const auto& datagram : unit.drain (60))
            {
                const auto m = decodeWithLiblo (datagram);
                EXPECT_TRUE (m.has_value());
                if (! m.has_value())
                    continue;
                EXPECT_EQ (m->path, "/juce/rotaryknob");
                EXPECT_EQ (m->types, "b");
                if (m->args.size() == 1)
                    blobs.push_back (m->args[0].blob);
            }
            return blobs;
        }
    };
}

TEST (CalibrationUpload, FramesTheFileInBlocksOf1024)
{
    struct Case { size_t size; std::vector<size_t> blocks; };
    const Case cases[] = {
        { 0, { 4, 4 } },
        { 1, { 4, 1, 4 } },
        { 1024, { 4, 1024, 4 } },
        { 1025, { 4, 1024, 1, 4 } },
        { 2048, { 4, 1024, 1024, 4 } },
        { 2500, { 4, 1024, 1024, 452, 4 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.size);
        const auto content = noise (c.size, 1);
        const auto blocks = CalibrationUpload::frame (content);
        EXPECT_EQ (sizesOf (blocks), c.blocks);
        EXPECT_EQ (blocks.front(), juce::MemoryBlock ("\xCC\0\0\0", 4));
        EXPECT_EQ (blocks.back(), juce::MemoryBlock ("\x55\0\0\0", 4));

        juce::MemoryBlock joined;
        for (size_t i = 1; i + 1 < blocks.size(); ++i)
            joined.append (blocks[i].getData(), blocks[i].getSize());
        // Compared as byte strings: JUCE's MemoryBlock comparison passes a
        // null pointer to memcmp for empty blocks.
        const auto bytes = [] (const juce::MemoryBlock& b)
        {
            return b.getSize() == 0 ? std::string() : std::string (static_cast<const char*> (b.getData()), b.getSize());
        };
        EXPECT_EQ (bytes (joined), bytes (content));
    }
}

TEST (CalibrationUpload, AFileThatCannotBeReadWholeGivesNothing)
{
    const auto dir = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("veld72-cal-dir");
    ASSERT_TRUE (dir.createDirectory().wasOk());
    EXPECT_FALSE (CalibrationUpload::readWholeFile (dir).has_value());
    EXPECT_FALSE (CalibrationUpload::blocksForFile (dir).has_value());
    EXPECT_FALSE (CalibrationUpload::readWholeFile (dir.getChildFile ("missing.txt")).has_value());
    dir.deleteRecursively();
}

TEST_F (CalibrationUploadToUnit, FilesArriveByteForByteBetween204And85)
{
    for (const size_t size : { 0u, 1u, 1024u, 1025u, 5000u })
    {
        SCOPED_TRACE (size);
        const auto content = noise (size, (juce::uint32) size + 7);
        const auto file = folder.getChildFile ("cal" + juce::String ((int) size) + ".txt");
        {
            juce::FileOutputStream out (file);
            ASSERT_TRUE (out.openedOk());
            if (content.getSize() > 0)
                out.write (content.getData(), content.getSize());
        }
        ASSERT_EQ (file.getSize(), (juce::int64) size);

        panel.uploadCalibrationFile (file);

        const auto blobs = receivedBlobs();
        ASSERT_EQ (blobs.size(), 2 + (size + 1023) / 1024);
        EXPECT_THAT (blobs.front(), ElementsAre (0xCC, 0, 0, 0));
        EXPECT_THAT (blobs.back(), ElementsAre (0x55, 0, 0, 0));

        std::vector<std::uint8_t> arrived;
        for (size_t i = 1; i + 1 < blobs.size(); ++i)
        {
            EXPECT_LE (blobs[i].size(), 1024u);
            arrived.insert (arrived.end(), blobs[i].begin(), blobs[i].end());
        }
        const auto* bytes = static_cast<const std::uint8_t*> (content.getData());
        EXPECT_THAT (arrived, ElementsAreArray (bytes, size));

        EXPECT_EQ (panel.getCalibrationFileLabel().getText(), file.getFullPathName());
        EXPECT_FALSE (panel.getUploadBar().isVisible());
        EXPECT_NE (window.getComponentAt (100, 250), nullptr);
    }

    EXPECT_TRUE (warnings.isEmpty()) << warnings.joinIntoString ("; ");
}

TEST_F (CalibrationUploadToUnit, AnUnreadableFileSendsNothingAndWarnsNamingIt)
{
    const auto unreadable = folder.getChildFile ("looks-like-a-file.txt");
    ASSERT_TRUE (unreadable.createDirectory().wasOk());

    panel.uploadCalibrationFile (unreadable);

    EXPECT_THAT (unit.drain (60), IsEmpty());
    ASSERT_EQ (warnings.size(), 1);
    EXPECT_TRUE (warnings[0].contains (unreadable.getFullPathName())) << warnings[0];
    EXPECT_FALSE (panel.getUploadBar().isVisible());
    EXPECT_NE (window.getComponentAt (100, 250), nullptr);
}

TEST_F (CalibrationUploadToUnit, AMissingFileEndsTheUploadSilently)
{
    panel.uploadCalibrationFile (folder.getChildFile ("gone.txt"));
    EXPECT_THAT (unit.drain (60), IsEmpty());
    EXPECT_TRUE (warnings.isEmpty()) << warnings.joinIntoString ("; ");
    EXPECT_EQ (panel.getCalibrationFileLabel().getText(), " ");
}
