#include "model/broadcaster.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "platform/user_dialogs.h"

namespace zarnik {
namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kDaysPerLeapCycle = 1461;  // four years, the first of them a leap year
constexpr int kFirstYear = 1980;

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// Port numbers and indexes are 16-bit on the station; wider arithmetic first keeps huge
// inputs from overflowing, the cast then wraps as the station's own words do.
int To16(std::int64_t value) {
    return static_cast<std::int16_t>(value);
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// -------- nibble-packed digits --------

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Digit 0 travels as 0xA, because the nibble 0 means "no digit here".
int PackedNibble(char c) {
    return c == '0' ? 0xA : HexValue(c);
}

void AppendDigit(std::string& text, int nibble) {
    if (nibble == 0) return;  // filler, wherever it stands
    if (nibble == 0xA) {
        text += '0';
        return;
    }
    text += "0123456789ABCDEF"[nibble];
}

// -------- system-phone button codes --------

struct TButtonWord {
    std::uint8_t Code;
    std::uint8_t Kind;
};

int Digit(char c) {
    if (c < '0' || c > '9') {
        throw std::invalid_argument(std::string("'") + c + "' is not a valid integer value");
    }
    return c - '0';
}

int DigitOrA(char c) {
    const int d = Digit(c);
    return d == 0 ? 0xA : d;
}

std::uint8_t PackPair(char high, char low) {
    return static_cast<std::uint8_t>(DigitOrA(high) * 16 + DigitOrA(low));
}

TButtonWord Word(int code, int kind) {
    return {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(kind)};
}

// "SLxy", "SL2xy", "SL3xy": trunk-line buttons.
std::optional<TButtonWord> TrunkButton(const std::string& t) {
    if (t.size() == 4 && (t[3] == '0' || t[3] == '2')) return Word(PackPair(t[2], t[3]), 0xAA);
    if (t.size() == 5 && t[2] == '2') return Word(PackPair(t[3], t[4]), 0xAB);
    if (t.size() == 5 && t[2] == '3') return Word(PackPair(t[3], t[4]), 0xAC);
    return std::nullopt;
}

std::optional<TButtonWord> NumberButton(const std::string& t) {
    const std::size_t n = t.size();
    switch (t[0]) {
        case '0':
            if (n == 2) return Word(0xA0 + Digit(t[1]), 0x00);
            if (n == 3) return Word(PackPair(t[1], t[2]), 0x0A);
            break;
        case '1':
            if (n == 2) return Word(0x10 + Digit(t[1]), 0x00);
            if (n == 3) return Word(PackPair(t[1], t[2]), 0x01);
            if (n == 4) return Word(PackPair(t[2], t[3]), 0x10 + DigitOrA(t[1]));
            break;
        case '2':
        case '3':
            if (n == 3) return Word(PackPair(t[1], t[2]), t[0] - '0');
            break;
        case '5':
            if (n == 2) return Word(0x55, 0x00);
            if (n == 3) return Word(PackPair(t[1], t[2]), 0x05);
            break;
        case '7':
            if (n == 3) return Word(Digit(t[1]) * 16 + DigitOrA(t[2]), 0x07);
            break;
        case '9':
            if (n == 1) return Word(0x09, 0x00);
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::optional<TButtonWord> ButtonWord(const std::string& t) {
    if (t.empty()) return std::nullopt;
    if (t[0] == 'C') {
        if (t.size() == 5) return Word(DigitOrA(t[4]), 0x8F);  // "Conf" and the conference
        return std::nullopt;
    }
    if (t[0] == 'S') return TrunkButton(t);
    return NumberButton(t);
}

std::string WithoutSpaces(const std::string& text, TUserDialogs& dialogs) {
    try {
        std::string t = text;
        t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
        return t;
    } catch (const std::exception&) {
        FatalMessage(dialogs, "Исключение №1 в ф-ции StrToWord1", "", 1);
    }
}

// -------- versions --------

// "28,6" reads as 2806 and "28,12" as 2812; nullopt for any other shape.
std::optional<std::int64_t> VersionNumber(std::string text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    if (comma + 2 == text.size()) {
        text.insert(text.size() - 1, "0");
    } else if (comma + 3 != text.size()) {
        return std::nullopt;
    }
    text.erase(comma, 1);
    return ParseDecimal(text);
}

bool IsLeapYear(std::int64_t year) {
    return year % 4 == 0;
}

}  // namespace

// ---------------------------------------------------------------- bits and words

void TBroadcaster::ClearBit(std::uint8_t& b, int bit) {
    if (bit < 0 || bit > 7) return;
    b = static_cast<std::uint8_t>(b & ~(1u << bit));
}

void TBroadcaster::SetBit(std::uint8_t& b, int bit) {
    if (bit < 0 || bit > 7) return;
    b = static_cast<std::uint8_t>(b | (1u << bit));
}

int TBroadcaster::TestBit(std::uint8_t b, int bit) {
    if (bit < 0 || bit > 7) return 0;
    return (b >> bit) & 1;
}

std::uint16_t TBroadcaster::MakeWord(std::uint8_t lo, std::uint8_t hi) {
    return static_cast<std::uint16_t>(hi * 256 + lo);
}

void TBroadcaster::SplitWord(std::uint16_t w, std::uint8_t& lo, std::uint8_t& hi) {
    lo = static_cast<std::uint8_t>(w & 0xFF);
    hi = static_cast<std::uint8_t>(w >> 8);
}

// ---------------------------------------------------------------- packed digits

std::string TBroadcaster::BytesToDigits(std::span<const std::uint8_t> bytes, int mode) {
    if (mode != 0 && mode != 1) return "";
    std::string text;
    text.reserve(bytes.size() * 2);
    const auto append = [&text](std::uint8_t b) {
        AppendDigit(text, b >> 4);
        AppendDigit(text, b & 0x0F);
    };
    if (mode == 0) {
        std::for_each(bytes.begin(), bytes.end(), append);
    } else {
        std::for_each(bytes.rbegin(), bytes.rend(), append);
    }
    return text;
}

int TBroadcaster::DigitsToBytes(const std::string& digits, std::span<std::uint8_t> out, bool swap) {
    const std::size_t count = (digits.size() + 1) / 2;
    if (count > out.size()) return -1;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return HexValue(c) >= 0; })) {
        return -1;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int high = PackedNibble(digits[2 * i]);
        const int low = 2 * i + 1 < digits.size() ? PackedNibble(digits[2 * i + 1]) : 0;
        out[i] = static_cast<std::uint8_t>(swap ? low * 16 + high : high * 16 + low);
    }
    return static_cast<int>(count);
}

