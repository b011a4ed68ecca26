#include <gtest/gtest.h>

#include "styles/CustomButton.h"
#include "styles/CustomLF_V1.h"
#include "styles/CustomizeLookAndFeel.h"
#include "styles/LookAndFeel101.h"
#include "styles/LookAndFeel102.h"
#include "styles/SquareLookAndFeel.h"
#include "styles/SquareLookAndFeelEx.h"
#include "support/PanelTestSupport.h"

using namespace PanelTest;

namespace
{
    const juce::Colour redZone { 0xFFC82506 };
    const juce::Colour orangeZone { 0xFFDE6A10 };
    const juce::Colour greenZone { 0xFF00882B };

    // Draws a control with a style and detaches the style again.
    juce::Image render (juce::Component& c, juce::LookAndFeel& style, const juce::String& name)
    {
        c.setLookAndFeel (&style);
        auto image = snapshot (c, name);
        c.setLookAndFeel (nullptr);
        return image;
    }

    bool covered (juce::Colour c) { return c.getBrightness() < 0.3f; }

    class Styles : public ::testing::Test
    {
    protected:
        void SetUp() override { useAppTypeface(); }
    };
}

TEST_F (Styles, BarMetersShowTheirZonesBelowACoverThatGrowsWithTheValue)
{
    LookAndFeel101 style101;
    LookAndFeel102 style102;

    // A 12 x 202 meter: the style draws inside the one-pixel outline, so the
    // bar is 10 x 200 from (1, 1): red to y = 11, orange to y = 81, green below.
    struct Case { double value; int y; juce::Colour shows; bool isCovered; };
    const Case cases[] = {
        { -60, 1, {}, true },           // the minimum leaves a one-pixel cover
        { -60, 3, redZone, false },
        { -60, 50, orangeZone, false },
        { -60, 190, greenZone, false },
        { 0, 3, {}, true },             // the maximum covers everything
        { 0, 100, {}, true },
        { 0, 199, {}, true },
        { -30, 95, {}, true },          // half the range: the upper half
        { -30, 105, greenZone, false },
        { -54, 18, {}, true },          // a tenth: 21 pixels
        { -54, 24, orangeZone, false },
    };

    for (auto* style : std::initializer_list<juce::LookAndFeel*> { &style101, &style102 })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << (style == &style101 ? "101" : "102") << " value " << c.value << " y " << c.y);
            juce::Slider meter (juce::Slider::LinearBarVertical, juce::Slider::NoTextBox);
            meter.setRange (-60.0, 0.0, 0.0);
            meter.setColour (juce::Slider::thumbColourId, juce::Colours::black.withAlpha (0.95f));
            meter.setSize (12, 202);
            meter.setValue (c.value, juce::dontSendNotification);

            const auto image = render (meter, *style, "style-meter");
            const auto pixel = image.getPixelAt (6, c.y);
            if (c.isCovered)
                EXPECT_TRUE (covered (pixel)) << pixel.toDisplayString (true);
            else
                EXPECT_TRUE (near (pixel, c.shows)) << pixel.toDisplayString (true);
        }
    }
}

TEST_F (Styles, ProgressIndicatorSweepsClockwiseFromSixOClock)
{
    LookAndFeel101 style;
    double unused = 0.0;   // the drawing is handed the progress directly
    juce::ProgressBar bar (unused);

    // A 30 x 30 indicator: ring between radius 4.5 and 15 around (15, 15).
    const juce::Point<int> sevenThirty { 8, 22 }, tenThirty { 8, 8 }, three { 25, 15 }, centre { 15, 15 };
    struct Case { double progress; juce::Point<int> at; juce::Colour colour; };
    const Case cases[] = {
        { 0.0, sevenThirty, juce::Colours::white },
        { 0.0, centre, juce::Colours::orange },
        { 0.0, { 0, 29 }, juce::Colours::darkgrey },
        { 0.25, sevenThirty, juce::Colours::green },
        { 0.25, tenThirty, juce::Colours::white },
        { 0.5, tenThirty, juce::Colours::green },
        { 0.5, three, juce::Colours::white },
        { 1.0, three, juce::Colours::green },
        { 1.0, centre, juce::Colours::orange },
        { 1.01, centre, juce::Colours::lightgrey },
        { -1.0, sevenThirty, juce::Colours::white },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "progress " << c.progress << " at " << c.at.x << "," << c.at.y);
        juce::Image image (juce::Image::ARGB, 30, 30, true);
        {
            juce::Graphics g (image);
            style.drawProgressBar (g, bar, 30, 30, c.progress, "50%");
        }
        EXPECT_TRUE (near (image.getPixelAt (c.at.x, c.at.y), c.colour, 10))
            << image.getPixelAt (c.at.x, c.at.y).toDisplayString (true);
    }
}

