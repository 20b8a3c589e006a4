#pragma once
// The station clock: its four wire bytes, the comparison with the computer's clock, and the
// clock command that sets it.

#include <array>
#include <cstdint>

#include "link/main_class.h"

namespace zarnik {

// Day number since 1980-01-01 and time of day in time units, low bytes first.
std::array<std::uint8_t, 4> EncodeStationClock(const TStationDateTime& t, std::uint8_t timeUnit);

// The clock held in bytes 0-3 of the decoded identification.
TStationDateTime StationClockFromIdentification(const TMainClass& session);

// Local date and time of a system clock point.
TStationDateTime LocalDateTime(std::chrono::system_clock::time_point point);

// Seconds from a to b (b - a), on the station's calendar.
double SecondsBetween(const TStationDateTime& a, const TStationDateTime& b);

// More than 0.0055 of a day apart, in either direction.
bool ClockDiffersNoticeably(const TStationDateTime& station, const TStationDateTime& computer);

// Asks whether to set the station clock when it differs noticeably from the computer's; on OK
// opens the clock window (when the program has one). Where the session has ClockDiffers set,
// that is told the difference instead and nothing is asked.
void CompareStationClock(TMainClass& session, const TStationDateTime& station);

// Sets the station clock: false when there is no link or after five unacknowledged commands.
bool SetStationClock(TMainClass& session, const TStationDateTime& t);

}  // namespace zarnik
