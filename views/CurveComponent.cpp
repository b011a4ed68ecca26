#include "views/CurveComponent.h"

#include "app/MainComponent.h"
#include "link/Globals.h"

#include <cmath>

float CurveComponent::currentPos = 0.0f;
float CurveComponent::currentPosH = 0.0f;
int CurveComponent::w = 0;
int CurveComponent::h = 0;
int CurveComponent::num = 0;
juce::Point<float> CurveComponent::currentDsPoint;

namespace
{
    const juce::Colour background { 0xFF172B3F };
    const juce::Colour fromMarkerColour { 0xFF2F7DAD };
    const juce::Colour toMarkerColour { 0xFFFF7DAD };

    // Positions of the two points the editor starts with (their top-left x).
    constexpr int firstPointLeft = 294;
    constexpr int secondPointLeft = 494;

    // Record values come from a file the unit wrote; keep them usable as
    // pixel positions whatever they hold.
    int toPixel (float v) noexcept
    {
        if (! std::isfinite (v))
            return 0;
        return (int) juce::jlimit (-1.0e6f, 1.0e6f, v);
    }

    float toMarker (float v) noexcept
    {
        return std::isfinite (v) ? juce::jlimit (-1.0e6f, 1.0e6f, v) : 0.0f;
    }
}

CurveComponent::CurveComponent()
{
    const auto makeButton = [this] (const juce::String& text)
    {
        auto b = std::make_unique<juce::TextButton> (text);
        addAndMakeVisible (*b);
        b->setColour (juce::TextButton::buttonColourId, juce::Colours::black);
        b->setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        b->setEnabled (true);
        b->addListener (this);
        b->setLookAndFeel (&buttonStyle);
        return b;
    };

    applyButton = makeButton ("APPLY CURVE DESIGN");
    resetButton = makeButton ("RESET TO FLAT");

    currentPos = 13.0f;
    currentPosH = 688.0f;
    markerMoved = false;

    for (int i = 0; i < 2; ++i)
    {
        auto* point = new CornerDragger();
        addAndMakeVisible (point);
        points.add (point);
    }

    w = getWidth();
    h = getHeight();
    num = 2;
    currentDsPoint = {};
}

CurveComponent::~CurveComponent()
{
    cancelPendingUpdate();
    applyButton->setLookAndFeel (nullptr);
    resetButton->setLookAndFeel (nullptr);
}

//==============================================================================
int CurveComponent::getNumPoints() const
{
    return points.size();
}

CornerDragger* CurveComponent::getPoint (int index) const
{
    return points[index];
}

std::vector<juce::Point<int>> CurveComponent::getPointTopLefts() const
{
    const juce::ScopedLock sl (points.getLock());
    std::vector<juce::Point<int>> result;
    result.reserve ((size_t) points.size());
    for (auto* p : points)
        result.push_back (p->getPosition());
    return result;
}

std::vector<juce::Point<int>> CurveComponent::getPointCentres() const
{
    const juce::ScopedLock sl (points.getLock());
    std::vector<juce::Point<int>> result;
    result.reserve ((size_t) points.size());
    for (auto* p : points)
        result.push_back (p->getCentre());
    return result;
}

CornerDragger& CurveComponent::addPoint (juce::Point<int> topLeft)
{
    auto point = std::make_unique<CornerDragger>();
    addAndMakeVisible (*point);
    point->setBounds (topLeft.x, topLeft.y, CornerDragger::size, CornerDragger::size);

    const juce::ScopedLock sl (points.getLock());
    return *points.add (point.release());
}

void CurveComponent::removeAllPoints()
{
    const juce::ScopedLock sl (points.getLock());
    points.clear (true);
}

void CurveComponent::removePoint (CornerDragger* point)
{
    {
        const juce::ScopedLock sl (points.getLock());
        if (! points.contains (point))
            return;
        points.removeObject (point, false);
    }

    if (point->isBeingDragged())
        setCurrentDsPoint ({});

    removeChildComponent (point);
    removedPoints.add (point);
    triggerAsyncUpdate();
}

