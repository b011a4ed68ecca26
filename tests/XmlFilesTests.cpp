#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/XmlFiles.h"

#include <csignal>
#include <sys/resource.h>

namespace
{
    juce::String nested (int depth)
    {
        juce::String open, close;
        for (int i = 0; i < depth; ++i)
        {
            open << "<e>";
            close << "</e>";
        }
        return open + close;
    }

    juce::String withAttributes (int count)
    {
        juce::String s ("<a");
        for (int i = 0; i < count; ++i)
            s << " x" << i << "='1'";
        return s + "/>";
    }

    struct ParseCase
    {
        const char* name;
        juce::String text;
        bool accepted;
    };

    TEST (XmlFiles, ParsesOnlyWhatIsSafeAndWellFormed)
    {
        const auto secret = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("secret.txt");
        secret.replaceWithText ("<stolen/>");

        const ParseCase cases[] = {
            { "a document as this application writes it",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n \r\n<circles>\r\n  <p1 p1x=\"5\" p1y=\"112\"/>\r\n</circles>\r\n", true },
            { "comments, CDATA and quoted markup characters",
              "<a><!-- <!DOCTYPE x> <b> --><![CDATA[<!ENTITY y>]]><c v=\"/>\" w='</a>'/></a>", true },
            { "internal entities", "<!DOCTYPE a [<!ENTITY e \"<b/>\">]><a>&e;</a>", false },
            { "an external reference", "<!DOCTYPE a SYSTEM \"" + secret.getFullPathName() + "\"><a/>", false },
            { "a lower-case declaration", "<!doctype a><a/>", false },
            { "an entity declaration anywhere", "<a><!ENTITY e \"x\"></a>", false },
            { "64 levels", nested (64), true },
            { "65 levels", nested (65), false },
            { "30000 levels", nested (30000), false },
            { "processing instructions and comments before the element", "<?xml version=\"1.0\"?> <!-- <? --> <?pi x?>\n<a/>", true },
            { "a processing instruction before text in an element", "<a><?x?>t</a>", false },
            { "a processing instruction in an element", "<a><b><?x y?><c/></b></a>", false },
            { "a processing instruction after a tag the parser refuses", "<r><a / ><?x?>t</r>", false },
            { "character references", "<a v=\"&#65;&#x42;&#X10FFFF;\">&#x1F600;&amp;</a>", true },
            { "an unterminated hexadecimal reference at the end", "<a>&#x", false },
            { "an unterminated decimal reference", "<a>&#12</a>", false },
            { "a reference without digits", "<a>&#x;</a>", false },
            { "a reference to no character", "<a>&#0;&#xD800;&#x110000;</a>", false },
            { "a reference with a letter", "<a>&#1x;</a>", false },
            { "unmatched tags", "<a><b></a>", false },
            { "unterminated", "<a><b/>", false },
            { "no element", "just text", false },
            { "empty", "", false },
            { "a truncated multi-byte sequence", juce::String::fromUTF8 ("<D\xc9", 3), false },
            { "valid non-ASCII text", juce::String::fromUTF8 ("<a n=\"B\xc3\xbchne\"/>"), true },
        };

        for (const auto& c : cases)
        {
            const auto result = XmlFiles::parseDocumentText (c.text);
            EXPECT_EQ ((bool) result, c.accepted) << c.name << ": " << result.error;
            EXPECT_EQ (result.error.isEmpty(), c.accepted) << c.name;
        }
    }

    // The tree as one line: tag[attributes](children), text elements quoted.
    juce::String describeTree (const juce::XmlElement& e)
    {
        if (e.isTextElement())
            return "'" + e.getText() + "'";

        juce::String s (e.getTagName());
        s << "[";
        for (int i = 0; i < e.getNumAttributes(); ++i)
            s << (i > 0 ? " " : "") << e.getAttributeName (i) << "=\"" << e.getAttributeValue (i) << "\"";
        s << "]";

        if (e.getNumChildElements() > 0)
        {
            s << "(";
            bool first = true;
            for (auto* child : e.getChildIterator())
            {
                s << (first ? "" : ",") << describeTree (*child);
                first = false;
            }
            s << ")";
        }
        return s;
    }

