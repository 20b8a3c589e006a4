#pragma once
// Store record: one subscriber line.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TAL {};

}  // namespace zarnik