// ---------------------------------------------------------------- button codes

void TBroadcaster::StrToWord1(const std::string& text, std::uint8_t& code, std::uint8_t& kind,
                              TUserDialogs& dialogs) {
    const std::optional<TButtonWord> word = ButtonWord(WithoutSpaces(text, dialogs));
    if (!word) return;
    code = word->Code;
    kind = word->Kind;
}

// ---------------------------------------------------------------- port numbering

bool TBroadcaster::IsLargeModel(const std::string& model) {
    return Contains(model, "Cedar") || Contains(model, "Dogwood");
}

bool TBroadcaster::IsSmallModel(const std::string& model) {
    return Contains(model, "Alder") || Contains(model, "Birch");
}

int TBroadcaster::GetPortNumFromIndex(const std::string& model, int index) {
    const std::int64_t i = index;
    if (IsLargeModel(model)) return To16(200 + i);
    if (IsSmallModel(model)) return To16(200 + 10 * (i / 8) + i % 8);
    return -1;
}

int TBroadcaster::GetLineNumFromPortNum(const std::string& model, const std::string& portNumber) {
    const bool large = IsLargeModel(model);
    if (!large && !IsSmallModel(model)) return -1;
    const std::optional<std::int64_t> n = ParseDecimal(portNumber);
    if (!n) return -1;
    const std::int64_t d = *n - 200;
    if (large) return To16(*n - 199);
    return To16(8 * (d / 10) + d % 10 + 1);
}

int TBroadcaster::GetSLIndexFromPortNum(const std::string& model, const std::string& portNumber) {
    const bool large = IsLargeModel(model);
    if (!large && !IsSmallModel(model)) return -1;
    const std::optional<std::int64_t> n = ParseDecimal(portNumber);
    if (!n) return -1;
    const std::int64_t d = *n - 200;
    if (large) return To16(d / 2);
    return To16(2 * (d / 10) + d % 2 + (*n % 10 != 0 ? 1 : 0));
}

