#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "link/CacheFiles.h"
#include "views/CommonControl.h"
#include "views/CurveMath.h"

#include <array>
#include <vector>

// The target curve editor: draggable points on a cubic curve between two
// fixed end points, the from and to markers that bound where the unit applies
// it, and the two buttons that send it. The curve exists only as the pixel
// positions of the points.
class CurveComponent : public juce::Component,
                       public juce::Button::Listener,
                       private juce::AsyncUpdater
{
public:
    CurveComponent();
    ~CurveComponent() override;

    //==========================================================================
    // Shared by the whole application.
    static float currentPos;                   // x of the from marker
    static float currentPosH;                  // x of the to marker
    static int w, h;                           // the editor's size as last remembered
    static int num;                            // points taken into the last message
    static juce::Point<float> currentDsPoint;  // centre of the point being dragged, as fractions; (0, 0) when none

    static int getCurrentPos() noexcept          { return (int) currentPos; }
    static void setCurrentPos (float x) noexcept { currentPos = x; }
    static int getCurrentPosH() noexcept         { return (int) currentPosH; }
    static void setCurrentPosH (float x) noexcept { currentPosH = x; }
    static void setCurrentDsPoint (juce::Point<float> p) noexcept { currentDsPoint = p; }

    //==========================================================================
    // The point list, in the order the points were created (sorted by x by
    // each message). Every access takes the list's lock, which is re-entrant.
    const juce::CriticalSection& getPointLock() const noexcept { return points.getLock(); }
    int getNumPoints() const;
    CornerDragger* getPoint (int index) const;
    std::vector<juce::Point<int>> getPointTopLefts() const;
    std::vector<juce::Point<int>> getPointCentres() const;

    // Creates a point, adds it as a visible child with the bounds
    // (topLeft, 12 x 12), then appends it to the list.
    CornerDragger& addPoint (juce::Point<int> topLeft);

    // Deletes every point at once.
    void removeAllPoints();

    // Takes the point out of the list and the editor at once and deletes it
    // once the current event has returned (it may be inside its own mouse
    // handler).
    void removePoint (CornerDragger* point);

    // Sorts by centre x, keeping the order of points with the same x.
    void sortPoints();

    // The fixed end points: p1 at x = 5, p2 at x = W - 10.
    juce::Point<int> getP1() const noexcept { return p1; }
    juce::Point<int> getP2() const noexcept { return p2; }
    void setP1Level (int y) noexcept        { p1.y = y; }
    void setP2Level (int y) noexcept        { p2.y = y; }

    // Rebuilds the curve from the point record the unit sends back (the
    // values of the last DP message): the end points take the first and last
    // y value, the markers the two positions, every entry between them
    // becomes a point. A record with n = 0 only removes the points.
    void applyPointRecord (const CacheFiles::DespointRecord& record);

    //==========================================================================
    // DP: sorts the points and sends the curve in pixels.
    void sendDestPoint1 (int flag);
    // AT: sorts the points and sends the curve in hertz and decibels.
    void sendDestPoint (int flag);

    // The values of the last message built.
    const std::array<float, CurveMath::numValues>& getSendArray() const noexcept { return sendArray; }

    juce::TextButton& getApplyButton() noexcept { return *applyButton; }
    juce::TextButton& getResetButton() noexcept { return *resetButton; }

    //==========================================================================
    void buttonClicked (juce::Button*) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void childBoundsChanged (juce::Component*) override;
    void paint (juce::Graphics&) override;
    void resized() override;

private:
    void handleAsyncUpdate() override;

    // Sorts the list and returns what the messages are built from.
    CurveMath::CurveState takeCurveState();
    void resetToFlat();
    void placeDefaultPoints();
    void startProcessing();
    int clampedLevel (int mouseY) const noexcept;

    juce::LookAndFeel_V1 buttonStyle;
    std::unique_ptr<juce::TextButton> applyButton, resetButton;

    juce::OwnedArray<CornerDragger, juce::CriticalSection> points;
    juce::OwnedArray<CornerDragger> removedPoints;   // deleted asynchronously

    juce::Point<int> p1, p2;
    std::array<float, CurveMath::numValues> sendArray {};
    bool markerMoved = false;
    bool draggingFrom = false, draggingTo = false, draggingP1 = false, draggingP2 = false;
    std::vector<juce::Line<float>> segments;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveComponent)
};
