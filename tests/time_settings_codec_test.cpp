#include "codecs/time_settings_codec.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "codecs/codecs.h"
#include "codecs/settings_editing.h"
#include "sim/sim_station.h"
#include "support/offline_session.h"

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

TEST(TimeSettingsCodec, ValuesTravelInEighthsTruncated) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Store->TimeSettings.Values[0] = 2.3f;
    s.Store->TimeSettings.Values[17] = 3000.0f;  // 24000 eighths, the longest factory value
    EncodeTimeSettings(s.Session, *s.Store);
    EXPECT_EQ(Slot(s).Bytes[0], 18);
    EXPECT_EQ(Slot(s).Bytes[1], 0);
    EXPECT_EQ(Slot(s).Bytes[34], 0xC0);
    EXPECT_EQ(Slot(s).Bytes[35], 0x5D);
    EXPECT_TRUE(s.Session.Changed(ETable::TimeSettings));
    DecodeTimeSettings(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[0], 2.25f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[17], 3000.0f);
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

TEST(TimeSettingsCodec, TimersTheTableDoesNotReachAreZero) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Store->TimeSettings.Values.fill(7.0f);
    ASSERT_TRUE(Slot(s).Assign(Counting(48)));
    DecodeTimeSettings(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[23], 24.375f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[24], 0.0f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[25], 0.0f);

    // A failed read leaves an empty area: every timer 0.
    Slot(s).Clear();
    DecodeTimeSettings(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TimeSettings, TTimeSettings{});
}

TEST(TimeSettingsCodec, BlankIsTheFactoryTableAndPackKeepsTheImage) {
    test::TOfflineSession s("Cedar", "24,8");
    const TTableCodec& codec = *TimeSettingsCodec();
    codec.Blank(s.Session);
    EXPECT_EQ(Slot(s).Length, 52);
    const Bytes blank = codec.Pack(s.Session);
    ASSERT_EQ(blank.size(), 52u);
    EXPECT_EQ(blank[0], 160);
    EXPECT_EQ(blank[34], 24000 & 0xFF);
    EXPECT_EQ(blank[35], 24000 >> 8);
    codec.Decode(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[0], 20.0f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[25], 3.0f);

    EXPECT_FALSE(codec.Unpack(s.Session, Bytes(256, 1)));
    EXPECT_EQ(codec.Pack(s.Session), blank);
    EXPECT_TRUE(codec.Unpack(s.Session, Counting(50)));
    EXPECT_EQ(codec.Pack(s.Session), Counting(50));
}

TEST(TimeSettingsCodec, DemoTakesTheStationDefaults) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Store->TimeDefaults.Codes.fill(3);
    s.Store->TimeDefaults.Values.fill(1.0f);  // the defaults word 0x3004: step 1 s, default 3 s
    s.Store->TimeDefaults.Codes[5] = 0;       // no default reported: the factory value
    TimeSettingsCodec()->FillDemo(s.Session, *s.Store);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[0], 3.0f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[5], 60.0f);
}

TEST(TimeSettingsCodecEditing, PlusAndMinusStayWithinOneToTenSteps) {
    EXPECT_DOUBLE_EQ(*StepTimerValue(3.0, 1.0, 1), 4.0);
    EXPECT_DOUBLE_EQ(*StepTimerValue(3.0, 1.0, -1), 2.0);
    EXPECT_DOUBLE_EQ(*StepTimerValue(9.0, 1.0, 1), 10.0);
    EXPECT_FALSE(StepTimerValue(10.0, 1.0, 1));
    EXPECT_FALSE(StepTimerValue(1.0, 1.0, -1));
    EXPECT_DOUBLE_EQ(*StepTimerValue(2.25, 0.25, -1), 2.0);
    // Decimal steps that do not add up exactly still reach the bound.
    const double once = *StepTimerValue(0.3, 0.1, -1);
    EXPECT_TRUE(StepTimerValue(once, 0.1, -1));
    EXPECT_TRUE(StepTimerValue(0.9, 0.1, 1));
}

TEST(TimeSettingsCodecEditing, RowsFollowTheStation) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Store->TimeDefaults.Codes[0] = 3;
    s.Store->TimeDefaults.Values[0] = 1.0f;
    s.Store->TimeSettings.Values[0] = 2.25f;
    std::vector<TTimerRow> rows = TimerRows(s.Session, *s.Store);
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[0].Name, "T10");
    EXPECT_EQ(rows[0].Default, "3.00");
    EXPECT_EQ(rows[0].Step, "1.00");
    EXPECT_EQ(rows[0].Value, "2.25");
    EXPECT_EQ(rows[25].Name, "T35");

    s.SetModel("Alder", "24,8");
    rows = TimerRows(s.Session, *s.Store);
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(rows[24].Name, "T35");
    s.SetModel("Cedar", "24,3");
    EXPECT_EQ(TimerRows(s.Session, *s.Store).back().Name, "T34");
    s.SetModel("Birch", "23,9");
    EXPECT_EQ(TimerRows(s.Session, *s.Store).size(), 24u);
}

std::vector<TTypedTimer> Typed(const test::TOfflineSession& s) {
    std::vector<TTypedTimer> typed;
    for (const TTimerRow& r : TimerRows(s.Session, *s.Store)) typed.push_back({r.Name, r.Value});
    return typed;
}

