#pragma once
// Turning the station's status blocks (identification, call-accounting status, clock, time
// defaults, composition) into the store. Used after a read, a file load and offline building.

#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

// Identity texts, buffer status and station time into the store; with checkClock the station
// clock is compared with the computer's and the user is asked whether to set it.
int DecodeStationStatus(TMainClass& session, TDataStream& store, bool full, bool checkClock);

// The 26 default timers from the time-defaults block.
int DecodeTimeDefaults(const TMainClass& session, TDataStream& store);

// Composition entries from the board codes and detail records: 1 when a detail record did not
// match its slot or the model is unknown, else 0.
int DecodeComposition(const TMainClass& session, TDataStream& store);

// Board type of a composition code for a model, or "" when the code adds no entry there.
std::string BoardForCode(const std::string& model, std::uint8_t code, int slot);

}  // namespace zarnik
