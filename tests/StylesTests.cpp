#include <gtest/gtest.h>

#include "panels/BottomPanelComponent.h"
#include "panels/RightComponent.h"
#include "styles/ButtonEx.h"
#include "styles/CompactToggleLookAndFeel.h"
#include "styles/CustomButton.h"
#include "styles/CustomLF_V1.h"
#include "styles/CustomLookAndFeel_My.h"
#include "styles/CustomizeLookAndFeel.h"
#include "styles/FittedTextLF_V1.h"
#include "styles/LevelMeterDrawing.h"
#include "styles/LookAndFeel101.h"
#include "styles/LookAndFeel102.h"
#include "styles/SlimBarLookAndFeel.h"
#include "styles/SquareLookAndFeel.h"
#include "styles/SquareLookAndFeelEx.h"
#include "support/DrawnText.h"
#include "support/PanelTestSupport.h"

#include <optional>

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

TEST_F (Styles, MetersShowTheirPeakAsALineWhereItsCoverWouldEnd)
{
    LookAndFeel101 style101;
    LookAndFeel102 style102;

    // The bar is 10 x 200 from (1, 1). At -20 the cover reaches down to
    // y = 135; a peak of -40 would leave the zones from y = 68.7, one of -58
    // from y = 8.7, one of -60 (the loudest) from y = 2.
    struct Case { std::optional<double> peak; int y; juce::Colour shows; bool isCovered; };
    const Case cases[] = {
        { std::nullopt, 68, {}, true },   // no peak, no line
        { -40.0, 67, {}, true },
        { -40.0, 68, orangeZone, false },
        { -40.0, 69, orangeZone, false },
        { -40.0, 70, {}, true },
        { -58.0, 7, {}, true },
        { -58.0, 8, redZone, false },
        { -58.0, 9, redZone, false },
        { -58.0, 10, {}, true },
        { -60.0, 1, {}, true },
        { -60.0, 2, redZone, false },
        { -60.0, 120, {}, true },
        { -60.0, 150, greenZone, false },  // the level's own bar below
    };

    for (auto* style : std::initializer_list<juce::LookAndFeel*> { &style101, &style102 })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << (style == &style101 ? "101" : "102") << " peak "
                                             << (c.peak ? *c.peak : 0.0) << " y " << c.y);
            juce::Slider meter (juce::Slider::LinearBarVertical, juce::Slider::NoTextBox);
            meter.setRange (-60.0, 0.0, 0.0);
            meter.setColour (juce::Slider::thumbColourId, juce::Colours::black.withAlpha (0.95f));
            meter.setSize (12, 202);
            meter.setValue (-20.0, juce::dontSendNotification);
            if (c.peak)
                LevelMeterDrawing::setPeak (meter, *c.peak);

            const auto image = render (meter, *style, "style-meter-peak");
            const auto pixel = image.getPixelAt (6, c.y);
            if (c.isCovered)
                EXPECT_TRUE (covered (pixel)) << pixel.toDisplayString (true);
            else
                EXPECT_TRUE (near (pixel, c.shows)) << pixel.toDisplayString (true);
        }
    }
}

