// A full read-all and a full write-all of a fully populated Dogwood, through the simulated
// station's serve loop pacing both directions at 19200 baud. Each run is compared with the
// least time the line allows: every byte exchanged at 11 bits, plus the pauses the sequences
// keep the line idle for. A ratio near 1 means the program waits for nothing but the wire.
//
// The station is served on a thread of this process (the serve loop of zarnik-sim, on a real
// pseudo-terminal), so the bench can build the station in code and read its byte counters.
// ZARNIK_BENCH_TRACE=FILE keeps the simulator's byte trace of the last run in FILE.

#include <benchmark/benchmark.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "codecs/flash_codec.h"
#include "codecs/table_codec.h"
#include "flows/progress.h"
#include "flows/read_write_all.h"
#include "flows/station_status.h"
#include "flows/verified_write.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/port.h"
#include "sim/builtin_stations.h"
#include "sim/sim_server.h"
#include "sim/sim_station.h"
#include "sim/station_images.h"

namespace zarnik {
namespace {

using Clock = std::chrono::steady_clock;
using sim::TSimStation;

// Every message is kept: a run that shows one did not go as a technician would want.
class TRecordingDialogs : public TUserDialogs {
  public:
    void Message(const std::string& text, const std::string& caption) override {
        Seen.push_back(caption + ": " + text);
    }
    TAnswer Question(const std::string& text, const std::string& caption) override {
        Seen.push_back(caption + "? " + text);
        return TAnswer::Cancel;
    }
    std::optional<std::string> OpenFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::vector<std::string> Seen;
};

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarnik-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

// ---------------------------------------------------------------------------------------------
// The station: fifteen boards of every kind the ten-port family has, the line counts the
// offline constructor gives a Dogwood, and every table filled as far as it plausibly goes.

constexpr std::uint8_t kDogwood = 6;
constexpr std::uint8_t kEmptySlot = 0xFF;
const char* const kLongNumber = "9810495123456789";  // the 16 symbols a book entry can take

std::vector<std::uint8_t> FullComposition() {
    std::vector<std::uint8_t> boards;
    for (int round = 0; round < 3; ++round)
        for (const std::uint8_t code : {1, 3, 11, 2, 10}) boards.push_back(code);  // Kama .. Onega
    boards.push_back(kEmptySlot);  // the two slots a Dogwood lists but never fits
    boards.push_back(kEmptySlot);
    return boards;
}

std::vector<int> PortsOfType(const TDataStream& store, std::int16_t type) {
    std::vector<int> ports;
    for (const TPortPtr& p : store.Ports)
        if (p && p->Type == type) ports.push_back(p->Number);
    return ports;
}

// Tops the demonstration configuration up to every list and book full.
void FillToTheBrim(TMainClass& session, TDataStream& store) {
    const std::vector<int> lines = PortsOfType(store, kPortTypeSubscriber);
    const auto line = [&lines](std::size_t k) { return lines[k % lines.size()]; };

    for (std::size_t i = 0; i < kGlobalBookEntries; ++i)
        store.GlobalExtNum->Entries[i] = kLongNumber;
    for (auto& book : store.GroupExtNums)
        for (std::size_t i = 0; i < kGroupBookEntries; ++i) book.Entries[i] = kLongNumber;
    for (std::size_t i = 0; i < kBwListEntries; ++i)
        store.BlackWhiteList.Entries[i] = std::to_string(81000000 + i);  // eight digits

    for (std::size_t t = 0; t < session.Identity.RoutingTableCount; ++t)
        for (std::size_t r = 0; r < kRoutingRows; ++r)
            for (std::size_t p = 0; p < kRoutingRowEntries; ++p)
                store.RoutingTables[t].Rows[r][p] = line(t + 5 * r + p);

    for (std::size_t g = 0; g < kGroupCount; ++g) {
        TGroup& group = store.Groups[g];
        group.GR_DirectCall = std::to_string(1000 + g);
        for (std::size_t k = 0; k < kGroupListEntries; ++k) {
            group.GR_GroupCall[k] = line(5 * g + k);
            group.GR_AdditionalIntercept[k] =
                static_cast<std::int16_t>(kFirstGroupNumber + (g + k + 1) % kGroupCount);
        }
        group.GR_GroupCallCount = kGroupListEntries;
        group.GR_AdditionalInterceptCount = kGroupListEntries;
    }
    for (std::size_t i = 0; i < session.Identity.TrunkLineCount; ++i)
        store.TrunkLines[i].SL_AutoDial = "8495*1P#";
    for (std::size_t i = 0; i < session.Identity.DoorPhoneCount; ++i)
        store.DoorPhones[i].OpenCode = "24681357";

    const int places = session.ConferenceParams[1];
    for (int c = 0; c < session.ConferenceCount(); ++c) {
        TConfRecord& conf = store.Conferences[static_cast<std::size_t>(c)];
        conf.MemberCount = places;
        for (int m = 0; m < places; ++m)
            conf.Members[static_cast<std::size_t>(m)] = line(static_cast<std::size_t>(c + m));
    }

    // Every line redirected to its neighbour; the block is as long as there are lines.
    session.Area(ETable::Redirections).Slots[0].Length = session.Identity.SubscriberLineCount;
    store.RedirectionCount = session.Identity.SubscriberLineCount;
    for (std::size_t i = 0; i < store.RedirectionCount; ++i)
        store.Redirections[i].Target = line(i + 1);

    // The flash block has no form in the store: its image is filled as far as a frame goes.
    std::vector<std::uint8_t> flash;
    while (flash.size() < session.Area(ETable::Flash).Slots[0].Capacity())
        for (const std::uint8_t b : DemoFlashImage()) flash.push_back(b);
    flash.resize(session.Area(ETable::Flash).Slots[0].Capacity());
    session.Area(ETable::Flash).Slots[0].Assign(flash);
}

TSimStation MakeFullDogwood() {
    TSimStation station = sim::MakeBareBuiltinStation("Dogwood", false);
    sim::TSimIdentity& id = station.Identity;
    station.HardwareList = FullComposition();
    station.HardwareRecords.clear();
    for (std::size_t slot = 0; slot < station.HardwareList.size(); ++slot) {
        const std::uint8_t code = station.HardwareList[slot];
        if (code == kEmptySlot) {
            station.HardwareRecords.push_back({code});
            continue;
        }
        const auto serial = static_cast<std::uint16_t>(3000 + 41 * slot);
        station.HardwareRecords.push_back({code, 3, 1, 0x2D, 0x2F,
                                           static_cast<std::uint8_t>(serial & 0xFF),
                                           static_cast<std::uint8_t>(serial >> 8)});
    }
    const sim::TPortCounts ports = sim::CountPorts(kDogwood, station.HardwareList);
    id.TrunkLines = 75;
    id.SubscriberLines = 150;
    id.StaCount = 45;
    id.RoutingTables = 50;
    id.LoudspeakerChannels = 6;
    id.DoorPhones = static_cast<std::uint8_t>(ports.Door);
    station.ConferenceParameters = {10, 60, 1, 200, 0};

    // The tables are encoded by the program's own codecs, as a configuration a technician
    // made would be.
    const std::string dir = MakeTempDir();
    {
        TRecordingDialogs dialogs;
        TMainClass session(dialogs, TSessionSetup{dir, false, ""});
        sim::StationToSession(station, session);
        TDataStream store(dir);
        DecodeStationStatus(session, store, false, false);
        DecodeTimeDefaults(session, store);
        DecodeComposition(session, store);
        BuildPorts(store);
        for (const TTableCodec* codec : RegisteredCodecs())
            if (codec->FillDemo) codec->FillDemo(session, store);
        FillToTheBrim(session, store);
        for (const TTableCodec* codec : RegisteredCodecs()) codec->Encode(session, store);
        sim::AreasToImages(session, station);
    }
    std::filesystem::remove_all(dir);
    return station;
}

// ---------------------------------------------------------------------------------------------
// The serve loop on a thread, stopped the way zarnik-sim is stopped: SIGTERM to that thread,
// which keeps the signal blocked except while it waits.

class TServedStation {
  public:
    TServedStation(TSimStation& station, const std::string& link, const std::string& trace,
                   bool paced, int adapterMs = 0) {
        Options.LinkPath = link;
        Options.WireRate = paced;
        Options.AdapterLatencyMs = adapterMs;
        Options.TraceFile = trace;
        Thread = std::thread([this, &station] {
            // Blocked outside the serve loop's own wait, so a stop request that comes late
            // is dropped with the thread instead of ending the whole bench.
            sigset_t stops;
            sigemptyset(&stops);
            sigaddset(&stops, SIGINT);
            sigaddset(&stops, SIGTERM);
            pthread_sigmask(SIG_BLOCK, &stops, nullptr);
            Result = sim::RunServer(station, Options, Ready);
            Ended = true;
        });
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!std::filesystem::is_symlink(link)) {
            if (Ended || Clock::now() > deadline) {
                Stop();
                throw std::runtime_error("the simulated station did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~TServedStation() { Stop(); }
    TServedStation(const TServedStation&) = delete;
    TServedStation& operator=(const TServedStation&) = delete;

    // The serve loop's exit code: 0 when it served until it was stopped.
    int Stop() {
        if (Thread.joinable()) {
            if (!Ended) pthread_kill(Thread.native_handle(), SIGTERM);
            Thread.join();
        }
        return Result;
    }

  private:
    sim::TServerOptions Options;
    std::ostringstream Ready;
    std::thread Thread;
    std::atomic<bool> Ended = false;
    int Result = 0;
};

// One measured run and its comparison with the line.

constexpr double kByteSeconds = std::chrono::duration<double>(sim::kWireByteTime).count();
// ReadAll waits 200 ms before its first link check.
constexpr double kReadAllLeadIn = 0.200;

struct TRunFigures {
    double Seconds = 0;
    std::uint64_t Bytes = 0;
    double IdlePauses = 0;        // seconds the sequence keeps the line idle
    double OverlappedPauses = 0;  // seconds of pauses taken while the station's answer flows
    int FailedAttempts = 0;
    double Wire() const { return static_cast<double>(Bytes) * kByteSeconds; }
    double Ideal() const { return Wire() + IdlePauses; }
};

// The pauses the frame engine takes: between link probes the line is idle; the pause after a
// length byte lets the station's data flow on, so on the line it costs nothing.
void CountPauses(TMainClass& session, TRunFigures& figures) {
    session.Frames.Sleep = [&figures](std::chrono::milliseconds d) {
        const double s = std::chrono::duration<double>(d).count();
        if (d.count() == TFrameEngine::kProbePauseMs)
            figures.IdlePauses += s;
        else
            figures.OverlappedPauses += s;
        std::this_thread::sleep_for(d);
    };
}

// Bytes in a trace of the simulator: every hex pair after the direction mark.
std::uint64_t TracedBytes(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::uint64_t bytes = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word >> word;  // time stamp, direction
        while (words >> word) ++bytes;
    }
    return bytes;
}

struct TBenchSetup {
    std::string Dir = MakeTempDir();
    std::string Link = Dir + "/COM3";
    std::string Trace = std::getenv("ZARNIK_BENCH_TRACE") ? std::getenv("ZARNIK_BENCH_TRACE") : "";
    TSimStation Full = MakeFullDogwood();
    ~TBenchSetup() { std::filesystem::remove_all(Dir); }
};

TBenchSetup& Setup() {
    static TBenchSetup setup;
    return setup;
}

std::uint64_t Exchanged(const TSimStation& station) {
    return station.Stats().BytesIn + station.Stats().BytesOut;
}

// Checks a finished run and adds it to the runs; false (with the reason given to the
// benchmark) when the run does not count.
bool Accept(benchmark::State& state, const TRunFigures& figures, int result,
            const std::vector<std::string>& messages, bool paced, std::vector<TRunFigures>& runs) {
    state.SetIterationTime(figures.Seconds);
    if (result != 1 || !messages.empty()) {
        for (const auto& m : messages) std::cerr << m << "\n";
        state.SkipWithError("the exchange did not carry the whole configuration");
        return false;
    }
    // Faster than the line allows means the simulator does not pace, and the ratio would lie.
    if (paced && figures.Seconds < 0.99 * figures.Ideal()) {
        state.SkipWithError("faster than 19200 baud: the simulator does not pace the line");
        return false;
    }
    if (!Setup().Trace.empty() && TracedBytes(Setup().Trace) != figures.Bytes) {
        state.SkipWithError("the trace and the station's counters disagree");
        return false;
    }
    runs.push_back(figures);
    return true;
}

void Report(benchmark::State& state, const std::vector<TRunFigures>& runs, const char* what,
            bool paced) {
    if (runs.empty()) return;
    TRunFigures sum;
    for (const TRunFigures& r : runs) {
        sum.Seconds += r.Seconds;
        sum.Bytes += r.Bytes;
        sum.IdlePauses += r.IdlePauses;
        sum.OverlappedPauses += r.OverlappedPauses;
        sum.FailedAttempts += r.FailedAttempts;
    }
    const double n = static_cast<double>(runs.size());
    state.counters["bytes"] = static_cast<double>(sum.Bytes) / n;
    state.counters["bad_frames"] = sum.FailedAttempts / n;
    if (!paced) {
        // With no line to wait for, what is left is the program's and the pty's own time.
        std::printf(
            "%s, unpaced: %.3f s for %llu bytes, of which pauses %.3f s; failed "
            "attempts %d\n",
            what, sum.Seconds / n, static_cast<unsigned long long>(sum.Bytes / runs.size()),
            sum.IdlePauses / n, sum.FailedAttempts);
        std::fflush(stdout);
        return;
    }
    state.counters["ideal_s"] = sum.Ideal() / n;
    state.counters["ratio"] = sum.Seconds / sum.Ideal();
    std::printf(
        "%s: measured %.3f s; %llu bytes at 19200 baud, 11 bits each = %.3f s, pauses %.3f s "
        "(%.3f s more overlap the data) -> ideal %.3f s; ratio %.4f; failed attempts %d\n",
        what, sum.Seconds / n, static_cast<unsigned long long>(sum.Bytes / runs.size()),
        sum.Wire() / n, sum.IdlePauses / n, sum.OverlappedPauses / n, sum.Ideal() / n,
        sum.Seconds / sum.Ideal(), sum.FailedAttempts);
    std::fflush(stdout);
}

// Everything the read brought must be exactly what the station holds.
void CompareWithStation(const TMainClass& session, const TSimStation& station,
                        std::vector<std::string>& messages) {
    TRecordingDialogs quiet;
    TMainClass expected(quiet, TSessionSetup{Setup().Dir, false, ""});
    sim::StationToSession(station, expected);
    sim::ImagesToAreas(station, expected);
    for (const ETable t : kAllTables) {
        for (std::size_t s = 0; s < session.Area(t).Slots.size(); ++s) {
            const auto got = session.Area(t).Slots[s].Valid();
            const auto want = expected.Area(t).Slots[s].Valid();
            if (!std::equal(got.begin(), got.end(), want.begin(), want.end()))
                messages.push_back("table " + std::to_string(SelectionIndex(t)) + ", slot " +
                                   std::to_string(s) + ": not what the station holds");
        }
    }
}

void ReadAllRuns(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    const int adapterMs = static_cast<int>(state.range(1));
    TBenchSetup& setup = Setup();
    TSimStation station = setup.Full;
    std::vector<TRunFigures> runs;
    for (auto _ : state) {
        TRunFigures figures;
        figures.IdlePauses = kReadAllLeadIn;
        TServedStation served(station, setup.Link, setup.Trace, paced, adapterMs);
        const std::uint64_t before = Exchanged(station);
        int result = 0;
        std::vector<std::string> messages;
        {
            TRecordingDialogs dialogs;
            TMainClass session(dialogs, TSessionSetup{setup.Dir, true, setup.Link});
            TDataStream store(setup.Dir);
            store.TransferFlags.fill(true);
            CountPauses(session, figures);
            TCountingProgress progress;
            const auto start = Clock::now();
            result = ReadAll(session, progress, store);
            figures.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
            figures.FailedAttempts = session.Frames.Stats.ReadFailures;
            messages = dialogs.Seen;
            CompareWithStation(session, station, messages);
        }
        if (served.Stop() != 0) messages.push_back("the simulated station failed");
        figures.Bytes = Exchanged(station) - before;
        if (!Accept(state, figures, result, messages, paced, runs)) return;
    }
    Report(state, runs, "read-all", paced);
}

// The configuration as loading a file leaves it: identity, raw areas and the store decoded.
void LoadAsFromFile(const TSimStation& full, TMainClass& session, TDataStream& store) {
    sim::StationToSession(full, session);
    sim::ImagesToAreas(full, session);
    DecodeStationStatus(session, store, false, false);
    DecodeTimeDefaults(session, store);
    DecodeComposition(session, store);
    BuildPorts(store);
    for (const TTableCodec* codec : RegisteredCodecs()) codec->Decode(session, store);
    store.TransferFlags.fill(true);
}

// With `verify` the write reads every table it wrote back and compares it (no backup first:
// the cost measured is the read back's alone).
void WriteRuns(benchmark::State& state, bool verify) {
    const bool paced = state.range(0) != 0;
    const int adapterMs = static_cast<int>(state.range(1));
    TBenchSetup& setup = Setup();
    std::vector<TRunFigures> runs;
    for (auto _ : state) {
        // A station that holds only its identity and status: every table must come by wire.
        TSimStation station = setup.Full;
        station.Images.clear();
        TRunFigures figures;
        TServedStation served(station, setup.Link, setup.Trace, paced, adapterMs);
        const std::uint64_t before = Exchanged(station);
        int result = 0;
        std::vector<std::string> messages;
        {
            TRecordingDialogs dialogs;
            TMainClass session(dialogs, TSessionSetup{setup.Dir, true, setup.Link});
            TDataStream store(setup.Dir);
            LoadAsFromFile(setup.Full, session, store);
            CountPauses(session, figures);
            TCountingProgress progress;
            TBackupRecord record;
            TSafeWriteOutcome outcome;
            const auto start = Clock::now();
            result = WriteAllSafely(session, progress, store, {false, verify, &record}, outcome);
            figures.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
            figures.FailedAttempts =
                session.Frames.Stats.WriteFailures + session.Frames.Stats.ReadFailures;
            messages = dialogs.Seen;
            if (verify && (!outcome.Verify.Ran || !outcome.Verify.AllSame()))
                messages.push_back("read back: " + VerifyReportText(outcome.Verify));
        }
        if (served.Stop() != 0) messages.push_back("the simulated station failed");
        figures.Bytes = Exchanged(station) - before;
        if (station.Images != setup.Full.Images)
            messages.push_back("the station does not hold the configuration that was written");
        if (!Accept(state, figures, result, messages, paced, runs)) return;
    }
    Report(state, runs, verify ? "verified write-all" : "write-all", paced);
}

void WriteAllRuns(benchmark::State& state) {
    WriteRuns(state, false);
}
void VerifiedWriteAllRuns(benchmark::State& state) {
    WriteRuns(state, true);
}

// A port or a simulator that fails ends the benchmark with the reason, not the whole program.
template <class TRuns>
void Guarded(benchmark::State& state, TRuns runs) {
    try {
        runs(state);
    } catch (const ECommError& e) {
        state.SkipWithError(e.What().c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void BM_ReadAllFullDogwood(benchmark::State& state) {
    Guarded(state, ReadAllRuns);
}
void BM_WriteAllFullDogwood(benchmark::State& state) {
    Guarded(state, WriteAllRuns);
}
void BM_VerifiedWriteAllFullDogwood(benchmark::State& state) {
    Guarded(state, VerifiedWriteAllRuns);
}

// Two paced runs of each take about 25 s; the unpaced run shows the program's own share. The
// second argument puts a USB-serial adapter's receive path in front of the program (bytes
// handed over when 62 have gathered or that many ms after the first): 1 ms is an FTDI adapter
// opened with the low-latency flag, 16 ms its default timer.
BENCHMARK(BM_ReadAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({1, 0})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_ReadAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({0, 0})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_ReadAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({1, 1})
    ->Args({1, 16})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_WriteAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({1, 0})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_WriteAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({0, 0})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_WriteAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({1, 1})
    ->Args({1, 16})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
// The write above followed by the read back of every table it wrote.
BENCHMARK(BM_VerifiedWriteAllFullDogwood)
    ->ArgNames({"paced", "adapter_ms"})
    ->Args({1, 0})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace zarnik

BENCHMARK_MAIN();
