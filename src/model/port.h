#pragma once
// One port of the station and the port list built from the composition.

#include <cstdint>
#include <memory>
#include <string>

#include "model/deep_ptr.h"
#include "model/subscriber_line_record.h"
#include "model/trunk_line_record.h"

namespace zarnik {

struct TDataStream;

struct TPort {
    std::int32_t Number = 0;  // 200 + 10 x slot + position
    std::string Kind;         // "AL", "SL", "STA", "D", "" (later "Дф", "ГГС" in CP1251)
    std::int16_t Line = 0;    // 1-based line number
    std::int16_t Type = 0;    // 10 AL, 11 SL, 14 STA, 1 door phone, 0 empty; 12 / 13 once attached
    std::int16_t Slot = 0;
    TDeepPtr<TAL> AlData;
    TDeepPtr<TSL> SlData;
};

using TPortPtr = std::shared_ptr<TPort>;

inline constexpr std::int16_t kPortTypeSubscriber = 10;
inline constexpr std::int16_t kPortTypeTrunk = 11;
inline constexpr std::int16_t kPortTypeSta = 14;
inline constexpr std::int16_t kPortTypeDoorPhone = 1;
inline constexpr std::int16_t kPortTypeEmpty = 0;
inline constexpr std::int16_t kPortTypeAttachedDoorPhone = 12;
inline constexpr std::int16_t kPortTypeAttachedLoudspeaker = 13;

// Rebuilds store.Ports from Model and Composition: 1 done, -2 a board type was not recognised,
// -1 the model is of neither family.
int BuildPorts(TDataStream& store);

// A port that carries a line: subscriber line (also one with a door phone or a loudspeaker
// channel attached), trunk line or system phone. Door-phone places and empty places do not.
bool IsLinePort(const TPort& port);

// The first line port (IsLinePort) with that number, or null.
TPortPtr FindPort(const TDataStream& store, int number);

}  // namespace zarnik