TEST_F (Styles, PanelsHandTheirOutputMetersThePeaks)
{
    RightComponent master;
    master.setLevelSliderValue (-20.0f, -30.0f, -40.0f, -50.0f);
    EXPECT_EQ (LevelMeterDrawing::getPeak (child<juce::Slider> (master, "leftMeter")), -40.0);
    EXPECT_EQ (LevelMeterDrawing::getPeak (child<juce::Slider> (master, "rightMeter")), -50.0);

    BottomPanelComponent bands;
    bands.setLeftVerticalSlierValue (-1, -2, -3, -4, -5, -6, -7, -8, -11, -12, -13, -14, -15, -16, -17, -18);
    for (int band = 1; band <= 4; ++band)
    {
        const auto n = juce::String (band);
        EXPECT_EQ (LevelMeterDrawing::getPeak (child<juce::Slider> (bands, "oddMeter" + n)), -10.0 - (2 * band - 1));
        EXPECT_EQ (LevelMeterDrawing::getPeak (child<juce::Slider> (bands, "evenMeter" + n)), -10.0 - 2 * band);
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

TEST_F (Styles, ProgressIndicatorFillsItsRingInProportion)
{
    LookAndFeel101 style;
    double unused = 0.0;
    juce::ProgressBar bar (unused);

    const auto isGreen = [] (juce::Colour c) { return near (c, juce::Colours::green, 10); };
    const auto isRing = [&] (juce::Colour c) { return isGreen (c) || near (c, juce::Colours::white, 10); };

    for (const auto progress : { 0.0, 0.25, 0.5, 0.75, 1.0 })
    {
        SCOPED_TRACE (testing::Message() << "progress " << progress);
        juce::Image image (juce::Image::ARGB, 60, 60, true);
        {
            juce::Graphics g (image);
            style.drawProgressBar (g, bar, 60, 60, progress, {});
        }
        const auto green = countPixels (image, image.getBounds(), isGreen);
        const auto ring = countPixels (image, image.getBounds(), isRing);
        EXPECT_NEAR ((double) green / ring, progress, 0.03);
    }
}

TEST_F (Styles, SlimBarsLeaveOutATextTooLowToRead)
{
    SlimBarLookAndFeel style;
    double unused = 0.0;
    juce::ProgressBar bar (unused);

    struct Case { int height; bool showsText; };
    for (const auto& c : { Case { 6, false }, Case { 8, false }, Case { 9, true }, Case { 20, true } })
    {
        SCOPED_TRACE (testing::Message() << "height " << c.height);
        bar.setSize (170, c.height);
        juce::Image image (juce::Image::ARGB, 170, c.height, true, juce::SoftwareImageType());
        DrawnText::Recorder recorder (image);
        {
            juce::Graphics g (recorder);
            style.drawProgressBar (g, bar, 170, c.height, 0.5, "50%");
        }
        const auto texts = DrawnText::group (recorder.glyphs);
        EXPECT_EQ (! texts.empty(), c.showsText);

        // The bar itself: green up to the middle, the background beyond.
        bar.setColour (juce::ProgressBar::foregroundColourId, juce::Colours::green);
        bar.setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);
        juce::Image plain (juce::Image::ARGB, 170, c.height, true);
        {
            juce::Graphics g (plain);
            style.drawProgressBar (g, bar, 170, c.height, 0.5, {});
        }
        EXPECT_TRUE (near (plain.getPixelAt (40, c.height / 2), juce::Colours::green, 10));
        EXPECT_TRUE (near (plain.getPixelAt (130, c.height / 2), juce::Colours::white, 10));
    }
}

TEST_F (Styles, SquareFadersDrawTheThumbAtTheValueWithTheTrackBelowItWhite)
{
    SquareLookAndFeel square;
    SquareLookAndFeelEx squareEx;
    squareEx.setOuterThumbColour (juce::Colours::red);
    squareEx.setInnerThumbColour (juce::Colours::blue);

    // A 24 x 254 fader over -80..0: the thumb's centre travels from y = 12
    // (0) to y = 242 (-80) on the middle of the width. The inner disc has a
    // radius of 7.2 (6 for the Ex style), the outer one of 12.
    struct Case { double value; int thumbY; };
    const Case cases[] = { { 0.0, 12 }, { -40.0, 127 }, { -80.0, 242 }, { -20.0, 70 } };

    struct Style { juce::LookAndFeel* style; juce::Colour outer, inner; int ringY; bool showsValue; };
    const Style styles[] = {
        { &square, juce::Colours::grey, juce::Colours::black, 10, true },
        { &squareEx, juce::Colours::red, juce::Colours::blue, 9, false },
    };

    EXPECT_EQ (square.getSliderThumbRadius (*std::make_unique<juce::Slider>()), 12);

    for (const auto& st : styles)
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << (st.showsValue ? "square " : "square ex ") << c.value);
            juce::Slider fader (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
            fader.setRange (-80.0, 0.0, 1.0);
            fader.setSize (24, 254);
            fader.setValue (c.value, juce::dontSendNotification);

            fader.setLookAndFeel (st.style);
            const auto image = snapshot (fader, "style-square");
            const auto texts = DrawnText::textsOf (fader);
            fader.setLookAndFeel (nullptr);

            EXPECT_TRUE (near (image.getPixelAt (12, c.thumbY - st.ringY), st.outer, 12)) << "outer thumb";
            if (! st.showsValue)
                EXPECT_TRUE (near (image.getPixelAt (12, c.thumbY), st.inner, 12)) << "inner thumb";
            if (c.thumbY - 20 >= 0)
                EXPECT_EQ (image.getPixelAt (12, c.thumbY - 20), juce::Colours::black) << "track above the thumb";
            if (c.thumbY + 20 < 254)
                EXPECT_EQ (image.getPixelAt (12, c.thumbY + 20), juce::Colours::white) << "track below the thumb";
            EXPECT_EQ (image.getPixelAt (2, c.thumbY + 20).getAlpha(), 0) << "nothing beside the track";

            // The value, whole, on the thumb: "-80" is wider than the inner disc.
            if (st.showsValue)
            {
                ASSERT_EQ (texts.size(), 1u);
                EXPECT_EQ (texts[0].text, juce::String (c.value));
                EXPECT_NEAR (texts[0].ink.getCentreX(), 12.0f, 1.0f);
                EXPECT_NEAR (texts[0].ink.getCentreY(), (float) c.thumbY, 3.0f);
            }
            else
            {
                EXPECT_TRUE (texts.empty());
            }
        }
    }
}

