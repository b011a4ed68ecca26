#include "app/XmlFiles.h"

#include <algorithm>
#include <cstring>

namespace XmlFiles
{

namespace
{
    bool startsWith (const char* p, const char* end, const char* prefix) noexcept
    {
        const auto n = std::strlen (prefix);
        return (size_t) (end - p) >= n && std::memcmp (p, prefix, n) == 0;
    }

    // Position just past `terminator`, or nullptr when it never comes.
    const char* skipPast (const char* p, const char* end, const char* terminator) noexcept
    {
        const auto n = std::strlen (terminator);
        for (; (size_t) (end - p) >= n; ++p)
            if (std::memcmp (p, terminator, n) == 0)
                return p + n;
        return nullptr;
    }

}

int measureNesting (const juce::String& text, int limit)
{
    const char* p = text.toRawUTF8();
    const char* const end = p + text.getNumBytesAsUTF8();
    int depth = 0, deepest = 0;

    while (p < end)
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }

        if (startsWith (p, end, "<!--"))
            p = skipPast (p + 4, end, "-->");
        else if (startsWith (p, end, "<![CDATA["))
            p = skipPast (p + 9, end, "]]>");
        else if (startsWith (p, end, "<!"))
            return -1;
        else if (startsWith (p, end, "<?"))
            p = skipPast (p + 2, end, "?>");
        else if (startsWith (p, end, "</"))
        {
            depth = std::max (0, depth - 1);
            p = skipPast (p + 2, end, ">");
        }
        else
        {
            // An opening or empty-element tag: find its end, stepping over
            // quoted attribute values, which may hold '>' and '/'.
            char quote = 0;
            char last = 0;
            ++p;
            for (; p < end; ++p)
            {
                if (quote != 0)
                {
                    if (*p == quote)
                        quote = 0;
                }
                else if (*p == '"' || *p == '\'')
                    quote = *p;
                else if (*p == '>')
                    break;
                else if (! juce::CharacterFunctions::isWhitespace (*p))
                    last = *p;
            }

            if (p >= end)
                break;

            ++p;
            if (last != '/' && ++depth > deepest)
            {
                deepest = depth;
                if (deepest > limit)
                    return deepest;
            }
        }

        if (p == nullptr)
            break;   // unterminated markup: the parser reports it
    }

    return deepest;
}

namespace
{
    enum class Refusal { none, utf8, processingInstruction, characterReference, declaration, nesting, malformed };

    juce::String describe (Refusal refusal, const char* why)
    {
        switch (refusal)
        {
            case Refusal::utf8:                  return TRANS ("The file is not valid UTF-8 text");
            case Refusal::processingInstruction: return TRANS ("The file holds a processing instruction inside its elements, which is not accepted");
            case Refusal::characterReference:    return TRANS ("The file holds a malformed character reference");
            case Refusal::declaration:           return TRANS ("The file holds a document type declaration, which is not accepted");
            case Refusal::nesting:               return TRANS ("The file's elements are nested too deeply");
            case Refusal::none:
            case Refusal::malformed:             break;
        }
        return TRANS ("The file is not well-formed XML") + " (" + why + ")";
    }

    // The length of the well-formed UTF-8 sequence at p (no overlong forms,
    // no surrogates, nothing above U+10FFFF), or 0.
    int sequenceLength (const unsigned char* p, const unsigned char* end) noexcept
    {
        const auto c = p[0];
        if (c < 0x80)
            return 1;

        int length = 0;
        unsigned char low = 0x80, high = 0xbf;

        if (c >= 0xc2 && c <= 0xdf)       length = 2;
        else if (c == 0xe0)               { length = 3; low = 0xa0; }
        else if (c >= 0xe1 && c <= 0xec)  length = 3;
        else if (c == 0xed)               { length = 3; high = 0x9f; }
        else if (c >= 0xee && c <= 0xef)  length = 3;
        else if (c == 0xf0)               { length = 4; low = 0x90; }
        else if (c >= 0xf1 && c <= 0xf3)  length = 4;
        else if (c == 0xf4)               { length = 4; high = 0x8f; }
        else                              return 0;

        if (end - p < length || p[1] < low || p[1] > high)
            return 0;

        for (int i = 2; i < length; ++i)
            if ((p[i] & 0xc0) != 0x80)
                return 0;

        return length;
    }

