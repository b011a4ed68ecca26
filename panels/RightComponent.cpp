#include "panels/RightComponent.h"

#include "app/MainComponent.h"
#include "link/Globals.h"
#include "styles/LevelMeterDrawing.h"
#include "styles/PanelStyle.h"

#include <limits>

bool RightComponent::mute = true;
bool RightComponent::onoff = false;

std::function<void (const juce::String&, const juce::String&)> RightComponent::showWarning =
    [] (const juce::String& title, const juce::String& message)
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, message);
};

namespace
{
    void setUpMeter (juce::Slider& meter, const juce::String& id, juce::LookAndFeel& style)
    {
        meter.setComponentID (id);
        meter.setSliderStyle (juce::Slider::LinearBarVertical);
        meter.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        meter.setInterceptsMouseClicks (false, false);
        meter.setRange (-60.0, 0.0, 0.0);
        meter.setValue (0.0, juce::dontSendNotification);
        meter.setLookAndFeel (&style);
        meter.setColour (juce::Slider::thumbColourId, juce::Colours::black.withAlpha (0.95f));
        meter.setColour (juce::Slider::textBoxOutlineColourId, PanelStyle::background);
        // The meter covers its bounds: a new level repaints the meter alone.
        meter.setOpaque (true);
    }
}

RightComponent::RightComponent()
{
    setName ("Master");

    sourceBox.setComponentID ("source");
    sourceBox.addItem ("ANALOG", 1);
    sourceBox.addItem ("AES/EBU", 2);
    sourceBox.setJustificationType (juce::Justification::centred);
    sourceBox.setColour (juce::ComboBox::backgroundColourId, juce::Colours::black);
    sourceBox.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    sourceBox.setLookAndFeel (&comboStyle);
    sourceBox.setSelectedId (1, juce::sendNotificationAsync);
    sourceBox.addListener (this);
    addAndMakeVisible (sourceBox);

    mute = true;
    muteButton = std::make_unique<juce::TextButton> ("MUTE");
    muteButton->setComponentID ("mute");
    muteButton->setLookAndFeel (&buttonStyle);
    muteButton->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    muteButton->addListener (this);
    addAndMakeVisible (*muteButton);
    showMute();

    // Face and flag agree from the start: processing, so the first click
    // switches to bypass.
    onoff = false;
    bypassButton = std::make_unique<juce::TextButton>();
    bypassButton->setComponentID ("bypass");
    bypassButton->setLookAndFeel (&buttonStyle);
    bypassButton->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    bypassButton->addListener (this);
    addAndMakeVisible (*bypassButton);
    showBypass();

    setUpMeter (leftMeter, "leftMeter", meterStyle);
    setUpMeter (rightMeter, "rightMeter", meterStyle);
    addAndMakeVisible (leftMeter);
    addAndMakeVisible (rightMeter);

    masterSlider.setComponentID ("master");
    masterSlider.setSliderStyle (juce::Slider::LinearVertical);
    masterSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    masterSlider.setRange (-60.0, 6.0, 1.0);
    masterSlider.setValue (0.0, juce::dontSendNotification);
    masterSlider.setLookAndFeel (&masterStyle);
    masterSlider.addListener (this);
    addAndMakeVisible (masterSlider);

    resized();
}

RightComponent::~RightComponent()
{
    muteButton->setLookAndFeel (nullptr);
    bypassButton->setLookAndFeel (nullptr);
    leftMeter.setLookAndFeel (nullptr);
    rightMeter.setLookAndFeel (nullptr);
    masterSlider.setLookAndFeel (nullptr);
    sourceBox.setLookAndFeel (nullptr);
}

void RightComponent::resized()
{
    sourceBox.setBounds (15, 5, 90, 20);
    bypassButton->setBounds (5, 330, 65, 25);
    muteButton->setBounds (73, 330, 50, 25);
    leftMeter.setBounds (14, 35, 10, 263);
    rightMeter.setBounds (25, 35, 10, 263);
    masterSlider.setBounds (80, 25, 24, 283);
}

