#pragma once
// TDataStream: one whole station configuration in memory, in fixed-capacity arrays sized for the
// largest station. The model and composition decide only how many entries are in use.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/bw_list_record.h"
#include "model/deep_ptr.h"
#include "model/conference_record.h"
#include "model/door_phone_record.h"
#include "model/group_record.h"
#include "model/loudspeaker_record.h"
#include "model/names_list.h"
#include "model/phone_book_record.h"
#include "model/port.h"
#include "model/redirection_record.h"
#include "model/routing_table_record.h"
#include "model/sta_button_record.h"
#include "model/subscriber_line_record.h"
#include "model/system_settings_record.h"
#include "model/table_ids.h"
#include "model/time_settings_record.h"
#include "model/trunk_line_record.h"

namespace zarnik {

// Capacities of the store.
inline constexpr std::size_t kMaxStaPhones = 45;
inline constexpr std::size_t kMaxCompositionSlots = 50;
inline constexpr std::size_t kMaxDoorPhones = 64;
inline constexpr std::size_t kMaxLoudspeakers = 64;
inline constexpr std::size_t kGroupPhoneBooks = 20;
inline constexpr std::size_t kMaxGroups = 60;
inline constexpr std::size_t kMaxSubscriberLines = 500;
inline constexpr std::size_t kMaxTrunkLines = 200;
inline constexpr std::size_t kMaxRedirections = 500;
inline constexpr std::size_t kMaxRoutingTables = 100;
inline constexpr std::size_t kMaxConferences = 60;

struct TCompositionEntry {
    std::string BoardType;  // "Kama", ..., "Clear", "Double"
    std::string Serial;
    std::string Version;
    std::string FirmwareDate;
};

// Default time settings: per timer the default multiplier (code) and the step in seconds.
struct TTimeDefaults {
    std::array<std::uint16_t, 26> Codes{};
    std::array<float, 26> Values{};
};

struct TDataStream {
    TDataStream();  // names list from the current directory
    explicit TDataStream(const std::string& baseDir);

    std::string StationName;
    std::string VersionText;
    std::string SerialText;
    std::string ReservedText;
    std::string BufferText;  // Windows-1251, like the other identity texts
    std::string Model;
    std::array<std::uint16_t, 4> IdValues{};
    std::array<bool, kTableCount> TransferFlags{};
    std::array<std::int32_t, 6> StationTime{};
    std::uint16_t BufferCapacity = 0;
    std::uint16_t BufferUsed = 0;

    TSystemSettings SystemSettings;
    TTimeDefaults TimeDefaults;
    TTimeSettings TimeSettings;
    std::array<TSTAButtonTable, kMaxStaPhones> StaButtons;

    std::array<TCompositionEntry, kMaxCompositionSlots> Composition;
    std::uint16_t CompositionCount = 0;

    std::array<TDf, kMaxDoorPhones> DoorPhones;
    std::uint16_t DoorPhoneCount = 0;
    std::array<TGGS, kMaxLoudspeakers> Loudspeakers;
    std::uint16_t LoudspeakerCount = 0;

    TDeepPtr<TGlobalExtNum> GlobalExtNum;
    std::array<TGroupExternNum, kGroupPhoneBooks> GroupExtNums;
    std::array<TGroup, kMaxGroups> Groups;
    std::array<TAL, kMaxSubscriberLines> Lines;
    std::array<TSL, kMaxTrunkLines> TrunkLines;
    std::array<TRedirectRecord, kMaxRedirections> Redirections;
    std::uint16_t RedirectionCount = 0;
    std::array<TNavedenRecord, kMaxRoutingTables> RoutingTables;
    std::array<TConfRecord, kMaxConferences> Conferences;
    TBlackWhiteList BlackWhiteList;

    TPortPtr CurrentPort;
    std::vector<TPortPtr> Ports;
    std::shared_ptr<TNamesList> Names;

    bool Selected(ETable t) const { return TransferFlags[static_cast<std::size_t>(SelectionIndex(t))]; }
};

using TDataStreamPtr = std::shared_ptr<TDataStream>;

}  // namespace zarnik