    // Valid UTF-8 and no control characters other than tab, line feed and
    // carriage return (the writer escapes the others as references).
    Refusal checkCharacters (std::string_view text, const char*& why) noexcept
    {
        auto* p = reinterpret_cast<const unsigned char*> (text.data());
        const auto* const end = p + text.size();
        constexpr std::uint64_t ones = 0x0101010101010101ull, highBits = 0x8080808080808080ull;

        while (p < end)
        {
            if (end - p >= 8)
            {
                // Eight plain characters at once: no byte at or above 0x80
                // and none below 0x20 (the subtraction borrows there).
                std::uint64_t word;
                std::memcpy (&word, p, 8);
                if (((word | (word - ones * 0x20)) & highBits) == 0)
                {
                    p += 8;
                    continue;
                }
            }

            const auto c = *p;
            if (c >= 0x80)
            {
                const auto length = sequenceLength (p, end);
                if (length == 0)
                    return Refusal::utf8;
                p += length;
            }
            else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            {
                why = "a control character";
                return Refusal::malformed;
            }
            else
            {
                ++p;
            }
        }

        return Refusal::none;
    }

    bool isSpace (char c) noexcept { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

    struct NameCharacters
    {
        bool start[256] {}, part[256] {};

        NameCharacters()
        {
            for (int c = 0; c < 256; ++c)
            {
                start[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
                part[c] = start[c] || (c >= '0' && c <= '9') || c == '-' || c == '.';
            }
        }
    };

    const NameCharacters nameCharacters;

    bool isNameStart (char c) noexcept { return nameCharacters.start[(unsigned char) c]; }
    bool isNamePart (char c) noexcept  { return nameCharacters.part[(unsigned char) c]; }

    void appendUtf8 (std::string& out, std::uint32_t c)
    {
        if (c < 0x80)
        {
            out += (char) c;
        }
        else if (c < 0x800)
        {
            out += (char) (0xc0 | (c >> 6));
            out += (char) (0x80 | (c & 0x3f));
        }
        else if (c < 0x10000)
        {
            out += (char) (0xe0 | (c >> 12));
            out += (char) (0x80 | ((c >> 6) & 0x3f));
            out += (char) (0x80 | (c & 0x3f));
        }
        else
        {
            out += (char) (0xf0 | (c >> 18));
            out += (char) (0x80 | ((c >> 12) & 0x3f));
            out += (char) (0x80 | ((c >> 6) & 0x3f));
            out += (char) (0x80 | (c & 0x3f));
        }
    }

    // Decodes the reference at p ('&'), appends its text to out and moves p
    // past its ';'.
    Refusal decodeReference (const char*& p, const char* end, std::string& out, const char*& why)
    {
        ++p;

        if (p < end && *p == '#')
        {
            ++p;
            const bool hex = p < end && (*p == 'x' || *p == 'X');
            if (hex)
                ++p;

            std::uint32_t value = 0;
            int digits = 0;

            for (; p < end && *p != ';'; ++p, ++digits)
            {
                const int digit = hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) *p)
                                      : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
                if (digit < 0)
                    return Refusal::characterReference;

                value = juce::jmin<std::uint32_t> (value * (hex ? 16u : 10u) + (std::uint32_t) digit, 0x110000u);
            }

            if (p >= end || digits == 0 || value < 1 || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
                return Refusal::characterReference;

            ++p;
            appendUtf8 (out, value);
            return Refusal::none;
        }

        const auto* const nameStart = p;
        while (p < end && isNamePart (*p))
            ++p;

        if (p >= end || *p != ';')
        {
            why = "an unterminated entity reference";
            return Refusal::malformed;
        }

        const std::string_view name (nameStart, (size_t) (p - nameStart));
        ++p;

        if (name == "lt")        out += '<';
        else if (name == "gt")   out += '>';
        else if (name == "amp")  out += '&';
        else if (name == "quot") out += '"';
        else if (name == "apos") out += '\'';
        else
        {
            why = "an unknown entity";
            return Refusal::malformed;
        }

        return Refusal::none;
    }

    // Position just past `terminator`, searched from p, or nullptr.
    const char* after (const char* p, const char* end, std::string_view terminator) noexcept
    {
        const auto found = std::string_view (p, (size_t) (end - p)).find (terminator);
        return found == std::string_view::npos ? nullptr : p + found + terminator.size();
    }

    juce::String toString (std::string_view text)
    {
        if (text.empty())
            return {};
        return juce::String (juce::CharPointer_UTF8 (text.data()), juce::CharPointer_UTF8 (text.data() + text.size()));
    }
}

//==============================================================================
class Parser
{
public:
    Parser (Document& d, int depthLimit, bool charactersChecked)
        : doc (d), p (d.source.data()), end (p + d.source.size()), maxDepth (depthLimit), checked (charactersChecked) {}