int TBroadcaster::GetPortNumFromSLIndex(const std::string& model, int slIndex) {
    const std::int64_t k = slIndex;
    if (IsLargeModel(model)) return To16(200 + 2 * k);
    if (IsSmallModel(model)) return To16(200 + 10 * (k / 2) + 2 * (k % 2));
    return -1;
}

int TBroadcaster::GetLogSTA(const std::string& model, int portNumber, TUserDialogs& dialogs) {
    const std::int64_t d = static_cast<std::int64_t>(portNumber) - 200;
    if (IsLargeModel(model)) return To16((d - 4 * (d / 10) - 4) / 2);
    if (IsSmallModel(model)) return To16((d % 10) / 2 + 4 * (d / 10));
    FatalMessage(dialogs, "Неправильный код АТС в ф-ции GetLogSTA", "Ошибка", 1);
}

int TBroadcaster::GetSTANumFromLogNum(const std::string& model, int staNumber) {
    const std::int64_t a = static_cast<std::int64_t>(staNumber) - 1;
    if (IsLargeModel(model)) return To16(204 + 10 * (a / 3) + 2 * (a % 3));
    if (IsSmallModel(model)) return To16(200 + 10 * (a / 4) + 2 * (a % 4));
    throw std::runtime_error("TBroadcaster::GetSTANumFromLogNum unknown WorkCode");
}

// ---------------------------------------------------------------- date code

void TBroadcaster::SecondsToDateTime(const TMonthTable& months, std::uint32_t seconds,
                                     TCalendarDate& date, TTimeOfDay& time) {
    time = SecondsToTimeOfDay(seconds);

    const std::uint32_t days = seconds / kSecondsPerDay;
    std::uint32_t r = days % kDaysPerLeapCycle;
    std::uint32_t year = 4 * (days / kDaysPerLeapCycle);
    bool leap = true;
    if (r >= 366) {
        year += (r - 366) / 365 + 1;
        r = (r - 366) % 365;
        leap = false;
    }
    date.Year = static_cast<std::uint16_t>(year + kFirstYear);

    // Only a caller's table shorter than the year can leave the day unplaced: month and day
    // then read 0 rather than something that looks like a date.
    date.Month = 0;
    date.Day = 0;
    for (std::size_t i = 0; i < months.size(); ++i) {
        const std::uint32_t length = months[i] + (i == 1 && leap ? 1 : 0);
        if (r < length) {
            date.Month = static_cast<std::uint16_t>(i + 1);
            date.Day = static_cast<std::uint16_t>(r + 1);
            return;
        }
        r -= length;
    }
}

std::uint32_t TBroadcaster::DateTimeToSeconds(const TMonthTable& months, const TCalendarDate& date,
                                              const TTimeOfDay& time) {
    const std::int64_t year = date.Year;
    std::int64_t days = 365 * year + (year - 1977) / 4 - 722700;
    const std::size_t monthsBefore =
        std::min<std::size_t>(date.Month > 0 ? date.Month - 1 : 0, months.size());
    for (std::size_t i = 0; i < monthsBefore; ++i) days += months[i];
    if (IsLeapYear(year) && date.Month > 2) days += 1;
    days += static_cast<std::int64_t>(date.Day) - 1;
    const std::int64_t total = days * kSecondsPerDay + TimeOfDayToSeconds(time);
    return static_cast<std::uint32_t>(total);  // the code is 32 bits wide; it wraps as such
}

TTimeOfDay TBroadcaster::SecondsToTimeOfDay(std::uint32_t seconds) {
    const std::uint32_t s = seconds % kSecondsPerDay;
    TTimeOfDay t;
    t.Second = static_cast<std::uint16_t>(s % 60);
    t.Minute = static_cast<std::uint16_t>(s / 60 % 60);
    t.Hour = static_cast<std::uint16_t>(s / 3600 % 24);
    return t;
}

std::uint32_t TBroadcaster::TimeOfDayToSeconds(const TTimeOfDay& t) {
    return static_cast<std::uint32_t>(t.Hour) * 3600 + static_cast<std::uint32_t>(t.Minute) * 60 +
           t.Second;
}

// ---------------------------------------------------------------- versions

int TBroadcaster::CompareVersions(const std::string& version, const std::string& reference) {
    const std::optional<std::int64_t> b = VersionNumber(reference);
    if (!b) return -2;
    const std::optional<std::int64_t> a = VersionNumber(version);
    if (!a) return -1;
    if (*a > *b) return 2;
    return *a == *b ? 1 : 0;
}

}  // namespace zarnik
