// zarnik-sim serving a configuration file and writing what it holds on exit, and blank
// configurations made by zarnik-cli new travelling file -> simulator -> zarnik-cli read -> file.

#include <gtest/gtest.h>

#include <filesystem>

#include "files/config_flows.h"
#include "flows/offline_constructor.h"
#include "flows/read_write_all.h"
#include "sim/station_images.h"
#include "support/ats_compare.h"
#include "support/file_test_helpers.h"
#include "support/live_station.h"
#include "support/offline_session.h"
#include "support/run_program.h"
#include "support/sim_process.h"

#include "support/tool_paths.h"

namespace zarnik {
namespace {

using test::ExpectSameBytes;
using test::TScratchDir;
using test::WithoutClock;

TTableTicks AllTicks() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

// A blank configuration of the constructor, saved under the given name.
void SaveBlankStation(const std::string& path, const std::string& model,
                      const std::vector<std::string>& boards) {
    test::TOfflineSession s;
    TConstructorDraft draft;
    ASSERT_TRUE(draft.SetModel(model));
    draft.SetVersion("24.7");
    for (std::size_t i = 0; i < boards.size(); ++i)
        ASSERT_TRUE(draft.SetBoard(static_cast<int>(i), boards[i]));
    ASSERT_EQ(BuildOfflineStation(s.Session, *s.Store, draft), EConstructResult::Built);
    TFileList file;
    ASSERT_TRUE(SaveConfiguration(s.Session, *s.Store, file, AllTicks(), path));
}

class SimFromFile : public ::testing::Test {
  protected:
    void SetUp() override { SaveBlankStation(Dir / "blank.ats", "Birch", {"Oka", "Lena", "Svir"}); }

    // zarnik-sim run to its end with the given options after --link.
    test::TProgramRun RunSim(const std::vector<std::string>& options) {
        std::vector<std::string> args{ZARNIK_SIM_PATH, "--link", Link()};
        args.insert(args.end(), options.begin(), options.end());
        return test::RunProgram(args, std::chrono::seconds(10));
    }
    std::string Link() const { return Dir / "COM3"; }

    TScratchDir Dir;
};

TEST_F(SimFromFile, RefusedFileEndsTheSimulatorBeforeTheLinkExists) {
    const std::string good = test::ReadBytes(Dir / "blank.ats");
    test::WriteBytes(Dir / "short.ats", good.substr(0, 150));
    std::string badModel = good;
    badModel[1 + 5] = 5;  // identification byte 5: no such device code
    test::WriteBytes(Dir / "model5.ats", badModel);

    const struct {
        std::string File;
        std::string Says;
    } cases[] = {
        {Dir / "missing.ats", "Не смогли открыть файл."},
        {Dir / "short.ats", "Файл конфигурации не прочитан"},
        {Dir / "model5.ats", "Ошибка чтения кода устройства"},
    };
    for (const auto& c : cases) {
        const test::TProgramRun run = RunSim({"--from", c.File});
        EXPECT_EQ(run.ExitCode, 1) << c.File << ": " << run.Output;
        EXPECT_NE(run.Output.find("zarnik-sim: cannot serve " + c.File), std::string::npos)
            << run.Output;
        EXPECT_NE(run.Output.find(c.Says), std::string::npos) << run.Output;
        EXPECT_EQ(run.Output.find("ready"), std::string::npos) << run.Output;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Link())));
    }

    // Neither may a station start whose file of exit has nowhere to go, nor one given both a
    // file and a model of its own.
    const test::TProgramRun noDir =
        RunSim({"--from", Dir / "blank.ats", "--save-on-exit", Dir / "no/such/dir/x.ats"});
    EXPECT_EQ(noDir.ExitCode, 1) << noDir.Output;
    EXPECT_NE(noDir.Output.find("no directory"), std::string::npos) << noDir.Output;
    const test::TProgramRun twoStations = RunSim({"--from", Dir / "blank.ats", "--model", "Cedar"});
    EXPECT_NE(twoStations.ExitCode, 0) << twoStations.Output;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Link())));
}

