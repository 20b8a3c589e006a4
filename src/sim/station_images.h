#pragma once
// Between the simulated station's images and a session's raw areas: the same bytes, addressed
// once by request code and index, once by table and slot.

#include <string>

#include "link/main_class.h"
#include "sim/sim_station.h"

namespace zarnik::sim {

// The session's raw areas become the station's table images.
void AreasToImages(const TMainClass& session, TSimStation& station);
// The station's table images become the session's raw areas (for saving what it holds).
void ImagesToAreas(const TSimStation& station, TMainClass& session);

// The session's identification and status blocks become the station's (for --from FILE).
void SessionToStation(const TMainClass& session, TSimStation& station);
// The station's identification and status blocks go into an offline session.
void StationToSession(const TSimStation& station, TMainClass& session);

// Fills the sixteen tables with a plausible configuration, encoded by the program's codecs.
void FillDemoImages(TSimStation& station);

// Loads a configuration file into the station; false (station unchanged) when the file is
// refused, with the reason in *error.
bool LoadStationFromFile(const std::string& path, TSimStation& station, std::string* error);
// Writes what the station holds as a configuration file.
bool SaveStationToFile(const TSimStation& station, const std::string& path, std::string* error);

}  // namespace zarnik::sim
