#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/CacheFiles.h"
#include "link/Command.h"
#include "panels/ParameterDocument.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

using namespace ParameterDocument;
using ::testing::ElementsAre;

namespace
{
    std::vector<std::string> tagsOf (const juce::XmlElement& root)
    {
        std::vector<std::string> tags;
        for (auto* e : root.getChildIterator())
            tags.push_back (e->getTagName().toStdString());
        return tags;
    }

    std::unique_ptr<juce::XmlElement> parse (const char* text)
    {
        return juce::XmlDocument::parse (juce::String (text));
    }

    // Records what a load asks of the panels, as readable lines.
    struct RecordingTarget : LoadTarget
    {
        std::vector<std::string> calls;
        void log (const juce::String& s) { calls.push_back (s.toStdString()); }

        void clearCurvePoints() override                     { log ("clear"); }
        void addCurvePoint (int x, int y) override           { log ("point " + juce::String (x) + "," + juce::String (y)); }
        void setEndPointLevel (int w, int y) override        { log ("p" + juce::String (w) + "y " + juce::String (y)); }
        void setCurrentPos (float v) override                { log ("currentPos " + juce::String (v)); }
        void setCurrentPosH (float v) override               { log ("currentPosH " + juce::String (v)); }
        void setCursor (char c, int p) override              { log (juce::String ("cursor ") + c + " " + juce::String (p)); }
        void setMlValue (float v) override                   { log ("ml " + juce::String (v)); }
        void setNlValue (float v) override                   { log ("nl " + juce::String (v)); }
        void setM48v (bool b) override                       { log ("m48v " + juce::String ((int) b)); }
        void setEnable48vState (bool b) override             { log ("en48v " + juce::String ((int) b)); }
        void setMuteStatus1 (bool b) override                { log ("mute " + juce::String ((int) b)); }
        void setByPassStatus (bool b) override               { log ("bypass " + juce::String ((int) b)); }
        void setMasterSliderValue (float v) override         { log ("master " + juce::String (v)); }
        void setAnalogComboValue (int v) override            { log ("anaAes " + juce::String (v)); }
        void setComboCSValue (int v) override                { log ("cs " + juce::String (v)); }
        void setLabelSL (const juce::String& s) override     { log ("sl " + s); }
        void setComboSFValue (int v) override                { log ("sf " + juce::String (v)); }
        void setComboSubValue (int v) override               { log ("sub " + juce::String (v)); }
        void setComboFilterValue (int v) override            { log ("filter " + juce::String (v)); }
        void setBandMute (int b, bool m) override            { log ("bandMute " + juce::String (b) + " " + juce::String ((int) m)); }
        void setFreq (int w, int v) override                 { log ("freq" + juce::String (w) + " " + juce::String (v)); }
        void setBandLevel (int b, float v) override          { log ("level" + juce::String (b) + " " + juce::String (v)); }
        void setTextNote (const juce::String& s) override    { log ("note " + s); }
        void setLmtValue (int w, float v) override           { log ("lmt" + juce::String (w) + " " + juce::String (v)); }
        void setComboLmtValue (int v) override               { log ("comid " + juce::String (v)); }
        void setLmtBypass (bool b) override                  { log ("lmtbypass " + juce::String ((int) b)); }
        void setResponseNotPrepared() override               { log ("notPrepared"); }
        void wakeResponseView (int m) override               { log ("wake " + juce::String (m)); }
        void repaintViews() override                         { log ("repaint"); }
    };

    class ParameterLoad : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            CacheFiles::getCacheDirectory().deleteRecursively();
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            ASSERT_TRUE (unit.isOpen());
            command.setCurrentIpAddr ("127.0.0.1");
        }

        std::vector<std::string> loadText (const char* text)
        {
            const auto root = parse (text);
            EXPECT_NE (root, nullptr);
            load (*root, target, command);
            return describeAll (unit.drain (100));
        }

        UdpCapture unit { Command::commandPort };
        Command command;
        RecordingTarget target;
    };

    std::vector<std::uint32_t> fileWords (const juce::String& path)
    {
        return CacheFiles::readAllWords (path).value_or (std::vector<std::uint32_t> {});
    }
}

