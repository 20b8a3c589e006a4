#include "codecs/time_settings_codec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "codecs/codecs.h"
#include "editors/settings_editing.h"
#include "sim/sim_station.h"
#include "support/offline_session.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

TRawSlot& Slot(test::TOfflineSession& s) {
    return s.Session.Area(ETable::TimeSettings).Slots[0];
}

Bytes Valid(test::TOfflineSession& s) {
    const auto v = Slot(s).Valid();
    return {v.begin(), v.end()};
}

// A table of n bytes whose word k holds 8 * (k + 1) + 3 (k + 1 seconds and three eighths).
Bytes Counting(std::size_t n) {
    Bytes b(n, 0);
    for (std::size_t k = 0; 2 * k + 1 < n; ++k) {
        const unsigned w = 8 * (static_cast<unsigned>(k) + 1) + 3;
        b[2 * k] = static_cast<std::uint8_t>(w & 0xFF);
        b[2 * k + 1] = static_cast<std::uint8_t>(w >> 8);
    }
    return b;
}

struct TLayoutCase {
    const char* Model;
    const char* Version;
    std::uint16_t Length;
    bool HasT34;
    bool HasT35;
};

// Every station layout: the length the encode gives, and that a station's table read and
// written back unchanged keeps every byte and every timer in its word.
TEST(TimeSettingsCodec, LengthAndRoundTripsOnEveryLayout) {
    const std::array<TLayoutCase, 5> cases{{
        {"Alder", "24,3", 48, false, false},
        {"Cedar", "24,3", 50, true, false},
        {"Cedar", "24,8", 52, true, true},
        {"Dogwood", "28,6", 52, true, true},
        // No conferences but the extended table: T34's word stays in front of T35 (bytes
        // 48-49), and T35 is bytes 50-51 both ways.
        {"Birch", "24,4", 52, true, true},
    }};
    test::TOfflineSession s;
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(std::string(c.Model) + " " + c.Version);
        s.SetModel(c.Model, c.Version);
        const Bytes station = Counting(c.Length);
        ASSERT_TRUE(Slot(s).Assign(station));
        DecodeTimeSettings(s.Session, *s.Store);
        const auto& v = s.Store->TimeSettings.Values;
        EXPECT_FLOAT_EQ(v[0], 1.375f);
        EXPECT_FLOAT_EQ(v[23], 24.375f);
        EXPECT_FLOAT_EQ(v[24], c.HasT34 ? 25.375f : 0.0f);
        EXPECT_FLOAT_EQ(v[25], c.HasT35 ? 26.375f : 0.0f);
        const TTimeSettings decoded = s.Store->TimeSettings;

        EncodeTimeSettings(s.Session, *s.Store);
        EXPECT_EQ(Slot(s).Length, c.Length);
        EXPECT_EQ(Valid(s), station);
        DecodeTimeSettings(s.Session, *s.Store);
        EXPECT_EQ(s.Store->TimeSettings, decoded);
    }
}

TEST(TimeSettingsCodec, BlankIsTheFactoryTableAndAFailedReadLeavesZeros) {
    test::TOfflineSession s("Cedar", "24,8");
    const TTableCodec& codec = *TimeSettingsCodec();
    codec.Blank(s.Session);
    EXPECT_EQ(Slot(s).Length, 52);
    const Bytes blank = codec.Pack(s.Session);
    EXPECT_EQ((Bytes{blank[34], blank[35]}), (Bytes{0xC0, 0x5D}));  // T27: 24000 eighths
    codec.Decode(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[0], 20.0f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[25], 3.0f);

    EXPECT_FALSE(codec.Unpack(s.Session, Bytes(256, 1)));
    EXPECT_EQ(codec.Pack(s.Session), blank);

    // A failed read leaves an empty area: every timer 0, also those it would not reach.
    Slot(s).Clear();
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TimeSettings, TTimeSettings{});
}

TEST(TimeSettingsCodecEditing, PlusAndMinusStayWithinOneToTenSteps) {
    EXPECT_DOUBLE_EQ(*StepTimerValue(3.0, 1.0, 1), 4.0);
    EXPECT_DOUBLE_EQ(*StepTimerValue(2.25, 0.25, -1), 2.0);
    EXPECT_FALSE(StepTimerValue(10.0, 1.0, 1));
    EXPECT_FALSE(StepTimerValue(1.0, 1.0, -1));
    // Decimal steps that do not add up exactly still reach the bound.
    const double once = *StepTimerValue(0.3, 0.1, -1);
    EXPECT_TRUE(StepTimerValue(once, 0.1, -1));
    EXPECT_TRUE(StepTimerValue(0.9, 0.1, 1));
}

