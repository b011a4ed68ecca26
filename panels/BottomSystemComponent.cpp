#include "panels/BottomSystemComponent.h"

#include "app/NumberText.h"
#include "app/MainComponent.h"
#include "link/Globals.h"
#include "styles/PanelStyle.h"
#include "styles/TextFit.h"

std::uint8_t BottomSystemComponent::mymode = 1;

namespace
{
    constexpr float versionFontHeight = 13.0f;
}

std::optional<OutputConfiguration> findOutputConfiguration (int stereoFormatId, int subId)
{
    if (stereoFormatId < 1 || stereoFormatId > 3 || subId < 1 || subId > 3)
        return std::nullopt;

    static constexpr int wayCodes[] = { 0, 1, 3 };
    const auto code = wayCodes[stereoFormatId - 1] + (subId != 1 ? 4 : 0) + (subId == 2 ? 8 : 0);
    const auto hasSub = subId != 1;

    OutputConfiguration c {};
    c.mode = (std::uint8_t) ((stereoFormatId - 1) * 3 + subId);
    c.code = code;
    c.activeBands = { hasSub, true, stereoFormatId >= 2, stereoFormatId == 3 };
    c.editableCrossovers = { hasSub || stereoFormatId >= 2, stereoFormatId >= 2, stereoFormatId == 3 };
    return c;
}

std::optional<ClockSourceCommands> clockSourceCommands (int clockSourceId)
{
    switch (clockSourceId)
    {
        case 1: case 2: case 3: case 4: return ClockSourceCommands { 1, clockSourceId };
        case 5: return ClockSourceCommands { 2, std::nullopt };
        case 6: return ClockSourceCommands { 3, std::nullopt };
        default: return std::nullopt;
    }
}

juce::String formatVersionText (const juce::String& v)
{
    return v.substring (4, 5) + "." + v.substring (5, 7) + "/ " + v.substring (0, 4);
}

BottomSystemComponent::BottomSystemComponent()
{
    setName ("System settings");
    mymode = 1;

    clockSourceBox.setComponentID ("clockSource");
    clockSourceBox.addItem ("Master 44.1k", 4);
    clockSourceBox.addItem ("Master 48k", 1);
    clockSourceBox.addItem ("Master 96k", 2);
    clockSourceBox.addItem ("Master 192k", 3);
    clockSourceBox.addItem ("AES", 5);
    clockSourceBox.addItem ("Word Clock", 6);

    stereoFormatBox.setComponentID ("stereoFormat");
    stereoFormatBox.addItem ("Full Band", 1);
    stereoFormatBox.addItem ("2 Way", 2);
    stereoFormatBox.addItem ("3 Way", 3);

    subBox.setComponentID ("sub");
    subBox.addItem ("No Sub", 1);
    subBox.addItem ("Sub 2R", 2);
    subBox.addItem ("Sub 2R+1L", 3);

    filterTapBox.setComponentID ("filterTap");
    filterTapBox.addItem ("256", 1);
    filterTapBox.addItem ("512", 2);
    filterTapBox.addItem ("1024", 3);
    filterTapBox.addItem ("2048", 4);
    filterTapBox.addItem ("4096", 5);

    for (auto* box : { &clockSourceBox, &stereoFormatBox, &subBox, &filterTapBox })
    {
        box->setColour (juce::ComboBox::backgroundColourId, juce::Colours::black);
        box->setColour (juce::ComboBox::textColourId, juce::Colours::white);
        box->setJustificationType (juce::Justification::centred);
        box->setLookAndFeel (&comboStyle);
        addAndMakeVisible (box);
    }

    // Selected before the listener is added; the notifications arrive once
    // the message loop runs, in this order.
    clockSourceBox.setSelectedId (1, juce::sendNotificationAsync);
    stereoFormatBox.setSelectedId (1, juce::sendNotificationAsync);
    subBox.setSelectedId (1, juce::sendNotificationAsync);
    filterTapBox.setSelectedId (5, juce::sendNotificationAsync);

    for (auto* box : { &clockSourceBox, &stereoFormatBox, &subBox, &filterTapBox })
        box->addListener (this);

    sampleClockLabel.setComponentID ("sampleClock");
    sampleClockLabel.setJustificationType (juce::Justification::centred);
    sampleClockLabel.setEditable (false);
    addAndMakeVisible (sampleClockLabel);

    versionLabel.setComponentID ("version");
    versionLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    versionLabel.setText (" ", juce::dontSendNotification);
    versionLabel.setFont (versionFontHeight);
    versionLabel.setBorderSize ({ 1, 0, 1, 0 });
    versionLabel.setMinimumHorizontalScale (TextFit::defaultMinScale);
    addAndMakeVisible (versionLabel);

    resized();
}

BottomSystemComponent::~BottomSystemComponent()
{
    for (auto* box : { &clockSourceBox, &stereoFormatBox, &subBox, &filterTapBox })
        box->setLookAndFeel (nullptr);
}

