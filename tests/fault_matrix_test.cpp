// The fault matrix: zarnik-cli against zarnik-sim misbehaving in each named way, for reads,
// writes and the clock. Every case checks the message the technician sees, the exit code, that
// the run ends within the time-outs the exchange allows, and that files on disk are not
// touched by a run that failed. One test per case, so that CTest runs them side by side.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "flows/config_snapshot.h"
#include "flows/read_write_all.h"
#include "link/station_clock.h"
#include "support/file_test_helpers.h"
#include "support/sim_session.h"
#include "support/run_program.h"
#include "support/sim_process.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

enum class ECommand { Read, Write, WriteWithBackup, Clock };

struct TFaultCase {
    const char* Name;
    std::vector<std::string> Sim;  // fault options of zarnik-sim (the model is Cedar)
    ECommand Command;
    std::vector<int> Codes;              // acceptable exit codes
    std::vector<std::string> Messages;   // each must appear in what the run printed
    int Seconds;                         // the run must end within this
};

const std::string kNoLink = " : нет связи с АТС.";

std::string OldFileBytes() {
    std::string bytes = "not a configuration the run may replace";
    bytes.resize(300, '#');
    return bytes;
}

std::vector<TFaultCase> Cases() {
    return {
        {"SilentFromTheStartRead", {"--silent"}, ECommand::Read, {3}, {kNoLink}, 8},
        {"SilentFromTheStartWrite", {"--silent"}, ECommand::Write, {3}, {kNoLink}, 8},
        {"SilentFromTheStartClock", {"--silent"}, ECommand::Clock, {3}, {kNoLink}, 8},
        // Two link checks, two identifications, the call-accounting status: then nothing.
        {"SilentAfterNineFramesRead",
         {"--silent-after", "9"},
         ECommand::Read,
         {1},
         {"Не могу прочитать таблицу параметров конференций. Выход по time-out. Программа "
          "будет закрыта."},
         10},
        // The link check and the identification of the clock command come; its answer not.
        {"SilentAfterSixFramesClock",
         {"--silent-after", "6"},
         ECommand::Clock,
         {3},
         {"Нет связи со станцией."},
         10},
        {"WrongProbeAnswerRead", {"--probe-answer", "0x55"}, ECommand::Read, {3}, {kNoLink}, 8},
        {"WrongProbeAnswerClock", {"--probe-answer", "0xFF"}, ECommand::Clock, {3}, {kNoLink}, 8},
        // A lossy line: either the whole file is read, or the run fails and says why.
        {"DroppedBytesRead", {"--drop", "0.002", "--seed", "5"}, ECommand::Read, {0, 1, 3}, {}, 90},
        {"CorruptedChecksumsRead",
         {"--corrupt-for", "4C"},
         ECommand::Read,
         {1},
         {"Не могу прочитать таблицы АЛ. Выход по time-out",
          "Не считаны таблицы: Установки АЛ (lines). Файл не записан."},
         15},
        // The backup before the write cannot be read: without --yes nothing is written.
        {"CorruptedChecksumsWriteWithBackup",
         {"--corrupt-for", "4C"},
         ECommand::WriteWithBackup,
         {1},
         {"Резервная копия таблиц АТС перед записью не сохранена: не считаны таблицы «Установки "
          "АЛ». Записать в АТС без резервной копии? [Отмена]",
          "В АТС ничего не записано."},
         20},
        {"RefusedAcknowledgementsWrite",
         {"--refuse-acks", "100000"},
         ECommand::Write,
         {1},
         {"Не могу записать временные установки, нет связи с АТС.",
          "АТС не приняла таблицы: "},
         30},
        {"OversizedLengthRead",
         {"--oversize-for", "0A"},
         ECommand::Read,
         {1},
         {"Не могу прочитать таблицу общесистемных установок. Выход по time-out",
          "Не считаны таблицы: Общесистемные установки (system)"},
         20},
        {"OversizedLengthOfTheCompositionRead",
         {"--oversize-for", "40.09"},
         ECommand::Read,
         {1},
         {"Не могу прочитать таблицу состава АТС. Выход по time-out. Программа будет закрыта."},
         20},
        // The station goes away in the fifth group phone book: that table is lost, and the
        // black and white lists after it find no link.
        {"StationVanishesMidTableRead",
         {"--vanish-in", "58@5"},
         ECommand::Read,
         {1},
         {"Не могу прочитать групповые таблицы внешних номеров . Выход по time-out",
          "Не считаны таблицы: Групповые записные книжки"},
         30},
        // The station goes away after taking two group phone books: the rest of that table and
        // the black and white lists after it do not reach it.
        {"StationVanishesMidTableWrite",
         {"--vanish-in", "D8@3"},
         ECommand::Write,
         {3},
         {"Не могу записать групповые зап. книжки, нет связи с АТС.",
          "АТС не приняла таблицы: Групповые записные книжки (groupbooks), Черно-белая книжка "
          "(bwlist).",
          "Нет связи с АТС"},
         30},
    };
}

class FaultMatrix : public testing::TestWithParam<TFaultCase> {};

