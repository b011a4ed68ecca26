#include "panels/ParameterDocument.h"

#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "link/Command.h"

#include <cmath>
#include <limits>

namespace ParameterDocument
{

namespace
{
    using Elements = std::vector<std::unique_ptr<juce::XmlElement>>;

    enum class Action { load, save };

    juce::String describeFailure (Action action, const juce::File& file, const juce::String& reason)
    {
        const auto message = action == Action::load ? TRANS ("There was an error while trying to load the file: FLNM")
                                                    : TRANS ("There was an error while trying to save the file: FLNM");
        auto text = message.replace ("FLNM", "\n" + file.getFullPathName()) + "\n\n" + reason;

        if (action == Action::save)
            text << "\n\n" << TRANS ("The parameter file was not saved; a file of that name that existed before is unchanged.");

        return text;
    }

    template <typename Value>
    void add (Elements& out, const juce::String& tag, const juce::String& attribute, Value value)
    {
        auto e = std::make_unique<juce::XmlElement> (tag);
        e->setAttribute (attribute, value);
        out.push_back (std::move (e));
    }

    void addSame (Elements& out, const juce::String& tag, int value)           { add (out, tag, tag, value); }
    void addSame (Elements& out, const juce::String& tag, double value)        { add (out, tag, tag, value); }
    void addSame (Elements& out, const juce::String& tag, const juce::String& value) { add (out, tag, tag, value); }

    void addWords (Elements& out, const juce::String& prefix, const char* attribute,
                   const std::vector<std::uint32_t>& words, const std::function<void (std::size_t)>& beforeWord = {})
    {
        const juce::Identifier attr (attribute);
        for (std::size_t i = 0; i < words.size(); ++i)
        {
            if (beforeWord)
                beforeWord (i);
            auto e = std::make_unique<juce::XmlElement> (prefix + juce::String ((juce::int64) i));
            e->setAttribute (attr, (int) (std::int32_t) words[i]);
            out.push_back (std::move (e));
        }
    }

    void report (const Progress& progress, double value)
    {
        if (progress)
            progress (value);
    }

    void addFixedGroup (Elements& out, const char* file, int count, const char* prefix, const char* attribute)
    {
        if (const auto words = CacheFiles::readWords (CacheFiles::path (file), count))
            addWords (out, prefix, attribute, *words);
    }

    void addSpectrumGroup (Elements& out, int number, const juce::String& prefix)
    {
        if (const auto words = CacheFiles::readAllWords (CacheFiles::spectrumPath (number)))
            addWords (out, prefix + juce::String (number), "fftValue", *words);
    }

