#include "views/CurveDesignComponent.h"

#include <cmath>

void CurveDesignComponent::paint (juce::Graphics& g)
{
    const auto Wd = getWidth(), Hd = getHeight();

    g.fillAll (juce::Colour (0xFF172B3F));
    g.setFont (10.0f);
    g.setColour (juce::Colours::grey);

    // Placed on the editor's grid lines 0, 3, 6, 9, 12 and 16.
    const std::pair<const char*, int> gains[] = { { "6dB", 5 }, { "3dB", 55 }, { "0dB", 110 },
                                                  { "-3dB", 162 }, { "-6dB", 218 }, { "-12dB", 290 } };
    for (const auto& [text, y] : gains)
        g.drawText (text, 0, y, 30, 10, juce::Justification::centred, true);

    g.drawLine (30.0f, (float) (Hd - 30), (float) (Wd - 10), (float) (Hd - 30));
    g.drawLine (30.0f, 0.0f, 30.0f, (float) (Hd - 30));

    const auto xOf = [Wd] (double f) { return 40.0 + (Wd - 50) * std::log10 (f / 20.0) / std::log10 (1200.0); };

    g.drawText ("100", (int) (xOf (100.0) - 15.0), Hd - 20, 30, 10, juce::Justification::centred, true);
    g.drawText ("20", 25, Hd - 20, 30, 10, juce::Justification::centred, true);

    const std::pair<const char*, double> labels[] = { { "50", 50.0 }, { "200", 200.0 }, { "500", 500.0 }, { "1k", 1000.0 },
                                                      { "2k", 2000.0 }, { "5k", 5000.0 }, { "10k", 10000.0 } };
    for (const auto& [text, f] : labels)
        g.drawText (text, (int) (xOf (f) - 20.0), Hd - 20, 40, 10, juce::Justification::centred, true);

    g.drawText ("20kHz", Wd - 35, Hd - 25, 40, 20, juce::Justification::centredLeft, true);
}

void CurveDesignComponent::resized()
{
    if (auto* editor = getChildComponent (0))
        editor->setBounds (editorBounds (getWidth(), getHeight()));
}