TEST_P(FaultMatrix, EndsWithItsMessageInTimeAndLeavesFilesAlone) {
    const TFaultCase& c = GetParam();
    test::TScratchDir dir;
    // A configuration to write, built without a station.
    const std::string source = dir / "source.ats";
    const test::TProgramRun built =
        test::RunProgram({ZARNIK_CLI_PATH, "--dir", dir.Path, "new", "--model", "Cedar",
                          "--version", "24.8", "--boards", "Kama", "-o", source});
    ASSERT_EQ(built.ExitCode, 0) << built.Output;
    const std::string sourceBytes = test::ReadBytes(source);
    const std::string target = dir / "station.ats";
    test::WriteBytes(target, OldFileBytes());

    std::vector<std::string> simArgs{"--model", "Cedar"};
    simArgs.insert(simArgs.end(), c.Sim.begin(), c.Sim.end());
    test::TSimProcess sim(simArgs);
    std::vector<std::string> args{ZARNIK_CLI_PATH, "--port", sim.LinkPath(), "--dir", dir.Path};
    switch (c.Command) {
        case ECommand::Read:
            args.insert(args.end(), {"--yes", "read", "-o", target});
            break;
        case ECommand::Write:
            args.insert(args.end(), {"write", source, "--no-backup"});
            break;
        case ECommand::WriteWithBackup:
            args.insert(args.end(), {"write", source});
            break;
        case ECommand::Clock:
            args.insert(args.end(), {"clock", "--set", "2030-01-02 03:04:05"});
            break;
    }
    const auto start = std::chrono::steady_clock::now();
    const test::TProgramRun run = test::RunProgram(args, std::chrono::seconds(c.Seconds + 30));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_NE(std::find(c.Codes.begin(), c.Codes.end(), run.ExitCode), c.Codes.end())
        << "exit code " << run.ExitCode << "\n" << run.Output;
    EXPECT_LE(seconds, c.Seconds) << run.Output;
    for (const std::string& m : c.Messages)
        EXPECT_NE(run.Output.find(m), std::string::npos) << "missing: " << m << "\n" << run.Output;
    // The file to write is only ever read.
    EXPECT_EQ(test::ReadBytes(source), sourceBytes);
    if (run.ExitCode != 0) {
        // A failed run replaces nothing and leaves no backup of a file it did not replace.
        EXPECT_EQ(test::ReadBytes(target), OldFileBytes());
        EXPECT_FALSE(std::filesystem::exists(dir / "ats.bak"));
        EXPECT_EQ(run.Output.find("Записано"), std::string::npos) << run.Output;
    } else if (c.Command == ECommand::Read) {
        // A read that succeeded saved a whole file and kept the old one as "ats.bak".
        EXPECT_GT(test::ReadBytes(target).size(), 200u);
        EXPECT_EQ(test::ReadBytes(dir / "ats.bak"), OldFileBytes());
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, FaultMatrix, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<TFaultCase>& info) {
                             return std::string(info.param.Name);
                         });

// The flows themselves, on a line gone silent after a good read: each gives up within its
// link checks and leaves the configuration in hand exactly as it was.
class FaultMatrixFlows : public testing::Test {
  protected:
    void SetUp() override {
        Good.Store->TransferFlags.fill(true);
        TCountingProgress progress;
        ASSERT_EQ(ReadAll(*Good.Session, progress, *Good.Store), 1);
        Good.Session->SetChanged(ETable::Groups);
        Before = ConfigFingerprint(*Good.Session);
        Changed = Good.Session->ChangeFlags;
        Good.Connect(Silent.LinkPath());
        Good.Dialogs.Seen.clear();
        Start = std::chrono::steady_clock::now();
    }
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    }
    void ExpectNothingChanged() {
        EXPECT_EQ(ConfigFingerprint(*Good.Session), Before);
        EXPECT_EQ(Good.Session->ChangeFlags, Changed);
        EXPECT_TRUE(Good.Session->Identified);
    }
    test::TSimSession Good{{"--model", "Cedar"}};
    test::TSimProcess Silent{{"--model", "Cedar", "--silent"}};
    std::uint64_t Before = 0;
    std::array<bool, kTableCount> Changed{};
    std::chrono::steady_clock::time_point Start;
};

TEST_F(FaultMatrixFlows, ReadAllOnASilentLineEndsWithNoLinkAndKeepsTheStore) {
    const std::string storeBefore = Good.Store->Model + Good.Store->SerialText;
    TCountingProgress progress;
    EXPECT_EQ(ReadAll(*Good.Session, progress, *Good.Store), -1);
    EXPECT_LE(Seconds(), 18.0);  // three link checks of five probes each, and their pauses
    ExpectNothingChanged();
    EXPECT_EQ(Good.Store->Model + Good.Store->SerialText, storeBefore);
    EXPECT_TRUE(Good.Dialogs.Seen.empty());
}

TEST_F(FaultMatrixFlows, WriteAllOnASilentLineSendsNothingAndKeepsTheChangeFlags) {
    TCountingProgress progress;
    std::vector<ETable> failed;
    std::vector<ETable> written;
    EXPECT_EQ(WriteAll(*Good.Session, progress, *Good.Store, &failed, &written), -1);
    EXPECT_LE(Seconds(), 8.0);
    EXPECT_TRUE(written.empty());
    ExpectNothingChanged();
}

TEST_F(FaultMatrixFlows, ClockOnASilentLineGivesUpAfterTheLinkCheck) {
    EXPECT_FALSE(SetStationClock(*Good.Session, TStationDateTime{2030, 1, 2, 3, 4, 5}));
    EXPECT_LE(Seconds(), 8.0);
    ExpectNothingChanged();
}

}  // namespace
}  // namespace zarnik
