// Comparing two configurations: round trips compare equal, one edit is one difference named as
// the technician knows it, other models and missing tables are said plainly, and zarnik-cli
// diff keeps its exit codes.

#include "flows/config_diff.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "codecs/time_settings_codec.h"
#include "files/config_flows.h"
#include "model/broadcaster.h"
#include "platform/file_system.h"
#include "platform/text_1251.h"
#include "support/file_test_helpers.h"
#include "support/loaded_station.h"
#include "support/sim_process.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

using test::AllTicks;
using test::TLoadedStation;

TDiffTables All() {
    TDiffTables t{};
    t.fill(true);
    return t;
}

TConfigDiff Compare(const TLoadedStation& a, const TLoadedStation& b,
                    const TDiffTables& tables = All()) {
    return CompareConfigurations({a.Session, *a.Store, TablesInHand(a.Session)},
                                 {b.Session, *b.Store, TablesInHand(b.Session)}, tables);
}

TConfigDiff Compare(const TLoadedConfig& a, const TLoadedConfig& b) {
    return CompareConfigurations({*a.Session, *a.Store, a.Held}, {*b.Session, *b.Store, b.Held},
                                 All());
}

std::string Listed(const TConfigDiff& diff) {
    return DiffText(diff, "A", "B");
}

std::string WriteFile(const test::TScratchDir& dir, const std::string& name,
                      const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir / name;
    EXPECT_TRUE(
        WriteFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}));
    return path;
}

// ---- round trips -----------------------------------------------------------------------------

TEST(ConfigDiffRoundTrip, AFileTheStationItCameFromAndTheFileSavedAgainAreAllEqual) {
    test::TScratchDir dir;
    test::TScriptedDialogs dialogs(false);
    const TLoadedStation& station = test::BuiltinStation("Dogwood");
    const std::string first = WriteFile(dir, "first.ats", test::BuiltinFile("Dogwood"));

    const auto a = LoadConfigForDiff(dialogs, dir.Path, first);
    const auto b = LoadConfigForDiff(dialogs, dir.Path, first);
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(Compare(*a, *b).Equal()) << Listed(Compare(*a, *b));

    // The station read, and the file it saved.
    const TConfigDiff read =
        CompareConfigurations({station.Session, *station.Store, TablesInHand(station.Session)},
                              {*a->Session, *a->Store, a->Held}, All());
    EXPECT_TRUE(read.Equal()) << Listed(read);

    // A file loaded and saved again.
    TFileList file;
    const std::string second = dir / "second.ats";
    ASSERT_TRUE(SaveConfiguration(*a->Session, *a->Store, file, AllTicks(), second));
    const auto c = LoadConfigForDiff(dialogs, dir.Path, second);
    ASSERT_TRUE(c);
    EXPECT_TRUE(Compare(*a, *c).Equal()) << Listed(Compare(*a, *c));
    EXPECT_EQ(DiffText(Compare(*a, *c), "A", "B"), "Сравнение: A | B\nКонфигурации совпадают.\n");
}

// ---- one edit, one difference ----------------------------------------------------------------

struct TEditCase {
    const char* What;
    ETable Table;
    // Sets the edited field on a side: `right` picks the right side's value.
    std::function<void(TLoadedStation&, bool right)> Set;
    std::string Section, Record, Field, Left, Right;
};

std::string PortOfLine(int index) {
    return std::to_string(TBroadcaster::GetPortNumFromIndex("Dogwood", index));
}

std::string PortOfTrunk(int index) {
    return std::to_string(TBroadcaster::GetPortNumFromSLIndex("Dogwood", index));
}

