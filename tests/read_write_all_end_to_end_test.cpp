// Whole-station sequences against simulated stations on real pseudo-terminals: every table of
// every model survives a read and a write unchanged, and a configuration travels station ->
// file -> zarnik-sim --from -> program -> file byte for byte; time-outs of tables and of the
// status blocks end as the program defines.

#include <gtest/gtest.h>

#include <filesystem>

#include "files/config_flows.h"
#include "flows/read_write_all.h"
#include "sim/builtin_stations.h"
#include "support/ats_compare.h"
#include "support/file_test_helpers.h"
#include "support/live_station.h"
#include "support/sim_process.h"

namespace zarnik {
namespace {

using test::ExpectSameBytes;
using test::ExpectSameImages;
using test::KeyText;
using test::TLinkedSession;
using test::TLiveStation;
using test::WithoutClock;

TTableTicks AllTicks() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

TTableTicks Only(ETable t) {
    TTableTicks ticks{};
    ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

// The result of ReadAll; *steps gets where the progress bar ended.
int ReadAllTables(TLinkedSession& s, const TTableTicks& ticks = AllTicks(), int* steps = nullptr) {
    s.Store->TransferFlags = ticks;
    TCountingProgress progress;
    const int result = ReadAll(*s.Session, progress, *s.Store);
    if (steps != nullptr) *steps = progress.Pos;
    return result;
}

int WriteAllTables(TLinkedSession& s, const TTableTicks& ticks = AllTicks()) {
    s.Store->TransferFlags = ticks;
    TCountingProgress progress;
    return WriteAll(*s.Session, progress, *s.Store);
}

struct TStationCase {
    const char* Model;
    const char* Version;
};

class StationRoundTrip : public ::testing::TestWithParam<TStationCase> {};

// One built-in station per case: read everything, save it, write everything back; the
// station's images must be exactly as they were. Then the saved file is served by the real
// zarnik-sim, read again and saved again: the two files are the same bytes but for the clock,
// and so is what the simulator writes on exit.
TEST_P(StationRoundTrip, ReadWriteLeavesImagesAndFileSurvivesTheSimulator) {
    const std::string model = GetParam().Model;
    const sim::TSimStation original =
        sim::MakeBuiltinStation(model, model == "Cedar", GetParam().Version);
    TLiveStation live(original);
    TLinkedSession first(live.Path());
    ASSERT_EQ(ReadAllTables(first), 1);
    ASSERT_EQ(first.Session->Identity.ModelName, model);
    ASSERT_EQ(first.Session->Identity.Version, GetParam().Version);
    const std::string fileA = first.Work.Path + "/station.ats";
    TFileList fileListA;
    ASSERT_TRUE(SaveConfiguration(*first.Session, *first.Store, fileListA, AllTicks(), fileA));

    ASSERT_EQ(WriteAllTables(first), 1);
    const sim::TSimStation& after = live.Stop();
    EXPECT_GT(after.Stats().WritesAccepted, 16);
    EXPECT_EQ(after.Stats().WritesRejected, 0);
    ExpectSameImages(original.Images, after.Images);

    const std::string bytesA = test::ReadBytes(fileA);
    ASSERT_GT(bytesA.size(), 1000u);
    const std::string onExit = first.Work.Path + "/on-exit.ats";
    test::TSimProcess sim({"--from", fileA, "--save-on-exit", onExit});
    TLinkedSession second(sim.LinkPath());
    ASSERT_EQ(ReadAllTables(second), 1);
    const std::string fileB = second.Work.Path + "/again.ats";
    TFileList fileListB;
    ASSERT_TRUE(SaveConfiguration(*second.Session, *second.Store, fileListB, AllTicks(), fileB));
    ExpectSameBytes(WithoutClock(bytesA), WithoutClock(test::ReadBytes(fileB)),
                    "read again from zarnik-sim");

    EXPECT_EQ(sim.ExitCode(), 0);
    ExpectSameBytes(WithoutClock(bytesA), WithoutClock(test::ReadBytes(onExit)),
                    "written by zarnik-sim on exit");
}

// The four models as built in, and three more versions across the thresholds that change
// table shapes: the oldest supported program, quick conferences without the extended time
// table, and sixty buttons per system phone.
INSTANTIATE_TEST_SUITE_P(
    Stations, StationRoundTrip,
    ::testing::Values(TStationCase{"Alder", "24,8"}, TStationCase{"Birch", "24,8"},
                      TStationCase{"Cedar", "24,8"}, TStationCase{"Dogwood", "24,8"},
                      TStationCase{"Alder", "23,8"}, TStationCase{"Cedar", "24,3"},
                      TStationCase{"Dogwood", "30,8"}),
    [](const auto& info) {
        std::string name = std::string(info.param.Model) + "_" + info.param.Version;
        name[name.find(',')] = '_';
        return name;
    });

sim::TBytes Pattern(std::size_t size, std::uint8_t seed) {
    sim::TBytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 37 * i);
    return bytes;
}

TEST(FlashEndToEnd, BlockReadFromOneStationArrivesUnchangedAtAnother) {
    const sim::TImageKey flash{0x40, 0x02};
    sim::TSimStation from = sim::MakeBareBuiltinStation("Cedar", false);
    const sim::TBytes block = Pattern(254, 0x5B);  // the largest block the table holds
    from.SetImage(flash, block);
    from.Identity.Key = 0x3C;
    sim::TSimStation to = sim::MakeBareBuiltinStation("Dogwood", false);
    to.SetImage(flash, Pattern(40, 0x01));
    to.Identity.Serial = 999;

    TLiveStation source(from);
    TLiveStation target(to);
    TLinkedSession s(source.Path());
    ASSERT_EQ(ReadAllTables(s, Only(ETable::Flash)), 1);
    // The block travels in a configuration file: what was read from one station in a session
    // is never written to another one unless it comes from a file.
    const std::string carried = s.Work.Path + "/flash.ats";
    TFileList out;
    ASSERT_TRUE(SaveConfiguration(*s.Session, *s.Store, out, Only(ETable::Flash), carried));
    TFileList in;
    ASSERT_TRUE(LoadConfiguration(*s.Session, *s.Store, in, Only(ETable::Flash), carried));
    s.Connect(target.Path());
    ASSERT_EQ(WriteAllTables(s, Only(ETable::Flash)), 1);
    EXPECT_EQ(s.Session->Identity.SerialNumber, "999");  // the write went to the other station
    const sim::TSimStation& written = target.Stop();
    ASSERT_NE(written.Image(flash), nullptr);
    EXPECT_EQ(*written.Image(flash), block);
    EXPECT_EQ(written.Stats().WritesRejected, 0);
}

TEST(ReadAllEndToEnd, TableTimeOutShowsItsMessageAndTheSequenceGoesOn) {
    // The real simulator, silent for the time-settings read only.
    test::TSimProcess sim({"--model", "Alder", "--silent-for", "09"});
    TLinkedSession s(sim.LinkPath());
    s.Dialogs.ExpectMessage("Не могу прочитать таблицу временных установок. Выход по time-out");
    s.Store->TimeSettings.Values.fill(7.0F);
    // A table read before it and two read after it are enough to see the sequence go on.
    TTableTicks ticks{};
    for (ETable t : {ETable::SystemSettings, ETable::TimeSettings, ETable::Groups,
                     ETable::TrunkLines})
        ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    int steps = 0;
    ASSERT_EQ(ReadAllTables(s, ticks, &steps), 1);
    EXPECT_EQ(steps, kTableCount);
    EXPECT_TRUE(s.Dialogs.AllSeen());
    ASSERT_EQ(s.Dialogs.Seen.size(), 1u);
    EXPECT_EQ(s.Dialogs.Seen[0].Caption, "Ошибка");

    // Decoded from the cleared area: every timer is 0.
    EXPECT_EQ(s.Session->Area(ETable::TimeSettings).Slots[0].Length, 0);
    for (const float value : s.Store->TimeSettings.Values) EXPECT_EQ(value, 0.0F);
    // The tables around it arrived as the station holds them.
    const sim::TSimStation reference = sim::MakeBuiltinStation("Alder", false);
    const auto expectSlot = [&](ETable t, std::size_t slot, sim::TImageKey key) {
        const auto valid = s.Session->Area(t).Slots[slot].Valid();
        ASSERT_NE(reference.Image(key), nullptr);
        EXPECT_EQ(sim::TBytes(valid.begin(), valid.end()), *reference.Image(key)) << KeyText(key);
    };
    const int lastTrunk = reference.Identity.TrunkLines - 1;
    expectSlot(ETable::TrunkLines, static_cast<std::size_t>(lastTrunk), {0x48, lastTrunk});
    expectSlot(ETable::Groups, 19, {0x50, 19});
    expectSlot(ETable::SystemSettings, 0, {0x0A, -1});
    EXPECT_TRUE(s.Session->Identified);
}

// A Cedar station with no tables at all: any table request would time out with a message,
// which the strict dialogs refuse.
class StatusTimeOut : public ::testing::Test {
  protected:
    StatusTimeOut() : Live(sim::MakeBareBuiltinStation("Cedar", false)) {}

