// The frame engine and the read-all sequence against the simulated station on a real pty.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "flows/read_write_all.h"
#include "link/station_clock.h"
#include "support/sim_session.h"

namespace zarnik {
namespace {

using test::TSimSession;

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(LinkEndToEnd, ProbeAnsweredWithAnotherByteIsNoLink) {
    TSimSession s({"--probe-answer", "5"});
    ASSERT_TRUE(s.Session->Port.IsOpen());
    EXPECT_FALSE(s.Session->Frames.Probe());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.Session->CheckLink(), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
}

TEST(LinkEndToEnd, FramesKeyChecksumAndOversizedLength) {
    TSimSession s({"--model", "Cedar", "--key", "0x37"});
    TMainClass& session = *s.Session;
    ASSERT_EQ(session.CheckLink(), 1);
    ASSERT_TRUE(session.ReadIdentification(false));
    EXPECT_EQ(session.Key, 0x37);
    session.DecodeIdentification(true);
    EXPECT_EQ(session.Identity.ModelName, "Cedar");

    // A one-byte write is acknowledged and read back plain.
    const std::array<std::uint8_t, 5> data{0x81, 0x68, 0x10, 0xFF, 0xFF};
    TWriteOptions w;
    w.PurgeAfterLength = true;
    w.PurgeBeforeAck = true;
    ASSERT_EQ(session.Frames.WriteFrame(std::array<std::uint8_t, 1>{0x8A}, data, w), 1);
    std::array<std::uint8_t, 8> out{};
    ASSERT_EQ(session.Frames.ReadFrame(std::array<std::uint8_t, 1>{0x0A}, out), 5);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));

    // A length byte larger than the buffer fails every attempt and never writes past it.
    std::array<std::uint8_t, 8> guarded;
    guarded.fill(0xEE);
    const int attemptsBefore = session.Frames.Stats.ReadAttempts;
    EXPECT_EQ(session.Frames.ReadFrame(std::array<std::uint8_t, 1>{0x0A},
                                       std::span<std::uint8_t>(guarded.data(), 4)),
              -5);
    EXPECT_EQ(session.Frames.Stats.ReadAttempts - attemptsBefore, 5);
    EXPECT_EQ(guarded[4], 0xEE);
    EXPECT_EQ(guarded[7], 0xEE);
    // ... and the exchange is still in step afterwards.
    EXPECT_EQ(session.Frames.ReadFrame(std::array<std::uint8_t, 1>{0x0A}, out), 5);

    // An empty table: length 0 and checksum 0.
    ASSERT_EQ(session.Frames.WriteFrame(std::array<std::uint8_t, 1>{0x8A}, {}, w), 1);
    EXPECT_EQ(session.Frames.ReadFrame(std::array<std::uint8_t, 1>{0x0A}, out), 0);
}

TEST(LinkEndToEnd, RefusedAcknowledgementsAreRetriedUpToFiveTimes) {
    TSimSession s({"--refuse-acks", "4", "--key", "0"});
    TMainClass& session = *s.Session;
    ASSERT_TRUE(session.ReadIdentification(false));
    const std::array<std::uint8_t, 3> data{1, 2, 3};
    const std::array<std::uint8_t, 2> header{0xC0, 0x00};
    TWriteOptions w;
    w.PurgeBeforeAck = true;
    EXPECT_EQ(session.Frames.WriteFrame(header, data, w), 1);
    EXPECT_EQ(session.Frames.Stats.WriteAttempts, 5);
    std::array<std::uint8_t, 3> out{};
    EXPECT_EQ(session.Frames.ReadFrame(std::array<std::uint8_t, 2>{0x40, 0x00}, out), 3);
    EXPECT_EQ(out, data);  // a key of 0 leaves the bytes as they are
}

TEST(LinkEndToEnd, AllAcknowledgementsRefusedGivesMinusFive) {
    TSimSession s({"--refuse-acks", "5"});
    TMainClass& session = *s.Session;
    ASSERT_TRUE(session.ReadIdentification(false));
    const std::array<std::uint8_t, 1> data{7};
    EXPECT_EQ(session.Frames.WriteFrame(std::array<std::uint8_t, 2>{0xC0, 0x00}, data, {}), -5);
}

TEST(ReadAllEndToEnd, NoTableSelectedStillIdentifiesAndReadsStatus) {
    TSimSession s({"--model", "Cedar", "--serial", "4321"});
    s.Store->TransferFlags.fill(false);
    TCountingProgress progress;
    EXPECT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
    EXPECT_EQ(progress.Pos, 16);  // every table takes its step, chosen or not
    EXPECT_EQ(progress.Max, 16);
    EXPECT_TRUE(s.Session->Identified);
    EXPECT_EQ(s.Store->SerialText, "4321");
    EXPECT_EQ(s.Store->Model, "Cedar");
    EXPECT_GT(s.Store->CompositionCount, 0);
    EXPECT_FALSE(s.Store->Ports.empty());
    EXPECT_GT(s.Store->BufferCapacity, 0);
    EXPECT_NE(s.Session->ConferenceParams[0], 0);
}

