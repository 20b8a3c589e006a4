#pragma once
// Store record: the black and white lists. Five white-book sections and the black book, ten
// numbers each; entry 10 x s + k is number k of section s (section 5 is the black book).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zarnik {

inline constexpr std::size_t kBwListTexts = 100;
inline constexpr std::size_t kBwListEntries = 60;
inline constexpr std::size_t kBwSectionEntries = 10;
inline constexpr std::size_t kBwWhiteSections = 5;
inline constexpr std::size_t kBwBlackSection = 5;  // entries 50-59
inline constexpr std::size_t kBwEntrySymbols = 8;

struct TBlackWhiteList {
    std::array<std::string, kBwListTexts> Entries;
    std::int32_t Count = 0;
    std::array<std::uint8_t, 24> ListData{};  // kept with the list, never sent
    void Reset() {
        Entries.fill({});
        Count = static_cast<std::int32_t>(kBwListEntries);
        ListData.fill(0);
    }
};

}  // namespace zarnik
