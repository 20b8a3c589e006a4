#include "codecs/door_phone_codec.h"

#include <gtest/gtest.h>

#include "codecs/codecs.h"
#include "platform/text_1251.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Valid(const TRawSlot& slot) {
    return {slot.Valid().begin(), slot.Valid().end()};
}

// A Cedar with a trunk board and a board of subscriber lines (ports 210 to 219).
struct TDoorStation : test::TOfflineSession {
    TDoorStation() {
        Store->Composition[0].BoardType = "Kama";
        Store->Composition[1].BoardType = "Neva";
        Store->CompositionCount = 2;
        BuildPorts(*Store);
        Session.Identity.DoorPhoneCount = 2;
        Session.Identity.RoutingTableCount = 4;
        TRawArea& area = Session.Area(ETable::DoorPhones);
        area.Slots[0].Assign(kFirst);
        area.Slots[1].Assign(kSecond);
        area.Count = 2;
    }
    // Every switch byte bit above the three switches is the station's own.
    const Bytes kFirst{0xF9, 3, 0, 12, 0x1A, 0x50};
    const Bytes kSecond{0x06, 0, 2, 0};
};

TEST(DoorPhoneCodecDecode, BlocksBecomeRecordsAndMarkTheirPorts) {
    TDoorStation s;
    s.Store->DoorPhones[5].OpenCode = "99";  // beyond the count: reset all the same
    EXPECT_EQ(DecodeDfTable(s.Session, *s.Store), 1);
    EXPECT_EQ(s.Store->DoorPhoneCount, 2);
    EXPECT_EQ(s.Store->DoorPhones[0], (TDf{true, false, false, "3", "", "211", "105"}));
    EXPECT_EQ(s.Store->DoorPhones[1], (TDf{false, true, true, "", "2", "", ""}));
    EXPECT_EQ(s.Store->DoorPhones[5], TDf{});
    int retyped = 0;
    for (const TPortPtr& p : s.Store->Ports) {
        if (p->Type != kPortTypeAttachedDoorPhone) continue;
        ++retyped;
        EXPECT_EQ(p->Number, 211);
        EXPECT_EQ(p->Kind, Utf8ToCp1251("Дф"));
    }
    EXPECT_EQ(retyped, 1);  // the door phone without a port marks nothing
}

TEST(DoorPhoneCodecEncode, RecordsBecomeBlocksKeepingTheStationsBits) {
    TDoorStation s;
    DecodeDfTable(s.Session, *s.Store);
    TRawArea& area = s.Session.Area(ETable::DoorPhones);
    area.Slots[0].Bytes[10] = 0xEE;  // past the block: not part of it
    EXPECT_EQ(EncodeDfTable(s.Session, *s.Store), 1);
    EXPECT_EQ(Valid(area.Slots[0]), s.kFirst);
    EXPECT_EQ(Valid(area.Slots[1]), s.kSecond);
    EXPECT_TRUE(s.Session.Changed(ETable::DoorPhones));

    s.SetModel("Alder", "24,8");  // eight ports a board: port 210 is line 9
    s.Store->DoorPhones[1] = TDf{false, false, true, "1", "", "210", "0"};
    EncodeDfTable(s.Session, *s.Store);
    EXPECT_EQ(Valid(area.Slots[1]), (Bytes{0x04, 1, 0, 9, 0xA0}));
    DecodeDfTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->DoorPhones[1].LinkPort, "210");
    EXPECT_EQ(s.Store->DoorPhones[1].OpenCode, "0");
}

TEST(DoorPhoneCodecEncode, ValuesABlockCannotHoldLeaveItAsItWas) {
    TDoorStation s;
    DecodeDfTable(s.Session, *s.Store);
    const TDf good = s.Store->DoorPhones[0];
    for (const TDf& bad :
         {TDf{true, true, true, "300", "", "", ""}, TDf{true, true, true, "", "x", "", ""},
          TDf{true, true, true, "", "", "460", ""},  // line 261
          TDf{true, true, true, "", "", "", std::string(121, '5')}}) {
        s.Store->DoorPhones[0] = bad;
        EXPECT_EQ(EncodeDfTable(s.Session, *s.Store), -1);
        EXPECT_EQ(Valid(s.Session.Area(ETable::DoorPhones).Slots[0]), s.kFirst);
    }
    s.Store->DoorPhones[0] = good;
    s.Store->DoorPhones[0].OpenCode = std::string(120, '5');  // exactly fills the block
    EXPECT_EQ(EncodeDfTable(s.Session, *s.Store), 1);
    EXPECT_EQ(s.Session.Area(ETable::DoorPhones).Slots[0].Length, 64);
}

TEST(DoorPhoneCodecFile, PacksCountedBlocksAndRefusesOversizedOnes) {
    TDoorStation s;
    const TTableCodec& codec = *DoorPhoneCodec();
    Bytes packed = codec.Pack(s.Session);
    Bytes expected{6};
    expected.insert(expected.end(), s.kFirst.begin(), s.kFirst.end());
    expected.push_back(4);
    expected.insert(expected.end(), s.kSecond.begin(), s.kSecond.end());
    EXPECT_EQ(packed, expected);

    TRawArea& area = s.Session.Area(ETable::DoorPhones);
    Bytes oversized{65};
    oversized.resize(66, 0x11);
    EXPECT_FALSE(codec.Unpack(s.Session, oversized));
    EXPECT_EQ(Valid(area.Slots[0]), s.kFirst);

    s.Session.Identity.DoorPhoneCount = 3;  // the file's count shapes the record
    area.Clear();
    ASSERT_TRUE(codec.Unpack(s.Session, packed));
    EXPECT_EQ(area.Count, 3);
    EXPECT_EQ(Valid(area.Slots[1]), s.kSecond);
    EXPECT_EQ(area.Slots[2].Length, 0);
}

TEST(DoorPhoneCodecFile, BlankAndDemo) {
    TDoorStation s;
    const TTableCodec& codec = *DoorPhoneCodec();
    codec.Blank(s.Session);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->DoorPhones[0], TDf{});
    EXPECT_EQ(s.Store->DoorPhoneCount, 2);

    codec.FillDemo(s.Session, *s.Store);
    const auto demo = s.Store->DoorPhones;
    EXPECT_EQ(codec.Encode(s.Session, *s.Store), 1);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->DoorPhones, demo);
    EXPECT_FALSE(demo[0].LinkPort.empty());
    EXPECT_FALSE(demo[1].OpenCode.empty());

    // Without door phones the write ends before the link is even checked.
    s.Session.Identity.DoorPhoneCount = 0;
    EXPECT_EQ(codec.Write(s.Session), -1);
}

}  // namespace
}  // namespace zarnik
