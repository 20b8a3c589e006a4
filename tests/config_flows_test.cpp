// The save and load flows: their questions and messages, the backup, what a load replaces and
// what it keeps, and whole configurations travelling through files.

#include "files/config_flows.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "flows/status_lines.h"
#include "support/file_test_helpers.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::AllTicks;
using test::OnlyTicks;
using test::TLoadedStation;
using test::TOfflineSession;

const std::string kModelQuestion =
    "Тип АТС и тип файла не совпадают(файл будет прочитан полностью, отсутствующие в файле "
    "таблицы будут очищены). Будем читать файл?";

std::string AsText(const std::vector<std::uint8_t>& b) {
    return {b.begin(), b.end()};
}

void ExpectOnlyDialog(const test::TScriptedDialogs& d, const std::string& kind,
                      const std::string& text, const std::string& caption) {
    ASSERT_EQ(d.Seen.size(), 1u);
    EXPECT_EQ(d.Seen[0].Kind, kind);
    EXPECT_EQ(d.Seen[0].Text, text);
    EXPECT_EQ(d.Seen[0].Caption, caption);
}

// ---------------------------------------------------------------- ticks

TEST(TableTicks, MarkAllFollowsTheFirstBoxOnly) {
    TTableTicks ticks = AllTicks();
    ticks[static_cast<std::size_t>(SelectionIndex(ETable::SubscriberLines))] = false;
    ToggleAllTicks(ticks);  // the first box unticked: all ticked, though the others already were
    EXPECT_EQ(ticks, AllTicks());
    ToggleAllTicks(ticks);
    EXPECT_EQ(ticks, TTableTicks{});
    ticks = OnlyTicks({ETable::SubscriberLines});  // the first box ticked: all unticked
    ToggleAllTicks(ticks);
    EXPECT_EQ(ticks, TTableTicks{});
    ticks = OnlyTicks({ETable::TrunkLines, ETable::Groups});
    ToggleAllTicks(ticks);
    EXPECT_EQ(ticks, AllTicks());
}

// ---------------------------------------------------------------- saving

class SaveFlow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Station = new TLoadedStation("Cedar");
        std::filesystem::create_directory(Dir());
    }
    static void TearDownTestSuite() {
        delete Station;
        Station = nullptr;
    }
    void SetUp() override {
        Dialogs().Seen.clear();
        std::error_code ec;
        std::filesystem::remove_all(Backup(), ec);
        std::filesystem::remove(Name(), ec);
    }
    static test::TScriptedDialogs& Dialogs() { return Station->Dialogs; }
    static std::string Dir() { return Station->Dir.Path + "/files"; }
    static std::string Name() { return Dir() + "/office.ats"; }
    static std::string Backup() { return Station->Dir.Path + "/ats.bak"; }
    static bool Save(const TTableTicks& ticks, const std::string& name = Name()) {
        TFileList file;
        return SaveConfiguration(Station->Session, *Station->Store, file, ticks, name);
    }
    static inline TLoadedStation* Station = nullptr;
};

TEST_F(SaveFlow, NothingTickedOrNoSuchFolderSavesNothing) {
    EXPECT_FALSE(Save(TTableTicks{}));
    ExpectOnlyDialog(Dialogs(), "message", "Не выбрано ни одной таблицы.", "Уведомление");
    Dialogs().Seen.clear();
    EXPECT_FALSE(Save(AllTicks(), Dir() + "/nosuch/office.ats"));
    ExpectOnlyDialog(Dialogs(), "message", "Невозможно создать файл", "Ошибка");
    EXPECT_EQ(test::EntriesOf(Dir()), std::set<std::string>{});
}

