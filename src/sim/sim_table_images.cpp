#include "sim/builtin_stations.h"
#include "sim/station_images.h"

namespace zarnik::sim {

// The images of the sixteen tables are built from the table codecs, so the simulated station
// hands out exactly what the program itself would write.
void AddTableImages(TSimStation& station) {
    FillDemoImages(station);
}

}  // namespace zarnik::sim