TEST(ReadAllEndToEnd, SmallModelsAreNeverAskedForConferences) {
    test::TTempDir out;
    const std::string stats = out.Path + "/stats.txt";
    {
        TSimSession s({"--model", "Alder", "--stats", stats});
        TCountingProgress progress;
        EXPECT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
        EXPECT_EQ(s.Session->ConferenceParams, (std::array<std::uint8_t, 5>{}));
        EXPECT_EQ(s.Store->Model, "Alder");
    }
    const std::string text = ReadText(stats);
    EXPECT_NE(text.find("request.40.09"), std::string::npos) << text;
    EXPECT_EQ(text.find("request.40.12"), std::string::npos) << text;
    EXPECT_EQ(text.find("request.64"), std::string::npos) << text;
}

TEST(ReadAllEndToEnd, UnsupportedVersionRestoresThePreviousStation) {
    TSimSession s({"--model", "Cedar", "--serial", "1111", "--name", "Офис"});
    TCountingProgress progress;
    ASSERT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
    const TIdentity before = s.Session->Identity;
    const auto buffer = s.Session->IdBuffer;
    const std::string bufferText = s.Store->BufferText;

    test::TSimProcess old({"--model", "Cedar", "--version", "23,7", "--serial", "2222"});
    s.Connect(old.LinkPath());
    EXPECT_EQ(ReadAll(*s.Session, progress, *s.Store), -2);
    EXPECT_EQ(s.Session->Identity.SerialNumber, before.SerialNumber);
    EXPECT_EQ(s.Session->Identity.StationName, before.StationName);
    EXPECT_EQ(s.Session->IdBuffer, buffer);
    EXPECT_EQ(s.Store->SerialText, "1111");
    EXPECT_EQ(s.Store->BufferText, bufferText);
}

TEST(StationClockEndToEnd, SetAndReadBack) {
    TSimSession s({"--model", "Birch", "--time-unit", "6"});
    ASSERT_TRUE(SetStationClock(*s.Session, {2013, 7, 3, 12, 0, 5}));
    ASSERT_TRUE(s.Session->ReadIdentification(false));
    s.Session->DecodeIdentification(true);
    const TStationDateTime now = StationClockFromIdentification(*s.Session);
    EXPECT_GE(SecondsBetween({2013, 7, 3, 12, 0, 0}, now), 0);
    EXPECT_LE(SecondsBetween({2013, 7, 3, 12, 0, 0}, now), 12);
}

TEST(StationClockEndToEnd, SilentLineGivesUp) {
    TSimSession s({"--silent"});
    EXPECT_FALSE(SetStationClock(*s.Session, {2013, 7, 3, 12, 0, 0}));
}

}  // namespace
}  // namespace zarnik

#include "support/offline_session.h"

namespace zarnik {
namespace {

using TIdBlock = std::array<std::uint8_t, kIdBufferSize>;

// Key 0x21, six-second ticks, day 100 at tick 1000; the clock and the rest keyed as they travel.
TIdBlock IdBlock(std::uint16_t ticks, std::uint8_t serialLow = 0x34) {
    TIdBlock b{};
    const std::uint8_t key = 0x21;
    const std::array<std::uint8_t, 20> plain{100,
                                             0,
                                             static_cast<std::uint8_t>(ticks & 0xFF),
                                             static_cast<std::uint8_t>(ticks >> 8),
                                             1,
                                             6,
                                             0x48,
                                             2,
                                             8,
                                             16,
                                             0,
                                             0,
                                             0,
                                             6,
                                             serialLow,
                                             0x12,
                                             0,
                                             2,
                                             48,
                                             0};
    for (std::size_t i = 0; i < plain.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i == 11 ? key : plain[i] ^ key);
    return b;
}

// The block has no checksum: two answers are one only when all but the clock agree exactly and
// the clocks are a moment apart.
TEST(Identification, TwoAnswersAgreeOnlyByteForByteAndWithinAClockTick) {
    EXPECT_TRUE(IdentificationsAgree(IdBlock(1000), IdBlock(1000), 20));
    EXPECT_TRUE(IdentificationsAgree(IdBlock(1000), IdBlock(1001), 20));        // the next tick
    EXPECT_FALSE(IdentificationsAgree(IdBlock(1000), IdBlock(1003), 20));       // 18 s apart
    EXPECT_TRUE(IdentificationsAgree(IdBlock(1000), IdBlock(1003), 20, 17.5));  // as time went
    EXPECT_FALSE(IdentificationsAgree(IdBlock(1000), IdBlock(1000), 20, 17.5));
    EXPECT_FALSE(IdentificationsAgree(IdBlock(1000), IdBlock(1000, 0x35), 20));
    const TIdBlock whole = IdBlock(1000);
    TIdBlock shifted{};
    std::copy(whole.begin() + 1, whole.end(), shifted.begin());
    EXPECT_FALSE(IdentificationsAgree(IdBlock(1000), shifted, 20));
    EXPECT_FALSE(IdentificationsAgree(IdBlock(1000), IdBlock(1000), 8));  // no key came
}

// A device code that names no model says which code it was.
TEST(Identification, AnUnknownDeviceCodeIsNamedWithItsValue) {
    test::TOfflineSession s;
    s.Session.IdBuffer.fill(0);
    s.Session.IdBuffer[5] = 9;
    EXPECT_THROW(s.Session.DecodeIdentification(false), TExitProgram);
    ASSERT_EQ(s.Dialogs.Seen.size(), 1u);
    EXPECT_NE(s.Dialogs.Seen[0].Text.find("Ошибка чтения кода устройства: код 9 "),
              std::string::npos)
        << s.Dialogs.Seen[0].Text;
}

}  // namespace
}  // namespace zarnik