    void addPowerSpectrum (Elements& out, const char* file, const char* prefix, const char* attribute,
                           const Progress& progress, double first, double second)
    {
        const auto path = CacheFiles::path (file);
        const auto words = CacheFiles::readAllWords (path);
        if (! words || words->empty())
            return;

        const auto size = (std::size_t) juce::File (path).getSize();
        addWords (out, prefix, attribute, *words, [&] (std::size_t i)
        {
            if (i == size / 12) report (progress, first);
            if (i == size / 6)  report (progress, second);
        });
    }
}

Elements makePanelElements (const PanelSettings& s)
{
    Elements out;
    out.reserve (s.circles.size() + 48);

    for (std::size_t i = 0; i < s.circles.size(); ++i)
    {
        auto e = std::make_unique<juce::XmlElement> ("circle" + juce::String ((juce::int64) i));
        e->setAttribute ("x", s.circles[i].x);
        e->setAttribute ("y", s.circles[i].y);
        out.push_back (std::move (e));
    }

    auto p1 = std::make_unique<juce::XmlElement> ("p1");
    p1->setAttribute ("p1x", s.p1x);
    p1->setAttribute ("p1y", s.p1y);
    out.push_back (std::move (p1));

    auto p2 = std::make_unique<juce::XmlElement> ("p2");
    p2->setAttribute ("p2x", s.p2x);
    p2->setAttribute ("p2y", s.p2y);
    out.push_back (std::move (p2));

    addSame (out, "currentPos", s.currentPos);
    addSame (out, "currentPosH", s.currentPosH);
    add (out, "micGain", "ml", s.ml);
    add (out, "signal", "nl", s.nl);
    add (out, "m48v", "m48vValue", s.m48v ? 1 : 0);
    add (out, "en48v", "enable48v", s.en48v ? 1 : 0);
    add (out, "muteStatus", "mute", s.mute ? 1 : 0);
    add (out, "bypassStatus", "bypass", s.bypass ? 1 : 0);
    addSame (out, "masterValue", s.masterValue);
    addSame (out, "anaAes", s.anaAes);
    addSame (out, "clockSource", s.clockSource);
    addSame (out, "sampleClock", s.sampleClock);
    addSame (out, "stereoFormat", s.stereoFormat);
    addSame (out, "with", s.with);
    addSame (out, "amptitude", s.amptitude);
    addSame (out, "red", s.red);
    addSame (out, "green", s.green);
    addSame (out, "blue", s.blue);

    for (int i = 0; i < 4; ++i)
        addSame (out, "m" + juce::String (i + 1) + "mute", s.bandMutes[(size_t) i] ? 1 : 0);
    for (int i = 0; i < 3; ++i)
        addSame (out, "freq" + juce::String (i + 1), s.freqs[(size_t) i]);
    for (int i = 0; i < 4; ++i)
        addSame (out, "level" + juce::String (2 * i + 1), s.levels[(size_t) i]);

    addSame (out, "maxNum", s.maxNum);
    addSame (out, "textNote", s.textNote);
    for (int i = 0; i < 6; ++i)
        addSame (out, "lmt" + juce::String (i + 1), s.lmt[(size_t) i]);
    addSame (out, "comid", s.comid);
    addSame (out, "lmtbypass", s.lmtbypass ? 1 : 0);
    return out;
}

void appendChildren (juce::XmlElement& root, Elements elements)
{
    // Only prepending is constant-time, so the existing children are taken
    // out (the first child is found at once) and everything is prepended
    // from the back.
    Elements all;
    while (auto* first = root.getFirstChildElement())
    {
        root.removeChildElement (first, false);
        all.emplace_back (first);
    }

    all.reserve (all.size() + elements.size());
    for (auto& e : elements)
        all.push_back (std::move (e));

    for (auto it = all.rbegin(); it != all.rend(); ++it)
        root.prependChildElement (it->release());
}

Elements makeDeviceDataElements (int spectrumCount, const Progress& progress)
{
    Elements out;
    report (progress, 0.0);
    addFixedGroup (out, CacheFiles::reg, CacheFiles::regWords, "reg", "regValue");
    report (progress, 0.1);
    addFixedGroup (out, CacheFiles::cross, CacheFiles::crossWords, "cross", "crossValue");
    report (progress, 0.2);
    addFixedGroup (out, CacheFiles::amplitude, CacheFiles::amplitudeWords, "amp", "ampValue");
    addFixedGroup (out, CacheFiles::lmt, CacheFiles::lmtWords, "lmtt", "lmtPara");
    report (progress, 0.3);

    for (int k = 1; k <= juce::jmin (spectrumCount, maxPointCount); ++k)
        addSpectrumGroup (out, k, "fft");
    for (int k : { 11, 12 })
        addSpectrumGroup (out, k, "lrfft");
    report (progress, 0.4);

    addPowerSpectrum (out, CacheFiles::psdL, "psdl", "psdlValue", progress, 0.5, 0.6);
    report (progress, 0.7);
    addPowerSpectrum (out, CacheFiles::psdR, "psdr", "psdrValue", progress, 0.8, 0.9);
    return out;
}

juce::Result finishSave (juce::XmlElement& root, const juce::File& target, int spectrumCount, const Progress& progress)
{
    appendChildren (root, makeDeviceDataElements (spectrumCount, progress));

    const auto result = XmlFiles::writeDocumentSafely (root, target, XmlFiles::documentFormat());
    root.deleteAllChildElements();

    if (result.failed())
        return juce::Result::fail (describeFailure (Action::save, target, result.getErrorMessage()));

    return result;
}

juce::String loadFailedTitle() { return TRANS ("Failed to open file..."); }
juce::String saveFailedTitle() { return TRANS ("Failed to save file..."); }

//==============================================================================
namespace
{
    juce::MemoryBlock wordsBlock (const std::uint32_t* words, std::size_t count)
    {
        juce::MemoryBlock block (count * 4);
        auto* bytes = static_cast<std::uint8_t*> (block.getData());
        for (std::size_t i = 0; i < count; ++i)
            CacheFiles::wordToBytes (words[i], bytes + 4 * i);
        return block;
    }

