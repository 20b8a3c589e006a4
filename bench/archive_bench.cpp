// The station archive at the scale of a busy technician: 100 stations, 50 automatic backups
// each and a journal of 10,000 records each (about 400 MB under dat/auto). Listing the
// stations, as "zarnik-cli archive" and the archive window do, must take well under a second:
// once with nothing cached (every file head is read) and once as the next run finds it, with
// the cache file in place. The timeline of one station reads its whole journal.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "files/file_list.h"
#include "flows/station_archive.h"
#include "flows/station_journal.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/silent_dialogs.h"
#include "sim/builtin_stations.h"
#include "sim/station_images.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;

constexpr int kStations = 100;
constexpr int kBackups = 50;
constexpr int kRecords = 10000;

std::string FirstSerial() { return "10000"; }

struct TBigArchive {
    TBigArchive() {
        Dir = (fs::temp_directory_path() / "zarnik-archive-bench").string();
        fs::remove_all(Dir);
        const std::string autoDir = Dir + "/dat/auto";
        fs::create_directories(autoDir);
        // One real configuration file; each station's backups are copies with its serial.
        TMainClass session(Dialogs, TSessionSetup{Dir, false, ""});
        TDataStream store(Dir);
        const sim::TSimStation station = sim::MakeBuiltinStation("Dogwood", false);
        sim::StationToSession(station, session);
        sim::ImagesToAreas(station, session);
        TTableTicks all{};
        all.fill(true);
        TFileList file;
        SaveConfiguration(session, store, file, all, Dir + "/model.ats");
        std::ifstream in(Dir + "/model.ats", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        for (int s = 0; s < kStations; ++s) {
            const int serial = 10000 + s;
            bytes[1 + 14] = static_cast<char>(serial & 0xFF);
            bytes[1 + 15] = static_cast<char>(serial >> 8);
            for (int b = 0; b < kBackups; ++b) {
                char name[64];
                std::snprintf(name, sizeof name, "/%d_2026-%02d-%02d_10-00-%02d.ats", serial,
                              1 + b / 28, 1 + b % 28, b % 60);
                std::ofstream(autoDir + name, std::ios::binary) << bytes;
            }
            TJournalEntry e;
            e.Kind = kJournalWrite;
            e.Program = "zarnik-cli";
            e.Version = kJournalProgramVersion;
            e.User = "tech";
            e.Port = "/dev/ttyUSB0";
            e.Serial = std::to_string(serial);
            e.Model = "Dogwood";
            e.StationVersion = "24,8";
            e.StationName = "Офис " + std::to_string(s);
            e.Tables = {"lines", "trunks", "groups"};
            e.Reached = e.Tables;
            e.Result = kWriteResultWritten;
            e.Verified = "yes";
            e.Backup = e.Serial + "_2026-01-01_10-00-00.ats";
            e.SourceFile = "/home/tech/dat/office.ats";
            e.SourceSha256 = std::string(64, 'a');
            std::ofstream journal(autoDir + "/" + e.Serial + kJournalExtension, std::ios::binary);
            for (int r = 0; r < kRecords; ++r) {
                e.Unix = 1767261600 + r * 60;
                e.Time = "2026-01-01 10:00:00";
                journal << JournalLine(e);
            }
        }
    }
    // ZARNIK_ARCHIVE_BENCH_KEEP=1 leaves the folder for the archive window's own measurement
    // (the GUI test ArchiveWindow.OpensABigArchiveWithinASecond, given ZARNIK_ARCHIVE_DIR).
    ~TBigArchive() {
        if (std::getenv("ZARNIK_ARCHIVE_BENCH_KEEP") == nullptr)
            fs::remove_all(Dir);
        else
            std::printf("The archive is kept in %s\n", Dir.c_str());
    }
    std::string Dir;
    TSilentDialogs Dialogs;
};

TBigArchive& Archive() {
    static TBigArchive archive;
    return archive;
}

void DropCache() { fs::remove(Archive().Dir + "/dat/auto/" + kArchiveCacheName); }

void BM_ListStationsNothingCached(benchmark::State& state) {
    const std::string dir = Archive().Dir;
    for (auto _ : state) {
        state.PauseTiming();
        DropCache();
        state.ResumeTiming();
        TStationArchive archive(dir);
        archive.Scan();
        if (archive.Stations().size() != kStations) state.SkipWithError("stations missing");
        benchmark::DoNotOptimize(archive.Stations().data());
    }
}
BENCHMARK(BM_ListStationsNothingCached)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ListStationsNextRun(benchmark::State& state) {
    const std::string dir = Archive().Dir;
    TStationArchive(dir).Scan();  // the run before leaves the cache
    for (auto _ : state) {
        TStationArchive archive(dir);
        archive.Scan();
        if (archive.FilesOpened() != 0) state.SkipWithError("the cache was not used");
        benchmark::DoNotOptimize(archive.Stations().data());
    }
}
BENCHMARK(BM_ListStationsNextRun)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TimelineOfOneStation(benchmark::State& state) {
    TStationArchive archive(Archive().Dir);
    archive.Scan();
    for (auto _ : state) {
        const auto events = archive.Timeline(FirstSerial());
        if (events.size() != kRecords + kBackups) state.SkipWithError("events missing");
        benchmark::DoNotOptimize(events.data());
    }
}
BENCHMARK(BM_TimelineOfOneStation)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace zarnik

BENCHMARK_MAIN();