TEST_F (Styles, CompressorKnobThumbSitsOnTheArcAtTheValue)
{
    CustomLookAndFeel_My style;

    // A 60 x 60 knob: arc radius 17.5 round (30, 30), from 216 degrees
    // (clockwise from twelve o'clock) to 504.
    const auto thumbAt = [] (double degrees)
    {
        const auto a = juce::degreesToRadians (degrees) - juce::MathConstants<double>::halfPi;
        return juce::Point<int> ((int) std::lround (30.0 + 17.5 * std::cos (a)), (int) std::lround (30.0 + 17.5 * std::sin (a)));
    };

    struct Case { double value; double degrees; };
    for (const auto& c : { Case { 0.0, 216.0 }, Case { 50.0, 360.0 }, Case { 100.0, 504.0 }, Case { 25.0, 288.0 } })
    {
        SCOPED_TRACE (testing::Message() << "value " << c.value);
        juce::Slider knob (juce::Slider::Rotary, juce::Slider::NoTextBox);
        knob.setRange (0.0, 100.0, 1.0);
        knob.setValue (c.value, juce::dontSendNotification);
        knob.setSize (60, 60);
        knob.setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colours::black);

        const auto image = render (knob, style, "style-knob");
        const auto thumb = thumbAt (c.degrees);
        EXPECT_TRUE (near (image.getPixelAt (thumb.x, thumb.y), juce::Colour::greyLevel (0.2f), 4)) << "the thumb's centre";

        // White value arc behind the thumb, black arc ahead of it.
        if (c.value > 0.0)
        {
            const auto behind = thumbAt (c.degrees - 30.0);
            EXPECT_EQ (image.getPixelAt (behind.x, behind.y), juce::Colours::white);
        }
        if (c.value < 100.0)
        {
            const auto ahead = thumbAt (c.degrees + 30.0);
            EXPECT_EQ (image.getPixelAt (ahead.x, ahead.y), juce::Colours::black);
        }
    }
}

TEST_F (Styles, OnAndOffColoursOfTheButtons)
{
    CustomLF_V1 plainStyle;
    CustomLookAndFeel_My compressorStyle;

    const juce::Colour red { 0xFF851001 }, darkgreen { 0xFF006400 };

    // The plain panel buttons show the colour given as it is; the compressor
    // button a little less saturated, outlined in its text colour while off.
    struct Case { juce::LookAndFeel* style; juce::Colour given; bool toggled; juce::Colour fill; std::optional<bool> outlined; };
    const Case cases[] = {
        { &plainStyle, red, false, red, {} },
        { &plainStyle, darkgreen, false, darkgreen, {} },
        { &plainStyle, juce::Colours::black, false, juce::Colours::black, {} },
        { &compressorStyle, red, false, red.withMultipliedSaturation (0.9f), true },
        { &compressorStyle, darkgreen, false, darkgreen.withMultipliedSaturation (0.9f), true },
        { &compressorStyle, darkgreen, true, darkgreen.withMultipliedSaturation (0.9f), false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << (c.style == &plainStyle ? "plain " : "compressor ")
                                         << c.given.toDisplayString (true) << (c.toggled ? " toggled" : ""));
        juce::TextButton button;
        button.setSize (65, 25);
        button.setColour (juce::TextButton::buttonColourId, c.given);
        button.setColour (juce::TextButton::buttonOnColourId, c.given);
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button.setToggleState (c.toggled, juce::dontSendNotification);

        const auto image = render (button, *c.style, "style-on-off");
        EXPECT_TRUE (near (image.getPixelAt (20, 12), c.fill, 3)) << image.getPixelAt (20, 12).toDisplayString (true);
        if (c.outlined)
            EXPECT_EQ (image.getPixelAt (1, 12).getBrightness() > 0.5f, *c.outlined) << image.getPixelAt (1, 12).toDisplayString (true);
    }
}

