#pragma once
// Which tables and features a station's working program supports, from model and version.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace zarnik {

class TTableVerRWFlags {
public:
    TTableVerRWFlags(const std::string& model, const std::string& version);

    bool Entry(int i) const { return i >= 12 && i < 41 && Bytes[static_cast<std::size_t>(i)] != 0; }
    std::array<std::uint8_t, 12> MonthLengths() const;

    // Named entries the program tests.
    bool ExtendedTimeTable() const { return Entry(22); }
    bool QuickConferences() const { return Entry(25); }
    bool BlackWhiteLists() const { return Entry(29); }
    bool VersionSupported() const { return Entry(30); }

    std::array<std::uint8_t, 41> Bytes{};
};

using TTableVerRWFlagsPtr = std::shared_ptr<const TTableVerRWFlags>;

}  // namespace zarnik