void CurveComponent::handleAsyncUpdate()
{
    removedPoints.clear (true);
}

void CurveComponent::sortPoints()
{
    struct ByCentreX
    {
        static int compareElements (const CornerDragger* a, const CornerDragger* b) noexcept
        {
            return CornerDragger::compareElements (a, b);
        }
    };

    const juce::ScopedLock sl (points.getLock());
    ByCentreX comparator;
    points.sort (comparator, true);
}

void CurveComponent::applyPointRecord (const CacheFiles::DespointRecord& r)
{
    removeAllPoints();

    const auto n = juce::jmin ((int) r.n, (int) r.X.size(), (int) r.Y.size());
    if (r.n != 0 && n > 0)
    {
        p1.y = toPixel (r.Y.front());
        p2.y = toPixel (r.Y[(size_t) n - 1]);
        setCurrentPos (toMarker (r.x));
        setCurrentPosH (toMarker (r.y));

        for (int i = 1; i < n - 1; ++i)
            addPoint ({ toPixel (r.X[(size_t) i] - 6.0f), toPixel (r.Y[(size_t) i] - 6.0f) });
    }

    repaint();
}

//==============================================================================
CurveMath::CurveState CurveComponent::takeCurveState()
{
    const juce::ScopedLock sl (points.getLock());
    num = points.size();
    sortPoints();
    num = juce::jmin (num, CurveMath::maxPointsSent);

    CurveMath::CurveState s;
    s.p1 = p1;
    s.p2 = p2;
    s.sortedCentres = getPointCentres();
    s.currentPos = currentPos;
    s.currentPosH = currentPosH;
    return s;
}

void CurveComponent::sendDestPoint1 (int flag)
{
    const auto m = CurveMath::makeDestPointsInPixels (takeCurveState(), flag);
    sendArray = m.values;
    sendCommand.sendDPCommand (m.count, m.first, m.second, m.flag, m.values.data(), CurveMath::numValues);
}

void CurveComponent::sendDestPoint (int flag)
{
    const auto state = takeCurveState();
    w = getWidth();
    h = getHeight();
    const auto m = CurveMath::makeDestPointsInUnits (state, w, h, flag);
    sendArray = m.values;
    sendCommand.sendATCommand (m.count, m.first, m.second, m.flag, m.values.data(), CurveMath::numValues);
}

void CurveComponent::buttonClicked (juce::Button* b)
{
    if (b == applyButton.get())
    {
        applyButton->setColour (juce::TextButton::buttonColourId, juce::Colours::grey);
        sendDestPoint1 (1);
        sendDestPoint (1);
        startProcessing();
    }
    else if (b == resetButton.get())
    {
        resetToFlat();
    }
}

void CurveComponent::resetToFlat()
{
    removeAllPoints();
    repaint();

    for (int i = 0; i < 2; ++i)
    {
        auto* point = new CornerDragger();
        addAndMakeVisible (point);
        const juce::ScopedLock sl (points.getLock());
        points.add (point);
    }

    placeDefaultPoints();
    sendDestPoint1 (1);

    // The reset computes with the size the editor last remembered; before
    // anything remembered one, with its own.
    const auto width = w > 0 ? w : getWidth();
    const auto height = h > 0 ? h : getHeight();
    const auto m = CurveMath::makeFlatDestPointsInUnits (takeCurveState(), width, height, 1);
    sendArray = m.values;
    sendCommand.sendATCommand (m.count, m.first, m.second, m.flag, m.values.data(), CurveMath::numValues);

    startProcessing();
}

void CurveComponent::startProcessing()
{
    if (auto* content = findParentComponentOfClass<MainContentComponent>())
        content->getBottomMeasure().ProcessButtonClicked();
}

//==============================================================================
void CurveComponent::resized()
{
    const auto W = getWidth(), H = getHeight();
    applyButton->setBounds (W - 120, H - 30, 120, 25);
    resetButton->setBounds (W - 250, H - 30, 120, 25);
    placeDefaultPoints();
}

