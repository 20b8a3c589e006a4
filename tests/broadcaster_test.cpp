#include "model/broadcaster.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/scripted_dialogs.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kLarge = "Cedar";
const std::string kSmall = "Birch";

TEST(BroadcasterBits, OnlyIndexesZeroToSevenAct) {
    std::uint8_t b = 0x00;
    TBroadcaster::SetBit(b, 7);
    TBroadcaster::SetBit(b, 0);
    TBroadcaster::ClearBit(b, 7);
    for (int bit : {-1, 8, 1000}) {
        TBroadcaster::SetBit(b, bit);
        TBroadcaster::ClearBit(b, bit);
        EXPECT_EQ(TBroadcaster::TestBit(0xFF, bit), 0) << bit;
    }
    EXPECT_EQ(b, 0x01);
    EXPECT_EQ(TBroadcaster::TestBit(0x80, 7), 1);
    EXPECT_EQ(TBroadcaster::MakeWord(0x34, 0x12), 0x1234);
}

TEST(BroadcasterDigits, PacksAndRefusesWithoutWriting) {
    std::array<std::uint8_t, 3> out{0xEE, 0xEE, 0xEE};
    EXPECT_EQ(TBroadcaster::DigitsToBytes("102", out, true), 2);
    EXPECT_EQ(out, (std::array<std::uint8_t, 3>{0xA1, 0x02, 0xEE}));
    EXPECT_EQ(TBroadcaster::DigitsToBytes("102", out, false), 2);
    EXPECT_EQ(TBroadcaster::DigitsToBytes("", out, false), 0);
    EXPECT_EQ(TBroadcaster::DigitsToBytes("Cbe", out, false), 2);  // hex letters pass, any case
    EXPECT_EQ(out, (std::array<std::uint8_t, 3>{0xCB, 0xE0, 0xEE}));
    for (const std::string bad : {"1234567", "12*4", "1 2", "\xC0"}) {
        EXPECT_EQ(TBroadcaster::DigitsToBytes(bad, out, false), -1) << bad;
    }
    EXPECT_EQ(out, (std::array<std::uint8_t, 3>{0xCB, 0xE0, 0xEE}));
}

TEST(BroadcasterDigits, UnpacksAndRoundTrips) {
    EXPECT_EQ(TBroadcaster::BytesToDigits(Bytes{0x1A, 0x20}, 0), "102");
    EXPECT_EQ(TBroadcaster::BytesToDigits(Bytes{0x1A, 0x20}, 1), "210");
    EXPECT_EQ(TBroadcaster::BytesToDigits(Bytes{0xA0, 0x00}, 0), "0");
    EXPECT_EQ(TBroadcaster::BytesToDigits(Bytes{0x10, 0x02, 0xBC}, 0), "12BC");
    EXPECT_EQ(TBroadcaster::BytesToDigits(Bytes{0x1A}, 2), "");
    for (const std::string digits : {"0", "00", "8005550100", "1234567890123456"}) {
        std::array<std::uint8_t, 8> out{};
        const int n = TBroadcaster::DigitsToBytes(digits, out, false);
        ASSERT_GE(n, 0) << digits;
        EXPECT_EQ(TBroadcaster::BytesToDigits(std::span(out.data(), n), 0), digits);
    }
}

TEST(BroadcasterButtonCode, EncodesEveryKnownShape) {
    struct TCase {
        std::string Text;
        std::uint8_t Code, Kind;
    };
    const std::vector<TCase> cases{
        {"Conf0", 0x0A, 0x8F}, {"S120", 0x2A, 0xAA}, {"S1 20", 0x2A, 0xAA}, {"SL207", 0xA7, 0xAB},
        {"SL310", 0x1A, 0xAC}, {"03", 0xA3, 0x00},   {"012", 0x12, 0x0A},   {"10", 0x10, 0x00},
        {"100", 0xAA, 0x01},   {"1023", 0x23, 0x1A}, {"1503", 0xA3, 0x15},  {"205", 0xA5, 0x02},
        {"310", 0x1A, 0x03},   {"512", 0x12, 0x05},  {"5x", 0x55, 0x00},    {"710", 0x1A, 0x07},
        {" 9 ", 0x09, 0x00},
    };
    test::TScriptedDialogs dialogs;
    for (const auto& c : cases) {
        std::uint8_t code = 0xEE, kind = 0xEE;
        TBroadcaster::StrToWord1(c.Text, code, kind, dialogs);
        EXPECT_EQ(code, c.Code) << c.Text;
        EXPECT_EQ(kind, c.Kind) << c.Text;
    }
}

