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
            return describeAll (unit.drain (20));
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
    {
        many.push_back (std::make_unique<juce::XmlElement> ("e"));
        many.back()->setAttribute ("i", i);
    }
    appendChildren (root, std::move (many));

    int count = 0;
    bool inOrder = true;
    for (auto* e : root.getChildIterator())
    {
        if (count == 0)
            EXPECT_EQ (e->getTagName(), "first");
        else
            inOrder = inOrder && e->getIntAttribute ("i", -1) == count - 1;
        ++count;
    }
    EXPECT_EQ (count, 100001);
    EXPECT_TRUE (inOrder);
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

//==============================================================================
namespace
{
    // The words of every blob that reached the unit, one vector per block.
    std::vector<std::vector<std::uint32_t>> blobWords (const std::vector<std::vector<std::uint8_t>>& datagrams)
    {
        std::vector<std::vector<std::uint32_t>> out;
        for (const auto& d : datagrams)
            if (auto m = decodeWithLiblo (d); m && m->code().empty() && ! m->args.empty())
            {
                const auto& blob = m->args.front().blob;
                std::vector<std::uint32_t> words (blob.size() / 4);
                for (std::size_t i = 0; i < words.size(); ++i)
                    words[i] = CacheFiles::wordFromBytes (blob.data() + 4 * i);
                out.push_back (std::move (words));
            }
        return out;
    }

    class ParameterLoadCases : public ParameterLoad
    {
    protected:
        std::vector<std::vector<std::uint8_t>> loadRaw (const juce::String& text)
        {
            const auto root = juce::XmlDocument::parse (text);
            EXPECT_NE (root, nullptr);
            load (*root, target, command);
            return unit.drain (10);
        }

        // The calls a document makes besides the ones every load makes.
        std::vector<std::string> ownCalls (const juce::String& children)
        {
            target.calls.clear();
            loadRaw ("<allValue>" + children + "</allValue>");
            std::vector<std::string> own;
            for (const auto& c : target.calls)
                if (c != "clear" && c != "notPrepared" && c.rfind ("wake", 0) != 0 && c != "repaint")
                    own.push_back (c);
            return own;
        }
    };
}

TEST_F (ParameterLoadCases, MissingAttributesReadAsZeroFalseOrEmpty)
{
    // Under a root of any name; unknown elements are ignored.
    target.calls.clear();
    loadRaw (R"(<whatever>
        <micGain/><signal/><m48v/><en48v/><muteStatus/><bypassStatus/><masterValue/><anaAes/>
        <clockSource/><sampleClock/><stereoFormat/><with/><amptitude/><red/><green/><blue/>
        <m1mute/><m4mute/><freq1/><freq3/><level1/><level7/><textNote/><maxNum/>
        <lmt1/><lmt4/><comid/><lmtbypass/><p1/><p2/><currentPos/><currentPosH/><circle3/>
        <level2 level2="5"/><freq4 freq4="5"/><lmt7 lmt7="5"/><m5mute m5mute="1"/><micgain ml="5"/>
    </whatever>)");

    EXPECT_THAT (target.calls, ElementsAre (
        "clear", "ml 0", "nl 0", "m48v 0", "en48v 0", "mute 0", "bypass 0", "master 0", "anaAes 0",
        "cs 0", "sl ", "sf 0", "sub 0", "filter 0", "cursor r 0", "cursor g 0", "cursor b 0",
        "bandMute 1 0", "bandMute 4 0", "freq1 0", "freq3 0", "level1 0", "level7 0", "note ",
        "lmt1 0", "lmt4 0", "comid 0", "lmtbypass 0", "p1y 0", "p2y 0", "currentPos 0", "currentPosH 0", "point 0,0",
        "notPrepared", "wake 0", "wake 12", "repaint"));
}

