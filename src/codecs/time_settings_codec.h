#pragma once
// Time settings: the values of the station's timers T10..T35, one 16-bit word per timer in
// eighths of a second. T34 exists only on stations with quick conferences, T35 only from
// working program 24,4 on.

#include <array>

#include "codecs/table_codec.h"
#include "model/time_settings_record.h"

namespace zarnik {

struct TTimerInfo {
    const char* Name;         // "T10" .. "T35"
    const char* Description;  // shown beside the timer, UTF-8
};
extern const std::array<TTimerInfo, kTimerCount> kTimers;

// Timers 1..24 always travel; these two only when the station has them.
inline constexpr std::size_t kConferenceTimer = 24;    // T34
inline constexpr std::size_t kPassivePauseTimer = 25;  // T35

// Station -> raw area: the data length (always even: an odd answer gains a zero byte), -1 no
// link, -5 every attempt failed (area cleared, length 0).
int ReadTimeSettings(TMainClass& session);
// Raw area -> station: 1 acknowledged, 0 no link (nothing sent), -5 never acknowledged.
int WriteTimeSettings(TMainClass& session);
// Raw area -> store. Returns 1.
int DecodeTimeSettings(TMainClass& session, TDataStream& store);
// Store -> raw area (48, 50 or 52 bytes as the station's timers require), sets the change
// flag. Returns 1.
int EncodeTimeSettings(TMainClass& session, TDataStream& store);

// The raw length the encode gives the table on this station.
std::uint16_t TimeSettingsLength(const TTableVerRWFlags& flags);

}  // namespace zarnik
