// The capability record, the port model, status decoding and the station clock.

#include <gtest/gtest.h>

#include "flows/station_status.h"
#include "flows/status_lines.h"
#include "link/station_clock.h"
#include "model/port.h"
#include "platform/text_1251.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using test::TOfflineSession;

TEST(TableVerRWFlags, VersionThresholdsAndModelRule) {
    const TTableVerRWFlags cedar("Cedar", "24,3");
    EXPECT_FALSE(cedar.Entry(22));
    EXPECT_FALSE(cedar.Entry(29));
    for (int i : {20, 23, 25, 27}) EXPECT_TRUE(cedar.Entry(i)) << i;
    EXPECT_FALSE(cedar.Entry(21));
    EXPECT_FALSE(cedar.Entry(28));
    EXPECT_TRUE(cedar.VersionSupported());

    const TTableVerRWFlags alder("Alder", "23,7");
    EXPECT_FALSE(alder.QuickConferences());
    for (int i : {16, 17, 18, 30, 40}) EXPECT_FALSE(alder.Entry(i)) << i;
    for (int i : {12, 13, 14}) EXPECT_FALSE(alder.Entry(i)) << i;
    EXPECT_EQ(alder.MonthLengths()[1], 28);

    const TTableVerRWFlags dogwood("Dogwood", "28,6");
    for (int i : {21, 22, 28, 29, 25}) EXPECT_TRUE(dogwood.Entry(i)) << i;
}

void SetComposition(TDataStream& store, const std::string& model,
                    std::initializer_list<const char*> boards) {
    store.Model = model;
    store.CompositionCount = 0;
    for (const char* b : boards) store.Composition[store.CompositionCount++].BoardType = b;
}

TEST(BuildPorts, EightPortBoards) {
    TOfflineSession s("Alder", "24,8");
    SetComposition(*s.Store, "Alder", {"Oka", "Lena"});
    EXPECT_EQ(BuildPorts(*s.Store), 1);
    ASSERT_EQ(s.Store->Ports.size(), 16u);
    const char* kinds[] = {"SL", "AL", "SL", "AL", "AL", "AL", "AL", "AL",
                           "STA", "D", "STA", "D", "STA", "D", "STA", "D"};
    for (std::size_t i = 0; i < 16; ++i) {
        const TPort& p = *s.Store->Ports[i];
        EXPECT_EQ(p.Number, static_cast<int>(i < 8 ? 200 + i : 210 + i - 8));
        EXPECT_EQ(p.Kind, kinds[i]);
        EXPECT_EQ(p.Line, static_cast<int>(i + 1));
    }
    EXPECT_EQ(s.Store->CurrentPort, s.Store->Ports.back());
}

TEST(BuildPorts, TenPortBoardsAndLookup) {
    TOfflineSession s;
    SetComposition(*s.Store, "Cedar", {"Kama", "Clear", "Volga"});
    EXPECT_EQ(BuildPorts(*s.Store), 1);
    ASSERT_EQ(s.Store->Ports.size(), 30u);
    EXPECT_EQ(s.Store->Ports[10]->Type, kPortTypeEmpty);
    EXPECT_EQ(FindPort(*s.Store, 225), nullptr);  // door phone
    ASSERT_NE(FindPort(*s.Store, 224), nullptr);
    EXPECT_EQ(FindPort(*s.Store, 224)->Type, kPortTypeSta);
    EXPECT_EQ(FindPort(*s.Store, 215), nullptr);  // empty place
    EXPECT_EQ(FindPort(*s.Store, 209)->Kind, "AL");
}

TEST(BuildPorts, UnknownBoardsModelsAndDogwoodTail) {
    TOfflineSession s;
    SetComposition(*s.Store, "Cedar", {"Double", "Neva"});
    EXPECT_EQ(BuildPorts(*s.Store), -2);
    ASSERT_EQ(s.Store->Ports.size(), 10u);
    EXPECT_EQ(s.Store->Ports[0]->Number, 210);

    SetComposition(*s.Store, "Elm", {"Neva"});
    EXPECT_EQ(BuildPorts(*s.Store), -1);
    EXPECT_TRUE(s.Store->Ports.empty());

    s.Store->Model = "Dogwood";
    s.Store->CompositionCount = 17;
    for (auto& e : s.Store->Composition) e.BoardType = "Neva";
    BuildPorts(*s.Store);
    EXPECT_EQ(s.Store->Ports.size(), 150u);
    BuildPorts(*s.Store);
    EXPECT_EQ(s.Store->CompositionCount, 17);  // building twice never shortens the composition
    EXPECT_EQ(s.Store->Ports.size(), 150u);
}

TEST(StationStatus, BufferTextAndZeroCapacity) {
    TOfflineSession s;
    const std::uint8_t status[] = {0xE8, 0x03, 0xFA, 0x00, 0x32, 0x00};  // 1000, 250, 50
    std::copy(std::begin(status), std::end(status), s.Session.CallAccounting.begin());
    s.Session.Identity.Version = "24,8";
    s.Session.Identity.SerialNumber = "1234";
    DecodeStationStatus(s.Session, *s.Store, true, false);
    EXPECT_EQ(s.Store->BufferUsed, 200);
    EXPECT_EQ(Cp1251ToUtf8(s.Store->BufferText), "200 из 1000. Cвободно 80.00%");
    EXPECT_EQ(s.Store->VersionText, "ZN 5.5 / 24,8");
    EXPECT_EQ(StatusLines(*s.Store)[2], "Заводской номер : 1234");

    s.Session.CallAccounting.fill(0);
    test::TScriptedDialogs strict;
    TMainClass quiet(strict, TSessionSetup{s.Dir.Path, false, ""});
    quiet.Identity = s.Session.Identity;
    strict.ExpectMessage("Неправильно считаны данные состояния буфера тарификации.");
    DecodeStationStatus(quiet, *s.Store, true, false);
    EXPECT_EQ(Cp1251ToUtf8(s.Store->BufferText), "0 из 0. Cвободно 100.00%");
}

