#include "styles/LookAndFeel101.h"

#include "styles/LevelMeterDrawing.h"

void LookAndFeel101::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                       float sliderPos, float minSliderPos, float maxSliderPos,
                                       juce::Slider::SliderStyle style, juce::Slider& slider)
{
    LevelMeterDrawing::drawLinearSlider (*this, g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}

void LookAndFeel101::drawProgressBar (juce::Graphics& g, juce::ProgressBar&, int width, int height,
                                      double progress, const juce::String&)
{
    constexpr auto pi = juce::MathConstants<float>::pi;

    g.fillAll (juce::Colours::darkgrey);
    const auto s = (float) juce::jmin (width, height);

    juce::Path ring;
    ring.addPieSegment (0.0f, 0.0f, s, s, -pi, pi, 0.3f);
    g.setColour (juce::Colours::white);
    g.fillPath (ring);

    juce::Path centre;
    centre.addPieSegment (0.33f * s, 0.33f * s, 0.33f * s, 0.33f * s, -pi, pi, 0.0f);
    g.setColour (juce::Colours::orange);
    g.fillPath (centre);

    // A negative progress (the framework's "indeterminate") draws no arc.
    if (progress > 0.0)
    {
        juce::Path arc;
        arc.addPieSegment (0.0f, 0.0f, s, s, pi, (float) ((progress + 0.5) * 2.0 * juce::MathConstants<double>::pi), 0.3f);
        g.setColour (juce::Colours::green);
        g.fillPath (arc);
    }

    if (progress > 1.0)
    {
        g.setColour (juce::Colours::lightgrey);
        g.fillPath (centre);
    }
}
