#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "views/CurveComponent.h"
#include "views/CurveMath.h"

#include <cmath>

using juce::Point;

namespace
{
    constexpr int W = 698, H = 297;   // the editor in the fixed window

    //==========================================================================
    struct ScaleCase
    {
        const char* what;
        double actual;
        double expected;
        double tolerance;
    };

    TEST (CurveMath, ScalesOfTheStandardEditor)
    {
        using namespace CurveMath;
        const ScaleCase cases[] = {
            { "marker x of 100 Hz", markerX100 (W), 167.77, 0.01 },
            { "marker x of 1 kHz", markerX (1000.0, W), 386.3, 0.05 },
            { "marker x of 20 kHz", markerX (20000.0, W), 670.7, 0.05 },
            { "marker x of 20 Hz", markerX (20.0, W), 15.0, 1e-9 },
            { "marker frequency at 13", markerFrequency (13.0, W), 19.58, 0.005 },
            { "marker frequency at 688", markerFrequency (688.0, W), 24000.0, 1e-6 },
            { "furthest marker x", (double) marker24kX (W), 688.0, 0.0 },
            { "point frequency at 10", pointFrequency (10.0f, W), 20.0, 1e-4 },
            { "point frequency at 668", pointFrequency (668.0f, W), 20000.0, 0.5 },
            { "point frequency at 163.3", pointFrequency (163.3f, W), 100.0, 0.1 },
            { "point frequency at 382.6", pointFrequency (382.6f, W), 1000.0, 1.0 },
            { "0 dB line", gainZeroY (H), 100.125, 0.0 },
            { "gain of the flat line", gainAt (112.0f, H), -0.7421875, 0.0 },
            { "gain at the top", gainAt (0.0f, H), 6.2578125, 0.0 },
            { "gain at 16 px above 0 dB", gainAt (84.125f, H), 1.0, 0.0 },
            { "flat line", (double) flatLineY (H), 112.0, 0.0 },
            { "flat point top", (double) flatPointTop (H), 106.0, 0.0 },
        };

        for (const auto& c : cases)
            EXPECT_NEAR (c.actual, c.expected, c.tolerance) << c.what;
    }

    TEST (CurveMath, MarkerLabels)
    {
        using CurveMath::markerLabel;
        using CurveMath::markerX;

        EXPECT_EQ (markerLabel (13.0, W), "20");                    // 19.58 Hz
        EXPECT_EQ (markerLabel (markerX (250.3, W), W), "255");     // multiples of 5 from 100 to 500 Hz
        EXPECT_EQ (markerLabel (markerX (98.7, W), W), "99");       // f + 0.5 rounded
        EXPECT_EQ (markerLabel (markerX (612.2, W), W), "613");
        EXPECT_EQ (markerLabel (markerX (1500.0, W), W), "1.5k");
        EXPECT_EQ (markerLabel (markerX (9800.0, W), W), "9.8k");
        EXPECT_EQ (markerLabel (688.0, W), "24.00k");
        EXPECT_EQ (markerLabel (markerX (12360.0, W), W), "12.36k");
    }

    TEST (CurveMath, PointReadout)
    {
        EXPECT_EQ (CurveMath::pointReadout ({ 383.0f, 60.0f }, W, H), "1003Hz  3dB");
        EXPECT_THAT (CurveMath::pointReadout ({ 300.0f, 112.0f }, W, H).toStdString(), ::testing::EndsWith ("  0dB"));
        EXPECT_EQ (CurveMath::pointReadout ({ 10.0f, 290.0f }, W, H), "20Hz  -10dB");
    }

    //==========================================================================
    struct Cubic
    {
        Point<float> c1, c2, end;
    };

