#pragma once
// Phone books in the store: a count of entries in use and room for 100 entry texts.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TGlobalExtNum {
    std::uint16_t Count = 30;
    std::array<std::string, 100> Entries;
    void Reset() {
        Count = 30;
        Entries.fill({});
    }
};

struct TGroupExternNum {
    std::uint16_t Count = 20;
    std::array<std::string, 100> Entries;
    void Reset() {
        Count = 20;
        Entries.fill({});
    }
};

}  // namespace zarnik
