#include "panels/BottomSaveComponent.h"

#include "app/NumberText.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "styles/PanelStyle.h"

#if VELD72_HAS_BINARY_DATA
 #include "BinaryData.h"
#endif

#include <cmath>

namespace CompressorSettings
{

int minPosition (Parameter p) noexcept
{
    return p == Parameter::threshold ? 54 : 0;
}

int maxPosition (Parameter p) noexcept
{
    switch (p)
    {
        case Parameter::threshold:   return 174;
        case Parameter::ratio:       return 98;
        case Parameter::knee:        return 100;
        case Parameter::attackTime:  return 219;
        case Parameter::releaseTime: return 230;
        case Parameter::makeUpGain:  return 24;
    }
    return 0;
}

double displayedValue (Parameter p, int position) noexcept
{
    switch (p)
    {
        case Parameter::threshold:   return 0.5 * position - 87.0;
        case Parameter::ratio:       return 0.5 * position + 1.0;
        case Parameter::knee:        return 0.01 * position;
        case Parameter::attackTime:  return position <= 19 ? position : 20 * position - 380;
        case Parameter::releaseTime: return position <= 199 ? 5 * position : 100 * position - 19000;
        case Parameter::makeUpGain:  return position;
    }
    return 0.0;
}

juce::String displayText (Parameter p, int position)
{
    const auto value = displayedValue (p, position);

    switch (p)
    {
        case Parameter::threshold:
        case Parameter::ratio:       return juce::String (value, 1);
        case Parameter::knee:        return juce::String (value, 2);
        case Parameter::attackTime:
        case Parameter::releaseTime:
        case Parameter::makeUpGain:  return juce::String (juce::roundToInt (value));
    }
    return {};
}

int positionFromText (Parameter p, const juce::String& typed)
{
    const auto text = typed.trim();

    switch (p)
    {
        case Parameter::threshold:
            return (int) ((juce::jlimit (-60.0, 0.0, NumberText::toDouble (text)) + 87.0) * 2.0);

        case Parameter::ratio:
            return (int) ((juce::jlimit (1.0, 50.0, NumberText::toDouble (text)) - 1.0) * 2.0);

        case Parameter::knee:
            // Whole hundredths; the small allowance keeps a shown value such
            // as 0.29, which is 28.999… hundredths in binary, at its position.
            return (int) std::floor (juce::jlimit (0.0, 1.0, NumberText::toDouble (text)) * 100.0 + 1.0e-6);

        case Parameter::attackTime:
        {
            const auto v = juce::jlimit (0, 4000, NumberText::toInt (text));
            return v < 20 ? v : v / 20 + 19;
        }

        case Parameter::releaseTime:
        {
            const auto v = juce::jlimit (0, 4000, NumberText::toInt (text));
            return v < 1000 ? v / 5 : (v - 1000) / 100 + 200;
        }

        case Parameter::makeUpGain:
            return juce::jlimit (0, 24, NumberText::toInt (text));
    }
    return 0;
}

int lmCommandValue (int band, int parameterIndex, int position) noexcept
{
    return band * 65536 + parameterIndex * 256 + position;
}

}

//==============================================================================
juce::int8 BottomSaveComponent::lmtNum = 0;
bool BottomSaveComponent::lmtBypass = true;
float BottomSaveComponent::st_lmtPara1 = -60.0f;
float BottomSaveComponent::st_lmtPara2 = 1.0f;
float BottomSaveComponent::st_lmtPara3 = 0.0f;
int BottomSaveComponent::st_lmtPara4 = 1;
int BottomSaveComponent::st_lmtPara5 = 5;
int BottomSaveComponent::st_lmtPara6 = 0;

namespace
{
    using CompressorSettings::Parameter;

    const juce::Colour valueLabelColour { 0xFF286BB3 };

    constexpr std::array<Parameter, CompressorSettings::numParameters> allParameters {
        Parameter::threshold, Parameter::ratio, Parameter::knee,
        Parameter::attackTime, Parameter::releaseTime, Parameter::makeUpGain
    };

    const juce::Rectangle<int> knobBounds[] = { { 12, 104, 60, 60 }, { 82, 104, 60, 60 }, { 152, 104, 60, 60 },
                                                { 12, 194, 60, 60 }, { 82, 194, 60, 60 }, { 152, 194, 60, 60 } };
    const juce::Rectangle<int> labelBounds[] = { { 23, 95, 34, 15 }, { 93, 95, 34, 15 }, { 163, 95, 34, 15 },
                                                 { 23, 185, 34, 15 }, { 93, 185, 34, 15 }, { 163, 185, 34, 15 } };
    const char* const initialLabelTexts[] = { "-60.0", "1.0", "0.00", "1", "5", "0" };

