#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "KillSaveHelper.h"
#include "app/MainComponent.h"
#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/DemoBackgroundThread.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"
#include "support/PrivateMount.h"

#include <sys/mount.h>

using ::testing::HasSubstr;

namespace
{
    struct RecordedWarnings
    {
        std::vector<std::string> shown;   // "title|message"
        WarningAlerts::ScopedPresenter presenter { [this] (const juce::String& t, const juce::String& m, std::function<void()>)
                                                   {
                                                       shown.push_back ((t + "|" + m).toStdString());
                                                   } };
    };

    // Takes a private mount off the Music folder again, so that the rest of
    // the process sees the folder as it was.
    struct Unmount
    {
        juce::File folder;
        ~Unmount() { umount2 (folder.getFullPathName().toRawUTF8(), MNT_DETACH); }
    };

    // The whole parameter save as the window runs it: the panel settings, then
    // the snapshot task's writing, then the alert.
    juce::Result saveParameters (MainContentComponent& content, juce::File file)
    {
        content.getTop().SavePara (file);
        const auto result = ParameterDocument::finishSave (allValue, chosenSave, content.getBottomMeasure().getMaxNum());
        DemoBackgroundThread::showOutcome (false, result);
        return result;
    }

    juce::Array<juce::File> filesIn (const juce::File& folder)
    {
        return folder.findChildFiles (juce::File::findFiles, false, "*");
    }

    class SaveFaults : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            allValue.deleteAllChildElements();
            previousResult = DemoBackgroundThread::showResult;
            DemoBackgroundThread::showResult = [this] (const juce::String& t, const juce::String& m)
            {
                warnings.shown.push_back ((t + "|" + m).toStdString());
            };
        }

        void TearDown() override
        {
            DemoBackgroundThread::showResult = previousResult;
            allValue.deleteAllChildElements();
            CacheFiles::ensureCacheDirectory();
        }

        RecordedWarnings warnings;
        DemoBackgroundThread::ResultPresenter previousResult;
    };
}

TEST_F (SaveFaults, AFullDiskKeepsTheOldParameterFileAndTellsTheUser)
{
    const auto music = CacheFiles::getCacheDirectory();
    if (! PrivateMount::mountSmallDisk (music, "64k"))
        GTEST_SKIP() << "no private mount namespace here";
    const Unmount unmount { music };

    MainContentComponent content;
    const auto file = music.getChildFile ("hall.parameter");
    ASSERT_TRUE (saveParameters (content, file).wasOk());
    const auto before = file.loadFileAsString();
    ASSERT_THAT (before.toStdString(), HasSubstr ("<masterValue"));

    PrivateMount::fillDisk (music);
    content.getRight().setMasterSliderValue (-20.0f);
    warnings.shown.clear();

    const auto result = saveParameters (content, file);

    EXPECT_TRUE (result.failed());
    EXPECT_EQ (file.loadFileAsString(), before);
    EXPECT_EQ (filesIn (music).size(), 2) << "only the old file and the filler";
    EXPECT_EQ (allValue.getNumChildElements(), 0);
    ASSERT_EQ (warnings.shown.size(), 1u);
    EXPECT_EQ (warnings.shown[0], "Failed to save file...|" + result.getErrorMessage().toStdString());
    EXPECT_THAT (warnings.shown[0], HasSubstr (file.getFullPathName().toStdString()));
}

// A SIGKILL can land anywhere in a save. The target is only ever replaced by
// a rename of a complete, flushed file, so it is always a whole document: the
// old one or a new one. What a kill can leave behind is the hidden temporary
// file of the save it interrupted (".<name>_temp<random>.<ext>" beside the
// target); it is never read and the next save writes a temporary file of its
// own, so it does not disturb the next save.
TEST (SaveKilled, TheTargetIsAlwaysAWholeDocument)
{
    const auto dir = juce::File::createTempFile ("killed");
    ASSERT_TRUE (dir.createDirectory().wasOk());
    const auto target = dir.getChildFile ("killed.parameter");
    ASSERT_TRUE (XmlFiles::writeDocumentSafely (*KillSaveHelper::makeDocument (0), target).wasOk());

    juce::Random random (42);
    int lastRound = 0;
    for (int round = 0; round < 20; ++round)
    {
        juce::ChildProcess helper;
        ASSERT_TRUE (helper.start (juce::StringArray { VELD72_KILL_SAVE_HELPER, target.getFullPathName() }, 0));
        juce::Thread::sleep (5 + random.nextInt (60));
        helper.kill();
        ASSERT_TRUE (helper.waitForProcessToFinish (5000));

        const auto read = XmlFiles::readDocument (target);
        ASSERT_TRUE (read) << "round " << round << ": " << read.error;
        const auto savedRound = KillSaveHelper::roundOf (*read.document);
        EXPECT_GE (savedRound, 0) << "round " << round << ": a partial document";
        lastRound = juce::jmax (lastRound, savedRound);

        int leftOver = 0;
        for (const auto& f : filesIn (dir))
        {
            if (f == target)
                continue;
            EXPECT_TRUE (f.getFileName().startsWith (".killed_temp")) << f.getFileName();
            ++leftOver;
            f.deleteFile();
        }
        EXPECT_LE (leftOver, 1) << "round " << round;
    }

    // A save after all the kills works as ever.
    ASSERT_TRUE (XmlFiles::writeDocumentSafely (*KillSaveHelper::makeDocument (1000), target).wasOk());
    EXPECT_EQ (KillSaveHelper::roundOf (*XmlFiles::readDocument (target).document), 1000);
    dir.deleteRecursively();
}