    juce::MemoryBlock wordBlock (std::uint32_t word) { return wordsBlock (&word, 1); }

    void addChunks (std::vector<juce::MemoryBlock>& out, const std::vector<std::uint32_t>& table,
                    std::size_t from, std::size_t to, std::size_t chunk)
    {
        for (std::size_t start = from; start < to; start += chunk)
            out.push_back (wordsBlock (table.data() + start, juce::jmin (chunk, to - start)));
    }

    //==========================================================================
    // Attribute readers. A document from elsewhere may hold any text, so
    // numbers are range-checked before they become ints or floats.

    // "-2147483648" and "4294967295" both give the word 0x80000000 and
    // 0xFFFFFFFF: the text is read as a wide integer and its low 32 bits kept.
    std::uint32_t wordOf (const juce::XmlElement& e, const char* attribute)
    {
        return (std::uint32_t) (juce::uint64) e.getStringAttribute (attribute).getLargeIntValue();
    }

    int intOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        const auto v = e.getStringAttribute (attribute).getLargeIntValue();
        return (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v);
    }

    bool boolOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        return e.getBoolAttribute (attribute);
    }

    // Positions and slider values: finite and within a sane range.
    double numberOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        const auto v = e.getDoubleAttribute (attribute);
        return std::isfinite (v) ? juce::jlimit (-1.0e6, 1.0e6, v) : 0.0;
    }

    // Pixel positions and knob positions, which pass through float.
    int smallIntOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        return juce::jlimit (-1000000, 1000000, intOf (e, attribute));
    }

    // The number that follows the first `skip` characters of the tag.
    juce::int64 positionIn (const juce::String& tag, int skip)
    {
        return tag.substring (skip).getLargeIntValue();
    }

    bool storeAt (std::vector<std::uint32_t>& table, juce::int64 position, std::uint32_t word)
    {
        if (position < 0 || position >= (juce::int64) table.size())
            return false;
        table[(std::size_t) position] = word;
        return true;
    }

    struct DeviceDataRow
    {
        const char* contains;
        const char* attribute;
        int skip;
        std::vector<std::uint32_t> DeviceTables::* table;
    };

    const DeviceDataRow deviceDataRows[] = {
        { "reg",   "regValue",   3, &DeviceTables::reg },
        { "cross", "crossValue", 5, &DeviceTables::cross },
        { "amp",   "ampValue",   3, &DeviceTables::amp },
        { "lmtt",  "lmtPara",    4, &DeviceTables::lmt },
        { "psdl",  "psdlValue",  4, &DeviceTables::psdl },
        { "psdr",  "psdrValue",  4, &DeviceTables::psdr },
    };

    // One element's panel value or device data word: the first row that matches.
    void applyPanelValue (const juce::XmlElement& e, LoadTarget& t, int& maxNum, DeviceTables& tables, bool& deviceData)
    {
        const auto& tag = e.getTagName();

        if (tag == "micGain")           { t.setMlValue ((float) intOf (e, "ml")); return; }
        if (tag == "signal")            { t.setNlValue ((float) intOf (e, "nl")); return; }
        if (tag == "m48v")              { t.setM48v (boolOf (e, "m48vValue")); return; }
        if (tag == "en48v")             { t.setEnable48vState (boolOf (e, "enable48v")); return; }
        if (tag == "muteStatus")        { t.setMuteStatus1 (boolOf (e, "mute")); return; }
        if (tag == "bypassStatus")      { t.setByPassStatus (boolOf (e, "bypass")); return; }
        if (tag == "masterValue")       { t.setMasterSliderValue ((float) intOf (e, "masterValue")); return; }
        if (tag == "anaAes")            { t.setAnalogComboValue (intOf (e, "anaAes")); return; }
        if (tag == "clockSource")       { t.setComboCSValue (intOf (e, "clockSource")); return; }
        if (tag == "sampleClock")       { t.setLabelSL (e.getStringAttribute ("sampleClock")); return; }
        if (tag == "stereoFormat")      { t.setComboSFValue (intOf (e, "stereoFormat")); return; }
        if (tag == "with")              { t.setComboSubValue (intOf (e, "with")); return; }
        if (tag == "amptitude")         { t.setComboFilterValue (intOf (e, "amptitude")); return; }

        for (int band = 1; band <= 4; ++band)
            if (tag == "m" + juce::String (band) + "mute") { t.setBandMute (band, boolOf (e, tag)); return; }
        for (int which = 1; which <= 3; ++which)
            if (tag == "freq" + juce::String (which)) { t.setFreq (which, intOf (e, tag)); return; }
        for (int band : { 1, 3, 5, 7 })
            if (tag == "level" + juce::String (band)) { t.setBandLevel (band, (float) numberOf (e, tag)); return; }

        if (tag == "textNote")          { t.setTextNote (e.getStringAttribute ("textNote")); return; }

        if (tag == "maxNum")
        {
            // Point numbers above 9 cannot be told apart in the spectrum
            // tags; a foreign document's value outside 0..9 is not used.
            const auto n = intOf (e, "maxNum");
            if (n >= 0 && n <= maxPointCount)
                maxNum = n;
            return;
        }

        for (int which = 1; which <= 6; ++which)
            if (tag == "lmt" + juce::String (which)) { t.setLmtValue (which, (float) smallIntOf (e, tag)); return; }

        if (tag == "comid")             { t.setComboLmtValue (intOf (e, "comid")); return; }
        if (tag == "lmtbypass")         { t.setLmtBypass (boolOf (e, "lmtbypass")); return; }

        for (const auto& row : deviceDataRows)
        {
            if (! tag.contains (row.contains))
                continue;

            auto& table = tables.*(row.table);
            const auto position = positionIn (tag, row.skip);
            if (storeAt (table, position, wordOf (e, row.attribute)))
            {
                deviceData = true;

                if (row.table == &DeviceTables::lmt && position == 7)
                    CacheFiles::writeWords (CacheFiles::path (CacheFiles::lmt), table.data(), table.size());
            }
            return;
        }
    }

    void applyCurveValue (const juce::XmlElement& e, LoadTarget& t)
    {
        const auto& tag = e.getTagName();

        if (tag == "red")          t.setCursor ('r', smallIntOf (e, "red"));
        else if (tag == "green")   t.setCursor ('g', smallIntOf (e, "green"));
        else if (tag == "blue")    t.setCursor ('b', smallIntOf (e, "blue"));

        if (tag == "p1")                     t.setEndPointLevel (1, (int) numberOf (e, "p1y"));
        else if (tag == "p2")                t.setEndPointLevel (2, (int) numberOf (e, "p2y"));
        else if (tag == "currentPos")        t.setCurrentPos ((float) numberOf (e, "currentPos"));
        else if (tag == "currentPosH")       t.setCurrentPosH ((float) numberOf (e, "currentPosH"));
        else if (tag.contains ("circle"))    t.addCurvePoint (smallIntOf (e, "x"), smallIntOf (e, "y"));
    }

    // Rewrites the spectrum cache file of one point from the elements that
    // start with `prefix`, in document order, then uploads it. Nothing
    // happens for a file that cannot be created.
    void loadSpectrum (const juce::XmlElement& root, int number, const juce::String& prefix,
                       std::vector<std::uint32_t>& table, Command& command)
    {
        auto file = CacheFiles::openFile (CacheFiles::spectrumPath (number), "wb");
        if (file == nullptr)
            return;

        std::fill (table.begin(), table.end(), 0u);

        for (auto* e : root.getChildIterator())
        {
            const auto& tag = e->getTagName();
            if (! tag.startsWith (prefix))
                continue;

            const auto word = wordOf (*e, "fftValue");
            if (! storeAt (table, positionIn (tag, prefix.length()), word))
                continue;

            std::uint8_t bytes[4];
            CacheFiles::wordToBytes (word, bytes);
            std::fwrite (bytes, 1, 4, file.get());
        }
        file.reset();

        for (const auto& block : spectrumUploadBlocks (number, table))
            command.sendBlock (&block);
    }
}

