// The configuration report of a fully populated Dogwood, every sheet ticked, written to a file.
// A technician waits for it with the window blocked, so it should take well under a second.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/text_1251.h"
#include "platform/dialogs_stream.h"
#include "report/config_report.h"

namespace zarnik {
namespace {

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarnik-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

// Fifteen boards of every kind the ten-port family has.
void Compose(TDataStream& store) {
    const char* boards[] = {"Kama", "Don", "Volga", "Neva", "Onega"};
    store.Model = "Dogwood";
    store.CompositionCount = 15;
    for (int s = 0; s < 15; ++s)
        store.Composition[static_cast<std::size_t>(s)].BoardType = boards[s % 5];
    BuildPorts(store);
}

void FillLines(TDataStream& store) {
    int n = 0;
    for (const TPortPtr& port : store.Ports) {
        if (port->Type != kPortTypeSubscriber && port->Type != kPortTypeSta) continue;
        port->AlData->AL_PrgNum = "1" + std::to_string(100 + n);
        TAL& line = store.Lines[static_cast<std::size_t>(port->Line - 1)];
        for (int i = 0; i < kAlSettingCount; ++i) {
            line.Setting(i) = (i + n) % 3 == 0;
            line.AL_Own[static_cast<std::size_t>(i)] = (i + n) % 2 == 0;
        }
        for (std::size_t k = 0; k < 75; k += 7) line.ALSL_OFF[k] = true;
        line.ALPriority = static_cast<std::uint8_t>(n % 4);
        line.ALGGS = static_cast<std::uint8_t>(n % 10);
        line.ALDirectCall = std::to_string(100 + n);
        line.ALGroup = n % 20;
        store.Names->SetPortName(port->Line - 1, Utf8ToCp1251("Абонент №" + std::to_string(n)));
        ++n;
    }
}

void FillTrunksAndGroups(TDataStream& store) {
    for (std::size_t i = 0; i < 75; ++i) {
        TSL& sl = store.TrunkLines[i];
        sl.SL_OutgoingCall = i % 2 == 0;
        sl.SL_DISA = sl.SL_Dir9 = i % 3 == 0;
        sl.SL_DayNaveden = static_cast<std::int32_t>(i % 48) + 1;
        sl.SL_AutoDial = "8495*1P";
        sl.SL_Block = i % 5 == 0 ? 202 : -1;
    }
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        TGroup& group = store.Groups[g];
        group.GR_DTMF = group.GR_RusSTA = true;
        group.GR_AdditionalIntercept = {10, 11, 12, 13, 14};
        group.GR_AdditionalInterceptCount = 5;
        group.GR_GroupCall = {201, 203, 205, 207, 209};
        group.GR_GroupCallCount = 5;
        group.GR_DayNaveden = static_cast<std::uint8_t>(g + 1);
        for (std::size_t k = 0; k < 75; k += 5) group.GR_SLOFF[k] = true;
        store.Names->SetGroupName(static_cast<int>(g), Utf8ToCp1251("Отдел " + std::to_string(g)));
    }
}

void FillTables(TMainClass& session, TDataStream& store) {
    session.Identity.RoutingTableCount = kMaxRoutingTables;
    for (std::size_t t = 0; t < kMaxRoutingTables; ++t) {
        for (auto& row : store.RoutingTables[t].Rows)
            for (std::size_t p = 0; p < row.size(); ++p) row[p] = 201 + static_cast<int>(2 * p);
    }
    store.RedirectionCount = 150;
    for (std::size_t i = 0; i < 150; ++i)
        store.Redirections[i].Target = 201 + static_cast<int>(i % 7);
    store.DoorPhoneCount = 15;
    for (std::size_t i = 0; i < 15; ++i)
        store.DoorPhones[i] = {true, false, true, "3", "4", "211", "105"};
    store.LoudspeakerCount = 10;
    for (std::size_t i = 0; i < 10; ++i) store.Loudspeakers[i] = {"213", i % 2 == 0};
    store.GlobalExtNum->Count = 30;
    for (std::size_t i = 0; i < 30; ++i) store.GlobalExtNum->Entries[i] = "84951234567";
    for (auto& book : store.GroupExtNums)
        for (std::size_t i = 0; i < 20; ++i) book.Entries[i] = "8812765432";
    session.ConferenceParams = {60, 30, 1, 0, 0};
    for (auto& conf : store.Conferences) {
        conf.MemberCount = 30;
        for (std::size_t j = 0; j < 30; ++j) conf.Members[j] = 201 + static_cast<int>(2 * j);
    }
    for (std::size_t k = 0; k < kTimerCount; ++k) store.TimeSettings.Values[k] = 0.5F * (k + 1);
    for (std::size_t i = 0; i < kBwListEntries; ++i) store.BlackWhiteList.Entries[i] = "8800555";
}

void BM_FullDogwoodReport(benchmark::State& state) {
    const std::string dir = MakeTempDir();
    TStreamDialogs dialogs(std::cerr, false);
    TMainClass session(dialogs, TSessionSetup{dir, false, ""});
    session.Identity.ModelName = "Dogwood";
    session.Identity.Version = "24,8";
    session.Identity.SerialNumber = "12345";
    TDataStream store(dir);
    Compose(store);
    FillLines(store);
    FillTrunksAndGroups(store);
    FillTables(session, store);

    TReportTicks ticks;
    ticks.fill(true);
    TReportRequest request;
    request.OpenInViewer = false;
    TCountingProgress progress;
    for (auto _ : state) {
        if (MakeConfigurationReport(session, store, ticks, request, progress, dialogs) !=
            EReportResult::Written) {
            state.SkipWithError("the report was not written");
            break;
        }
    }
    state.counters["ports"] = static_cast<double>(store.Ports.size());
    std::filesystem::remove_all(dir);
}

BENCHMARK(BM_FullDogwoodReport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarnik

BENCHMARK_MAIN();
