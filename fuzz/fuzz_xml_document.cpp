// Any bytes as a document file: the parse the file readers share, then the
// document written in the saved layout must read back (what a load accepts, a
// save can write and read again). The framework's own parser is compared with
// ours on fixed documents in the tests, not here: it is not on any read path,
// and its faults are not ours to find. The framework's writer does
// not keep every foreign document's text exactly (names that are not XML names,
// text runs), so only readability is required of a round trip.
#include "app/XmlFiles.h"

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
    const auto parsed = XmlFiles::parseDocumentBytes (std::string (reinterpret_cast<const char*> (data), size));
    if (parsed.document == nullptr)
        return 0;

    const auto written = render (*parsed.document->toXmlElement());
    const auto second = XmlFiles::parseDocumentText (written);
    if (second.document == nullptr)
        fail ("a written document does not read back", second.error);

    return 0;
}