void load (const juce::XmlElement& root, LoadTarget& target, Command& command)
{
    target.clearCurvePoints();

    int maxNum = 0;
    bool deviceData = false;
    DeviceTables tables;

    for (auto* e : root.getChildIterator())
    {
        applyCurveValue (*e, target);
        applyPanelValue (*e, target, maxNum, tables, deviceData);
    }

    command.sendMNCommand (maxNum);
    target.setResponseNotPrepared();

    std::vector<std::uint32_t> spectrumTable (8192);
    for (int n = 1; n <= maxNum; ++n)
        loadSpectrum (root, n, "fft" + juce::String (n), spectrumTable, command);
    target.wakeResponseView (maxNum);

    for (int n : { 11, 12 })
        loadSpectrum (root, n, "lrfft" + juce::String (n), spectrumTable, command);
    target.wakeResponseView (12);
    target.repaintViews();

    if (deviceData)
    {
        for (const auto& block : deviceDataUploadBlocks (tables))
            command.sendBlock (&block);
        command.sendSACommand();
    }
}

juce::Result loadFile (const juce::File& file, LoadTarget& target, Command& command)
{
    if (! file.existsAsFile())
        return juce::Result::fail (describeFailure (Action::load, file, TRANS ("The file doesn't exist")));

    // Parsed before anything changes, so that a broken file leaves the
    // curve, the panels and the cache files as they were.
    const auto read = XmlFiles::readDocument (file);
    if (! read)
        return juce::Result::fail (describeFailure (Action::load, file, read.error));

    load (*read.document, target, command);
    return juce::Result::ok();
}