std::vector<TTypedTimer> Typed(const test::TOfflineSession& s) {
    std::vector<TTypedTimer> typed;
    for (const TTimerRow& r : TimerRows(s.Session, *s.Store)) typed.push_back({r.Name, r.Value});
    return typed;
}

// 2.3 s travel as 18 eighths; T35 is the last row on a station without conferences.
TEST(TimeSettingsCodecEditing, CommitReadsTheGridAndEncodesOrRefusesATypo) {
    test::TOfflineSession s("Alder", "24,8");
    std::vector<TTypedTimer> typed = Typed(s);
    ASSERT_EQ(typed.size(), 25u);
    typed[0].Value = " 2,3 ";
    typed.back().Value = "1.5";
    EXPECT_TRUE(CommitTimerValues(s.Session, *s.Store, typed, s.Dialogs));
    EXPECT_EQ(Valid(s).size(), 52u);
    EXPECT_EQ(Slot(s).Bytes[0], 18);
    EXPECT_EQ(Slot(s).Bytes[50], 12);
    EXPECT_TRUE(s.Session.Changed(ETable::TimeSettings));
    DecodeTimeSettings(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[0], 2.25f);
    const TTimeSettings committed = s.Store->TimeSettings;
    const auto raw = Slot(s).Bytes;

    // A typo, in one of the first 24 rows or in the T35 row, is reported and nothing is
    // stored, not even the good rows read before it; the change flag stays as the last commit
    // left it.
    s.Session.SetChanged(ETable::TimeSettings, false);
    typed[0].Value = "9";
    for (const auto& [row, text] : std::vector<std::pair<std::size_t, std::string>>{
             {5, "1.5x"}, {typed.size() - 1, ""}}) {
        std::vector<TTypedTimer> bad = typed;
        bad[row].Value = text;
        s.Dialogs.ExpectMessage(kBadTimerNumber);
        EXPECT_FALSE(CommitTimerValues(s.Session, *s.Store, bad, s.Dialogs)) << row;
        EXPECT_EQ(s.Store->TimeSettings, committed) << row;
        EXPECT_EQ(Slot(s).Bytes, raw) << row;
        EXPECT_FALSE(s.Session.Changed(ETable::TimeSettings)) << row;
    }
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

// The simulated station on a pseudo-terminal, pumped by a thread of the test, with the
// session's port connected to it.
class TSimLink {
  public:
    TSimLink(test::TOfflineSession& s, const Bytes& table) {
        Station.SetImage({0x09, -1}, table);
        Pump = std::thread([this] { Run(); });
        s.Session.Port.Close();
        s.Session.PortName = Pty.SlavePath;
        s.Session.OpenPort();
        s.Session.Key = Station.Identity.Key;
    }
    ~TSimLink() { Requests(); }
    // Stops the station; how often it was asked for the table.
    int Requests() {
        Stopping = true;
        if (Pump.joinable()) Pump.join();
        const auto it = Station.Stats().Requests.find(0x09);
        return it == Station.Stats().Requests.end() ? 0 : it->second;
    }

  private:
    void Run() {
        std::array<std::uint8_t, 512> buf{};
        while (!Stopping) {
            const long n = Pty.ReadSome(buf.data(), buf.size(), 5);
            for (long i = 0; i < n; ++i) {
                const sim::TSimAnswer a = Station.Feed(buf[static_cast<std::size_t>(i)],
                                                       std::chrono::steady_clock::now());
                if (!a.Bytes.empty() && !Pty.Write(a.Bytes)) return;
            }
        }
    }
    test::TPtyPair Pty;
    sim::TSimStation Station;
    std::atomic<bool> Stopping{false};
    std::thread Pump;
};

TEST(TimeSettingsCodecLink, OddAnswersAreEvenedAndAFullLengthOneIsABadFrame) {
    test::TOfflineSession s("Cedar", "24,8");
    {
        TSimLink link(s, Bytes(49, 0x11));
        EXPECT_EQ(ReadTimeSettings(s.Session), 50);
        EXPECT_EQ(Valid(s).size(), 50u);
        EXPECT_EQ(Slot(s).Bytes[48], 0x11);
        EXPECT_EQ(Slot(s).Bytes[49], 0x00);
    }
    // No room is left for the evening zero: a bad frame, retried, never stored.
    TSimLink link(s, Bytes(255, 0x22));
    EXPECT_EQ(ReadTimeSettings(s.Session), -5);
    EXPECT_EQ(Slot(s).Length, 0);
    EXPECT_EQ(Slot(s).Bytes[0], 0);
    EXPECT_EQ(link.Requests(), 5);
    s.Session.Port.Close();
}

}  // namespace
}  // namespace zarnik
