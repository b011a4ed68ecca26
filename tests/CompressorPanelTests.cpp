#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "panels/BottomSaveComponent.h"
#include "styles/CustomLookAndFeel_My.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using CompressorSettings::Parameter;

namespace
{
    constexpr Parameter allParameters[] = { Parameter::threshold, Parameter::ratio, Parameter::knee,
                                            Parameter::attackTime, Parameter::releaseTime, Parameter::makeUpGain };

    std::string lm (int band, int index, int position)
    {
        return "LM " + std::to_string (band * 65536 + index * 256 + position);
    }

    class CompressorPanel : public ::testing::Test
    {
    protected:
        UdpCapture unit { 9001 };
        juce::File lmtFile { CacheFiles::path (CacheFiles::lmt) };

        void SetUp() override
        {
            ASSERT_TRUE (unit.isOpen());
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            lmtFile.deleteFile();
            sendCommand.setCurrentIpAddr ("127.0.0.1");
        }

        void TearDown() override
        {
            sendCommand.setCurrentIpAddr ({});
            lmtFile.deleteFile();
        }

        // Runs the pending asynchronous notifications and returns what was sent.
        std::vector<std::string> sent()
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
            return describeAll (unit.drain (60));
        }

        void writeLmt (const std::array<std::uint8_t, 32>& bytes)
        {
            ASSERT_TRUE (CacheFiles::writeBytes (lmtFile.getFullPathName(), bytes.data(), bytes.size()));
        }

        std::array<std::uint8_t, 32> lmtBytes() const
        {
            return *CacheFiles::readLmtBytes (lmtFile.getFullPathName());
        }

        // A file whose four bands differ, band 1 ("Bass") stored as active.
        static std::array<std::uint8_t, 32> fixture()
        {
            std::array<std::uint8_t, 32> b {};
            for (int band = 0; band < 4; ++band)
            {
                b[(size_t) (4 * band)]          = (std::uint8_t) (60 + 10 * band);   // threshold
                b[(size_t) (4 * band + 1)]      = (std::uint8_t) (2 + band);         // ratio
                b[(size_t) (4 * band + 2)]      = (std::uint8_t) (20 + band);        // knee
                b[(size_t) (4 * band + 3)]      = (std::uint8_t) (30 + band);        // attack
                b[(size_t) (16 + 4 * band)]     = (std::uint8_t) (200 + band);       // release
                b[(size_t) (16 + 4 * band + 1)] = (std::uint8_t) (10 + band);        // make-up
                b[(size_t) (16 + 4 * band + 2)] = band == 1 ? 0 : 1;                 // bypass
                b[(size_t) (16 + 4 * band + 3)] = band == 1 ? 0 : 1;
            }
            return b;
        }
    };
}

//==============================================================================
TEST (CompressorSettings, EveryShownValueMapsBackToItsPosition)
{
    for (const auto p : allParameters)
        for (int position = CompressorSettings::minPosition (p); position <= CompressorSettings::maxPosition (p); ++position)
            ASSERT_EQ (CompressorSettings::positionFromText (p, CompressorSettings::displayText (p, position)), position)
                << (int) p << " at " << position << " shown as " << CompressorSettings::displayText (p, position);
}

TEST (CompressorSettings, TypedValuesAreClampedAndConverted)
{
    struct Case { Parameter p; const char* typed; int position; const char* shown; };
    const Case cases[] = {
        { Parameter::threshold, "-70", 54, "-60.0" },
        { Parameter::threshold, "-59.5", 55, "-59.5" },
        { Parameter::threshold, "-59.7", 54, "-60.0" },
        { Parameter::threshold, "3", 174, "0.0" },
        { Parameter::ratio, "not a number", 0, "1.0" },
        { Parameter::ratio, "4.2", 6, "4.0" },
        { Parameter::ratio, "99", 98, "50.0" },
        { Parameter::knee, "0.537", 53, "0.53" },
        { Parameter::knee, "0.29", 29, "0.29" },
        { Parameter::knee, "-1", 0, "0.00" },
        { Parameter::attackTime, "19", 19, "19" },
        { Parameter::attackTime, "2510", 144, "2500" },
        { Parameter::attackTime, "4500", 219, "4000" },
        { Parameter::releaseTime, "997", 199, "995" },
        { Parameter::releaseTime, "1234", 202, "1200" },
        { Parameter::releaseTime, "4500", 230, "4000" },
        { Parameter::makeUpGain, "30", 24, "24" },
        { Parameter::makeUpGain, "-3", 0, "0" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::string (c.typed));
        const auto position = CompressorSettings::positionFromText (c.p, c.typed);
        EXPECT_EQ (position, c.position);
        EXPECT_EQ (CompressorSettings::displayText (c.p, position), juce::String (c.shown));
    }

    EXPECT_EQ (CompressorSettings::displayedValue (Parameter::threshold, 55), -59.5);
    EXPECT_EQ (CompressorSettings::lmCommandValue (3, 6, 1), 3 * 65536 + 1537);
}

