#include "codecs/trunk_line_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/codecs.h"
#include "model/broadcaster.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Four = std::array<std::uint8_t, 4>;

TRawSlot& Slot(test::TOfflineSession& s, int i) {
    return s.Session.Area(ETable::TrunkLines).Slots[static_cast<std::size_t>(i)];
}

Bytes Valid(test::TOfflineSession& s, int i) {
    const auto v = Slot(s, i).Valid();
    return {v.begin(), v.end()};
}

// Every field set, and the bits nobody interprets (byte 0 bit 5, byte 10 bits 3-7) set too.
const Bytes kStationBlock{0xB5, 0xA6, 0x03, 0x11, 0x0A, 0x02, 0x8B, 0xAD, 0x00, 0x00, 0xFD, 0x04};

TEST(TrunkLineCodec, DecodesEveryFieldAndWritesBackEveryByte) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Session.Identity.TrunkLineCount = 2;
    ASSERT_TRUE(Slot(s, 1).Assign(kStationBlock));
    DecodeSlTable(s.Session, *s.Store);
    TSL e;
    e.SL_Dir01 = e.SL_Dir03 = e.SL_Dir05 = e.SL_Dir9 = true;
    e.SL_FAX = e.SL_TarINCall = e.SL_RetreatInCall = e.SL_NotInterCityTar = true;
    e.SL_OFFDISAForRetreatSignal = e.SL_ActivePauseAfter8 = true;
    e.SL_DayNaveden = 3;
    e.SL_NightNaveden = 17;
    e.SL_MGDigit = 0;  // travels as 10
    e.SL_Type = 3;
    e.SL_AutoDial = "8*0P";
    e.SL_Block = 206;  // trunk line index 3
    EXPECT_EQ(s.Store->TrunkLines[1], e);

    for (const char* model : {"Cedar", "Birch"}) {
        for (const char* version : {"24,3", "24,8"}) {
            s.SetModel(model, version);
            ASSERT_TRUE(Slot(s, 1).Assign(kStationBlock));
            DecodeSlTable(s.Session, *s.Store);
            EncodeSlTable(s.Session, *s.Store);
            EXPECT_EQ(Valid(s, 1), kStationBlock) << model << " " << version;
        }
    }
    EXPECT_TRUE(s.Session.Changed(ETable::TrunkLines));
}

TEST(TrunkLineCodec, EncodeThenDecodeKeepsTheRecordOnBothFamilies) {
    test::TOfflineSession s;
    s.Session.Identity.TrunkLineCount = 4;
    for (const char* model : {"Dogwood", "Alder"}) {
        s.SetModel(model, "24,8");
        TSL a;
        a.SL_OutgoingCall = a.SL_DISA = a.SL_Dir02 = a.SL_ActivePauseAfter8 = true;
        a.SL_DayNaveden = 1;
        a.SL_NightNaveden = 48;
        a.SL_Type = 4;
        a.SL_MGDigit = 9;
        a.SL_AutoDial = "123#A7T";
        a.SL_Block = TBroadcaster::GetPortNumFromSLIndex(model, 3);
        s.Store->TrunkLines[0] = a;
        s.Store->TrunkLines[3] = TSL{};
        EncodeSlTable(s.Session, *s.Store);
        s.Store->TrunkLines[0] = TSL{};
        s.Store->TrunkLines[3].SL_AutoDial = "99";  // must not survive a block without one
        DecodeSlTable(s.Session, *s.Store);
        EXPECT_EQ(s.Store->TrunkLines[0], a) << model;
        EXPECT_EQ(s.Store->TrunkLines[3], TSL{}) << model;
        EXPECT_EQ(Slot(s, 3).Bytes[4], 8);  // the default digit travels as 8
        EXPECT_EQ(Slot(s, 3).Length, 12);
    }
}

TEST(TrunkLineCodec, AZeroDigitByteAndOldFirmware) {
    test::TOfflineSession s("Cedar", "24,3");
    s.Session.Identity.TrunkLineCount = 1;
    Bytes block = kStationBlock;
    block[4] = 0;  // the default digit
    ASSERT_TRUE(Slot(s, 0).Assign(block));
    DecodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TrunkLines[0].SL_MGDigit, 8);
    // Below 24,4 the active pause (byte 10 bit 2) is neither read nor written.
    EXPECT_FALSE(s.Store->TrunkLines[0].SL_ActivePauseAfter8);
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[4], 8);
    EXPECT_EQ(Slot(s, 0).Bytes[10], 0xFD);
    s.SetModel("Cedar", "24,4");
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[10], 0xF9);
}

TEST(TrunkLineCodec, AutoDialSymbols) {
    Four b{};
    AutoDialToBytes("8*0P", b);
    EXPECT_EQ(b, (Four{0x8B, 0xAD, 0x00, 0x00}));
    EXPECT_EQ(AutoDialFromBytes(b), "8*0P");
    AutoDialToBytes("123", b);
    EXPECT_EQ(b, (Four{0x12, 0x30, 0x00, 0x00}));
    EXPECT_EQ(AutoDialFromBytes(b), "123");
    AutoDialToBytes("123456789", b);  // the ninth symbol has no room
    EXPECT_EQ(b, (Four{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(AutoDialFromBytes(Four{0x12, 0x05, 0x34, 0x00}), "12");  // below 0x10 ends it
    EXPECT_FALSE(IsAutoDialSymbol('#', "24,2"));
    EXPECT_TRUE(IsAutoDialSymbol('t', "24,3"));
}

TEST(TrunkLineCodec, FileBlocksReplaceTheSlotsAndBlankLeavesDigitEight) {
    test::TOfflineSession s("Cedar", "24,8");
    const TTableCodec& codec = *TrunkLineCodec();
    s.Session.Identity.TrunkLineCount = 2;
    ASSERT_TRUE(Slot(s, 0).Assign(kStationBlock));
    ASSERT_TRUE(Slot(s, 1).Assign(Bytes{0x01, 0x02, 0x03}));
    Bytes packed{12};
    packed.insert(packed.end(), kStationBlock.begin(), kStationBlock.end());
    packed.insert(packed.end(), {3, 0x01, 0x02, 0x03});
    EXPECT_EQ(codec.Pack(s.Session), packed);

    // A shorter block shows none of the bytes an earlier station left in its slot.
    const Bytes file{5, 0, 0, 0, 0, 8, 12, 0x11, 0x22, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(codec.Unpack(s.Session, file));
    EXPECT_EQ(Slot(s, 0).Bytes[6], 0x00);
    EXPECT_EQ(codec.Pack(s.Session), file);

    s.Store->TrunkLines[0].SL_AutoDial = "555";
    codec.Blank(s.Session);
    EXPECT_EQ(Valid(s, 199), (Bytes{0, 0, 0, 0, 8}));
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TrunkLines[0], TSL{});
}

}  // namespace
}  // namespace zarnik
