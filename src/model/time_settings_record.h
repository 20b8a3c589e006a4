#pragma once
// Store record: time settings (timer values).

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

// T10 .. T35 in table order.
inline constexpr std::size_t kTimerCount = 26;

struct TTimeSettings {
    // Timer values in seconds; index k - 1 is timer k (T10 is index 0, T35 index 25).
    std::array<float, kTimerCount> Values{};
    bool operator==(const TTimeSettings&) const = default;
};

}  // namespace zarnik
