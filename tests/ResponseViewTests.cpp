#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainComponent.h"
#include "link/CacheFiles.h"
#include "link/Globals.h"
#include "support/OscDecode.h"
#include "support/UdpCapture.h"
#include "views/FrequencyResponseAndCrossoverComponent.h"
#include "views/ResponseMath.h"

#include <cmath>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using View = FrequencyResponseAndCrossoverComponent;

namespace
{
    constexpr int W = 723, H = 327;   // the view in the fixed window

    TEST (ResponseMath, ScaleAndMarkerLabels)
    {
        EXPECT_NEAR (ResponseMath::frequencyAt (30, W), 20.0, 1e-9);
        EXPECT_NEAR (ResponseMath::frequencyAt (713, W), 20000.0, 1e-6);
        EXPECT_NEAR (ResponseMath::xOf (100.0, W), ResponseMath::x100 (W), 1e-9);
        EXPECT_NEAR (ResponseMath::xOf (10000.0, W), ResponseMath::x10k (W), 1e-9);
        EXPECT_FLOAT_EQ (ResponseMath::levelStep (H), 24.75f);

        struct Case { int x; const char* label; const char* handedOver; };
        const Case cases[] = {
            { 34, "21", "21" },          // 20.8 Hz
            { 400, "850", "850" },       // 843.7 Hz, multiples of 10 above 500 Hz
            { 600, "6.38k", "6380" },    // 6378 Hz
            { 713, "20.0k", "20000" },
            { 280, "255", "255" },       // 250.6 Hz: multiples of 5 from 100 to 500 Hz
            { (int) ResponseMath::xOf (62.0, W), "62", "62" },
        };

        for (const auto& c : cases)
        {
            const auto label = ResponseMath::markerLabel (c.x, W);
            EXPECT_EQ (label, c.label) << "x " << c.x;
            EXPECT_EQ (ResponseMath::handOverText (label), c.handedOver) << "x " << c.x;
        }
    }

    TEST (ResponseMath, CrossoverCommandsPerConfiguration)
    {
        using HP = ResponseMath::HighPass;
        const HP low { 1, 1, 80, 36 }, mid { 3, 1, 500, 36 }, high { 5, 1, 4000, 36 };

        struct Case { int configuration; std::vector<HP> highPasses; std::optional<int> fo; };
        const Case cases[] = {
            { 0, {}, std::nullopt },
            { 1, { { 1, 1, 20, 36 } }, 0 },
            { 2, { low }, 12 },
            { 3, { low }, 4 },
            { 4, { low, mid }, 1 },
            { 5, { low, mid }, 13 },
            { 6, { low, mid }, 5 },
            { 7, { low, mid, high }, 3 },
            { 8, { low, mid, high }, 15 },
            { 9, { low, mid, high }, 7 },
            { 10, {}, std::nullopt },
            { 255, {}, std::nullopt },
        };

        for (const auto& c : cases)
        {
            const auto commands = ResponseMath::crossoverCommands (c.configuration, 80, 500, 4000, 36);
            EXPECT_EQ (commands.highPasses, c.highPasses) << "configuration " << c.configuration;
            EXPECT_EQ (commands.outputCode, c.fo) << "configuration " << c.configuration;
        }
    }

    TEST (ResponseMath, FilesEachDisplayModeReads)
    {
        using F = ResponseMath::FileToRead;
        constexpr auto L = ResponseMath::Rule::level;
        constexpr auto R = ResponseMath::Rule::leftRight;

        struct Case { int mode; bool full; std::vector<F> files; };
        const Case cases[] = {
            { 0, false, {} },
            { 3, false, { { 1, L }, { 2, L }, { 3, L } } },
            { 5, false, { { 1, L }, { 2, L }, { 3, L }, { 4, L }, { 5, L } } },
            { 11, false, { { 11, R } } },
            { 12, false, { { 11, R }, { 12, R } } },
            { 7, false, {} },
            { 0, true, { { 11, R }, { 12, R } } },
            { 2, true, { { 1, L }, { 2, L }, { 11, R }, { 12, R } } },
            { 12, true, { { 11, R }, { 12, R }, { 1, L }, { 2, L }, { 3, L }, { 4, L }, { 5, L }, { 6, L },
                          { 7, L }, { 8, L }, { 9, L }, { 10, L }, { 11, L }, { 12, L } } },
        };

        for (const auto& c : cases)
            EXPECT_EQ (ResponseMath::filesToRead (c.mode, c.full), c.files) << "mode " << c.mode << (c.full ? " full" : "");
    }

    //==========================================================================
    struct Element
    {
        bool start;
        float x, y;
    };