    static std::unique_ptr<Document> makeDocument (std::string text)
    {
        auto document = std::make_unique<Document>();
        document->source = std::move (text);
        return document;
    }

    Refusal run()
    {
        if (! checked)
            if (const auto refusal = checkCharacters (doc.source, why); refusal != Refusal::none)
                return refusal;

        const auto markup = (size_t) std::count (p, end, '<');
        doc.elements.reserve (markup);
        doc.attributes.reserve (markup);

        if (const auto refusal = skipMisc(); refusal != Refusal::none)
            return refusal;

        if (p == end)
            return malformed ("no document element");

        if (*p != '<' || p + 1 == end || ! isNameStart (p[1]))
            return malformed ("no document element where one should start");

        if (const auto refusal = readStartTag(); refusal != Refusal::none)
            return refusal;

        while (! open.empty())
            if (const auto refusal = readContent(); refusal != Refusal::none)
                return refusal;

        if (const auto refusal = skipMisc(); refusal != Refusal::none)
            return refusal;

        return p == end ? Refusal::none : malformed ("content after the document element");
    }

    const char* why = "";

private:
    struct OpenElement
    {
        std::uint32_t element, lastChild;
    };

    Document& doc;
    const char* p;
    const char* const end;
    const int maxDepth;
    const bool checked;
    std::vector<OpenElement> open;

    // Where the current run of character data began (just after the last
    // markup other than a comment), and whether it holds more than white space.
    const char* textStart = nullptr;
    bool textIsSignificant = false;

    Refusal malformed (const char* reason) noexcept
    {
        why = reason;
        return Refusal::malformed;
    }

    void skipSpace() noexcept
    {
        while (p < end && isSpace (*p))
            ++p;
    }

    std::string_view readName() noexcept
    {
        const auto* const start = p;
        if (p < end && isNameStart (*p))
            while (++p < end && isNamePart (*p)) {}
        return { start, (size_t) (p - start) };
    }

    // White space, comments and processing instructions before and after
    // the document element.
    Refusal skipMisc()
    {
        for (;;)
        {
            skipSpace();

            if (startsWith (p, end, "<!--"))
            {
                if ((p = after (p + 4, end, "-->")) == nullptr)
                    return malformed ("an unterminated comment");
            }
            else if (startsWith (p, end, "<?"))
            {
                if ((p = after (p + 2, end, "?>")) == nullptr)
                    return malformed ("an unterminated processing instruction");
            }
            else if (startsWith (p, end, "<!"))
            {
                return Refusal::declaration;
            }
            else
            {
                return Refusal::none;
            }
        }
    }

    std::uint32_t addElement (std::string_view tag, std::string_view text)
    {
        const auto index = (std::uint32_t) doc.elements.size();
        auto& e = doc.elements.emplace_back();
        e.tag = tag;
        e.text = text;

        if (! open.empty())
        {
            auto& parent = open.back();
            e.parent = parent.element;

            if (parent.lastChild == Document::none)
                doc.elements[parent.element].firstChild = index;
            else
                doc.elements[parent.lastChild].nextSibling = index;

            parent.lastChild = index;
        }

        return index;
    }

