#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/DiscoveryAlerts.h"
#include "link/Globals.h"
#include "panels/DemoBackgroundThread.h"
#include "panels/PanelLoadTarget.h"
#include "panels/ParameterDocument.h"
#include "support/PanelTestSupport.h"

#include <map>

using ::testing::ElementsAre;
using PanelTest::pump;

namespace
{
    using Words = std::vector<std::uint32_t>;

    Words fileWords (const juce::String& path)
    {
        return CacheFiles::readAllWords (path).value_or (Words {});
    }

    void writeWords (const juce::String& path, const Words& words)
    {
        ASSERT_TRUE (CacheFiles::writeWords (path, words.data(), words.size()));
    }

    // The settings as the save writes them, as text: equal texts, equal settings.
    juce::String settingsText (MainContentComponent& content)
    {
        juce::XmlElement root ("allValue");
        ParameterDocument::appendChildren (root, ParameterDocument::makePanelElements (collectPanelSettings (content)));
        return root.toString();
    }

    struct RecordedWarnings
    {
        std::vector<std::string> shown;
        WarningAlerts::ScopedPresenter presenter { [this] (const juce::String& t, const juce::String& m, std::function<void()>)
                                                   {
                                                       shown.push_back ((t + "|" + m).toStdString());
                                                   } };
    };

    class ParameterFiles : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            allValue.deleteAllChildElements();
            dir = juce::File::createTempFile ("parameters");
            ASSERT_TRUE (dir.createDirectory().wasOk());
        }

        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
            allValue.deleteAllChildElements();
            dir.deleteRecursively();
        }

        juce::File dir;
    };
}

