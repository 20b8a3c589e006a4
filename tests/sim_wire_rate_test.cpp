// The simulator's timing against a real port. Paced, an answer may never come faster than a
// 19200 baud line carries it (timings measured through it would lie), and it should come
// about as fast as the line allows (or the program would be blamed for the simulator's waits).
// Unpaced, it comes at once, yet never before the master has had time to purge its input.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "link/comm_port.h"
#include "sim/sim_server.h"
#include "support/sim_process.h"

namespace zarnik::sim {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct TTimedAnswer {
    int Length = -1;
    int Received = 0;         // bytes after the length byte, checksum included
    Clock::duration Total{};  // from the request to the last byte
};

// Asks for the first program-number block (0x40 0x01, 240 bytes on a ten-port station) and
// times its answer byte by byte.
TTimedAnswer AskProgramNumbers(TCommPort& port) {
    TTimedAnswer answer;
    port.PurgeInput();
    const auto start = Clock::now();
    port.WriteByte(0x40);
    port.WriteByte(0x01);
    answer.Length = port.ReadByteTimeout(500);
    if (answer.Length < 0) return answer;
    for (int i = 0; i <= answer.Length; ++i) {
        if (port.ReadByteTimeout(500) < 0) break;
        ++answer.Received;
    }
    const auto end = Clock::now();
    answer.Total = end - start;
    return answer;
}

TEST(SimWireRate, PacedAnswerTakesTheLineTimeAndLittleMore) {
    test::TSimProcess sim({"--wire-rate", "--model", "Dogwood"});
    TCommPort port;
    port.Open(sim.LinkPath());
    const TTimedAnswer a = AskProgramNumbers(port);
    ASSERT_EQ(a.Length, 240);
    ASSERT_EQ(a.Received, 241);
    // Two request bytes, the length, 240 data bytes and the checksum: 244 byte times.
    const auto line = 244 * kWireByteTime;
    EXPECT_GE(a.Total, line - 1ms);
    // Generous for a loaded machine, yet well below one read time-out: an answer that waited
    // for the serve loop's idle wake-ups instead of its own due times would miss it.
    EXPECT_LT(a.Total, line + 100ms);
}

TEST(SimWireRate, UnpacedAnswerIsFarFasterThanTheLine) {
    test::TSimProcess sim({"--model", "Dogwood"});
    TCommPort port;
    port.Open(sim.LinkPath());
    const TTimedAnswer a = AskProgramNumbers(port);
    ASSERT_EQ(a.Length, 240);
    ASSERT_EQ(a.Received, 241);
    EXPECT_LT(a.Total, 244 * kWireByteTime / 2);
}

// Group phone books are read with a purge right behind the request, as the station link has
// always done. An unpaced simulator must not answer so fast that the purge eats the answer.
// The program purges its input right after some requests; an answer that came back sooner than
// a byte time would be purged and the frame lost. Timed from the request's last byte, the
// fastest of many answers still takes about a byte time (0.573 ms); a busy machine can only
// make answers later, never earlier, so the bound holds under any load.
TEST(SimWireRate, UnpacedAnswerComesNoSoonerThanAByteTimeSoAPurgeCannotLoseIt) {
    test::TSimProcess sim({"--model", "Dogwood"});
    TCommPort port;
    port.Open(sim.LinkPath());
    auto fastest = std::chrono::steady_clock::duration::max();
    for (int i = 0; i < 100; ++i) {
        port.PurgeInput();
        port.WriteByte(0x58);
        const auto sent = std::chrono::steady_clock::now();
        port.WriteByte(static_cast<std::uint8_t>(i % 20));
        const int length = port.ReadByteTimeout(500);
        fastest = std::min(fastest, std::chrono::steady_clock::now() - sent);
        ASSERT_GE(length, 0) << "answer " << i << " never came";
        for (int k = 0; k <= length; ++k) ASSERT_GE(port.ReadByteTimeout(500), 0);
    }
    EXPECT_GE(fastest, std::chrono::microseconds(500));
}

}  // namespace
}  // namespace zarnik::sim