    std::vector<Cubic> cubicsOf (const juce::Path& path, Point<float>& start)
    {
        std::vector<Cubic> result;
        juce::Path::Iterator it (path);
        while (it.next())
        {
            if (it.elementType == juce::Path::Iterator::startNewSubPath)
                start = { it.x1, it.y1 };
            else if (it.elementType == juce::Path::Iterator::cubicTo)
                result.push_back ({ { it.x1, it.y1 }, { it.x2, it.y2 }, { it.x3, it.y3 } });
            else
                ADD_FAILURE() << "unexpected path element";
        }
        return result;
    }

    MATCHER_P (IsNear, expected, "")
    {
        return arg.getDistanceFrom (expected) < 1.0e-3f;
    }

    TEST (CurveMath, CubicRuleWithHorizontalTangents)
    {
        Point<float> start;
        const auto cubics = cubicsOf (CurveMath::buildCurve ({ 5, 100 }, { { 105, 200 } }, { 205, 100 }), start);

        EXPECT_EQ (start, Point<float> (5, 100));
        ASSERT_EQ (cubics.size(), 2u);
        EXPECT_THAT (cubics[0].c1, IsNear (Point<float> (65, 100)));
        EXPECT_THAT (cubics[0].c2, IsNear (Point<float> (45, 200)));
        EXPECT_THAT (cubics[0].end, IsNear (Point<float> (105, 200)));
        EXPECT_THAT (cubics[1].c1, IsNear (Point<float> (165, 200)));
        EXPECT_THAT (cubics[1].c2, IsNear (Point<float> (145, 100)));
        EXPECT_THAT (cubics[1].end, IsNear (Point<float> (205, 100)));
    }

    TEST (CurveMath, KnotsAreOrderedByXAndTheFirstOfEqualXWins)
    {
        Point<float> start;
        // Points in list order: the second shares x with the first, the third lies left of both.
        const auto cubics = cubicsOf (CurveMath::buildCurve ({ 5, 112 }, { { 300, 50 }, { 300, 250 }, { 100, 20 } }, { 688, 112 }), start);

        ASSERT_EQ (cubics.size(), 3u);
        EXPECT_THAT (cubics[0].end, IsNear (Point<float> (100, 20)));
        EXPECT_THAT (cubics[1].end, IsNear (Point<float> (300, 50)));
        EXPECT_THAT (cubics[2].end, IsNear (Point<float> (688, 112)));

        // A point exactly at x = W - 10 leaves p2 out.
        const auto atEnd = cubicsOf (CurveMath::buildCurve ({ 5, 112 }, { { 688, 40 } }, { 688, 112 }), start);
        ASSERT_EQ (atEnd.size(), 1u);
        EXPECT_THAT (atEnd[0].end, IsNear (Point<float> (688, 40)));
    }

    TEST (CurveMath, EachPieceStaysBetweenItsKnots)
    {
        const std::vector<Point<int>> centres { { 120, 30 }, { 200, 280 }, { 260, 150 }, { 500, 10 } };
        const auto curve = CurveMath::buildCurve ({ 5, 112 }, centres, { 688, 200 });
        const auto segments = CurveMath::flatten (curve);
        ASSERT_GT (segments.size(), 20u);

        std::vector<Point<int>> knots { { 5, 112 } };
        knots.insert (knots.end(), centres.begin(), centres.end());
        knots.push_back ({ 688, 200 });

        for (const auto& s : segments)
        {
            const auto x = s.getEnd().x;
            for (size_t k = 0; k + 1 < knots.size(); ++k)
                if (x >= (float) knots[k].x && x <= (float) knots[k + 1].x)
                {
                    const auto lo = (float) std::min (knots[k].y, knots[k + 1].y);
                    const auto hi = (float) std::max (knots[k].y, knots[k + 1].y);
                    EXPECT_GE (s.getEnd().y, lo - 0.01f) << "at x " << x;
                    EXPECT_LE (s.getEnd().y, hi + 0.01f) << "at x " << x;
                }
        }
    }

    //==========================================================================
    // The messages as the unit receives them, from the editor's state.
    struct MessageCase
    {
        const char* name;
        CurveMath::CurveState state;
        int count;
        float first, second;                 // DP markers
        std::vector<float> pixelValues;      // DP values before the zeros
    };

