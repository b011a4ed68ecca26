#pragma once

#include <juce_graphics/juce_graphics.h>

// The fixed grid of the content component: a top strip of one twelfth of the
// height, a middle band of half the height (input, centre, master) and a
// bottom band of the remaining 5/12 (measurement, output bands, system,
// compressor). Integer divisions truncate; sizes never go below zero.
struct PanelLayout
{
    juce::Rectangle<int> top, left, center, right;
    juce::Rectangle<int> bottomMeasure, bottomPanel, bottomSystem, bottomSave;
};

PanelLayout computePanelLayout (int width, int height);