void CurveComponent::placeDefaultPoints()
{
    const auto W = getWidth(), H = getHeight();
    const auto y0 = CurveMath::flatLineY (H);
    p1 = { 5, y0 };
    p2 = { W - 10, y0 };

    const auto top = CurveMath::flatPointTop (H);
    const juce::ScopedLock sl (points.getLock());
    if (auto* first = points[0])
        first->setBounds (firstPointLeft, top, CornerDragger::size, CornerDragger::size);
    if (auto* second = points[1])
        second->setBounds (secondPointLeft, top, CornerDragger::size, CornerDragger::size);
}

void CurveComponent::childBoundsChanged (juce::Component* child)
{
    if (auto* point = dynamic_cast<CornerDragger*> (child))
    {
        const juce::ScopedLock sl (points.getLock());
        if (points.contains (point) && point->getCentre().x <= 14)
            removePoint (point);
    }

    repaint();
}

//==============================================================================
int CurveComponent::clampedLevel (int y) const noexcept
{
    if (y <= 4)
        return 5;
    if (y > getHeight() - 5)
        return getHeight() - 5;
    return y;
}

void CurveComponent::mouseDown (const juce::MouseEvent& e)
{
    const auto pos = e.position;

    if (pos.getDistanceFrom (p1.toFloat()) < 10.0f)
        draggingP1 = true;

    if (pos.getDistanceFrom (p2.toFloat()) < 10.0f)
        draggingP2 = true;

    if (std::abs ((float) e.x - currentPos) < 5.0f)
    {
        setMouseCursor (juce::MouseCursor::CrosshairCursor);
        draggingFrom = true;
    }

    if (std::abs ((float) e.x - currentPosH) < 5.0f)
    {
        setMouseCursor (juce::MouseCursor::CrosshairCursor);
        draggingTo = true;
    }
}

void CurveComponent::mouseDrag (const juce::MouseEvent& e)
{
    const auto W = getWidth();

    if (draggingP1 || draggingP2)
    {
        if (draggingP1)
            p1 = { 5, clampedLevel (e.y) };
        if (draggingP2)
            p2 = { W - 10, clampedLevel (e.y) };
        repaint();
    }

    const auto x24k = (float) CurveMath::marker24kX (W);
    const auto clampMarker = [&] (float x)
    {
        if (e.x <= 5)
            x = 5.0f;
        if (x > (float) (W - 10))
            x = (float) (W - 10);
        if (x > x24k)
            x = x24k;
        return x;
    };

    if (draggingFrom)
    {
        repaint();
        markerMoved = true;
        currentPos = clampMarker ((float) e.x);
        if (currentPos >= currentPosH)
            currentPos = currentPosH - 5.0f;
    }

    if (draggingTo)
    {
        repaint();
        markerMoved = true;
        currentPosH = clampMarker ((float) e.x);
        if (currentPosH <= currentPos)
            currentPosH = currentPos + 5.0f;
    }
}

void CurveComponent::mouseUp (const juce::MouseEvent& e)
{
    if (draggingP1)
        p1 = { 5, clampedLevel (e.y) };
    if (draggingP2)
        p2 = { getWidth() - 10, clampedLevel (e.y) };

    const bool markersWereMoved = markerMoved;
    draggingP1 = draggingP2 = false;
    markerMoved = draggingFrom = draggingTo = false;
    setMouseCursor (juce::MouseCursor::NormalCursor);

    // Takes away the drag lines of the markers.
    if (markersWereMoved)
        repaint();
}

void CurveComponent::mouseDoubleClick (const juce::MouseEvent& e)
{
    const auto nearest = CurveMath::nearestOnCurve (segments, e.position);

    if (! nearest || nearest->distance >= 5.0f)
        return;

    if (e.x <= 15 || getNumPoints() >= CurveMath::maxPoints)
        return;

    addPoint ({ (int) (nearest->point.x - 6.0f), (int) (nearest->point.y - 6.0f) });
}

