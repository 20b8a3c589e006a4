#include "codecs/sta_button_codec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "codecs/codecs.h"
#include "codecs/door_phone_codec.h"
#include "codecs/quick_conference_codec.h"
#include "support/offline_session.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::TOfflineSession;

Bytes Valid(const TRawSlot& slot) {
    return {slot.Valid().begin(), slot.Valid().end()};
}

// ---------------------------------------------------------------- codes and blocks

TEST(StaButtonCodecDecode, CodesBecomeTheButtonTexts) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Identity.StaCount = 1;
    // 0x8F0A, 0xAA25, 0xAB07, 0xABA7, 0x0009, 0x0003, 0x01AA, 0x1512, 0x0000, 0x0712
    s.Session.Area(ETable::StaButtons).Slots[0].Assign(Bytes{0x0A, 0x8F, 0x25, 0xAA, 0x07,
                                                             0xAB, 0xA7, 0xAB, 0x09, 0x00,
                                                             0x03, 0x00, 0xAA, 0x01, 0x12,
                                                             0x15, 0x00, 0x00, 0x12, 0x07});
    EXPECT_EQ(DecodeStaButtonTable(s.Session, *s.Store), 1);
    const TSTAButtonTable& phone = s.Store->StaButtons[0];
    const std::vector<std::string> expected{"Conf0", "SL25", "SL207", "SL207", "9",
                                            "03",    "100",  "1512",  "",      "712"};
    for (std::size_t j = 0; j < expected.size(); ++j) EXPECT_EQ(phone.Buttons[j], expected[j]);
    EXPECT_EQ(phone.ButtonCount, 48);
    EXPECT_EQ(phone.LinkedSta, -1);

    // A two-character code must start with 1 or 5; the text is kept all the same.
    s.Session.Area(ETable::StaButtons).Slots[0].Assign(Bytes{0x25, 0x00});
    EXPECT_EQ(DecodeStaButtonTable(s.Session, *s.Store), 0);
    EXPECT_EQ(s.Store->StaButtons[0].Buttons[0], "25");
}

TEST(StaButtonCodecDecode, ButtonCountAndLinkFollowTheVersion) {
    TOfflineSession s("Cedar", "30,8");
    s.Session.Identity.StaCount = 1;
    Bytes block(121, 0);
    block[96] = 0x09;  // button 48: exists only from 30,8 on
    block[120] = 4;    // the fourth phone: port 214
    s.Session.Area(ETable::StaButtons).Slots[0].Assign(block);
    DecodeStaButtonTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->StaButtons[0].ButtonCount, 60);
    EXPECT_EQ(s.Store->StaButtons[0].Buttons[48], "9");
    EXPECT_EQ(s.Store->StaButtons[0].LinkedSta, 214);

    s.SetModel("Cedar", "30,7");  // 48 buttons: 121 bytes is no linked block any more
    DecodeStaButtonTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->StaButtons[0].ButtonCount, 48);
    EXPECT_EQ(s.Store->StaButtons[0].Buttons[48], "");
    EXPECT_EQ(s.Store->StaButtons[0].LinkedSta, -1);
}

TEST(StaButtonCodecEncode, TextsBecomeCodesAndTheLinkByte) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Identity.StaCount = 1;
    TSTAButtonTable& phone = s.Store->StaButtons[0];
    phone.ButtonCount = 48;
    phone.Buttons[0] = "Conf0";
    phone.Buttons[1] = "SL20";
    phone.Buttons[2] = "SL207";
    phone.Buttons[3] = "03";    // the station's 0x0003 comes back as 0x00A3
    phone.Buttons[4] = "SL25";  // shown for 0xAA25, but no text the encode knows
    phone.Buttons[5] = "1 00";  // spaces do not count
    phone.LinkedSta = 214;
    EXPECT_EQ(EncodeStaButtonTable(s.Session, *s.Store), 1);
    Bytes expected(97, 0);
    const Bytes head{0x0A, 0x8F, 0x2A, 0xAA, 0xA7, 0xAB, 0xA3, 0x00, 0x00, 0x00, 0xAA, 0x01};
    std::copy(head.begin(), head.end(), expected.begin());
    expected[96] = 4;
    EXPECT_EQ(Valid(s.Session.Area(ETable::StaButtons).Slots[0]), expected);
    EXPECT_TRUE(s.Session.Changed(ETable::StaButtons));

    // A letter where a digit belongs: that button goes out unprogrammed, nothing throws.
    phone.Buttons[0] = "0B";
    EXPECT_EQ(EncodeStaButtonTable(s.Session, *s.Store), 0);
    EXPECT_EQ(s.Session.Area(ETable::StaButtons).Slots[0].Bytes[0], 0x00);
}