TEST_F(SimFromFile, ServesTheFileAndWritesWhatItHoldsWhenStopped) {
    const std::string blank = Dir / "blank.ats";
    const std::string out = Dir / "out.ats";
    test::WriteBytes(out, "an older file under the same name");
    std::vector<std::uint8_t> flash(200);
    for (std::size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<std::uint8_t>(i * 3 + 1);

    test::TSimProcess sim({"--from", blank, "--save-on-exit", out, "--serial", "321"});
    {
        test::TLinkedSession s(sim.LinkPath());
        s.Store->TransferFlags.fill(false);
        s.Store->TransferFlags[static_cast<std::size_t>(SelectionIndex(ETable::Flash))] = true;
        TCountingProgress progress;
        ASSERT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
        EXPECT_EQ(s.Session->Identity.ModelName, "Birch");
        EXPECT_EQ(s.Session->Identity.Version, "24,7");
        EXPECT_EQ(s.Session->Identity.SerialNumber, "321");  // an override on top of the file
        EXPECT_EQ(s.Session->Identity.SubscriberLineCount, 80);
        s.Session->Area(ETable::Flash).Slots[0].Assign(flash);
        ASSERT_EQ(WriteAll(*s.Session, progress, *s.Store), 1);
    }
    EXPECT_EQ(sim.ExitCode(), 0);

    // What the file should now hold: the blank station with the new flash block.
    test::TOfflineSession expected;
    TFileList file;
    ASSERT_TRUE(LoadConfiguration(expected.Session, *expected.Store, file, AllTicks(), blank));
    expected.Session.Area(ETable::Flash).Slots[0].Assign(flash);
    // The blank file carries no routing block, but the station holds every one of its tables:
    // what it saves is what a read of it gives, one empty block per table.
    expected.Session.Area(ETable::RoutingTables).Count =
        expected.Session.Identity.RoutingTableCount;
    expected.Session.IdBuffer[14] = 321 & 0xFF;
    expected.Session.IdBuffer[15] = 321 >> 8;
    ASSERT_TRUE(SaveConfiguration(expected.Session, *expected.Store, file, AllTicks(),
                                  Dir / "expected.ats"));
    ExpectSameBytes(WithoutClock(test::ReadBytes(Dir / "expected.ats")),
                    WithoutClock(test::ReadBytes(out)), "the file written on exit");
    // Written beside its name and renamed: nothing else is left in the directory.
    EXPECT_EQ(test::EntriesOf(Dir.Path),
              (std::set<std::string>{"blank.ats", "out.ats", "expected.ats"}));
}

struct TBlankModel {
    const char* Model;
    const char* Boards;
};

class CliBlankRoundTrip : public ::testing::TestWithParam<TBlankModel> {};

// zarnik-cli new -> file -> zarnik-sim --from -> zarnik-cli read -> file: the same tables, and
// the same header but for the clock that the read took from the running station.
TEST_P(CliBlankRoundTrip, NewFileServedAndReadBackGivesTheSameTables) {
    const TBlankModel m = GetParam();
    TScratchDir dir;
    const std::string made = dir / "new.ats";
    const std::string read = dir / "read.ats";
    const test::TProgramRun created =
        test::RunProgram({ZARNIK_CLI_PATH, "--dir", dir.Path, "new", "--model", m.Model,
                          "--version", "24.7", "--boards", m.Boards, "-o", made});
    ASSERT_EQ(created.ExitCode, 0) << created.Output;

    test::TSimProcess sim({"--from", made});
    const test::TProgramRun readBack = test::RunProgram(
        {ZARNIK_CLI_PATH, "--dir", dir.Path, "--port", sim.LinkPath(), "read", "-o", read});
    ASSERT_EQ(readBack.ExitCode, 0) << readBack.Output;

    const std::string before = test::ReadBytes(made);
    const std::string after = test::ReadBytes(read);
    ASSERT_GT(before.size(), kFileHeaderSize);
    ExpectSameBytes(WithoutClock(before.substr(0, kFileHeaderSize)),
                    WithoutClock(after.substr(0, kFileHeaderSize)), "the header");
    test::ExpectSameLoadedTables(made, read);

    // Written back whole, the station then holds exactly what was written. The tables that a
    // write encodes first come out in the encode's own form (ten empty phone-book entries are
    // ten 0 bytes where the blank block is empty); every other table as it was read.
    sim::TSimStation blank;
    std::string why;
    ASSERT_TRUE(sim::LoadStationFromFile(made, blank, &why)) << why;
    test::TLiveStation live(blank);
    test::TLinkedSession s(live.Path());
    TCountingProgress progress;
    ASSERT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
    ASSERT_EQ(WriteAll(*s.Session, progress, *s.Store), 1);
    sim::TSimStation written = blank;
    sim::AreasToImages(*s.Session, written);
    const sim::TSimStation& held = live.Stop();
    test::ExpectSameImages(written.Images, held.Images);
    for (const auto& [key, bytes] : blank.Images) {
        const bool encodedFirst = key.Code == 0x0C || key.Code == 0x0D || key.Code == 0x0E ||
                                  key.Code == 0x58 || key.Code == 0x60;
        if (!encodedFirst) {
            EXPECT_EQ(held.Images.at(key), bytes) << test::KeyText(key);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, CliBlankRoundTrip,
                         ::testing::Values(TBlankModel{"Alder", "Oka,Ural,Lena"},
                                           TBlankModel{"Birch", "Oka,Ural,Svir,Lena,LenaN"},
                                           TBlankModel{"Cedar", "Kama,Don,,Volga,Neva,Onega,Kama"},
                                           TBlankModel{"Dogwood", "Kama,Don,Volga,Neva,Onega"}),
                         [](const auto& info) { return std::string(info.param.Model); });

}  // namespace
}  // namespace zarnik
