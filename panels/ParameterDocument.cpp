#include "panels/ParameterDocument.h"

#include "app/NumberText.h"
#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "link/Command.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

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

    void report (const Progress& progress, double value)
    {
        if (progress)
            progress (value);
    }

    //==========================================================================
    // The device data groups in the file's order, read from the cache files.
    // Each group is handed over whole; beforeWord, when given, must be called
    // before word i is used (the power spectra report progress there).
    using BeforeWord = std::function<void (std::size_t)>;
    using GroupVisitor = std::function<void (const juce::String& prefix, const char* attribute,
                                             const std::vector<std::uint32_t>& words, const BeforeWord& beforeWord)>;

    void visitFixedGroup (const GroupVisitor& visit, const char* file, int count, const char* prefix, const char* attribute)
    {
        if (const auto words = CacheFiles::readWords (CacheFiles::path (file), count))
            visit (prefix, attribute, *words, {});
    }

    void visitSpectrum (const GroupVisitor& visit, int number, const char* prefix)
    {
        if (const auto words = CacheFiles::readAllWords (CacheFiles::spectrumPath (number)))
            visit (prefix + juce::String (number), "fftValue", *words, {});
    }

    void visitPowerSpectrum (const GroupVisitor& visit, const char* file, const char* prefix, const char* attribute,
                             const Progress& progress, double first, double second)
    {
        const auto path = CacheFiles::path (file);
        const auto words = CacheFiles::readAllWords (path);
        if (! words || words->empty())
            return;

        const auto size = (std::size_t) juce::File (path).getSize();
        visit (prefix, attribute, *words, [&] (std::size_t i)
        {
            if (i == size / 12) report (progress, first);
            if (i == size / 6)  report (progress, second);
        });
    }

    void visitDeviceData (int spectrumCount, const Progress& progress, const GroupVisitor& visit)
    {
        report (progress, 0.0);
        visitFixedGroup (visit, CacheFiles::reg, CacheFiles::regWords, "reg", "regValue");
        report (progress, 0.1);
        visitFixedGroup (visit, CacheFiles::cross, CacheFiles::crossWords, "cross", "crossValue");
        report (progress, 0.2);
        visitFixedGroup (visit, CacheFiles::amplitude, CacheFiles::amplitudeWords, "amp", "ampValue");
        visitFixedGroup (visit, CacheFiles::lmt, CacheFiles::lmtWords, "lmtt", "lmtPara");
        report (progress, 0.3);

        for (int k = 1; k <= juce::jmin (spectrumCount, maxPointCount); ++k)
            visitSpectrum (visit, k, "fft");
        for (int k : { 11, 12 })
            visitSpectrum (visit, k, "lrfft");
        report (progress, 0.4);

        visitPowerSpectrum (visit, CacheFiles::psdL, "psdl", "psdlValue", progress, 0.5, 0.6);
        report (progress, 0.7);
        visitPowerSpectrum (visit, CacheFiles::psdR, "psdr", "psdrValue", progress, 0.8, 0.9);
    }

    // The words as the framework's writer puts one-attribute elements one
    // level down: a line break, two spaces, <tag attribute="value"/>.
    void writeWordLines (juce::OutputStream& out, const char* newLine, const juce::String& prefix, const char* attribute,
                         const std::vector<std::uint32_t>& words, const BeforeWord& beforeWord)
    {
        std::string head (newLine);
        head += "  <";
        head += prefix.toStdString();
        std::string middle (" ");
        middle += attribute;
        middle += "=\"";

        std::string line;
        for (std::size_t i = 0; i < words.size(); ++i)
        {
            if (beforeWord)
                beforeWord (i);

            line.assign (head);
            line += std::to_string (i);
            line += middle;
            line += std::to_string ((std::int32_t) words[i]);
            line += "\"/>";
            out.write (line.data(), line.size());
        }
    }

    [[maybe_unused]] bool endsWith (const juce::MemoryOutputStream& text, const juce::String& suffix)
    {
        const auto n = suffix.getNumBytesAsUTF8();
        return text.getDataSize() >= n
            && std::memcmp (static_cast<const char*> (text.getData()) + text.getDataSize() - n, suffix.toRawUTF8(), n) == 0;
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
    visitDeviceData (spectrumCount, progress, [&out] (const juce::String& prefix, const char* attribute,
                                                      const std::vector<std::uint32_t>& words, const BeforeWord& beforeWord)
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
    });
    return out;
}

