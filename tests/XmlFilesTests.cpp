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
