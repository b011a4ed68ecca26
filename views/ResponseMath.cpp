#include "views/ResponseMath.h"

#include "link/CacheFiles.h"

#include <algorithm>
#include <cmath>

namespace ResponseMath
{

namespace
{
    constexpr double log5Over3 = 0.23299000144533963;   // log10 (5) / 3

    // Fixed limits of the curves, the right end and the bottom of the plot
    // in the fixed window.
    constexpr float rightLimit = 713.0f;
    constexpr float bottomLimit = 295.0f;

    // Display modes beyond any file the unit numbers.
    constexpr int maxFileNumber = 64;
}

double x100 (int W) noexcept
{
    return 30.0 + (W - 40) * log5Over3;
}

double x10k (int W) noexcept
{
    return x100 (W) + (W - 40) * 0.6666666666666666;
}

double frequencyAt (double x, int W) noexcept
{
    return std::pow (10.0, 2.0 + 2.0 * (x - x100 (W)) / (x10k (W) - x100 (W)));
}

double xOf (double frequency, int W) noexcept
{
    return x100 (W) + std::log10 (frequency / 100.0) * 0.5 * (x10k (W) - x100 (W));
}

juce::String markerLabel (int x, int W)
{
    const auto f = frequencyAt (x, W);
    const auto k = f / 1000.0;

    if (k >= 1.0)
        return juce::String (k, k > 10.0 ? 1 : 2) + "k";

    const auto r = juce::roundToInt (f);
    if (r >= 100 && r <= 500)
        return juce::String (juce::roundToInt ((f + 2.5) / 5.0) * 5);
    if (r > 500 && r <= 1000)
        return juce::String (juce::roundToInt ((f + 5.0) / 10.0) * 10);

    return juce::String (juce::roundToInt (f + 0.5));
}

juce::String handOverText (const juce::String& label)
{
    if (label.endsWith ("k"))
        return juce::String (juce::roundToInt (label.dropLastCharacters (1).getFloatValue() * 1000.0f));

    return label;
}

float levelStep (int H) noexcept
{
    return (float) (H - 30) / 12.0f;
}

std::optional<int> pathIndexFor (Rule rule, int header) noexcept
{
    if (rule == Rule::level && header >= 1 && header <= 5)
        return header - 1;
    if (rule == Rule::leftRight && (header == 11 || header == 12))
        return header - 11 + 5;
    return std::nullopt;
}

juce::Path buildSpectrumCurve (const std::vector<float>& v, Rule rule, int W, int H)
{
    juce::Path curve;
    if ((int) v.size() < 2 * numPoints)
        return curve;

    const auto left = x100 (W);
    const auto d = (float) (x10k (W) - left);
    bool started = false;

    for (int i = 0; i < numPoints; ++i)
    {
        const auto value = v[(size_t) i];
        const auto frequency = (double) v[(size_t) (numPoints + i)];

        const auto x = (float) (left + std::log10 (frequency / 100.0) * 0.5 * d);
        auto y = rule == Rule::level ? (float) H - (2.0f * std::log10 (std::abs (value)) * 25.0f + 400.0f)
                                     : -55.0f - value;

        if (i > 0)
        {
            if (! (x < rightLimit))
                continue;
            y = juce::jmin (y, bottomLimit);
        }

        // A frequency of 0 or a value of 0 has no logarithm; a file of
        // garbage must not put infinities into a path.
        if (! std::isfinite (x) || ! std::isfinite (y))
            continue;

        if (started)
            curve.lineTo (x, y);
        else
            curve.startNewSubPath (x, y);

        started = true;
    }

    return curve;
}

std::vector<FileToRead> filesToRead (int mode, bool fullReload)
{
    std::vector<FileToRead> files;

    // A full reload asks again for files the display mode has already read;
    // reading one twice in a row only gives the same curve again.
    const auto add = [&files] (FileToRead f)
    {
        if (std::find (files.begin(), files.end(), f) == files.end())
            files.push_back (f);
    };

    const auto levelsUpTo = [&add] (int last)
    {
        for (int n = 1; n <= juce::jmin (last, maxFileNumber); ++n)
            add ({ n, Rule::level });
    };

    if (mode >= 1 && mode <= 5)
        levelsUpTo (mode);

    if (mode == 11 || mode == 12)
        for (int n = 11; n <= mode; ++n)
            add ({ n, Rule::leftRight });

    if (fullReload)
    {
        if (mode >= 1)
            levelsUpTo (mode);

        add ({ 11, Rule::leftRight });
        add ({ 12, Rule::leftRight });
    }

    return files;
}

Curves readCurves (const std::vector<FileToRead>& files, int W, int H)
{
    Curves curves;

    for (const auto& file : files)
    {
        const auto spectrum = CacheFiles::readSpectrum (CacheFiles::spectrumPath (file.number), 2 * numPoints);
        if (! spectrum)
            continue;

        if (const auto index = pathIndexFor (file.rule, spectrum->k))
            curves[(size_t) *index] = buildSpectrumCurve (spectrum->values, file.rule, W, H);
    }

    return curves;
}

CrossoverCommands crossoverCommands (int configuration, int f1, int f2, int f3, int slope)
{
    CrossoverCommands c;

    if (configuration < 1 || configuration > 9)
        return c;

    if (configuration == 1)
    {
        c.highPasses.push_back ({ 1, 1, 20, slope });
        c.outputCode = 0;
        return c;
    }

    c.highPasses.push_back ({ 1, 1, f1, slope });
    if (configuration >= 4)
        c.highPasses.push_back ({ 3, 1, f2, slope });
    if (configuration >= 7)
        c.highPasses.push_back ({ 5, 1, f3, slope });

    static constexpr int codes[] = { 0, 0, 12, 4, 1, 13, 5, 3, 15, 7 };
    c.outputCode = codes[configuration];
    return c;
}

}
