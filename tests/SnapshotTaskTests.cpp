#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/DemoBackgroundThread.h"
#include "app/XmlFiles.h"
#include "panels/ParameterDocument.h"

#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{
    // Every alert the save shows: the plain result alerts and the warnings.
    struct RecordedAlerts
    {
        std::vector<std::string> shown;   // "title|message", "warning:" in front of warnings

        RecordedAlerts()
        {
            previous = DemoBackgroundThread::showResult;
            DemoBackgroundThread::showResult = [this] (const juce::String& t, const juce::String& m)
            {
                shown.push_back ((t + "|" + m).toStdString());
            };
        }

        ~RecordedAlerts() { DemoBackgroundThread::showResult = previous; }

        WarningAlerts::ScopedPresenter warnings { [this] (const juce::String& t, const juce::String& m, std::function<void()>)
                                                  {
                                                      shown.push_back (("warning:" + t + "|" + m).toStdString());
                                                  } };
        DemoBackgroundThread::ResultPresenter previous;
    };

    std::vector<std::string> tagsOf (const juce::XmlElement& root)
    {
        std::vector<std::string> tags;
        for (auto* e : root.getChildIterator())
            tags.push_back (e->getTagName().toStdString());
        return tags;
    }

    std::unique_ptr<juce::XmlElement> readBack (const juce::File& file)
    {
        return juce::XmlDocument::parse (file);
    }

    class SnapshotTask : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            dir = juce::File::createTempFile ("params");
            ASSERT_TRUE (dir.createDirectory().wasOk());
            allValue.deleteAllChildElements();
        }

        void TearDown() override
        {
            allValue.deleteAllChildElements();
            dir.deleteRecursively();
        }

        // What the save operation puts into the document before the task runs.
        static void addPanelSettings (int maxNum = 0)
        {
            ParameterDocument::PanelSettings s;
            s.maxNum = maxNum;
            s.textNote = "front of house";
            ParameterDocument::appendChildren (allValue, ParameterDocument::makePanelElements (s));
        }

        juce::File dir;
    };
}

TEST_F (SnapshotTask, WithoutCacheFilesOnlyThePanelSettingsAreSaved)
{
    RecordedAlerts alerts;
    const auto file = dir.getChildFile ("plain.parameter");
    addPanelSettings();

    const auto result = ParameterDocument::finishSave (allValue, file, 5);
    ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();
    EXPECT_EQ (allValue.getNumChildElements(), 0);

    const auto saved = readBack (file);
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getTagName(), "allValue");
    EXPECT_EQ (tagsOf (*saved).size(), 41u);
    EXPECT_EQ (tagsOf (*saved).back(), "lmtbypass");
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n \r\n<allValue>\r\n  <p1 "));

    DemoBackgroundThread::showOutcome (false, result);
    EXPECT_THAT (alerts.shown, ElementsAre (" |save parameter ok!"));
}

TEST_F (SnapshotTask, GroupsInTheirOrderAndFixedCountsFilledWithZero)
{
    const auto words = [] (std::initializer_list<std::uint32_t> w) { return std::vector<std::uint32_t> (w); };
    const auto write = [] (const juce::String& path, const std::vector<std::uint32_t>& w)
    {
        ASSERT_TRUE (CacheFiles::writeWords (path, w.data(), w.size()));
    };

    write (CacheFiles::path (CacheFiles::reg), words ({ 0x3F800000u, 0xBF800000u }));   // 8 bytes
    write (CacheFiles::path (CacheFiles::cross), words ({ 7 }));
    write (CacheFiles::path (CacheFiles::amplitude), words ({ 8 }));
    write (CacheFiles::path (CacheFiles::lmt), words ({ 1, 2, 3, 4, 5, 6, 7, 8, 9 }));  // one word too many
    for (int k : { 1, 2, 3, 11, 12 })
        write (CacheFiles::spectrumPath (k), words ({ (std::uint32_t) k, 1 }));
    ASSERT_TRUE (CacheFiles::writeBytes (CacheFiles::path (CacheFiles::psdL), "abc", 3));   // no whole word
    write (CacheFiles::path (CacheFiles::psdR), words ({ 5, 6 }));

    const auto file = dir.getChildFile ("groups.parameter");
    addPanelSettings (2);
    ASSERT_TRUE (ParameterDocument::finishSave (allValue, file, 2).wasOk());

    const auto saved = readBack (file);
    ASSERT_NE (saved, nullptr);
    const auto tags = tagsOf (*saved);
    ASSERT_EQ (tags.size(), 41u + 14 + 216 + 8192 + 8 + 4 * 2 + 2);

    const std::vector<std::string> deviceTags (tags.begin() + 41, tags.end());
    EXPECT_EQ (deviceTags[0], "reg0");
    EXPECT_EQ (deviceTags[13], "reg13");
    EXPECT_EQ (deviceTags[14], "cross0");
    EXPECT_EQ (deviceTags[229], "cross215");
    EXPECT_EQ (deviceTags[230], "amp0");
    EXPECT_EQ (deviceTags[8421], "amp8191");
    EXPECT_EQ (deviceTags[8422], "lmtt0");
    EXPECT_EQ (deviceTags[8429], "lmtt7");
    EXPECT_THAT (std::vector<std::string> (deviceTags.begin() + 8430, deviceTags.end()),
                 ElementsAre ("fft10", "fft11", "fft20", "fft21", "lrfft110", "lrfft111", "lrfft120", "lrfft121", "psdr0", "psdr1"));

    const auto value = [&] (const char* tag, const char* attribute) { return saved->getChildByName (tag)->getStringAttribute (attribute); };
    EXPECT_EQ (value ("reg0", "regValue"), "1065353216");
    EXPECT_EQ (value ("reg1", "regValue"), "-1082130432");
    EXPECT_EQ (value ("reg2", "regValue"), "0");
    EXPECT_EQ (value ("reg13", "regValue"), "0");
    EXPECT_EQ (value ("cross1", "crossValue"), "0");
    EXPECT_EQ (value ("lmtt7", "lmtPara"), "8");
    EXPECT_EQ (value ("lrfft120", "fftValue"), "12");
    EXPECT_EQ (value ("psdr1", "psdrValue"), "6");
}

