#pragma once
// Store record: one subscriber line's redirection.

#include <array>
#include <cstdint>
#include <string>

namespace zarnik {

struct TRedirectRecord {};

}  // namespace zarnik
