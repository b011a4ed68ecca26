#include "panels/BottomPanelComponent.h"

#include "link/Globals.h"
#include "styles/LevelMeterDrawing.h"
#include "styles/PanelStyle.h"

#include <limits>

float BottomPanelComponent::level1 = 0.0f;
float BottomPanelComponent::level3 = 0.0f;
float BottomPanelComponent::level5 = 0.0f;
float BottomPanelComponent::level7 = 0.0f;
bool BottomPanelComponent::m1mute = false;
bool BottomPanelComponent::m2mute = false;
bool BottomPanelComponent::m3mute = false;
bool BottomPanelComponent::m4mute = false;
int BottomPanelComponent::freq1 = 50;
int BottomPanelComponent::freq2 = 500;
int BottomPanelComponent::freq3 = 500;

int parseCrossoverFrequency (const juce::String& text)
{
    auto p = text.getCharPointer();

    while (p.isWhitespace())
        ++p;

    bool negative = false;
    if (*p == '-' || *p == '+')
    {
        negative = *p == '-';
        ++p;
    }

    const auto limit = negative ? -(long long) std::numeric_limits<int>::min() : (long long) std::numeric_limits<int>::max();
    long long value = 0;

    for (; p.isDigit(); ++p)
        value = juce::jmin (limit, value * 10 + (long long) (*p - '0'));

    return (int) (negative ? -value : value);
}

namespace
{
    const juce::Colour crossoverColour { 0xFF286BB3 };
    const char* const bandTitles[] = { " SUB ", " BASS ", " MIDDLE ", "HIGHT" };
    const char* const outputTexts[] = { "OUTPUT 1-2", "OUTPUT 3-4", "OUTPUT 5-6", "OUTPUT 7-8" };
    const char* const crossoverTexts[] = { "50", "500", "500" };

    void setUpMeter (juce::Slider& meter, const juce::String& id, juce::LookAndFeel& style)
    {
        meter.setComponentID (id);
        meter.setSliderStyle (juce::Slider::LinearBarVertical);
        meter.setRange (-60.0, 0.0, 0.0);
        meter.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        meter.setInterceptsMouseClicks (false, false);
        meter.setValue (0.0, juce::dontSendNotification);
        meter.setColour (juce::Slider::thumbColourId, juce::Colours::black.withAlpha (0.95f));
        meter.setLookAndFeel (&style);

        // The meter covers its bounds, so a new level repaints the meter
        // alone and not the panel behind it. Its one-pixel outline is the
        // style's translucent outline as it looks on the panel's background.
        meter.setColour (juce::Slider::textBoxOutlineColourId,
                         PanelStyle::background.overlaidWith (style.findColour (juce::Slider::textBoxOutlineColourId)));
        meter.setOpaque (true);
    }
}

BottomPanelComponent::BottomPanelComponent()
{
    setName ("Output bands");

    for (int i = 0; i < numBands; ++i)
    {
        auto& band = bands[(size_t) i];
        const auto n = juce::String (i + 1);

        setUpMeter (band.oddMeter, "oddMeter" + n, meterStyle);
        setUpMeter (band.evenMeter, "evenMeter" + n, meterStyle);
        addAndMakeVisible (band.oddMeter);
        addAndMakeVisible (band.evenMeter);

        band.levelSlider.setComponentID ("level" + n);
        band.levelSlider.setSliderStyle (juce::Slider::LinearVertical);
        band.levelSlider.setRange (-45.0, 15.0, 1.0);
        band.levelSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        band.levelSlider.setColour (juce::Slider::trackColourId, juce::Colours::black);
        band.levelSlider.setValue (0.0, juce::dontSendNotification);
        band.levelSlider.setLookAndFeel (&sliderStyle);
        band.levelSlider.addListener (this);
        addAndMakeVisible (band.levelSlider);

        band.outputButton = std::make_unique<CustomButton> (juce::Colours::white, outputTexts[i], juce::Colours::grey);
        band.outputButton->setComponentID ("output" + n);
        addAndMakeVisible (*band.outputButton);

        band.muteButton = std::make_unique<CustomButton> (juce::Colours::white, "M", juce::Colours::green);
        band.muteButton->setComponentID ("mute" + n);
        band.muteButton->addListener (this);
        addAndMakeVisible (*band.muteButton);
    }

    for (int i = 0; i < 3; ++i)
    {
        auto& label = crossoverLabels[(size_t) i];
        label.setComponentID ("freq" + juce::String (i + 1));
        label.setText (crossoverTexts[i], juce::dontSendNotification);
        label.setJustificationType (juce::Justification::centred);
        label.setColour (juce::Label::textColourId, juce::Colours::white);
        label.setColour (juce::Label::backgroundColourId, crossoverColour);
        label.setEditable (true, false, false);
        label.addListener (this);
        addAndMakeVisible (label);
    }

    for (int band = 1; band <= numBands; ++band)
    {
        levelOf (band) = (float) bands[(size_t) band - 1].levelSlider.getValue();
        muteOf (band) = bands[(size_t) band - 1].muteButton->getToggleFlag();
    }

    for (int index = 1; index <= 3; ++index)
        freqOf (index) = parseCrossoverFrequency (crossoverLabels[(size_t) index - 1].getText());

    resized();
}