    std::vector<Element> elementsOf (const juce::Path& path)
    {
        std::vector<Element> result;
        juce::Path::Iterator it (path);
        while (it.next())
            result.push_back ({ it.elementType == juce::Path::Iterator::startNewSubPath, it.x1, it.y1 });
        return result;
    }

    // 700 values then 700 frequencies.
    std::vector<float> spectrum (std::vector<std::pair<float, float>> firstPoints, float value, float frequency)
    {
        std::vector<float> v (1400);
        for (int i = 0; i < 700; ++i)
        {
            const auto [val, f] = i < (int) firstPoints.size() ? firstPoints[(size_t) i] : std::pair { value, frequency };
            v[(size_t) i] = val;
            v[(size_t) (700 + i)] = f;
        }
        return v;
    }

    TEST (ResponseMath, SpectrumCurves)
    {
        const auto x100 = (float) ResponseMath::x100 (W);
        const auto x1k = (float) ResponseMath::xOf (1000.0, W);

        // value, frequency
        const auto levels = spectrum ({ { 0.01f, 100.0f },      // start, no limits
                                        { 1e-6f, 20.0f },
                                        { 1e-8f, 1000.0f },     // below the plot: limited to 295
                                        { 0.01f, 25000.0f },    // right of 713: left out
                                        { 0.01f, 0.0f },        // no logarithm: left out
                                        { 0.0f, 1000.0f } },    // no logarithm of the value: at the bottom limit
                                      0.01f, 1000.0f);
        const auto curve = elementsOf (ResponseMath::buildSpectrumCurve (levels, ResponseMath::Rule::level, W, H));

        ASSERT_EQ (curve.size(), 4u + 694u);
        EXPECT_TRUE (curve[0].start);
        EXPECT_NEAR (curve[0].x, x100, 1e-3);
        EXPECT_NEAR (curve[0].y, 27.0f, 1e-3);
        EXPECT_NEAR (curve[1].x, 30.0f, 1e-3);
        EXPECT_NEAR (curve[1].y, 227.0f, 1e-3);
        EXPECT_NEAR (curve[2].x, x1k, 1e-3);
        EXPECT_EQ (curve[2].y, 295.0f);
        EXPECT_EQ (curve[3].y, 295.0f);
        EXPECT_NEAR (curve.back().y, 27.0f, 1e-3);

        // The left/right rule; a first point without coordinates starts the curve at the next one.
        const auto lr = elementsOf (ResponseMath::buildSpectrumCurve (spectrum ({ { -100.0f, -1.0f }, { -100.0f, 100.0f }, { -400.0f, 100.0f } }, -60.0f, 1000.0f),
                                                                      ResponseMath::Rule::leftRight, W, H));
        ASSERT_EQ (lr.size(), 699u);
        EXPECT_TRUE (lr[0].start);
        EXPECT_NEAR (lr[0].y, 45.0f, 1e-3);
        EXPECT_EQ (lr[1].y, 295.0f);
        EXPECT_NEAR (lr[2].y, 5.0f, 1e-3);
    }

    TEST (ResponseMath, HeaderNumbersSelectTheCurve)
    {
        using R = ResponseMath::Rule;
        EXPECT_EQ (ResponseMath::pathIndexFor (R::level, 1), 0);
        EXPECT_EQ (ResponseMath::pathIndexFor (R::level, 5), 4);
        EXPECT_EQ (ResponseMath::pathIndexFor (R::level, 11), std::nullopt);
        EXPECT_EQ (ResponseMath::pathIndexFor (R::level, 0), std::nullopt);
        EXPECT_EQ (ResponseMath::pathIndexFor (R::leftRight, 11), 5);
        EXPECT_EQ (ResponseMath::pathIndexFor (R::leftRight, 12), 6);
        EXPECT_EQ (ResponseMath::pathIndexFor (R::leftRight, 3), std::nullopt);
    }

    //==========================================================================
    // The fft thread, fed with spectrum files in the cache folder.
    class FftThread : public ::testing::Test
    {
    protected:
        std::unique_ptr<View> view;

        void SetUp() override
        {
            ASSERT_TRUE (CacheFiles::ensureCacheDirectory());
            for (int n = 1; n <= 12; ++n)
                juce::File (CacheFiles::spectrumPath (n)).deleteFile();

            waitFftEvent.reset();   // no wake-up left over from another view
            view = std::make_unique<View>();
            view->setSize (W, H);
            view->setIsPrepared (false);
        }

        void TearDown() override
        {
            view.reset();
            View::mydisplayMode = View::mydisplayModeAll = 0;
        }

        static void writeFile (int number, int header, std::vector<float> values, size_t keepBytes = 0)
        {
            auto bytes = CacheFiles::encodeSpectrum ({ header, (int) values.size(), std::move (values) });
            if (keepBytes > 0)
                bytes.resize (keepBytes);
            ASSERT_TRUE (CacheFiles::writeBytes (CacheFiles::spectrumPath (number), bytes.data(), bytes.size()));
        }

