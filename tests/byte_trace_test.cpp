// The byte trace of the station link: its format, what a real exchange leaves in it, its limit.

#include "link/byte_trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sim/sim_server.h"
#include "support/run_program.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every byte of a trace in order, with its direction: 'M' or 'S'. Fails the test on a line
// that is not "<seconds> M>|S< XX XX ...".
std::vector<std::pair<char, int>> TracedBytes(const std::string& text) {
    static const std::regex kLine(R"( *\d+\.\d{3} (M>|S<)( ~?[0-9A-F]{2})+)");
    std::vector<std::pair<char, int>> bytes;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(std::regex_match(line, kLine)) << "malformed trace line: " << line;
        std::istringstream words(line);
        std::string stamp, direction, hex;
        words >> stamp >> direction;
        while (words >> hex) {
            if (hex[0] == '~') continue;  // lost on the wire, never reached the other side
            bytes.emplace_back(direction[0], std::stoi(hex, nullptr, 16));
        }
    }
    return bytes;
}

TEST(TraceFormatTest, ProgramAndSimulatorWriteTheSameLines) {
    const Clock::time_point start{};
    std::ostringstream ours, theirs;
    {
        TTraceLineWriter a(ours, start);
        sim::TTraceWriter b(theirs, start);
        const struct {
            bool master;
            std::uint8_t byte;
            int ms;
            bool requestStart;
            bool lost;
        } calls[] = {{true, 0x00, 1, true, false},     {false, 0x00, 3, false, false},
                     {true, 0x0A, 1500, true, false},  {true, 0xFF, 1500, false, false},
                     {true, 0x0B, 1700, true, false},  {false, 0x03, 1702, false, false},
                     {false, 0xC4, 1703, false, true}, {false, 0x5e, 1704, false, false}};
        for (const auto& c : calls) {
            const auto at = start + std::chrono::milliseconds(c.ms);
            a.Byte(c.master, c.byte, at, c.requestStart, c.lost);
            b.Byte(c.master, c.byte, at, c.requestStart, c.lost);
        }
    }
    EXPECT_EQ(ours.str(), theirs.str());
    EXPECT_EQ(ours.str(),
              "   0.001 M> 00\n   0.003 S< 00\n   1.500 M> 0A FF\n   1.700 M> 0B\n"
              "   1.702 S< 03 ~C4 5E\n");
}

// zarnik-cli reads through the simulator; both ends keep a trace. What the program says it
// sent the station must be what the station says it received, byte for byte and in order,
// and the other way round.
TEST(ByteTraceTest, ReadThroughSimulatorTracesTheWholeExchangeInOrder) {
    if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
    test::TTempDir dir;
    const std::string simTrace = dir.Path + "/sim.trace";
    const std::string ourTrace = dir.Path + "/cli.trace";
    test::TSimProcess sim({"--model", "Dogwood", "--trace", simTrace});
    const test::TProgramRun run = test::RunProgram(
        {ZARNIK_CLI_PATH, "--dir", dir.Path, "--port", sim.LinkPath(), "--trace", ourTrace, "--yes",
         "read", "-o", dir.Path + "/x.ats", "--tables", "time,lines"});
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    sim.Stop();  // the simulator ends its trace on the way out

    const auto ours = TracedBytes(ReadText(ourTrace));
    const auto theirs = TracedBytes(ReadText(simTrace));
    ASSERT_GT(ours.size(), 100U);
    EXPECT_EQ(ours, theirs);
    // The exchange starts with the program's probe and its answer.
    EXPECT_EQ(ours.front(), std::make_pair('M', 0x00));
    EXPECT_EQ(ours[1], std::make_pair('S', 0x00));
}

TEST(ByteTraceTest, AFileThatCannotBeCreatedIsReportedAndTheCliStops) {
    test::TTempDir dir;
    const std::string path = dir.Path + "/no/such/folder/x.trace";
    const TByteTrace trace(path);
    EXPECT_FALSE(trace.Good());
    if (!std::filesystem::exists(ZARNIK_CLI_PATH)) return;
    const test::TProgramRun run = test::RunProgram({ZARNIK_CLI_PATH, "--dir", dir.Path, "--port",
                                                    dir.Path + "/COM9", "--trace", path, "info"});
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_NE(run.Output.find(path), std::string::npos) << run.Output;
}

class ByteTraceLimitTest : public ::testing::Test {
  protected:
    test::TTempDir Dir;
    std::string Path = Dir.Path + "/x.trace";
    static constexpr std::uintmax_t kLimit = 8192;

    // One request and its answer, as a station link carries them.
    static void Exchange(TByteTrace& trace, int n) {
        trace.Sent(0x0B);
        trace.Sent(static_cast<std::uint8_t>(n));
        std::vector<std::uint8_t> answer(40);
        for (std::size_t i = 0; i < answer.size(); ++i)
            answer[i] = static_cast<std::uint8_t>(n + static_cast<int>(i));
        trace.Received(answer);
    }
};

TEST_F(ByteTraceLimitTest, TheFileNeverPassesTheLimitAndKeepsTheNewestWholeLines) {
    TByteTrace trace(Path, kLimit);
    for (int n = 0; n < 2000; ++n) {
        Exchange(trace, n);
        if (n % 97 == 0) {
            trace.Flush();
            ASSERT_LE(std::filesystem::file_size(Path), kLimit) << "after exchange " << n;
        }
    }
    trace.Flush();
    const std::string text = ReadText(Path);
    EXPECT_LE(text.size(), kLimit);
    EXPECT_GE(text.size(), kLimit / 2 - 200);  // about half was kept, not everything dropped
    const auto bytes = TracedBytes(text);      // whole lines only, the first one included
    ASSERT_GE(bytes.size(), 42U);
    // The newest exchange is the last thing in the file.
    std::vector<std::pair<char, int>> last{{'M', 0x0B}, {'M', 1999 & 0xFF}};
    for (int i = 0; i < 40; ++i) last.emplace_back('S', (1999 + i) & 0xFF);
    EXPECT_TRUE(std::equal(last.rbegin(), last.rend(), bytes.rbegin()));
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(ByteTraceLimitTest, ALineLongerThanHalfTheLimitIsDroppedWholeNotCutInHalf) {
    TByteTrace trace(Path, kLimit);
    trace.Sent(0x01);
    // A station that never stops talking: one endless line, far past the limit.
    std::vector<std::uint8_t> noise(1000, 0x55);
    for (int i = 0; i < 20; ++i) trace.Received(noise);
    trace.Sent(0x02);
    trace.Flush();
    const std::string text = ReadText(Path);
    EXPECT_LE(text.size(), kLimit);
    const auto bytes = TracedBytes(text);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), std::make_pair('M', 0x02));
}

}  // namespace
}  // namespace zarnik
