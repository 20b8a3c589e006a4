#pragma once
// Store record: one quick conference.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TConfRecord {};

}  // namespace zarnik