    CurveMath::CurveState state (std::vector<Point<int>> centres, float from = 13, float to = 688,
                                 Point<int> p1 = { 5, 112 }, Point<int> p2 = { 688, 112 })
    {
        return { p1, p2, std::move (centres), from, to };
    }

    std::vector<Point<int>> manyPoints (int n)
    {
        std::vector<Point<int>> centres;
        for (int i = 0; i < n; ++i)
            centres.push_back ({ 20 + 10 * i, 40 + i });
        return centres;
    }

    std::vector<float> pixelsOf (const CurveMath::CurveState& s, int k)
    {
        std::vector<float> v { 1.0f };
        for (int i = 0; i < k; ++i)
            v.push_back ((float) s.sortedCentres[(size_t) i].x);
        v.push_back (24000.0f);
        v.push_back ((float) s.p1.y);
        for (int i = 0; i < k; ++i)
            v.push_back ((float) s.sortedCentres[(size_t) i].y);
        v.push_back ((float) s.p2.y);
        return v;
    }

    TEST (CurveMath, DestPointMessages)
    {
        const auto sixtyTwo = state (manyPoints (62));
        const auto sixtyFour = state (manyPoints (64));

        const MessageCase cases[] = {
            { "start state", state ({ { 300, 112 }, { 500, 112 } }), 4, 13, 688,
              { 1, 300, 500, 24000, 112, 112, 112, 112 } },
            { "no points", state ({}), 2, 13, 688, { 1, 24000, 112, 112 } },
            { "two points moved, end points and markers moved", state ({ { 150, 60 }, { 420, 230 } }, 40, 600, { 5, 20 }, { 688, 250 }),
              4, 40, 600, { 1, 150, 420, 24000, 20, 60, 230, 250 } },
            { "62 points fill all 128 values", sixtyTwo, 64, 13, 688, pixelsOf (sixtyTwo, 62) },
            { "64 points send the first 62", sixtyFour, 64, 13, 688, pixelsOf (sixtyFour, 62) },
        };

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            const auto dp = CurveMath::makeDestPointsInPixels (c.state, 1);
            EXPECT_EQ (dp.count, c.count);
            EXPECT_EQ (dp.first, c.first);
            EXPECT_EQ (dp.second, c.second);
            EXPECT_EQ (dp.flag, 1);

            std::vector<float> expected = c.pixelValues;
            expected.resize (CurveMath::numValues, 0.0f);
            EXPECT_THAT (std::vector<float> (dp.values.begin(), dp.values.end()), ::testing::ElementsAreArray (expected));

            // AT carries the same layout in hertz and decibels.
            const auto at = CurveMath::makeDestPointsInUnits (c.state, W, H, 1);
            const auto k = c.count - 2;
            EXPECT_EQ (at.count, c.count);
            EXPECT_FLOAT_EQ (at.first, (float) CurveMath::markerFrequency (c.first, W));
            EXPECT_FLOAT_EQ (at.second, (float) CurveMath::markerFrequency (c.second, W));
            EXPECT_EQ (at.values[0], 1.0f);
            EXPECT_EQ (at.values[(size_t) k + 1], 24000.0f);
            for (int i = 1; i <= k; ++i)
                EXPECT_FLOAT_EQ (at.values[(size_t) i], CurveMath::pointFrequency (expected[(size_t) i], W));
            for (int i = k + 2; i <= 2 * k + 3; ++i)
                EXPECT_FLOAT_EQ (at.values[(size_t) i], CurveMath::gainAt (expected[(size_t) i], H));
            for (int i = 2 * k + 4; i < CurveMath::numValues; ++i)
                EXPECT_EQ (at.values[(size_t) i], 0.0f);
        }
    }

    TEST (CurveMath, StartStateInHertzAndDecibels)
    {
        const auto at = CurveMath::makeDestPointsInUnits (state ({ { 300, 112 }, { 500, 112 } }), W, H, 1);
        EXPECT_NEAR (at.first, 19.58f, 0.005f);
        EXPECT_FLOAT_EQ (at.second, 24000.0f);
        EXPECT_NEAR (at.values[1], 419.97f, 0.01f);
        EXPECT_NEAR (at.values[2], 3428.25f, 0.05f);
        for (int i = 4; i <= 7; ++i)
            EXPECT_EQ (at.values[(size_t) i], -0.7421875f);

        const auto flat = CurveMath::makeFlatDestPointsInUnits (state ({ { 300, 112 }, { 500, 112 } }), W, H, 1);
        EXPECT_NEAR (flat.values[1], 419.97f, 0.01f);
        for (int i = 4; i <= 7; ++i)
            EXPECT_EQ (flat.values[(size_t) i], 0.0f);
    }

    //==========================================================================
    // The editor, headless, driven by synthetic mouse events.
    juce::MouseEvent eventAt (juce::Component& eventComponent, juce::Component& originator,
                              Point<float> position, Point<float> downPosition, int clicks = 1)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), position,
                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &eventComponent, &originator, now, downPosition, now,
                 clicks, position != downPosition };
    }

    void pumpMessages()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    class Editor : public ::testing::Test
    {
    protected:
        CurveComponent editor;

        void SetUp() override
        {
            editor.setSize (W, H);
            paint();
        }

        // Painting rebuilds the segments a double click is tested against.
        void paint()
        {
            editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
        }

        void doubleClickAt (float x, float y)
        {
            editor.mouseDoubleClick (eventAt (editor, editor, { x, y }, { x, y }, 2));
        }

        // The point's own mouse handlers, with positions in editor coordinates.
        void pressPoint (CornerDragger& p, Point<float> at)
        {
            p.mouseDown (eventAt (editor, p, at, at));
        }

        void dragPoint (CornerDragger& p, Point<float> from, Point<float> to)
        {
            p.mouseDrag (eventAt (editor, p, to, from));
        }

        void releasePoint (CornerDragger& p, Point<float> from, Point<float> to)
        {
            p.mouseUp (eventAt (editor, p, to, from));
        }

        void dragEditor (Point<float> from, Point<float> to)
        {
            editor.mouseDown (eventAt (editor, editor, from, from));
            editor.mouseDrag (eventAt (editor, editor, to, from));
            editor.mouseUp (eventAt (editor, editor, to, from));
        }
    };

    TEST_F (Editor, StartState)
    {
        EXPECT_THAT (editor.getPointCentres(), ::testing::ElementsAre (Point<int> (300, 112), Point<int> (500, 112)));
        EXPECT_EQ (editor.getP1(), Point<int> (5, 112));
        EXPECT_EQ (editor.getP2(), Point<int> (688, 112));
        EXPECT_EQ (CurveComponent::getCurrentPos(), 13);
        EXPECT_EQ (CurveComponent::getCurrentPosH(), 688);
        EXPECT_EQ (CurveComponent::w, W);   // remembered by the paint
        EXPECT_EQ (CurveComponent::h, H);
        EXPECT_EQ (editor.getApplyButton().getBounds(), juce::Rectangle<int> (W - 120, H - 30, 120, 25));
        EXPECT_EQ (editor.getResetButton().getBounds(), juce::Rectangle<int> (W - 250, H - 30, 120, 25));
    }

    TEST_F (Editor, DoubleClickAddsAPointOnTheCurveOnlyWhenNearIt)
    {
        struct Case { float x, y; bool adds; };
        const Case cases[] = {
            { 200, 116, true },     // 4 pixels below the flat curve
            { 250, 118, false },    // 6 pixels away
            { 15, 112, false },     // too far left, although on the curve
            { 16, 110, true },
        };

        for (const auto& c : cases)
        {
            const auto before = editor.getNumPoints();
            doubleClickAt (c.x, c.y);
            EXPECT_EQ (editor.getNumPoints(), before + (c.adds ? 1 : 0)) << c.x << ", " << c.y;
            if (c.adds)
                EXPECT_EQ (editor.getPoint (before)->getCentre(), Point<int> ((int) c.x, 112));
        }
    }

    TEST_F (Editor, NoPointIsAddedBeforeTheCurveWasDrawnOrBeyond64)
    {
        CurveComponent unpainted;
        unpainted.setSize (W, H);
        unpainted.mouseDoubleClick (eventAt (unpainted, unpainted, { 200, 112 }, { 200, 112 }, 2));
        EXPECT_EQ (unpainted.getNumPoints(), 2);

        for (int i = 0; i < 62; ++i)
            editor.addPoint ({ 100 + i, 106 });
        ASSERT_EQ (editor.getNumPoints(), 64);
        paint();
        doubleClickAt (650, 112);
        EXPECT_EQ (editor.getNumPoints(), 64);
    }

    TEST_F (Editor, DoubleClickOnAPointRemovesItAfterTheEventHasReturned)
    {
        juce::Component::SafePointer<CornerDragger> first (editor.getPoint (0));
        first->mouseDoubleClick (eventAt (editor, *first, { 300, 112 }, { 300, 112 }, 2));

        EXPECT_EQ (editor.getNumPoints(), 1);
        EXPECT_NE (first.getComponent(), nullptr);
        pumpMessages();
        EXPECT_EQ (first.getComponent(), nullptr);
        EXPECT_THAT (editor.getPointCentres(), ::testing::ElementsAre (Point<int> (500, 112)));
    }

    TEST_F (Editor, DraggingAPointShowsItsReadoutUntilTheRelease)
    {
        auto& point = *editor.getPoint (0);
        pressPoint (point, { 300, 112 });
        dragPoint (point, { 300, 112 }, { 383, 60 });

        EXPECT_EQ (point.getCentre(), Point<int> (383, 60));
        EXPECT_FLOAT_EQ (CurveComponent::currentDsPoint.x, 383.0f / W);
        EXPECT_FLOAT_EQ (CurveComponent::currentDsPoint.y, 60.0f / H);

        releasePoint (point, { 300, 112 }, { 383, 60 });
        EXPECT_EQ (CurveComponent::currentDsPoint, Point<float>());
        EXPECT_EQ (point.getRelativePosition(), Point<float>());
    }

    TEST_F (Editor, APointCannotLeaveTheEditorAndMayPassOthers)
    {
        auto& point = *editor.getPoint (0);
        pressPoint (point, { 300, 112 });
        dragPoint (point, { 300, 112 }, { 2000, 2000 });
        EXPECT_EQ (point.getBounds(), juce::Rectangle<int> (W - 12, H - 12, 12, 12));
        dragPoint (point, { 300, 112 }, { 600, -50 });
        EXPECT_EQ (point.getBounds(), juce::Rectangle<int> (594, 0, 12, 12));
        releasePoint (point, { 300, 112 }, { 600, -50 });
        EXPECT_EQ (editor.getNumPoints(), 2);
    }

    TEST_F (Editor, DraggingAPointToTheLeftEdgeDeletesItAfterItsOwnDrag)
    {
        juce::Component::SafePointer<CornerDragger> point (editor.getPoint (1));
        pressPoint (*point, { 500, 112 });
        dragPoint (*point, { 500, 112 }, { 14, 100 });   // centre 14: removed
        EXPECT_EQ (editor.getNumPoints(), 1);
        ASSERT_NE (point.getComponent(), nullptr);

        // The mouse keeps talking to the point until the deferred deletion runs.
        dragPoint (*point, { 500, 112 }, { -30, 100 });
        releasePoint (*point, { 500, 112 }, { -30, 100 });
        EXPECT_EQ (CurveComponent::currentDsPoint, Point<float>());

        pumpMessages();
        EXPECT_EQ (point.getComponent(), nullptr);
        EXPECT_THAT (editor.getPointCentres(), ::testing::ElementsAre (Point<int> (300, 112)));

        // A point left at x = 15 stays.
        auto& other = *editor.getPoint (0);
        pressPoint (other, { 300, 112 });
        dragPoint (other, { 300, 112 }, { 15, 112 });
        releasePoint (other, { 300, 112 }, { 15, 112 });
        pumpMessages();
        EXPECT_EQ (editor.getNumPoints(), 1);
    }

    TEST_F (Editor, APointPlacedAtTheLeftEdgeStaysUntilItIsMoved)
    {
        auto& loaded = editor.addPoint ({ 2, 150 });
        EXPECT_EQ (loaded.getCentre().x, 8);
        EXPECT_EQ (editor.getNumPoints(), 3);

        pressPoint (loaded, { 8, 156 });
        dragPoint (loaded, { 8, 156 }, { 9, 170 });
        EXPECT_EQ (editor.getNumPoints(), 2);
        pumpMessages();
    }

    TEST_F (Editor, EndPointsMoveOnlyVerticallyWithinTheEditor)
    {
        dragEditor ({ 6, 110 }, { 300, 2 });
        EXPECT_EQ (editor.getP1(), Point<int> (5, 5));
        dragEditor ({ 5, 5 }, { 300, 400 });
        EXPECT_EQ (editor.getP1(), Point<int> (5, H - 5));
        dragEditor ({ 690, 115 }, { 10, 77 });
        EXPECT_EQ (editor.getP2(), Point<int> (688, 77));

        dragEditor ({ 100, 100 }, { 200, 200 });   // away from both: nothing moves
        EXPECT_EQ (editor.getP1(), Point<int> (5, H - 5));
        EXPECT_EQ (editor.getP2(), Point<int> (688, 77));
    }

    TEST_F (Editor, MarkersKeepTheirOrderAndTheirLimits)
    {
        struct Case { const char* what; float fromX, toX; int from, to; };
        const Case cases[] = {
            { "from marker right of the to marker", 13, 900, 683, 688 },
            { "from marker back", 683, 200, 200, 688 },
            { "to marker left of the from marker", 688, 100, 200, 205 },
            { "to marker beyond the right end", 205, 900, 200, 688 },
            { "from marker beyond the left end", 200, -40, 5, 688 },
            { "to marker far left", 688, 3, 5, 10 },
        };

        for (const auto& c : cases)
        {
            dragEditor ({ c.fromX, 150 }, { c.toX, 150 });
            EXPECT_EQ (CurveComponent::getCurrentPos(), c.from) << c.what;
            EXPECT_EQ (CurveComponent::getCurrentPosH(), c.to) << c.what;
        }
    }

    TEST_F (Editor, PointRecordRebuildsTheCurve)
    {
        CacheFiles::DespointRecord record;
        record.n = 4;
        record.x = 40.0f;
        record.y = 600.0f;
        record.X = { 1.0f, 150.0f, 420.0f, 24000.0f };
        record.Y = { 20.0f, 60.0f, 230.0f, 250.0f };
        editor.applyPointRecord (record);

        EXPECT_THAT (editor.getPointCentres(), ::testing::ElementsAre (Point<int> (150, 60), Point<int> (420, 230)));
        EXPECT_EQ (editor.getP1(), Point<int> (5, 20));
        EXPECT_EQ (editor.getP2(), Point<int> (688, 250));
        EXPECT_EQ (CurveComponent::getCurrentPos(), 40);
        EXPECT_EQ (CurveComponent::getCurrentPosH(), 600);

        record.n = 2;
        record.X = { 1.0f, 24000.0f };
        record.Y = { std::nanf (""), 90.0f };
        editor.applyPointRecord (record);
        EXPECT_EQ (editor.getNumPoints(), 0);
        EXPECT_EQ (editor.getP1(), Point<int> (5, 0));
        EXPECT_EQ (editor.getP2(), Point<int> (688, 90));
    }
}
