#include <gtest/gtest.h>

#include "app/Fonts.h"
#include "app/Layout.h"
#include "app/MainComponent.h"
#include "link/CacheFiles.h"

TEST (Layout, PanelsAtTheStartSize)
{
    const auto l = computePanelLayout (1024, 720);
    using R = juce::Rectangle<int>;
    EXPECT_EQ (l.top,           R (1, 1, 1022, 58));
    EXPECT_EQ (l.left,          R (1, 61, 168, 358));
    EXPECT_EQ (l.center,        R (171, 61, 723, 358));
    EXPECT_EQ (l.right,         R (896, 61, 128, 358));
    EXPECT_EQ (l.bottomMeasure, R (1, 421, 225, 298));
    EXPECT_EQ (l.bottomPanel,   R (228, 421, 339, 298));
    EXPECT_EQ (l.bottomSystem,  R (569, 421, 225, 298));
    EXPECT_EQ (l.bottomSave,    R (796, 421, 227, 298));
}

TEST (Layout, TinyContentGivesNoNegativeSizes)
{
    for (auto [w, h] : { std::pair { 1, 1 }, { 0, 0 }, { 2, 11 }, { 23, 5 } })
    {
        const auto l = computePanelLayout (w, h);
        for (const auto& r : { l.top, l.left, l.center, l.right, l.bottomMeasure, l.bottomPanel, l.bottomSystem, l.bottomSave })
        {
            EXPECT_GE (r.getWidth(), 0);
            EXPECT_GE (r.getHeight(), 0);
        }
    }
    const auto one = computePanelLayout (1, 1);
    EXPECT_EQ (one.top, juce::Rectangle<int> (1, 1, 0, 0));
    EXPECT_EQ (one.right, juce::Rectangle<int> (0, 1, 0, 0));
}

TEST (Layout, ContentComponentPlacesItsPanelsInTheGrid)
{
    MainContentComponent content;
    EXPECT_EQ (content.getBounds(), juce::Rectangle<int> (0, 0, 1024, 720));
    EXPECT_EQ (content.getTop().getBounds(), juce::Rectangle<int> (1, 1, 1022, 58));
    EXPECT_EQ (content.getBottomSave().getBounds(), juce::Rectangle<int> (796, 421, 227, 298));
    EXPECT_EQ (content.getNumChildComponents(), 8);
    // Added top, left, right, center, then the bottom row.
    EXPECT_EQ (content.getChildComponent (0), &content.getTop());
    EXPECT_EQ (content.getChildComponent (3), &content.getCenter());
    EXPECT_EQ (content.getChildComponent (7), &content.getBottomSave());

    // One-pixel gaps between panels show the black background.
    const auto image = content.createComponentSnapshot (content.getLocalBounds(), true, 1.0f);
    EXPECT_EQ (image.getPixelAt (170, 100), juce::Colours::black);
    EXPECT_EQ (image.getPixelAt (100, 420), juce::Colours::black);
    EXPECT_EQ (image.getPixelAt (60, 200).getARGB(), 0xFF53585Fu);
}

TEST (Fonts, PreferredTypefaceThenAnOpenFallback)
{
    EXPECT_EQ (Fonts::chooseSansSerifTypefaceName ({ "Avenir Next", "DejaVu Sans" }), "Avenir Next");
    EXPECT_EQ (Fonts::chooseSansSerifTypefaceName ({ "DejaVu Serif", "DejaVu Sans" }), "DejaVu Sans");
}

TEST (Fonts, TheChosenTypefaceRendersText)
{
    const auto name = Fonts::chooseSansSerifTypefaceName (juce::Font::findAllTypefaceNames());
    juce::Image image (juce::Image::ARGB, 80, 30, true);
    {
        juce::Graphics g (image);
        g.setColour (juce::Colours::white);
        g.setFont (juce::Font (name, 20.0f, juce::Font::plain));
        g.drawText ("VELD72", image.getBounds(), juce::Justification::centred);
    }
    int lit = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            lit += image.getPixelAt (x, y).getAlpha() > 128 ? 1 : 0;
    EXPECT_GT (lit, 40) << "no glyphs drawn with " << name;
}

TEST (CacheDirectory, IsTheMusicFolderAndIsCreatedWhenMissing)
{
    const auto music = CacheFiles::getCacheDirectory();
    EXPECT_EQ (music, juce::File ("~/Music"));
    music.deleteRecursively();
    ASSERT_FALSE (music.exists());

    EXPECT_TRUE (CacheFiles::ensureCacheDirectory());
    EXPECT_TRUE (music.isDirectory());
    EXPECT_EQ (CacheFiles::path (CacheFiles::cross), music.getFullPathName() + "//cross");
    EXPECT_EQ (CacheFiles::spectrumPath (12), music.getFullPathName() + "//reveivefft12.bin");
    EXPECT_EQ (juce::File (CacheFiles::path (CacheFiles::cross)), music.getChildFile ("cross"));
}