TEST_F (ParameterLoadCases, NumbersAndFlagsAsTheyAreRead)
{
    struct Case { const char* element; const char* call; };
    const Case cases[] = {
        // "p1x"/"p2x" are not read; y is truncated; a foreign number stays on screen.
        { R"(<p1 p1x="999" p1y="12.9"/>)",          "p1y 12" },
        { R"(<p2 p2x="999" p2y="-3.5"/>)",          "p2y -3" },
        { R"(<p1 p1y="abc"/>)",                     "p1y 0" },
        { R"(<p1 p1y="1e300"/>)",                   "p1y 1000000" },
        { R"(<currentPos currentPos="123.5"/>)",    "currentPos 123.5" },
        // "as int" takes the integer part.
        { R"(<micGain ml="150.7"/>)",               "ml 150" },
        { R"(<signal nl="-20.7"/>)",                "nl -20" },
        { R"(<masterValue masterValue="-6.0"/>)",   "master -6" },
        { R"(<lmt3 lmt3="7.9"/>)",                  "lmt3 7" },
        { R"(<freq2 freq2="99999999999"/>)",        "freq2 2147483647" },
        { R"(<lmt5 lmt5="99999999999"/>)",          "lmt5 1e+06" },
        { R"(<circle0 x="-99999999" y="7.5"/>)",    "point -1000000,7" },
        // Band levels are read as double.
        { R"(<level3 level3="-2.5"/>)",             "level3 -2.5" },
        // Flags: what the framework's bool reader accepts.
        { R"(<m2mute m2mute="1"/>)",                "bandMute 2 1" },
        { R"(<m2mute m2mute="true"/>)",             "bandMute 2 1" },
        { R"(<m2mute m2mute="yes"/>)",              "bandMute 2 1" },
        { R"(<m2mute m2mute="0"/>)",                "bandMute 2 0" },
        { R"(<m2mute m2mute="false"/>)",            "bandMute 2 0" },
        { R"(<lmtbypass lmtbypass="2"/>)",          "lmtbypass 0" },
        // Text as it is.
        { R"(<textNote textNote="a &amp; b &lt;c&gt;"/>)", "note a & b <c>" },
        { R"(<sampleClock sampleClock=" 48k "/>)",  "sl  48k " },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.element);
        EXPECT_THAT (ownCalls (c.element), ElementsAre (c.call));
    }
}

TEST_F (ParameterLoadCases, EveryTagContainingCircleIsAPoint)
{
    struct Case { const char* tag; bool isPoint; };
    const Case cases[] = {
        { "circle0", true }, { "circle17", true }, { "circle", true }, { "xcirclex", true }, { "mycircle_9", true },
        { "Circle1", false }, { "circl1", false }, { "cercle1", false }, { "point1", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.tag);
        const auto element = juce::String ("<") + c.tag + " x=\"30\" y=\"40\"/>";
        const auto calls = ownCalls (element);
        if (c.isPoint)
            EXPECT_THAT (calls, ElementsAre ("point 30,40"));
        else
            EXPECT_TRUE (calls.empty());
    }
}

TEST_F (ParameterLoadCases, StereoSpectraNeverCountAsPointOne)
{
    const auto sent = blobWords (loadRaw (R"(<allValue>
        <maxNum maxNum="1"/>
        <fft10 fftValue="1"/><fft11 fftValue="1400"/><fft12 fftValue="5"/>
        <lrfft110 fftValue="11"/><lrfft111 fftValue="1400"/><lrfft112 fftValue="7"/>
        <lrfft120 fftValue="12"/><lrfft121 fftValue="1400"/><lrfft122 fftValue="9"/><lrfft12201 fftValue="3"/>
    </allValue>)"));

    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (1)), (std::vector<std::uint32_t> { 1, 1400, 5 }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (11)), (std::vector<std::uint32_t> { 11, 1400, 7 }));
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (12)), (std::vector<std::uint32_t> { 12, 1400, 9, 3 }));

    // Three uploads of 8 blocks: header, 1400 values from position 2, end word.
    ASSERT_EQ (sent.size(), 24u);
    for (std::size_t u = 0; u < 3; ++u)
    {
        const std::uint32_t number[] = { 1, 11, 12 };
        const std::uint32_t firstValue[] = { 5, 7, 9 };
        EXPECT_EQ (sent[8 * u], (std::vector<std::uint32_t> { 170, number[u], 1400 }));
        EXPECT_EQ (sent[8 * u + 1].size(), 256u);
        EXPECT_EQ (sent[8 * u + 1][0], firstValue[u]);
        EXPECT_EQ (sent[8 * u + 7], std::vector<std::uint32_t> { 187 });
    }
    // The one spectrum table starts afresh for every group: position 201 of 12
    // is there, nothing of 11 is left in 12's upload.
    EXPECT_EQ (sent[17][199], 3u);
    EXPECT_EQ (sent[9][199], 0u);
}

