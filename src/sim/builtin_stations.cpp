#include "sim/builtin_stations.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace zarnik::sim {

namespace {

constexpr std::uint8_t kCedar = 4;
constexpr std::uint8_t kDogwood = 6;
constexpr std::uint8_t kAlder = 7;
constexpr std::uint8_t kBirch = 8;
constexpr std::uint8_t kEmpty = 0xFF;

bool IsTenPort(std::uint8_t deviceCode) {
    return deviceCode == kCedar || deviceCode == kDogwood;
}

// Ports per board: trunk, subscriber, system phone, door phone.
TPortCounts TenPortBoard(std::uint8_t code) {
    switch (code) {
        case 1:
            return {5, 5, 0, 0};  // Kama
        case 2:
            return {0, 10, 0, 0};  // Neva
        case 3:
            return {3, 7, 0, 0};  // Don
        case 4:
        case 10:
            return {0, 6, 2, 2};  // Onega
        case 11:
            return {2, 2, 3, 3};  // Volga
        default:
            return {};
    }
}

TPortCounts EightPortBoard(std::uint8_t code) {
    switch (code) {
        case 1:
        case 9:
            return {2, 6, 0, 0};  // Oka
        case 2:
        case 10:
            return {1, 7, 0, 0};  // Ural
        case 3:
        case 11:
            return {0, 8, 0, 0};  // Svir
        case 7:
        case 12:
            return {0, 0, 4, 4};  // Lena, LenaN
        default:
            return {};
    }
}

struct TTimerDefault {
    std::uint8_t Multiplier;  // default = multiplier x step
    std::uint16_t QuarterSeconds;
};

// T10 .. T35.
constexpr std::array<TTimerDefault, 26> kTimerDefaults{{
    {15, 8}, {5, 4},   {5, 8},  {3, 4},  {5, 16},   {5, 8},  {5, 4},  {10, 16}, {2, 2},
    {2, 4},  {10, 8},  {5, 16}, {5, 16}, {5, 16},   {3, 16}, {5, 8},  {15, 32}, {10, 240},
    {6, 40}, {5, 240}, {5, 8},  {3, 4},  {10, 120}, {2, 4},  {8, 16}, {4, 1},
}};

// "24,4" -> 2404: the part after the comma counts as two decimals.
int VersionNumber(const TSimIdentity& id) {
    const int hi = id.VersionMinorByte >> 4;
    const int lo = id.VersionMinorByte & 0x0F;
    return (id.VersionMajor * 10 + hi) * 100 + lo;
}

constexpr int kExtendedTimersFrom = 2404;   // T35
constexpr int kConferenceTimerFrom = 2403;  // T34, where quick conferences exist

struct TModelPlan {
    std::uint8_t DeviceCode;
    std::uint16_t Serial;
    std::uint8_t RoutingTables;
    std::uint8_t LoudspeakerChannels;
    std::vector<std::uint8_t> Boards;
};

TModelPlan PlanOf(std::uint8_t deviceCode, bool secondUnit) {
    const std::uint8_t e = kEmpty;
    switch (deviceCode) {
        case kCedar: {
            // Slots 6, 7 and 14 are never fitted; 8 and above belong to the second unit.
            std::vector<std::uint8_t> boards{1, 3, 11, 2, 10, e, e, e, e, e, e, e, e, e, e, e, e};
            if (secondUnit) {
                const std::array<std::uint8_t, 8> second{1, 2, 3, 11, e, e, 2, e};
                const std::array<int, 8> slots{8, 9, 10, 11, 12, 13, 15, 16};
                for (std::size_t i = 0; i < slots.size(); ++i)
                    boards[static_cast<std::size_t>(slots[i])] = second[i];
            }
            return {kCedar, 4217, 48, 4, boards};
        }
        case kDogwood:
            // Dogwood lists 17 slots of which the last two are never fitted.
            return {kDogwood, 6105, 48, 4, {1, 1, 3, 11, 2, 2, 4, e, e, e, e, e, e, e, e, e, e}};
        case kAlder:
            return {kAlder, 7033, 16, 2, {1, 2, 3, 7, e, e, e}};
        case kBirch:
            return {kBirch, 8264, 16, 2, {1, 9, 2, 3, 11, 12, 7, e, e, e, e}};
        default:
            throw std::invalid_argument("unknown station model");
    }
}

// Board detail: code, version, firmware date, serial.
TBytes DetailRecord(std::uint8_t code, std::size_t slot, std::uint16_t stationSerial) {
    // The reply's length is the record's format: 7 bytes carry a 16-bit serial number.
    if (code == kEmpty) return {code};  // an empty slot has no details
    TBytes record(7, 0);
    record[0] = code;
    const int day = StationDayNumber(2012, 3, 1) + static_cast<int>(slot) * 19 + code;
    const auto serial = static_cast<std::uint16_t>(stationSerial * 3 + slot * 41 + code);
    record[1] = 3;
    record[2] = static_cast<std::uint8_t>(code % 10);
    record[3] = static_cast<std::uint8_t>(day & 0xFF);
    record[4] = static_cast<std::uint8_t>(day >> 8);
    record[5] = static_cast<std::uint8_t>(serial & 0xFF);
    record[6] = static_cast<std::uint8_t>(serial >> 8);
    return record;
}

TBytes Words(std::initializer_list<std::uint16_t> words) {
    TBytes bytes;
    for (const std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return bytes;
}

std::uint8_t Clamp8(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

}  // namespace

std::uint8_t DeviceCodeOf(const std::string& model) {
    if (model == "Cedar") return kCedar;
    if (model == "Dogwood") return kDogwood;
    if (model == "Alder") return kAlder;
    if (model == "Birch") return kBirch;
    return 0;
}

TPortCounts CountPorts(std::uint8_t deviceCode, const std::vector<std::uint8_t>& boardCodes) {
    TPortCounts total;
    for (const std::uint8_t code : boardCodes) {
        const TPortCounts board = IsTenPort(deviceCode) ? TenPortBoard(code) : EightPortBoard(code);
        total.Trunk += board.Trunk;
        total.Subscriber += board.Subscriber;
        total.Sta += board.Sta;
        total.Door += board.Door;
    }
    return total;
}

void FitTimeDefaultsToVersion(TSimStation& station) {
    const int version = VersionNumber(station.Identity);
    std::size_t timers = 24;
    if (version >= kExtendedTimersFrom)
        timers = 26;
    else if (version >= kConferenceTimerFrom && IsTenPort(station.Identity.DeviceCode))
        timers = 25;  // T34 exists where quick conferences do
    station.TimeDefaults.clear();
    for (std::size_t i = 0; i < timers; ++i) {
        const TTimerDefault& t = kTimerDefaults[i];
        const auto word =
            static_cast<std::uint16_t>(t.Multiplier << 12 | (t.QuarterSeconds & 0xFFF));
        station.TimeDefaults.push_back(static_cast<std::uint8_t>(word & 0xFF));
        station.TimeDefaults.push_back(static_cast<std::uint8_t>(word >> 8));
    }
}

bool ParseVersionText(const std::string& text, std::uint8_t& major, std::uint8_t& minorByte) {
    const auto comma = text.find(',');
    if (comma == std::string::npos || comma < 2 || comma + 1 >= text.size()) return false;
    const std::string left = text.substr(0, comma);
    const std::string right = text.substr(comma + 1);
    const auto allDigits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(),
                           [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    if (!allDigits(left) || !allDigits(right) || left.size() > 4 || right.size() > 2) return false;
    const int high = std::stoi(left.substr(comma - 1));
    const int whole = std::stoi(left.substr(0, comma - 1));
    const int low = std::stoi(right);
    if (whole > 255 || low > 15) return false;
    major = static_cast<std::uint8_t>(whole);
    minorByte = static_cast<std::uint8_t>(high << 4 | low);
    return true;
}

TSimStation MakeBareBuiltinStation(const std::string& model, bool secondUnit) {
    const std::uint8_t deviceCode = DeviceCodeOf(model);
    const TModelPlan plan = PlanOf(deviceCode, secondUnit && deviceCode == kCedar);
    const TPortCounts ports = CountPorts(deviceCode, plan.Boards);

    TSimStation station;
    TSimIdentity& id = station.Identity;
    id.DeviceCode = deviceCode;
    id.UnitBits = 0x01;
    id.TrunkLines = Clamp8(ports.Trunk);
    id.SubscriberLines = Clamp8(ports.Subscriber);
    id.Serial = plan.Serial;
    id.Name = "\xCE\xF4\xE8\xF1";  // "Офис" in CP1251
    id.DoorPhones = Clamp8(ports.Door);
    id.RoutingTables = plan.RoutingTables;
    id.LoudspeakerChannels = plan.LoudspeakerChannels;
    id.StaCount = Clamp8(ports.Sta);

    station.HardwareList = plan.Boards;
    for (std::size_t slot = 0; slot < plan.Boards.size(); ++slot)
        station.HardwareRecords.push_back(DetailRecord(plan.Boards[slot], slot, plan.Serial));
    station.CallAccountingStatus = Words({2000, 450, 50});
    if (IsTenPort(deviceCode)) station.ConferenceParameters = {10, 0, 1, 0, 0};
    FitTimeDefaultsToVersion(station);
    return station;
}

TSimStation MakeBuiltinStation(const std::string& model, bool secondUnit) {
    TSimStation station = MakeBareBuiltinStation(model, secondUnit);
    AddTableImages(station);
    return station;
}

TSimStation MakeBuiltinStation(const std::string& model, bool secondUnit,
                               const std::string& version) {
    TSimStation station = MakeBareBuiltinStation(model, secondUnit);
    if (!ParseVersionText(version, station.Identity.VersionMajor,
                          station.Identity.VersionMinorByte))
        throw std::invalid_argument("malformed working-program version");
    FitTimeDefaultsToVersion(station);
    AddTableImages(station);
    return station;
}

}  // namespace zarnik::sim
