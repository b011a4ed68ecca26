#pragma once

#include "panels/ParameterDocument.h"

class MainContentComponent;

// The parameter file's side of the window: what a save reads from the panels
// and what a load sets in them, through the panels' own getters and setters.

// Elements 1-42 of a save, read from the panels; the curve points under the
// point list's lock.
ParameterDocument::PanelSettings collectPanelSettings (MainContentComponent& content);

class PanelLoadTarget : public ParameterDocument::LoadTarget
{
public:
    explicit PanelLoadTarget (MainContentComponent& content);

    void clearCurvePoints() override;
    void addCurvePoint (int x, int y) override;
    void setEndPointLevel (int which, int y) override;
    void setCurrentPos (float) override;
    void setCurrentPosH (float) override;
    void setCursor (char colour, int position) override;

    void setMlValue (float) override;
    void setNlValue (float) override;
    void setM48v (bool) override;
    void setEnable48vState (bool) override;
    void setMuteStatus1 (bool) override;
    void setByPassStatus (bool) override;
    void setMasterSliderValue (float) override;
    void setAnalogComboValue (int) override;
    void setComboCSValue (int) override;
    void setLabelSL (const juce::String&) override;
    void setComboSFValue (int) override;
    void setComboSubValue (int) override;
    void setComboFilterValue (int) override;
    void setBandMute (int band, bool) override;
    void setFreq (int which, int) override;
    void setBandLevel (int band, float) override;
    void setTextNote (const juce::String&) override;
    void setLmtValue (int which, float) override;
    void setComboLmtValue (int) override;
    void setLmtBypass (bool) override;

    void setResponseNotPrepared() override;
    void wakeResponseView (int displayMode) override;
    void repaintViews() override;

private:
    MainContentComponent& content;
};