TEST(BroadcasterButtonCode, UnknownOrBadTextLeavesBothBytes) {
    test::TScriptedDialogs dialogs;
    const auto check = [&dialogs](const std::string& text, bool throws) {
        std::uint8_t code = 0x12, kind = 0x34;
        if (throws) {
            EXPECT_THROW(TBroadcaster::StrToWord1(text, code, kind, dialogs), std::invalid_argument)
                << text;
        } else {
            TBroadcaster::StrToWord1(text, code, kind, dialogs);
        }
        EXPECT_EQ(code, 0x12) << text;
        EXPECT_EQ(kind, 0x34) << text;
    };
    for (const std::string text : {"", " ", "412", "6", "8", "SL25", "S12", "0", "77", "Conf"}) {
        check(text, false);
    }
    for (const std::string text : {"1x", "1a3", "SLx0", "SL2x5", "7x1", "Confx", "1\xC0"}) {
        check(text, true);
    }
}

TEST(BroadcasterPorts, NumberingsRoundTripInBothFamilies) {
    test::TScriptedDialogs dialogs;
    EXPECT_EQ(TBroadcaster::GetPortNumFromIndex(kSmall, 13), 215);
    EXPECT_EQ(TBroadcaster::GetSLIndexFromPortNum(kSmall, "202"), 1);
    EXPECT_EQ(TBroadcaster::GetSLIndexFromPortNum(kLarge, "202"), 1);
    EXPECT_EQ(TBroadcaster::GetPortNumFromSLIndex(kLarge, 3), 206);
    EXPECT_EQ(TBroadcaster::GetPortNumFromSLIndex(kSmall, 3), 212);
    EXPECT_EQ(TBroadcaster::GetSTANumFromLogNum(kLarge, 3), 208);
    EXPECT_EQ(TBroadcaster::GetSTANumFromLogNum(kLarge, 4), 214);
    EXPECT_EQ(TBroadcaster::GetSTANumFromLogNum(kSmall, 5), 210);
    for (const std::string model : {"Cedar", "Dogwood-2", "Alder", "Birch"}) {
        for (int i = 0; i < 200; ++i) {
            const std::string port = std::to_string(TBroadcaster::GetPortNumFromIndex(model, i));
            EXPECT_EQ(TBroadcaster::GetLineNumFromPortNum(model, port), i + 1) << model << i;
            const std::string sl = std::to_string(TBroadcaster::GetPortNumFromSLIndex(model, i));
            EXPECT_EQ(TBroadcaster::GetSLIndexFromPortNum(model, sl), i) << model << i;
            const int sta = TBroadcaster::GetSTANumFromLogNum(model, i + 1);
            EXPECT_EQ(TBroadcaster::GetLogSTA(model, sta, dialogs), i) << model << i;
        }
    }
}

TEST(BroadcasterPorts, BadModelOrPortTextGivesMinusOne) {
    for (const std::string model : {"", "Elm", "cedar", "ALDER"}) {
        EXPECT_EQ(TBroadcaster::GetPortNumFromIndex(model, 0), -1) << model;
        EXPECT_EQ(TBroadcaster::GetLineNumFromPortNum(model, "200"), -1) << model;
        EXPECT_EQ(TBroadcaster::GetSLIndexFromPortNum(model, "200"), -1) << model;
        EXPECT_EQ(TBroadcaster::GetPortNumFromSLIndex(model, 0), -1) << model;
    }
    for (const std::string text : {"", " ", "abc", "21x", "2 10", "99999999999999999999"}) {
        EXPECT_EQ(TBroadcaster::GetLineNumFromPortNum(kSmall, text), -1) << text;
        EXPECT_EQ(TBroadcaster::GetSLIndexFromPortNum(kLarge, text), -1) << text;
    }
    EXPECT_EQ(TBroadcaster::GetLineNumFromPortNum(kLarge, " 210 "), 11);
    // Results are signed 16-bit and never overflow on the way.
    EXPECT_EQ(TBroadcaster::GetPortNumFromIndex(kLarge, 2147483647), 199);
    EXPECT_EQ(TBroadcaster::GetLineNumFromPortNum(kLarge, "0"), -199);
}

