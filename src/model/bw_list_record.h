#pragma once
// Store record: the black and white lists.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TBlackWhiteList {};

}  // namespace zarnik