void BottomSystemComponent::resized()
{
    clockSourceBox.setBounds (120, 45, 100, 25);
    stereoFormatBox.setBounds (20, 150, 85, 25);
    subBox.setBounds (135, 150, 85, 25);
    filterTapBox.setBounds (120, 200, 80, 25);
    sampleClockLabel.setBounds (120, 83, 100, 25);
    versionLabel.setBounds (140, 260, 60, 30);
}

void BottomSystemComponent::paint (juce::Graphics& g)
{
    g.fillAll (PanelStyle::background);
    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds(), 1);

    g.setColour (juce::Colours::white);
    PanelStyle::drawCaption (g, "SYSTEM SETTING", { 0, 0, getWidth(), 30 }, juce::Justification::centred);
    g.drawHorizontalLine (30, 0.0f, (float) getWidth());

    const auto left = juce::Justification::centredLeft;
    PanelStyle::drawCaption (g, "CLOCK SOURCE", { 20, 45, 100, 30 }, left);
    PanelStyle::drawCaption (g, "SAMPLE CLOCK", { 20, 83, 100, 30 }, left);
    PanelStyle::drawCaption (g, "STEREO FORMAT", { 20, 120, 100, 30 }, left);
    PanelStyle::drawCaption (g, "With", { 110, 150, subBox.getX() - 1 - 110, 30 }, left);
    PanelStyle::drawCaption (g, "FILTER TAP", { 20, 200, 80, 30 }, left);
    PanelStyle::drawCaption (g, "SYSTEM LATENCY ", { 20, 235, 110, 30 }, left);
    PanelStyle::drawCaption (g, "0.25ms ", { 155, 235, 100, 30 }, left);

    // The version line reads on in the version label, whose text begins at
    // its left edge.
    g.setFont (versionFontHeight);
    PanelStyle::drawCaption (g, "App/SoC/Firm Ver:  1.0.0/", { 20, 260, versionLabel.getX() - 20, 30 }, left);
}

void BottomSystemComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box == &stereoFormatBox || box == &subBox)
        applyOutputConfiguration();

    if (box == &filterTapBox)
    {
        // An empty box (an id that is not in it) has no tap count to send.
        const auto taps = NumberText::toInt (filterTapBox.getText());
        if (taps > 0)
            sendCommand.sendAPCommand (taps);
    }

    if (box == &clockSourceBox)
    {
        if (const auto commands = clockSourceCommands (clockSourceBox.getSelectedId()))
        {
            sendCommand.sendClockSource (commands->source);
            if (commands->sampleClock.has_value())
                sendCommand.sendSampleClock (*commands->sampleClock);
        }
    }
}

void BottomSystemComponent::applyOutputConfiguration()
{
    auto* content = findParentComponentOfClass<MainContentComponent>();

    if (const auto configuration = findOutputConfiguration (stereoFormatBox.getSelectedId(), subBox.getSelectedId()))
    {
        mymode = configuration->mode;
        sendCommand.sendFOCommand (configuration->code);

        if (content != nullptr)
        {
            auto& bands = content->getBottomPanel();
            for (int band = 1; band <= 4; ++band)
                bands.setBandActive (band, configuration->activeBands[(size_t) band - 1]);

            for (int band = 1; band <= 4; ++band)
                bands.setLevelSliderTrackColour (band, band == 3 ? juce::Colours::black : juce::Colours::grey);

            for (int index = 1; index <= 3; ++index)
                bands.setCrossoverEditable (index, configuration->editableCrossovers[(size_t) index - 1]);
        }
    }

    if (content != nullptr)
    {
        content->getCenter().getResponseView().repaint();
        content->getBottomMeasure().resetMeasureStatus();
    }
}

int BottomSystemComponent::getComboCSValue() const     { return clockSourceBox.getSelectedId(); }
int BottomSystemComponent::getComboSFValue() const     { return stereoFormatBox.getSelectedId(); }
int BottomSystemComponent::getComboSubValue() const    { return subBox.getSelectedId(); }
int BottomSystemComponent::getComboFilterValue() const { return filterTapBox.getSelectedId(); }

void BottomSystemComponent::setComboCSValue (int id)     { clockSourceBox.setSelectedId (id, juce::sendNotificationAsync); }
void BottomSystemComponent::setComboSFValue (int id)     { stereoFormatBox.setSelectedId (id, juce::sendNotificationAsync); }
void BottomSystemComponent::setComboSubValue (int id)    { subBox.setSelectedId (id, juce::sendNotificationAsync); }
void BottomSystemComponent::setComboFilterValue (int id) { filterTapBox.setSelectedId (id, juce::sendNotificationAsync); }

void BottomSystemComponent::setLabelSL (const juce::String& text)
{
    sampleClockLabel.setText (text, juce::dontSendNotification);
}

juce::String BottomSystemComponent::getLabelSL() const
{
    return sampleClockLabel.getText();
}

void BottomSystemComponent::setVersion (const juce::String& version)
{
    versionLabel.setText (formatVersionText (version), juce::dontSendNotification);
}

juce::String BottomSystemComponent::getVersionText() const
{
    return versionLabel.getText();
}

std::uint8_t BottomSystemComponent::getMyMode()
{
    return mymode;
}
