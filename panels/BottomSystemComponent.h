#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "styles/CustomizeLookAndFeel.h"

#include <array>
#include <cstdint>
#include <optional>

// One of the nine output configurations: a stereo format ("Full Band",
// "2 Way", "3 Way") with or without a sub.
struct OutputConfiguration
{
    std::uint8_t mode;                      // 1..9
    int code;                               // sent with FO
    std::array<bool, 4> activeBands;        // bands 1..4 of the output bands panel
    std::array<bool, 3> editableCrossovers; // freq1..freq3
};

// The configuration of a stereo format id (1..3) and sub id (1..3), if the
// pair is one.
std::optional<OutputConfiguration> findOutputConfiguration (int stereoFormatId, int subId);

// The commands of a clock source id: the clock source, and for the master
// clocks the sample clock.
struct ClockSourceCommands
{
    int source;
    std::optional<int> sampleClock;
};
std::optional<ClockSourceCommands> clockSourceCommands (int clockSourceId);

// The version line's text from the unit's version string: "abcdefg" reads
// "e.fg/ abcd"; a short string gives shorter pieces.
juce::String formatVersionText (const juce::String& version);

// The "SYSTEM SETTING" panel: clock source and sample clock, the output
// configuration (which switches the bands of the output bands panel) and
// the filter length.
class BottomSystemComponent : public juce::Component,
                              public juce::ComboBox::Listener
{
public:
    BottomSystemComponent();
    ~BottomSystemComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void comboBoxChanged (juce::ComboBox*) override;

    int getComboCSValue() const;
    int getComboSFValue() const;
    int getComboSubValue() const;
    int getComboFilterValue() const;

    void setComboCSValue (int id);
    void setComboSFValue (int id);
    void setComboSubValue (int id);
    void setComboFilterValue (int id);

    void setLabelSL (const juce::String& text);
    juce::String getLabelSL() const;

    void setVersion (const juce::String& version);
    juce::String getVersionText() const;

    static std::uint8_t getMyMode();
    int getPhaseState() const noexcept { return phaseState; }

    // The output configuration number 1..9.
    static std::uint8_t mymode;

private:
    void applyOutputConfiguration();

    CustomizeLookAndFeel comboStyle;

    juce::ComboBox clockSourceBox;
    juce::ComboBox stereoFormatBox;
    juce::ComboBox subBox;
    juce::ComboBox filterTapBox;
    juce::Label sampleClockLabel;
    juce::Label versionLabel;

    // No control or report changes it.
    int phaseState = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BottomSystemComponent)
};