void writeDocument (juce::OutputStream& out, const juce::XmlElement& root, int spectrumCount, const Progress& progress)
{
    const auto format = XmlFiles::documentFormat();
    const char* const newLine = format.newLineChars != nullptr ? format.newLineChars : "\r\n";

    juce::MemoryOutputStream body;
    visitDeviceData (spectrumCount, progress, [&] (const juce::String& prefix, const char* attribute,
                                                   const std::vector<std::uint32_t>& words, const BeforeWord& beforeWord)
    {
        writeWordLines (body, newLine, prefix, attribute, words, beforeWord);
    });

    juce::MemoryOutputStream head;
    root.writeTo (head, format);

    // The panel elements are written by the framework; the device data goes
    // in front of the closing tag (or opens the element the framework wrote
    // as empty), exactly as the framework would have written it.
    const auto& tag = root.getTagName();
    const auto closing = juce::String (newLine) + "</" + tag + ">" + newLine;
    const auto empty = "<" + tag + "/>" + newLine;

    if (body.getDataSize() == 0)
    {
        out.write (head.getData(), head.getDataSize());
        return;
    }

    const bool hasChildren = root.getFirstChildElement() != nullptr;
    const auto& cut = hasChildren ? closing : empty;
    jassert (endsWith (head, cut));

    out.write (head.getData(), head.getDataSize() - cut.getNumBytesAsUTF8());
    if (! hasChildren)
        out << "<" << tag << ">";
    out.write (body.getData(), body.getDataSize());
    out << closing;
}