TEST(StaButtonCodecEncode, OnlySystemPhonePositionsAreLinked) {
    TOfflineSession s;
    s.Session.Identity.StaCount = 1;
    for (const auto& [model, port, linkByte] :
         std::vector<std::tuple<std::string, int, int>>{{"Cedar", 205, -1},
                                                        {"Cedar", 209, -1},
                                                        {"Cedar", 228, 9},
                                                        {"Cedar", 199, -1},
                                                        {"Alder", 201, -1},
                                                        {"Alder", 218, -1},
                                                        {"Alder", 212, 6},
                                                        {"Birch", 200, 1}}) {
        s.SetModel(model, "24,8");
        s.Store->StaButtons[0].LinkedSta = port;
        const int result = EncodeStaButtonTable(s.Session, *s.Store);
        const TRawSlot& slot = s.Session.Area(ETable::StaButtons).Slots[0];
        if (linkByte < 0) {
            EXPECT_EQ(result, -1) << model << " " << port;
            EXPECT_EQ(slot.Length, 96) << model << " " << port;
            continue;
        }
        EXPECT_EQ(result, 1) << model << " " << port;
        ASSERT_EQ(slot.Length, 97) << model << " " << port;
        EXPECT_EQ(slot.Bytes[96], linkByte) << model << " " << port;
        // The link comes back as it went, with no board in the composition at all.
        DecodeStaButtonTable(s.Session, *s.Store);
        EXPECT_EQ(s.Store->StaButtons[0].LinkedSta, port);
    }
}

TEST(StaButtonCodecRoundTrip, StationBytesAndDemoRecordsSurvive) {
    TOfflineSession s("Birch", "30,8");
    s.Session.Identity.StaCount = 3;
    Bytes block{0x01, 0x8F, 0x2A, 0xAA, 0x15, 0xAB, 0x09, 0x00, 0xAA, 0x01, 0x12,
                0x0A, 0x12, 0x02, 0x12, 0x15, 0x55, 0x00, 0x1A, 0x07, 0x05, 0x07};
    block.resize(121, 0);
    block[120] = 7;
    s.Session.Area(ETable::StaButtons).Slots[1].Assign(block);
    DecodeStaButtonTable(s.Session, *s.Store);
    EXPECT_EQ(EncodeStaButtonTable(s.Session, *s.Store), 1);
    EXPECT_EQ(Valid(s.Session.Area(ETable::StaButtons).Slots[1]), block);

    const TTableCodec& codec = *StaButtonCodec();
    codec.FillDemo(s.Session, *s.Store);
    const auto demo = s.Store->StaButtons;
    EXPECT_EQ(codec.Encode(s.Session, *s.Store), 1);
    s.Store->StaButtons.fill(TSTAButtonTable{});
    codec.Decode(s.Session, *s.Store);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.Store->StaButtons[i].Buttons, demo[i].Buttons) << i;
        EXPECT_EQ(s.Store->StaButtons[i].LinkedSta, demo[i].LinkedSta) << i;
    }
    EXPECT_NE(s.Store->StaButtons[0].LinkedSta, -1);
}

TEST(StaButtonCodecFile, PacksBlocksAndClampsToTheStore) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Identity.StaCount = 2;
    const TTableCodec& codec = *StaButtonCodec();
    TRawArea& area = s.Session.Area(ETable::StaButtons);
    area.Slots[0].Assign(Bytes{0x09, 0x00});
    area.Slots[1].Assign(Bytes{0x0A, 0x8F, 0x03});
    const Bytes packed = codec.Pack(s.Session);
    EXPECT_EQ(packed, (Bytes{2, 0x09, 0x00, 3, 0x0A, 0x8F, 0x03}));
    area.Clear();
    // The second block is cut short: it loads empty.
    ASSERT_TRUE(codec.Unpack(s.Session, std::span(packed).first(5)));
    EXPECT_EQ(Valid(area.Slots[0]), (Bytes{0x09, 0x00}));
    EXPECT_EQ(area.Slots[1].Length, 0);

    // More phones than the store holds: every walk stops at its capacity.
    s.Session.Identity.StaCount = 200;
    codec.Blank(s.Session);
    EXPECT_EQ(area.Count, kMaxStaPhones);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->StaButtons[44].ButtonCount, 48);
    codec.Encode(s.Session, *s.Store);
    EXPECT_EQ(codec.Pack(s.Session).size(), kMaxStaPhones * 97);
}

// ---------------------------------------------------------------- on the wire
// The frame variations of the per-device tables (buttons, door phones, quick conferences) are
// checked here against one scripted station, byte for byte.

Bytes Keyed(Bytes plain, std::uint8_t key) {
    for (auto& b : plain) b ^= key;
    return plain;
}

std::uint8_t Sum(const Bytes& bytes) {
    unsigned sum = 0;
    for (auto b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum);
}

