#pragma once
// Store record: one subscriber line's redirection.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TRedirectRecord {
    // 0: the line can be redirected; -1: the index has no port, or its port is neither a
    // subscriber line nor a system phone.
    std::int32_t State = 0;
    std::int32_t Target = 0;    // port number of the target line, 0 for no redirection
    std::int32_t Reserved = 0;  // carried, never used
    bool operator==(const TRedirectRecord&) const = default;
};

}  // namespace zarnik