//==============================================================================
void CurveComponent::paint (juce::Graphics& g)
{
    const auto W = getWidth(), H = getHeight();
    const auto fW = (float) W, fH = (float) H;

    g.fillAll (background);

    // The end points.
    const auto endAlpha = isMouseOverOrDragging() ? 0.9f : 0.5f;
    for (const auto& p : { p1, p2 })
    {
        const juce::Rectangle<float> r ((float) p.x - 5.0f, (float) p.y - 5.0f, 10.0f, 10.0f);
        g.setColour (juce::Colours::green.withAlpha (endAlpha));
        g.fillEllipse (r);
        g.setColour (juce::Colours::green);
        g.drawEllipse (r, 0.1f);
    }

    g.setColour (juce::Colours::grey);
    g.drawLine (5.0f, 0.0f, 5.0f, fH);

    g.setColour (juce::Colours::grey.withAlpha (0.3f));
    for (int i = 0; i <= 16; ++i)
    {
        const auto y = (float) (int) ((float) i * ((float) (H - 10) / 16.0f) + 5.0f);
        g.drawLine (5.0f, y, fW - 10.0f, y);
    }

    for (const auto f : { 100.0, 20.0, 50.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0 })
    {
        const auto x = (float) CurveMath::markerX (f, W);
        g.drawLine (x, 0.0f, x, fH);
    }

    g.setColour (juce::Colours::grey);
    g.drawLine (fW - 10.0f, 0.0f, fW - 10.0f, fH);

    g.setFont (12.0f);

    // The from marker, pointing up from the bottom edge.
    {
        const auto x = (float) (int) currentPos;
        g.setColour (fromMarkerColour);
        g.drawLine (x, 0.0f, x, fH);
        juce::Path triangle;
        triangle.addTriangle (currentPos - 6.0f, fH, currentPos + 6.0f, fH, currentPos, fH - 10.0f);
        g.fillPath (triangle);

        const juce::Rectangle<float> box (currentPos + 10.0f, fH - 25.0f, 100.0f, 20.0f);
        g.setColour (juce::Colours::grey);
        g.fillRect (box);
        g.setColour (juce::Colours::white);
        g.drawText ("Apply From " + CurveMath::markerLabel (currentPos, W) + "Hz", box, juce::Justification::centred, true);
    }

    // The to marker, pointing down from the top edge.
    {
        g.setColour (toMarkerColour);
        g.drawLine (currentPosH, 0.0f, currentPosH, fH);
        juce::Path triangle;
        triangle.addTriangle (currentPosH - 6.0f, 0.0f, currentPosH + 6.0f, 0.0f, currentPosH, 10.0f);
        g.fillPath (triangle);

        const juce::Rectangle<float> box (currentPosH - 110.0f, 5.0f, 100.0f, 20.0f);
        g.setColour (juce::Colours::grey);
        g.fillRect (box);
        g.setColour (juce::Colours::white);
        g.drawText ("Apply To " + CurveMath::markerLabel (currentPosH, W) + "Hz", box, juce::Justification::centred, true);
    }

    // The readout of the point being dragged (and of any point within ten
    // pixels of it).
    const auto centres = getPointCentres();
    for (const auto& c : centres)
    {
        g.setColour (juce::Colours::green);
        w = W;
        h = H;

        const auto U = fW * currentDsPoint.x;
        const auto V = (float) c.x;
        if (currentDsPoint != juce::Point<float>() && U - 10.0f <= V && V <= U + 10.0f)
        {
            const juce::Rectangle<int> box ((int) (V - 50.0f), (int) ((float) c.y - 20.0f), 100, 20);
            g.drawText (CurveMath::pointReadout (c.toFloat(), W, H), box, juce::Justification::centred, true);
        }
    }

    if (markerMoved)
    {
        g.setColour (fromMarkerColour);
        g.drawLine (currentPos, 0.0f, currentPos, fH - 20.0f);
        g.setColour (toMarkerColour);
        g.drawLine (currentPosH, 0.0f, currentPosH, fH - 20.0f);
    }

    const auto curve = CurveMath::buildCurve (p1, centres, p2);
    g.setColour (juce::Colours::green);
    g.strokePath (curve, juce::PathStrokeType (3.0f));

    segments = CurveMath::flatten (curve);
}
