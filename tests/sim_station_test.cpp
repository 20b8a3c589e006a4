#include "sim/sim_station.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "sim/builtin_stations.h"
#include "sim/sim_server.h"
#include "support/sim_feed.h"
#include "support/sim_process.h"

namespace zarnik::sim {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kKey = 0x5A;

std::uint8_t K(std::uint8_t b) {
    return b ^ kKey;
}

// A small station with a fixed host clock, so every answer is reproducible.
class SimStationFrames : public ::testing::Test {
  protected:
    void SetUp() override {
        Station.Identity.Key = kKey;
        Station.Identity.Serial = 0x1234;
        Station.Identity.Name = "AB";
        Station.Identity.TrunkLines = 10;
        Station.Identity.SubscriberLines = 30;
        Station.Identity.DoorPhones = 5;
        Station.Identity.RoutingTables = 48;
        Station.Identity.LoudspeakerChannels = 4;
        Station.Identity.StaCount = 7;
        Station.HostClock = [this] { return HostNow; };
        Station.ConferenceParameters = {10, 0, 1, 0, 0};
    }

    TBytes Send(const TBytes& request) { return test::FeedBytes(Station, Now, request); }

    // code, [index], length, keyed data, checksum of the keyed data.
    static TBytes WriteFrame(TBytes head, const TBytes& plain, int checksumDelta = 0) {
        head.push_back(static_cast<std::uint8_t>(plain.size()));
        unsigned sum = 0;
        for (const std::uint8_t b : plain) {
            head.push_back(K(b));
            sum += K(b);
        }
        head.push_back(static_cast<std::uint8_t>(sum + checksumDelta));
        return head;
    }