    // At '<' and a name.
    Refusal readStartTag()
    {
        ++p;
        const auto index = addElement (readName(), {});
        const auto firstAttribute = (std::uint32_t) doc.attributes.size();
        doc.elements[index].firstAttribute = firstAttribute;

        for (;;)
        {
            const auto* const beforeSpace = p;
            skipSpace();

            if (p == end)
                return malformed ("an unterminated tag");

            if (*p == '>')
            {
                ++p;
                open.push_back ({ index, Document::none });
                if ((int) open.size() > maxDepth)
                    return Refusal::nesting;
                startText();
                return Refusal::none;
            }

            if (*p == '/')
            {
                if (p + 1 == end || p[1] != '>')
                    return malformed ("a '/' inside a tag");
                p += 2;
                startText();
                return Refusal::none;
            }

            if (p == beforeSpace)
                return malformed ("attributes without white space between them");

            const auto name = readName();
            if (name.empty())
                return malformed ("an illegal character in a tag");

            skipSpace();
            if (p == end || *p != '=')
                return malformed ("an attribute without a value");
            ++p;
            skipSpace();
            if (p == end || (*p != '"' && *p != '\''))
                return malformed ("an attribute value without quotes");

            std::string_view value;
            if (const auto refusal = readValue (value); refusal != Refusal::none)
                return refusal;

            // The framework's element looks through its attributes on each
            // one added: their number stays small.
            if (doc.elements[index].numAttributes >= maxAttributesPerElement)
                return malformed ("an element with too many attributes");

            for (auto i = firstAttribute; i < doc.attributes.size(); ++i)
                if (doc.attributes[i].name == name)
                    return malformed ("an attribute given twice");

            doc.attributes.push_back ({ name, value });
            ++doc.elements[index].numAttributes;
        }
    }

    // At the opening quote; the value as the framework reads it: references
    // decoded, everything else as it is.
    Refusal readValue (std::string_view& value)
    {
        const char quote = *p++;
        const auto* const start = p;

        while (p < end && *p != quote && *p != '&')
            ++p;

        if (p == end)
            return malformed ("an unterminated attribute value");

        if (*p == quote)
        {
            value = { start, (size_t) (p - start) };
            ++p;
            return Refusal::none;
        }

        auto& decoded = doc.decoded.emplace_back (start, (size_t) (p - start));

        while (p < end && *p != quote)
        {
            if (*p == '&')
            {
                if (const auto refusal = decodeReference (p, end, decoded, why); refusal != Refusal::none)
                    return refusal;
            }
            else
            {
                decoded += *p++;
            }
        }

        if (p == end)
            return malformed ("an unterminated attribute value");

        ++p;
        value = decoded;
        return Refusal::none;
    }

    void startText() noexcept
    {
        textStart = p;
        textIsSignificant = false;
    }

    // Character data up to the next markup other than a comment: whether it
    // holds anything but white space, its references checked on the way.
    Refusal scanText()
    {
        std::string scratch;

        while (p < end && *p != '<')
        {
            const char c = *p;

            if (c == '&')
            {
                scratch.clear();
                if (const auto refusal = decodeReference (p, end, scratch, why); refusal != Refusal::none)
                    return refusal;
                textIsSignificant = textIsSignificant || toString (scratch).containsNonWhitespaceChars();
            }
            else if ((unsigned char) c >= 0x80)
            {
                juce::CharPointer_UTF8 character (p);
                const auto decoded = character.getAndAdvance();
                p = character.getAddress();
                textIsSignificant = textIsSignificant || ! juce::CharacterFunctions::isWhitespace (decoded);
            }
            else
            {
                textIsSignificant = textIsSignificant || ! isSpace (c);
                ++p;
            }
        }

        return Refusal::none;
    }

    // A run of character data that holds more than white space becomes a
    // text element: comments left out, references decoded, line ends
    // ("\r\n", "\r") made "\n".
    void flushText()
    {
        if (! textIsSignificant)
            return;

        auto& text = doc.decoded.emplace_back();
        const char* unused = "";

        for (const auto* q = textStart; q < p;)
        {
            if (startsWith (q, p, "<!--"))
            {
                q = after (q + 4, p, "-->");
            }
            else if (*q == '&')
            {
                decodeReference (q, p, text, unused);
            }
            else if (*q == '\r')
            {
                text += '\n';
                q += (q + 1 < p && q[1] == '\n') ? 2 : 1;
            }
            else
            {
                text += *q++;
            }
        }

        addElement ({}, text);
        textIsSignificant = false;
    }