TEST_F(SaveFlow, SavingTwiceAsksAndKeepsTheFirstFileAsTheBackup) {
    ASSERT_TRUE(Save(OnlyTicks({ETable::SystemSettings})));
    EXPECT_TRUE(Dialogs().Seen.empty());
    const std::string first = test::ReadBytes(Name());
    EXPECT_FALSE(std::filesystem::exists(Backup()));

    Dialogs().ExpectQuestion("Файл уже существует, перезаписать его?", TAnswer::Cancel);
    EXPECT_FALSE(Save(AllTicks()));
    ExpectOnlyDialog(Dialogs(), "question", "Файл уже существует, перезаписать его?",
                     "Предупреждение");
    EXPECT_EQ(test::ReadBytes(Name()), first);
    EXPECT_FALSE(std::filesystem::exists(Backup()));

    Dialogs().Seen.clear();
    Dialogs().ExpectQuestion("", TAnswer::Ok);
    ASSERT_TRUE(Save(AllTicks()));
    EXPECT_EQ(test::ReadBytes(Backup()), first);
    EXPECT_EQ(test::ReadBytes(Name()), AsText(test::SavedBytes(Station->Session)));
    EXPECT_EQ(test::EntriesOf(Dir()), std::set<std::string>{"office.ats"});
    EXPECT_TRUE(Dialogs().AllSeen());
}

// A save that fails at any step leaves the file under the name and the backup as they were,
// and no half-written file behind.
TEST_F(SaveFlow, AFailedSaveKeepsTheOldFileAndTheBackup) {
    ASSERT_TRUE(Save(OnlyTicks({ETable::SystemSettings})));
    Dialogs().ExpectQuestion("", TAnswer::Ok);
    ASSERT_TRUE(Save(OnlyTicks({ETable::TimeSettings})));
    const std::string old = test::ReadBytes(Name());
    const std::string backup = test::ReadBytes(Backup());
    ASSERT_NE(old, backup);
    auto expectUnchanged = [&] {
        EXPECT_EQ(test::ReadBytes(Name()), old);
        EXPECT_EQ(test::ReadBytes(Backup()), backup);
    };

    // The names beside the file that the new file could be written under cannot be used.
    const auto temporaries = [] {
        std::vector<std::string> names;
        for (int n = 0; n < 100; ++n)
            names.push_back(Dir() + "/.office.ats.tmp" + std::to_string(::getpid()) + "." +
                            std::to_string(n));
        return names;
    }();
    for (const std::string& name : temporaries) std::filesystem::create_directory(name);
    Dialogs().Seen.clear();
    Dialogs().ExpectQuestion("", TAnswer::Ok);
    EXPECT_FALSE(Save(AllTicks()));
    ASSERT_EQ(Dialogs().Seen.size(), 2u);
    EXPECT_EQ(Dialogs().Seen[1].Text, "Невозможно создать файл");
    EXPECT_EQ(Dialogs().Seen[1].Caption, "Ошибка");
    expectUnchanged();
    for (const std::string& name : temporaries) std::filesystem::remove(name);

    // The disk fills up in the middle of the new file.
    {
        const test::TFileSizeLimit limit(300);
        Dialogs().Seen.clear();
        Dialogs().ExpectQuestion("", TAnswer::Ok);
        EXPECT_FALSE(Save(AllTicks()));
    }
    ASSERT_EQ(Dialogs().Seen.size(), 2u);
    EXPECT_EQ(Dialogs().Seen[1].Text, "Невозможно создать файл");
    expectUnchanged();
    EXPECT_EQ(test::EntriesOf(Dir()), std::set<std::string>{"office.ats"});

    // The backup cannot be written: nothing new is written without it.
    std::filesystem::remove(Backup());
    std::filesystem::create_directory(Backup());
    test::WriteBytes(Backup() + "/keep", "x");  // a folder that cannot simply be removed
    Dialogs().Seen.clear();
    Dialogs().ExpectQuestion("", TAnswer::Ok);
    EXPECT_FALSE(Save(AllTicks()));
    ASSERT_EQ(Dialogs().Seen.size(), 2u);
    EXPECT_EQ(Dialogs().Seen[1].Text,
              "Файл не записан: прежний файл не удалось сохранить как \"ats.bak\".");
    EXPECT_EQ(Dialogs().Seen[1].Caption, "Ошибка");
    EXPECT_EQ(test::ReadBytes(Name()), old);
    EXPECT_EQ(test::EntriesOf(Dir()), std::set<std::string>{"office.ats"});
    std::filesystem::remove_all(Backup());
}

