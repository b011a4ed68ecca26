#include "Reports.h"

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
    reports.push_back (osc::coded ("48", { Arg::int32 (s.intSetting ("MT/5", 1, 0)) }));

    for (int band : { 1, 3, 5, 7 })
        reports.push_back (osc::coded ("LV", { Arg::int32 (band),
                                               Arg::float32 (s.floatSetting ("LV/" + std::to_string (band), 1, 0.0f)) }));

    return reports;
}

} // namespace unit