//==============================================================================
TEST_F (CompressorPanel, WithoutTheCacheFileCommandsAreSentAndNothingIsWritten)
{
    BottomSaveComponent panel;
    EXPECT_THAT (sent(), IsEmpty());
    EXPECT_EQ (BottomSaveComponent::lmtNum, 1);
    EXPECT_EQ (panel.getComboLmtValue(), 2);
    EXPECT_TRUE (BottomSaveComponent::lmtBypass);
    EXPECT_EQ (panel.getOnOffButton().getButtonText(), "COMP_OFF");

    panel.getKnob (Parameter::threshold).setValue (55, juce::sendNotificationSync);
    EXPECT_THAT (sent(), ElementsAre (lm (1, 0, 55)));
    EXPECT_EQ (panel.getValueLabel (Parameter::threshold).getText(), "-59.5");
    EXPECT_EQ (BottomSaveComponent::st_lmtPara1, -59.5f);

    panel.getOnOffButton().triggerClick();
    EXPECT_THAT (sent(), ElementsAre (lm (1, 6, 0)));

    // A band change without the file moves no knob; the next change goes to the new band.
    panel.setComboLmtValue (4);
    EXPECT_EQ (BottomSaveComponent::lmtNum, 3);
    EXPECT_THAT (sent(), IsEmpty());
    EXPECT_EQ (panel.getLmtThresholdSliderValue(), 55.0f);
    panel.setLmtMakeUpGainSliderValue (6);
    EXPECT_THAT (sent(), ElementsAre (lm (3, 5, 6)));

    EXPECT_FALSE (lmtFile.exists());
}

TEST_F (CompressorPanel, StartLoadsTheStoredBassBandAndWritesBackTheSameBytes)
{
    writeLmt (fixture());
    BottomSaveComponent panel;

    // The stored on/off bit differs from the start state: switched at once;
    // each knob whose position changes then sends it.
    EXPECT_THAT (sent(), ElementsAre (lm (1, 6, 0), lm (1, 0, 70), lm (1, 1, 3), lm (1, 2, 21),
                                      lm (1, 3, 31), lm (1, 4, 201), lm (1, 5, 11)));
    EXPECT_FALSE (BottomSaveComponent::lmtBypass);
    EXPECT_EQ (panel.getOnOffButton().getButtonText(), "COMP_ON");
    EXPECT_EQ (panel.getOnOffButton().findColour (juce::TextButton::buttonColourId), juce::Colours::darkgreen);
    EXPECT_EQ (panel.getValueLabel (Parameter::threshold).getText(), "-52.0");
    EXPECT_EQ (panel.getValueLabel (Parameter::releaseTime).getText(), "1100");
    EXPECT_EQ (panel.getLmtReleaseTimeSliderValue(), 201.0f);
    EXPECT_EQ (lmtBytes(), fixture());
}