TEST(BroadcasterPorts, UnknownModelForSystemPhonesIsAnError) {
    test::TScriptedDialogs dialogs;
    dialogs.ExpectMessage("Неправильный код АТС в ф-ции GetLogSTA");
    EXPECT_THROW(TBroadcaster::GetLogSTA("Elm", 210, dialogs), TExitProgram);
    ASSERT_EQ(dialogs.Seen.size(), 1u);
    EXPECT_EQ(dialogs.Seen[0].Caption, "Ошибка");
    try {
        TBroadcaster::GetSTANumFromLogNum("Elm", 1);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "TBroadcaster::GetSTANumFromLogNum unknown WorkCode");
    }
}

void ExpectDate(std::uint32_t seconds, std::uint16_t y, std::uint16_t m, std::uint16_t d) {
    TCalendarDate date;
    TTimeOfDay time;
    TBroadcaster::SecondsToDateTime(kMonthLengths, seconds, date, time);
    EXPECT_EQ(date.Year * 10000 + date.Month * 100 + date.Day, y * 10000 + m * 100 + d) << seconds;
}

TEST(BroadcasterDate, KnownDays) {
    ExpectDate(0, 1980, 1, 1);
    ExpectDate(86400 * 59, 1980, 2, 29);
    ExpectDate(86400 * 365, 1980, 12, 31);
    ExpectDate(86400 * 366, 1981, 1, 1);
    ExpectDate(86400 * 1461, 1984, 1, 1);
    ExpectDate(0xFFFFFFFFu, 2116, 2, 6);  // a day behind the civil calendar: 2100 was leap
    const TTimeOfDay t = TBroadcaster::SecondsToTimeOfDay(86400 * 3 + 13 * 3600 + 4 * 60 + 59);
    EXPECT_EQ(t.Hour * 10000 + t.Minute * 100 + t.Second, 130459);
}

TEST(BroadcasterDate, EveryDayRoundTrips) {
    const TTimeOfDay noon{0, 5, 30, 12};
    for (std::uint32_t day = 0; day < 44000; ++day) {  // into 2100, a leap year here
        const std::uint32_t code = day * 86400 + TBroadcaster::TimeOfDayToSeconds(noon);
        TCalendarDate date;
        TTimeOfDay time;
        TBroadcaster::SecondsToDateTime(kMonthLengths, code, date, time);
        ASSERT_EQ(TBroadcaster::DateTimeToSeconds(kMonthLengths, date, time), code) << day;
    }
}

TEST(BroadcasterDate, OutOfRangeFieldsStayInsideTheTable) {
    EXPECT_EQ(TBroadcaster::DateTimeToSeconds(kMonthLengths, {1980, 0, 1}, {}), 0u);
    EXPECT_EQ(TBroadcaster::DateTimeToSeconds(kMonthLengths, {1980, 13, 1}, {}), 86400u * 366);
    TCalendarDate date{1, 1, 1};
    TTimeOfDay time;
    TBroadcaster::SecondsToDateTime(TMonthTable{}, 86400 * 5, date, time);
    EXPECT_EQ(date.Month * 100 + date.Day, 0);
}

TEST(BroadcasterVersion, ComparesAndRejectsMalformedTexts) {
    EXPECT_EQ(TBroadcaster::CompareVersions("28,6", "28,6"), 1);
    EXPECT_EQ(TBroadcaster::CompareVersions("28,06", "28,6"), 1);
    EXPECT_EQ(TBroadcaster::CompareVersions("28,12", "28,6"), 2);
    EXPECT_EQ(TBroadcaster::CompareVersions("24,3", "24,4"), 0);
    EXPECT_EQ(TBroadcaster::CompareVersions("9,9", "10,0"), 0);
    EXPECT_EQ(TBroadcaster::CompareVersions("286", "28,6"), -1);
    EXPECT_EQ(TBroadcaster::CompareVersions("", ""), -2);
    for (const std::string bad :
         {"", ",", "28,", "28,123", "2,8,6", "ab,6", "28,,6", "28, 6", "99999999999999999999,9"}) {
        EXPECT_EQ(TBroadcaster::CompareVersions(bad, "28,6"), -1) << bad;
        EXPECT_EQ(TBroadcaster::CompareVersions("28,6", bad), -2) << bad;
    }
}

}  // namespace
}  // namespace zarnik
