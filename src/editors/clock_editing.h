#pragma once
// The clock window without its widgets: the station clock it shows runs on by itself between
// two identifications.

#include "link/main_class.h"

namespace zarnik {

// t moved by `seconds` (negative goes back), across days, months and years of the ordinary
// calendar. The window's timer moves the station clock one second per tick.
TStationDateTime AdvanceStationClock(const TStationDateTime& t, long long seconds);

}  // namespace zarnik
