#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/Globals.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"
#include "views/CenterComponent.h"

using juce::Rectangle;

namespace
{
    constexpr int panelWidth = 723, panelHeight = 358;

    const juce::Colour orange { juce::Colours::orange }, white { juce::Colours::white };

    class CenterPanel : public ::testing::Test
    {
    protected:
        CenterComponent center;

        void SetUp() override { center.setSize (panelWidth, panelHeight); }

        void click (juce::Button& b) { center.buttonClicked (&b); }

        juce::Image snapshot() { return center.createComponentSnapshot (center.getLocalBounds(), true, 1.0f); }

        // Kept as a build artefact.
        static void save (const juce::Image& image, const juce::String& name)
        {
            const auto dir = juce::File (VELD72_BINARY_DIR "/snapshots/");
            ASSERT_TRUE (dir.createDirectory().wasOk());
            const auto file = dir.getChildFile (name);
            file.deleteFile();
            juce::FileOutputStream out (file);
            ASSERT_TRUE (out.openedOk());
            ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
        }
    };

    TEST_F (CenterPanel, StartsWithTheResponseViewInFront)
    {
        EXPECT_FALSE (center.isCurveDesignInFront());
        EXPECT_EQ (center.getResponseButton().getTextColour(), orange);
        EXPECT_EQ (center.getCurveDesignButton().getTextColour(), white);
        EXPECT_EQ (center.getCurveDesignButton().getFillColour().getARGB(), 0xFF53585Fu);
        EXPECT_EQ (center.getResponseButton().getFillColour().getARGB(), 0xFF53585Fu);

        EXPECT_EQ (center.getCurveDesignButton().getBounds(), Rectangle<int> (20, 5, 100, 20));
        EXPECT_EQ (center.getResponseButton().getBounds(), Rectangle<int> (160, 5, 210, 20));
        EXPECT_EQ (center.getResponseView().getBounds(), Rectangle<int> (0, 31, 723, 327));
        EXPECT_EQ (center.getCurveBackground().getBounds(), Rectangle<int> (0, 31, 723, 327));
        EXPECT_EQ (center.getCurveEditor().getBounds(), Rectangle<int> (25, 0, 698, 297));
        EXPECT_EQ (center.getCurveEditor().getParentComponent(), &center.getCurveBackground());
    }

    TEST_F (CenterPanel, SwitchingChangesOnlyTheOrderAndTheColours)
    {
        UdpCapture unit (Command::commandPort);
        ASSERT_TRUE (unit.isOpen());
        sendCommand.setCurrentIpAddr ("127.0.0.1");

        auto& editor = center.getCurveEditor();
        editor.addPoint ({ 100, 50 });
        center.getResponseView().setCurrentPosBlue (80);
        const auto points = editor.getPointCentres();

        for (int round = 0; round < 2; ++round)   // the second click on a selected tab changes nothing
        {
            click (center.getCurveDesignButton());
            EXPECT_TRUE (center.isCurveDesignInFront());
            EXPECT_EQ (center.getCurveDesignButton().getTextColour(), orange);
            EXPECT_EQ (center.getResponseButton().getTextColour(), white);
        }

        for (int round = 0; round < 2; ++round)
        {
            click (center.getResponseButton());
            EXPECT_FALSE (center.isCurveDesignInFront());
            EXPECT_EQ (center.getCurveDesignButton().getTextColour(), white);
            EXPECT_EQ (center.getResponseButton().getTextColour(), orange);
        }

        EXPECT_EQ (editor.getPointCentres(), points);
        EXPECT_EQ (center.getResponseView().getCurrentPosBlue(), 80);
        EXPECT_EQ (center.getResponseView().getBounds(), center.getCurveBackground().getBounds());
        EXPECT_TRUE (unit.drain (100).empty());
        sendCommand.setCurrentIpAddr ({});
    }

    TEST_F (CenterPanel, SnapshotOfEachView)
    {
        const auto response = snapshot();
        save (response, "center-frequency-response.png");

        click (center.getCurveDesignButton());
        const auto curve = snapshot();
        save (curve, "center-curve-design.png");

        ASSERT_EQ (response.getWidth(), panelWidth);
        ASSERT_EQ (response.getHeight(), panelHeight);

        const auto argb = [] (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y).getARGB(); };

        for (const auto* image : { &response, &curve })
        {
            EXPECT_EQ (argb (*image, 15, 15), 0xFF53585Fu);     // the header
            EXPECT_EQ (argb (*image, 0, 15), 0xFF808080u);      // the border
            EXPECT_EQ (argb (*image, 140, 15), 0xFF808080u);    // between the tabs
            EXPECT_EQ (argb (*image, 400, 30), 0xFF808080u);    // the line under the header
        }

        // The tip of the blue crossover marker (x 34) shows only on the response view ...
        EXPECT_EQ (argb (response, 34, 33), 0xFF00882Bu);
        EXPECT_NE (argb (curve, 34, 33), 0xFF00882Bu);

        // ... and the tips of the to and from markers (editor x 688 and 13) only on the curve design.
        EXPECT_EQ (argb (curve, 25 + 688, 31 + 2), 0xFFFF7DADu);
        EXPECT_EQ (argb (curve, 25 + 13, 31 + 295), 0xFF2F7DADu);
        EXPECT_NE (argb (response, 25 + 688, 31 + 2), 0xFFFF7DADu);

        // Some orange text in the selected tab.
        const auto hasOrange = [] (const juce::Image& image, Rectangle<int> area)
        {
            for (int y = area.getY(); y < area.getBottom(); ++y)
                for (int x = area.getX(); x < area.getRight(); ++x)
                {
                    const auto c = image.getPixelAt (x, y);
                    if (c.getRed() > 200 && c.getGreen() > 120 && c.getGreen() < 190 && c.getBlue() < 60)
                        return true;
                }
            return false;
        };
        EXPECT_TRUE (hasOrange (response, { 160, 5, 210, 20 }));
        EXPECT_FALSE (hasOrange (response, { 20, 5, 100, 20 }));
        EXPECT_TRUE (hasOrange (curve, { 20, 5, 100, 20 }));
        EXPECT_FALSE (hasOrange (curve, { 160, 5, 210, 20 }));
    }
}