TEST_F (CompressorPanel, UserActionsSendAndChangeOnlyTheirByte)
{
    writeLmt (fixture());
    BottomSaveComponent panel;
    sent();

    struct Case
    {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> commands;
        std::vector<std::pair<int, std::uint8_t>> changedBytes;
    };

    const std::vector<Case> cases {
        { "turn ratio", [&] { panel.getKnob (Parameter::ratio).setValue (20, juce::sendNotificationSync); },
          { lm (1, 1, 20) }, { { 5, 20 } } },
        { "type threshold", [&] { panel.getValueLabel (Parameter::threshold).setText ("-20.4", juce::sendNotificationSync); },
          { lm (1, 0, 133) }, { { 4, 133 } } },
        { "type knee", [&] { panel.getValueLabel (Parameter::knee).setText ("0.537", juce::sendNotificationSync); },
          { lm (1, 2, 53) }, { { 6, 53 } } },
        { "type attack", [&] { panel.getValueLabel (Parameter::attackTime).setText ("2510", juce::sendNotificationSync); },
          { lm (1, 3, 144) }, { { 7, 144 } } },
        { "type release", [&] { panel.getValueLabel (Parameter::releaseTime).setText ("1234", juce::sendNotificationSync); },
          { lm (1, 4, 202) }, { { 20, 202 } } },
        { "type make-up", [&] { panel.getValueLabel (Parameter::makeUpGain).setText ("30", juce::sendNotificationSync); },
          { lm (1, 5, 24) }, { { 21, 24 } } },
        { "type the value already set", [&] { panel.getValueLabel (Parameter::makeUpGain).setText ("24.0", juce::sendNotificationSync); },
          {}, {} },
        { "switch off", [&] { panel.getOnOffButton().triggerClick(); },
          { lm (1, 6, 1) }, { { 22, 1 }, { 23, 1 } } },
        { "switch on", [&] { panel.getOnOffButton().triggerClick(); },
          { lm (1, 6, 0) }, { { 22, 0 }, { 23, 0 } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto expected = lmtBytes();
        for (const auto& [offset, value] : c.changedBytes)
            expected[(size_t) offset] = value;

        c.act();
        EXPECT_EQ (sent(), c.commands);
        EXPECT_EQ (lmtBytes(), expected);
    }

    EXPECT_EQ (panel.getValueLabel (Parameter::attackTime).getText(), "2500");
    EXPECT_EQ (panel.getValueLabel (Parameter::makeUpGain).getText(), "24");
    EXPECT_EQ (BottomSaveComponent::st_lmtPara4, 2500);
}

TEST_F (CompressorPanel, RatioOfTheThirdBandChangesOnlyByte9)
{
    writeLmt (fixture());
    BottomSaveComponent panel;
    sent();

    panel.setComboLmtValue (3);
    EXPECT_EQ (BottomSaveComponent::lmtNum, 2);
    // Band 2 is stored off while band 1 was on; its knobs all differ.
    EXPECT_THAT (sent(), ElementsAre (lm (2, 6, 1), lm (2, 0, 80), lm (2, 1, 4), lm (2, 2, 22),
                                      lm (2, 3, 32), lm (2, 4, 202), lm (2, 5, 12)));
    EXPECT_EQ (panel.getOnOffButton().getButtonText(), "COMP_OFF");

    auto expected = lmtBytes();
    panel.setLmtRatioSliderValue (40.0f);
    EXPECT_THAT (sent(), ElementsAre (lm (2, 1, 40)));
    expected[9] = 40;
    EXPECT_EQ (lmtBytes(), expected);
}

TEST_F (CompressorPanel, ABandStoredLikeTheKnobsSendsOnlyADifferentOnOffBit)
{
    auto stored = fixture();
    writeLmt (stored);
    BottomSaveComponent panel;
    sent();

    // Band 0 gets band 1's settings but stays stored as off.
    for (int k = 0; k < 4; ++k)
    {
        stored[(size_t) k] = stored[(size_t) (4 + k)];
        if (k < 2)
            stored[(size_t) (16 + k)] = stored[(size_t) (20 + k)];
    }
    writeLmt (stored);

    panel.setComboLmtValue (1);
    EXPECT_THAT (sent(), ElementsAre (lm (0, 6, 1)));
    EXPECT_EQ (lmtBytes(), stored);
}

TEST_F (CompressorPanel, SettersSendOnlyChangesButBypassAlwaysSends)
{
    BottomSaveComponent panel;
    sent();

    panel.setLmtThresholdSliderValue (54.0f);
    panel.setLmtKneeSliderValue (0.0f);
    EXPECT_THAT (sent(), IsEmpty());

    panel.setLmtAttackTimeSliderValue (25);
    panel.setLmtKneeSliderValue (75.0f);
    EXPECT_THAT (sent(), ElementsAre (lm (1, 3, 25), lm (1, 2, 75)));
    EXPECT_EQ (panel.getValueLabel (Parameter::attackTime).getText(), "120");
    EXPECT_EQ (panel.getValueLabel (Parameter::knee).getText(), "0.75");

    panel.setLmtBypass (true);
    panel.setLmtBypass (true);
    EXPECT_THAT (sent(), ElementsAre (lm (1, 6, 1), lm (1, 6, 1)));

    panel.showLmtBypass (false);
    EXPECT_THAT (sent(), IsEmpty());
    EXPECT_FALSE (panel.getLmtBypass());
    EXPECT_EQ (panel.getOnOffButton().getButtonText(), "COMP_ON");

    panel.setLmtBypass (true);
    EXPECT_THAT (sent(), ElementsAre (lm (1, 6, 1)));
    EXPECT_EQ (panel.getOnOffButton().getButtonText(), "COMP_OFF");
    EXPECT_EQ (panel.getOnOffButton().findColour (juce::TextButton::buttonColourId), juce::Colour (0xFF851001));
}

TEST_F (CompressorPanel, ABandOutsideOneToFourIsRefused)
{
    writeLmt (fixture());
    BottomSaveComponent panel;
    sent();

    for (const int id : { 0, 5, -1 })
    {
        panel.setComboLmtValue (id);
        EXPECT_EQ (BottomSaveComponent::lmtNum, 1) << id;
        EXPECT_EQ (panel.getComboLmtValue(), 2) << id;
    }

    panel.setLmtRatioSliderValue (12.0f);
    EXPECT_THAT (sent(), ElementsAre (lm (1, 1, 12)));
    auto expected = fixture();
    expected[5] = 12;
    EXPECT_EQ (lmtBytes(), expected);
}

TEST_F (CompressorPanel, DrawsItsTitleKnobsPictureAndOnOffButton)
{
    BottomSaveComponent panel;
    sent();
    panel.setLmtRatioSliderValue (98.0f);
    sent();
    ASSERT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 227, 298));

    const auto image = panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f);
    const auto dir = juce::File (VELD72_BINARY_DIR "/snapshots");
    dir.createDirectory();
    juce::PNGImageFormat png;
    juce::FileOutputStream out (dir.getChildFile ("BottomSaveComponent.png"));
    out.setPosition (0);
    out.truncate();
    ASSERT_TRUE (png.writeImageToStream (image, out));

    EXPECT_EQ (image.getPixelAt (5, 5).getARGB(), 0xFF53585Fu);
    EXPECT_EQ (image.getPixelAt (100, 30), juce::Colours::white);   // the line under the title
    EXPECT_EQ (image.getPixelAt (25, 97).getARGB(), 0xFF286BB3u);   // a value label

    // The embedded picture: its dark backdrop where the panel would be grey.
    const auto picture = image.getPixelAt (20, 64);
    EXPECT_LT (picture.getBrightness(), juce::Colour (0xFF53585F).getBrightness() - 0.05f);

    // The on/off button is filled red; the full ratio knob shows its white
    // value arc at the end of its travel, the empty threshold knob does not.
    const auto button = image.getPixelAt (28, 279);
    EXPECT_GT (button.getRed(), 100);
    EXPECT_LT (button.getGreen(), 40);

    int whiteInRatio = 0, whiteInThreshold = 0;
    for (int y = 104; y < 164; ++y)
        for (int x = 0; x < 60; ++x)
        {
            whiteInRatio += image.getPixelAt (82 + x, y) == juce::Colours::white ? 1 : 0;
            whiteInThreshold += image.getPixelAt (12 + x, y) == juce::Colours::white ? 1 : 0;
        }
    EXPECT_GT (whiteInRatio, 3 * whiteInThreshold);
}

TEST (CompressorKnobStyle, ADisabledKnobShowsItsThumbButNoValueArc)
{
    CustomLookAndFeel_My look;
    juce::Slider knob (juce::Slider::Rotary, juce::Slider::NoTextBox);
    knob.setLookAndFeel (&look);
    knob.setRange (0, 100, 1);
    knob.setValue (100);
    knob.setBounds (0, 0, 60, 60);
    knob.setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colours::black);

    const auto whitePixels = [&knob]
    {
        const auto image = knob.createComponentSnapshot (knob.getLocalBounds(), true, 1.0f);
        int white = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x)
                white += image.getPixelAt (x, y) == juce::Colours::white ? 1 : 0;
        return white;
    };

    const auto enabled = whitePixels();
    knob.setEnabled (false);
    const auto disabled = whitePixels();
    knob.setLookAndFeel (nullptr);

    EXPECT_GT (disabled, 10);            // the thumb's white ring
    EXPECT_GT (enabled, 4 * disabled);   // and the value arc round the knob
}
