// The station behind a USB-serial adapter: the adapter's receive path as the simulator models
// it, every flow through an adapter with its default 16 ms timer, and the adapter pulled out
// in the middle of a read and of a write (and plugged in again).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "flows/read_write_all.h"
#include "link/station_clock.h"
#include "sim/sim_server.h"
#include "support/file_test_helpers.h"
#include "support/run_program.h"
#include "support/sim_session.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::array<bool, kTableCount> Only(std::initializer_list<ETable> tables) {
    std::array<bool, kTableCount> ticks{};
    for (const ETable t : tables) ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

TEST(AdapterBuffer, HandsOverFullPacketsAtOnceAndTheRestWhenTheTimerRunsOut) {
    sim::TAdapterBuffer adapter(16ms);
    const auto t0 = Clock::now();
    EXPECT_FALSE(adapter.NextHandOver());
    adapter.Add(std::vector<std::uint8_t>(10, 0xAA), t0);
    EXPECT_TRUE(adapter.Take(t0 + 15ms).empty());  // one answer byte waits for the timer
    EXPECT_EQ(*adapter.NextHandOver(), t0 + 16ms);
    EXPECT_EQ(adapter.Take(t0 + 16ms).size(), 10u);
    EXPECT_FALSE(adapter.NextHandOver());

    // 130 bytes: two packets of 62 go at once, the six after them wait their own timer.
    adapter.Add(std::vector<std::uint8_t>(130, 0x55), t0 + 20ms);
    EXPECT_EQ(adapter.Take(t0 + 20ms).size(), 124u);
    EXPECT_TRUE(adapter.Take(t0 + 30ms).empty());
    EXPECT_EQ(adapter.Take(t0 + 36ms).size(), 6u);
}

// An FTDI adapter with its default timer: every request/answer turnaround loses up to 16 ms.
// The link probe still passes (its deadline is in truth about 500 ms), and so does every flow.
TEST(AdapterLatency, IdentificationAndEveryFlowSucceedAtSixteenMilliseconds) {
    test::TSimSession s({"--model", "Cedar", "--adapter-latency", "16"});
    TCountingProgress progress;
    s.Store->TransferFlags =
        Only({ETable::SystemSettings, ETable::TimeSettings, ETable::SubscriberLines});
    ASSERT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
    EXPECT_TRUE(s.Session->Identified);
    EXPECT_EQ(s.Store->Model, "Cedar");

    s.Session->SetChanged(ETable::SystemSettings);
    s.Session->SetChanged(ETable::SubscriberLines);
    s.Store->TransferFlags = Only({ETable::SystemSettings, ETable::SubscriberLines});
    std::vector<ETable> failed;
    std::vector<ETable> written;
    EXPECT_EQ(WriteAll(*s.Session, progress, *s.Store, &failed, &written), 1);
    EXPECT_TRUE(failed.empty());
    EXPECT_EQ(written.size(), 2u);

    EXPECT_TRUE(SetStationClock(*s.Session, TStationDateTime{2030, 1, 2, 3, 4, 5}));
}

// The probe's 20 ms is in truth about 500 ms: an adapter whose timer holds every answer for
// 200 ms still has a link. A probe that gave up after 20 ms would find none.
TEST(AdapterLatency, TheLinkProbeWaitsLongEnoughForASlowAdapter) {
    test::TSimSession s({"--model", "Cedar", "--adapter-latency", "200"});
    EXPECT_EQ(s.Session->CheckLink(), 1);
    EXPECT_TRUE(s.Session->ReadIdentification(false));
}