// A saved file keeps the permissions of the one it replaces, and a name near the file system's
// limit saves like any other (the temporary beside it must not be longer).
TEST_F(SaveFlow, ReplacingKeepsThePermissionsAndLongNamesSave) {
    ASSERT_TRUE(Save(OnlyTicks({ETable::SystemSettings})));
    ASSERT_EQ(::chmod(Name().c_str(), 0600), 0);
    Dialogs().ExpectQuestion("", TAnswer::Ok);
    ASSERT_TRUE(Save(AllTicks()));
    struct stat st {};
    ASSERT_EQ(::stat(Name().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    const std::string longName = Dir() + "/" + std::string(236, 'k') + ".ats";  // 240 bytes
    EXPECT_TRUE(Save(AllTicks(), longName))
        << (Dialogs().Seen.empty() ? "" : Dialogs().Seen.back().Text);
    EXPECT_EQ(test::ReadBytes(longName), test::ReadBytes(Name()));
    std::filesystem::remove(longName);
    EXPECT_EQ(test::EntriesOf(Dir()), std::set<std::string>{"office.ats"});
}

// ---------------------------------------------------------------- loading

class LoadFlow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Files = new test::TScratchDir;
        for (const char* model : {"Alder", "Dogwood"})
            test::WriteBytes(Path(model), AsText(test::BuiltinFile(model)));
    }
    static void TearDownTestSuite() {
        delete Files;
        Files = nullptr;
    }
    static std::string Path(const std::string& model) { return *Files / (model + ".ats"); }

    static bool Load(TOfflineSession& s, const std::string& name,
                     const TTableTicks& ticks = AllTicks()) {
        TFileList file;
        return LoadConfiguration(s.Session, *s.Store, file, ticks, name);
    }
    static inline test::TScratchDir* Files = nullptr;
};

TEST_F(LoadFlow, NothingTickedOrNoFileLoadsNothing) {
    TOfflineSession s;
    const std::string before = test::SessionPrint(s.Session);
    EXPECT_FALSE(Load(s, Path("Alder"), TTableTicks{}));
    ExpectOnlyDialog(s.Dialogs, "message", "Не отмечено ни одной таблицы.", "");
    for (const std::string& name : {Path("Nosuch"), Files->Path}) {
        s.Dialogs.Seen.clear();
        EXPECT_FALSE(Load(s, name));
        ExpectOnlyDialog(s.Dialogs, "message", "Не смогли открыть файл.", "Ошибка");
    }
    EXPECT_EQ(test::SessionPrint(s.Session), before);
    EXPECT_FALSE(s.Session.DataPresent);
}

TEST_F(LoadFlow, AFreshProgramNeverAsksAndTakesTheFilesStation) {
    TOfflineSession s("");
    ASSERT_TRUE(Load(s, Path("Dogwood")));
    EXPECT_TRUE(s.Dialogs.Seen.empty());
    EXPECT_EQ(s.Session.Identity.ModelName, "Dogwood");
    EXPECT_EQ(s.Store->Model, "Dogwood");
    EXPECT_TRUE(s.Session.DataPresent);
    EXPECT_FALSE(s.Session.Identified);
    // Every ticked table counts as changed, so a write sends all of it.
    for (ETable t : kAllTables) EXPECT_TRUE(s.Session.Changed(t));
    ASSERT_NE(s.Session.VerFlags, nullptr);
    EXPECT_EQ(s.Session.VerFlags->QuickConferences(),
              TTableVerRWFlags("Dogwood", s.Session.Identity.Version).QuickConferences());
}