TEST(StationStatus, ClockFromIdentification) {
    TOfflineSession s;
    s.Session.IdBuffer[0] = 1;            // day 1
    s.Session.IdBuffer[2] = 600 & 0xFF;   // tick 600
    s.Session.IdBuffer[3] = 600 >> 8;
    s.Session.Identity.TimeUnit = 6;
    DecodeStationStatus(s.Session, *s.Store, true, false);
    const std::array<std::int32_t, 6> expected{1980, 1, 2, 1, 0, 0};
    EXPECT_EQ(s.Store->StationTime, expected);
}

TEST(StationStatus, TimeDefaultsFollowTheLength) {
    TOfflineSession s("Cedar", "24,8");
    for (std::size_t i = 0; i < 52; i += 2) {
        s.Session.TimeDefaultsRaw[i] = 0x04;
        s.Session.TimeDefaultsRaw[i + 1] = 0x30;  // step 1 s, default x3
    }
    s.Store->TimeDefaults.Values[24] = 99.0f;
    s.Session.TimeDefaultsLength = 48;
    DecodeTimeDefaults(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TimeDefaults.Codes[0], 3);
    EXPECT_FLOAT_EQ(s.Store->TimeDefaults.Values[23], 1.0f);
    EXPECT_FLOAT_EQ(s.Store->TimeDefaults.Values[24], 99.0f);
    s.Session.TimeDefaultsLength = 52;
    DecodeTimeDefaults(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeDefaults.Values[25], 1.0f);
    EXPECT_EQ(s.Store->TimeDefaults.Codes[25], 3);
}

TEST(StationStatus, CompositionCodesAndDetails) {
    TOfflineSession s("Cedar", "24,8");
    const std::uint8_t codes[] = {1, 3, 11, 2, 0xFF, 0xFF, 0xFF, 0xFF, 1};
    std::copy(std::begin(codes), std::end(codes), s.Session.HwList.begin());
    s.Session.HwListLength = sizeof codes;
    auto& r = s.Session.HwRecords[0];
    r = {1, 2, 5, 0xCD, 0x2F, 0x39, 0x30, 0, 0, 0, 0, 0, 7};  // version 2.5, day 12237, 12345
    s.Session.HwRecords[1][0] = 9;                          // does not match its slot
    EXPECT_EQ(DecodeComposition(s.Session, *s.Store), 1);
    ASSERT_EQ(s.Store->CompositionCount, 7);  // slots 6 and 7 add nothing on Cedar
    EXPECT_EQ(s.Store->Composition[0].BoardType, "Kama");
    EXPECT_EQ(s.Store->Composition[0].Serial, "12345");
    EXPECT_EQ(s.Store->Composition[0].Version, "2.5");
    EXPECT_EQ(s.Store->Composition[0].FirmwareDate, "3.7.2013");
    EXPECT_EQ(s.Store->Composition[1].Serial, "");
    EXPECT_EQ(s.Store->Composition[6].BoardType, "Kama");
    BuildPorts(*s.Store);
    EXPECT_EQ(s.Store->Ports.back()->Number, 269);
}

TEST(StationStatus, AlderKeepsSevenMatchingEntries) {
    TOfflineSession s("Alder", "24,8");
    s.Session.HwListLength = 9;
    for (std::size_t i = 0; i < 9; ++i) {
        s.Session.HwList[i] = 3;
        s.Session.HwRecords[i][0] = 3;
        s.Session.HwRecords[i][12] = 7;
    }
    DecodeComposition(s.Session, *s.Store);
    EXPECT_EQ(s.Store->CompositionCount, 7);
}

TEST(StationClock, WireBytes) {
    EXPECT_EQ(EncodeStationClock({1980, 1, 1, 0, 0, 0}, 6),
              (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(EncodeStationClock({2013, 7, 3, 12, 0, 0}, 6),
              (std::array<std::uint8_t, 4>{0xCD, 0x2F, 0x20, 0x1C}));
    EXPECT_EQ(EncodeStationClock({2013, 7, 3, 12, 0, 5}, 6),
              EncodeStationClock({2013, 7, 3, 12, 0, 0}, 6));
}

TEST(StationClock, QuestionOnlyBeyondAboutEightMinutes) {
    TOfflineSession s;
    const TStationDateTime computer{2026, 12, 8, 12, 0, 0};
    EXPECT_TRUE(ClockDiffersNoticeably({2026, 12, 8, 12, 8, 0}, computer));
    EXPECT_TRUE(ClockDiffersNoticeably({2026, 12, 8, 11, 52, 0}, computer));
    EXPECT_FALSE(ClockDiffersNoticeably({2026, 12, 8, 12, 7, 0}, computer));

    test::TScriptedDialogs dialogs;
    TMainClass session(dialogs, TSessionSetup{s.Dir.Path, false, ""});
    std::tm tm{};
    tm.tm_year = 126, tm.tm_mon = 11, tm.tm_mday = 8, tm.tm_hour = 12, tm.tm_isdst = -1;
    const auto now = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    session.Now = [now] { return now; };
    int opened = 0;
    session.OpenClockWindow = [&opened](TMainClass&) { ++opened; };
    CompareStationClock(session, {2026, 12, 8, 12, 7, 0});
    dialogs.ExpectQuestion(
        "Время в АТС заметно отличается от времени в Вашем компьютере, переустановим время в АТС?",
        TAnswer::Ok);
    CompareStationClock(session, {2026, 12, 8, 12, 8, 0});
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik
