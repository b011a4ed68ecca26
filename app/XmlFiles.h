#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

// Reading and writing the XML documents the user saves and opens (parameter
// files, curve files). A document is parsed from the file's text and only
// after checks the framework's parser does not make; a document is written to
// a temporary file beside the target and moved over it only once every byte
// is known to be on disk.
namespace XmlFiles
{
    // Far above any document this application writes (a parameter file with
    // every data block is well under a megabyte).
    inline constexpr juce::int64 maxDocumentBytes = 32 * 1024 * 1024;

    // Our documents nest two levels deep; the parser recurses once per level
    // and overflows its stack with some tens of thousands.
    inline constexpr int maxNestingDepth = 64;

    struct ReadResult
    {
        std::unique_ptr<juce::XmlElement> document;   // null on failure
        juce::String error;                           // why, for the user

        explicit operator bool() const noexcept { return document != nullptr; }
    };

    // Refuses text that is not valid UTF-8, a processing instruction after the
    // prolog (the framework's parser can loop for ever on one), a malformed
    // character reference (it can read past the end of the text), a document
    // type declaration (the framework's parser would expand its entities and
    // follow its external references), nesting
    // deeper than maxDepth and a text that does not parse.
    ReadResult parseDocumentText (const juce::String& text, int maxDepth = maxNestingDepth);

    // The same for a file, refusing one larger than maxBytes.
    ReadResult readDocument (const juce::File& file, juce::int64 maxBytes = maxDocumentBytes);

    // The deepest element nesting of the text, scanning markup only (comments,
    // CDATA sections and processing instructions are skipped). Stops early and
    // returns a value above `limit` as soon as the nesting passes it; returns
    // -1 when the text holds a declaration other than a comment or CDATA
    // ("<!DOCTYPE", "<!ENTITY", ...).
    int measureNesting (const juce::String& text, int limit);

    // The layout every saved document uses: XML declaration with version 1.0
    // and encoding "UTF-8", a document type text of one blank, lines wrapped
    // at 60.
    juce::XmlElement::TextFormat documentFormat();

    // Writes the document to a temporary file in the target's folder, flushes
    // it to disk, checks the stream's status and that the file holds exactly
    // the bytes meant for it, and only then moves it over the target. On any
    // failure the target is left as it was and the temporary file removed.
    juce::Result writeDocumentSafely (const juce::XmlElement& document, const juce::File& target,
                                      const juce::XmlElement::TextFormat& format = documentFormat());

    // The same for bytes already rendered.
    juce::Result writeBytesSafely (const void* data, size_t size, const juce::File& target);

    // Collects children in order and hands them to their parent in one pass:
    // the framework's addChildElement walks the whole child list on every
    // call, which is quadratic over a large document.
    class ChildList
    {
    public:
        juce::XmlElement& add (const juce::String& tag);

        // Puts the collected children, in the order they were added, in front
        // of the parent's existing children. The list is empty afterwards.
        void prependTo (juce::XmlElement& parent);

    private:
        std::vector<std::unique_ptr<juce::XmlElement>> children;
    };
}
