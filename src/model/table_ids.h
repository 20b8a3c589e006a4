#pragma once
// The sixteen transferable tables, numbered as the table-selection flags and check boxes are.

#include <array>
#include <cstdint>

namespace zarnik {

enum class ETable : int {
    TimeSettings = 0,
    SystemSettings = 1,
    GlobalPhoneBook = 2,
    Redirections = 3,
    ProgramNumbers = 4,
    Flash = 5,
    RoutingTables = 6,
    TrunkLines = 7,
    SubscriberLines = 8,
    Groups = 9,
    DoorPhones = 10,
    GroupPhoneBooks = 11,
    Loudspeakers = 12,
    StaButtons = 13,
    QuickConferences = 14,
    BlackWhiteLists = 15,
};

inline constexpr int kTableCount = 16;

constexpr int SelectionIndex(ETable t) { return static_cast<int>(t); }

// Index of the table's change flag in the session (a different order from the selection flags).
constexpr int ChangeIndex(ETable t) {
    constexpr std::array<int, kTableCount> kChange{14, 4, 9, 7, 11, 8, 3, 1, 0, 2, 5, 10, 6, 13, 12, 15};
    return kChange[static_cast<int>(t)];
}

// Record id of the table in configuration files.
constexpr int FileId(ETable t) {
    constexpr std::array<int, kTableCount> kIds{4, 2, 8, 12, 10, 9, 14, 17, 16, 15, 6, 18, 7, 1, 13, 19};
    return kIds[static_cast<int>(t)];
}

inline constexpr std::array<ETable, kTableCount> kAllTables{
    ETable::TimeSettings,    ETable::SystemSettings,  ETable::GlobalPhoneBook, ETable::Redirections,
    ETable::ProgramNumbers,  ETable::Flash,           ETable::RoutingTables,   ETable::TrunkLines,
    ETable::SubscriberLines, ETable::Groups,          ETable::DoorPhones,      ETable::GroupPhoneBooks,
    ETable::Loudspeakers,    ETable::StaButtons,      ETable::QuickConferences, ETable::BlackWhiteLists};

}  // namespace zarnik
