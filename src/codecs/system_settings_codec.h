#pragma once
// System-wide settings: eight station-wide switches in one byte and the two times of day at
// which the station changes between its day and night modes, in one frame of 5 bytes.

#include <array>

#include "codecs/table_codec.h"
#include "model/system_settings_record.h"

namespace zarnik {

// The switches in the order of their bits in byte 0 (bit 0 first), with their captions.
struct TSystemSwitch {
    bool TSystemSettings::*Field;
    const char* Caption;
};
extern const std::array<TSystemSwitch, 8> kSystemSwitches;

inline constexpr const char* kDayTimeCaption = "Время перехода на дневной режим :";
inline constexpr const char* kNightTimeCaption = "Время перехода на ночной режим : ";

// Station -> raw area: the data length, -1 no link, -5 every attempt failed (area cleared,
// length 0).
int ReadSystemSettings(TMainClass& session);
// Raw area -> station: 1 acknowledged, 0 no link (nothing sent), -5 never acknowledged.
int WriteSystemSettings(TMainClass& session);
// Raw area -> store. Returns 1.
int DecodeSystemSettings(TMainClass& session, TDataStream& store);
// Store -> raw area (length 5), sets the change flag. Returns 1.
int EncodeSystemSettings(TMainClass& session, TDataStream& store);

}  // namespace zarnik
