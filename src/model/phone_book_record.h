#pragma once
// Phone books in the store: a count of entries in use and room for 100 entry texts.
// Entry texts hold the symbols "0"-"9", "*", "#", "A", "P", "T"; an empty text is an unused entry.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zarnik {

inline constexpr std::size_t kPhoneBookTexts = 100;
inline constexpr std::size_t kGlobalBookEntries = 30;  // three blocks of ten
inline constexpr std::size_t kGroupBookEntries = 20;   // two halves of ten
inline constexpr std::size_t kBookBlockEntries = 10;
inline constexpr std::size_t kBookEntrySymbols = 16;

struct TGlobalExtNum {
    std::uint16_t Count = kGlobalBookEntries;
    std::array<std::string, kPhoneBookTexts> Entries;
    void Reset() {
        Count = kGlobalBookEntries;
        Entries.fill({});
    }
};

struct TGroupExternNum {
    std::uint16_t Count = kGroupBookEntries;
    std::array<std::string, kPhoneBookTexts> Entries;
    void Reset() {
        Count = kGroupBookEntries;
        Entries.fill({});
    }
};

}  // namespace zarnik