void RightComponent::paint (juce::Graphics& g)
{
    static constexpr const char* scale[] = { "-5", "-10", "-15", "-20", "-30", "-40", "-50", "-60" };
    static constexpr int scaleY[] = { 64, 97, 129, 162, 194, 227, 259, 292 };

    g.fillAll (PanelStyle::background);
    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds(), 1);

    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    PanelStyle::drawCaption (g, "LEVEL", { 15, 300, 50, 25 }, juce::Justification::centredLeft);
    PanelStyle::drawCaption (g, "MASTER", { 70, 300, 60, 25 }, juce::Justification::centredLeft);

    for (int i = 0; i <= 16; ++i)
    {
        const auto y = (int) (i * 16.25 + 36);
        g.drawHorizontalLine (y, 35.0f, 40.0f);
    }

    g.setFont (10.0f);
    PanelStyle::drawCaption (g, "0", { 45, 32, 30, 10 }, juce::Justification::centredLeft);
    for (int i = 0; i < 8; ++i)
        PanelStyle::drawCaption (g, scale[i], { 45, scaleY[i], 35, 10 }, juce::Justification::centredLeft);
}

float RightComponent::getMasterSliderValue() const
{
    return (float) masterSlider.getValue();
}

void RightComponent::setMasterSliderValue (float v)
{
    masterSlider.setValue (v, juce::sendNotificationAsync);
}

bool RightComponent::getMuteStatus()   { return mute; }
bool RightComponent::getByPassStatus() { return onoff; }

void RightComponent::showMute()
{
    muteButton->setColour (juce::TextButton::buttonColourId, mute ? PanelStyle::onColour : PanelStyle::offColour);
}

void RightComponent::showBypass()
{
    bypassButton->setColour (juce::TextButton::buttonColourId, onoff ? PanelStyle::onColour : PanelStyle::offColour);
    bypassButton->setButtonText (onoff ? "BYPASS" : "PROCESS");
}

void RightComponent::setMuteStatus (bool on)
{
    mute = on;
    showMute();
    repaint();
}

void RightComponent::setMuteStatus1 (bool on)
{
    mute = on;
    showMute();
    sendCommand.sendMUCommand (on ? 1 : 0);
    repaint();
}

void RightComponent::sendProcessCommand()
{
    auto* content = findParentComponentOfClass<MainContentComponent>();
    const auto phase = content != nullptr ? content->getBottomSystem().getPhaseState() : 0;
    sendCommand.sendOPCommand (phase == 0 ? 1 : 3);
}

void RightComponent::setByPassStatus (bool on)
{
    onoff = on;
    showBypass();

    if (on)
        sendCommand.sendOPCommand (0);
    else
        sendProcessCommand();

    repaint();
}

void RightComponent::setByPassStatus_1 (bool processing)
{
    onoff = ! processing;
    showBypass();
    repaint();
}

int RightComponent::getAnalogComboValue() const
{
    return sourceBox.getSelectedId() - 1;
}

void RightComponent::setAnalogComboValue (int v)
{
    // A value from a file may be anything: one without an id selects nothing.
    const auto id = (juce::int64) v + 1;
    sourceBox.setSelectedId (id <= std::numeric_limits<int>::max() ? (int) id : 0, juce::sendNotificationAsync);
    repaint();
}

void RightComponent::setLevelSliderValue (float a, float b, float c, float d)
{
    // A maximum below the new level would later pull the shown value back
    // down to it, and the report would never be seen.
    LevelMeterDrawing::setPeak (leftMeter, c);
    leftMeter.setMaxValue (juce::jmax (c, a), juce::sendNotificationAsync, false);
    leftMeter.setValue (a, juce::sendNotificationAsync);
    LevelMeterDrawing::setPeak (rightMeter, d);
    rightMeter.setMaxValue (juce::jmax (d, b), juce::sendNotificationAsync, false);
    rightMeter.setValue (b, juce::sendNotificationAsync);
}

void RightComponent::warnIfMeasuring()
{
    if (LeftComponent::getM48v() && showWarning != nullptr)
        showWarning ("warning", "please insure the system is \"Measure OFF\"");
}

void RightComponent::buttonClicked (juce::Button* button)
{
    if (button == bypassButton.get())
    {
        onoff = ! onoff;
        showBypass();

        if (onoff)
            sendCommand.sendOPCommand (0);
        else
            sendProcessCommand();

        warnIfMeasuring();
    }
    else if (button == muteButton.get())
    {
        mute = ! mute;
        showMute();
        sendCommand.sendMUCommand (mute ? 1 : 0);
    }
}

void RightComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider == &masterSlider)
        sendCommand.sendGACommand ((float) masterSlider.getValue());
}

void RightComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box != &sourceBox)
        return;

    const auto id = sourceBox.getSelectedId();
    if (id == 1 || id == 2)
        sendCommand.sendSECommand (id - 1);
}
