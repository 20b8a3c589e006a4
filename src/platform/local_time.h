#pragma once
// The computer's local calendar time of a moment, safe to call from any thread.

#include <ctime>

namespace zarnik {

std::tm LocalTime(std::time_t t);

}  // namespace zarnik