BottomPanelComponent::~BottomPanelComponent()
{
    for (auto& band : bands)
    {
        band.oddMeter.setLookAndFeel (nullptr);
        band.evenMeter.setLookAndFeel (nullptr);
        band.levelSlider.setLookAndFeel (nullptr);
    }
}

void BottomPanelComponent::resized()
{
    const auto w = getWidth();
    const int x0[] = { 0, w / 4, w / 2, 3 * w / 4 };
    const int muteX[] = { 25, w / 4 + 30, w / 2 + 30, 3 * w / 4 + 35 };

    for (size_t i = 0; i < (size_t) numBands; ++i)
    {
        auto& band = bands[i];
        band.oddMeter.setBounds (x0[i] + 5, 49, 8, 203);
        band.evenMeter.setBounds (x0[i] + 14, 49, 8, 203);
        band.levelSlider.setBounds (x0[i] + 56, 40, 24, 220);
        band.outputButton->setBounds (x0[i] + 5, 260, 75, 30);
        band.muteButton->setBounds (muteX[i], 20, 20, 20);
    }

    for (size_t i = 0; i < 3; ++i)
        crossoverLabels[i].setBounds (x0[i + 1] - 25, 15, 50, 15);
}

void BottomPanelComponent::paint (juce::Graphics& g)
{
    static constexpr const char* scale[] = { "0", "-5", "-10", "-15", "-20", "-30", "-40", "-50", "-60" };

    const auto w = getWidth();
    const auto h = getHeight();
    const int x0[] = { 0, w / 4, w / 2, 3 * w / 4 };

    g.fillAll (PanelStyle::background);
    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds(), 1);
    for (int i = 1; i < numBands; ++i)
        g.drawVerticalLine (x0[i], 0.0f, (float) h);

    g.setColour (juce::Colours::white);
    for (int i = 0; i < numBands; ++i)
        PanelStyle::drawCaption (g, bandTitles[i], { x0[i], 0, w / 4, 20 }, juce::Justification::centred);

    g.setColour (crossoverColour);
    for (int i = 1; i < numBands; ++i)
    {
        const auto c = (float) x0[i];
        juce::Path triangle;
        triangle.addTriangle (c - 6.0f, 30.0f, c, 40.0f, c + 6.0f, 30.0f);
        g.fillPath (triangle);
    }

    g.setColour (juce::Colours::white);
    g.setFont (10.0f);
    for (int i = 0; i < numBands; ++i)
    {
        for (int t = 0; t <= 16; ++t)
        {
            const auto y = (int) (50 + 12.5 * t);
            g.drawHorizontalLine (y, (float) x0[i] + 25.0f, (float) x0[i] + 30.0f);
        }

        for (int k = 0; k < 9; ++k)
            PanelStyle::drawCaption (g, scale[k], { x0[i] + 35, 46 + 25 * k, 35, 10 }, juce::Justification::centredLeft);
    }
}

float& BottomPanelComponent::levelOf (int band)
{
    switch (band)
    {
        case 1:  return level1;
        case 2:  return level3;
        case 3:  return level5;
        default: return level7;
    }
}

bool& BottomPanelComponent::muteOf (int band)
{
    switch (band)
    {
        case 1:  return m1mute;
        case 2:  return m2mute;
        case 3:  return m3mute;
        default: return m4mute;
    }
}

int& BottomPanelComponent::freqOf (int index)
{
    switch (index)
    {
        case 1:  return freq1;
        case 2:  return freq2;
        default: return freq3;
    }
}

void BottomPanelComponent::sliderValueChanged (juce::Slider* slider)
{
    for (int band = 1; band <= numBands; ++band)
    {
        auto& levelSlider = bands[(size_t) band - 1].levelSlider;
        if (slider == &levelSlider)
        {
            levelOf (band) = (float) levelSlider.getValue();
            sendCommand.sendLVCommand ((unsigned char) (2 * band - 1), levelOf (band));
        }
    }
}

void BottomPanelComponent::buttonClicked (juce::Button* button)
{
    for (int band = 1; band <= numBands; ++band)
    {
        auto& mute = *bands[(size_t) band - 1].muteButton;
        if (button == &mute)
        {
            mute.toggle();
            sendCommand.sendMTCommand ((unsigned char) band, mute.getToggleFlag() ? 1 : 0);
            muteOf (band) = mute.getToggleFlag();
        }
    }
}

