#include "panels/LeftComponent.h"

#include "app/MainComponent.h"
#include "link/Globals.h"
#include "styles/PanelStyle.h"
#include "styles/TextFit.h"

float LeftComponent::ml = 190.0f;
float LeftComponent::nl = -80.0f;
bool LeftComponent::mute48v = false;
bool LeftComponent::en48v = true;

namespace
{
    const juce::Colour orange { juce::Colours::orange };

    std::unique_ptr<juce::TextButton> makeButton (const juce::String& text, const juce::String& id, juce::Colour colour,
                                                  juce::LookAndFeel& style, juce::Button::Listener& listener)
    {
        auto b = std::make_unique<juce::TextButton> (text);
        b->setComponentID (id);
        b->setLookAndFeel (&style);
        b->setColour (juce::TextButton::buttonColourId, colour);
        b->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        b->addListener (&listener);
        return b;
    }

    void drawScale (juce::Graphics& g, int tickX, int tickTop, int labelX, const char* const (&labels)[9])
    {
        static constexpr int labelY[] = { 27, 55, 84, 113, 142, 170, 199, 228, 257 };

        g.setColour (juce::Colours::white);
        for (int i = 0; i <= 16; ++i)
        {
            const auto y = (int) (i * 14.375 + tickTop);
            g.drawHorizontalLine (y, (float) tickX, (float) tickX + 5.0f);
        }

        g.setFont (10.0f);
        for (int i = 0; i < 9; ++i)
            PanelStyle::drawCaption (g, labels[i], { labelX, labelY[i], 25, 10 }, juce::Justification::centredRight);
    }
}

LeftComponent::LeftComponent()
{
    setName ("Input");

    measureButton = makeButton ("Measure OFF", "measure", PanelStyle::offColour, buttonStyle, *this);
    checkButton   = makeButton ("CHECK", "check", juce::Colours::black, buttonStyle, *this);
    leftButton    = makeButton ("L", "L", juce::Colours::black, buttonStyle, *this);
    rightButton   = makeButton ("R", "R", juce::Colours::black, buttonStyle, *this);
    stereoButton  = makeButton ("STEREO", "STEREO", juce::Colours::black, buttonStyle, *this);

    for (auto* b : { measureButton.get(), checkButton.get(), leftButton.get(), rightButton.get(), stereoButton.get() })
        addAndMakeVisible (b);

    enable48vToggle.setComponentID ("48V");
    enable48vToggle.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    enable48vToggle.setColour (juce::ToggleButton::textColourId, juce::Colours::white);
    enable48vToggle.setToggleState (true, juce::dontSendNotification);
    enable48vToggle.setLookAndFeel (&toggleStyle);
    enable48vToggle.addListener (this);
    addAndMakeVisible (enable48vToggle);

    levelLabel.setComponentID ("level");
    levelLabel.setText ("0 dB", juce::dontSendNotification);
    levelLabel.setColour (juce::Label::textColourId, juce::Colours::lightgreen);
    levelLabel.setFont (13.0f);
    levelLabel.setMinimumHorizontalScale (TextFit::defaultMinScale);
    addAndMakeVisible (levelLabel);

    micGainSlider.setComponentID ("micGain");
    micGainSlider.setSliderStyle (juce::Slider::LinearVertical);
    micGainSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    micGainSlider.setRange (80.0, 208.0, 1.0);
    micGainSlider.setValue (190.0, juce::sendNotificationAsync);
    micGainSlider.setLookAndFeel (&micGainStyle);
    micGainSlider.addListener (this);
    addAndMakeVisible (micGainSlider);

    levelMeter.setComponentID ("meter");
    levelMeter.setSliderStyle (juce::Slider::LinearBarVertical);
    levelMeter.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    levelMeter.setInterceptsMouseClicks (false, false);
    levelMeter.setRange (-80.0, 0.0, 0.0);
    levelMeter.setValue (0.0, juce::dontSendNotification);
    levelMeter.setLookAndFeel (&meterStyle);
    levelMeter.setColour (juce::Slider::thumbColourId, juce::Colours::black.withAlpha (0.95f));
    levelMeter.setColour (juce::Slider::textBoxOutlineColourId, PanelStyle::background);
    addAndMakeVisible (levelMeter);

    signalSlider.setComponentID ("signal");
    signalSlider.setSliderStyle (juce::Slider::LinearVertical);
    signalSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    signalSlider.setRange (-80.0, 0.0, 1.0);
    signalSlider.setValue (-80.0, juce::sendNotificationAsync);
    signalSlider.setLookAndFeel (&signalStyle);
    signalSlider.addListener (this);
    addAndMakeVisible (signalSlider);

    ml = (float) micGainSlider.getValue();
    nl = (float) signalSlider.getValue();
    checkState = 0;
    mute48v = false;
    en48v = enable48vToggle.getToggleState();

    // Start in the "Measure OFF" state in full, so the controls that follow
    // the measurement mode follow it from the start.
    stereoButton->setColour (juce::TextButton::textColourOffId, orange);
    updateClickAcceptance();

    resized();
}