TEST_F (SnapshotTask, TwoSavesInARowHaveTheSameStructure)
{
    const std::uint32_t reg[] = { 1, 2 };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::reg), reg, 2));

    const auto first = dir.getChildFile ("first.parameter");
    const auto second = dir.getChildFile ("second.parameter");

    addPanelSettings();
    ASSERT_TRUE (ParameterDocument::finishSave (allValue, first, 0).wasOk());
    addPanelSettings();
    ASSERT_TRUE (ParameterDocument::finishSave (allValue, second, 0).wasOk());

    EXPECT_EQ (first.loadFileAsString(), second.loadFileAsString());
    EXPECT_EQ (tagsOf (*readBack (second)).size(), 41u + 14);
}

TEST_F (SnapshotTask, SavingOverAFileReplacesIt)
{
    const auto file = dir.getChildFile ("over.parameter");
    ASSERT_TRUE (file.replaceWithText ("<old/>"));

    addPanelSettings();
    ASSERT_TRUE (ParameterDocument::finishSave (allValue, file, 0).wasOk());

    EXPECT_EQ (readBack (file)->getTagName(), "allValue");
    EXPECT_EQ (dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (SnapshotTask, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    RecordedAlerts alerts;
    const auto file = dir.getChildFile ("kept.parameter");
    const juce::String old ("<allValue><micGain ml=\"100.0\"/></allValue>");
    ASSERT_TRUE (file.replaceWithText (old));

    // A disk that fills up while the document is written.
    addPanelSettings();
    rlimit previous {};
    ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
    rlimit tiny = previous;
    tiny.rlim_cur = 200;
    ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &tiny), 0);

    const auto result = ParameterDocument::finishSave (allValue, file, 0);

    setrlimit (RLIMIT_FSIZE, &previous);
    std::signal (SIGXFSZ, previousHandler);

    ASSERT_TRUE (result.failed());
    EXPECT_THAT (result.getErrorMessage().toStdString(),
                 ::testing::StartsWith ("There was an error while trying to save the file: \n" + file.getFullPathName().toStdString() + "\n\n"));
    EXPECT_THAT (result.getErrorMessage().toStdString(), HasSubstr ("was not saved"));
    EXPECT_EQ (file.loadFileAsString(), old);
    EXPECT_EQ (dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_EQ (allValue.getNumChildElements(), 0);

    // A folder that does not exist.
    addPanelSettings();
    EXPECT_TRUE (ParameterDocument::finishSave (allValue, dir.getChildFile ("gone").getChildFile ("x.parameter"), 0).failed());
    EXPECT_EQ (allValue.getNumChildElements(), 0);

    // The user is warned and never told the save was fine.
    DemoBackgroundThread::showOutcome (false, result);
    ASSERT_EQ (alerts.shown.size(), 1u);
    EXPECT_EQ (alerts.shown[0], "warning:Failed to save file...|" + result.getErrorMessage().toStdString());
}

TEST_F (SnapshotTask, CancelledWindowSaysSo)
{
    RecordedAlerts alerts;
    DemoBackgroundThread::showOutcome (true, juce::Result::ok());
    EXPECT_THAT (alerts.shown, ElementsAre (" |You pressed cancel!"));
}

//==============================================================================
// The task under its modal progress window. A progress window needs a display:
// these run under Xvfb (tests/scripts/snapshot_window_under_xvfb.sh) and are
// skipped elsewhere.
namespace
{
    // The application ignores X errors (the framework installs such a handler
    // in a standalone app); a test process has Xlib's default, which ends the
    // process on a request that a server without a window manager refuses.
    void ignoreXErrors()
    {
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);

        if (auto* lib = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD))
            if (auto set = reinterpret_cast<SetHandler> (dlsym (lib, "XSetErrorHandler")))
                set ([] (void*, void*) { return 0; });
    }

    bool haveDisplay()
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            return false;

        ignoreXErrors();
        return true;
    }
}