TEST_F (Styles, CompactToggleShowsItsTickOnlyWhenOn)
{
    CompactToggleLookAndFeel style;
    juce::ToggleButton toggle ("48V");
    toggle.setSize (45, 20);
    const auto tick = toggle.findColour (juce::ToggleButton::tickColourId);

    for (const auto on : { true, false })
    {
        SCOPED_TRACE (on ? "on" : "off");
        toggle.setToggleState (on, juce::dontSendNotification);
        toggle.setLookAndFeel (&style);
        const auto image = snapshot (toggle, "style-toggle");
        const auto texts = DrawnText::textsOf (toggle);
        toggle.setLookAndFeel (nullptr);

        // The 12-pixel tick box from (3, 4); the text beside it.
        const auto tickPixels = countPixels (image, { 5, 6, 8, 8 }, [&] (juce::Colour p) { return near (p, tick, 40) && p.getAlpha() > 128; });
        if (on)
            EXPECT_GT (tickPixels, 6);
        else
            EXPECT_EQ (tickPixels, 0);

        ASSERT_EQ (texts.size(), 1u);
        EXPECT_EQ (texts[0].text, "48V");
        EXPECT_GT (texts[0].ink.getX(), 15.0f);
        EXPECT_LT (texts[0].ink.getRight(), 45.0f);
    }
}

TEST_F (Styles, ButtonTextsFitNarrowButtonsWhole)
{
    FittedTextLF_V1 measureStyle;

    struct Case { juce::String text; int width, height; };
    for (const auto& c : { Case { "Compute", 45, 22 }, Case { "Reset", 40, 22 }, Case { "Select Mic Cal", 100, 22 }, Case { "A much longer text", 45, 22 } })
    {
        SCOPED_TRACE (c.text.toStdString());
        juce::TextButton button (c.text);
        button.setSize (c.width, c.height);
        button.setLookAndFeel (&measureStyle);
        const auto texts = DrawnText::textsOf (button);
        button.setLookAndFeel (nullptr);

        ASSERT_EQ (texts.size(), 1u);
        EXPECT_EQ (texts[0].withoutBlanks(), c.text.removeCharacters (" "));
        EXPECT_TRUE (button.getLocalBounds().toFloat().contains (texts[0].ink));
        EXPECT_NEAR (texts[0].ink.getCentreX(), (float) c.width / 2.0f, 2.0f) << "centred";
    }

    CustomButton output (juce::Colours::white, "OUTPUT 1-2", juce::Colours::grey);
    output.setSize (75, 30);
    ButtonEx tab ("Frequency Response & CrossOver");
    tab.setSize (150, 25);

    for (auto* b : std::initializer_list<juce::Button*> { &output, &tab })
    {
        const auto texts = DrawnText::textsOf (*b);
        ASSERT_EQ (texts.size(), 1u);
        EXPECT_EQ (texts[0].withoutBlanks(), b->getButtonText().removeCharacters (" "));
        EXPECT_TRUE (b->getLocalBounds().toFloat().contains (texts[0].ink));
    }
}

TEST_F (Styles, ViewButtonsFillThemselvesAndShowTheTextOnceColoured)
{
    ButtonEx tab ("Curve Design");
    tab.setSize (120, 25);
    const auto isText = [] (juce::Colour c) { return near (c, juce::Colours::orange, 40); };

    auto image = snapshot (tab, "style-button-ex");
    EXPECT_EQ (image.getPixelAt (1, 1), juce::Colours::grey) << "grey fill to start with";
    EXPECT_EQ (countPixels (image, image.getBounds(), isText), 0) << "no text until a colour is set";

    tab.setFillColour (juce::Colours::black);
    tab.setTextColour (juce::Colours::orange);
    image = snapshot (tab, "style-button-ex");
    EXPECT_EQ (image.getPixelAt (1, 1), juce::Colours::black);
    EXPECT_EQ (image.getPixelAt (119, 24), juce::Colours::black) << "square corners";
    EXPECT_GT (countPixels (image, { 20, 5, 80, 15 }, isText), 40);
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
