#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <optional>
#include <vector>

// Scales, labels, curves and the crossover commands of the frequency response
// and crossover view. W and H are the view's width and height (723 x 327 in
// the fixed window).
namespace ResponseMath
{
    //==========================================================================
    // 20 Hz at x = 30, 20 kHz at x = W - 10.
    double x100 (int W) noexcept;
    double x10k (int W) noexcept;
    double frequencyAt (double x, int W) noexcept;
    double xOf (double frequency, int W) noexcept;

    // "21", "850", "6.38k", "20.0k": the label of a crossover marker at x.
    juce::String markerLabel (int x, int W);

    // What a marker label hands to the output bands panel: "6.38k" gives
    // "6380", "850" stays "850".
    juce::String handOverText (const juce::String& markerLabel);

    // Spacing of the thirteen level grid lines.
    float levelStep (int H) noexcept;

    //==========================================================================
    // Spectrum cache files hold 700 values then the 700 frequencies they
    // belong to. The level files (numbers 1 to 5) and the left/right files
    // (11, 12) map values to heights by different rules.
    enum class Rule { level, leftRight };

    inline constexpr int numPoints = 700;
    inline constexpr int numPaths = 7;   // points 1 to 5, left, right

    // Which of the seven curves a file with this header number replaces.
    std::optional<int> pathIndexFor (Rule, int headerNumber) noexcept;

    // The curve of one file's values (at least 2 * numPoints of them). Points
    // that do not give finite coordinates are left out.
    juce::Path buildSpectrumCurve (const std::vector<float>& values, Rule, int W, int H);

    struct FileToRead
    {
        int number;
        Rule rule;
        bool operator== (const FileToRead& o) const noexcept { return number == o.number && rule == o.rule; }
    };

    // The files a preparation reads, in order and each once, for the display
    // mode (1..5: level files up to it; 11, 12: left/right files up to it)
    // and the full reload request (then also the level files up to the mode
    // and both left/right files).
    std::vector<FileToRead> filesToRead (int displayMode, bool fullReload);

    // The curves that the files give; an entry is empty when no file
    // replaced that curve (missing, short, or with a header number that does
    // not fit its rule).
    using Curves = std::array<std::optional<juce::Path>, numPaths>;
    Curves readCurves (const std::vector<FileToRead>& files, int W, int H);

    //==========================================================================
    struct HighPass
    {
        int pair, one, frequency, slope;
        bool operator== (const HighPass& o) const noexcept
        {
            return pair == o.pair && one == o.one && frequency == o.frequency && slope == o.slope;
        }
    };

    struct CrossoverCommands
    {
        std::vector<HighPass> highPasses;   // HI, in order
        std::optional<int> outputCode;      // FO
    };

    // The HI and FO commands "Apply CrossOver" sends for an output
    // configuration number and the three crossover frequencies.
    CrossoverCommands crossoverCommands (int configuration, int f1, int f2, int f3, int slope);
}