TEST_F(LoadFlow, AnotherModelThanTheStationReadIsLoadedOnlyOnOk) {
    TLoadedStation s("Dogwood");  // read from a station: identified
    const std::string session = test::SessionPrint(s.Session);
    const std::string store = test::StorePrint(s.Session, *s.Store);
    s.Dialogs.ExpectQuestion(kModelQuestion, TAnswer::Cancel);
    EXPECT_FALSE(Load(s, Path("Alder")));
    ExpectOnlyDialog(s.Dialogs, "question", kModelQuestion, "Предупреждение");
    EXPECT_EQ(test::SessionPrint(s.Session), session);
    EXPECT_EQ(test::StorePrint(s.Session, *s.Store), store);

    s.Dialogs.Seen.clear();
    ASSERT_TRUE(Load(s, Path("Dogwood")));  // the same model: no question
    EXPECT_TRUE(s.Dialogs.Seen.empty());

    s.Dialogs.ExpectQuestion(kModelQuestion, TAnswer::Ok);
    ASSERT_TRUE(Load(s, Path("Alder")));
    EXPECT_TRUE(s.Dialogs.AllSeen());
    EXPECT_EQ(s.Store->Model, "Alder");
}

// The station and its ports come from the file; the unticked tables stay as they were, in the
// session and in the store.
TEST_F(LoadFlow, OnlySubscriberLinesKeepsEveryOtherTable) {
    TLoadedStation s("Alder");
    // The station's tables differ from the file's: most are blank, and the three that keep a
    // part of themselves on the ports are changed.
    for (ETable t : kAllTables) {
        if (t == ETable::SubscriberLines || t == ETable::ProgramNumbers ||
            t == ETable::DoorPhones || t == ETable::Loudspeakers)
            continue;
        FindCodec(t)->Blank(s.Session);
        if (t != ETable::Flash) FindCodec(t)->Decode(s.Session, *s.Store);
    }
    for (const TPortPtr& p : s.Store->Ports)
        if (IsLinePort(*p)) p->AlData->AL_PrgNum = "1" + std::to_string(p->Number);
    s.Store->DoorPhones[0].OpenCode = "4321";
    ASSERT_EQ(FindCodec(ETable::ProgramNumbers)->Encode(s.Session, *s.Store), 1);
    FindCodec(ETable::DoorPhones)->Encode(s.Session, *s.Store);
    std::array<std::vector<std::vector<std::uint8_t>>, kTableCount> areas;
    for (ETable t : kAllTables)
        for (const TRawSlot& slot : s.Session.Area(t).Slots)
            areas[static_cast<std::size_t>(SelectionIndex(t))].emplace_back(slot.Bytes);
    const nlohmann::json before = cli::StoreToJson(s.Session, *s.Store, AllTicks());

    TLoadedStation source("Alder");
    // The file's lines differ from the station's.
    source.Store->Lines[0].AL_DTMF = !source.Store->Lines[0].AL_DTMF;
    FindCodec(ETable::SubscriberLines)->Encode(source.Session, *source.Store);
    test::TScratchDir dir;
    test::WriteBytes(dir / "lines.ats", AsText(test::SavedBytes(source.Session)));
    s.Session.Identified = false;
    const TPortPtr oldFirst = s.Store->Ports.front();
    ASSERT_TRUE(Load(s, dir / "lines.ats", OnlyTicks({ETable::SubscriberLines})));

    const nlohmann::json after = cli::StoreToJson(s.Session, *s.Store, AllTicks());
    const nlohmann::json file = cli::StoreToJson(source.Session, *source.Store, AllTicks());
    ASSERT_NE(after["lines"], before["lines"]);
    for (const TTableCodec* codec : RegisteredCodecs()) {
        SCOPED_TRACE(codec->Key);
        if (codec->Table == ETable::SubscriberLines) {
            EXPECT_EQ(after[codec->Key], file[codec->Key]);
            continue;
        }
        EXPECT_EQ(after[codec->Key], before[codec->Key]);
        std::size_t i = 0;
        for (const TRawSlot& slot : s.Session.Area(codec->Table).Slots)
            EXPECT_EQ(slot.Bytes,
                      areas[static_cast<std::size_t>(SelectionIndex(codec->Table))][i++]);
    }
    // The port model is new, built from the file's composition, and still carries the
    // station's own program numbers and attached lines.
    EXPECT_NE(s.Store->Ports.front(), oldFirst);
    EXPECT_EQ(after["Ports"], before["Ports"]);
    EXPECT_EQ(FindPort(*s.Store, 201)->AlData->AL_PrgNum, "1201");
    EXPECT_TRUE(s.Session.Changed(ETable::SubscriberLines));
    EXPECT_FALSE(s.Session.Changed(ETable::Groups));
}