    TSimStation Station;
    std::int64_t HostNow = 12237LL * 86400 + 43200;  // 2013-07-03 12:00:00
    TSimTime Now{};
};

TEST_F(SimStationFrames, ProbeAnswersZeroUnlessAFaultSaysOtherwise) {
    EXPECT_EQ(Send({0x00}), TBytes{0x00});
    Station.Faults.ProbeAnswer = 0x55;
    EXPECT_EQ(Send({0x00}), TBytes{0x55});
    Station.Faults.Silent = true;
    EXPECT_TRUE(Send({0x00}).empty());
    EXPECT_TRUE(Send({0x01}).empty());
    EXPECT_EQ(Station.Stats().Requests.at(0x00), 3);
}

TEST_F(SimStationFrames, IdentificationBlockIsKeyedExceptByteEleven) {
    const TBytes answer = Send({0x01});
    ASSERT_GE(answer.size(), 2u);
    ASSERT_EQ(answer[0], answer.size() - 1);
    TBytes block(answer.begin() + 1, answer.end());
    EXPECT_EQ(block[11], kKey);
    for (std::size_t i = 0; i < block.size(); ++i)
        if (i != 11) block[i] ^= kKey;

    EXPECT_EQ(block[0] | block[1] << 8, 12237);  // day
    EXPECT_EQ(block[2] | block[3] << 8, 7200);   // ticks of 6 s since midnight
    EXPECT_EQ(block[5], 4);
    EXPECT_EQ(block[6], 0x48);
    EXPECT_EQ(block[7], 2);
    EXPECT_EQ(block[8], 10);
    EXPECT_EQ(block[9], 30);
    EXPECT_EQ(block[13], 6);
    EXPECT_EQ(block[14], 0x34);
    EXPECT_EQ(block[15], 0x12);
    EXPECT_EQ(block[16], 'A');
    EXPECT_EQ(block[17], 'B');
    EXPECT_EQ(block[18], 0);
    EXPECT_EQ((TBytes{block.begin() + 19, block.begin() + 23}), (TBytes{5, 48, 4, 7}));
    // The decoder moves 20 bytes from behind the name's zero.
    EXPECT_GE(block.size(), 16u + 2 + 1 + 20);
}

TEST_F(SimStationFrames, LongNameStillLeavesRoomForTheCounts) {
    Station.Identity.Name = std::string(100, 'x');
    const TBytes answer = Send({0x01});
    ASSERT_EQ(answer[0], answer.size() - 1);
    ASSERT_LT(answer[0], 0xFF);  // 0xFF would read as a failed identification
    const std::size_t zeroAt = 16 + TSimStation::kMaxNameBytes;
    EXPECT_EQ(K(answer[1 + zeroAt]), 0);
    EXPECT_EQ(K(answer[1 + zeroAt + 4]), 7);
    EXPECT_GE(answer.size() - 1, zeroAt + 1 + 20);
}

TEST_F(SimStationFrames, ReadAnswersLengthKeyedDataAndLowByteOfTheSum) {
    Station.SetImage({0x0A, -1}, {0x00, 0xFF, 0x80, 0x7F});
    const TBytes expected{
        4,       K(0x00), K(0xFF),
        K(0x80), K(0x7F), static_cast<std::uint8_t>(K(0x00) + K(0xFF) + K(0x80) + K(0x7F))};
    EXPECT_EQ(Send({0x0A}), expected);
    Station.SetImage({0x40, 0x13}, {});
    EXPECT_EQ(Send({0x40, 0x13}), (TBytes{0, 0}));  // a valid empty table
}

TEST_F(SimStationFrames, MissingImagesAndUnknownCodesAreSilentAndLeaveTheParserIdle) {
    EXPECT_TRUE(Send({0x4C, 0x07}).empty());
    EXPECT_TRUE(Send({0x40, 0x77}).empty());
    EXPECT_TRUE(Send({0x33}).empty());
    EXPECT_TRUE(Station.Idle());
    EXPECT_EQ(Send({0x00}), TBytes{0x00});
    EXPECT_EQ(Station.Stats().UnknownRequests, 1);
}

TEST_F(SimStationFrames, GoodWriteIsStoredPlainAndAcknowledged) {
    EXPECT_EQ(Send(WriteFrame({0xCC, 0x05}, {1, 2, 0xF0})), TBytes{0x00});
    ASSERT_NE(Station.Image({0x4C, 5}), nullptr);
    EXPECT_EQ(*Station.Image({0x4C, 5}), (TBytes{1, 2, 0xF0}));
    EXPECT_EQ(Send({0x4C, 0x05}), WriteFrame({}, {1, 2, 0xF0}));  // and reads back the same

    EXPECT_EQ(Send(WriteFrame({0xC0, 0x01}, {9})), TBytes{0x00});
    EXPECT_EQ(*Station.Image({0x40, 0x01}), TBytes{9});
    EXPECT_EQ(Send(WriteFrame({0x8A}, {7, 7})), TBytes{0x00});
    EXPECT_EQ(*Station.Image({0x0A, -1}), (TBytes{7, 7}));
    EXPECT_EQ(Station.Stats().WritesAccepted, 3);
}

TEST_F(SimStationFrames, BadChecksumWriteIsRefusedAndKeepsTheOldImage) {
    Station.SetImage({0x50, 2}, {4, 4});
    const TBytes answer = Send(WriteFrame({0xD0, 0x02}, {1, 2, 3}, 1));
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_NE(answer[0], 0x00);
    EXPECT_EQ(*Station.Image({0x50, 2}), (TBytes{4, 4}));
    EXPECT_EQ(Station.Stats().WritesRejected, 1);
}

TEST_F(SimStationFrames, StatusBlocksCannotBeWritten) {
    Station.HardwareList = {1, 2};
    EXPECT_EQ(Send(WriteFrame({0xC0, 0x09}, {3, 3})), TBytes{0xFF});
    EXPECT_EQ(Station.HardwareList, (TBytes{1, 2}));
    EXPECT_EQ(Station.Image({0x40, 0x09}), nullptr);
}

TEST_F(SimStationFrames, QuickConferenceReadPutsTheCountInFront) {
    Station.SetImage({0x64, 0}, {2, 1, 3});
    Station.SetImage({0x64, 1}, {});
    Station.SetImage({0x64, 2}, {0});
    const std::uint8_t sum = K(2) + K(1) + K(3);
    EXPECT_EQ(Send({0x64, 0}), (TBytes{3, K(2), K(1), K(3), sum}));
    EXPECT_EQ(Send({0x64, 1}), (TBytes{0, 0}));
    EXPECT_EQ(Send({0x64, 2}), (TBytes{1, K(0), K(0)}));

    // The member bytes are count x size factor, whatever the length byte says.
    Station.ConferenceParameters[2] = 2;
    Station.SetImage({0x64, 3}, {1, 9, 8});
    EXPECT_EQ(Send({0x64, 3}),
              (TBytes{2, K(1), K(9), K(8), static_cast<std::uint8_t>(K(1) + K(9) + K(8))}));
}

TEST_F(SimStationFrames, QuickConferenceWriteParsesByMemberCount) {
    const std::uint8_t sum = K(2) + K(1) + K(3);
    EXPECT_EQ(Send({0xE4, 4, 3, K(2), K(1), K(3), sum}), TBytes{0x00});
    EXPECT_EQ(*Station.Image({0x64, 4}), (TBytes{2, 1, 3}));

    // A misleading length byte does not move the frame end.
    EXPECT_EQ(Send({0xE4, 5, 9, K(1), K(4), static_cast<std::uint8_t>(K(1) + K(4))}), TBytes{0});
    EXPECT_EQ(*Station.Image({0x64, 5}), (TBytes{1, 4}));

    EXPECT_EQ(Send({0xE4, 6, 0, 0}), TBytes{0x00});
    EXPECT_TRUE(Station.Image({0x64, 6})->empty());

    const TBytes refused = Send({0xE4, 7, 3, K(2), K(1), K(3), static_cast<std::uint8_t>(sum + 1)});
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0], 1);
    EXPECT_NE(refused[1], refused[2]);
    EXPECT_EQ(Station.Image({0x64, 7}), nullptr);
    EXPECT_TRUE(Station.Idle());
}

TEST_F(SimStationFrames, ClockCommandSetsTheClockThatThenRunsOn) {
    // 1980-01-02 01:00:00 = day 1, 600 ticks of 6 s.
    const TBytes clock{K(0x01), K(0x00), K(0x58), K(0x02)};
    const auto sum = static_cast<std::uint8_t>(clock[0] + clock[1] + clock[2] + clock[3]);
    EXPECT_EQ(Send({0x85, 0x04, clock[0], clock[1], clock[2], clock[3], sum}), TBytes{0x00});
    EXPECT_EQ(Station.ClockBytes(), (std::array<std::uint8_t, 4>{1, 0, 0x58, 0x02}));
    HostNow += 60;
    EXPECT_EQ(Station.ClockBytes(), (std::array<std::uint8_t, 4>{1, 0, 0x62, 0x02}));
    const TBytes ident = Send({0x01});
    EXPECT_EQ(K(ident[3]) | K(ident[4]) << 8, 610);

    const auto before = Station.ClockOffset;
    EXPECT_EQ(Send({0x85, 0x04, clock[0], clock[1], clock[2], clock[3],
                    static_cast<std::uint8_t>(sum + 1)}),
              TBytes{0xFF});
    EXPECT_EQ(Station.ClockOffset, before);
}

TEST_F(SimStationFrames, HardwareQueryAnswersTheNumberedRecord) {
    Station.HardwareRecords = {TBytes(13, 0x11), TBytes(13, 0x22)};
    EXPECT_EQ(Send({0xC0, 0x0A, 0x01, K(1), K(1)}), WriteFrame({}, TBytes(13, 0x22)));
    EXPECT_TRUE(Send({0xC0, 0x0A, 0x01, K(2), K(2)}).empty());  // no such record
    EXPECT_TRUE(Send({0xC0, 0x0A, 0x01, K(0), K(1)}).empty());  // garbled query
    EXPECT_EQ(Send({0xC0, 0x0A, 0x01, K(0), K(0)}), WriteFrame({}, TBytes(13, 0x11)));
}