TEST (ParameterSave, PanelElementsInTheirOrderWithTheirAttributes)
{
    PanelSettings s;
    s.circles = { { 100, 50 }, { 200, 60 } };
    s.p1y = 120;
    s.ml = 150;
    s.m48v = true;
    s.sampleClock = "48k Hz";
    s.levels = { -1.5, 0, -3, -40 };
    s.textNote = "hall & stage";
    s.lmt = { 1, 2, 3, 4, 5, 6 };

    juce::XmlElement root ("allValue");
    appendChildren (root, makePanelElements (s));

    EXPECT_THAT (tagsOf (root), ElementsAre (
        "circle0", "circle1", "p1", "p2", "currentPos", "currentPosH", "micGain", "signal", "m48v", "en48v",
        "muteStatus", "bypassStatus", "masterValue", "anaAes", "clockSource", "sampleClock", "stereoFormat", "with",
        "amptitude", "red", "green", "blue", "m1mute", "m2mute", "m3mute", "m4mute", "freq1", "freq2", "freq3",
        "level1", "level3", "level5", "level7", "maxNum", "textNote", "lmt1", "lmt2", "lmt3", "lmt4", "lmt5", "lmt6",
        "comid", "lmtbypass"));

    EXPECT_EQ (root.getChildByName ("circle1")->getIntAttribute ("x"), 200);
    EXPECT_EQ (root.getChildByName ("p1")->getIntAttribute ("p1y"), 120);
    EXPECT_EQ (root.getChildByName ("micGain")->getStringAttribute ("ml"), "150.0");
    EXPECT_EQ (root.getChildByName ("m48v")->getStringAttribute ("m48vValue"), "1");
    EXPECT_EQ (root.getChildByName ("level1")->getStringAttribute ("level1"), "-1.5");
    EXPECT_EQ (root.getChildByName ("sampleClock")->getStringAttribute ("sampleClock"), "48k Hz");
    EXPECT_EQ (root.getChildByName ("textNote")->getStringAttribute ("textNote"), "hall & stage");
}

TEST (ParameterSave, AppendingKeepsOrderAndIsLinear)
{
    juce::XmlElement root ("allValue");
    root.addChildElement (new juce::XmlElement ("first"));

    std::vector<std::unique_ptr<juce::XmlElement>> many;
    for (int i = 0; i < 100000; ++i)
        many.push_back (std::make_unique<juce::XmlElement> ("e" + juce::String (i)));
    appendChildren (root, std::move (many));

    int count = 0;
    juce::String last;
    for (auto* e : root.getChildIterator())
    {
        if (count == 0) EXPECT_EQ (e->getTagName(), "first");
        if (count == 1) EXPECT_EQ (e->getTagName(), "e0");
        last = e->getTagName();
        ++count;
    }
    EXPECT_EQ (count, 100001);
    EXPECT_EQ (last, "e99999");
}

