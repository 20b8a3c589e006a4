#pragma once
// Store record: system-phone buttons of one phone.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TSTAButtonTable {};

}  // namespace zarnik