TEST_F(SimStationFrames, RefusedAcksDoNotStoreAndRunOut) {
    Station.Faults.RefuseAcks = 2;
    EXPECT_EQ(Send(WriteFrame({0xD4, 0}, {1})), TBytes{0xFF});
    EXPECT_EQ(Send({0xE4, 0, 1, K(0), K(0)}), (TBytes{1, 0x00, 0xFF}));
    EXPECT_EQ(Station.Image({0x54, 0}), nullptr);
    EXPECT_EQ(Station.Image({0x64, 0}), nullptr);
    EXPECT_EQ(Send(WriteFrame({0xD4, 0}, {1})), TBytes{0x00});
    EXPECT_EQ(*Station.Image({0x54, 0}), TBytes{1});
    EXPECT_EQ(Station.Stats().AcksRefused, 2);
    EXPECT_EQ(Station.Stats().WritesAccepted, 1);
}

TEST_F(SimStationFrames, ModeCommandChecksItsClearChecksum) {
    EXPECT_FALSE(Station.Mode().has_value());
    EXPECT_EQ(Send({0x84, 0x00, 0x00}), TBytes{0x00});
    EXPECT_EQ(Station.Mode(), 0);
    EXPECT_EQ(Send({0x84, 0x01, K(3), 0x03}), TBytes{0x00});
    EXPECT_EQ(Station.Mode(), 3);
    EXPECT_EQ(Send({0x84, 0x01, K(4), K(4)}), TBytes{0xFF});
    EXPECT_EQ(Station.Mode(), 3);
}

TEST_F(SimStationFrames, SystemPhoneButtonsWorkWithoutAModeCommand) {
    Station.SetImage({0x60, 0}, {0x25, 0xAA});
    EXPECT_EQ(Send({0x60, 0}), WriteFrame({}, {0x25, 0xAA}));
}

TEST_F(SimStationFrames, StalledRequestIsAbandonedAfterASecond) {
    Send({0xCC, 0x01, 0x05, K(1)});
    Now += 1500ms;
    EXPECT_EQ(Send({0x00}), TBytes{0x00});  // a fresh probe, not a data byte of the write
    EXPECT_EQ(Station.Image({0x4C, 1}), nullptr);
    EXPECT_EQ(Station.Stats().RequestsAbandoned, 1);

    // Slow but steady bytes are not abandoned.
    TBytes out;
    for (const std::uint8_t b : WriteFrame({0xCC, 0x02}, {6})) {
        Now += 900ms;
        const TSimAnswer a = Station.Feed(b, Now);
        out.insert(out.end(), a.Bytes.begin(), a.Bytes.end());
    }
    EXPECT_EQ(out, TBytes{0x00});
}

TEST_F(SimStationFrames, CorruptedChecksumsAreCountedAndNeverMatch) {
    Station.SetImage({0x09, -1}, {1, 2});
    Station.Faults.CorruptChecksum = 1.0;
    const TBytes answer = Send({0x09});
    ASSERT_EQ(answer.size(), 4u);
    EXPECT_NE(answer[3], static_cast<std::uint8_t>(answer[1] + answer[2]));
    EXPECT_EQ(Station.Stats().ChecksumsCorrupted, 1);
}

TEST_F(SimStationFrames, OversizedImageIsRefused) {
    EXPECT_THROW(Station.SetImage({0x0A, -1}, TBytes(256, 0)), std::invalid_argument);
    Station.Images[{0x0A, -1}] = TBytes(300, 0);  // put in behind SetImage's back
    EXPECT_TRUE(Send({0x0A}).empty());
}

TEST_F(SimStationFrames, RequestsAreCountedPerCodeAndSubCode) {
    Send({0x00});
    Send({0x00});
    Send({0x40, 0x03});
    Send({0x4C, 0x00});
    EXPECT_EQ(Station.Stats().Requests.at(0x00), 2);
    EXPECT_EQ(Station.Stats().Requests.at(0x4003), 1);
    EXPECT_EQ(Station.Stats().Requests.at(0x4C), 1);
    EXPECT_EQ(Station.Stats().BytesIn, 6u);
}

TEST(SimStationBuiltin, EveryModelAgreesWithItsComposition) {
    for (const std::string model : {"Alder", "Birch", "Cedar", "Dogwood"}) {
        SCOPED_TRACE(model);
        const TSimStation s = MakeBareBuiltinStation(model, false);
        EXPECT_EQ(s.Identity.DeviceCode, DeviceCodeOf(model));
        const TPortCounts ports = CountPorts(s.Identity.DeviceCode, s.HardwareList);
        EXPECT_GT(ports.Subscriber, 0);
        EXPECT_EQ(s.Identity.TrunkLines, ports.Trunk);
        EXPECT_EQ(s.Identity.SubscriberLines, ports.Subscriber);
        EXPECT_EQ(s.Identity.StaCount, ports.Sta);
        EXPECT_EQ(s.Identity.DoorPhones, ports.Door);
        ASSERT_EQ(s.HardwareRecords.size(), s.HardwareList.size());
        // A fitted board's reply is the 7-byte format with a 16-bit serial number.
        for (std::size_t slot = 0; slot < s.HardwareList.size(); ++slot) {
            const TBytes& record = s.HardwareRecords[slot];
            ASSERT_FALSE(record.empty());
            EXPECT_EQ(record[0], s.HardwareList[slot]);
            EXPECT_EQ(record.size(), s.HardwareList[slot] == 0xFF ? 1u : 7u);
        }
        EXPECT_EQ(s.TimeDefaults.size(), 52u);  // version 24,8
        EXPECT_EQ(s.ConferenceParameters.empty(), model == "Alder" || model == "Birch");
    }
}

TEST(SimStationBuiltin, CedarSecondUnitFillsSlotsAboveFiveButNeverSixSevenFourteen) {
    const TSimStation one = MakeBareBuiltinStation("Cedar", false);
    const TSimStation two = MakeBareBuiltinStation("Cedar", true);
    ASSERT_EQ(one.HardwareList.size(), 17u);
    ASSERT_EQ(two.HardwareList.size(), 17u);
    for (std::size_t slot = 6; slot < 17; ++slot) EXPECT_EQ(one.HardwareList[slot], 0xFF);
    for (const std::size_t slot : {6u, 7u, 14u}) EXPECT_EQ(two.HardwareList[slot], 0xFF);
    EXPECT_NE(two.HardwareList[8], 0xFF);
    EXPECT_GT(two.Identity.SubscriberLines, one.Identity.SubscriberLines);
}

TEST(SimStationBuiltin, TimeDefaultsFollowTheVersion) {
    TSimStation alder = MakeBareBuiltinStation("Alder", false);
    alder.Identity.VersionMinorByte = 0x43;  // 24,3: no T34 without conferences, no T35
    FitTimeDefaultsToVersion(alder);
    EXPECT_EQ(alder.TimeDefaults.size(), 48u);
    TSimStation cedar = MakeBareBuiltinStation("Cedar", false);
    cedar.Identity.VersionMinorByte = 0x43;
    FitTimeDefaultsToVersion(cedar);
    EXPECT_EQ(cedar.TimeDefaults.size(), 50u);
    EXPECT_THROW(MakeBareBuiltinStation("Oak", false), std::invalid_argument);
}

TEST(SimStationBuiltin, VersionTextAndDayNumbers) {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    ASSERT_TRUE(ParseVersionText("24,8", major, minor));
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 0x48);
    ASSERT_TRUE(ParseVersionText("220,9", major, minor));
    EXPECT_EQ(major, 22);
    EXPECT_EQ(minor, 0x09);
    EXPECT_FALSE(ParseVersionText("2,4", major, minor));
    EXPECT_FALSE(ParseVersionText("24,", major, minor));
    EXPECT_FALSE(ParseVersionText("24,x", major, minor));
    EXPECT_FALSE(ParseVersionText("248", major, minor));

    EXPECT_EQ(StationDayNumber(1980, 1, 1), 0);
    EXPECT_EQ(StationDayNumber(1980, 3, 1), 60);
    EXPECT_EQ(StationDayNumber(1981, 1, 1), 366);
    EXPECT_EQ(StationDayNumber(2013, 7, 3), 12237);
}