TEST(TimeSettingsCodecEditing, CommitReadsTheGridAndEncodes) {
    test::TOfflineSession s("Alder", "24,8");
    std::vector<TTypedTimer> typed = Typed(s);
    typed[3].Value = " 2,25 ";
    typed.back().Value = "1.5";  // T35: the last row on a station without conferences
    CommitTimerValues(s.Session, *s.Store, typed);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[3], 2.25f);
    EXPECT_FLOAT_EQ(s.Store->TimeSettings.Values[25], 1.5f);
    EXPECT_EQ(Slot(s).Length, 52);
    EXPECT_EQ(Slot(s).Bytes[50], 12);
    EXPECT_TRUE(s.Session.Changed(ETable::TimeSettings));
}

TEST(TimeSettingsCodecEditing, TextThatIsNoNumberEndsTheProgramAndChangesNothing) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Dialogs.ExpectMessage("Исключение №1 при внесении данных в DataStream");
    std::vector<TTypedTimer> typed = Typed(s);
    typed[0].Value = "9";
    typed[5].Value = "1.5x";
    try {
        CommitTimerValues(s.Session, *s.Store, typed);
        FAIL() << "no exit";
    } catch (const TExitProgram& e) {
        EXPECT_EQ(e.Code, 1);
    }
    EXPECT_EQ(s.Store->TimeSettings, TTimeSettings{});
    EXPECT_FALSE(s.Session.Changed(ETable::TimeSettings));
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

// The simulated station on a pseudo-terminal, pumped by a thread of the test.
class TSimLink {
  public:
    explicit TSimLink(sim::TSimStation& station) : Station(station) {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0) return;
        std::array<char, 128> name{};
        if (ptsname_r(Master, name.data(), name.size()) != 0) return;
        SlavePath = name.data();
        Slave = ::open(SlavePath.c_str(), O_RDWR | O_NOCTTY);  // the line never hangs up
        termios t{};
        tcgetattr(Master, &t);
        cfmakeraw(&t);
        tcsetattr(Master, TCSANOW, &t);
        Pump = std::thread([this] { Run(); });
    }
    ~TSimLink() {
        Stop();
        if (Slave >= 0) ::close(Slave);
        if (Master >= 0) ::close(Master);
    }
    // Joins the pump, so the test may look at the station.
    void Stop() {
        Stopping = true;
        if (Pump.joinable()) Pump.join();
    }
    std::string SlavePath;

  private:
    void Run() {
        while (!Stopping) {
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0) continue;
            std::array<std::uint8_t, 512> buf{};
            const ssize_t n = ::read(Master, buf.data(), buf.size());
            for (ssize_t i = 0; i < n; ++i) {
                const sim::TSimAnswer a = Station.Feed(buf[static_cast<std::size_t>(i)],
                                                       std::chrono::steady_clock::now());
                if (!a.Bytes.empty() && ::write(Master, a.Bytes.data(), a.Bytes.size()) < 0) return;
            }
        }
    }
    sim::TSimStation& Station;
    int Master = -1;
    int Slave = -1;
    std::atomic<bool> Stopping{false};
    std::thread Pump;
};

class TimeSettingsCodecLink : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(Link.SlavePath.empty());
        S.Session.PortName = Link.SlavePath;
        S.Session.OpenPort();
        S.Session.Key = Station.Identity.Key;
    }
    void TearDown() override { S.Session.Port.Close(); }
    sim::TSimStation Station;
    TSimLink Link{Station};
    test::TOfflineSession S{"Cedar", "24,8"};
};

TEST_F(TimeSettingsCodecLink, AnOddAnswerIsEvenedWithAZeroByte) {
    Station.SetImage({0x09, -1}, Bytes(49, 0x11));
    EXPECT_EQ(ReadTimeSettings(S.Session), 50);
    EXPECT_EQ(Slot(S).Length, 50);
    EXPECT_EQ(Slot(S).Bytes[48], 0x11);
    EXPECT_EQ(Slot(S).Bytes[49], 0x00);
}

TEST_F(TimeSettingsCodecLink, AnAnswerWithNoRoomForEvening) {
    Station.SetImage({0x09, -1}, Bytes(255, 0x22));
    EXPECT_EQ(ReadTimeSettings(S.Session), -5);
    EXPECT_EQ(Slot(S).Length, 0);
    EXPECT_EQ(Slot(S).Bytes[0], 0);
    EXPECT_EQ(Slot(S).Bytes[254], 0);
    Link.Stop();
    EXPECT_EQ(Station.Stats().Requests.at(0x09), 5);
}

TEST_F(TimeSettingsCodecLink, WriteSendsTheEncodedTable) {
    Station.SetImage({0x09, -1}, Bytes(52, 0));
    S.Store->TimeSettings.Values[25] = 2.5f;
    EncodeTimeSettings(S.Session, *S.Store);
    EXPECT_EQ(WriteTimeSettings(S.Session), 1);
    Link.Stop();
    ASSERT_NE(Station.Image({0x09, -1}), nullptr);
    EXPECT_EQ(*Station.Image({0x09, -1}), Valid(S));
}

}  // namespace
}  // namespace zarnik