TEST (ParameterSave, DeviceDataFromTheCacheFiles)
{
    CacheFiles::getCacheDirectory().deleteRecursively();
    ASSERT_TRUE (CacheFiles::ensureCacheDirectory());

    std::vector<double> progress;
    const auto record = [&] (double p) { progress.push_back (p); };

    // No cache files: no elements.
    EXPECT_TRUE (makeDeviceDataElements (5, record).empty());

    const std::uint32_t reg[] = { 0x3F800000u, 0xBF800000u };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::reg), reg, 2));
    for (int k : { 1, 2, 3, 11, 12 })
    {
        const std::uint32_t words[] = { (std::uint32_t) k, 2, 7, 8 };
        ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::spectrumPath (k), words, 4));
    }
    std::vector<std::uint32_t> psd (9, 5);
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::psdL), psd.data(), psd.size()));

    progress.clear();
    juce::XmlElement root ("allValue");
    appendChildren (root, makeDeviceDataElements (2, record));

    const auto tags = tagsOf (root);
    ASSERT_EQ (tags.size(), 14u + 4 * 4 + 9);
    EXPECT_EQ (tags[0], "reg0");
    EXPECT_EQ (tags[13], "reg13");
    EXPECT_EQ (tags[14], "fft10");
    EXPECT_EQ (tags[18], "fft20");
    EXPECT_EQ (tags[22], "lrfft110");
    EXPECT_EQ (tags[26], "lrfft120");
    EXPECT_EQ (tags[29], "lrfft123");
    EXPECT_EQ (tags[30], "psdl0");
    EXPECT_EQ (root.getChildByName ("reg0")->getStringAttribute ("regValue"), "1065353216");
    EXPECT_EQ (root.getChildByName ("reg1")->getStringAttribute ("regValue"), "-1082130432");
    EXPECT_EQ (root.getChildByName ("reg2")->getIntAttribute ("regValue", -1), 0);
    EXPECT_EQ (root.getChildByName ("fft13")->getIntAttribute ("fftValue"), 8);
    EXPECT_EQ (root.getChildByName ("fft30"), nullptr);

    // A 36-byte power spectrum: 0.5 before word 3, 0.6 before word 6.
    EXPECT_THAT (progress, ElementsAre (0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7));
}

TEST (ParameterUpload, BlockFraming)
{
    std::vector<std::uint32_t> table (8192);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = (std::uint32_t) i;

    const auto blocks = spectrumUploadBlocks (3, table);
    ASSERT_EQ (blocks.size(), 8u);
    EXPECT_EQ (blocks[0].getSize(), 12u);
    EXPECT_EQ (CacheFiles::wordFromBytes (static_cast<const std::uint8_t*> (blocks[0].getData()) + 4), 3u);
    EXPECT_EQ (CacheFiles::wordFromBytes (static_cast<const std::uint8_t*> (blocks[1].getData())), 2u);
    EXPECT_EQ (blocks[5].getSize(), 1024u);
    EXPECT_EQ (blocks[6].getSize(), 480u);
    EXPECT_EQ (CacheFiles::wordFromBytes (static_cast<const std::uint8_t*> (blocks[6].getData()) + 476), 1401u);
    EXPECT_EQ (CacheFiles::wordFromBytes (static_cast<const std::uint8_t*> (blocks[7].getData())), 187u);

    const auto device = deviceDataUploadBlocks (DeviceTables {});
    ASSERT_EQ (device.size(), 305u);
    const auto word = [&] (std::size_t i) { return CacheFiles::wordFromBytes (static_cast<const std::uint8_t*> (device[i].getData())); };
    EXPECT_EQ (word (0), 17u);
    EXPECT_EQ (device[1].getSize(), 56u);
    EXPECT_EQ (word (2), 85u);
    EXPECT_EQ (word (3), 34u);
    EXPECT_EQ (device[4].getSize(), 864u);
    EXPECT_EQ (word (6), 51u);
    EXPECT_EQ (word (39), 85u);
    EXPECT_EQ (word (40), 153u);
    EXPECT_EQ (word (43), 119u);
    EXPECT_EQ (device[44 + 128].getSize(), 12u);
    EXPECT_EQ (word (304), 85u);
}

TEST_F (ParameterLoad, OnlyMicGain)
{
    const auto sent = loadText ("<allValue><micGain ml=\"100\"/></allValue>");
    EXPECT_THAT (target.calls, ElementsAre ("clear", "ml 100", "notPrepared", "wake 0", "wake 12", "repaint"));

    // MN 0, then the two stereo spectrum uploads (8 blocks each), no device data, no SA.
    ASSERT_EQ (sent.size(), 17u);
    EXPECT_EQ (sent[0], "MN 0");
    EXPECT_EQ (sent[1], "blob 12");
    EXPECT_EQ (sent[16], "blob 4");
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (11)), std::vector<std::uint32_t> {});
    EXPECT_TRUE (juce::File (CacheFiles::spectrumPath (12)).existsAsFile());
}