    juce::String lmtPath()
    {
        return CacheFiles::path (CacheFiles::lmt);
    }

    juce::Image compressorPicture()
    {
       #if VELD72_HAS_BINARY_DATA
        return juce::ImageCache::getFromMemory (BinaryData::compressor_png, BinaryData::compressor_pngSize);
       #else
        return {};
       #endif
    }
}

BottomSaveComponent::BottomSaveComponent()
{
    setName ("COMPRESSOR SETTING");

    knobLook.setColour (juce::Slider::thumbColourId, juce::Colour::greyLevel (0.5f));

    for (size_t i = 0; i < allParameters.size(); ++i)
    {
        const auto p = allParameters[i];

        auto& knob = knobs[i];
        knob.setSliderStyle (juce::Slider::Rotary);
        knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        knob.setRange (CompressorSettings::minPosition (p), CompressorSettings::maxPosition (p), 1.0);
        knob.setValue (CompressorSettings::minPosition (p), juce::dontSendNotification);
        knob.setLookAndFeel (&knobLook);
        knob.addListener (this);
        knob.setBounds (knobBounds[i]);
        addAndMakeVisible (knob);

        auto& label = valueLabels[i];
        label.setText (initialLabelTexts[i], juce::dontSendNotification);
        label.setJustificationType (juce::Justification::centred);
        label.setColour (juce::Label::textColourId, juce::Colours::white);
        label.setColour (juce::Label::backgroundColourId, valueLabelColour);
        label.setEditable (true);
        label.addListener (this);
        label.setBounds (labelBounds[i]);
        addAndMakeVisible (label);
    }

    onOffButton = std::make_unique<juce::TextButton> ("COMP_OFF");
    onOffButton->setColour (juce::TextButton::buttonColourId, PanelStyle::onColour);
    onOffButton->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    onOffButton->setColour (juce::TextButton::textColourOnId, juce::Colours::white);
    onOffButton->setLookAndFeel (&knobLook);
    onOffButton->addListener (this);
    onOffButton->setBounds (25, 267, 65, 25);
    addAndMakeVisible (*onOffButton);

    bandBox.addItem ("Sub_Chn1-2", 1);
    bandBox.addItem ("Bass_Chn3-4", 2);
    bandBox.addItem ("Mid_Chn5-6", 3);
    bandBox.addItem ("Hi_Chn7-8", 4);
    bandBox.setColour (juce::ComboBox::backgroundColourId, juce::Colours::black);
    bandBox.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    bandBox.setJustificationType (juce::Justification::centred);
    bandBox.setLookAndFeel (&bandBoxLook);
    bandBox.addListener (this);
    bandBox.setBounds (115, 267, 90, 25);
    addAndMakeVisible (bandBox);

    const auto image = compressorPicture();
    picture.setImages (false, true, true,
                       image, 1.0f, juce::Colours::transparentWhite,
                       image, 1.0f, juce::Colours::transparentWhite,
                       image, 1.0f, juce::Colours::transparentWhite);
    picture.setBounds (0, 35, 225, 60);
    addAndMakeVisible (picture);

    lmtBypass = true;
    st_lmtPara1 = (float) NumberText::toDouble (valueLabels[0].getText());
    st_lmtPara2 = (float) NumberText::toDouble (valueLabels[1].getText());
    st_lmtPara3 = (float) NumberText::toDouble (valueLabels[2].getText());
    st_lmtPara4 = NumberText::toInt (valueLabels[3].getText());
    st_lmtPara5 = NumberText::toInt (valueLabels[4].getText());
    st_lmtPara6 = NumberText::toInt (valueLabels[5].getText());

    setSize (227, 298);

    bandBox.setSelectedId (2, juce::sendNotificationAsync);
}

BottomSaveComponent::~BottomSaveComponent()
{
    for (auto& knob : knobs)
        knob.setLookAndFeel (nullptr);
    onOffButton->setLookAndFeel (nullptr);
    bandBox.setLookAndFeel (nullptr);
}

void BottomSaveComponent::paint (juce::Graphics& g)
{
    PanelStyle::fillBackgroundAndBorder (g, *this);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font());
    PanelStyle::drawCaption (g, "COMPRESSOR SETTING", { 0, 0, getWidth(), 30 }, juce::Justification::centred);
    g.drawHorizontalLine (30, 0.0f, (float) getWidth());

    // Titles and units in the default font, the range of each knob smaller
    // at the ends of its arc. The titles of the lower row stand closer
    // together than their boxes are wide, so each box ends a little before
    // the next title begins; "-60" ends before the thumb of a knob at its
    // minimum; no box reaches past the panel's border.
    struct Caption { const char* text; int x, y, w, h; bool range; };
    static const Caption captions[] = {
        { "Threshold", 20, 149, 80, 30, false },  { "dB", 57, 95, 20, 15, false },   { "-60", 11, 144, 13, 15, true },
        { "0", 59, 144, 30, 15, true },           { "Ratio", 102, 149, 80, 30, false }, { "1", 87, 144, 30, 15, true },
        { "50", 129, 144, 30, 15, true },         { "Knee", 172, 149, 80, 30, false },  { "0", 157, 144, 30, 15, true },
        { "1", 199, 144, 30, 15, true },
        { "Attack Time", 15, 239, 64, 30, false }, { "ms", 57, 185, 20, 15, false },   { "1", 17, 233, 20, 15, true },
        { "4K", 58, 233, 20, 15, true },           { "Release Time", 82, 239, 67, 30, false }, { "ms", 127, 185, 20, 15, false },
        { "5", 85, 233, 20, 15, true },            { "4K", 130, 233, 20, 15, true },  { "Makeup Gain", 152, 239, 80, 30, false },
        { "dB", 197, 185, 20, 15, false },         { "0", 155, 233, 20, 15, true },   { "24", 200, 233, 20, 15, true },
    };

    const juce::Font titleFont, rangeFont (12.0f);
    for (const auto& c : captions)
    {
        g.setFont (c.range ? rangeFont : titleFont);
        PanelStyle::drawCaption (g, c.text, { c.x, c.y, juce::jmin (c.w, getWidth() - 1 - c.x), c.h },
                                 juce::Justification::centredLeft);
    }
}

//==============================================================================
int BottomSaveComponent::indexOfKnob (const juce::Slider* slider) const
{
    for (size_t i = 0; i < knobs.size(); ++i)
        if (slider == &knobs[i])
            return (int) i;
    return -1;
}

int BottomSaveComponent::indexOfLabel (const juce::Label* label) const
{
    for (size_t i = 0; i < valueLabels.size(); ++i)
        if (label == &valueLabels[i])
            return (int) i;
    return -1;
}

void BottomSaveComponent::storeDisplayedValue (Parameter p, int position)
{
    const auto value = CompressorSettings::displayedValue (p, position);

    switch (p)
    {
        case Parameter::threshold:   st_lmtPara1 = (float) value; break;
        case Parameter::ratio:       st_lmtPara2 = (float) value; break;
        case Parameter::knee:        st_lmtPara3 = (float) value; break;
        case Parameter::attackTime:  st_lmtPara4 = juce::roundToInt (value); break;
        case Parameter::releaseTime: st_lmtPara5 = juce::roundToInt (value); break;
        case Parameter::makeUpGain:  st_lmtPara6 = juce::roundToInt (value); break;
    }
}

void BottomSaveComponent::sliderValueChanged (juce::Slider* slider)
{
    const auto index = indexOfKnob (slider);
    if (index < 0)
        return;

    const auto p = allParameters[(size_t) index];
    const auto position = juce::roundToInt (slider->getValue());

    storeDisplayedValue (p, position);
    valueLabels[(size_t) index].setText (CompressorSettings::displayText (p, position), juce::sendNotificationSync);

    sendCommand.sendLMCommand (CompressorSettings::lmCommandValue (lmtNum, index, position));

    const auto byte = (std::uint8_t) position;
    CacheFiles::patchBytes (lmtPath(), CacheFiles::lmtOffset (lmtNum, (CacheFiles::LmtField) index), &byte, 1);
}

void BottomSaveComponent::labelTextChanged (juce::Label* label)
{
    const auto index = indexOfLabel (label);
    if (index < 0)
        return;

    const auto p = allParameters[(size_t) index];
    const auto position = CompressorSettings::positionFromText (p, label->getText());

    storeDisplayedValue (p, position);
    label->setText (CompressorSettings::displayText (p, position), juce::sendNotificationSync);
    knobs[(size_t) index].setValue (position, juce::sendNotificationAsync);
}

void BottomSaveComponent::styleOnOffButton()
{
    onOffButton->setColour (juce::TextButton::buttonColourId, lmtBypass ? PanelStyle::onColour : PanelStyle::offColour);
    onOffButton->setButtonText (lmtBypass ? "COMP_OFF" : "COMP_ON");
}

