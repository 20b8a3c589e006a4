// Comparing two full Dogwood configuration files, as "zarnik-cli diff A.ats B.ats" and the
// comparison window do: both files loaded from disk, then compared. The second file differs
// from the first in a few fields, so the comparison also names records and fields.
// The target is well under 50 ms for the whole.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "files/file_list.h"
#include "flows/config_diff.h"
#include "flows/station_status.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/port.h"
#include "platform/file_system.h"
#include "platform/silent_dialogs.h"
#include "sim/builtin_stations.h"
#include "sim/station_images.h"

namespace zarnik {
namespace {

TTableTicks AllTicks() {
    TTableTicks ticks{};
    ticks.fill(true);
    return ticks;
}

// The two files in a temporary folder, made once.
struct TTwoFiles {
    TTwoFiles() {
        Dir = (std::filesystem::temp_directory_path() / "zarnik-diff-bench").string();
        std::filesystem::create_directories(Dir);
        A = Dir + "/a.ats";
        B = Dir + "/b.ats";
        TMainClass session(Dialogs, TSessionSetup{Dir, false, ""});
        TDataStream store(Dir);
        const sim::TSimStation station = sim::MakeBuiltinStation("Dogwood", false);
        sim::StationToSession(station, session);
        sim::ImagesToAreas(station, session);
        DecodeStationStatus(session, store, false, false);
        DecodeTimeDefaults(session, store);
        DecodeComposition(session, store);
        BuildPorts(store);
        for (ETable t : LoadOrder())
            if (const TTableCodec* codec = FindCodec(t); codec != nullptr && t != ETable::Flash)
                codec->Decode(session, store);
        session.DataPresent = true;
        TFileList file;
        SaveConfiguration(session, store, file, AllTicks(), A);
        store.Lines[3].ALDirectCall = "77";
        store.TrunkLines[2].SL_AutoDial = "123";
        store.TimeSettings.Values[5] += 1.0f;
        for (ETable t : {ETable::SubscriberLines, ETable::TrunkLines, ETable::TimeSettings})
            FindCodec(t)->Encode(session, store);
        SaveConfiguration(session, store, file, AllTicks(), B);
    }
    ~TTwoFiles() {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
    TSilentDialogs Dialogs;
    std::string Dir, A, B;
};

TTwoFiles& Files() {
    static TTwoFiles files;
    return files;
}

TDiffTables All() {
    TDiffTables t{};
    t.fill(true);
    return t;
}

// The whole of "diff A.ats B.ats": both loads and the comparison.
void BM_DiffTwoDogwoodFiles(benchmark::State& state) {
    TTwoFiles& f = Files();
    std::size_t items = 0;
    for (auto _ : state) {
        const auto a = LoadConfigForDiff(f.Dialogs, f.Dir, f.A);
        const auto b = LoadConfigForDiff(f.Dialogs, f.Dir, f.B);
        if (!a || !b) {
            state.SkipWithError("a file did not load");
            return;
        }
        const TConfigDiff diff = CompareConfigurations({*a->Session, *a->Store, a->Held},
                                                       {*b->Session, *b->Store, b->Held}, All());
        items = diff.Items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["differences"] = static_cast<double>(items);
}
BENCHMARK(BM_DiffTwoDogwoodFiles)->Unit(benchmark::kMillisecond);

// The comparison alone, both files already loaded.
void BM_CompareLoadedDogwoods(benchmark::State& state) {
    TTwoFiles& f = Files();
    const auto a = LoadConfigForDiff(f.Dialogs, f.Dir, f.A);
    const auto b = LoadConfigForDiff(f.Dialogs, f.Dir, f.B);
    if (!a || !b) {
        state.SkipWithError("a file did not load");
        return;
    }
    std::size_t items = 0;
    for (auto _ : state) {
        const TConfigDiff diff = CompareConfigurations({*a->Session, *a->Store, a->Held},
                                                       {*b->Session, *b->Store, b->Held}, All());
        items = diff.Items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["differences"] = static_cast<double>(items);
}
BENCHMARK(BM_CompareLoadedDogwoods)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarnik

BENCHMARK_MAIN();
