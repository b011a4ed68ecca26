#include "styles/CustomizeLookAndFeel.h"

#include "styles/TextFit.h"

void CustomizeLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                         juce::ComboBox& box)
{
    const auto corner = box.findParentComponentOfClass<juce::ChoicePropertyComponent>() != nullptr ? 0.0f : 3.0f;

    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, (float) height, corner);

    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (0.0f, (float) width - 1.0f), juce::jmax (0.0f, (float) height - 1.0f),
                            corner, 1.0f);

    const auto middle = (float) (height / 2);
    juce::Path arrow;
    arrow.startNewSubPath ((float) (width - arrowRoom), middle - 2.0f);
    arrow.lineTo ((float) width - 15.0f, middle + 3.0f);
    arrow.lineTo ((float) width - 10.0f, middle - 2.0f);

    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withAlpha (box.isEnabled() ? 0.9f : 0.2f));
    g.strokePath (arrow, juce::PathStrokeType (2.0f));
}

void CustomizeLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (1, 1, juce::jmax (0, box.getWidth() - arrowRoom - 3), juce::jmax (0, box.getHeight() - 2));
    label.setFont (getComboBoxFont (box));
}

void CustomizeLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    if (dynamic_cast<juce::ComboBox*> (label.getParentComponent()) == nullptr || label.isBeingEdited())
    {
        juce::LookAndFeel_V4::drawLabel (g, label);
        return;
    }

    g.fillAll (label.findColour (juce::Label::backgroundColourId));
    g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (label.isEnabled() ? 1.0f : 0.5f));
    g.setFont (getLabelFont (label));
    TextFit::drawLine (g, label.getText(), label.getLocalBounds().toFloat().reduced (3.0f, 1.0f),
                       label.getJustificationType());
}