juce::Result finishSave (juce::XmlElement& root, const juce::File& target, int spectrumCount, const Progress& progress)
{
    juce::MemoryOutputStream text;
    writeDocument (text, root, spectrumCount, progress);
    root.deleteAllChildElements();

    const auto result = XmlFiles::writeBytesSafely (text.getData(), text.getDataSize(), target);
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

    // The text is read as a wide integer and its low 32 bits kept:
    // "-2147483648" gives 0x80000000, and a foreign "4294967295" the same
    // word as "-1".
    std::uint32_t wordOf (const juce::XmlElement& e, const char* attribute)
    {
        return (std::uint32_t) (juce::uint64) NumberText::toInt64 (e.getStringAttribute (attribute));
    }

    int intOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        const auto v = NumberText::toInt64 (e.getStringAttribute (attribute));
        return (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v);
    }

    bool boolOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        return e.getBoolAttribute (attribute);
    }

    // Positions and slider values: finite and within a sane range.
    double numberOf (const juce::XmlElement& e, const juce::String& attribute)
    {
        const auto v = NumberText::toDouble (e.getStringAttribute (attribute));
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
        auto p = tag.getCharPointer();
        for (int i = 0; i < skip && ! p.isEmpty(); ++i)
            ++p;
        return NumberText::toInt64 (p);
    }

    bool storeAt (std::vector<std::uint32_t>& table, juce::int64 position, std::uint32_t word)
    {
        if (position < 0 || position >= (juce::int64) table.size())
            return false;
        table[(std::size_t) position] = word;
        return true;
    }

    //==========================================================================
    // The tags a load knows by name. A document holds tens of thousands of
    // elements, so each tag is looked up once instead of compared with each name.
    enum class Known
    {
        red, green, blue, p1, p2, currentPos, currentPosH,
        micGain, signal, m48v, en48v, muteStatus, bypassStatus, masterValue, anaAes,
        clockSource, sampleClock, stereoFormat, with, amptitude,
        m1mute, m2mute, m3mute, m4mute, freq1, freq2, freq3, level1, level3, level5, level7,
        textNote, maxNum, lmt1, lmt2, lmt3, lmt4, lmt5, lmt6, comid, lmtbypass
    };

    std::optional<Known> knownTag (std::string_view tag)
    {
        // The device data and spectrum tags, nearly all of a document's, are
        // told apart before any lookup ("amptitude" is a known tag).
        const auto startsWith = [tag] (std::string_view prefix) { return tag.compare (0, prefix.size(), prefix) == 0; };
        if (startsWith ("psd") || startsWith ("fft") || startsWith ("lrf")
             || (startsWith ("amp") && tag.size() > 3 && tag[3] >= '0' && tag[3] <= '9'))
            return std::nullopt;

        static const std::unordered_map<std::string_view, Known> names {
            { "red", Known::red }, { "green", Known::green }, { "blue", Known::blue },
            { "p1", Known::p1 }, { "p2", Known::p2 }, { "currentPos", Known::currentPos }, { "currentPosH", Known::currentPosH },
            { "micGain", Known::micGain }, { "signal", Known::signal }, { "m48v", Known::m48v }, { "en48v", Known::en48v },
            { "muteStatus", Known::muteStatus }, { "bypassStatus", Known::bypassStatus }, { "masterValue", Known::masterValue },
            { "anaAes", Known::anaAes }, { "clockSource", Known::clockSource }, { "sampleClock", Known::sampleClock },
            { "stereoFormat", Known::stereoFormat }, { "with", Known::with }, { "amptitude", Known::amptitude },
            { "m1mute", Known::m1mute }, { "m2mute", Known::m2mute }, { "m3mute", Known::m3mute }, { "m4mute", Known::m4mute },
            { "freq1", Known::freq1 }, { "freq2", Known::freq2 }, { "freq3", Known::freq3 },
            { "level1", Known::level1 }, { "level3", Known::level3 }, { "level5", Known::level5 }, { "level7", Known::level7 },
            { "textNote", Known::textNote }, { "maxNum", Known::maxNum },
            { "lmt1", Known::lmt1 }, { "lmt2", Known::lmt2 }, { "lmt3", Known::lmt3 },
            { "lmt4", Known::lmt4 }, { "lmt5", Known::lmt5 }, { "lmt6", Known::lmt6 },
            { "comid", Known::comid }, { "lmtbypass", Known::lmtbypass },
        };

        const auto found = names.find (tag);
        if (found == names.end())
            return std::nullopt;
        return found->second;
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

    //==========================================================================
    // The document element's children as the load reads them: a tag and the
    // element whose attributes the readers take. A parsed tree gives its own
    // elements; a parsed document lends one element that takes on the
    // attributes of each child in turn, so that no tag goes through the
    // framework's string pool.
    class TreeChildren
    {
    public:
        using Child = const juce::XmlElement*;

        explicit TreeChildren (const juce::XmlElement& r) : root (r) {}

        template <typename Visit>
        void forEach (Visit&& visit) const
        {
            for (auto* e : root.getChildIterator())
                visit (e);
        }

        static std::string_view tagView (Child c)        { return { c->getTagName().toRawUTF8(), c->getTagName().getNumBytesAsUTF8() }; }
        static const juce::String& tag (Child c)        { return c->getTagName(); }
        static const juce::XmlElement& element (Child c) { return *c; }

    private:
        const juce::XmlElement& root;
    };

    class DocumentChildren
    {
    public:
        using Child = std::uint32_t;

        explicit DocumentChildren (const XmlFiles::Document& d) : document (d) {}

        template <typename Visit>
        void forEach (Visit&& visit) const
        {
            for (auto i = document.root().firstChild; i != XmlFiles::Document::none; i = document.element (i).nextSibling)
                visit (i);
        }

        std::string_view tagView (Child c) const { return document.element (c).tag; }

        juce::String tag (Child c) const
        {
            const auto view = tagView (c);
            if (view.empty())
                return {};
            return juce::String (juce::CharPointer_UTF8 (view.data()), juce::CharPointer_UTF8 (view.data() + view.size()));
        }

        const juce::XmlElement& element (Child c) const
        {
            if (lent != c)
            {
                lendAttributesOf (document.element (c));
                lent = c;
            }
            return lender;
        }

    private:
        const XmlFiles::Document& document;
        mutable juce::XmlElement lender { "e" };
        mutable Child lent = XmlFiles::Document::none;
        mutable std::string_view lastName;
        mutable juce::Identifier lastIdentifier;

        static juce::String toString (std::string_view text)
        {
            if (text.empty())
                return {};
            return juce::String (juce::CharPointer_UTF8 (text.data()), juce::CharPointer_UTF8 (text.data() + text.size()));
        }

        static bool sameName (const juce::String& name, std::string_view view)
        {
            return name.getNumBytesAsUTF8() == view.size() && std::memcmp (name.toRawUTF8(), view.data(), view.size()) == 0;
        }

        const juce::Identifier& identifierFor (std::string_view name) const
        {
            if (name != lastName || lastIdentifier.isNull())
            {
                lastName = name;
                lastIdentifier = juce::Identifier (toString (name));
            }
            return lastIdentifier;
        }

        // Consecutive elements of a document mostly carry the same attribute
        // names: then only the values change.
        void lendAttributesOf (const XmlFiles::Document::Element& e) const
        {
            const auto* const begin = document.attributesBegin (e);
            const auto count = (int) e.numAttributes;

            bool sameNames = lender.getNumAttributes() == count;
            for (int i = 0; sameNames && i < count; ++i)
                sameNames = sameName (lender.getAttributeName (i), begin[i].name);

            if (! sameNames)
                lender.removeAllAttributes();

            for (int i = 0; i < count; ++i)
                lender.setAttribute (identifierFor (begin[i].name), toString (begin[i].value));
        }
    };

    bool contains (std::string_view tag, const char* part) { return tag.find (part) != std::string_view::npos; }

    template <typename Children>
    void applyDeviceData (const Children& children, typename Children::Child c, DeviceTables& tables, bool& deviceData)
    {
        const auto view = children.tagView (c);

        for (const auto& row : deviceDataRows)
        {
            if (! contains (view, row.contains))
                continue;

            auto& table = tables.*(row.table);
            const auto position = positionIn (children.tag (c), row.skip);
            if (storeAt (table, position, wordOf (children.element (c), row.attribute)))
            {
                deviceData = true;

                if (row.table == &DeviceTables::lmt && position == 7)
                    CacheFiles::writeWords (CacheFiles::path (CacheFiles::lmt), table.data(), table.size());
            }
            return;
        }
    }

    // One element's panel value or device data word: the first row that matches.
    template <typename Children>
    void applyPanelValue (const Children& children, typename Children::Child c, std::optional<Known> known, LoadTarget& t,
                          int& maxNum, DeviceTables& tables, bool& deviceData)
    {
        if (! known.has_value())
        {
            applyDeviceData (children, c, tables, deviceData);
            return;
        }

        const auto& e = children.element (c);
        const auto tag = children.tag (c);

        switch (*known)
        {
            case Known::micGain:      t.setMlValue ((float) intOf (e, "ml")); break;
            case Known::signal:       t.setNlValue ((float) intOf (e, "nl")); break;
            case Known::m48v:         t.setM48v (boolOf (e, "m48vValue")); break;
            case Known::en48v:        t.setEnable48vState (boolOf (e, "enable48v")); break;
            case Known::muteStatus:   t.setMuteStatus1 (boolOf (e, "mute")); break;
            case Known::bypassStatus: t.setByPassStatus (boolOf (e, "bypass")); break;
            case Known::masterValue:  t.setMasterSliderValue ((float) intOf (e, tag)); break;
            case Known::anaAes:       t.setAnalogComboValue (intOf (e, tag)); break;
            case Known::clockSource:  t.setComboCSValue (intOf (e, tag)); break;
            case Known::sampleClock:  t.setLabelSL (e.getStringAttribute (tag)); break;
            case Known::stereoFormat: t.setComboSFValue (intOf (e, tag)); break;
            case Known::with:         t.setComboSubValue (intOf (e, tag)); break;
            case Known::amptitude:    t.setComboFilterValue (intOf (e, tag)); break;

            case Known::m1mute:       t.setBandMute (1, boolOf (e, tag)); break;
            case Known::m2mute:       t.setBandMute (2, boolOf (e, tag)); break;
            case Known::m3mute:       t.setBandMute (3, boolOf (e, tag)); break;
            case Known::m4mute:       t.setBandMute (4, boolOf (e, tag)); break;
            case Known::freq1:        t.setFreq (1, intOf (e, tag)); break;
            case Known::freq2:        t.setFreq (2, intOf (e, tag)); break;
            case Known::freq3:        t.setFreq (3, intOf (e, tag)); break;
            case Known::level1:       t.setBandLevel (1, (float) numberOf (e, tag)); break;
            case Known::level3:       t.setBandLevel (3, (float) numberOf (e, tag)); break;
            case Known::level5:       t.setBandLevel (5, (float) numberOf (e, tag)); break;
            case Known::level7:       t.setBandLevel (7, (float) numberOf (e, tag)); break;

            case Known::textNote:     t.setTextNote (e.getStringAttribute (tag)); break;

            case Known::maxNum:
            {
                // Point numbers above 9 cannot be told apart in the spectrum
                // tags; a foreign document's value outside 0..9 is not used.
                const auto n = intOf (e, tag);
                if (n >= 0 && n <= maxPointCount)
                    maxNum = n;
                break;
            }

            case Known::lmt1:         t.setLmtValue (1, (float) smallIntOf (e, tag)); break;
            case Known::lmt2:         t.setLmtValue (2, (float) smallIntOf (e, tag)); break;
            case Known::lmt3:         t.setLmtValue (3, (float) smallIntOf (e, tag)); break;
            case Known::lmt4:         t.setLmtValue (4, (float) smallIntOf (e, tag)); break;
            case Known::lmt5:         t.setLmtValue (5, (float) smallIntOf (e, tag)); break;
            case Known::lmt6:         t.setLmtValue (6, (float) smallIntOf (e, tag)); break;
            case Known::comid:        t.setComboLmtValue (intOf (e, tag)); break;
            case Known::lmtbypass:    t.setLmtBypass (boolOf (e, tag)); break;

            // Curve and response view tags: none of these contains a device
            // data name either.
            case Known::red: case Known::green: case Known::blue:
            case Known::p1: case Known::p2: case Known::currentPos: case Known::currentPosH:
                break;
        }
    }

    template <typename Children>
    void applyCurveValue (const Children& children, typename Children::Child c, std::optional<Known> known, LoadTarget& t)
    {
        if (! known.has_value())
        {
            if (contains (children.tagView (c), "circle"))
            {
                const auto& e = children.element (c);
                t.addCurvePoint (smallIntOf (e, "x"), smallIntOf (e, "y"));
            }
            return;
        }

        const auto& e = children.element (c);

        switch (*known)
        {
            case Known::red:          t.setCursor ('r', smallIntOf (e, "red")); break;
            case Known::green:        t.setCursor ('g', smallIntOf (e, "green")); break;
            case Known::blue:         t.setCursor ('b', smallIntOf (e, "blue")); break;
            case Known::p1:           t.setEndPointLevel (1, (int) numberOf (e, "p1y")); break;
            case Known::p2:           t.setEndPointLevel (2, (int) numberOf (e, "p2y")); break;
            case Known::currentPos:   t.setCurrentPos ((float) numberOf (e, "currentPos")); break;
            case Known::currentPosH:  t.setCurrentPosH ((float) numberOf (e, "currentPosH")); break;
            default: break;
        }
    }

    // The children of each spectrum in document order: those whose tags
    // start with "fft1".."fft9", "lrfft11" and "lrfft12" (at most one of them).
    template <typename Child>
    struct SpectrumChildren
    {
        std::vector<Child> points[maxPointCount + 1];
        std::vector<Child> lr11, lr12;

        void add (std::string_view tag, Child c)
        {
            if (tag.size() >= 4 && tag.compare (0, 3, "fft") == 0 && tag[3] >= '1' && tag[3] <= '9')
                points[tag[3] - '0'].push_back (c);
            else if (tag.compare (0, 7, "lrfft11") == 0)
                lr11.push_back (c);
            else if (tag.compare (0, 7, "lrfft12") == 0)
                lr12.push_back (c);
        }

        const std::vector<Child>& of (int number) const
        {
            return number == 11 ? lr11 : number == 12 ? lr12 : points[number];
        }
    };

    // Rewrites the spectrum cache file of one point from its elements, in
    // document order, then uploads it. The file is replaced only once whole
    // (a full disk keeps the old one); nothing happens for a file that cannot
    // be created.
    template <typename Children>
    void loadSpectrum (const Children& children, const std::vector<typename Children::Child>& elements, int number, int prefixLength,
                       std::vector<std::uint32_t>& table, Command& command)
    {
        std::fill (table.begin(), table.end(), 0u);

        std::vector<std::uint8_t> bytes;
        bytes.reserve (elements.size() * 4);

        for (const auto c : elements)
        {
            const auto word = wordOf (children.element (c), "fftValue");
            if (! storeAt (table, positionIn (children.tag (c), prefixLength), word))
                continue;

            std::uint8_t wordBytes[4];
            CacheFiles::wordToBytes (word, wordBytes);
            bytes.insert (bytes.end(), wordBytes, wordBytes + 4);
        }

        if (CacheFiles::replaceFile (CacheFiles::spectrumPath (number), bytes.data(), bytes.size())
                == CacheFiles::WriteResult::notCreated)
            return;

        for (const auto& block : spectrumUploadBlocks (number, table))
            command.sendBlock (&block);
    }

    template <typename Children>
    void loadChildren (const Children& children, LoadTarget& target, Command& command)
    {
        target.clearCurvePoints();

        int maxNum = 0;
        bool deviceData = false;
        DeviceTables tables;
        SpectrumChildren<typename Children::Child> spectra;

        children.forEach ([&] (typename Children::Child c)
        {
            const auto tag = children.tagView (c);
            const auto known = knownTag (tag);
            applyCurveValue (children, c, known, target);
            applyPanelValue (children, c, known, target, maxNum, tables, deviceData);
            spectra.add (tag, c);
        });

        command.sendMNCommand (maxNum);
        target.setResponseNotPrepared();

        std::vector<std::uint32_t> spectrumTable (8192);
        for (int n = 1; n <= maxNum; ++n)
            loadSpectrum (children, spectra.of (n), n, 4, spectrumTable, command);
        target.wakeResponseView (maxNum);

        for (int n : { 11, 12 })
            loadSpectrum (children, spectra.of (n), n, 7, spectrumTable, command);
        target.wakeResponseView (12);
        target.repaintViews();

        if (deviceData)
        {
            for (const auto& block : deviceDataUploadBlocks (tables))
                command.sendBlock (&block);
            command.sendSACommand();
        }
    }
}

void load (const juce::XmlElement& root, LoadTarget& target, Command& command)
{
    loadChildren (TreeChildren (root), target, command);
}

juce::Result loadFile (const juce::File& file, LoadTarget& target, Command& command)
{
    if (! file.existsAsFile())
        return juce::Result::fail (describeFailure (Action::load, file, TRANS ("The file doesn't exist")));

    // Parsed before anything changes, so that a broken file leaves the
    // curve, the panels and the cache files as they were.
    const auto read = XmlFiles::readDocumentFile (file);
    if (! read)
        return juce::Result::fail (describeFailure (Action::load, file, read.error));

    loadChildren (DocumentChildren (*read.document), target, command);
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