TEST_F (SnapshotTask, WindowRunsTheSaveAndGoesAway)
{
    if (! haveDisplay())
        GTEST_SKIP() << "no display";

    RecordedAlerts alerts;
    const std::uint32_t psd[] = { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::psdL), psd, 9));

    chosenSave = dir.getChildFile ("window.parameter");
    addPanelSettings();
    DemoBackgroundThread::launch (0);

    // The window is modal from the launch on: a title, a bar, no buttons.
    auto* window = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "busy saving parameters");
    EXPECT_EQ (window->getNumButtons(), 0);
    bool hasBar = false;
    for (auto* child : window->getChildren())
        hasBar = hasBar || dynamic_cast<juce::ProgressBar*> (child) != nullptr;
    EXPECT_TRUE (hasBar);

    for (int i = 0; i < 300 && alerts.shown.empty(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_THAT (alerts.shown, ElementsAre (" |save parameter ok!"));
    EXPECT_EQ (juce::Component::getCurrentlyModalComponent(), nullptr);
    EXPECT_EQ (allValue.getNumChildElements(), 0);

    const auto saved = readBack (chosenSave);
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (tagsOf (*saved).size(), 41u + 9);
    EXPECT_EQ (tagsOf (*saved).back(), "psdl8");
}

TEST_F (SnapshotTask, WindowReportsAFailedWrite)
{
    if (! haveDisplay())
        GTEST_SKIP() << "no display";

    RecordedAlerts alerts;
    chosenSave = dir.getChildFile ("no such folder").getChildFile ("x.parameter");
    addPanelSettings();
    DemoBackgroundThread::launch (0);

    for (int i = 0; i < 300 && alerts.shown.empty(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    ASSERT_EQ (alerts.shown.size(), 1u);
    EXPECT_THAT (alerts.shown[0], ::testing::StartsWith ("warning:Failed to save file...|"));
    EXPECT_EQ (allValue.getNumChildElements(), 0);
}

TEST_F (SnapshotTask, TheDocumentIsWhatTheFrameworkWouldWrite)
{
    // The device data is written as text; byte for byte what the framework's
    // writer makes of the same elements, with and without panel elements.
    const std::uint32_t reg[] = { 0x3F800000u, 0xBF800000u, 0x80000000u, 7 };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::reg), reg, 4));
    const std::uint32_t spectrum[] = { 11, 3, 0xFFFFFFFFu };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::spectrumPath (11), spectrum, 3));
    const std::uint32_t psd[] = { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::psdR), psd, 9));

    for (const bool withPanels : { true, false })
    {
        SCOPED_TRACE (withPanels);
        juce::XmlElement root ("allValue");
        if (withPanels)
        {
            ParameterDocument::PanelSettings s;
            s.circles = { { 1, 2 } };
            s.textNote = "a \"quoted\" <note> & more\nwith a line break and a rather long text beyond sixty characters";
            ParameterDocument::appendChildren (root, ParameterDocument::makePanelElements (s));
        }

        juce::MemoryOutputStream written;
        ParameterDocument::writeDocument (written, root, 0);

        juce::XmlElement full (root);
        ParameterDocument::appendChildren (full, ParameterDocument::makeDeviceDataElements (0));
        EXPECT_EQ (written.toString(), full.toString (XmlFiles::documentFormat()));
    }

    // Without device data the panel document is written as it is.
    CacheFiles::getCacheDirectory().deleteRecursively();
    juce::XmlElement empty ("allValue");
    juce::MemoryOutputStream written;
    ParameterDocument::writeDocument (written, empty, 0);
    EXPECT_EQ (written.toString(), empty.toString (XmlFiles::documentFormat()));
}
