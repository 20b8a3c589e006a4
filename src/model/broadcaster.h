#pragma once
// TBroadcaster: the conversions between the station's compact codes and the values the rest
// of the program works with. Every operation is a pure function of its arguments; the station
// model is passed in as text where the numbering depends on the board family.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zarnik {

class TUserDialogs;

// Month lengths of a common year, January first; February gains a day in leap years.
using TMonthTable = std::array<std::uint8_t, 12>;
inline constexpr TMonthTable kMonthLengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The station's time-of-day layout: a zero word, then second, minute, hour.
struct TTimeOfDay {
    std::uint16_t Zero = 0, Second = 0, Minute = 0, Hour = 0;
};

struct TCalendarDate {
    std::uint16_t Year = 0, Month = 0, Day = 0;  // month 1..12, day 1..31
};

class TBroadcaster {
  public:
    // Bit helpers; an index outside 0..7 changes nothing and tests as 0.
    static void ClearBit(std::uint8_t& b, int bit);
    static void SetBit(std::uint8_t& b, int bit);
    static int TestBit(std::uint8_t b, int bit);

    // Wire words are little-endian: low byte first.
    static std::uint16_t MakeWord(std::uint8_t lo, std::uint8_t hi);
    static void SplitWord(std::uint16_t w, std::uint8_t& lo, std::uint8_t& hi);

    // Nibble-packed digits to text. Mode 0 reads the bytes first to last, mode 1 last to first,
    // any other mode gives "". Filler nibbles (0) vanish, the nibble 0xA becomes the digit 0.
    static std::string BytesToDigits(std::span<const std::uint8_t> bytes, int mode);
    // Text to nibble-packed digits, first digit in the high nibble, digit 0 as 0xA, an odd
    // length closed by a filler nibble; swap exchanges the nibbles of every byte. Returns the
    // byte count, or -1 (out untouched) when out has no room for (digits.size() + 1) / 2 bytes
    // or a character is not a hexadecimal digit.
    static int DigitsToBytes(const std::string& digits, std::span<std::uint8_t> out, bool swap);

    // A system-phone button text (spaces ignored) to its code byte and kind byte. A text of no
    // known shape leaves both unchanged. A non-digit where a digit is read throws
    // std::invalid_argument, also leaving both unchanged; a failure while removing the spaces
    // is fatal (message, then TExitProgram(1)).
    static void StrToWord1(const std::string& text, std::uint8_t& code, std::uint8_t& kind,
                           TUserDialogs& dialogs);

    // Port numberings of both board families; port number N = 200 + 10 x slot + position.
    // Results are 16-bit (signed); -1 for a model of neither family or a port number text
    // that is not a decimal number.
    static int GetPortNumFromIndex(const std::string& model, int index);
    static int GetLineNumFromPortNum(const std::string& model, const std::string& portNumber);
    static int GetSLIndexFromPortNum(const std::string& model, const std::string& portNumber);
    static int GetPortNumFromSLIndex(const std::string& model, int slIndex);
    // 0-based system-phone index of a port; a model of neither family is fatal (exit code 1).
    static int GetLogSTA(const std::string& model, int portNumber, TUserDialogs& dialogs);
    // Port number of a 1-based system-phone number; throws std::runtime_error for a model of
    // neither family.
    static int GetSTANumFromLogNum(const std::string& model, int staNumber);

    // Ten-port family (Cedar, Dogwood) and eight-port family (Alder, Birch), by substring.
    static bool IsLargeModel(const std::string& model);
    static bool IsSmallModel(const std::string& model);

    // The date code: seconds since 1 January 1980 00:00:00, every fourth year a leap year.
    static void SecondsToDateTime(const TMonthTable& months, std::uint32_t seconds,
                                  TCalendarDate& date, TTimeOfDay& time);
    static std::uint32_t DateTimeToSeconds(const TMonthTable& months, const TCalendarDate& date,
                                           const TTimeOfDay& time);
    static TTimeOfDay SecondsToTimeOfDay(std::uint32_t seconds);
    static std::uint32_t TimeOfDayToSeconds(const TTimeOfDay& t);

    // Working-program versions such as "28,6" (read as 28,06): 2 greater, 1 equal, 0 less;
    // -2 when the reference text is malformed, else -1 when the version text is.
    static int CompareVersions(const std::string& version, const std::string& reference);
};

}  // namespace zarnik
