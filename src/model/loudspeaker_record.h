#pragma once
// Store record: one loudspeaker channel.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TGGS {
    std::string LinkPort;  // port number of the attached subscriber line, "" for none
    bool AutoOff = false;  // automatic switch-off is forbidden

    bool operator==(const TGGS&) const = default;
};

}  // namespace zarnik