std::vector<TEditCase> EditCases() {
    const std::string line0 = PortOfLine(0);
    const int line2 = TBroadcaster::GetPortNumFromIndex("Dogwood", 2);
    const int line3 = TBroadcaster::GetPortNumFromIndex("Dogwood", 3);
    const int line4 = TBroadcaster::GetPortNumFromIndex("Dogwood", 4);
    return {
        {"a line setting", ETable::SubscriberLines,
         [](TLoadedStation& s, bool right) {
             s.Store->Lines[0].AL_Own[al_setting::DTMF] = true;
             s.Store->Lines[0].AL_DTMF = right;
         },
         "Установки АЛ", line0 + " Иванов", "Разрешение DTMF набора", "нет", "да"},
        {"a line following its group", ETable::SubscriberLines,
         [](TLoadedStation& s, bool right) {
             s.Store->Lines[1].AL_Own[al_setting::NonWorry] = !right;
             s.Store->Lines[1].AL_NonWorry = true;
         },
         "Установки АЛ", PortOfLine(1), "Разрешение включения режима \"Не беспокоить\"", "да",
         "как в группе (да)"},
        {"a trunk line's auto-dial", ETable::TrunkLines,
         [](TLoadedStation& s, bool right) {
             s.Store->TrunkLines[1].SL_AutoDial = right ? "8495" : "123";
         },
         "Установка СЛ", PortOfTrunk(1), "Автонабор", "123", "8495"},
        {"a group's direct call", ETable::Groups,
         [](TLoadedStation& s, bool right) {
             s.Store->Groups[2].GR_DirectCall = right ? "56" : "55";
         },
         "Установки групп", "Группа 12", "Прямой вызов", "55", "56"},
        {"a redirection target", ETable::Redirections,
         [line2](TLoadedStation& s, bool right) {
             s.Store->Redirections[1].State = 0;
             s.Store->Redirections[1].Target = right ? line2 : 0;
         },
         "Таблица переадресаций", PortOfLine(1), "Переадресация", "", std::to_string(line2)},
        {"a program number", ETable::ProgramNumbers,
         [](TLoadedStation& s, bool right) {
             FindPort(*s.Store, TBroadcaster::GetPortNumFromIndex("Dogwood", 0))
                 ->AlData->AL_PrgNum = right ? "177" : "176";
         },
         "Программные номера", line0 + " Иванов", "Программный номер", "176", "177"},
        {"a door phone's code", ETable::DoorPhones,
         [](TLoadedStation& s, bool right) {
             s.Store->DoorPhones[1].OpenCode = right ? "34" : "12";
         },
         "Таблицы домофонов", "Домофон № 2", "Код открывания", "12", "34"},
        {"a cell of the common book", ETable::GlobalPhoneBook,
         [](TLoadedStation& s, bool right) {
             s.Store->GlobalExtNum->Entries[5] = right ? "84951234567" : "";
         },
         "Общая записная книжка", "Ячейка 075", "Номер", "", "84951234567"},
        {"a cell of a group book", ETable::GroupPhoneBooks,
         [](TLoadedStation& s, bool right) {
             s.Store->GroupExtNums[2].Entries[0] = right ? "123" : "124";
         },
         "Групповые записные книжки", "Группа 12, ячейка 070", "Номер", "124", "123"},
        {"a timer", ETable::TimeSettings,
         [](TLoadedStation& s, bool right) {
             s.Store->TimeSettings.Values[11] = right ? 3.5f : 2.0f;
         },
         "Временные установки", "T21", kTimers[11].Description, "2.00 с", "3.50 с"},
        {"a system-wide switch", ETable::SystemSettings,
         [](TLoadedStation& s, bool right) { s.Store->SystemSettings.SYS_ToneDial = right; },
         "Общесистемные установки", "", "Глобальное разрешение тонального набора", "нет", "да"},
        {"a button of a system phone", ETable::StaButtons,
         [](TLoadedStation& s, bool right) {
             s.Store->StaButtons[0].Buttons[4] = right ? "101" : "";
         },
         "Таблицы кнопок СТА",
         "СТА " + std::to_string(TBroadcaster::GetSTANumFromLogNum("Dogwood", 1)), "Кнопка 5", "",
         "101"},
        {"a list entry", ETable::BlackWhiteLists,
         [](TLoadedStation& s, bool right) {
             s.Store->BlackWhiteList.Entries[12] = right ? "1234" : "";
         },
         "Черно-белая книжка", "2-я секция белого списка", "Номер 3", "", "1234"},
        {"a routing table cell", ETable::RoutingTables,
         [line2, line3](TLoadedStation& s, bool right) {
             auto& row = s.Store->RoutingTables[2].Rows[1];
             row = {line2, right ? line3 : 0, 0, 0, 0};
         },
         "Таблицы наведения", "Таблица наведения 03", "Строка 2, место 2", "",
         std::to_string(line3)},
        {"a conference member", ETable::QuickConferences,
         [line2, line3, line4](TLoadedStation& s, bool right) {
             TConfRecord& c = s.Store->Conferences[0];
             c.MemberCount = 2;
             c.Members[0] = line2;
             c.Members[1] = right ? line3 : line4;
         },
         "Быстрый сбор конференции", "Конференция 0", "Участник 2", std::to_string(line4),
         std::to_string(line3)},
        {"a loudspeaker channel's switch", ETable::Loudspeakers,
         [](TLoadedStation& s, bool right) { s.Store->Loudspeakers[0].AutoOff = right; },
         "Таблицы ГГС", "ГГС № 1", "Запрет автоматического отключения ГГС", "нет", "да"},
    };
}

