#include "cli/store_json.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/offline_session.h"

namespace zarnik {
namespace {

using nlohmann::json;

// "Иванов", "Дф" and "Кедр" as the store holds them (Windows-1251 bytes).
const std::string kIvanovCp1251 = "\xC8\xE2\xE0\xED\xEE\xE2";
const std::string kDfCp1251 = "\xC4\xF4";
const std::string kKedrCp1251 = "\xCA\xE5\xE4\xF0";

std::array<bool, kTableCount> Tables(std::initializer_list<ETable> chosen) {
    std::array<bool, kTableCount> ticks{};
    for (ETable t : chosen) ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

std::array<bool, kTableCount> AllTables() {
    std::array<bool, kTableCount> ticks{};
    ticks.fill(true);
    return ticks;
}

// A Cedar with a trunk board, a system-phone board and a board of subscriber lines: ports
// 200-209, 210-219 and 220-229.
struct TDumpStation : test::TOfflineSession {
    TDumpStation() : TOfflineSession("Cedar", "24,8") {
        Store->StationName = kKedrCp1251;
        Store->VersionText = "ZN 5.5 / 24,8";
        Store->SerialText = "4711";
        Store->IdValues = {36, 50, 30, 8};
        Store->Composition[0].BoardType = "Kama";
        Store->Composition[1].BoardType = "Volga";
        Store->Composition[2].BoardType = "Neva";
        Store->Composition[3].BoardType = "Clear";  // beyond the count: not in use
        Store->CompositionCount = 3;
        BuildPorts(*Store);
        Session.Identity.SubscriberLineCount = 30;
        Session.Identity.TrunkLineCount = 8;
        Session.Identity.StaCount = 3;
        Session.Identity.RoutingTableCount = 4;
        Session.ConferenceParams[0] = 2;
    }
    json Dump(const std::array<bool, kTableCount>& tables) {
        return cli::StoreToJson(Session, *Store, tables);
    }
};

TEST(StoreJsonShape, OnlyChosenTablesAppearBesideTheStation) {
    TDumpStation s;
    const json dump = s.Dump(Tables({ETable::SubscriberLines, ETable::SystemSettings}));
    EXPECT_TRUE(dump.contains("lines"));
    EXPECT_TRUE(dump.contains("system"));
    for (const char* key : {"groups", "trunks", "time", "doors", "ggs", "book", "groupbooks",
                            "progn", "redirect", "buttons", "conf", "routing", "bwlist", "flash"})
        EXPECT_FALSE(dump.contains(key)) << key;
    for (const char* key :
         {"StationName", "VersionText", "SerialText", "Model", "IdValues", "Composition", "Ports"})
        EXPECT_TRUE(dump.contains(key)) << key;

    // Every registered table has its key when all are chosen.
    const json all = s.Dump(AllTables());
    for (const TTableCodec* codec : RegisteredCodecs()) EXPECT_TRUE(all.contains(codec->Key));
}

TEST(StoreJsonShape, IdentityCompositionAndPortsAsTheStoreHoldsThem) {
    TDumpStation s;
    s.Store->Ports[15]->Kind = kDfCp1251;  // what the door-phone decode gives an attached port
    s.Store->Ports[15]->Type = kPortTypeAttachedDoorPhone;
    const json dump = s.Dump({});

    EXPECT_EQ(dump["StationName"], "Кедр");
    EXPECT_EQ(dump["SerialText"], "4711");
    EXPECT_EQ(dump["Model"], "Cedar");
    EXPECT_EQ(dump["IdValues"], json({36, 50, 30, 8}));
    ASSERT_EQ(dump["Composition"].size(), 3u);
    EXPECT_EQ(dump["Composition"][1]["BoardType"], "Volga");

    const json& ports = dump["Ports"];
    ASSERT_EQ(ports.size(), 30u);
    EXPECT_EQ(ports[14],
              json({{"Number", 214}, {"Kind", "STA"}, {"Line", 15}, {"Type", 14}, {"Slot", 1}}));
    EXPECT_EQ(ports[15]["Kind"], "Дф");
    EXPECT_EQ(ports[15]["Type"], 12);
    // The strict serializer would throw on a byte that is not UTF-8.
    EXPECT_NO_THROW((void)dump.dump());
}

TEST(StoreJsonRecords, SubscriberLineCarriesItsPortNameAndOwnFlags) {
    TDumpStation s;
    TAL& line = s.Store->Lines[21];  // port 221, line number 22
    line.AL_DTMF = true;
    line.AL_Own[al_setting::DTMF] = true;
    line.AL_Redirect = true;  // follows the group: own flag stays off
    line.ALSL_OFF[2] = true;
    line.ALSL_OFF[8] = true;  // past the station's eight trunk lines
    line.ALSL_OFF_Own[2] = true;
    line.ALPriority = 3;
    line.ALDirectCall = "1234";
    line.ALGroup = 5;
    ASSERT_EQ(s.Store->Names->SetPortName(21, kIvanovCp1251), 0);

    const json lines = s.Dump(Tables({ETable::SubscriberLines}))["lines"];
    ASSERT_EQ(lines.size(), 30u);
    const json& r = lines[21];
    EXPECT_EQ(r["Index"], 21);
    EXPECT_EQ(r["Port"], 221);
    EXPECT_EQ(r["Name"], "Иванов");
    EXPECT_EQ(r["AL_DTMF"], true);
    EXPECT_EQ(r["AL_Redirect"], true);
    EXPECT_EQ(r["AL_SecondJoining"], false);
    EXPECT_EQ(r["AL_Own"]["AL_DTMF"], true);
    EXPECT_EQ(r["AL_Own"]["AL_Redirect"], false);
    EXPECT_EQ(r["AL_Own"].size(), static_cast<std::size_t>(kAlSettingCount));
    ASSERT_EQ(r["ALSL_OFF"].size(), 8u);
    EXPECT_EQ(r["ALSL_OFF"][2], true);
    EXPECT_EQ(r["ALSL_OFF_Own"][2], true);
    EXPECT_EQ(r["ALPriority"], 3);
    EXPECT_EQ(r["ALDirectCall"], "1234");
    EXPECT_EQ(r["ALGroup"], 5);
    EXPECT_FALSE(r.contains("AL_PrgNum"));  // the port's copy is the one that counts
}

TEST(StoreJsonRecords, TimesOfDayAndTimers) {
    TDumpStation s;
    s.Store->SystemSettings.SYS_DayTime = {0, 9, 5, 7};
    s.Store->SystemSettings.SYS_NightTime = {0, 0, 30, 23};
    s.Store->SystemSettings.SYS_ToneDial = true;
    s.Store->TimeSettings.Values[0] = 20.5f;
    s.Store->TimeSettings.Values[25] = 0.125f;
    const json dump = s.Dump(Tables({ETable::SystemSettings, ETable::TimeSettings}));
    EXPECT_EQ(dump["system"]["SYS_DayTime"], "07:05:09");
    EXPECT_EQ(dump["system"]["SYS_NightTime"], "23:30:00");
    EXPECT_EQ(dump["system"]["SYS_ToneDial"], true);
    EXPECT_EQ(dump["system"]["SYS_MGDigit0"], false);
    EXPECT_EQ(dump["time"].size(), 26u);
    EXPECT_DOUBLE_EQ(dump["time"]["T10"].get<double>(), 20.5);
    EXPECT_DOUBLE_EQ(dump["time"]["T35"].get<double>(), 0.125);

    // A small station of an old working program has neither the conference timer nor T35.
    test::TOfflineSession old("Alder", "23,7");
    const json oldTime =
        cli::StoreToJson(old.Session, *old.Store, Tables({ETable::TimeSettings}))["time"];
    EXPECT_EQ(oldTime.size(), 24u);
    EXPECT_FALSE(oldTime.contains("T34"));
    EXPECT_TRUE(oldTime.contains("T33"));
}

TEST(StoreJsonRecords, ListsStopAtTheirCounts) {
    TDumpStation s;
    s.Store->DoorPhoneCount = 2;
    s.Store->DoorPhones[1].OpenCode = "105";
    s.Store->DoorPhones[1].LinkPort = "221";
    s.Store->DoorPhones[2].OpenCode = "999";  // not in use
    s.Store->Conferences[0].MemberCount = 2;
    s.Store->Conferences[0].Members = {{221, 222, 223}};
    s.Store->Conferences[1].MemberCount = 1000;  // a bad count never reads past the members
    s.Store->Groups[3].GR_GroupCallCount = 2;
    s.Store->Groups[3].GR_GroupCall = {{220, 221, 222, 0, 0}};
    s.Store->Groups[3].GR_AdditionalInterceptCount = 0;
    s.Store->Groups[3].GR_AdditionalIntercept = {{11, 12, 0, 0, 0}};
    s.Store->GlobalExtNum->Entries[0] = "8495";
    s.Store->StaButtons[2].ButtonCount = 48;
    s.Store->StaButtons[2].Buttons[0] = "101";
    const json dump = s.Dump(AllTables());

    ASSERT_EQ(dump["doors"].size(), 2u);
    EXPECT_EQ(dump["doors"][1]["OpenCode"], "105");
    EXPECT_EQ(dump["doors"][1]["LinkPort"], "221");
    ASSERT_EQ(dump["conf"].size(), 2u);
    EXPECT_EQ(dump["conf"][0]["Members"], json({221, 222}));
    EXPECT_EQ(dump["conf"][1]["Members"].size(), kMaxConferenceMembers);
    ASSERT_EQ(dump["groups"].size(), 20u);
    EXPECT_EQ(dump["groups"][3]["Number"], 13);
    EXPECT_EQ(dump["groups"][3]["GR_GroupCall"], json({220, 221}));
    EXPECT_EQ(dump["groups"][3]["GR_AdditionalIntercept"], json::array());
    EXPECT_EQ(dump["book"]["Entries"].size(), kGlobalBookEntries);
    EXPECT_EQ(dump["book"]["Entries"][0]["Entry"], "8495");
    EXPECT_EQ(dump["groupbooks"].size(), kGroupPhoneBooks);
    EXPECT_EQ(dump["routing"].size(), 4u);
    EXPECT_EQ(dump["trunks"].size(), 8u);
    EXPECT_EQ(dump["trunks"][1]["Port"], 202);
    ASSERT_EQ(dump["buttons"].size(), 3u);
    EXPECT_EQ(dump["buttons"][2]["Port"], 208);
    EXPECT_EQ(dump["buttons"][2]["Buttons"].size(), 48u);
    EXPECT_EQ(dump["buttons"][2]["Buttons"][0], "101");
}

TEST(StoreJsonRecords, ProgramNumbersComeFromTheLinePorts) {
    TDumpStation s;
    FindPort(*s.Store, 221)->AlData->AL_PrgNum = "1221";
    FindPort(*s.Store, 214)->AlData->AL_PrgNum = "1300";
    ASSERT_EQ(s.Store->Names->SetPortName(21, kIvanovCp1251), 0);  // port 221 is line 22
    const json progn = s.Dump(Tables({ETable::ProgramNumbers}))["progn"];
    // 5 subscriber lines on the trunk board, 2 on the system-phone board, 10 on the last
    // board, and the 3 system phones; trunk lines and door phones have none.
    ASSERT_EQ(progn.size(), 20u);
    bool seen221 = false, seen214 = false;
    for (const json& r : progn) {
        EXPECT_NE(r["Port"], 200);
        EXPECT_NE(r["Port"], 215);
        if (r["Port"] == 221) {
            seen221 = true;
            EXPECT_EQ(r["AL_PrgNum"], "1221");
            EXPECT_EQ(r["Name"], "Иванов");
        }
        if (r["Port"] == 214) seen214 = r["AL_PrgNum"] == "1300";
    }
    EXPECT_TRUE(seen221);
    EXPECT_TRUE(seen214);
}

TEST(StoreJsonText, OneLinePerRecordShowingWhatIsSet) {
    TDumpStation s;
    s.Store->Lines[21].AL_DTMF = true;
    s.Store->Lines[21].ALSL_OFF[2] = true;
    s.Store->Lines[21].ALSL_OFF[5] = true;
    s.Store->Lines[21].AL_Own[al_setting::Redirect] = true;
    ASSERT_EQ(s.Store->Names->SetPortName(21, kIvanovCp1251), 0);
    s.Store->SystemSettings.SYS_DayTime = {0, 0, 0, 7};
    s.Store->StaButtons[0].ButtonCount = 48;
    s.Store->StaButtons[0].Buttons[3] = "SL20";
    s.Store->GlobalExtNum->Entries[4] = "8495";
    std::ostringstream out;
    cli::PrintStoreText(out, s.Dump(Tables({ETable::SubscriberLines, ETable::SystemSettings,
                                            ETable::StaButtons, ETable::GlobalPhoneBook})));
    const std::string text = out.str();

    EXPECT_NE(text.find("StationName: \"Кедр\""), std::string::npos);
    EXPECT_NE(text.find("[lines] Установки АЛ\n"), std::string::npos);
    EXPECT_EQ(text.find("[groups]"), std::string::npos);
    EXPECT_NE(text.find("  Index=21 Port=221 Name=\"Иванов\" "), std::string::npos);
    const std::size_t at = text.find("Port=221");
    const std::string line = text.substr(at, text.find('\n', at) - at);
    EXPECT_NE(line.find(" AL_DTMF "), std::string::npos);
    EXPECT_EQ(line.find("AL_Redirect "), std::string::npos);  // off: not shown
    EXPECT_NE(line.find("AL_Own={AL_Redirect}"), std::string::npos);
    EXPECT_NE(line.find("ALSL_OFF=[2,5]"), std::string::npos);
    EXPECT_NE(text.find("SYS_DayTime=\"07:00:00\""), std::string::npos);
    EXPECT_NE(text.find(" Buttons=[3:\"SL20\"] "), std::string::npos);
    // Only the book's entry in use gets a line of its own.
    EXPECT_NE(text.find("Entries (30):\n      Index=4 Entry=\"8495\"\n"), std::string::npos);
}

}  // namespace
}  // namespace zarnik