void BottomPanelComponent::labelTextChanged (juce::Label* label)
{
    for (int index = 1; index <= 3; ++index)
        if (label == &crossoverLabels[(size_t) index - 1])
            freqOf (index) = parseCrossoverFrequency (label->getText());
}

float BottomPanelComponent::getSliderValueLevel1() { return level1; }
float BottomPanelComponent::getSliderValueLevel3() { return level3; }
float BottomPanelComponent::getSliderValueLevel5() { return level5; }
float BottomPanelComponent::getSliderValueLevel7() { return level7; }

void BottomPanelComponent::setLevel (int band, float v)
{
    bands[(size_t) band - 1].levelSlider.setValue (v, juce::sendNotificationAsync);
}

void BottomPanelComponent::setSliderValueLevel1 (float v) { setLevel (1, v); }
void BottomPanelComponent::setSliderValueLevel3 (float v) { setLevel (2, v); }
void BottomPanelComponent::setSliderValueLevel5 (float v) { setLevel (3, v); }
void BottomPanelComponent::setSliderValueLevel7 (float v) { setLevel (4, v); }

int BottomPanelComponent::getFreq1() { return freq1; }
int BottomPanelComponent::getFreq2() { return freq2; }
int BottomPanelComponent::getFreq3() { return freq3; }

void BottomPanelComponent::setFreq (int index, int v)
{
    freqOf (index) = v;
    crossoverLabels[(size_t) index - 1].setText (juce::String (v), juce::sendNotificationSync);
}

void BottomPanelComponent::setFreq1 (int v) { setFreq (1, v); }
void BottomPanelComponent::setFreq2 (int v) { setFreq (2, v); }
void BottomPanelComponent::setFreq3 (int v) { setFreq (3, v); }

bool BottomPanelComponent::getM1Mute() { return m1mute; }
bool BottomPanelComponent::getM2Mute() { return m2mute; }
bool BottomPanelComponent::getM3Mute() { return m3mute; }
bool BottomPanelComponent::getM4Mute() { return m4mute; }

void BottomPanelComponent::setMute (int band, bool muted)
{
    muteOf (band) = muted;
    bands[(size_t) band - 1].muteButton->setToggleFlag (muted);
    sendCommand.sendMTCommand ((unsigned char) band, muted ? 1 : 0);
}

void BottomPanelComponent::setM1Mute (bool muted) { setMute (1, muted); }
void BottomPanelComponent::setM2Mute (bool muted) { setMute (2, muted); }
void BottomPanelComponent::setM3Mute (bool muted) { setMute (3, muted); }
void BottomPanelComponent::setM4Mute (bool muted) { setMute (4, muted); }

void BottomPanelComponent::setLeftVerticalSlierValue (float l1, float l2, float l3, float l4,
                                                      float l5, float l6, float l7, float l8,
                                                      float p1, float p2, float p3, float p4,
                                                      float p5, float p6, float p7, float p8)
{
    const float levels[] = { l1, l2, l3, l4, l5, l6, l7, l8 };
    const float peaks[] = { p1, p2, p3, p4, p5, p6, p7, p8 };

    for (size_t i = 0; i < (size_t) numBands; ++i)
    {
        for (auto channel : { 2 * i + 1, 2 * i })
        {
            auto& meter = channel % 2 == 0 ? bands[i].oddMeter : bands[i].evenMeter;
            LevelMeterDrawing::setPeak (meter, peaks[channel]);
            // A maximum below the new level would later pull the shown value
            // back down to it, and the report would never be seen.
            meter.setMaxValue (juce::jmax (peaks[channel], levels[channel]), juce::sendNotificationAsync, false);
            meter.setValue (levels[channel], juce::sendNotificationAsync);
        }
    }
}

void BottomPanelComponent::setBandActive (int band, bool active)
{
    if (band < 1 || band > numBands)
        return;

    auto& b = bands[(size_t) band - 1];
    b.outputButton->setFillColour (active ? juce::Colours::green : juce::Colours::darkgrey);
    b.levelSlider.setEnabled (active);
    b.evenMeter.setEnabled (active);
    b.muteButton->setEnabled (active);
}

void BottomPanelComponent::setLevelSliderTrackColour (int band, juce::Colour colour)
{
    if (band >= 1 && band <= numBands)
        bands[(size_t) band - 1].levelSlider.setColour (juce::Slider::trackColourId, colour);
}

void BottomPanelComponent::setCrossoverEditable (int index, bool editable)
{
    if (index >= 1 && index <= 3)
        crossoverLabels[(size_t) index - 1].setEditable (editable, false, false);
}