TEST_F (ParameterFiles, RoundTrip)
{
    MainContentComponent content;
    pump (20);
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());
    sendCommand.setCurrentIpAddr ("127.0.0.1");

    auto& center = content.getCenter();
    auto& editor = center.getCurveEditor();
    auto& view = center.getResponseView();
    auto& left = content.getLeft();
    auto& right = content.getRight();
    auto& system = content.getBottomSystem();
    auto& bands = content.getBottomPanel();
    auto& measure = content.getBottomMeasure();
    auto& compressor = content.getBottomSave();

    // Every cache file.
    // The power spectra are shorter than the unit's (32772 words) to keep the
    // document small; the upload sends the table's positions all the same.
    Words reg (14), cross (216), amp (8192), psdL (3000), psdR (2001);
    for (std::size_t i = 0; i < reg.size(); ++i)   reg[i] = 1000 + (std::uint32_t) i;
    for (std::size_t i = 0; i < cross.size(); ++i) cross[i] = 0x80000000u + (std::uint32_t) i;
    for (std::size_t i = 0; i < amp.size(); ++i)   amp[i] = CacheFiles::floatAsWord (-0.25f * (float) i);
    for (std::size_t i = 0; i < psdL.size(); ++i)  psdL[i] = CacheFiles::floatAsWord ((float) i);
    for (std::size_t i = 0; i < psdR.size(); ++i)  psdR[i] = 0xFFFFFFFFu - (std::uint32_t) i;
    writeWords (CacheFiles::path (CacheFiles::reg), reg);
    writeWords (CacheFiles::path (CacheFiles::cross), cross);
    writeWords (CacheFiles::path (CacheFiles::amplitude), amp);
    writeWords (CacheFiles::path (CacheFiles::psdL), psdL);
    writeWords (CacheFiles::path (CacheFiles::psdR), psdR);

    std::map<int, Words> spectra;
    for (int n : { 1, 2, 11, 12 })
    {
        CacheFiles::Spectrum s;
        s.k = n;
        s.n = 1400;
        for (int i = 0; i < 1400; ++i)
            s.values.push_back ((float) (n * 1000 + i) / 7.0f);
        ASSERT_TRUE (CacheFiles::writeSpectrum (CacheFiles::spectrumPath (n), s));
        spectra[n] = fileWords (CacheFiles::spectrumPath (n));
    }

    // The compressor's four bands; band 3 is shown, its compressor off.
    CacheFiles::LmtBytes lmt {};
    for (int band = 0; band < 4; ++band)
    {
        const std::uint8_t fields[] = { (std::uint8_t) (60 + band), (std::uint8_t) (10 + band), (std::uint8_t) (20 + band),
                                        (std::uint8_t) (30 + band), (std::uint8_t) (40 + band), (std::uint8_t) (5 + band), 0, 0 };
        for (int f = 0; f < 8; ++f)
            lmt[(size_t) CacheFiles::lmtOffset (band, (CacheFiles::LmtField) f)] = fields[f];
    }
    ASSERT_TRUE (CacheFiles::writeBytes (CacheFiles::path (CacheFiles::lmt), lmt.data(), lmt.size()));
    compressor.setComboLmtValue (3);
    pump (20);
    compressor.setLmtKneeSliderValue (77);
    pump (20);
    compressor.buttonClicked (&compressor.getOnOffButton());
    const auto lmtWords = fileWords (CacheFiles::path (CacheFiles::lmt));

    // Every panel value.
    editor.removeAllPoints();
    editor.addPoint ({ 100, 50 });
    editor.addPoint ({ 260, 120 });
    editor.addPoint ({ 410, 90 });
    editor.setP1Level (60);
    editor.setP2Level (140);
    CurveComponent::setCurrentPos (120.0f);
    CurveComponent::setCurrentPosH (560.0f);
    view.setCurrentPosRed (300);
    view.setCurrentPosGreen (200);
    view.setCurrentPosBlue (100);

    left.setMlValue (150.0f);
    left.setNlValue (-20.0f);
    left.setEnable48vState (true);
    left.setM48v (true);
    right.setMuteStatus1 (false);
    right.setByPassStatus (true);
    right.setMasterSliderValue (-12.0f);
    right.setAnalogComboValue (1);
    system.setComboCSValue (2);
    system.setLabelSL ("96k Hz");
    system.setComboSFValue (3);
    system.setComboSubValue (2);
    system.setComboFilterValue (3);
    bands.setM1Mute (true);
    bands.setM3Mute (true);
    bands.setFreq1 (120);
    bands.setFreq2 (900);
    bands.setFreq3 (5000);
    bands.setSliderValueLevel1 (-3.0f);
    bands.setSliderValueLevel3 (2.0f);
    bands.setSliderValueLevel5 (-10.0f);
    bands.setSliderValueLevel7 (5.0f);
    measure.getTextNote()->setText ("hall & stage <left> \"A\"\nsecond line");
    measure.setClockSpeed (1000);
    for (int point : { 1, 2 })
    {
        measure.pointClicked ({ 20.0f + 35.0f * (float) (point - 1), 50.0f });
        for (int i = 0; i < 200 && measure.getSequence().getRunningPhase() != 0; ++i)
            pump (5);
    }
    ASSERT_EQ (measure.getMaxNum(), 2);
    pump (20);

    const auto settings = settingsText (content);

    // Save.
    auto file = dir.getChildFile ("all.parameter");
    EXPECT_EQ (content.getTop().SavePara (file), 1);
    EXPECT_EQ (chosenSave, file);
    ASSERT_TRUE (ParameterDocument::finishSave (allValue, chosenSave, measure.getMaxNum()).wasOk());
    EXPECT_EQ (allValue.getNumChildElements(), 0);

    // Clear.
    editor.removeAllPoints();
    editor.addPoint ({ 500, 200 });
    editor.setP1Level (0);
    editor.setP2Level (0);
    CurveComponent::setCurrentPos (0.0f);
    CurveComponent::setCurrentPosH (0.0f);
    view.setCurrentPosRed (0);
    view.setCurrentPosGreen (0);
    view.setCurrentPosBlue (0);
    left.setMlValue (100.0f);
    left.setNlValue (-60.0f);
    left.setEnable48vState (false);
    left.setM48v (false);
    right.setMuteStatus1 (true);
    right.setByPassStatus (false);
    right.setMasterSliderValue (0.0f);
    right.setAnalogComboValue (0);
    system.setComboCSValue (1);
    system.setLabelSL ("x");
    system.setComboSFValue (1);
    system.setComboSubValue (1);
    system.setComboFilterValue (5);
    bands.setM1Mute (false);
    bands.setM3Mute (false);
    bands.setFreq1 (1);
    bands.setFreq2 (2);
    bands.setFreq3 (3);
    bands.setSliderValueLevel1 (0.0f);
    bands.setSliderValueLevel3 (0.0f);
    bands.setSliderValueLevel5 (0.0f);
    bands.setSliderValueLevel7 (0.0f);
    measure.getTextNote()->setText ({});
    compressor.setComboLmtValue (1);
    pump (20);
    for (int n : { 1, 2, 11, 12 })
        juce::File (CacheFiles::spectrumPath (n)).deleteFile();
    writeWords (CacheFiles::path (CacheFiles::lmt), Words (8, 0));
    pump (20);
    unit.drain (20);
    ASSERT_NE (settingsText (content), settings);

    // Load.
    content.getTop().OpenPara (file);
    const auto duringLoad = unit.drain (20);
    pump (200);
    const auto afterLoad = describeAll (unit.drain (20));

    // Every setting comes back but the measurement panel's point count,
    // which the load only uses for the spectra.
    EXPECT_EQ (settingsText (content).replace ("<maxNum maxNum=\"0\"/>", "<maxNum maxNum=\"2\"/>"), settings);
    EXPECT_EQ (editor.getPointTopLefts(), (std::vector<juce::Point<int>> { { 100, 50 }, { 260, 120 }, { 410, 90 } }));

    // The cache files the load rewrites hold their words again.
    for (int n : { 1, 2, 11, 12 })
        EXPECT_EQ (fileWords (CacheFiles::spectrumPath (n)), spectra[n]) << n;
    EXPECT_EQ (fileWords (CacheFiles::path (CacheFiles::lmt)), lmtWords);

    // The fft thread was woken and has read the spectra.
    EXPECT_EQ (FrequencyResponseAndCrossoverComponent::mydisplayMode, 12);
    EXPECT_TRUE (view.getIsPrepared());

    // During the load: the setters that send at once, in document order,
    // then "MN", the spectrum uploads, the device data and "SA".
    const auto described = describeAll (duringLoad);
    ASSERT_EQ (described.size(), 10u + 1 + 4 * 8 + 305 + 1);
    EXPECT_THAT (std::vector<std::string> (described.begin(), described.begin() + 11), ElementsAre (
        "MT 5 0", "CR 1", "MD 83",                        // m48v, before en48v is read
        "MU 0", "OP 0",                                   // muteStatus, bypassStatus
        "MT 1 1", "MT 2 0", "MT 3 1", "MT 4 0",           // m1mute .. m4mute
        "LM " + std::to_string (2 * 65536 + 6 * 256 + 1), // lmtbypass, band 3
        "MN 2"));
    EXPECT_EQ (described.back(), "SA");

    std::vector<Words> blocks;
    for (std::size_t i = 11; i + 1 < duringLoad.size(); ++i)
    {
        const auto m = decodeWithLiblo (duringLoad[i]);
        ASSERT_TRUE (m && m->code().empty());
        const auto& blob = m->args.at (0).blob;
        Words w (blob.size() / 4);
        for (std::size_t k = 0; k < w.size(); ++k)
            w[k] = CacheFiles::wordFromBytes (blob.data() + 4 * k);
        blocks.push_back (std::move (w));
    }

    const auto concat = [] (std::initializer_list<Words> parts)
    {
        Words all;
        for (const auto& p : parts)
            all.insert (all.end(), p.begin(), p.end());
        return all;
    };
    const auto padded = [] (Words w, std::size_t size)
    {
        w.resize (size, 0);
        return w;
    };
    const auto flatten = [] (auto from, auto to)
    {
        Words all;
        for (auto it = from; it != to; ++it)
            all.insert (all.end(), it->begin(), it->end());
        return all;
    };

    // Spectra of points 1 and 2, then 11 and 12: header, values 2..1401 in
    // 5 x 256 + 120, end word.
    for (std::size_t u = 0; u < 4; ++u)
    {
        const int n = std::array<int, 4> { 1, 2, 11, 12 }[u];
        const auto first = blocks.begin() + (std::ptrdiff_t) (8 * u);
        std::vector<std::size_t> sizes;
        for (auto it = first; it != first + 8; ++it)
            sizes.push_back (it->size());
        EXPECT_THAT (sizes, ElementsAre (3, 256, 256, 256, 256, 256, 120, 1)) << n;
        EXPECT_EQ (flatten (first, first + 8),
                   concat ({ { 170, (std::uint32_t) n, 1400 }, Words (spectra[n].begin() + 2, spectra[n].begin() + 1402), { 187 } })) << n;
    }

    // The device data: 305 blocks, each group framed by its control word and 85.
    const auto device = std::vector<Words> (blocks.begin() + 32, blocks.end());
    ASSERT_EQ (device.size(), 305u);
    EXPECT_EQ (flatten (device.begin(), device.end()),
               concat ({ { 17 }, reg, { 85 }, { 34 }, cross, { 85 }, { 51 }, amp, { 85 }, { 153 }, lmtWords, { 85 },
                         { 119 }, padded (psdL, 32771), { 85 },
                         { 136 }, padded (psdR, 32771), { 85 } }));
    EXPECT_EQ (device[7].size(), 256u);     // amp in blocks of 256
    EXPECT_EQ (device[172].size(), 3u);     // psdl positions 32768..32770

    // After the load, the controls that changed send as if moved by hand.
    EXPECT_THAT (afterLoad, ElementsAre (
        "ML 150", "NL -20", "GA -12", "SE 1", "CS 1", "SC 2", "FO 15", "PN 0", "FO 15", "PN 0", "AP 1024",
        "LV 1 -3", "LV 3 2", "LV 5 -10", "LV 7 5",
        "LM 131134", "LM 131340", "LM 131661", "LM 131872", "LM 132138", "LM 132359"));
}