// Pulled out while the program waits for an answer: the read stops at once with the device
// named as gone, and once the adapter is back under its stable name the next read works.
TEST(AdapterUnplugged, MidReadTheReadStopsAtOnceAndTheNextReadWorksWhenItIsBack) {
    test::TSimSession s({"--model", "Cedar", "--unplug-in", "4C", "--replug-after", "300"});
    TCountingProgress progress;
    s.Store->TransferFlags = Only({ETable::SystemSettings, ETable::SubscriberLines});
    const std::string device = s.Session->Port.DevicePath();
    const auto start = Clock::now();
    try {
        ReadAll(*s.Session, progress, *s.Store);
        FAIL() << "the read went on without its port";
    } catch (const ECommError& e) {
        EXPECT_TRUE(e.Gone);
        EXPECT_EQ(PortGoneText(e, s.Session->Port.DevicePath()),
                  "Последовательный порт " + device + " отключен (устройство извлечено?).");
    }
    // No retries against a device that is gone: the frame under way is not counted as a
    // failed attempt and no other attempt follows.
    EXPECT_EQ(s.Session->Frames.Stats.ReadFailures, 0);
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_TRUE(s.Session->Port.DeviceGone());
    // Every later call fails at once, whatever it is.
    const auto after = Clock::now();
    EXPECT_THROW(s.Session->CheckLink(), ECommError);
    EXPECT_LT(SecondsSince(after), 0.1);

    s.Session->Port.Close();
    EXPECT_FALSE(s.Session->Port.IsOpen());
    const auto waitFrom = Clock::now();
    while (!std::filesystem::exists(s.Sim.LinkPath()) && SecondsSince(waitFrom) < 5)
        std::this_thread::sleep_for(20ms);
    s.Session->OpenPort();
    EXPECT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
}

// Pulled out in the middle of a write from the command line: the message says what happened
// first, then which tables reached the station; the file to write is only read, the run ends
// at once.
TEST(AdapterUnplugged, MidWriteTheMessageNamesTheDeviceAndWhatTheStationNowHolds) {
    test::TScratchDir dir;
    const std::string source = dir / "source.ats";
    ASSERT_EQ(test::RunProgram({ZARNIK_CLI_PATH, "--dir", dir.Path, "new", "--model", "Cedar",
                                "--version", "24.8", "--boards", "Kama", "-o", source})
                  .ExitCode,
              0);
    const std::string sourceBytes = test::ReadBytes(source);
    test::TSimProcess sim({"--model", "Cedar", "--unplug-in", "D8@3"});
    const auto device = std::filesystem::canonical(sim.LinkPath()).string();
    const auto start = Clock::now();
    const test::TProgramRun run =
        test::RunProgram({ZARNIK_CLI_PATH, "--port", sim.LinkPath(), "--dir", dir.Path, "write",
                          source, "--no-backup"},
                         30s);
    EXPECT_LT(SecondsSince(start), 15.0);
    EXPECT_EQ(run.ExitCode, 1) << run.Output;
    const std::string gone = "Последовательный порт " + device +
                             " отключен (устройство извлечено?). Запись в АТС "
                             "прервана ошибкой COM-порта. Записаны в АТС: ";
    EXPECT_NE(run.Output.find(gone), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("Не записаны (или записаны не полностью): "), std::string::npos)
        << run.Output;
    EXPECT_EQ(test::ReadBytes(source), sourceBytes);
    EXPECT_FALSE(std::filesystem::exists(dir / "ats.bak"));
}

TEST(AdapterUnplugged, MidReadFromTheCommandLineNothingIsWritten) {
    test::TScratchDir dir;
    const std::string target = dir / "station.ats";
    test::WriteBytes(target, "old");
    test::TSimProcess sim({"--model", "Cedar", "--unplug-in", "4C"});
    const auto device = std::filesystem::canonical(sim.LinkPath()).string();
    const test::TProgramRun run =
        test::RunProgram({ZARNIK_CLI_PATH, "--port", sim.LinkPath(), "--dir", dir.Path, "--yes",
                          "read", "-o", target},
                         30s);
    EXPECT_EQ(run.ExitCode, 1) << run.Output;
    EXPECT_NE(
        run.Output.find("Последовательный порт " + device + " отключен (устройство извлечено?)."),
        std::string::npos)
        << run.Output;
    EXPECT_EQ(test::ReadBytes(target), "old");
}

}  // namespace
}  // namespace zarnik
