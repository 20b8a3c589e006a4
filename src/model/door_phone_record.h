#pragma once
// Store record: one door phone.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TDf {};

}  // namespace zarnik