        // Signals the thread and runs the message loop until it has installed the curves.
        bool prepare (int mode, int modeAll = 0)
        {
            View::mydisplayMode = mode;
            View::mydisplayModeAll = modeAll;
            waitFftEvent.signal();

            for (int i = 0; i < 300 && ! view->getIsPrepared(); ++i)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

            return view->getIsPrepared();
        }

        static juce::Path marker (float x)
        {
            juce::Path p;
            p.startNewSubPath (x, 1.0f);
            p.lineTo (x, 2.0f);
            return p;
        }
    };

    TEST_F (FftThread, FullFilesBecomeCurvesAndBadFilesChangeNothing)
    {
        const auto full = spectrum ({}, 0.01f, 1000.0f);
        writeFile (1, 1, full);
        writeFile (2, 2, full, 8 + 4 * 1399);   // one value short
        writeFile (3, 7, full);                 // a header number the level rule has no curve for
        // file 4 is missing
        writeFile (5, 5, spectrum ({}, 1e-6f, 100.0f));

        View::myPath2 = marker (2);
        View::myPath3 = marker (3);
        View::myPath4 = marker (4);

        ASSERT_TRUE (prepare (5));

        EXPECT_TRUE (View::myPath1.toString() == ResponseMath::buildSpectrumCurve (full, ResponseMath::Rule::level, W, H).toString());
        EXPECT_EQ (elementsOf (View::myPath1).size(), 700u);
        EXPECT_TRUE (View::myPath2.toString() == marker (2).toString());
        EXPECT_TRUE (View::myPath3.toString() == marker (3).toString());
        EXPECT_TRUE (View::myPath4.toString() == marker (4).toString());
        EXPECT_EQ (View::myPath5.getBounds().getY(), 227.0f);
        EXPECT_TRUE (View::myPathL.isEmpty());
    }

    TEST_F (FftThread, TheHeaderNumberSelectsTheCurveAndAFullReloadReadsLeftAndRight)
    {
        writeFile (1, 4, spectrum ({}, 0.01f, 1000.0f));          // file 1 holds point 4
        writeFile (11, 11, spectrum ({}, -100.0f, 1000.0f));
        writeFile (12, 12, spectrum ({}, -200.0f, 1000.0f));

        ASSERT_TRUE (prepare (1, 13));
        EXPECT_TRUE (View::myPath1.isEmpty());
        EXPECT_FALSE (View::myPath4.isEmpty());
        EXPECT_EQ (View::myPathL.getBounds().getY(), 45.0f);
        EXPECT_EQ (View::myPathR.getBounds().getY(), 145.0f);
        EXPECT_EQ (View::mydisplayModeAll, 0);

        // setIsPrepared (false) empties every curve; the next signal rebuilds only what the mode selects.
        view->setIsPrepared (false);
        EXPECT_TRUE (View::myPath4.isEmpty() && View::myPathL.isEmpty() && View::myPathR.isEmpty());
        ASSERT_TRUE (prepare (11));
        EXPECT_FALSE (View::myPathL.isEmpty());
        EXPECT_TRUE (View::myPathR.isEmpty());
        EXPECT_TRUE (View::myPath4.isEmpty());
    }

    TEST_F (FftThread, StopsPromptlyEvenWhileWaitingForTheMessageThread)
    {
        writeFile (1, 1, spectrum ({}, 0.01f, 1000.0f));
        View::mydisplayMode = 1;
        EXPECT_TRUE (view->isWorkerRunning());

        // The message loop is not run: the thread gets no lock and must give up when told to stop.
        waitFftEvent.signal();
        juce::Thread::sleep (50);
        EXPECT_TRUE (view->stopWorker());
        EXPECT_FALSE (view->isWorkerRunning());
        EXPECT_FALSE (view->getIsPrepared());

        // A view destroyed while its thread sleeps.
        auto another = std::make_unique<View>();
        EXPECT_TRUE (another->stopWorker());
    }

