#pragma once
// Store record: one incoming routing table.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TNavedenRecord {};

}  // namespace zarnik