// A read answer or the body of a write: length, keyed data, checksum.
Bytes Frame(const Bytes& plain, std::uint8_t key, Bytes head = {}) {
    const Bytes keyed = Keyed(plain, key);
    head.push_back(static_cast<std::uint8_t>(plain.size()));
    head.insert(head.end(), keyed.begin(), keyed.end());
    head.push_back(Sum(keyed));
    return head;
}

// Plays the station on the master side of a pseudo-terminal. Link probes are always answered;
// every other request must come as scripted, in order, and gets the scripted answer.
class TScriptedStation {
  public:
    ~TScriptedStation() { Finish(); }
    TScriptedStation& Expect(Bytes request, Bytes answer) {
        Script.emplace_back(std::move(request), std::move(answer));
        return *this;
    }
    void Attach(TMainClass& session) {
        session.Frames.Sleep = [this](std::chrono::milliseconds ms) {
            Pauses.push_back(ms.count());
        };
        session.Port.Open(Pty.SlavePath);
        Runner = std::thread([this] { Run(); });
    }
    // Stops the station; returns what went wrong, "" when the script was played exactly.
    std::string Finish() {
        Done = true;
        if (Runner.joinable()) Runner.join();
        return Problem;
    }
    std::vector<long> Pauses;

  private:
    int NextByte(bool untilDone) {
        for (int waited = 0; waited < 2000 || untilDone; waited += 10) {
            const int b = Pty.ReadByte(10);
            if (b >= 0) return b;
            if (untilDone && Done) return -1;
        }
        return -1;
    }
    void Send(const Bytes& bytes) { Pty.Write(bytes); }
    void Run() {
        std::size_t next = 0;
        for (;;) {
            const int first = NextByte(true);
            if (first < 0) break;
            if (first == 0x00) {
                Send({0x00});
                continue;
            }
            Bytes got{static_cast<std::uint8_t>(first)};
            const Bytes* request = next < Script.size() ? &Script[next].first : nullptr;
            while (request != nullptr && got.size() < request->size()) {
                const int b = NextByte(false);
                if (b < 0) break;
                got.push_back(static_cast<std::uint8_t>(b));
            }
            if (request == nullptr || got != *request) {
                Problem = "request " + std::to_string(next) + " not as scripted";
                return;
            }
            Send(Script[next++].second);
        }
        if (next != Script.size()) Problem = std::to_string(Script.size() - next) + " not asked";
    }
    test::TPtyPair Pty;
    std::vector<std::pair<Bytes, Bytes>> Script;
    std::thread Runner;
    std::atomic<bool> Done = false;
    std::string Problem;
};

constexpr std::uint8_t kKey = 0x5A;
const Bytes kModeZero{0x84, 0x00, 0x00};

TEST(StaButtonCodecWire, ReadOpensWithTheModeAndWaitsForTheFourteenthPhone) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Key = kKey;
    s.Session.Identity.StaCount = 14;
    TScriptedStation station;
    station.Expect(kModeZero, {0x00});
    for (std::uint8_t i = 0; i < 14; ++i) {
        Bytes block(96, 0);
        block[0] = 0x10 + i;
        station.Expect({0x60, i}, Frame(block, kKey));
    }
    station.Attach(s.Session);
    EXPECT_EQ(ReadStaButtonTable(s.Session), 14);
    EXPECT_EQ(station.Finish(), "");
    EXPECT_EQ(std::count(station.Pauses.begin(), station.Pauses.end(), 10), 1);
    EXPECT_EQ(s.Session.Area(ETable::StaButtons).Slots[13].Bytes[0], 0x1D);
    EXPECT_EQ(s.Session.Area(ETable::StaButtons).Slots[13].Length, 96);
}

TEST(StaButtonCodecWire, ModeNotAcknowledgedStopsBeforeAnyBlock) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Identity.StaCount = 2;
    TScriptedStation station;
    for (int i = 0; i < 21; ++i) station.Expect(kModeZero, {0x01});
    station.Attach(s.Session);
    EXPECT_EQ(ReadStaButtonTable(s.Session), -4);
    EXPECT_EQ(station.Finish(), "");
}

TEST(StaButtonCodecWire, WriteSendsKeyedBlocksAfterTheMode) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Key = kKey;
    s.Session.Identity.StaCount = 2;
    TRawArea& area = s.Session.Area(ETable::StaButtons);
    area.Slots[0].Assign(Bytes{0x09, 0x00, 0x03});
    TScriptedStation station;
    station.Expect(kModeZero, {0x00})
        .Expect(Frame({0x09, 0x00, 0x03}, kKey, {0xE0, 0x00}), {0x00})
        .Expect(Frame({}, kKey, {0xE0, 0x01}), {0x00});
    station.Attach(s.Session);
    EXPECT_EQ(WriteStaButtonTable(s.Session), 1);
    EXPECT_EQ(station.Finish(), "");

    s.Session.Identity.StaCount = 0;  // nothing but the link check goes out
    TScriptedStation idle;
    s.Session.Port.Close();
    idle.Attach(s.Session);
    EXPECT_EQ(WriteStaButtonTable(s.Session), -2);
    EXPECT_EQ(idle.Finish(), "");
    ASSERT_FALSE(s.Dialogs.Seen.empty());
    EXPECT_EQ(s.Dialogs.Seen.back().Text, "Макс. кол-во СТА = 0 (1)");
}

