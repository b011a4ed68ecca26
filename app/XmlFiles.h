#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Reading and writing the XML documents the user saves and opens (parameter
// files, curve files). A document is read from the file's text by a strict
// parser of our own (the framework's parser is neither fast enough for a
// parameter file nor safe on every text); a document is written to
// a temporary file beside the target and moved over it only once every byte
// is known to be on disk.
namespace XmlFiles
{
    // Far above any document this application writes (a parameter file with
    // every data block is well under a megabyte).
    inline constexpr juce::int64 maxDocumentBytes = 32 * 1024 * 1024;

    // Our documents nest two levels deep and give each element one or two
    // attributes.
    inline constexpr int maxNestingDepth = 64;
    inline constexpr std::uint32_t maxAttributesPerElement = 64;

    struct ReadResult
    {
        std::unique_ptr<juce::XmlElement> document;   // null on failure
        juce::String error;                           // why, for the user

        explicit operator bool() const noexcept { return document != nullptr; }
    };

    //==========================================================================
    // A parsed document as views into its own copy of the text: elements in
    // document order, each with its attributes and its first child and next
    // sibling. Reading one costs no string pooling and one allocation per few
    // thousand elements; toXmlElement builds the framework's tree from it.
    class Document
    {
    public:
        static constexpr std::uint32_t none = 0xffffffffu;

        struct Attribute
        {
            std::string_view name, value;   // the value with its references decoded
        };

        struct Element
        {
            std::string_view tag;    // empty for a text element
            std::string_view text;   // a text element's content
            std::uint32_t parent = none, firstChild = none, nextSibling = none;
            std::uint32_t firstAttribute = 0, numAttributes = 0;

            bool isText() const noexcept { return tag.empty(); }
        };

        const Element& root() const noexcept                     { return elements.front(); }
        const Element& element (std::uint32_t index) const       { return elements[index]; }
        std::size_t size() const noexcept                        { return elements.size(); }

        const Attribute* attributesBegin (const Element& e) const noexcept { return attributes.data() + e.firstAttribute; }
        const Attribute* attributesEnd (const Element& e) const noexcept   { return attributesBegin (e) + e.numAttributes; }

        // The value of the element's attribute of that name, or nullptr.
        const std::string_view* findAttribute (const Element& e, std::string_view name) const noexcept;

        // The same tree as the framework's elements: tags, attributes in
        // order, text elements.
        std::unique_ptr<juce::XmlElement> toXmlElement() const;

    private:
        friend class Parser;

        std::string source;
        std::vector<Element> elements;
        std::vector<Attribute> attributes;
        std::deque<std::string> decoded;   // values and texts that differ from the source
    };

    struct DocumentResult
    {
        std::unique_ptr<Document> document;   // null on failure
        juce::String error;

        explicit operator bool() const noexcept { return document != nullptr; }
    };

    // Parses UTF-8 text strictly, in one pass: refuses text that is not valid
    // UTF-8, a processing instruction inside the elements, a malformed
    // character reference, a document type or other declaration, nesting
    // deeper than maxDepth, and anything else that is not well-formed.
    DocumentResult parseDocument (std::string text, int maxDepth = maxNestingDepth);

    // The same for a file, refusing one larger than maxBytes. A UTF-16 file
    // with a byte order mark is converted; one that is not valid UTF-8 is
    // read as Windows-1252 text.
    DocumentResult readDocumentFile (const juce::File& file, juce::int64 maxBytes = maxDocumentBytes);

    // A file's bytes as readDocumentFile reads them: the encoding recognised
    // (UTF-16 with a byte order mark, UTF-8 with or without one, else
    // Windows-1252), then parsed.
    DocumentResult parseDocumentBytes (std::string bytes);

    // The documents above as the framework's element trees.
    ReadResult parseDocumentText (const juce::String& text, int maxDepth = maxNestingDepth);
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
