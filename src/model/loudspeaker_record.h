#pragma once
// Store record: one loudspeaker channel.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TGGS {};

}  // namespace zarnik