// The edit goes through the table's codec both ways, as a save and a load would carry it.
void Apply(const TEditCase& edit, TLoadedStation& station, bool right) {
    edit.Set(station, right);
    const TTableCodec* codec = FindCodec(edit.Table);
    ASSERT_NE(codec, nullptr);
    codec->Encode(station.Session, *station.Store);
    codec->Decode(station.Session, *station.Store);
}

TEST(ConfigDiffEdits, EachEditIsExactlyOneDifferenceNamedAsTheWindowsNameIt) {
    for (const TEditCase& edit : EditCases()) {
        SCOPED_TRACE(edit.What);
        TLoadedStation left("Dogwood");
        TLoadedStation right("Dogwood");
        ASSERT_GE(left.Store->DoorPhoneCount, 2);
        ASSERT_GE(left.Session.ConferenceParams[0], 1);
        left.Store->Names->SetPortName(0, Utf8ToCp1251("Иванов"));
        Apply(edit, left, false);
        Apply(edit, right, true);

        const TConfigDiff diff = Compare(left, right);
        ASSERT_EQ(diff.Items.size(), 1u) << Listed(diff);
        const TDiffItem& item = diff.Items[0];
        EXPECT_EQ(item.Part, EDiffPart::Table);
        EXPECT_EQ(item.Table, edit.Table);
        EXPECT_EQ(item.Section, edit.Section);
        EXPECT_EQ(item.Record, edit.Record);
        EXPECT_EQ(item.Field, edit.Field);
        EXPECT_EQ(item.Left, edit.Left);
        EXPECT_EQ(item.Right, edit.Right);
        EXPECT_EQ(item.ByteCount, 0);

        // Left out of the chosen tables, the edit is not seen.
        TDiffTables others = All();
        others[static_cast<std::size_t>(SelectionIndex(edit.Table))] = false;
        EXPECT_TRUE(Compare(left, right, others).Equal()) << Listed(Compare(left, right, others));
    }
}

TEST(ConfigDiffEdits, BytesNoFieldExplainsAreCountedAndTablesComeInPanelOrder) {
    TLoadedStation left("Dogwood");
    TLoadedStation right("Dogwood");
    const std::vector<std::uint8_t> bytes{0x10, 0x20, 0x30, 0x40, 0x50};
    ASSERT_TRUE(left.Session.Area(ETable::Flash).Slots.at(0).Assign(bytes));
    ASSERT_TRUE(right.Session.Area(ETable::Flash)
                    .Slots.at(0)
                    .Assign(std::vector<std::uint8_t>{0xEF, 0x20, 0x31, 0x40, 0x50}));
    right.Store->Groups[0].GR_Priority ^= 1;      // groups come before flash on the panels
    right.Store->TimeSettings.Values[0] += 1.0f;  // timers come last but one
    const TConfigDiff diff = Compare(left, right);
    ASSERT_EQ(diff.Items.size(), 3u) << Listed(diff);
    EXPECT_EQ(diff.Items[0].Section, "Установки групп");
    EXPECT_EQ(diff.Items[1].Section, "Flash установки");
    EXPECT_EQ(diff.Items[1].Field, kDiffBytesField);
    EXPECT_EQ(diff.Items[1].ByteCount, 2);
    EXPECT_EQ(diff.Items[2].Section, "Временные установки");

    const std::string text = Listed(diff);
    EXPECT_NE(text.find("\n[Flash установки] 1 различие\n  изменены данные (2 байт)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n[Установки групп] 1 различие\n  Группа 10: Приоритет: "),
              std::string::npos)
        << text;
}

TEST(ConfigDiffText, CountsAgreeWithTheirNumber) {
    EXPECT_EQ(DifferenceCount(1), "1 различие");
    EXPECT_EQ(DifferenceCount(3), "3 различия");
    EXPECT_EQ(DifferenceCount(5), "5 различий");
    EXPECT_EQ(DifferenceCount(11), "11 различий");
    EXPECT_EQ(DifferenceCount(12), "12 различий");
    EXPECT_EQ(DifferenceCount(21), "21 различие");
    EXPECT_EQ(DifferenceCount(104), "104 различия");
    EXPECT_EQ(DifferenceCount(111), "111 различий");
}