    struct TreeCase
    {
        const char* text;
        const char* tree;
    };

    // What the framework's parser makes of the same well-formed text.
    const TreeCase acceptedDocuments[] = {
        { "<a/>", "a[]" },
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- x -->\n<?pi?>\n<a>\r\n  <b v=\"1\"/>\r\n</a>\n<!-- after -->\n<?end?>\n", "a[](b[v=\"1\"])" },
        { "<a x='1' y = \"2\" z=\"\"></a >", "a[x=\"1\" y=\"2\" z=\"\"]" },
        { "<a v=\"&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&#X43;&#x1F600;\"/>", "a[v=\"<>&\"'ABC\xf0\x9f\x98\x80\"]" },
        { "<a v=\"1\n\t\r2\" w='say \"hi\"' u=\"/>\" t='</a>'/>", "a[v=\"1\n\t\r2\" w=\"say \"hi\"\" u=\"/>\" t=\"</a>\"]" },
        { "<a>text &amp; more</a>", "a[]('text & more')" },
        { "<a> lead <!-- c --> tail </a>", "a[](' lead  tail ')" },
        { "<a>one\r\ntwo\rthree&#13;</a>", "a[]('one\ntwo\nthree\r')" },
        { "<a>  <!-- only space --> \n </a>", "a[]" },
        { "<a>&#32;&#9;</a>", "a[]" },
        { "<a>x<![CDATA[ <b>&amp;\r\n]]>y<![CDATA[]]>  <![CDATA[z]]></a>", "a[]('x',' <b>&amp;\r\n','y','','z')" },
        { "<a><b><c/></b>t<b/></a>", "a[](b[](c[]),'t',b[])" },
        { "<n:a-b.c_d e:f='1'/>", "n:a-b.c_d[e:f=\"1\"]" },
        { "<a x0='1' x1='1' x2='1' x3='1' x4='1' x5='1' x6='1' x7='1' x8='1' x9='1'/>",
          "a[x0=\"1\" x1=\"1\" x2=\"1\" x3=\"1\" x4=\"1\" x5=\"1\" x6=\"1\" x7=\"1\" x8=\"1\" x9=\"1\"]" },
        { "<a>\xc3\xbc\xe2\x80\x83</a>", "a[]('\xc3\xbc\xe2\x80\x83')" },
    };

    struct RefusalCase
    {
        const char* name;
        juce::String text;
        const char* error;
    };

    TEST (XmlFiles, BuildsTheTreeOfWellFormedDocuments)
    {
        for (const auto& c : acceptedDocuments)
        {
            const auto text = juce::String::fromUTF8 (c.text);
            const auto result = XmlFiles::parseDocumentText (text);
            ASSERT_TRUE (result) << c.text << ": " << result.error;
            EXPECT_EQ (describeTree (*result.document), juce::String::fromUTF8 (c.tree)) << c.text;
        }
    }

    TEST (XmlFiles, RefusesEachClassOfFaultWithItsReason)
    {
        const RefusalCase cases[] = {
            { "invalid UTF-8", juce::String::fromUTF8 ("<a>\xc3</a>", 7), "not valid UTF-8" },
            { "an overlong form", juce::String::fromUTF8 ("<a>\xc0\xaf</a>", 9), "not valid UTF-8" },
            { "an encoded surrogate", juce::String::fromUTF8 ("<a>\xed\xa0\x80</a>", 10), "not valid UTF-8" },
            { "a control character", "<a>\x01</a>", "not well-formed XML (a control character)" },
            { "a PI in an element", "<a><?x?></a>", "processing instruction" },
            { "a PI in text", "<a>t<?x?></a>", "processing instruction" },
            { "a doctype", "<!DOCTYPE a><a/>", "document type declaration" },
            { "a declaration in an element", "<a><!ELEMENT a ANY></a>", "document type declaration" },
            { "an unterminated reference", "<a>&#x41</a>", "malformed character reference" },
            { "a reference to nothing", "<a v='&#0;'/>", "malformed character reference" },
            { "a surrogate reference", "<a>&#xDFFF;</a>", "malformed character reference" },
            { "a reference too large", "<a>&#99999999999999999999;</a>", "malformed character reference" },
            { "65 levels", nested (65), "nested too deeply" },
            { "an unknown entity", "<a>&nbsp;</a>", "not well-formed XML (an unknown entity)" },
            { "an entity name in another case", "<a>&AMP;</a>", "an unknown entity" },
            { "a bare ampersand", "<a>a & b</a>", "an unterminated entity reference" },
            { "mismatched end tag", "<a><b></c></a>", "does not match" },
            { "unclosed element", "<a><b/>", "never closed" },
            { "unterminated tag", "<a x='1'", "unterminated" },
            { "unterminated value", "<a x='1/>", "unterminated attribute value" },
            { "unterminated comment", "<a><!-- x</a>", "unterminated comment" },
            { "unterminated CDATA", "<a><![CDATA[x</a>", "unterminated CDATA" },
            { "an unquoted value", "<a x=1/>", "without quotes" },
            { "attributes run together", "<a x='1'y='2'/>", "white space" },
            { "a repeated attribute", "<a x='1' x='2'/>", "twice" },
            { "too many attributes", withAttributes (65), "too many attributes" },
            { "a space after '<'", "< a/>", "no document element" },
            { "a second document element", "<a/><b/>", "after the document element" },
            { "text after the document element", "<a/>x", "after the document element" },
            { "text before the document element", "x<a/>", "no document element" },
            { "nothing", "", "no document element" },
            { "only a comment", "<!-- -->", "no document element" },
        };

        for (const auto& c : cases)
        {
            const auto result = XmlFiles::parseDocumentText (c.text);
            EXPECT_FALSE (result) << c.name;
            EXPECT_THAT (result.error.toStdString(), ::testing::HasSubstr (c.error)) << c.name;
        }
    }

    // Every prefix of a document is refused, except those that end after
    // the document element, which give the whole tree.
    TEST (XmlFiles, EveryTruncationIsRefusedSafely)
    {
        const std::string text = "<?xml version=\"1.0\"?><!-- c --><a x=\"1&amp;2\" y='\xc3\xbc'><b/>t&#65;\xe2\x82\xac<![CDATA[c]]><!--k--></a>\n";
        const auto complete = text.find ("</a>") + 4;
        const auto whole = XmlFiles::parseDocument (text);
        ASSERT_TRUE (whole) << whole.error;

        for (size_t length = 0; length <= text.size(); ++length)
        {
            const auto result = XmlFiles::parseDocument (text.substr (0, length));
            EXPECT_EQ ((bool) result, length >= complete) << length << ": " << result.error;
            EXPECT_EQ (result.error.isEmpty(), length >= complete) << length;
            if (result)
                EXPECT_TRUE (result.document->toXmlElement()->isEquivalentTo (whole.document->toXmlElement().get(), false));
        }
    }

    // Our tree against the framework parser's for the same text.
    void expectSameTreeAsTheFramework (const juce::String& text, const juce::String& what)
    {
        const auto ours = XmlFiles::parseDocumentText (text);
        ASSERT_TRUE (ours) << what << ": " << ours.error;

        juce::XmlDocument parser (text);
        const auto theirs = parser.getDocumentElement();
        ASSERT_NE (theirs, nullptr) << what << ": " << parser.getLastParseError();
        EXPECT_TRUE (parser.getLastParseError().isEmpty()) << what;
        EXPECT_TRUE (ours.document->isEquivalentTo (theirs.get(), false))
            << what << "\nours:   " << describeTree (*ours.document) << "\ntheirs: " << describeTree (*theirs);
    }

    TEST (XmlFiles, TreesAreTheFrameworkParsersTrees)
    {
        for (const auto& c : acceptedDocuments)
            expectSameTreeAsTheFramework (juce::String::fromUTF8 (c.text), c.text);

        for (const auto* path : { "tests/fixtures/parameter/golden-load.parameter", "tests/fixtures/parameter/golden-save.parameter",
                                  "fuzz/corpus/fuzz_xml_document/room.curve" })
            expectSameTreeAsTheFramework (juce::File (VELD72_SOURCE_DIR).getChildFile (path).loadFileAsString(), path);

        // A document as a parameter save writes it, values that need escaping included.
        juce::XmlElement document ("allValue");
        for (int i = 0; i < 3000; ++i)
            document.createNewChildElement ((i % 2 == 0 ? "amp" : "fft1") + juce::String (i))
                ->setAttribute (i % 2 == 0 ? "ampValue" : "fftValue", i % 7 == 0 ? juce::String::fromUTF8 ("a<&>\"'\t\n\xc3\xbc") : juce::String (-i * 37));
        document.createNewChildElement ("textNote")->setAttribute ("textNote", "line one\r\nline two");
        expectSameTreeAsTheFramework (document.toString (XmlFiles::documentFormat()), "a written document");
    }

    TEST (XmlFiles, DocumentsGiveTheirElementsInOrder)
    {
        const auto result = XmlFiles::parseDocument ("<r><a x='1' y='&lt;'/>t<b/></r>");
        ASSERT_TRUE (result);
        const auto& d = *result.document;

        std::vector<std::string> seen;
        for (auto i = d.root().firstChild; i != XmlFiles::Document::none; i = d.element (i).nextSibling)
            seen.emplace_back (d.element (i).isText() ? "'" + std::string (d.element (i).text) + "'" : std::string (d.element (i).tag));
        EXPECT_EQ (seen, (std::vector<std::string> { "a", "'t'", "b" }));

        const auto& a = d.element (d.root().firstChild);
        ASSERT_NE (d.findAttribute (a, "y"), nullptr);
        EXPECT_EQ (*d.findAttribute (a, "y"), "<");
        EXPECT_EQ (d.findAttribute (a, "z"), nullptr);
    }

    TEST (XmlFiles, NestingIsMeasuredOnTheText)
    {
        EXPECT_EQ (XmlFiles::measureNesting ("<a><b/><c><d x='>'/></c></a>", 10), 2);   // empty elements open no level
        EXPECT_EQ (XmlFiles::measureNesting (nested (1000), 10), 11);   // stops once past the limit
        EXPECT_EQ (XmlFiles::measureNesting ("<?xml version=\"1.0\"?><a><b/></a>", 10), 1);
        EXPECT_EQ (XmlFiles::measureNesting ("<!DOCTYPE a><a/>", 10), -1);
        EXPECT_EQ (XmlFiles::measureNesting ("<a><!-- never closed", 10), 1);
    }

    TEST (XmlFiles, ReadsFilesWithinTheSizeLimit)
    {
        const auto dir = juce::File::createTempFile ("xmlread");
        ASSERT_TRUE (dir.createDirectory());
        const auto file = dir.getChildFile ("doc.xml");

        EXPECT_FALSE (XmlFiles::readDocument (file));
        EXPECT_EQ (XmlFiles::readDocument (file).error, "The file doesn't exist");

        // A byte order mark is fine.
        ASSERT_TRUE (file.replaceWithText ("<root><child v=\"1\"/></root>", false, true));
        const auto read = XmlFiles::readDocument (file);
        ASSERT_TRUE (read) << read.error;
        EXPECT_EQ (read.document->getTagName(), "root");
        EXPECT_EQ (read.document->getChildByName ("child")->getIntAttribute ("v"), 1);

        EXPECT_FALSE (XmlFiles::readDocument (file, 10));
        EXPECT_EQ (XmlFiles::readDocument (file, 10).error, "The file is too large");

        // A UTF-16 file with its byte order mark is converted, a file that is
        // not UTF-8 read as Windows-1252, a NUL byte refused.
        const struct { const char* bytes; size_t size; const char* value; } encodings[] = {
            { "\xff\xfe<\0a\0 \0v\0=\0'\0\xfc\0'\0/\0>\0", 22, "\xc3\xbc" },
            { "<a v='\xfc'/>", 11, "\xc3\xbc" },
            { "\xef\xbb\xbf<a v='\xc3\xbc'/>", 14, "\xc3\xbc" },
            { "<a v='1'/>\0<b/>", 15, nullptr },
            { "\xef\xbb\xbf", 3, nullptr },
            { "\xff\xfe", 2, nullptr },
            { "\xff\xfe<\0a\0/", 5, nullptr },
        };
        for (const auto& e : encodings)
        {
            ASSERT_TRUE (file.replaceWithData (e.bytes, e.size));
            const auto read = XmlFiles::readDocument (file);
            EXPECT_EQ ((bool) read, e.value != nullptr) << e.bytes;
            if (read && e.value != nullptr)
                EXPECT_EQ (read.document->getStringAttribute ("v"), juce::String::fromUTF8 (e.value));
        }

        juce::Random random (72);
        juce::MemoryBlock garbage (4096);
        random.fillBitsRandomly (garbage.getData(), garbage.getSize());
        static_cast<char*> (garbage.getData())[0] = '<';
        ASSERT_TRUE (file.replaceWithData (garbage.getData(), garbage.getSize()));
        EXPECT_FALSE (XmlFiles::readDocument (file));

        dir.deleteRecursively();
    }

    //==========================================================================
    class SafeWrite : public ::testing::Test
    {
    protected:
        juce::File dir;
        juce::XmlElement document { "circles" };

        void SetUp() override
        {
            dir = juce::File::createTempFile ("xmlwrite");
            ASSERT_TRUE (dir.createDirectory());
            for (int i = 0; i < 20; ++i)
                document.createNewChildElement ("circle" + juce::String (i))->setAttribute ("x", i * 10);
        }

        void TearDown() override { dir.deleteRecursively(); }

        juce::StringArray filesInDir() const
        {
            juce::StringArray names;
            for (const auto& f : dir.findChildFiles (juce::File::findFilesAndDirectories, false, "*"))
                names.add (f.getFileName());
            names.sort (false);
            return names;
        }
    };

    TEST_F (SafeWrite, WritesTheDocumentAndReplacesTheOldFile)
    {
        const auto target = dir.getChildFile ("a.curve");
        ASSERT_TRUE (target.replaceWithText ("old"));

        const auto result = XmlFiles::writeDocumentSafely (document, target);
        ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();

        const auto text = target.loadFileAsString();
        EXPECT_EQ (text, document.toString (XmlFiles::documentFormat()));
        EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n \r\n<circles>"));
        EXPECT_EQ (filesInDir(), juce::StringArray ("a.curve"));
    }

    TEST_F (SafeWrite, AFailedWriteKeepsTheOldFile)
    {
        const auto target = dir.getChildFile ("a.curve");
        ASSERT_TRUE (target.replaceWithText ("old"));

        const auto plainFile = dir.getChildFile ("plain");
        ASSERT_TRUE (plainFile.replaceWithText ("x"));
        ASSERT_TRUE (dir.getChildFile ("folder").createDirectory());

        EXPECT_TRUE (XmlFiles::writeDocumentSafely (document, plainFile.getChildFile ("b.curve")).failed());
        EXPECT_TRUE (XmlFiles::writeDocumentSafely (document, dir.getChildFile ("missing").getChildFile ("b.curve")).failed());
        EXPECT_TRUE (XmlFiles::writeDocumentSafely (document, dir.getChildFile ("folder")).failed());

        // A file size limit makes the write come up short without any error
        // from the stream, as a full disk does.
        rlimit previous {};
        ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &previous), 0);
        const auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit tiny = previous;
        tiny.rlim_cur = 100;
        ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &tiny), 0);

        const auto result = XmlFiles::writeDocumentSafely (document, target);

        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);

        EXPECT_TRUE (result.failed());
        EXPECT_THAT (result.getErrorMessage().toStdString(), ::testing::HasSubstr ("disk full"));
        EXPECT_EQ (target.loadFileAsString(), "old");
        EXPECT_EQ (filesInDir(), juce::StringArray ("a.curve", "folder", "plain"));
    }

    TEST (XmlFiles, ChildListKeepsOrderInOnePass)
    {
        juce::XmlElement root ("root");
        root.createNewChildElement ("existing");

        XmlFiles::ChildList children;
        for (int i = 0; i < 5000; ++i)
            children.add ("c" + juce::String (i));
        children.prependTo (root);

        int index = 0;
        for (auto* child : root.getChildIterator())
        {
            const auto expected = index < 5000 ? "c" + juce::String (index) : juce::String ("existing");
            EXPECT_EQ (child->getTagName(), expected);
            if (child->getTagName() != expected)
                break;
            ++index;
        }
        EXPECT_EQ (index, 5001);
    }
}
