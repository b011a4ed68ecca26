#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "support/DrawnText.h"
#include "support/PanelTestSupport.h"

// The window at the desktop scales of HiDPI screens: the framework paints
// every component through a scale transform at the screen's own resolution,
// as here. The layout stays that of 1024 x 720, texts keep their places and
// fit as at scale 1, and at scale 2 one-pixel rules stay sharp.

using namespace PanelTest;

namespace
{
    class WindowScale : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            useAppTypeface();
            content = std::make_unique<MainContentComponent>();
            content->setSize (1024, 720);
            pump();
        }

        juce::Image render (float scale, const juce::String& name)
        {
            const auto image = content->createComponentSnapshot (content->getLocalBounds(), true, scale);
            const auto dir = juce::File (VELD72_BINARY_DIR "/snapshots");
            dir.createDirectory();
            const auto file = dir.getChildFile (name + ".png");
            file.deleteFile();
            juce::FileOutputStream out (file);
            if (out.openedOk())
                juce::PNGImageFormat().writeImageToStream (image, out);
            return image;
        }

        std::unique_ptr<MainContentComponent> content;
    };

    // Mean difference per channel between two images of the same size.
    double meanDifference (const juce::Image& a, const juce::Image& b)
    {
        double sum = 0.0;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
            {
                const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
                sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                     + std::abs (p.getBlue() - q.getBlue());
            }
        return sum / (3.0 * a.getWidth() * a.getHeight());
    }

    // The image brought back to the window's own pixels, each pixel the mean of its block.
    juce::Image downTo1024 (const juce::Image& scaled, int factor)
    {
        juce::Image result (juce::Image::RGB, 1024, 720, false);
        for (int y = 0; y < 720; ++y)
            for (int x = 0; x < 1024; ++x)
            {
                int r = 0, g = 0, b = 0;
                for (int j = 0; j < factor; ++j)
                    for (int i = 0; i < factor; ++i)
                    {
                        const auto p = scaled.getPixelAt (x * factor + i, y * factor + j);
                        r += p.getRed(); g += p.getGreen(); b += p.getBlue();
                    }
                const auto n = factor * factor;
                result.setPixelAt (x, y, juce::Colour ((juce::uint8) (r / n), (juce::uint8) (g / n), (juce::uint8) (b / n)));
            }
        return result;
    }
}

TEST_F (WindowScale, TheLayoutStaysAndRulesStaySharpAtScaleTwo)
{
    const auto one = render (1.0f, "window-scale-1");
    const auto two = render (2.0f, "window-scale-2");
    ASSERT_EQ (two.getWidth(), 2048);
    ASSERT_EQ (two.getHeight(), 1440);

    // The same picture, in four times the pixels: brought back to 1024 x 720
    // it differs from the picture at scale 1 only in the anti-aliased edges.
    EXPECT_LT (meanDifference (downTo1024 (two, 2), one), 4.0);

    // The system panel (569, 421): its white rule at y = 30 covers exactly
    // two rows of device pixels; its grey left border two columns.
    const auto system = juce::Point<int> (569, 421);
    const auto x = 2 * (system.x + 60);
    EXPECT_EQ (two.getPixelAt (x, 2 * (system.y + 30)), juce::Colours::white);
    EXPECT_EQ (two.getPixelAt (x, 2 * (system.y + 30) + 1), juce::Colours::white);
    EXPECT_EQ (two.getPixelAt (x, 2 * (system.y + 30) - 1).getARGB(), 0xFF53585Fu);
    EXPECT_EQ (two.getPixelAt (x, 2 * (system.y + 30) + 2).getARGB(), 0xFF53585Fu);
    const auto y = 2 * (system.y + 100);
    EXPECT_EQ (two.getPixelAt (2 * system.x, y), juce::Colours::grey);
    EXPECT_EQ (two.getPixelAt (2 * system.x + 1, y), juce::Colours::grey);
    EXPECT_EQ (two.getPixelAt (2 * system.x + 2, y).getARGB(), 0xFF53585Fu);
}

TEST_F (WindowScale, TextsKeepTheirPlacesAndFitAtOneAndAHalfAndTwo)
{
    std::vector<juce::Component*> panels { &content->getLeft(), &content->getRight(), &content->getBottomSystem(),
                                           &content->getBottomPanel(), &content->getBottomMeasure(), &content->getBottomSave() };

    for (auto* panel : panels)
    {
        const auto atOne = DrawnText::textsOf (*panel);
        ASSERT_FALSE (atOne.empty());

        for (const auto scale : { 1.5f, 2.0f })
        {
            SCOPED_TRACE (testing::Message() << panel->getName() << " at " << scale);
            const auto scaled = DrawnText::textsOf (*panel, true, scale);
            ASSERT_EQ (scaled.size(), atOne.size());
            for (size_t i = 0; i < scaled.size(); ++i)
            {
                EXPECT_EQ (scaled[i].text, atOne[i].text);
                EXPECT_FALSE (scaled[i].cutOff) << scaled[i].text;
                EXPECT_NEAR (scaled[i].ink.getX(), atOne[i].ink.getX(), 1.0f) << scaled[i].text;
                EXPECT_NEAR (scaled[i].ink.getY(), atOne[i].ink.getY(), 1.0f) << scaled[i].text;
                EXPECT_NEAR (scaled[i].ink.getRight(), atOne[i].ink.getRight(), 1.0f) << scaled[i].text;
            }
        }
    }

    // And the whole window at one and a half: 1536 x 1080 device pixels.
    const auto image = render (1.5f, "window-scale-1.5");
    EXPECT_EQ (image.getWidth(), 1536);
    EXPECT_EQ (image.getHeight(), 1080);
}
