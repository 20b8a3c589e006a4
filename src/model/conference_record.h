#pragma once
// Store record: one quick conference.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

inline constexpr std::size_t kMaxConferenceMembers = 255;

struct TConfRecord {
    std::int32_t MemberCount = 0;
    // Port numbers of the member lines, 0 for none; only the first MemberCount are used.
    std::array<std::int32_t, kMaxConferenceMembers> Members{};

    bool operator==(const TConfRecord&) const = default;
};

}  // namespace zarnik