void BottomSaveComponent::toggleOnOff()
{
    lmtBypass = ! lmtBypass;
    styleOnOffButton();
    sendCommand.sendLMCommand (CompressorSettings::lmCommandValue (lmtNum, CompressorSettings::onOffIndex, lmtBypass ? 1 : 0));
}

void BottomSaveComponent::buttonClicked (juce::Button* button)
{
    if (button != onOffButton.get())
        return;

    toggleOnOff();

    const std::uint8_t bytes[] = { (std::uint8_t) lmtBypass, (std::uint8_t) lmtBypass };
    CacheFiles::patchBytes (lmtPath(), CacheFiles::lmtOffset (lmtNum, CacheFiles::LmtField::bypass), bytes, 2);
}

void BottomSaveComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box != &bandBox)
        return;

    const auto id = bandBox.getSelectedId();
    if (id < 1 || id > 4)
        return;

    lmtNum = (juce::int8) (id - 1);

    const auto stored = CacheFiles::readLmtBytes (lmtPath());
    if (! stored.has_value())
        return;

    for (size_t i = 0; i < knobs.size(); ++i)
        knobs[i].setValue ((*stored)[(size_t) CacheFiles::lmtOffset (lmtNum, (CacheFiles::LmtField) i)],
                           juce::sendNotificationAsync);

    const auto storedOff = ((*stored)[(size_t) CacheFiles::lmtOffset (lmtNum, CacheFiles::LmtField::bypass)] & 1) != 0;
    if (storedOff != lmtBypass)
        toggleOnOff();
}

//==============================================================================
void BottomSaveComponent::setLmtThresholdSliderValue (float position)
{
    knobs[(size_t) Parameter::threshold].setValue (position, juce::sendNotificationAsync);
}

void BottomSaveComponent::setLmtRatioSliderValue (float position)
{
    knobs[(size_t) Parameter::ratio].setValue (position, juce::sendNotificationAsync);
}

void BottomSaveComponent::setLmtKneeSliderValue (float position)
{
    knobs[(size_t) Parameter::knee].setValue (position, juce::sendNotificationAsync);
}

void BottomSaveComponent::setLmtAttackTimeSliderValue (int position)
{
    knobs[(size_t) Parameter::attackTime].setValue (position, juce::sendNotificationAsync);
}

void BottomSaveComponent::setLmtReleaseTimeSliderValue (int position)
{
    knobs[(size_t) Parameter::releaseTime].setValue (position, juce::sendNotificationAsync);
}

void BottomSaveComponent::setLmtMakeUpGainSliderValue (int position)
{
    knobs[(size_t) Parameter::makeUpGain].setValue (position, juce::sendNotificationAsync);
}

float BottomSaveComponent::getLmtThresholdSliderValue() const   { return (float) knobs[(size_t) Parameter::threshold].getValue(); }
float BottomSaveComponent::getLmtRatioSliderValue() const       { return (float) knobs[(size_t) Parameter::ratio].getValue(); }
float BottomSaveComponent::getLmtKneeSliderValue() const        { return (float) knobs[(size_t) Parameter::knee].getValue(); }
float BottomSaveComponent::getLmtAttackTimeSliderValue() const  { return (float) knobs[(size_t) Parameter::attackTime].getValue(); }
float BottomSaveComponent::getLmtReleaseTimeSliderValue() const { return (float) knobs[(size_t) Parameter::releaseTime].getValue(); }
float BottomSaveComponent::getLmtMakeUpGainSliderValue() const  { return (float) knobs[(size_t) Parameter::makeUpGain].getValue(); }

void BottomSaveComponent::setComboLmtValue (int id)
{
    // A band outside 1..4 (a damaged parameter file) would send settings for
    // a band the unit does not have and put the next knob change into the
    // bytes of another band in "//lmt".
    if (id < 1 || id > 4)
        return;

    bandBox.setSelectedId (id, juce::sendNotificationAsync);
    lmtNum = (juce::int8) (id - 1);
}

int BottomSaveComponent::getComboLmtValue() const
{
    return bandBox.getSelectedId();
}

void BottomSaveComponent::setLmtBypass (bool off)
{
    showLmtBypass (off);
    sendCommand.sendLMCommand (CompressorSettings::lmCommandValue (lmtNum, CompressorSettings::onOffIndex, off ? 1 : 0));
}

bool BottomSaveComponent::getLmtBypass() const
{
    return lmtBypass;
}

void BottomSaveComponent::showLmtBypass (bool off)
{
    lmtBypass = off;
    styleOnOffButton();
}