// A ticked table the file does not hold is loaded blank but is not a change to send: the write
// panel is told which ticked tables would go out blank. A read, the constructor or an edit of
// the table ends that.
TEST_F(LoadFlow, ATableTheFileLacksIsHeldBlankButNeverMarkedForWriting) {
    TLoadedStation source("Alder");
    test::TScratchDir dir;
    test::WriteBytes(dir / "lines.ats", AsText(test::SavedBytes(
                                            source.Session, OnlyTicks({ETable::SubscriberLines}))));
    TLoadedStation s("Alder");
    ASSERT_TRUE(Load(s, dir / "lines.ats"));
    for (ETable t : kAllTables) EXPECT_EQ(s.Session.Changed(t), t == ETable::SubscriberLines);
    const std::vector<ETable> blank = BlankTablesForWrite(s.Session, AllTicks());
    EXPECT_EQ(blank.size(), kTableCount - 1u);
    EXPECT_EQ(std::count(blank.begin(), blank.end(), ETable::SubscriberLines), 0);
    EXPECT_TRUE(BlankTablesForWrite(s.Session, OnlyTicks({ETable::SubscriberLines})).empty());
    EXPECT_EQ(BlankTablesWarning(BlankTablesForWrite(s.Session, OnlyTicks({ETable::DoorPhones}))),
              "В загруженном файле нет таблиц: «Таблицы домофонов». Записанные в АТС, они будут "
              "пустыми: прежние настройки этих таблиц в АТС пропадут.");
    EXPECT_EQ(BlankTablesWarning({}), "");

    // Confirming the door phones' window makes them the user's own.
    FindCodec(ETable::DoorPhones)->Encode(s.Session, *s.Store);
    EXPECT_TRUE(BlankTablesForWrite(s.Session, OnlyTicks({ETable::DoorPhones})).empty());
    // A file that holds the table ends it too; a load that leaves a table unticked keeps it.
    test::WriteBytes(dir / "all.ats", AsText(test::SavedBytes(source.Session)));
    ASSERT_TRUE(Load(s, dir / "all.ats", OnlyTicks({ETable::Groups})));
    EXPECT_EQ(BlankTablesForWrite(s.Session, OnlyTicks({ETable::Groups, ETable::TrunkLines})),
              std::vector<ETable>{ETable::TrunkLines});
    EXPECT_EQ(s.Session.Origin, EConfigOrigin::File);
}

// The four lines the main window shows after a load come from the file's identification: the
// station goes by its model, and the buffer line has no figure.
TEST_F(LoadFlow, IdentityLinesComeFromTheLoadedFile) {
    TLoadedStation s("Alder");
    ASSERT_FALSE(s.Store->StationName.empty());  // the name of the station read before
    s.Store->BufferText = "12 из 100. Cвободно 88.00%";
    s.Session.Identified = false;
    ASSERT_TRUE(Load(s, Path("Dogwood"), OnlyTicks({ETable::SystemSettings})));
    const std::array<std::string, 4> expected{
        "Название АТС : Dogwood",
        "Версия рабочей программы: ZN 5.5 / " + s.Session.Identity.Version,
        "Заводской номер : " + s.Session.Identity.SerialNumber,
        "Буфер тарификации соединений. Заполнено "};
    EXPECT_EQ(LoadedStatusLines(*s.Store), expected);
    EXPECT_EQ(StatusLines(*s.Store), expected);
    EXPECT_EQ(s.Session.Identity.StationName, "Dogwood");
}