namespace
{
    juce::File fixture (const char* name)
    {
        return juce::File (VELD72_SOURCE_DIR "/tests/fixtures/parameter").getChildFile (name);
    }

    std::string pointsText (const CurveComponent& editor)
    {
        std::string text;
        for (auto p : editor.getPointTopLefts())
            text += std::to_string (p.x) + "," + std::to_string (p.y) + " ";
        return text;
    }

    // The panels' state as name = value lines, for tables of expectations.
    std::map<std::string, std::string> stateOf (MainContentComponent& content)
    {
        auto& editor = content.getCenter().getCurveEditor();
        auto& view = content.getCenter().getResponseView();
        auto& compressor = content.getBottomSave();
        const auto s = collectPanelSettings (content);
        const auto str = [] (auto v) { return juce::String (v).toStdString(); };

        return {
            { "points", pointsText (editor) },
            { "p1y", str (editor.getP1().y) }, { "p2y", str (editor.getP2().y) },
            { "currentPos", str (s.currentPos) }, { "currentPosH", str (s.currentPosH) },
            { "cursors", str (view.getCurrentPosRed()) + " " + str (view.getCurrentPosGreen()) + " " + str (view.getCurrentPosBlue()) },
            { "ml", str (s.ml) }, { "nl", str (s.nl) }, { "m48v", str ((int) s.m48v) }, { "en48v", str ((int) s.en48v) },
            { "mute", str ((int) s.mute) }, { "bypass", str ((int) s.bypass) }, { "master", str (s.masterValue) },
            { "anaAes", str (s.anaAes) }, { "clockSource", str (s.clockSource) }, { "sampleClock", s.sampleClock.toStdString() },
            { "stereoFormat", str (s.stereoFormat) }, { "with", str (s.with) }, { "amptitude", str (s.amptitude) },
            { "mutes", str ((int) s.bandMutes[0]) + str ((int) s.bandMutes[1]) + str ((int) s.bandMutes[2]) + str ((int) s.bandMutes[3]) },
            { "freqs", str (s.freqs[0]) + " " + str (s.freqs[1]) + " " + str (s.freqs[2]) },
            { "levels", str (s.levels[0]) + " " + str (s.levels[1]) + " " + str (s.levels[2]) + " " + str (s.levels[3]) },
            { "note", s.textNote.toStdString() },
            { "knobs", str (s.lmt[0]) + " " + str (s.lmt[1]) + " " + str (s.lmt[2]) + " " + str (s.lmt[3]) + " "
                       + str (s.lmt[4]) + " " + str (s.lmt[5]) },
            { "band", str (compressor.getComboLmtValue()) }, { "compressorOff", str ((int) compressor.getLmtBypass()) },
        };
    }
}

