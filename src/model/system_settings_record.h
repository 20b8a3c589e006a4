#pragma once
// Store record: system-wide settings.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TSystemSettings {};

}  // namespace zarnik
