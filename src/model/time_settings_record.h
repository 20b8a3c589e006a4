#pragma once
// Store record: time settings (timer values).

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TTimeSettings {};

}  // namespace zarnik
