#pragma once
// Store record: one incoming routing table, the subscriber lines an incoming call is offered to.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zarnik {

inline constexpr std::size_t kRoutingRows = 4;
inline constexpr std::size_t kRoutingRowEntries = 5;

struct TNavedenRecord {
    // Port numbers, 0 for an empty entry; a row is used up to its first 0.
    std::array<std::array<std::int32_t, kRoutingRowEntries>, kRoutingRows> Rows{};
    void Clear() {
        for (auto& row : Rows) row.fill(0);
    }
};

}  // namespace zarnik