TEST_F (ParameterFiles, AHandWrittenDocumentLoadsToItsState)
{
    MainContentComponent content;
    pump (20);
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());
    sendCommand.setCurrentIpAddr ("127.0.0.1");

    // "m48v" comes before "en48v": the phantom power state sent with it is the one before the load.
    content.getLeft().setEnable48vState (false);

    auto file = fixture ("golden-load.parameter");
    ASSERT_TRUE (file.existsAsFile());
    content.getTop().OpenPara (file);
    const auto during = unit.drain (10);
    pump (100);
    unit.drain (10);

    const std::map<std::string, std::string> expected {
        { "points", "88,100 300,60 " }, { "p1y", "110" }, { "p2y", "130" },
        { "currentPos", "40" }, { "currentPosH", "650" }, { "cursors", "400 250 90" },
        { "ml", "120" }, { "nl", "-30" }, { "m48v", "1" }, { "en48v", "1" },
        { "mute", "0" }, { "bypass", "0" }, { "master", "-6" }, { "anaAes", "1" },
        { "clockSource", "3" }, { "sampleClock", "192k" }, { "stereoFormat", "2" }, { "with", "3" }, { "amptitude", "4" },
        { "mutes", "0101" }, { "freqs", "150 1200 6000" }, { "levels", "-1 3 -20 0" },
        { "note", "golden & <hand-made>" }, { "knobs", "100 20 30 40 50 10" }, { "band", "4" }, { "compressorOff", "0" },
    };
    EXPECT_EQ (stateOf (content), expected);

    // Cache files: "//lmt" and the spectra are rewritten, nothing else is.
    EXPECT_EQ (fileWords (CacheFiles::path (CacheFiles::lmt)),
               (Words { 50463036, 134678086, 218893136, 673059940, 16844036, 2569, 16846606, 2610 }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (1)), (Words { 1, 1400, 0x3F800000u, 0xBF800000u }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (11)), (Words { 11, 1400, 5 }));
    EXPECT_TRUE (juce::File (CacheFiles::spectrumPath (12)).existsAsFile());
    EXPECT_EQ (juce::File (CacheFiles::spectrumPath (12)).getSize(), 0);
    for (const auto* name : { CacheFiles::reg, CacheFiles::cross, CacheFiles::amplitude, CacheFiles::psdL, CacheFiles::psdR })
        EXPECT_FALSE (juce::File (CacheFiles::path (name)).exists()) << name;

    // What the unit gets during the load.
    const auto described = describeAll (during);
    ASSERT_EQ (described.size(), 10u + 1 + 3 * 8 + 305 + 1);
    EXPECT_THAT (std::vector<std::string> (described.begin(), described.begin() + 11), ElementsAre (
        "MT 5 0", "CR 1", "MD 83", "MU 0", "OP 1", "MT 1 0", "MT 2 1", "MT 3 0", "MT 4 1",
        "LM " + std::to_string (3 * 65536 + 6 * 256 + 0), "MN 1"));
    EXPECT_EQ (described.back(), "SA");

    const auto blob = [&] (std::size_t i)
    {
        const auto message = decodeWithLiblo (during.at (i));
        const auto& b = message->args.at (0).blob;
        Words w (b.size() / 4);
        for (std::size_t k = 0; k < w.size(); ++k)
            w[k] = CacheFiles::wordFromBytes (b.data() + 4 * k);
        return w;
    };
    const std::size_t device = 11 + 24;
    EXPECT_EQ (blob (11), (Words { 170, 1, 1400 }));
    EXPECT_EQ (blob (12)[0], 0x3F800000u);
    EXPECT_EQ (blob (12)[2], 0u);
    EXPECT_EQ (blob (device + 1), (Words { 0x3F800000u, 0xBF800000u, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 13 }));
    EXPECT_EQ (blob (device + 4).front(), 100u);
    EXPECT_EQ (blob (device + 4).back(), (std::uint32_t) -100);
    EXPECT_EQ (blob (device + 38).back(), 8191u);
    EXPECT_EQ (blob (device + 172), (Words { 0, 0, (std::uint32_t) -7 }));
    EXPECT_EQ (blob (device + 175)[1], 8u);
}