namespace
{
    struct MusicFolderCase
    {
        const char* name;
        bool readOnly;   // otherwise missing
    };
}

TEST_F (SaveFaults, AMissingOrReadOnlyMusicFolder)
{
    const MusicFolderCase cases[] = { { "missing", false }, { "read-only", true } };

    const juce::File fixture (VELD72_SOURCE_DIR "/tests/fixtures/parameter/golden-load.parameter");
    const auto elsewhere = juce::File::createTempFile ("elsewhere");
    ASSERT_TRUE (elsewhere.createDirectory().wasOk());
    const auto source = elsewhere.getChildFile ("golden-load.parameter");
    ASSERT_TRUE (fixture.copyFileTo (source));

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto music = CacheFiles::getCacheDirectory();
        music.deleteRecursively();
        ASSERT_TRUE (CacheFiles::ensureCacheDirectory());

        // What the folder held before the fault: a parameter file and cache files.
        MainContentComponent content;
        const auto old = music.getChildFile ("old.parameter");
        ASSERT_TRUE (saveParameters (content, old).wasOk());
        const std::uint32_t lmt[] = { 1, 2, 3, 4, 5, 6, 7, 8 };
        const std::uint32_t spectrum[] = { 1, 1400, 9 };
        ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::lmt), lmt, 8));
        ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::spectrumPath (1), spectrum, 3));
        const auto filesBefore = filesIn (music);
        const auto oldText = old.loadFileAsString();

        std::unique_ptr<Unmount> unmount;
        if (c.readOnly)
        {
            if (! PrivateMount::makeReadOnly (music))
                GTEST_SKIP() << "no private mount namespace here";
            unmount.reset (new Unmount { music });
        }
        else
        {
            ASSERT_TRUE (music.deleteRecursively());
        }

        // A save fails, says so and leaves nothing half-written.
        warnings.shown.clear();
        EXPECT_TRUE (saveParameters (content, old).failed());
        EXPECT_TRUE (saveParameters (content, music.getChildFile ("new.parameter")).failed());
        EXPECT_EQ (warnings.shown.size(), 2u);
        EXPECT_EQ (allValue.getNumChildElements(), 0);
        if (c.readOnly)
        {
            EXPECT_EQ (old.loadFileAsString(), oldText);
            EXPECT_EQ (filesIn (music), filesBefore);
        }
        else
        {
            EXPECT_FALSE (music.exists());
        }

        // A load still sets the panels; the cache files stay as they were.
        PanelLoadTarget target (content);
        const auto loaded = ParameterDocument::loadFile (source, target, sendCommand);
        EXPECT_TRUE (loaded.wasOk()) << loaded.getErrorMessage();
        const auto settings = collectPanelSettings (content);
        EXPECT_DOUBLE_EQ (settings.ml, 120.0);
        EXPECT_DOUBLE_EQ (settings.masterValue, -6.0);
        EXPECT_EQ (settings.textNote, "golden & <hand-made>");
        if (c.readOnly)
        {
            EXPECT_EQ (CacheFiles::readAllWords (CacheFiles::path (CacheFiles::lmt)), std::vector<std::uint32_t> (lmt, lmt + 8));
            EXPECT_EQ (CacheFiles::readAllWords (CacheFiles::spectrumPath (1)), std::vector<std::uint32_t> (spectrum, spectrum + 3));
            EXPECT_EQ (filesIn (music), filesBefore);
        }
        else
        {
            EXPECT_FALSE (music.exists());
        }
    }

    elsewhere.deleteRecursively();
}
