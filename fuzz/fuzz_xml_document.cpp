// Any bytes as a document file: the parse the file readers share, the same
// tree as the framework's parser reads, then the document written in the saved layout must read back (what a
// load accepts, a save can write and read again). The framework's writer does
// not keep every foreign document's text exactly (names that are not XML names,
// text runs), so only readability is required of a round trip.
#include "app/XmlFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{
    juce::String render (const juce::XmlElement& document)
    {
        juce::MemoryOutputStream out;
        document.writeTo (out, XmlFiles::documentFormat());
        return out.toUTF8();
    }

    [[noreturn]] void fail (const char* what, const juce::String& detail)
    {
        std::fprintf (stderr, "%s: %s\n", what, detail.toRawUTF8());
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto text = juce::String::createStringFromData (data, (int) size);
    const auto first = XmlFiles::parseDocumentText (text);
    if (first.document == nullptr)
        return 0;

    // What we accept, the framework's parser reads to the same tree. Only
    // ASCII text is given to it: it ends names at some non-ASCII letters we
    // take, and after that error it can loop for ever on a "<?" in a value.
    if (std::all_of (text.toRawUTF8(), text.toRawUTF8() + text.getNumBytesAsUTF8(), [] (char c) { return (unsigned char) c < 0x80; }))
    {
        juce::XmlDocument parser (text);
        const auto theirs = parser.getDocumentElement();
        if (theirs != nullptr && parser.getLastParseError().isEmpty() && ! first.document->isEquivalentTo (theirs.get(), false))
            fail ("the framework's parser reads another tree", render (*theirs));
    }

    const auto written = render (*first.document);
    const auto second = XmlFiles::parseDocumentText (written);
    if (second.document == nullptr)
        fail ("a written document does not read back", second.error);

    return 0;
}