TEST_F (ParameterFiles, ASaveOfAFixedStateMatchesTheGoldenFile)
{
    writeWords (CacheFiles::path (CacheFiles::reg), { 0x3F800000u, 0xBF800000u });          // 8 bytes of 56
    writeWords (CacheFiles::path (CacheFiles::lmt), { 50463036, 134678086, 218893136, 673059940, 16844036, 2569, 16846606, 2610 });
    writeWords (CacheFiles::spectrumPath (1), { 1, 2, 0x3F800000u, 0 });
    writeWords (CacheFiles::spectrumPath (2), { 2, 2, 5, 6 });                             // point 2 was not measured
    writeWords (CacheFiles::spectrumPath (11), { 11, 1, 0x80000000u });
    writeWords (CacheFiles::path (CacheFiles::psdL), { 7, 8, 9 });

    ParameterDocument::PanelSettings s;
    s.circles = { { 88, 100 }, { 300, 60 } };
    s.p1x = 5;     s.p1y = 110;
    s.p2x = 688;   s.p2y = 130;
    s.currentPos = 40;
    s.currentPosH = 650;
    s.ml = 120;    s.nl = -30;
    s.m48v = true; s.en48v = true;
    s.mute = false; s.bypass = true;
    s.masterValue = -6;
    s.anaAes = 1;  s.clockSource = 3;
    s.sampleClock = "192k";
    s.stereoFormat = 2; s.with = 3; s.amptitude = 4;
    s.red = 400;   s.green = 250; s.blue = 90;
    s.bandMutes = { false, true, false, true };
    s.freqs = { 150, 1200, 6000 };
    s.levels = { -1, 3, -20, 0 };
    s.maxNum = 1;
    s.textNote = "golden & <hand-made> \"note\"";
    s.lmt = { 100, 20, 30, 40, 50, 10 };
    s.comid = 4;
    s.lmtbypass = false;

    ParameterDocument::appendChildren (allValue, ParameterDocument::makePanelElements (s));
    const auto file = dir.getChildFile ("fixed.parameter");
    ASSERT_TRUE (ParameterDocument::finishSave (allValue, file, s.maxNum).wasOk());

    juce::MemoryBlock saved, golden;
    ASSERT_TRUE (file.loadFileAsData (saved));
    ASSERT_TRUE (fixture ("golden-save.parameter").loadFileAsData (golden));
    EXPECT_EQ (saved.toString(), golden.toString());
    EXPECT_TRUE (saved == golden);
}