std::vector<juce::MemoryBlock> spectrumUploadBlocks (int pointNumber, const std::vector<std::uint32_t>& table)
{
    jassert (table.size() >= 1402);
    std::vector<juce::MemoryBlock> out;
    const std::uint32_t header[] = { 170, (std::uint32_t) pointNumber, 1400 };
    out.push_back (wordsBlock (header, 3));
    addChunks (out, table, 2, 1282, 256);
    addChunks (out, table, 1282, 1402, 120);
    out.push_back (wordBlock (187));
    return out;
}

std::vector<juce::MemoryBlock> deviceDataUploadBlocks (const DeviceTables& t)
{
    std::vector<juce::MemoryBlock> out;
    out.reserve (305);

    const auto framed = [&] (std::uint32_t start, const std::vector<std::uint32_t>& table, std::size_t count, std::size_t chunk)
    {
        out.push_back (wordBlock (start));
        addChunks (out, table, 0, count, chunk);
        out.push_back (wordBlock (85));
    };

    framed (17, t.reg, 14, 14);
    framed (34, t.cross, 216, 216);
    framed (51, t.amp, 8192, 256);
    framed (153, t.lmt, 8, 8);
    framed (119, t.psdl, 32771, 256);
    framed (136, t.psdr, 32771, 256);
    return out;
}

}