TEST_F (Styles, SquareFadersShowTheTrackBelowTheThumbAndTheValue)
{
    SquareLookAndFeel square;
    SquareLookAndFeelEx squareEx;
    squareEx.setOuterThumbColour (juce::Colours::red);

    auto fader = [] (double value)
    {
        auto s = std::make_unique<juce::Slider> (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
        s->setRange (-80.0, 0.0, 1.0);
        s->setSize (24, 254);
        s->setValue (value, juce::dontSendNotification);
        return s;
    };

    EXPECT_EQ (square.getSliderThumbRadius (*fader (0)), 12);

    // The thumb travels from y = 12 (0) to y = 242 (-80); the track is the
    // middle half of the width.
    {
        auto top = fader (0);
        const auto image = render (*top, square, "style-square-top");
        EXPECT_EQ (image.getPixelAt (12, 150), juce::Colours::white) << "track below the thumb";
    }

    auto bottom = fader (-80);
    const auto image = render (*bottom, square, "style-square-bottom");
    EXPECT_EQ (image.getPixelAt (12, 150), juce::Colours::black) << "track above the thumb";
    EXPECT_TRUE (near (image.getPixelAt (12, 232), juce::Colours::grey, 12)) << "outer thumb";

    // "-80" on the thumb, whole: wider than the thumb's inner disc, which
    // would only have room for "-8".
    const auto isText = [] (juce::Colour c) { return c.getBrightness() > 0.6f; };
    int leftmost = 99, rightmost = -1;
    for (int x = 4; x <= 20; ++x)
        if (countPixels (image, { x, 237, 1, 8 }, isText) > 0)
        {
            leftmost = std::min (leftmost, x);
            rightmost = std::max (rightmost, x);
        }
    EXPECT_GE (rightmost - leftmost + 1, 14);

    const auto imageEx = render (*bottom, squareEx, "style-square-ex-bottom");
    EXPECT_TRUE (near (imageEx.getPixelAt (12, 232), juce::Colours::red, 12)) << "outer thumb in its own colour";
    const auto isWhite = [] (juce::Colour c) { return c.getRed() > 200 && c.getGreen() > 200 && c.getBlue() > 200; };
    EXPECT_EQ (countPixels (imageEx, { 4, 237, 17, 8 }, isWhite), 0)
        << "no value text";
    EXPECT_TRUE (near (imageEx.getPixelAt (12, 242), juce::Colours::black)) << "inner thumb";
}

TEST_F (Styles, ComboBoxArrowAndCorners)
{
    CustomizeLookAndFeel style;

    juce::ComboBox box;
    box.setSize (100, 25);
    box.setColour (juce::ComboBox::backgroundColourId, juce::Colours::black);
    box.setColour (juce::ComboBox::outlineColourId, juce::Colours::white);
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::white);
    const auto image = render (box, style, "style-combo");

    EXPECT_LT (image.getPixelAt (0, 0).getAlpha(), 200) << "rounded corner";
    EXPECT_GT (image.getPixelAt (85, 14).getBrightness(), 0.6f) << "arrow tip at (w - 15, h / 2 + 3)";
    EXPECT_LT (image.getPixelAt (74, 11).getBrightness(), 0.2f) << "nothing where the framework's arrow starts";
    EXPECT_EQ (image.getPixelAt (50, 3), juce::Colours::black);

    // Inside a ChoicePropertyComponent the corners are square.
    juce::Value value (juce::var (1));
    juce::ChoicePropertyComponent property (value, "choice", { "one", "two" }, { 1, 2 });
    property.setLookAndFeel (&style);
    property.setSize (300, 25);
    juce::ComboBox* inner = nullptr;
    for (auto* c : property.getChildren())
        if (auto* b = dynamic_cast<juce::ComboBox*> (c))
            inner = b;
    ASSERT_NE (inner, nullptr);
    inner->setColour (juce::ComboBox::outlineColourId, juce::Colours::white);
    const auto squareImage = snapshot (*inner, "style-combo-in-property");
    property.setLookAndFeel (nullptr);
    EXPECT_EQ (squareImage.getPixelAt (0, 0).getAlpha(), 255) << "square corner";
}

TEST_F (Styles, PlainButtonBackgroundKeepsTheColourGiven)
{
    CustomLF_V1 style;
    juce::LookAndFeel_V1 plain;

    juce::TextButton button ("X");
    button.setSize (65, 25);
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xFF851001));

    const auto image = render (button, style, "style-button");
    EXPECT_TRUE (near (image.getPixelAt (10, 4), juce::Colour (0xFF851001), 2));
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "inset by two pixels, rounded";

    const auto washedOut = render (button, plain, "style-button-plain");
    EXPECT_FALSE (near (washedOut.getPixelAt (10, 4), juce::Colour (0xFF851001), 20)) << "the framework's style desaturates";
}

TEST_F (Styles, CustomButtonTogglesItsFlagAndFill)
{
    CustomButton button (juce::Colours::white, "M", juce::Colours::green);
    button.setSize (20, 20);
    EXPECT_FALSE (button.getToggleFlag());
    EXPECT_FALSE (button.getToggleState()) << "independent of the framework's toggle state";

    struct Case { bool flag; juce::Colour fill; };
    for (const auto& c : { Case { true, juce::Colour (0xFF851001) }, Case { false, juce::Colours::green }, Case { true, juce::Colour (0xFF851001) } })
    {
        button.toggle();
        EXPECT_EQ (button.getToggleFlag(), c.flag);
        EXPECT_EQ (button.getFillColour(), c.fill);
        const auto image = snapshot (button, "style-custom-button");
        EXPECT_EQ (image.getPixelAt (2, 2), c.fill);
    }

    button.setFillColour (juce::Colours::grey);
    const auto image = snapshot (button, "style-custom-button");
    EXPECT_EQ (image.getPixelAt (2, 17), juce::Colours::grey);
    EXPECT_GT (countPixels (image, { 4, 4, 12, 12 }, [] (juce::Colour c) { return c.getBrightness() > 0.9f; }), 5) << "the text";
}