TEST_F (ParameterLoadCases, LmtFileIsWrittenOnlyAtPositionSeven)
{
    const std::uint32_t before[] = { 9, 9, 9, 9, 9, 9, 9, 9 };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::path (CacheFiles::lmt), before, 8));

    // Without lmtt7 the file stays as it was, and the words still go to the unit.
    const auto sent = blobWords (loadRaw (R"(<allValue><lmtt0 lmtPara="1"/><lmtt6 lmtPara="7"/></allValue>)"));
    EXPECT_EQ (fileWords (CacheFiles::path (CacheFiles::lmt)), std::vector<std::uint32_t> (before, before + 8));
    ASSERT_EQ (sent.size(), 16u + 305u);
    EXPECT_EQ (sent[16 + 40], std::vector<std::uint32_t> { 153 });
    EXPECT_EQ (sent[16 + 41], (std::vector<std::uint32_t> { 1, 0, 0, 0, 0, 0, 7, 0 }));

    // With it, the file gets the words met up to then; later ones only go to the unit.
    const auto sent2 = blobWords (loadRaw (R"(<allValue><lmtt2 lmtPara="-1"/><lmtt7 lmtPara="4"/><lmtt3 lmtPara="5"/></allValue>)"));
    EXPECT_EQ (fileWords (CacheFiles::path (CacheFiles::lmt)), (std::vector<std::uint32_t> { 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 4 }));
    ASSERT_EQ (sent2.size(), 16u + 305u);
    EXPECT_EQ (sent2[16 + 41], (std::vector<std::uint32_t> { 0, 0, 0xFFFFFFFFu, 5, 0, 0, 0, 4 }));
}

TEST_F (ParameterLoadCases, WordsAreSignedDecimalIntegers)
{
    struct Case { const char* text; std::uint32_t word; };
    const Case cases[] = {
        { "1065353216", 0x3F800000u },    // 1.0f
        { "-1082130432", 0xBF800000u },   // -1.0f
        { "-2147483648", 0x80000000u },   // -0.0f
        { "2147483647", 0x7FFFFFFFu },
        { "-1", 0xFFFFFFFFu },
        { "4294967295", 0xFFFFFFFFu },    // a foreign unsigned form: the same bits
        { "12.7", 12u },
        { "", 0u },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        const auto sent = blobWords (loadRaw (juce::String ("<allValue><reg5 regValue=\"") + c.text + "\"/></allValue>"));
        ASSERT_EQ (sent.size(), 16u + 305u);
        EXPECT_EQ (sent[16 + 1][5], c.word);
    }
}

TEST_F (ParameterLoadCases, ForeignPointCountsAreNotUsed)
{
    struct Case { const char* elements; const char* mn; int lastSpectrumFile; };
    const Case cases[] = {
        { R"(<maxNum maxNum="12"/>)",                       "MN 0", 0 },
        { R"(<maxNum maxNum="-1"/>)",                       "MN 0", 0 },
        { R"(<maxNum maxNum="99999999999"/>)",              "MN 0", 0 },
        { R"(<maxNum maxNum="9"/>)",                        "MN 9", 9 },
        { R"(<maxNum maxNum="3"/><maxNum maxNum="12"/>)",   "MN 3", 3 },
        { R"(<maxNum maxNum="3"/><maxNum maxNum="5"/>)",    "MN 5", 5 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.elements);
        for (int n = 1; n <= 12; ++n)
            juce::File (CacheFiles::spectrumPath (n)).deleteFile();

        const auto sent = describeAll (loadRaw (juce::String ("<allValue>") + c.elements + "</allValue>"));
        ASSERT_FALSE (sent.empty());
        EXPECT_EQ (sent.front(), c.mn);
        EXPECT_EQ (sent.size(), 1u + 8u * (std::size_t) (c.lastSpectrumFile + 2));

        for (int n = 1; n <= 10; ++n)
            EXPECT_EQ (juce::File (CacheFiles::spectrumPath (n)).existsAsFile(), n <= c.lastSpectrumFile) << n;
    }
}

