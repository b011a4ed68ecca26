#include "styles/SlimBarLookAndFeel.h"

void SlimBarLookAndFeel::drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height,
                                          double progress, const juce::String& textToShow)
{
    juce::LookAndFeel_V4::drawProgressBar (g, bar, width, height, progress,
                                           height < minTextHeight ? juce::String() : textToShow);
}