    //==========================================================================
    juce::MouseEvent eventAt (juce::Component& c, juce::Point<float> position, juce::Point<float> downPosition)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), position,
                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &c, &c, now, downPosition, now, 1, position != downPosition };
    }

    void drag (View& v, float fromX, float toX)
    {
        v.mouseDown (eventAt (v, { fromX, 100 }, { fromX, 100 }));
        v.mouseDrag (eventAt (v, { toX, 100 }, { fromX, 100 }));
        v.mouseUp (eventAt (v, { toX, 100 }, { fromX, 100 }));
    }

    TEST (ResponseView, MarkersKeepTheirOrderWhileDragged)
    {
        View view;
        view.setSize (W, H);

        struct Case { const char* what; float from, to; int blue, green, red; };
        const Case cases[] = {
            { "blue to the left edge", 34, 10, 30, 400, 600 },
            { "blue stops 40 before green", 30, 700, 360, 400, 600 },
            { "green stops 40 before red", 400, 650, 360, 560, 600 },
            { "red beyond the right edge", 600, 900, 360, 560, 713 },
            { "red back stops 40 after green", 713, 100, 360, 560, 600 },
            { "green back stops 40 after blue", 560, 0, 360, 400, 600 },
            { "a press 5 pixels away grabs nothing", 405, 300, 360, 400, 600 },
        };

        for (const auto& c : cases)
        {
            drag (view, c.from, c.to);
            EXPECT_EQ (view.getCurrentPosBlue(), c.blue) << c.what;
            EXPECT_EQ (view.getCurrentPosGreen(), c.green) << c.what;
            EXPECT_EQ (view.getCurrentPosRed(), c.red) << c.what;
        }
    }

    TEST (ResponseView, PaintingHandsTheBlueFrequencyOver)
    {
        View view;
        view.setSize (W, H);
        std::vector<std::pair<int, juce::String>> handed;
        view.onCrossoverFrequency = [&handed] (int marker, const juce::String& text) { handed.emplace_back (marker, text); };

        view.createComponentSnapshot (view.getLocalBounds(), true, 1.0f);
        view.createComponentSnapshot (view.getLocalBounds(), true, 1.0f);   // unchanged: not again
        view.setCurrentPosBlue (600);
        view.createComponentSnapshot (view.getLocalBounds(), true, 1.0f);

        EXPECT_THAT (handed, ElementsAre (std::pair { 1, juce::String ("21") }, std::pair { 1, juce::String ("6380") }));
        EXPECT_EQ (view.getHandedOverText (1), "6380");
    }

    //==========================================================================
    // What the unit receives, without the status polls of the top bar.
    std::vector<std::string> commandsReceived (UdpCapture& unit)
    {
        auto all = describeAll (unit.drain (100));
        all.erase (std::remove (all.begin(), all.end(), "NS"), all.end());
        return all;
    }

    TEST (ResponseView, ApplyCrossOverSendsTheSetupAndLocksTheWindowForSixTicks)
    {
        UdpCapture unit (Command::commandPort);
        ASSERT_TRUE (unit.isOpen());

        // The panels' start-up notifications run before a unit is selected.
        MainContentComponent content;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        sendCommand.setCurrentIpAddr ("127.0.0.1");

        auto& view = content.getCenter().getResponseView();
        EXPECT_EQ (view.getBounds(), juce::Rectangle<int> (0, 31, W, H));
        EXPECT_EQ (view.getApplyButton().getBounds(), juce::Rectangle<int> (W - 100, H - 60, 100, 25));
        EXPECT_EQ (view.getSlopeBox().getBounds(), juce::Rectangle<int> (W - 190, H - 60, 85, 25));
        EXPECT_EQ (view.getSlopeBox().getText(), "24dB/Oct");

        // Changing the slope alone sends nothing.
        view.getSlopeBox().setSelectedId (3, juce::sendNotificationSync);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_TRUE (commandsReceived (unit).empty());

        view.buttonClicked (&view.getApplyButton());

        std::vector<std::string> expected { "CP 34 400 600" };
        const auto commands = ResponseMath::crossoverCommands (BottomSystemComponent::getMyMode(),
                                                               BottomPanelComponent::getFreq1(),
                                                               BottomPanelComponent::getFreq2(),
                                                               BottomPanelComponent::getFreq3(), 36);
        for (const auto& hp : commands.highPasses)
            expected.push_back ("HI " + std::to_string (hp.pair) + " 1 " + std::to_string (hp.frequency) + " 36");
        if (commands.outputCode)
            expected.push_back ("FO " + std::to_string (*commands.outputCode));
        expected.push_back ("CM 2");

        EXPECT_THAT (commandsReceived (unit), ElementsAreArray (expected));

        bool clicks = true, childClicks = true;
        content.getInterceptsMouseClicks (clicks, childClicks);
        EXPECT_FALSE (clicks || childClicks);
        EXPECT_TRUE (view.isBusy());

        for (int tick = 1; tick <= 5; ++tick)
            view.timerCallback();
        EXPECT_TRUE (view.isBusy());   // five ticks make exactly 1.0, which does not end it

        view.timerCallback();
        EXPECT_FALSE (view.isBusy());
        content.getInterceptsMouseClicks (clicks, childClicks);
        EXPECT_TRUE (clicks && childClicks);

        sendCommand.setCurrentIpAddr ({});
    }
}
