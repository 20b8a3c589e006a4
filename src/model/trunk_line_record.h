#pragma once
// Store record: one trunk line.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TSL {
    bool SL_OutgoingCall = false;  // outgoing calls forbidden
    bool SL_AutoOFFSL = false;
    bool SL_FAX = false;
    bool SL_TarINCall = false;
    bool SL_ToneDial = false;
    bool SL_ReplacementSignal = false;
    bool SL_RetreatInCall = false;
    bool SL_DISA = false;
    bool SL_NotInterCityTar = false;
    bool SL_OFFDISAForRetreatSignal = false;
    bool SL_SignalToSLForDISA = false;
    bool SL_ActivePauseAfter8 = false;  // carried only from working program 24,4 on
    bool SL_Dir01 = false;
    bool SL_Dir02 = false;
    bool SL_Dir03 = false;
    bool SL_Dir04 = false;
    bool SL_Dir05 = false;
    bool SL_Dir9 = false;
    std::int32_t SL_DayNaveden = -1;    // incoming routing table number, -1 for none
    std::int32_t SL_NightNaveden = -1;  // the same for the night
    std::int32_t SL_Type = 1;           // line type, 1-based
    std::int32_t SL_MGDigit = 8;        // long-distance digit 0..9
    std::string SL_AutoDial;            // up to 8 of 0-9 * # A P T
    std::int32_t SL_Block = -1;         // port number of the trunk line blocked with, -1 none
    bool operator==(const TSL&) const = default;
};

}  // namespace zarnik
