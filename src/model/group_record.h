#pragma once
// Store record: one group.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TGroup {};

}  // namespace zarnik