TEST_F (ParameterLoad, CurveAndPanelValuesInDocumentOrder)
{
    loadText (R"(<allValue>
        <circle0 x="100" y="40"/><xcirclex x="5" y="6"/>
        <p1 p1x="999" p1y="12.9"/><p2 p2x="1" p2y="-3.5"/>
        <currentPos currentPos="300"/><currentPosH currentPosH="44"/>
        <red red="7"/><blue blue="9"/>
        <signal nl="-20.7"/><m48v m48vValue="1"/><muteStatus mute="true"/>
        <masterValue masterValue="-6.5"/><sampleClock sampleClock="96k Hz"/>
        <m3mute m3mute="1"/><freq2 freq2="1200"/><level5 level5="-2.5"/>
        <textNote textNote="stage left"/><lmt2 lmt2="4"/><lmt6 lmt6="3"/><comid comid="2"/><lmtbypass lmtbypass="0"/>
        <unknown value="1"/>
    </allValue>)");

    EXPECT_THAT (target.calls, ElementsAre (
        "clear", "point 100,40", "point 5,6", "p1y 12", "p2y -3", "currentPos 300", "currentPosH 44",
        "cursor r 7", "cursor b 9", "nl -20", "m48v 1", "mute 1", "master -6", "sl 96k Hz",
        "bandMute 3 1", "freq2 1200", "level5 -2.5", "note stage left", "lmt2 4", "lmt6 3", "comid 2", "lmtbypass 0",
        "notPrepared", "wake 0", "wake 12", "repaint"));
}

TEST_F (ParameterLoad, SpectraAreRewrittenAndUploaded)
{
    const auto sent = loadText (R"(<allValue>
        <maxNum maxNum="2"/>
        <fft10 fftValue="1"/><fft11 fftValue="1400"/><fft12 fftValue="42"/>
        <fft20 fftValue="2"/><fft21 fftValue="1400"/><fft2 fftValue="77"/>
        <lrfft110 fftValue="11"/><lrfft112 fftValue="-5"/>
    </allValue>)");

    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (1)), (std::vector<std::uint32_t> { 1, 1400, 42 }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (2)), (std::vector<std::uint32_t> { 2, 1400, 77 }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (11)), (std::vector<std::uint32_t> { 11, (std::uint32_t) -5 }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (12)), std::vector<std::uint32_t> {});
    EXPECT_THAT (target.calls, ::testing::Contains ("wake 2"));

    ASSERT_EQ (sent.size(), 1u + 4 * 8);
    EXPECT_EQ (sent[0], "MN 2");
}

TEST_F (ParameterLoad, DeviceDataTablesLmtFileAndUpload)
{
    const auto sent = loadText (R"(<allValue>
        <reg0 regValue="5"/><reg99 regValue="1"/><lmtt0 lmtPara="16909060"/><lmtt7 lmtPara="1"/><lmtt1 lmtPara="9"/>
        <psdl32771 psdlValue="3"/><psdr40000 psdrValue="3"/>
    </allValue>)");

    // "//lmt" is written when lmtt7 is met, with the words read up to then.
    EXPECT_EQ (fileWords (CacheFiles::path (CacheFiles::lmt)), (std::vector<std::uint32_t> { 16909060, 0, 0, 0, 0, 0, 0, 1 }));

    ASSERT_EQ (sent.size(), 1u + 2 * 8 + 305 + 1);
    EXPECT_EQ (sent.back(), "SA");
}

TEST_F (ParameterLoad, ForeignValuesOutsideTheTablesAreNotUsed)
{
    const auto sent = loadText (R"(<allValue><maxNum maxNum="12"/><reg14 regValue="1"/><cross-3 crossValue="1"/></allValue>)");
    EXPECT_EQ (sent.front(), "MN 0");
    EXPECT_NE (sent.back(), "SA");
    EXPECT_FALSE (juce::File (CacheFiles::path (CacheFiles::reg)).exists());
}