TEST_F (ParameterLoadCases, PositionsOutsideTheTablesAreNotStored)
{
    // None of these is a position of its table: no device data, no "SA".
    const auto sent = describeAll (loadRaw (R"(<allValue>
        <maxNum maxNum="1"/>
        <reg14 regValue="1"/><cross216 crossValue="1"/><cross-1 crossValue="1"/><amp8192 ampValue="1"/>
        <lmtt8 lmtPara="1"/><psdl32772 psdlValue="1"/><psdr99999999999 psdrValue="1"/><reg4294967296 regValue="1"/>
        <fft10 fftValue="1"/><fft18192 fftValue="5"/><fft1-2 fftValue="6"/><fft11 fftValue="1400"/>
    </allValue>)"));

    EXPECT_EQ (sent.size(), 1u + 3 * 8);
    EXPECT_NE (sent.back(), "SA");
    EXPECT_EQ (fileWords (CacheFiles::spectrumPath (1)), (std::vector<std::uint32_t> { 1, 1400 }));

    // The last positions of the tables are in.
    const auto sent2 = blobWords (loadRaw (R"(<allValue>
        <reg13 regValue="1"/><cross215 crossValue="2"/><amp8191 ampValue="3"/><lmtt7 lmtPara="4"/>
        <psdl32770 psdlValue="5"/><psdr32768 psdrValue="6"/>
    </allValue>)"));
    ASSERT_EQ (sent2.size(), 16u + 305u);
    const auto& device = std::vector<std::vector<std::uint32_t>> (sent2.begin() + 16, sent2.end());
    EXPECT_EQ (device[1].back(), 1u);
    EXPECT_EQ (device[4].back(), 2u);
    EXPECT_EQ (device[38].back(), 3u);
    EXPECT_EQ (device[41].back(), 4u);
    EXPECT_EQ (device[172], (std::vector<std::uint32_t> { 0, 0, 5 }));
    EXPECT_EQ (device[303], (std::vector<std::uint32_t> { 6, 0, 0 }));
}

TEST_F (ParameterLoadCases, FilesThatCannotBeLoadedChangeNothing)
{
    const std::uint32_t spectrum[] = { 11, 2, 3, 4 };
    ASSERT_TRUE (CacheFiles::writeWords (CacheFiles::spectrumPath (11), spectrum, 4));
    const auto dir = CacheFiles::getCacheDirectory();

    struct Case { const char* name; const char* text; const char* reason; };
    const Case cases[] = {
        { "missing.parameter", nullptr, "The file doesn't exist" },
        { "broken.parameter", "<allValue><micGain ml=\"100\"></allValue>", "The file is not well-formed XML" },
        { "empty.parameter", "", "The file is not well-formed XML" },
        { "doctype.parameter", "<!DOCTYPE a [<!ENTITY e \"x\">]><allValue><micGain ml=\"100\"/></allValue>",
          "The file holds a document type declaration" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto file = dir.getChildFile (c.name);
        if (c.text != nullptr)
            ASSERT_TRUE (file.replaceWithText (c.text));

        target.calls.clear();
        const auto result = loadFile (file, target, command);

        ASSERT_TRUE (result.failed());
        EXPECT_THAT (result.getErrorMessage().toStdString(),
                     ::testing::StartsWith ("There was an error while trying to load the file: \n"
                                            + file.getFullPathName().toStdString() + "\n\n" + c.reason));
        EXPECT_TRUE (target.calls.empty());
        EXPECT_TRUE (unit.drain (20).empty());
        EXPECT_EQ (fileWords (CacheFiles::spectrumPath (11)), std::vector<std::uint32_t> (spectrum, spectrum + 4));
    }

    // The missing file's message is exactly the alert's.
    const auto missing = dir.getChildFile ("missing.parameter");
    EXPECT_EQ (loadFile (missing, target, command).getErrorMessage(),
               "There was an error while trying to load the file: \n" + missing.getFullPathName() + "\n\nThe file doesn't exist");
    EXPECT_EQ (loadFailedTitle(), "Failed to open file...");
}
