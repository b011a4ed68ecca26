#pragma once

#include "OscCodec.h"
#include "UnitState.h"

#include <vector>

namespace unit
{

// The unit's settings as the reports carry them, derived from the commands it
// was sent (with the unit's own start values where none has arrived).
int clockSource (const UnitState&);          // 1 master, 2 AES, 3 word clock
int sampleClock (const UnitState&);          // 1 48k, 2 96k, 3 192k, 4 44.1k
int clockRateForReport (const UnitState&);   // the rate value of the "SC" report
int clockComboId (const UnitState&);         // 1..4 master rates, 5 AES, 6 word clock
int filterTapId (const UnitState&);          // 1..5 for 256 .. 4096 taps

// What the unit sends after "SR" then "SL": its state as reports, the
// addressed ones carrying ownAddress.
std::vector<osc::Message> selectionReports (const UnitState&, const std::string& ownAddress);

} // namespace unit
