#pragma once
// Store record: one trunk line.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TSL {};

}  // namespace zarnik