    // ReadAll against a station that spoils every answer to one request; the code the program
    // ended with. A wrong checksum fails an attempt at once where silence costs a second, and
    // the sequence treats both as the same time-out.
    std::optional<int> ReadAllFailing(std::uint16_t request, const std::string& message) {
        Live.With([request](sim::TSimStation& st) { st.Faults.CorruptFor = {request}; });
        TLinkedSession s(Live.Path());
        s.Dialogs.ExpectMessage(message);
        std::optional<int> code;
        try {
            ReadAllTables(s);
        } catch (const TExitProgram& e) {
            code = e.Code;
        }
        EXPECT_TRUE(s.Dialogs.AllSeen());
        if (!s.Dialogs.Seen.empty()) {
            EXPECT_EQ(s.Dialogs.Seen.back().Caption, "Ошибка");
        }
        return code;
    }
    int Requests(std::uint16_t key) {
        return Live.With([key](sim::TSimStation& st) {
            const auto it = st.Stats().Requests.find(key);
            return it == st.Stats().Requests.end() ? 0 : it->second;
        });
    }

    TLiveStation Live;
};

TEST_F(StatusTimeOut, EachOfTheThreeEndsTheProgramWithCodeZero) {
    EXPECT_EQ(ReadAllFailing(0x4012,
                             "Не могу прочитать таблицу параметров конференций. Выход "
                             "по time-out. Программа будет закрыта."),
              0);
    EXPECT_EQ(Requests(0x4012), 5);
    EXPECT_EQ(Requests(0x0008), 0);  // nothing after it was asked

    EXPECT_EQ(ReadAllFailing(0x0008,
                             "Не могу прочитать таблицу умолчаний врем. установок. "
                             "Выход по time-out. Программа будет закрыта."),
              0);
    EXPECT_EQ(Requests(0x0008), 5);
    EXPECT_EQ(Requests(0x4009), 0);

    EXPECT_EQ(ReadAllFailing(0x4009,
                             "Не могу прочитать таблицу состава АТС. Выход по "
                             "time-out. Программа будет закрыта."),
              0);
    EXPECT_EQ(Requests(0x4009), 5);
    EXPECT_EQ(Requests(0xC00A), 0);  // no board record was asked for
}

TEST_F(StatusTimeOut, StationOfMoreThanOneUnitReadsNoTable) {
    Live.With([](sim::TSimStation& st) { st.Identity.UnitBits = 0x03; });
    TLinkedSession s(Live.Path());
    int steps = -1;
    EXPECT_EQ(ReadAllTables(s, AllTicks(), &steps), 1);
    EXPECT_EQ(steps, 0);  // the tables' steps are skipped with them
    EXPECT_TRUE(s.Session->Identified);
    EXPECT_EQ(s.Session->Identity.UnitCount, 2);
    EXPECT_FALSE(s.Store->Ports.empty());  // the status blocks were still read
    const auto requests = Live.With([](sim::TSimStation& st) { return st.Stats().Requests; });
    for (const auto& [key, count] : requests) {
        const bool status = key == 0x00 || key == 0x01 || key == 0x08 || key == 0x4003 ||
                            key == 0x4009 || key == 0xC00A || key == 0x4012;
        EXPECT_TRUE(status) << "request " << std::hex << key << " was sent";
    }
}

}  // namespace
}  // namespace zarnik
