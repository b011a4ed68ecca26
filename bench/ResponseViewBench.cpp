// The fft thread's work: reading the seven spectrum cache files (points 1 to
// 5, left and right) and turning them into the response view's curves; and
// the message thread's share, painting the view with all seven curves.

#include "Comparisons.h"

#include "link/CacheFiles.h"
#include "views/FrequencyResponseAndCrossoverComponent.h"
#include "views/ResponseMath.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
    constexpr int viewWidth = 723, viewHeight = 327;

    // Seven spectrum files as the unit writes them: 700 values, then their
    // 700 frequencies from 20 Hz to 20 kHz on a logarithmic scale.
    bool writeSevenSpectra()
    {
        if (! CacheFiles::ensureCacheDirectory())
            return false;

        for (const int number : { 1, 2, 3, 4, 5, 11, 12 })
        {
            CacheFiles::Spectrum s;
            s.k = number;
            s.n = CacheFiles::spectrumValues;
            s.values.resize ((size_t) CacheFiles::spectrumValues);
            for (int i = 0; i < ResponseMath::numPoints; ++i)
            {
                const auto wobble = std::sin (0.05 * i + number);
                s.values[(size_t) i] = number < 11 ? (float) std::pow (10.0, 1.5 + 2.0 * wobble)
                                                   : (float) (-60.0 + 20.0 * wobble);
                s.values[(size_t) (ResponseMath::numPoints + i)] = (float) (20.0 * std::pow (1000.0, i / 699.0));
            }

            if (! CacheFiles::writeSpectrum (CacheFiles::spectrumPath (number), s))
                return false;
        }
        return true;
    }

    using View = FrequencyResponseAndCrossoverComponent;

    void requestFullReload()
    {
        View::mydisplayMode = 5;
        View::mydisplayModeAll = 13;
    }

    bool allSevenCurvesBuilt()
    {
        for (const auto* p : { &View::myPath1, &View::myPath2, &View::myPath3, &View::myPath4,
                               &View::myPath5, &View::myPathL, &View::myPathR })
            if (p->isEmpty())
                return false;
        return true;
    }
}

static void ResponseView_ReadCurves (benchmark::State& state)
{
    if (! writeSevenSpectra())
    {
        state.SkipWithError ("cannot write the spectrum files");
        return;
    }

    const auto files = ResponseMath::filesToRead (5, true);
    for (auto _ : state)
    {
        auto curves = ResponseMath::readCurves (files, viewWidth, viewHeight);
        benchmark::DoNotOptimize (curves);
    }
}
BENCHMARK (ResponseView_ReadCurves)->Name ("ResponseView/ReadCurves")->Unit (benchmark::kMicrosecond);

// What the fft thread does when woken for a full reload, including the two
// short holds of the message manager lock and installing the seven curves.
static void ResponseView_PrepareAllSeven (benchmark::State& state)
{
    if (! writeSevenSpectra())
    {
        state.SkipWithError ("cannot write the spectrum files");
        return;
    }

    View view;
    view.setSize (viewWidth, viewHeight);
    for (auto _ : state)
    {
        requestFullReload();
        view.prepareData();
    }

    if (! allSevenCurvesBuilt())
        state.SkipWithError ("not all seven curves were built");
}
BENCHMARK (ResponseView_PrepareAllSeven)->Name ("ResponseView/PrepareAllSeven")->Unit (benchmark::kMicrosecond);

static void ResponseView_PaintAllSeven (benchmark::State& state)
{
    if (! writeSevenSpectra())
    {
        state.SkipWithError ("cannot write the spectrum files");
        return;
    }

    View view;
    view.setSize (viewWidth, viewHeight);
    requestFullReload();
    view.prepareData();

    juce::Image image (juce::Image::ARGB, viewWidth, viewHeight, true);
    for (auto _ : state)
    {
        juce::Graphics g (image);
        view.paintEntireComponent (g, false);
    }
}
BENCHMARK (ResponseView_PaintAllSeven)->Name ("ResponseView/PaintAllSeven")->Unit (benchmark::kMicrosecond);

VELD72_BUDGET ("fft thread: all seven spectra prepared", "ResponseView/PrepareAllSeven", 1e6);
