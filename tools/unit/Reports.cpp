#include "Reports.h"

#include "Blocks.h"

#include <algorithm>
#include <cmath>

namespace unit
{

using osc::Arg;

int clockSource (const UnitState& s)
{
    const auto source = s.intSetting ("CS", 0, 1);
    return source >= 1 && source <= 3 ? source : 1;
}

int sampleClock (const UnitState& s)
{
    const auto clock = s.intSetting ("SC", 0, 1);
    return clock >= 1 && clock <= 4 ? clock : 1;
}

int clockRateForReport (const UnitState& s)
{
    // The external sources are taken as running at 48k; the rate values are
    // those of each source's column "48k Hz".
    switch (clockSource (s))
    {
        case 2:  return 2;
        case 3:  return 1;
        default: return sampleClock (s);
    }
}

int clockComboId (const UnitState& s)
{
    switch (clockSource (s))
    {
        case 2:  return 5;
        case 3:  return 6;
        default: return sampleClock (s);
    }
}

int filterTapId (const UnitState& s)
{
    switch (s.intSetting ("AP", 0, 4096))
    {
        case 256:  return 1;
        case 512:  return 2;
        case 1024: return 3;
        case 2048: return 4;
        default:   return 5;
    }
}

std::vector<osc::Message> selectionReports (const UnitState& s, const std::string& ownAddress)
{
    const auto addr = [&] { return Arg::string (ownAddress); };

    std::vector<osc::Message> reports;
    reports.push_back (osc::coded ("UN", { Arg::string (s.name) }));
    reports.push_back (osc::coded ("VR", { Arg::string (s.version) }));
    reports.push_back (osc::coded ("SC", { Arg::int32 (clockSource (s)), Arg::int32 (clockRateForReport (s)) }));
    reports.push_back (osc::coded ("OT", {
        Arg::float32 ((float) s.intSetting ("HI/1", 2, 50)),
        Arg::float32 ((float) s.intSetting ("HI/3", 2, 500)),
        Arg::float32 ((float) s.intSetting ("HI/5", 2, 5000)),
        Arg::float32 (s.floatSetting ("NL", 0, -20.0f)),
        Arg::int32 (clockSource (s)),
        Arg::int32 (clockSource (s) == 1 ? sampleClock (s) : 1),
        Arg::int32 (filterTapId (s)),
        Arg::int32 (s.intSetting ("CP", 0, 34)),
        Arg::int32 (s.intSetting ("CP", 1, 400)),
        Arg::int32 (s.intSetting ("CP", 2, 600)) }));
    reports.push_back (osc::coded ("GN", { Arg::float32 (s.floatSetting ("GA", 0, 0.0f)), addr() }));
    reports.push_back (osc::coded ("AA", { Arg::int32 (s.intSetting ("SE", 0, 0)), addr() }));
    reports.push_back (osc::coded ("BP", { Arg::int32 (s.intSetting ("OP", 0, 1)), addr() }));
    reports.push_back (osc::coded ("MT", { Arg::int32 (s.intSetting ("MU", 0, 0)), addr() }));
    reports.push_back (osc::coded ("CS", { Arg::int32 (clockComboId (s)), addr() }));
    reports.push_back (osc::coded ("48", { Arg::int32 (s.intSetting ("CR", 0, 0) != 0 ? 1 : 0) }));

    for (int band : { 1, 3, 5, 7 })
        reports.push_back (osc::coded ("LV", { Arg::int32 (band),
                                               Arg::float32 (s.floatSetting ("LV/" + std::to_string (band), 1, 0.0f)) }));

    return reports;
}

namespace
{
    void append (std::vector<osc::Message>& out, std::vector<osc::Message> more)
    {
        out.insert (out.end(), std::make_move_iterator (more.begin()), std::make_move_iterator (more.end()));
    }

