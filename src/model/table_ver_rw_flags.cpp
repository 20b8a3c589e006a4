#include "model/table_ver_rw_flags.h"

#include "model/broadcaster.h"

namespace zarnik {

namespace {
// "At least" as the station's own version test reads it: greater, equal or malformed.
bool AtLeast(const std::string& version, const char* reference) {
    return TBroadcaster::CompareVersions(version, reference) != 0;
}
bool Below(const std::string& version, const char* reference) {
    return TBroadcaster::CompareVersions(version, reference) == 0;
}
}  // namespace

TTableVerRWFlags::TTableVerRWFlags(const std::string& model, const std::string& version) {
    constexpr std::array<std::uint8_t, 12> kMonths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (std::size_t i = 0; i < 12; ++i) Bytes[i] = kMonths[i];
    auto set = [this](int i, bool v) { Bytes[static_cast<std::size_t>(i)] = v ? 1 : 0; };
    for (int i : {30, 31, 15, 16, 17, 18, 26, 27}) set(i, true);
    set(28, AtLeast(version, "28,6"));
    set(19, true);
    set(20, true);
    set(21, AtLeast(version, "28,6"));
    set(24, true);
    set(22, true);
    set(22, AtLeast(version, "24,4"));
    set(23, AtLeast(version, "24,3"));
    set(29, AtLeast(version, "24,4"));
    for (int i = 32; i <= 40; ++i) set(i, true);
    for (int i : {20, 27, 25}) set(i, AtLeast(version, "24,3"));
    set(25, model.find("Alder") == std::string::npos && model.find("Birch") == std::string::npos);
    if (Below(version, "23,8")) {
        for (int i : {40, 17, 18, 16, 30}) set(i, false);
    }
}

std::array<std::uint8_t, 12> TTableVerRWFlags::MonthLengths() const {
    std::array<std::uint8_t, 12> m{};
    for (std::size_t i = 0; i < 12; ++i) m[i] = Bytes[i];
    return m;
}

}  // namespace zarnik
