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

    // Whether a processing instruction ("<?") follows the start of the
    // document element. The prolog is skipped as the framework's parser skips
    // it: white space, comments and processing instructions.
    bool holdsProcessingInstructionAfterProlog (const juce::String& text) noexcept
    {
        const char* p = text.toRawUTF8();
        const char* const end = p + text.getNumBytesAsUTF8();

        while (p != nullptr && p < end)
        {
            if (juce::CharacterFunctions::isWhitespace (*p))
                ++p;
            else if (startsWith (p, end, "<!--"))
                p = skipPast (p + 4, end, "-->");
            else if (startsWith (p, end, "<?"))
                p = skipPast (p + 2, end, "?>");
            else
                break;
        }

        return p != nullptr && skipPast (p, end, "<?") != nullptr;
    }

    // Whether a character reference ("&#...;", "&#x...;") is unterminated,
    // too long or names no character. The framework's parser steps past the
    // end of the text on an unterminated hexadecimal one.
    bool holdsMalformedCharacterReference (const juce::String& text) noexcept
    {
        const char* p = text.toRawUTF8();
        const char* const end = p + text.getNumBytesAsUTF8();

        while ((p = skipPast (p, end, "&#")) != nullptr)
        {
            const bool hex = p < end && (*p == 'x' || *p == 'X');
            if (hex)
                ++p;

            const int maxDigits = hex ? 8 : 12;
            juce::int64 value = 0;
            int digits = 0;

            for (; p < end && *p != ';'; ++p)
            {
                const int digit = hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) *p)
                                      : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
                if (digit < 0 || ++digits > maxDigits)
                    return true;
                value = value * (hex ? 16 : 10) + digit;
            }

            if (p >= end || digits == 0 || value < 1 || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
                return true;
        }

        return false;
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

ReadResult parseDocumentText (const juce::String& text, int maxDepth)
{
    ReadResult result;

    // The framework's parser steps over a truncated multi-byte sequence and
    // reads past the end of the text: refuse text that is not valid UTF-8.
    const auto* raw = text.toRawUTF8();
    if (! juce::CharPointer_UTF8::isValidString (raw, (int) std::strlen (raw)))
    {
        result.error = TRANS ("The file is not valid UTF-8 text");
        return result;
    }

    // The framework's parser steps back over a processing instruction in an
    // element's content and reads it again, for ever, when it is followed by
    // text (or when an earlier error left the parser reading markup as text).
    // Our documents never hold one after the prolog.
    if (holdsProcessingInstructionAfterProlog (text))
    {
        result.error = TRANS ("The file holds a processing instruction inside its elements, which is not accepted");
        return result;
    }

    if (holdsMalformedCharacterReference (text))
    {
        result.error = TRANS ("The file holds a malformed character reference");
        return result;
    }

    const auto depth = measureNesting (text, maxDepth);

    if (depth < 0)
    {
        result.error = TRANS ("The file holds a document type declaration, which is not accepted");
        return result;
    }

    if (depth > maxDepth)
    {
        result.error = TRANS ("The file's elements are nested too deeply");
        return result;
    }

    juce::XmlDocument parser (text);
    auto document = parser.getDocumentElement();

    if (document == nullptr || parser.getLastParseError().isNotEmpty())
    {
        const auto why = parser.getLastParseError().isNotEmpty() ? parser.getLastParseError()
                                                                 : juce::String ("no document element");
        result.error = TRANS ("The file is not well-formed XML") + " (" + why + ")";
        return result;
    }

    result.document = std::move (document);
    return result;
}

ReadResult readDocument (const juce::File& file, juce::int64 maxBytes)
{
    ReadResult result;

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
    juce::MemoryBlock data;
    const auto numRead = in.readIntoMemoryBlock (data, maxBytes + 1);
    if ((juce::int64) numRead > maxBytes)
    {
        result.error = TRANS ("The file is too large");
        return result;
    }

    return parseDocumentText (juce::String::createStringFromData (data.getData(), (int) data.getSize()));
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
