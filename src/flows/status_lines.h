#pragma once
// The texts the main window shows about the configuration in hand (UTF-8).

#include <array>
#include <string>
#include <vector>

#include "model/data_stream.h"

namespace zarnik {

// The four identity lines: caption followed by the store's text.
std::array<std::string, 4> StatusLines(const TDataStream& store);
// The same four captions with nothing after them.
std::array<std::string, 4> BareStatusLines();

// The composition as the composition window shows it: one row per entry, five cells
// (number, board type, serial, version, firmware date).
std::vector<std::array<std::string, 5>> CompositionRows(const TDataStream& store);

}  // namespace zarnik
