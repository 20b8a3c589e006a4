#pragma once
// Store record: system-wide settings.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

// A switch time of day as the settings window edits it. The milliseconds are always 0 after a
// decode and are ignored by the encode; they are kept because the time pickers carry them.
struct TSwitchTime {
    std::uint16_t Milliseconds = 0;
    std::uint16_t Seconds = 0;
    std::uint16_t Minutes = 0;
    std::uint16_t Hours = 0;
    bool operator==(const TSwitchTime&) const = default;
};

struct TSystemSettings {
    bool SYS_UniformSLLoading = false;   // trunk lines are seized evenly
    bool SYS_TarINCall = false;          // incoming calls are accounted
    bool SYS_ToneDial = false;           // tone dialling allowed
    bool SYS_NotInterCityTar = false;    // non-long-distance outgoing calls not accounted
    bool SYS_TAProgrammingOFF = false;   // programming from a telephone set forbidden
    bool SYS_AutoEraseTar = false;       // old accounting records erased automatically
    bool SYS_SignalToSLForDISA = false;  // signal into trunk lines when DISA is switched on
    bool SYS_MGDigit0 = false;           // long distance 0 and international 00 (else 8, 10)
    TSwitchTime SYS_DayTime;             // switch to the day mode
    TSwitchTime SYS_NightTime;           // switch to the night mode
    bool operator==(const TSystemSettings&) const = default;
};

}  // namespace zarnik