LeftComponent::~LeftComponent()
{
    for (auto* b : { measureButton.get(), checkButton.get(), leftButton.get(), rightButton.get(), stereoButton.get() })
        b->setLookAndFeel (nullptr);

    enable48vToggle.setLookAndFeel (nullptr);
    micGainSlider.setLookAndFeel (nullptr);
    signalSlider.setLookAndFeel (nullptr);
    levelMeter.setLookAndFeel (nullptr);
}

void LeftComponent::resized()
{
    measureButton->setBounds (2, 5, 65, 20);
    enable48vToggle.setBounds (70, 5, 45, 20);
    levelLabel.setBounds (120, 5, 60, 20);

    // The label reaches past the panel's right border: its text ends inside.
    const auto hidden = juce::jmax (0, levelLabel.getRight() - (getWidth() - 1));
    levelLabel.setBorderSize ({ 1, 3, 1, 1 + hidden });
    micGainSlider.setBounds (30, 18, 24, 257);
    levelMeter.setBounds (75, 29, 15, 234);
    signalSlider.setBounds (130, 18, 24, 254);
    checkButton->setBounds (20, 300, 120, 25);
    leftButton->setBounds (20, 330, 30, 25);
    stereoButton->setBounds (52, 330, 56, 25);
    rightButton->setBounds (110, 330, 30, 25);
}

void LeftComponent::parentHierarchyChanged()
{
    updateClickAcceptance();
}

void LeftComponent::paint (juce::Graphics& g)
{
    static constexpr const char* micGainScale[9] = { "64", "56", "48", "40", "32", "24", "16", "8", "0" };
    static constexpr const char* levelScale[9] = { "0", "-5", "-10", "-15", "-20", "-30", "-40", "-50", "-60" };

    g.fillAll (PanelStyle::background);
    drawScale (g, 30, 31, 0, micGainScale);

    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds(), 1);

    g.setColour (juce::Colours::white);
    PanelStyle::drawCaption (g, "MIC GAIN", { 20, 270, 60, 20 }, juce::Justification::centredLeft);
    PanelStyle::drawCaption (g, "LEVEL", { 75, 270, 40, 20 }, juce::Justification::centredLeft);
    PanelStyle::drawCaption (g, "SIGNAL", { 130, 270, 50, 20 }, juce::Justification::centredLeft);

    drawScale (g, 90, 30, 90, levelScale);
}

float LeftComponent::getMlValue() { return ml; }
float LeftComponent::getNlValue() { return nl; }
bool LeftComponent::getM48v()     { return mute48v; }

void LeftComponent::setMlValue (float v)
{
    ml = v;
    micGainSlider.setValue (v, juce::sendNotificationAsync);
}

void LeftComponent::setNlValue (float v)
{
    nl = v;
    signalSlider.setValue (v, juce::sendNotificationAsync);
}

void LeftComponent::setM48v (bool on)
{
    mute48v = on;
    applyMeasureMode();
}

bool LeftComponent::getEnable48vState() const
{
    return enable48vToggle.getToggleState();
}

void LeftComponent::setEnable48vState (bool on)
{
    enable48vToggle.setToggleState (on, juce::dontSendNotification);
    en48v = on;
}

void LeftComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider == &micGainSlider)
    {
        ml = (float) micGainSlider.getValue();
        sendCommand.sendMLCommand (ml);
    }
    else if (slider == &signalSlider)
    {
        nl = (float) signalSlider.getValue();
        sendCommand.sendNLCommand (nl);
    }
}

void LeftComponent::buttonClicked (juce::Button* button)
{
    if (button == leftButton.get())
    {
        selectChannel (*leftButton, 'L');
    }
    else if (button == rightButton.get())
    {
        selectChannel (*rightButton, 'R');
    }
    else if (button == stereoButton.get())
    {
        selectChannel (*stereoButton, 'S');
    }
    else if (button == measureButton.get())
    {
        mute48v = ! mute48v;
        applyMeasureMode();
    }
    else if (button == &enable48vToggle)
    {
        en48v = enable48vToggle.getToggleState();
        if (mute48v)
            sendCommand.sendMTCommand (5, en48v ? 1 : 0);
    }
    else if (button == checkButton.get())
    {
        if (checkState == 0)
        {
            sendCommand.sendMLCommand ((float) micGainSlider.getValue());
            sendCommand.sendNLCommand ((float) signalSlider.getValue());
            sendCommand.sendLVCommand (1, BottomPanelComponent::getSliderValueLevel1());
            sendCommand.sendLVCommand (3, BottomPanelComponent::getSliderValueLevel3());
            sendCommand.sendLVCommand (5, BottomPanelComponent::getSliderValueLevel5());
            sendCommand.sendLVCommand (7, BottomPanelComponent::getSliderValueLevel7());
            sendCommand.sendCMCommand (3);
            checkButton->setColour (juce::TextButton::textColourOffId, orange);
            checkButton->setButtonText ("CHECK");
            checkState = 1;
        }
        else
        {
            sendCommand.sendCMCommand (4);
            levelMeter.setValue (0.0, juce::sendNotificationAsync);
            checkButton->setButtonText ("CHECK");
            checkButton->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
            checkState = 0;
        }

        updateClickAcceptance();
    }
}

void LeftComponent::selectChannel (juce::TextButton& selected, char mode)
{
    for (auto* b : { leftButton.get(), rightButton.get(), stereoButton.get() })
        b->setColour (juce::TextButton::textColourOffId, b == &selected ? orange : juce::Colours::white);

    sendCommand.sendChannelMode (mode);
}

void LeftComponent::applyMeasureMode()
{
    if (mute48v)
    {
        measureButton->setColour (juce::TextButton::buttonColourId, PanelStyle::onColour);
        measureButton->setButtonText ("Measure ON");
        sendCommand.sendMTCommand (5, en48v ? 1 : 0);
        sendCommand.sendCRCommand (1);
    }
    else
    {
        measureButton->setColour (juce::TextButton::buttonColourId, PanelStyle::offColour);
        measureButton->setButtonText ("Measure OFF");
        sendCommand.sendMTCommand (5, 0);
        sendCommand.sendCRCommand (0);
    }

    selectChannel (*stereoButton, 'S');
    updateClickAcceptance();
}

// Which controls take clicks follows from the two states: the channel
// buttons and the measurement panel need measurement mode; a running check
// holds the measure switch, the master panel, the measurement panel and the
// top bar, and always leaves "CHECK" itself clickable, since it is the only
// way out of the check (a unit report may switch measurement mode off while
// a check runs).
void LeftComponent::updateClickAcceptance()
{
    const auto checking = checkState != 0;

    for (auto* b : { leftButton.get(), rightButton.get(), stereoButton.get() })
        b->setInterceptsMouseClicks (mute48v, mute48v);

    checkButton->setInterceptsMouseClicks (mute48v || checking, mute48v || checking);
    measureButton->setInterceptsMouseClicks (! checking, ! checking);

    if (auto* content = findParentComponentOfClass<MainContentComponent>())
    {
        const auto measurementOpen = mute48v && ! checking;
        content->getBottomMeasure().setInterceptsMouseClicks (measurementOpen, measurementOpen);
        content->getRight().setInterceptsMouseClicks (! checking, ! checking);
        content->getTop().setInterceptsMouseClicks (! checking, ! checking);
    }
}
