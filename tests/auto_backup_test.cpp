// Automatic backups under "dat/auto": names, pruning, the copy after a whole read and the copy
// taken before a write, against a simulated station served from the test.

#include "flows/auto_backup.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "files/config_flows.h"
#include "flows/read_write_all.h"
#include "flows/verified_write.h"
#include "sim/builtin_stations.h"
#include "support/file_test_helpers.h"
#include "support/live_station.h"
#include "support/run_program.h"
#include "support/sim_process.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

std::chrono::system_clock::time_point LocalTime(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

sim::TSimStation Station(std::uint16_t serial) {
    sim::TSimStation station = sim::MakeBuiltinStation("Dogwood", false);
    station.Identity.Serial = serial;
    return station;
}

TTableTicks Only(std::initializer_list<ETable> tables) {
    TTableTicks ticks{};
    for (ETable t : tables) ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

TEST(AutoBackupFiles, NamedBySerialAndLocalTimeAndPrunedToTheNewestFifty) {
    EXPECT_EQ(AutoBackupName("6105", LocalTime(2026, 12, 9, 14, 3, 22)),
              "6105_2026-12-09_14-03-22.ats");
    EXPECT_EQ(AutoBackupName("7", LocalTime(2031, 1, 2, 3, 4, 5)), "7_2031-01-02_03-04-05.ats");

    test::TScratchDir dir;
    // 52 backups of station 6105, two of them in one second; another station whose number
    // starts alike; files that only look like backups.
    for (int i = 0; i < 51; ++i)
        test::WriteBytes(dir / AutoBackupName("6105", LocalTime(2026, 1, 1 + i % 28, i / 28, 0, i)),
                         std::to_string(i));
    test::WriteBytes(dir / "6105_2026-01-28_01-00-50_2.ats", "same second");
    const std::set<std::string> others{"61050_2020-01-01_00-00-00.ats", "6105_notes.ats",
                                       "6105_2020-01-01_00-00-00.txt", "6105_2020-1-01_00-00-00.ats"};
    for (const std::string& name : others) test::WriteBytes(dir / name, "other");

    const auto before = AutoBackupsOf(dir.Path, "6105");
    ASSERT_EQ(before.size(), 52u);
    // Oldest first; the second backup of a second comes after the first.
    EXPECT_EQ(fs::path(before.front()).filename(), "6105_2026-01-01_00-00-00.ats");
    EXPECT_EQ(fs::path(before.back()).filename(), "6105_2026-01-28_01-00-50_2.ats");

    PruneAutoBackups(dir.Path, "6105");
    const auto after = AutoBackupsOf(dir.Path, "6105");
    ASSERT_EQ(after.size(), kAutoBackupsKept);
    EXPECT_EQ(std::vector<std::string>(before.begin() + 2, before.end()), after);
    for (const std::string& name : others) EXPECT_TRUE(fs::exists(dir / name)) << name;
}

struct TBackupRig {
    explicit TBackupRig(std::uint16_t serial = 6105, bool strict = true)
        : Live(Station(serial)), Linked(Live.Path(), strict) {}
    TMainClass& S() { return *Linked.Session; }
    TDataStream& D() { return *Linked.Store; }
    std::string AutoDir() const { return Linked.Work.Path + "/dat/auto"; }
    test::TLiveStation Live;
    test::TLinkedSession Linked;
    TCountingProgress Progress;
};

TEST(AutoBackupAfterRead, AWholeReadIsKeptAsTheSameFileASaveWouldWrite) {
    TBackupRig rig;
    rig.D().TransferFlags.fill(true);
    std::vector<ETable> failed;
    ASSERT_EQ(ReadAll(rig.S(), rig.Progress, rig.D(), &failed), 1);
    rig.S().Now = [] { return LocalTime(2026, 12, 9, 14, 3, 22); };
    TBackupRecord record;
    const TBackupOutcome first = BackUpAfterRead(rig.S(), rig.D(), record, failed);
    ASSERT_EQ(first.Kind, TBackupOutcome::EKind::Saved) << first.Why;
    EXPECT_EQ(first.Path, rig.AutoDir() + "/6105_2026-12-09_14-03-22.ats");

    // Byte for byte what "Записать в файл" with every box ticked writes.
    TFileList file;
    TTableTicks all{};
    all.fill(true);
    const std::string saved = rig.Linked.Work.Path + "/saved.ats";
    ASSERT_TRUE(SaveConfiguration(rig.S(), rig.D(), file, all, saved));
    EXPECT_EQ(ReadBytes(first.Path), ReadBytes(saved));

    // A second read in the same second gets a name of its own.
    const TBackupOutcome second = BackUpAfterRead(rig.S(), rig.D(), record, failed);
    EXPECT_EQ(second.Path, rig.AutoDir() + "/6105_2026-12-09_14-03-22_2.ats");

    // Part of the station, or a read with a table missing, is no backup.
    EXPECT_EQ(BackUpAfterRead(rig.S(), rig.D(), record, {ETable::Groups}).Kind,
              TBackupOutcome::EKind::NotDue);
    rig.D().TransferFlags = Only({ETable::SubscriberLines});
    EXPECT_EQ(BackUpAfterRead(rig.S(), rig.D(), record, {}).Kind, TBackupOutcome::EKind::NotDue);
    EXPECT_EQ(AutoBackupsOf(rig.AutoDir(), "6105").size(), 2u);
}

TEST(AutoBackupAfterRead, AFolderThatCannotBeMadeIsAFailureNotACrash) {
    TBackupRig rig;
    rig.D().TransferFlags.fill(true);
    ASSERT_EQ(ReadAll(rig.S(), rig.Progress, rig.D()), 1);
    test::WriteBytes(rig.Linked.Work.Path + "/dat/auto", "a file where the folder should be");
    TBackupRecord record;
    const TBackupOutcome out = BackUpAfterRead(rig.S(), rig.D(), record, {});
    EXPECT_EQ(out.Kind, TBackupOutcome::EKind::Failed);
    EXPECT_NE(out.Why.find("auto"), std::string::npos) << out.Why;
}

// A configuration from a file is about to go to a station never read in this run: the tables
// it would overwrite are read and kept first, and nothing in hand changes.
TEST(AutoBackupBeforeWrite, KeepsTheStationsTablesAndLeavesTheConfigurationInHand) {
    TBackupRig rig;
    rig.D().TransferFlags.fill(true);
    ASSERT_EQ(ReadAll(rig.S(), rig.Progress, rig.D()), 1);
    // The configuration in hand now differs from the station's: an edited time table.
    TRawArea& time = rig.S().Area(ETable::TimeSettings);
    ASSERT_GT(time.Slots[0].Length, 4);
    const std::uint8_t stationByte = time.Slots[0].Bytes[3];
    time.Slots[0].Bytes[3] = static_cast<std::uint8_t>(stationByte ^ 0x5A);
    rig.S().SetChanged(ETable::TimeSettings);
    const TRawArea edited = time;
    const TTableTicks chosen = Only({ETable::TimeSettings, ETable::SystemSettings});
    rig.D().TransferFlags = chosen;

    TBackupRecord record;
    const TBackupOutcome out = BackUpBeforeWrite(rig.S(), rig.D(), record);
    ASSERT_EQ(out.Kind, TBackupOutcome::EKind::Saved) << out.Why;
    EXPECT_EQ(rig.S().Area(ETable::TimeSettings).Slots[0].Bytes, edited.Slots[0].Bytes);
    EXPECT_TRUE(rig.S().Changed(ETable::TimeSettings));
    EXPECT_EQ(rig.D().TransferFlags, chosen);

    // The backup holds the station's tables, not the edit, and only the chosen ones.
    test::TLinkedSession reader(rig.Live.Path(), false);
    TFileList file;
    TTableTicks all{};
    all.fill(true);
    ASSERT_TRUE(LoadConfiguration(*reader.Session, *reader.Store, file, all, out.Path));
    EXPECT_TRUE(file.Holds(ETable::TimeSettings));
    EXPECT_TRUE(file.Holds(ETable::SystemSettings));
    EXPECT_FALSE(file.Holds(ETable::SubscriberLines));
    EXPECT_EQ(reader.Session->Area(ETable::TimeSettings).Slots[0].Bytes[3], stationByte);

    // Once kept in this run, the same tables of the same station are not read again; a table
    // not yet kept is.
    EXPECT_EQ(BackUpBeforeWrite(rig.S(), rig.D(), record).Kind, TBackupOutcome::EKind::NotDue);
    rig.D().TransferFlags = Only({ETable::Groups});
    EXPECT_EQ(BackUpBeforeWrite(rig.S(), rig.D(), record).Kind, TBackupOutcome::EKind::Saved);
    EXPECT_EQ(AutoBackupsOf(rig.AutoDir(), "6105").size(), 2u);
}

// The station will not hand over a table about to be overwritten: the technician is asked,
// and only OK writes without a backup.
TEST(AutoBackupBeforeWrite, AFailedBackupAsksAndCancelSendsNothing) {
    TBackupRig rig(6105, false);
    rig.D().TransferFlags.fill(true);
    ASSERT_EQ(ReadAll(rig.S(), rig.Progress, rig.D()), 1);
    rig.Live.With([](sim::TSimStation& st) { st.Faults.CorruptFor.insert(0x0A); });
    rig.D().TransferFlags = Only({ETable::SystemSettings});
    rig.S().SetChanged(ETable::SystemSettings);
    const int acceptedBefore = rig.Live.With([](sim::TSimStation& st) { return st.Stats().WritesAccepted; });

    TBackupRecord record;
    rig.Linked.Dialogs = test::TScriptedDialogs(true);
    rig.Linked.Dialogs.ExpectMessage("Не могу прочитать таблицу общесистемных установок. Выход по time-out");
    rig.Linked.Dialogs.ExpectQuestion(
        "Резервная копия таблиц АТС перед записью не сохранена: не считаны таблицы "
        "«Общесистемные установки». Записать в АТС без резервной копии?",
        TAnswer::Cancel);
    TSafeWriteOutcome outcome;
    EXPECT_EQ(WriteAllSafely(rig.S(), rig.Progress, rig.D(), {true, false, &record}, outcome),
              kWriteNoBackup);
    EXPECT_TRUE(rig.Linked.Dialogs.AllSeen());
    EXPECT_EQ(rig.Linked.Dialogs.Seen.back().Caption, "Предупреждение");
    EXPECT_TRUE(rig.S().Changed(ETable::SystemSettings));
    EXPECT_EQ(rig.Live.With([](sim::TSimStation& st) { return st.Stats().WritesAccepted; }),
              acceptedBefore);
    EXPECT_FALSE(fs::exists(rig.AutoDir()) && !AutoBackupsOf(rig.AutoDir(), "6105").empty());

    // OK: the write goes on.
    rig.Linked.Dialogs.ExpectMessage("Не могу прочитать таблицу общесистемных установок. Выход по time-out");
    rig.Linked.Dialogs.ExpectQuestion("", TAnswer::Ok);
    EXPECT_EQ(WriteAllSafely(rig.S(), rig.Progress, rig.D(), {true, false, &record}, outcome), 1);
    EXPECT_TRUE(rig.Linked.Dialogs.AllSeen());
    EXPECT_FALSE(rig.S().Changed(ETable::SystemSettings));
    EXPECT_EQ(rig.Live.With([](sim::TSimStation& st) { return st.Stats().WritesAccepted; }),
              acceptedBefore + 1);
}

// The command line: a whole read leaves its copy, a write keeps the station's tables first
// (unless --no-backup) and with --verify says that what was read back matched.
TEST(AutoBackupCli, ReadAndWriteKeepCopiesAndWriteVerifyReadsBack) {
    test::TScratchDir dir;
    test::TSimProcess sim({"--model", "Cedar", "--serial", "6105"});
    const auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {ZARNIK_CLI_PATH, "--port", sim.LinkPath(), "--dir", dir.Path});
        return test::RunProgram(args);
    };
    const std::string autoDir = dir / "dat/auto";
    test::TProgramRun run = cli({"read", "-o", dir / "a.ats"});
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_EQ(AutoBackupsOf(autoDir, "6105").size(), 1u);
    EXPECT_NE(run.Output.find("Резервная копия конфигурации АТС: " + autoDir + "/6105_"),
              std::string::npos)
        << run.Output;
    // A read of part of the station, or with --no-backup, keeps nothing.
    ASSERT_EQ(cli({"--yes", "read", "-o", dir / "a.ats", "--tables", "lines"}).ExitCode, 0);
    ASSERT_EQ(cli({"--yes", "read", "-o", dir / "b.ats", "--no-backup"}).ExitCode, 0);
    EXPECT_EQ(AutoBackupsOf(autoDir, "6105").size(), 1u);

    run = cli({"write", dir / "b.ats", "--verify"});
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find("Резервная копия таблиц АТС перед записью: "), std::string::npos)
        << run.Output;
    EXPECT_NE(run.Output.find("Проверено чтением из АТС: записанные таблицы совпадают с "
                              "отправленными."),
              std::string::npos)
        << run.Output;
    const auto kept = AutoBackupsOf(autoDir, "6105");
    ASSERT_EQ(kept.size(), 2u);
    // The copy before the write holds what the station held, which is what b.ats was read
    // from: the same table records (the header's clock moves on).
    EXPECT_EQ(test::ReadBytes(kept[1]).substr(200), test::ReadBytes(dir / "b.ats").substr(200));

    run = cli({"write", dir / "b.ats", "--no-backup"});
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output.find("Проверено"), std::string::npos) << run.Output;
    EXPECT_EQ(AutoBackupsOf(autoDir, "6105").size(), 2u);
}

}  // namespace
}  // namespace zarnik
