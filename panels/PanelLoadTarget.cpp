#include "panels/PanelLoadTarget.h"

#include "app/MainComponent.h"
#include "link/Globals.h"

ParameterDocument::PanelSettings collectPanelSettings (MainContentComponent& content)
{
    ParameterDocument::PanelSettings s;

    auto& editor = content.getCenter().getCurveEditor();
    auto& view = content.getCenter().getResponseView();
    auto& left = content.getLeft();
    auto& right = content.getRight();
    auto& system = content.getBottomSystem();
    auto& measure = content.getBottomMeasure();
    auto& compressor = content.getBottomSave();

    s.circles = editor.getPointTopLefts();
    s.p1x = editor.getP1().x;
    s.p1y = editor.getP1().y;
    s.p2x = editor.getP2().x;
    s.p2y = editor.getP2().y;
    s.currentPos = CurveComponent::getCurrentPos();
    s.currentPosH = CurveComponent::getCurrentPosH();

    s.ml = LeftComponent::getMlValue();
    s.nl = LeftComponent::getNlValue();
    s.m48v = LeftComponent::getM48v();
    s.en48v = left.getEnable48vState();

    s.mute = RightComponent::getMuteStatus();
    s.bypass = RightComponent::getByPassStatus();
    s.masterValue = right.getMasterSliderValue();
    s.anaAes = right.getAnalogComboValue();

    s.clockSource = system.getComboCSValue();
    s.sampleClock = system.getLabelSL();
    s.stereoFormat = system.getComboSFValue();
    s.with = system.getComboSubValue();
    s.amptitude = system.getComboFilterValue();

    s.red = view.getCurrentPosRed();
    s.green = view.getCurrentPosGreen();
    s.blue = view.getCurrentPosBlue();

    s.bandMutes = { BottomPanelComponent::getM1Mute(), BottomPanelComponent::getM2Mute(),
                    BottomPanelComponent::getM3Mute(), BottomPanelComponent::getM4Mute() };
    s.freqs = { BottomPanelComponent::getFreq1(), BottomPanelComponent::getFreq2(), BottomPanelComponent::getFreq3() };
    s.levels = { BottomPanelComponent::getSliderValueLevel1(), BottomPanelComponent::getSliderValueLevel3(),
                 BottomPanelComponent::getSliderValueLevel5(), BottomPanelComponent::getSliderValueLevel7() };

    s.maxNum = measure.getMaxNum();
    s.textNote = measure.getTextNote()->getText();

    s.lmt = { compressor.getLmtThresholdSliderValue(), compressor.getLmtRatioSliderValue(),
              compressor.getLmtKneeSliderValue(), compressor.getLmtAttackTimeSliderValue(),
              compressor.getLmtReleaseTimeSliderValue(), compressor.getLmtMakeUpGainSliderValue() };
    s.comid = compressor.getComboLmtValue();
    s.lmtbypass = compressor.getLmtBypass();
    return s;
}

//==============================================================================
PanelLoadTarget::PanelLoadTarget (MainContentComponent& c) : content (c) {}

void PanelLoadTarget::clearCurvePoints()
{
    content.getCenter().getCurveEditor().removeAllPoints();
}

void PanelLoadTarget::addCurvePoint (int x, int y)
{
    content.getCenter().getCurveEditor().addPoint ({ x, y });
}

void PanelLoadTarget::setEndPointLevel (int which, int y)
{
    auto& editor = content.getCenter().getCurveEditor();
    if (which == 1)
        editor.setP1Level (y);
    else
        editor.setP2Level (y);
}

void PanelLoadTarget::setCurrentPos (float x)  { CurveComponent::setCurrentPos (x); }
void PanelLoadTarget::setCurrentPosH (float x) { CurveComponent::setCurrentPosH (x); }

void PanelLoadTarget::setCursor (char colour, int position)
{
    auto& view = content.getCenter().getResponseView();
    switch (colour)
    {
        case 'r': view.setCurrentPosRed (position); break;
        case 'g': view.setCurrentPosGreen (position); break;
        case 'b': view.setCurrentPosBlue (position); break;
        default: break;
    }
}

