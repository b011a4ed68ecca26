#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/Globals.h"
#include "support/UdpCapture.h"
#include "views/CurveComponent.h"
#include "views/CurveFile.h"

#include <csignal>
#include <sys/resource.h>

using juce::Point;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace
{
    constexpr int W = 698, H = 297;

    struct EditorState
    {
        std::vector<Point<int>> topLefts;
        Point<int> p1, p2;
        int from = 0, to = 0;

        bool operator== (const EditorState& o) const
        {
            return topLefts == o.topLefts && p1 == o.p1 && p2 == o.p2 && from == o.from && to == o.to;
        }
    };

    std::ostream& operator<< (std::ostream& out, const EditorState& s)
    {
        out << "points";
        for (const auto& p : s.topLefts)
            out << " (" << p.x << "," << p.y << ")";
        return out << " p1 (" << s.p1.x << "," << s.p1.y << ") p2 (" << s.p2.x << "," << s.p2.y << ") markers "
                   << s.from << " " << s.to;
    }

    EditorState stateOf (const CurveComponent& editor)
    {
        return { editor.getPointTopLefts(), editor.getP1(), editor.getP2(),
                 CurveComponent::getCurrentPos(), CurveComponent::getCurrentPosH() };
    }

    class CurveFiles : public ::testing::Test
    {
    protected:
        CurveComponent editor;
        juce::File dir;

        void SetUp() override
        {
            editor.setSize (W, H);
            dir = juce::File::createTempFile ("curves");
            ASSERT_TRUE (dir.createDirectory());
        }

        void TearDown() override { dir.deleteRecursively(); }

        // Some edited state that no case below loads.
        void editSomething()
        {
            editor.addPoint ({ 150, 40 });
            editor.setP1Level (30);
            CurveComponent::setCurrentPos (77.0f);
        }

        std::vector<juce::String> childTagsOf (const juce::File& file)
        {
            std::vector<juce::String> tags;
            if (const auto xml = juce::parseXML (file))
                for (auto* child : xml->getChildIterator())
                    tags.push_back (child->getTagName());
            return tags;
        }
    };

    TEST_F (CurveFiles, StartStateIsSavedAsItsPixelPositions)
    {
        const auto file = dir.getChildFile ("start.curve");
        ASSERT_TRUE (saveCurveFile (editor, file).wasOk());

        const auto text = file.loadFileAsString();
        EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text;

        const auto xml = juce::parseXML (file);
        ASSERT_NE (xml, nullptr);
        EXPECT_EQ (xml->getTagName(), "circles");

        std::vector<std::string> described;
        for (auto* child : xml->getChildIterator())
        {
            std::string s = child->getTagName().toStdString();
            for (int i = 0; i < child->getNumAttributes(); ++i)
                s += " " + child->getAttributeName (i).toStdString() + "=" + child->getAttributeValue (i).toStdString();
            described.push_back (s);
        }

        EXPECT_THAT (described, ElementsAre ("circle0 x=294 y=106", "circle1 x=494 y=106", "p1 p1x=5 p1y=112",
                                             "p2 p2x=688 p2y=112", "currentPos currentPos=13",
                                             "currentPosH currentPosH=688"));
    }

    TEST_F (CurveFiles, SaveAndLoadCases)
    {
        struct Case
        {
            const char* name;
            std::function<void (CurveComponent&)> prepare;   // the editor that is saved
            EditorState loaded;                              // what loading the file gives
            std::vector<juce::String> tags;
        };

        const Case cases[] = {
            { "start state", [] (CurveComponent&) {},
              { { { 294, 106 }, { 494, 106 } }, { 5, 112 }, { 688, 112 }, 13, 688 },
              { "circle0", "circle1", "p1", "p2", "currentPos", "currentPosH" } },
            { "no points", [] (CurveComponent& e) { e.removeAllPoints(); },
              { {}, { 5, 112 }, { 688, 112 }, 13, 688 },
              { "p1", "p2", "currentPos", "currentPosH" } },
            { "edited, in creation order", [] (CurveComponent& e)
              {
                  e.addPoint ({ 100, 200 });
                  e.setP1Level (20);
                  e.setP2Level (250);
                  CurveComponent::setCurrentPos (250.0f);
                  CurveComponent::setCurrentPosH (600.7f);
              },
              { { { 294, 106 }, { 494, 106 }, { 100, 200 } }, { 5, 20 }, { 688, 250 }, 250, 600 },
              { "circle0", "circle1", "circle2", "p1", "p2", "currentPos", "currentPosH" } },
            { "after applying, sorted", [] (CurveComponent& e)
              {
                  e.addPoint ({ 100, 200 });
                  e.sortPoints();
              },
              { { { 100, 200 }, { 294, 106 }, { 494, 106 } }, { 5, 112 }, { 688, 112 }, 13, 688 },
              { "circle0", "circle1", "circle2", "p1", "p2", "currentPos", "currentPosH" } },
            { "a point at the left edge stays", [] (CurveComponent& e) { e.addPoint ({ 2, 50 }); },
              { { { 294, 106 }, { 494, 106 }, { 2, 50 } }, { 5, 112 }, { 688, 112 }, 13, 688 },
              { "circle0", "circle1", "circle2", "p1", "p2", "currentPos", "currentPosH" } },
        };

        const auto file = dir.getChildFile ("case.curve");
        ASSERT_TRUE (file.replaceWithText ("an older file of the same name"));

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            CurveComponent saved;
            saved.setSize (W, H);
            c.prepare (saved);

            const auto result = saveCurveFile (saved, file);
            ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();
            EXPECT_THAT (childTagsOf (file), ElementsAreArray (c.tags));

            CurveComponent::setCurrentPos (1.0f);
            CurveComponent::setCurrentPosH (2.0f);
            editSomething();
            ASSERT_TRUE (loadCurveFile (editor, file).wasOk());
            EXPECT_EQ (stateOf (editor), c.loaded);
        }
    }

    TEST_F (CurveFiles, LoadReadsWhatItFinds)
    {
        struct Case
        {
            const char* name;
            const char* document;
            EditorState loaded;
        };

        // Before each load: points (294,106) (494,106) (150,40), p1 y 30, markers 77 and 688.
        const Case cases[] = {
            { "any other tag with x and y is a point",
              "<circles><dot x=\"300\" y=\"10\"/><circle7 x=\"40.9\" y=\"41\"/></circles>",
              { { { 300, 10 }, { 40, 41 } }, { 5, 30 }, { 688, 112 }, 77, 688 } },
            { "missing attributes read as 0",
              "<circles><circle0/><p1 p1x=\"5\"/><currentPosH/></circles>",
              { { { 0, 0 } }, { 5, 0 }, { 688, 112 }, 77, 0 } },
            { "p1x and p2x are not read; values out of range are kept",
              "<circles><p1 p1x=\"100\" p1y=\"-40\"/><p2 p2x=\"3\" p2y=\"900\"/></circles>",
              { {}, { 5, -40 }, { 688, 900 }, 77, 688 } },
            { "nested elements are not visited; the root's tag is not examined",
              "<anything><group><circle0 x=\"1\" y=\"2\"/></group></anything>",
              { { { 0, 0 } }, { 5, 30 }, { 688, 112 }, 77, 688 } },
            { "numbers that are no pixel positions",
              "<circles><circle0 x=\"1e300\" y=\"nan\"/><currentPos currentPos=\"inf\"/></circles>",
              { { { 1000000, 0 } }, { 5, 30 }, { 688, 112 }, 0, 688 } },
        };

        const auto file = dir.getChildFile ("in.curve");

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            CurveComponent::setCurrentPos (13.0f);
            CurveComponent::setCurrentPosH (688.0f);
            editor.removeAllPoints();
            editor.addPoint ({ 294, 106 });
            editor.addPoint ({ 494, 106 });
            editor.setP2Level (112);
            editSomething();

            ASSERT_TRUE (file.replaceWithText (c.document));
            const auto result = loadCurveFile (editor, file);
            ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();
            EXPECT_EQ (stateOf (editor), c.loaded);
        }
    }

    TEST_F (CurveFiles, AFileThatCannotBeLoadedLeavesTheEditorAsItWas)
    {
        editSomething();
        const auto before = stateOf (editor);

        struct Case { const char* name; const char* text; const char* reason; };
        const Case cases[] = {
            { "missing.curve", nullptr, "The file doesn't exist" },
            { "broken.curve", "<circles><circle0 x=\"1\" y=\"2\"></circles>", "not well-formed" },
            { "entities.curve", "<!DOCTYPE c [<!ENTITY e \"<circle9 x='1' y='1'/>\">]><circles>&e;</circles>",
              "document type declaration" },
            { "empty.curve", "", "not well-formed" },
        };

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            const auto file = dir.getChildFile (c.name);
            if (c.text != nullptr)
                ASSERT_TRUE (file.replaceWithText (c.text));

            const auto result = loadCurveFile (editor, file);
            ASSERT_TRUE (result.failed());
            const auto message = result.getErrorMessage().toStdString();
            EXPECT_THAT (message, ::testing::StartsWith ("There was an error while trying to load the file: \n"
                                                         + file.getFullPathName().toStdString() + "\n\n"));
            EXPECT_THAT (message, ::testing::HasSubstr (c.reason));
            EXPECT_EQ (stateOf (editor), before);
        }

        EXPECT_EQ (curveLoadFailedTitle(), "Failed to open file...");
    }

    TEST_F (CurveFiles, AFailedSaveKeepsTheOldFile)
    {
        const auto file = dir.getChildFile ("kept.curve");
        ASSERT_TRUE (saveCurveFile (editor, file).wasOk());
        const auto old = file.loadFileAsString();

        // A disk that fills up while the document is written.
        editSomething();
        rlimit previous {};
        ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &previous), 0);
        const auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit tiny = previous;
        tiny.rlim_cur = 64;
        ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &tiny), 0);

        const auto result = saveCurveFile (editor, file);

        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);

        ASSERT_TRUE (result.failed());
        EXPECT_THAT (result.getErrorMessage().toStdString(),
                     ::testing::StartsWith ("There was an error while trying to save the file: \n" + file.getFullPathName().toStdString()));
        EXPECT_EQ (file.loadFileAsString(), old);
        EXPECT_EQ (dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);

        // A folder that cannot hold the file: a regular file in its place.
        const auto notAFolder = dir.getChildFile ("plain");
        ASSERT_TRUE (notAFolder.replaceWithText ("x"));
        EXPECT_TRUE (saveCurveFile (editor, notAFolder.getChildFile ("new.curve")).failed());
        EXPECT_EQ (curveSaveFailedTitle(), "Failed to save file...");
    }

    TEST_F (CurveFiles, LoadingSendsNothing)
    {
        UdpCapture unit (9001);
        ASSERT_TRUE (unit.isOpen());
        sendCommand.setCurrentIpAddr ("127.0.0.1");

        const auto file = dir.getChildFile ("quiet.curve");
        ASSERT_TRUE (saveCurveFile (editor, file).wasOk());
        ASSERT_TRUE (loadCurveFile (editor, file).wasOk());
        EXPECT_TRUE (unit.drain (100).empty());

        sendCommand.setCurrentIpAddr ({});
    }
}