TEST(SimStationServer, WireScheduleSpacesABurstWithoutDrift) {
    TWireSchedule paced(true);
    const TSimTime t0{};
    EXPECT_EQ(paced.Next(t0), t0 + kWireByteTime);
    EXPECT_EQ(paced.Next(t0), t0 + 2 * kWireByteTime);
    EXPECT_EQ(paced.Next(t0 + 1ms), t0 + 2 * kWireByteTime + kWireByteTime);
    EXPECT_EQ(paced.Next(t0 + 10ms), t0 + 10ms + kWireByteTime);  // a pause is not made up
    TWireSchedule unpaced(false);
    EXPECT_EQ(unpaced.Next(t0 + 5ms), t0 + 5ms);
    const double byteMs = std::chrono::duration<double, std::milli>(kWireByteTime).count();
    EXPECT_NEAR(byteMs, 0.573, 0.001);
}

TEST(SimStationServer, TraceStartsALinePerRequestAndPerDirection) {
    std::ostringstream out;
    const TSimTime t0{};
    {
        TTraceWriter trace(out, t0);
        trace.Byte(true, 0x4C, t0 + 12345ms, true);
        trace.Byte(true, 0x03, t0 + 12346ms, false);
        trace.Byte(false, 0x05, t0 + 12900ms, false);
        trace.Byte(false, 0xAB, t0 + 12901ms, false, true);
        trace.Byte(true, 0x00, t0 + 13000ms, true);
        trace.Byte(true, 0x00, t0 + 13001ms, true);
    }
    EXPECT_EQ(out.str(),
              "  12.345 M> 4C 03\n"
              "  12.900 S< 05 ~AB\n"
              "  13.000 M> 00\n"
              "  13.001 M> 00\n");
}

TEST(SimStationServer, StatsNameSubTablesByCodeAndSubCode) {
    TSimStats stats;
    stats.Requests[0x4009] = 1;
    stats.Requests[0x01] = 3;
    stats.AcksRefused = 2;
    TLineStats line;
    line.BytesDropped = 4;
    const std::string text = FormatStats(stats, line);
    EXPECT_NE(text.find("request.01 3\n"), std::string::npos);
    EXPECT_NE(text.find("request.40.09 1\n"), std::string::npos);
    EXPECT_NE(text.find("acks_refused 2\n"), std::string::npos);
    EXPECT_NE(text.find("bytes_dropped 4\n"), std::string::npos);
}

// Opens the link as the program's serial port would and asks one question.
int ProbeOverLink(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -2;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    const std::uint8_t probe = 0x00;
    int answer = -1;
    if (write(fd, &probe, 1) == 1) {
        pollfd p{fd, POLLIN, 0};
        std::uint8_t b = 0;
        if (poll(&p, 1, 300) == 1 && read(fd, &b, 1) == 1) answer = b;
    }
    close(fd);
    return answer;
}

TEST(SimStationProcess, RealBinaryAnswersTheProbeOverThePtyLink) {
    test::TSimProcess sim({"--wire-rate", "--model", "Alder"});
    EXPECT_TRUE(std::filesystem::is_symlink(sim.LinkPath()));
    EXPECT_EQ(ProbeOverLink(sim.LinkPath()), 0x00);
    EXPECT_EQ(ProbeOverLink(sim.LinkPath()), 0x00);  // a second open after the first closed
    EXPECT_EQ(sim.ExitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath())));
}

TEST(SimStationProcess, FaultOptionsReachTheWire) {
    test::TSimProcess wrong({"--probe-answer", "0x55"});
    EXPECT_EQ(ProbeOverLink(wrong.LinkPath()), 0x55);
}

}  // namespace
}  // namespace zarnik::sim