void PanelLoadTarget::setMlValue (float v)                 { content.getLeft().setMlValue (v); }
void PanelLoadTarget::setNlValue (float v)                 { content.getLeft().setNlValue (v); }
void PanelLoadTarget::setM48v (bool on)                    { content.getLeft().setM48v (on); }
void PanelLoadTarget::setEnable48vState (bool on)          { content.getLeft().setEnable48vState (on); }
void PanelLoadTarget::setMuteStatus1 (bool on)             { content.getRight().setMuteStatus1 (on); }
void PanelLoadTarget::setByPassStatus (bool on)            { content.getRight().setByPassStatus (on); }
void PanelLoadTarget::setMasterSliderValue (float v)       { content.getRight().setMasterSliderValue (v); }
void PanelLoadTarget::setAnalogComboValue (int v)          { content.getRight().setAnalogComboValue (v); }
void PanelLoadTarget::setComboCSValue (int v)              { content.getBottomSystem().setComboCSValue (v); }
void PanelLoadTarget::setLabelSL (const juce::String& s)   { content.getBottomSystem().setLabelSL (s); }
void PanelLoadTarget::setComboSFValue (int v)              { content.getBottomSystem().setComboSFValue (v); }
void PanelLoadTarget::setComboSubValue (int v)             { content.getBottomSystem().setComboSubValue (v); }
void PanelLoadTarget::setComboFilterValue (int v)          { content.getBottomSystem().setComboFilterValue (v); }

void PanelLoadTarget::setBandMute (int band, bool muted)
{
    auto& bands = content.getBottomPanel();
    switch (band)
    {
        case 1: bands.setM1Mute (muted); break;
        case 2: bands.setM2Mute (muted); break;
        case 3: bands.setM3Mute (muted); break;
        case 4: bands.setM4Mute (muted); break;
        default: break;
    }
}

void PanelLoadTarget::setFreq (int which, int v)
{
    auto& bands = content.getBottomPanel();
    switch (which)
    {
        case 1: bands.setFreq1 (v); break;
        case 2: bands.setFreq2 (v); break;
        case 3: bands.setFreq3 (v); break;
        default: break;
    }
}

void PanelLoadTarget::setBandLevel (int band, float v)
{
    auto& bands = content.getBottomPanel();
    switch (band)
    {
        case 1: bands.setSliderValueLevel1 (v); break;
        case 3: bands.setSliderValueLevel3 (v); break;
        case 5: bands.setSliderValueLevel5 (v); break;
        case 7: bands.setSliderValueLevel7 (v); break;
        default: break;
    }
}

void PanelLoadTarget::setTextNote (const juce::String& text)
{
    content.getBottomMeasure().getTextNote()->setText (text, false);
}

void PanelLoadTarget::setLmtValue (int which, float v)
{
    auto& compressor = content.getBottomSave();
    switch (which)
    {
        case 1: compressor.setLmtThresholdSliderValue (v); break;
        case 2: compressor.setLmtRatioSliderValue (v); break;
        case 3: compressor.setLmtKneeSliderValue (v); break;
        case 4: compressor.setLmtAttackTimeSliderValue ((int) v); break;
        case 5: compressor.setLmtReleaseTimeSliderValue ((int) v); break;
        case 6: compressor.setLmtMakeUpGainSliderValue ((int) v); break;
        default: break;
    }
}

void PanelLoadTarget::setComboLmtValue (int v)   { content.getBottomSave().setComboLmtValue (v); }
void PanelLoadTarget::setLmtBypass (bool off)    { content.getBottomSave().setLmtBypass (off); }

void PanelLoadTarget::setResponseNotPrepared()
{
    content.getCenter().getResponseView().setIsPrepared (false);
}

void PanelLoadTarget::wakeResponseView (int displayMode)
{
    FrequencyResponseAndCrossoverComponent::mydisplayMode = displayMode;
    waitFftEvent.signal();
}

void PanelLoadTarget::repaintViews()
{
    content.getCenter().getCurveEditor().repaint();
    content.getCenter().getResponseView().repaint();
}
