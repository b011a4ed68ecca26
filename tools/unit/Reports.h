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

// Then its data blocks, each followed by the report that makes the
// application read it ("RK", "LK", "MN") once its closing word is out.
std::vector<osc::Message> selectionBlocks (const UnitState&);

// A spectrum the unit keeps, as a spectrum block.
std::vector<osc::Message> spectrumBlock (const UnitState&, std::int32_t number);

// The settings snapshot and target-curve points, then "RK".
std::vector<osc::Message> pointRecordBlocks (const UnitState&);

// The level report "VA" at a moment (seconds): the eight outputs and the two
// master channels, then their peaks, as linear values (2^24 is full scale).
// Muted channels and the bands the output configuration leaves unused are
// silent. `testSignal` while a point is being measured.
osc::Message levelReport (const UnitState&, double seconds, bool testSignal, const std::string& ownAddress);

// The input level report "IL" in dB, for the mic gain set.
osc::Message inputLevelReport (const UnitState&, double seconds, bool testSignal);

} // namespace unit