TEST_F (ParameterFiles, FilesThatCannotBeLoadedAreReportedAndChangeNothing)
{
    MainContentComponent content;
    content.getCenter().getCurveEditor().addPoint ({ 150, 70 });
    content.getLeft().setMlValue (140.0f);
    pump (20);
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());
    sendCommand.setCurrentIpAddr ("127.0.0.1");
    RecordedWarnings warnings;
    const auto before = stateOf (content);

    auto missing = dir.getChildFile ("missing.parameter");
    auto broken = dir.getChildFile ("broken.parameter");
    ASSERT_TRUE (broken.replaceWithText ("<allValue><micGain ml=\"100\"/><circle0 x=\"1\" y=\"2\"/>"));

    content.getTop().OpenPara (missing);
    content.getTop().OpenPara (broken);
    pump (20);

    ASSERT_EQ (warnings.shown.size(), 2u);
    EXPECT_EQ (warnings.shown[0], "Failed to open file...|There was an error while trying to load the file: \n"
                                      + missing.getFullPathName().toStdString() + "\n\nThe file doesn't exist");
    EXPECT_THAT (warnings.shown[1], ::testing::StartsWith ("Failed to open file...|There was an error while trying to load the file: \n"
                                                           + broken.getFullPathName().toStdString() + "\n\nThe file is not well-formed XML"));
    EXPECT_EQ (stateOf (content), before);
    EXPECT_TRUE (unit.drain (10).empty());
}