// ---- other models, missing tables --------------------------------------------------------------

TEST(ConfigDiffShape, OtherModelsAreComparedOnIdentityAndCompositionOnly) {
    const TLoadedStation& dogwood = test::BuiltinStation("Dogwood");
    const TLoadedStation& cedar = test::BuiltinStation("Cedar");
    const TConfigDiff diff = Compare(dogwood, cedar);
    EXPECT_FALSE(diff.Equal());
    EXPECT_NE(diff.TablesNotCompared.find("Dogwood и Cedar"), std::string::npos);
    ASSERT_FALSE(diff.Items.empty());
    EXPECT_EQ(diff.Items[0].Field, "Модель");
    EXPECT_EQ(diff.Items[0].Left, "Dogwood");
    EXPECT_EQ(diff.Items[0].Right, "Cedar");
    bool composition = false;
    for (const TDiffItem& item : diff.Items) {
        EXPECT_TRUE(item.Part == EDiffPart::Identity || item.Part == EDiffPart::Composition)
            << item.Section << ": " << item.Field;
        composition = composition || item.Part == EDiffPart::Composition;
    }
    EXPECT_TRUE(composition);
    EXPECT_NE(Listed(diff).find(diff.TablesNotCompared), std::string::npos);
}

TEST(ConfigDiffShape, ATableOneFileLacksIsSaidOnceAndABoardMoreShowsItsPortsAndLines) {
    test::TScratchDir dir;
    test::TScriptedDialogs dialogs(false);
    TTableTicks withoutLines = AllTicks();
    withoutLines[static_cast<std::size_t>(SelectionIndex(ETable::SubscriberLines))] = false;
    const TLoadedStation& station = test::BuiltinStation("Dogwood");
    const auto full = LoadConfigForDiff(dialogs, dir.Path,
                                        WriteFile(dir, "full.ats", test::BuiltinFile("Dogwood")));
    const auto part = LoadConfigForDiff(
        dialogs, dir.Path,
        WriteFile(dir, "part.ats", test::SavedBytes(station.Session, withoutLines)));
    ASSERT_TRUE(full && part);
    const TConfigDiff diff = Compare(*full, *part);
    ASSERT_EQ(diff.Items.size(), 1u) << Listed(diff);
    EXPECT_EQ(diff.Items[0].Section, "Установки АЛ");
    EXPECT_EQ(diff.Items[0].Field, kDiffTableField);
    EXPECT_EQ(diff.Items[0].Left, kDiffTablePresent);
    EXPECT_EQ(diff.Items[0].Right, kDiffTableAbsent);

    // A file that cannot be loaded gives nothing to compare, after its message.
    test::TScriptedDialogs strict;
    strict.ExpectMessage();
    EXPECT_FALSE(LoadConfigForDiff(strict, dir.Path, dir / "missing.ats"));
    EXPECT_TRUE(strict.AllSeen());
}

TEST(ConfigDiffShape, LinesOfABoardOnlyOneSideHasAreRecordsOfThatSideOnly) {
    TLoadedStation left("Dogwood");
    TLoadedStation right("Dogwood");
    // One line fewer on the right: its line is a record the left has alone.
    const int lines = right.Session.Identity.SubscriberLineCount;
    ASSERT_GT(lines, 1);
    right.Session.Identity.SubscriberLineCount = static_cast<std::uint16_t>(lines - 1);
    const TConfigDiff diff = Compare(left, right, test::OnlyTicks({ETable::SubscriberLines}));
    ASSERT_EQ(diff.Items.size(), 2u) << Listed(diff);
    EXPECT_EQ(diff.Items[0].Field, "Число АЛ");
    EXPECT_EQ(diff.Items[1].Record, PortOfLine(lines - 1));
    EXPECT_EQ(diff.Items[1].Field, "Запись");
    EXPECT_EQ(diff.Items[1].Left, kDiffTablePresent);
    EXPECT_EQ(diff.Items[1].Right, kDiffTableAbsent);
}

// ---- zarnik-cli diff -------------------------------------------------------------------------

struct TCliRun {
    int Code = -1;
    std::string Out, Err;
};

std::string Quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