TEST(DoorPhoneCodecWire, OversizedBlockIsRetriedAndAFailureClearsOnlyItsSlot) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Key = kKey;
    s.Session.Identity.DoorPhoneCount = 2;
    TScriptedStation station;
    station
        .Expect({0x54, 0x00}, Frame(Bytes(65, 0x77), kKey))  // one byte more than a slot
        .Expect({0x54, 0x00}, Frame({0x01, 0x02, 0x03, 0x0C}, kKey));
    Bytes bad = Frame({0x01}, kKey);
    bad.back() ^= 0xFF;
    for (int i = 0; i < 5; ++i) station.Expect({0x54, 0x01}, bad);
    station.Attach(s.Session);
    EXPECT_EQ(ReadDfTable(s.Session), -5);
    EXPECT_EQ(station.Finish(), "");
    const TRawArea& area = s.Session.Area(ETable::DoorPhones);
    EXPECT_EQ(Valid(area.Slots[0]), (Bytes{0x01, 0x02, 0x03, 0x0C}));
    EXPECT_EQ(area.Slots[1].Length, 0);
}

TEST(QuickConferenceCodecWire, CountTravelsInFrontAndOversizedMembersAreRetried) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Key = kKey;
    s.Session.ConferenceParams = {2, 0, 2, 0, 0};  // two conferences, two bytes per member
    Bytes oversized{201, 200 ^ kKey};
    oversized.resize(2 + 400, 0x11);  // 200 members x 2 cannot fit a slot
    oversized.push_back(0);
    const Bytes good = Keyed({0x02, 0x01, 0x00, 0x03, 0x00}, kKey);
    Bytes goodFrame{0x03};
    goodFrame.insert(goodFrame.end(), good.begin(), good.end());
    goodFrame.push_back(Sum(good));
    TScriptedStation station;
    station.Expect({0x64, 0x00}, oversized)
        .Expect({0x64, 0x00}, goodFrame)
        .Expect({0x64, 0x01}, {0x00, 0x00});
    station.Attach(s.Session);
    EXPECT_EQ(ReadConfTable(s.Session), 2);
    EXPECT_EQ(station.Finish(), "");
    const TRawArea& area = s.Session.Area(ETable::QuickConferences);
    EXPECT_EQ(area.Slots[0].Length, 3);
    EXPECT_EQ(Bytes(area.Slots[0].Bytes.begin(), area.Slots[0].Bytes.begin() + 6),
              (Bytes{0x02, 0x01, 0x00, 0x03, 0x00, 0x00}));
    EXPECT_EQ(area.Slots[1].Length, 0);
}

TEST(QuickConferenceCodecWire, ReadsTryFourTimesAndWritesWaitForAgreeingAnswers) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Key = kKey;
    s.Session.ConferenceParams = {2, 0, 1, 0, 0};
    TScriptedStation reads;
    for (int i = 0; i < 4; ++i) reads.Expect({0x64, 0x00}, {0x00, 0x01});  // bad checksum
    reads.Attach(s.Session);
    EXPECT_EQ(ReadConfTable(s.Session), -5);
    EXPECT_EQ(reads.Finish(), "");
    s.Session.Port.Close();

    s.Store->Conferences[0].MemberCount = 2;
    s.Store->Conferences[0].Members[0] = 200;
    s.Store->Conferences[0].Members[1] = 202;
    EncodeConfTable(s.Session, *s.Store);
    const Bytes body = Keyed({0x02, 0x01, 0x03}, kKey);  // member count, lines 1 and 3
    Bytes firstFrame{0xE4, 0x00, 0x03};                  // the length: member count + 1
    firstFrame.insert(firstFrame.end(), body.begin(), body.end());
    firstFrame.push_back(Sum(body));
    Bytes empty{0xE4, 0x01, 0x01, kKey, kKey};
    TScriptedStation writes;
    writes.Expect(firstFrame, {0x01, 0x05, 0x06})
        .Expect(firstFrame, {0x01, 0x07, 0x07})
        .Expect(empty, {0x00});
    writes.Attach(s.Session);
    EXPECT_EQ(WriteConfTable(s.Session), 0);
    EXPECT_EQ(writes.Finish(), "");
}

}  // namespace
}  // namespace zarnik