    const std::vector<std::uint8_t>& stored (const UnitState& s, std::uint32_t word)
    {
        static const std::vector<std::uint8_t> none;
        const auto it = s.blocks.find (word);
        return it == s.blocks.end() ? none : it->second;
    }
}

std::vector<osc::Message> spectrumBlock (const UnitState& s, std::int32_t number)
{
    const auto it = s.spectra.find (number);
    if (it == s.spectra.end())
        return {};
    return blocks::spectrumBlock (number, blocks::fromFloats (it->second));
}

std::vector<osc::Message> pointRecordBlocks (const UnitState& s)
{
    std::vector<osc::Message> out;
    append (out, blocks::block (blocks::reg, stored (s, blocks::reg)));
    append (out, blocks::block (blocks::despoint, stored (s, blocks::despoint)));
    out.push_back (osc::coded ("RK"));
    return out;
}

std::vector<osc::Message> selectionBlocks (const UnitState& s)
{
    std::vector<osc::Message> out = pointRecordBlocks (s);

    for (auto word : { blocks::cross, blocks::amplitude, blocks::psdL, blocks::psdR })
        append (out, blocks::block (word, stored (s, word)));

    append (out, blocks::block (blocks::lmt, stored (s, blocks::lmt)));
    out.push_back (osc::coded ("LK"));

    // The measured points, then the results; with results the application
    // reloads every curve.
    std::int32_t last = 0;
    for (const auto& entry : s.spectra)
    {
        append (out, spectrumBlock (s, entry.first));
        last = entry.first;
    }

    if (last != 0)
        out.push_back (osc::coded ("MN", { Arg::int32 (last >= 11 ? 13 : last) }));

    return out;
}

namespace
{
    constexpr double twoPi = 6.283185307179586;

    // A smooth pseudo-random wobble in [-1, 1] for a channel at a moment.
    double wobble (double seconds, int channel)
    {
        const double t = seconds * 7.0 + channel * 13.1;
        const auto step = (std::uint32_t) std::floor (t);
        const double frac = t - std::floor (t);
        synth::Noise a (step * 31u + (std::uint32_t) channel), b ((step + 1) * 31u + (std::uint32_t) channel);
        const double x = a.next(), y = b.next();
        return x + (y - x) * frac * frac * (3 - 2 * frac);
    }

    float linear (double db)
    {
        return (float) (16777216.0 * std::pow (10.0, std::min (0.0, db) / 20.0));
    }
}

osc::Message levelReport (const UnitState& s, double seconds, bool testSignal, const std::string& ownAddress)
{
    const int code = s.outputConfigurationCode();
    const bool sub = (code & 4) != 0;
    const int ways = (code & 3) == 3 ? 3 : ((code & 3) == 1 ? 2 : 1);
    const bool bandUsed[4] = { sub, true, ways >= 2, ways >= 3 };
    const double bandTilt[4] = { 2.0, 0.0, -3.0, -7.0 };

    const bool masterMuted = s.intSetting ("MU", 0, 0) != 0;
    const double master = s.floatSetting ("GA", 0, 0.0f);

    double levels[10], peaks[10];
    for (int c = 0; c < 10; ++c)
    {
        const double program = testSignal ? -14.0 + 0.5 * wobble (seconds, c)
                                          : -20.0 + 5.0 * std::sin (twoPi * 0.21 * seconds + 0.7 * c)
                                                  + 3.0 * std::sin (twoPi * 1.3 * seconds + c) + 2.0 * wobble (seconds, c);
        double level = program + master;
        bool silent = masterMuted;

        if (c < 8)
        {
            const int band = c / 2 + 1;
            level += bandTilt[band - 1] + s.floatSetting ("LV/" + std::to_string (2 * band - 1), 1, 0.0f);
            silent = silent || ! bandUsed[band - 1] || s.intSetting ("MT/" + std::to_string (band), 1, 0) != 0;
        }

        levels[c] = silent ? -1000.0 : level;
        peaks[c] = silent ? -1000.0 : level + 4.0 + 2.0 * std::abs (wobble (seconds + 0.5, c + 20));
    }

    std::vector<Arg> args;
    for (double l : levels) args.push_back (Arg::float32 (l < -900 ? 0.0f : linear (l)));
    for (double p : peaks)  args.push_back (Arg::float32 (p < -900 ? 0.0f : linear (p)));
    args.push_back (Arg::string (ownAddress));
    return osc::coded ("VA", std::move (args));
}

osc::Message inputLevelReport (const UnitState& s, double seconds, bool testSignal)
{
    // The room's sound pressure, and the level the microphone input shows
    // for it at the gain set.
    const double spl = testSignal ? 86.0 + 1.5 * wobble (seconds, 40)
                                  : 48.0 + 4.0 * std::sin (twoPi * 0.13 * seconds) + 2.0 * wobble (seconds, 41);
    const double v = spl - 192.0 + 0.5 * s.floatSetting ("ML", 0, 190.0f);
    return osc::coded ("IL", { Arg::float32 ((float) v) });
}

} // namespace unit