    Refusal readContent()
    {
        if (p == end)
            return malformed ("an element that is never closed");

        if (*p != '<')
            return scanText();

        if (startsWith (p, end, "<!--"))
        {
            if ((p = after (p + 4, end, "-->")) == nullptr)
                return malformed ("an unterminated comment");
            return Refusal::none;
        }

        if (startsWith (p, end, "<?"))
            return Refusal::processingInstruction;

        flushText();

        if (startsWith (p, end, "<![CDATA["))
        {
            const auto* const start = p + 9;
            if ((p = after (start, end, "]]>")) == nullptr)
                return malformed ("an unterminated CDATA section");
            addElement ({}, { start, (size_t) (p - 3 - start) });
            startText();
            return Refusal::none;
        }

        if (startsWith (p, end, "<!"))
            return Refusal::declaration;

        if (startsWith (p, end, "</"))
        {
            p += 2;
            const auto name = readName();
            skipSpace();
            if (p == end || *p != '>')
                return malformed ("an unterminated end tag");
            if (name != doc.elements[open.back().element].tag)
                return malformed ("an end tag that does not match its start tag");
            ++p;
            open.pop_back();
            startText();
            return Refusal::none;
        }

        if (p + 1 == end || ! isNameStart (p[1]))
            return malformed ("a '<' that starts no markup");

        return readStartTag();
    }
};

//==============================================================================
namespace
{
    Refusal parseInto (Document& document, int maxDepth, bool charactersChecked, juce::String& error)
    {
        Parser parser (document, maxDepth, charactersChecked);
        const auto refusal = parser.run();
        if (refusal != Refusal::none)
            error = describe (refusal, parser.why);
        return refusal;
    }