TCliRun Cli(const test::TScratchDir& dir, const std::vector<std::string>& args) {
    std::string command = std::string(ZARNIK_CLI_PATH) + " --dir " + Quoted(dir.Path);
    for (const std::string& a : args) command += " " + Quoted(a);
    command += " >" + Quoted(dir / "out.txt") + " 2>" + Quoted(dir / "err.txt");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadBytes(dir / "out.txt"),
            test::ReadBytes(dir / "err.txt")};
}

class ConfigDiffCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
    }
    test::TScratchDir Dir;
};

TEST_F(ConfigDiffCli, ExitCodesTextAndJson) {
    const std::string a = WriteFile(Dir, "a.ats", test::BuiltinFile("Dogwood"));
    // The same station with one trunk line's auto-dial changed, saved as a file.
    TLoadedStation edited("Dogwood");
    edited.Store->TrunkLines[1].SL_AutoDial = "999";
    FindCodec(ETable::TrunkLines)->Encode(edited.Session, *edited.Store);
    const std::string b = WriteFile(Dir, "b.ats", test::SavedBytes(edited.Session));

    TCliRun run = Cli(Dir, {"diff", "--help"});
    EXPECT_EQ(run.Code, 0);
    for (const char* line : {"  0  the configurations are equal", "  1  they differ",
                             "  2  bad arguments, or a file that cannot be loaded"})
        EXPECT_NE(run.Out.find(line), std::string::npos) << line << "\n" << run.Out;

    run = Cli(Dir, {"diff", a, a});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Сравнение: " + a + " | " + a + "\nКонфигурации совпадают.\n");

    run = Cli(Dir, {"diff", a, b});
    EXPECT_EQ(run.Code, 1) << run.Err;
    const std::string trunk = PortOfTrunk(1);
    EXPECT_NE(run.Out.find("\n[Установка СЛ] 1 различие\n  " + trunk + ": Автонабор: "),
              std::string::npos)
        << run.Out;

    run = Cli(Dir, {"diff", a, b, "--json"});
    EXPECT_EQ(run.Code, 1) << run.Err;
    const nlohmann::json json = nlohmann::json::parse(run.Out);
    EXPECT_FALSE(json.at("equal").get<bool>());
    ASSERT_EQ(json.at("differences").size(), 1u) << run.Out;
    const nlohmann::json& item = json.at("differences")[0];
    EXPECT_EQ(item.at("table"), "trunks");
    EXPECT_EQ(item.at("section"), "Установка СЛ");
    EXPECT_EQ(item.at("record"), trunk);
    EXPECT_EQ(item.at("field"), "Автонабор");
    EXPECT_EQ(item.at("right"), "999");

    // Tables left out are not compared.
    EXPECT_EQ(Cli(Dir, {"diff", a, b, "--tables", "lines,groups"}).Code, 0);

    // Bad arguments and files that cannot be loaded: 2, never "different".
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"diff", a},
                                               {"diff", a, b, a},
                                               {"diff", "--station", a, b},
                                               {"diff", a, b, "--tables", "nosuch"},
                                               {"diff", a, Dir / "missing.ats"}}) {
        run = Cli(Dir, args);
        EXPECT_EQ(run.Code, 2) << args.back() << "\n" << run.Err;
        EXPECT_TRUE(run.Out.empty()) << run.Out;
    }
}

TEST_F(ConfigDiffCli, AFileAgainstTheStationReadsOnlyTheChosenTables) {
    test::TSimProcess sim({"--model", "Cedar", "--serial", "777"});
    const std::string port = sim.LinkPath();
    TCliRun run = Cli(Dir, {"--port", port, "read", "-o", Dir / "backup.ats"});
    ASSERT_EQ(run.Code, 0) << run.Err;

    run = Cli(Dir, {"--port", port, "diff", "--station", Dir / "backup.ats"});
    EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("Конфигурации совпадают."), std::string::npos) << run.Out;

    // Another station's file: the serial number differs.
    const std::string other = WriteFile(Dir, "other.ats", test::BuiltinFile("Cedar"));
    run = Cli(Dir, {"--port", port, "diff", "--station", other, "--tables", "lines", "--json"});
    EXPECT_EQ(run.Code, 1) << run.Err;
    const nlohmann::json json = nlohmann::json::parse(run.Out);
    bool serial = false;
    for (const nlohmann::json& item : json.at("differences")) {
        EXPECT_TRUE(item.at("table") != "trunks") << "trunk lines were not chosen";
        if (item.at("field") == "Заводской номер") serial = item.at("left") == "777";
    }
    EXPECT_TRUE(serial) << run.Out;
}

}  // namespace
}  // namespace zarnik
