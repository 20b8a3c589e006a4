#pragma once
// Ready-made stations of the four models, each with a composition whose ports agree with the
// line counts of its identification, so a technician can demonstrate or train without hardware.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_station.h"

namespace zarnik::sim {

// "Alder", "Birch", "Cedar" or "Dogwood"; throws std::invalid_argument for anything else.
// secondUnit fills the Cedar's slots of the second unit (above 5) with boards.
// The result already carries its table images (AddTableImages).
TSimStation MakeBuiltinStation(const std::string& model, bool secondUnit);
// The same with another working-program version ("24,3"): the time defaults and the tables are
// shaped for it. Throws std::invalid_argument for a malformed version as for a model.
TSimStation MakeBuiltinStation(const std::string& model, bool secondUnit,
                               const std::string& version);
// The same without table images, for a caller that changes the identity first and then calls
// AddTableImages once: building the images is by far the slowest step.
TSimStation MakeBareBuiltinStation(const std::string& model, bool secondUnit);

// The device code of a model name, 0 when the name is not a model.
std::uint8_t DeviceCodeOf(const std::string& model);

// Line and port counts that a list of board codes gives on a station of the given device code.
struct TPortCounts {
    int Trunk = 0;
    int Subscriber = 0;
    int Sta = 0;
    int Door = 0;
};
TPortCounts CountPorts(std::uint8_t deviceCode, const std::vector<std::uint8_t>& boardCodes);

// Version-dependent blocks: the number of timers in the time defaults follows the version.
void FitTimeDefaultsToVersion(TSimStation& station);

// Parses "24,8" into bytes 7 and 6 of the identification (7 = 2, 6 = 0x48); false if malformed.
bool ParseVersionText(const std::string& text, std::uint8_t& major, std::uint8_t& minorByte);

// Fills Images with the sixteen tables, shaped for the station's identity and composition.
// Call it again after changing the identity; it replaces what it sets.
void AddTableImages(TSimStation& station);

}  // namespace zarnik::sim