// Door phones and loudspeaker channels are decoded before the program numbers and retype the
// subscriber lines they are attached to; those lines keep their program numbers all the same.
// Whether the program-number table has an entry for the port: large models for ports 200 to
// 319 (Dogwood to 349), small models for the station's subscriber line indexes.
bool HasProgramNumberEntry(const TMainClass& session, int port) {
    const std::string& model = session.Identity.ModelName;
    if (model == "Dogwood") return port >= 200 && port < 350;
    if (model == "Cedar") return port >= 200 && port < 320;
    const int index = (port - 200) / 10 * 8 + (port - 200) % 10;
    return index < session.Identity.SubscriberLineCount;
}

TEST_F(LoadFlow, ProgramNumbersReachLinesWithDoorPhonesAndLoudspeakers) {
    TOfflineSession s("");
    for (const char* model : {"Dogwood", "Alder"}) {
        SCOPED_TRACE(model);
        TLoadedStation source(model);
        std::vector<TPortPtr> attached;
        for (const TPortPtr& p : source.Store->Ports)
            if ((p->Type == kPortTypeAttachedDoorPhone ||
                 p->Type == kPortTypeAttachedLoudspeaker) &&
                HasProgramNumberEntry(source.Session, p->Number))
                attached.push_back(p);
        ASSERT_GE(attached.size(), 2u);
        if (std::string(model) == "Dogwood") {
            ASSERT_EQ(attached.back()->Type, kPortTypeAttachedLoudspeaker);
        }
        for (std::size_t i = 0; i < attached.size(); ++i)
            attached[i]->AlData->AL_PrgNum = "1" + std::to_string(500 + i);
        ASSERT_EQ(FindCodec(ETable::ProgramNumbers)->Encode(source.Session, *source.Store), 1);
        const auto record = FindCodec(ETable::ProgramNumbers)->Pack(source.Session);
        test::TScratchDir dir;
        test::WriteBytes(dir / "p.ats", AsText(test::SavedBytes(source.Session)));

        ASSERT_TRUE(Load(s, dir / "p.ats"));
        for (std::size_t i = 0; i < attached.size(); ++i) {
            const TPortPtr port = FindPort(*s.Store, attached[i]->Number);
            ASSERT_NE(port, nullptr) << attached[i]->Number;
            EXPECT_EQ(port->Type, attached[i]->Type);
            EXPECT_EQ(port->AlData->AL_PrgNum, "1" + std::to_string(500 + i));
        }
        // Encoding what was loaded gives the file's numbers back.
        ASSERT_EQ(FindCodec(ETable::ProgramNumbers)->Encode(s.Session, *s.Store), 1);
        EXPECT_EQ(FindCodec(ETable::ProgramNumbers)->Pack(s.Session), record);
    }
}

// ---------------------------------------------------------------- whole configurations

TEST(ConfigurationFiles, SaveLoadSaveGivesIdenticalBytesForEveryModel) {
    TOfflineSession s("");
    for (const char* model : {"Alder", "Birch", "Cedar", "Dogwood"}) {
        SCOPED_TRACE(model);
        const TLoadedStation& station = test::BuiltinStation(model);
        const auto& first = test::BuiltinFile(model);
        TFileList file;
        ASSERT_TRUE(LoadConfigurationBytes(s.Session, *s.Store, file, AllTicks(), first));
        EXPECT_EQ(test::SavedBytes(s.Session), first);
        // The store holds what the station's did, but for what a file does not carry: the
        // station's name and the boards' details.
        auto comparable = [](const TOfflineSession& x) {
            nlohmann::json j = cli::StoreToJson(x.Session, *x.Store, AllTicks());
            for (nlohmann::json& entry : j["Composition"]) entry = entry["BoardType"];
            j.erase("StationName");
            j["Identity"].erase("StationName");
            return j;
        };
        EXPECT_EQ(comparable(s), comparable(station));
    }
}

}  // namespace
}  // namespace zarnik
