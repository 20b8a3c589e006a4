#pragma once
// Store record: one door phone.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TDf {
    bool AllALOpening = false;  // every subscriber line may open the lock
    bool ResetInCall = false;   // drop an incoming call that cannot be taken
    bool DTMFOpening = false;   // the lock opens on a tone-dialled code
    std::string DayTable;       // routing table number as decimal text, "" for none
    std::string NightTable;     // likewise
    std::string LinkPort;       // port number of the attached subscriber line, "" for none
    std::string OpenCode;       // digits that open the lock, "" for none

    bool operator==(const TDf&) const = default;
};

}  // namespace zarnik
