#pragma once
// Store record: system-phone buttons of one phone.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

inline constexpr std::size_t kStaButtonTexts = 254;

struct TSTAButtonTable {
    // Button code texts as the button table shows them ("101", "SL20", "Conf1"), button 0
    // first; empty for an unprogrammed button. Only the first ButtonCount are used.
    std::array<std::string, kStaButtonTexts> Buttons;
    std::uint16_t ButtonCount = 0;  // 48 or 60, as the working program has them
    std::int32_t LinkedSta = -1;    // port number of the linked system phone, -1 for none

    bool operator==(const TSTAButtonTable&) const = default;
};

}  // namespace zarnik