    DocumentResult parse (std::string text, int maxDepth, bool charactersChecked)
    {
        DocumentResult result;
        result.document = Parser::makeDocument (std::move (text));
        if (parseInto (*result.document, maxDepth, charactersChecked, result.error) != Refusal::none)
            result.document.reset();
        return result;
    }
}

const std::string_view* Document::findAttribute (const Element& e, std::string_view name) const noexcept
{
    for (auto* a = attributesBegin (e); a != attributesEnd (e); ++a)
        if (a->name == name)
            return &a->value;
    return nullptr;
}

std::unique_ptr<juce::XmlElement> Document::toXmlElement() const
{
    // Every element constructor puts its tag in the global string pool, a
    // sorted array: tags pooled in sorted order are appended instead of
    // inserted, which for a large document is many times faster.
    std::vector<juce::String> pooledTags;
    if (elements.size() > 1024)
    {
        std::vector<std::string_view> tags;
        tags.reserve (elements.size());
        for (const auto& e : elements)
            if (! e.isText())
                tags.push_back (e.tag);
        std::sort (tags.begin(), tags.end());
        tags.erase (std::unique (tags.begin(), tags.end()), tags.end());

        pooledTags.reserve (tags.size());
        for (const auto& tag : tags)
            pooledTags.push_back (juce::StringPool::getGlobalPool().getPooledString (toString (tag)));
    }

    std::vector<std::unique_ptr<juce::XmlElement>> made (elements.size());
    std::string_view lastName;
    juce::Identifier lastIdentifier;

    for (size_t i = 0; i < elements.size(); ++i)
    {
        const auto& e = elements[i];

        if (e.isText())
        {
            made[i].reset (juce::XmlElement::createTextElement (toString (e.text)));
            continue;
        }

        made[i] = std::make_unique<juce::XmlElement> (juce::String::CharPointerType (e.tag.data()),
                                                      juce::String::CharPointerType (e.tag.data() + e.tag.size()));

        for (auto* a = attributesBegin (e); a != attributesEnd (e); ++a)
        {
            if (a->name != lastName || lastIdentifier.isNull())
            {
                lastName = a->name;
                lastIdentifier = juce::Identifier (juce::String::CharPointerType (a->name.data()),
                                                   juce::String::CharPointerType (a->name.data() + a->name.size()));
            }

            made[i]->setAttribute (lastIdentifier, toString (a->value));
        }
    }

    // Children in reverse document order, each put in front of its parent's
    // others: one step per child.
    for (auto i = made.size(); i-- > 1;)
        made[elements[i].parent]->prependChildElement (made[i].release());

    return std::move (made.front());
}

DocumentResult parseDocument (std::string text, int maxDepth)
{
    return parse (std::move (text), maxDepth, false);
}

DocumentResult readDocumentFile (const juce::File& file, juce::int64 maxBytes)
{
    DocumentResult result;

    if (! file.existsAsFile())
    {
        result.error = TRANS ("The file doesn't exist");
        return result;
    }

    if (file.getSize() > maxBytes)
    {
        result.error = TRANS ("The file is too large");
        return result;
    }

    juce::FileInputStream in (file);
    if (! in.openedOk())
    {
        result.error = TRANS ("The file could not be read");
        return result;
    }

    // The size is checked again on what is actually read: the file may have
    // grown since it was looked at.
    const auto limit = (size_t) maxBytes + 1;
    std::string bytes ((size_t) juce::jlimit<juce::int64> (4096, (juce::int64) limit, file.getSize() + 1), '\0');
    size_t filled = 0;

    for (;;)
    {
        if (filled == bytes.size())
        {
            if (bytes.size() >= limit)
                break;
            bytes.resize (juce::jmin (limit, bytes.size() * 2));
        }

        const auto numRead = in.read (bytes.data() + filled, (int) juce::jmin<size_t> (bytes.size() - filled, 1 << 30));
        if (numRead <= 0)
            break;
        filled += (size_t) numRead;
    }

    if (filled > (size_t) maxBytes)
    {
        result.error = TRANS ("The file is too large");
        return result;
    }

    bytes.resize (filled);
    return parseDocumentBytes (std::move (bytes));
}

DocumentResult parseDocumentBytes (std::string bytes)
{
    DocumentResult result;
    const auto filled = bytes.size();
    const auto* const data = reinterpret_cast<const unsigned char*> (bytes.data());
    const bool utf16 = filled >= 2 && ((data[0] == 0xfe && data[1] == 0xff) || (data[0] == 0xff && data[1] == 0xfe));
    const auto convert = [&bytes]
    {
        return juce::String::createStringFromData (bytes.data(), (int) bytes.size()).toStdString();
    };

    if (utf16)
        return parseDocument (convert());

    if (filled >= 3 && data[0] == 0xef && data[1] == 0xbb && data[2] == 0xbf)
        bytes.erase (0, 3);

    // Text that is not UTF-8 is read as the framework reads it, as
    // Windows-1252.
    const char* why = "";
    const auto characters = checkCharacters (bytes, why);
    if (characters == Refusal::utf8)
        return parseDocument (convert());
    if (characters != Refusal::none)
    {
        result.error = describe (characters, why);
        return result;
    }

    return parse (std::move (bytes), maxNestingDepth, true);
}

namespace
{
    ReadResult toReadResult (DocumentResult parsed)
    {
        ReadResult result;
        if (parsed.document != nullptr)
            result.document = parsed.document->toXmlElement();
        result.error = parsed.error;
        return result;
    }
}

ReadResult parseDocumentText (const juce::String& text, int maxDepth)
{
    return toReadResult (parseDocument (text.toStdString(), maxDepth));
}

ReadResult readDocument (const juce::File& file, juce::int64 maxBytes)
{
    return toReadResult (readDocumentFile (file, maxBytes));
}

juce::XmlElement::TextFormat documentFormat()
{
    juce::XmlElement::TextFormat format;
    format.dtd = " ";
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    return format;
}

juce::Result writeBytesSafely (const void* data, size_t size, const juce::File& target)
{
    const auto failed = [] (const juce::String& why) { return juce::Result::fail (why); };

    if (target.isDirectory())
        return failed (TRANS ("A folder of that name exists"));

    if (! target.getParentDirectory().isDirectory())
        return failed (TRANS ("The folder doesn't exist"));

    const juce::TemporaryFile temp (target, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temp.getFile());

        if (! out.openedOk())
            return failed (TRANS ("The file could not be created") + " (" + out.getStatus().getErrorMessage() + ")");

        // A short write (a full disk, a file size limit) is not reported by
        // the stream's status: the file's size, once it is closed, is.
        const bool written = out.write (data, size);
        out.flush();

        if (! written || out.getStatus().failed())
            return failed (TRANS ("The file could not be written") + " (" + out.getStatus().getErrorMessage() + ")");
    }

    if (temp.getFile().getSize() != (juce::int64) size)
        return failed (TRANS ("The file could not be written completely (is the disk full?)"));

    if (! temp.overwriteTargetFileWithTemporary())
        return failed (TRANS ("The file could not be replaced"));

    return juce::Result::ok();
}

juce::Result writeDocumentSafely (const juce::XmlElement& document, const juce::File& target,
                                  const juce::XmlElement::TextFormat& format)
{
    juce::MemoryOutputStream text;
    document.writeTo (text, format);
    return writeBytesSafely (text.getData(), text.getDataSize(), target);
}

juce::XmlElement& ChildList::add (const juce::String& tag)
{
    children.push_back (std::make_unique<juce::XmlElement> (tag));
    return *children.back();
}

void ChildList::prependTo (juce::XmlElement& parent)
{
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        parent.prependChildElement (it->release());

    children.clear();
}

}