TEST_F (ParameterFiles, TheDefaultFile)
{
    MainContentComponent content;
    pump (20);
    auto& top = content.getTop();

    // Saving to it is not offered: nothing is collected or written.
    EXPECT_EQ (top.SaveParaFile (true), 2);
    EXPECT_EQ (allValue.getNumChildElements(), 0);
    EXPECT_FALSE (CacheFiles::getCacheDirectory().getChildFile ("default.xml").exists());

    EXPECT_EQ (top.OpenParaFile (true), 2);

    ASSERT_TRUE (CacheFiles::getCacheDirectory().getChildFile ("default.xml")
                     .replaceWithText ("<allValue><micGain ml=\"130\"/><textNote textNote=\"default\"/></allValue>"));
    EXPECT_EQ (top.OpenParaFile (true), 1);
    pump (20);
    EXPECT_EQ (LeftComponent::getMlValue(), 130.0f);
    EXPECT_EQ (content.getBottomMeasure().getTextNote()->getText(), "default");
}

TEST_F (ParameterFiles, ADocumentWithOnlyAFewElements)
{
    MainContentComponent content;
    content.getLeft().setMlValue (190.0f);
    pump (20);
    UdpCapture unit (Command::commandPort);
    ASSERT_TRUE (unit.isOpen());
    sendCommand.setCurrentIpAddr ("127.0.0.1");

    struct NoteListener : juce::TextEditor::Listener
    {
        int changes = 0;
        void textEditorTextChanged (juce::TextEditor&) override { ++changes; }
    } noteListener;
    auto& note = *content.getBottomMeasure().getTextNote();
    note.addListener (&noteListener);

    writeWords (CacheFiles::spectrumPath (11), { 11, 1400, 3 });

    auto file = dir.getChildFile ("few.parameter");
    ASSERT_TRUE (file.replaceWithText (R"(<allValue><micGain ml="100"/><circle0 x="2" y="50"/><textNote textNote="quiet"/></allValue>)"));
    content.getTop().OpenPara (file);
    const auto during = describeAll (unit.drain (10));
    pump (50);
    const auto after = describeAll (unit.drain (10));
    note.removeListener (&noteListener);

    // "MN 0", the two stereo uploads, no device data; the mic gain after the load.
    ASSERT_EQ (during.size(), 1u + 2 * 8);
    EXPECT_EQ (during.front(), "MN 0");
    EXPECT_EQ (during.back(), "blob 4");
    EXPECT_THAT (after, ElementsAre ("ML 100"));
    EXPECT_EQ (LeftComponent::getMlValue(), 100.0f);

    // The spectrum file of 11 is truncated and rewritten from the (absent) elements.
    EXPECT_TRUE (juce::File (CacheFiles::spectrumPath (11)).existsAsFile());
    EXPECT_EQ (juce::File (CacheFiles::spectrumPath (11)).getSize(), 0);

    // A point left of where dragging would delete it stays in the list.
    EXPECT_EQ (content.getCenter().getCurveEditor().getPointTopLefts(), (std::vector<juce::Point<int>> { { 2, 50 } }));

    // The note is set without the editor's change notification.
    EXPECT_EQ (note.getText(), "quiet");
    EXPECT_EQ (noteListener.changes, 0);
}
