#include "codecs/trunk_line_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/codecs.h"
#include "model/broadcaster.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

TRawSlot& Slot(test::TOfflineSession& s, int i) {
    return s.Session.Area(ETable::TrunkLines).Slots[static_cast<std::size_t>(i)];
}

Bytes Valid(test::TOfflineSession& s, int i) {
    const auto v = Slot(s, i).Valid();
    return {v.begin(), v.end()};
}

test::TOfflineSession& Lines(test::TOfflineSession& s, int count) {
    s.Session.Identity.TrunkLineCount = static_cast<std::uint16_t>(count);
    return s;
}

// Every field set, and the bits nobody interprets (byte 0 bit 5, byte 10 bits 3-7) set too.
const Bytes kStationBlock{0xB5, 0xA6, 0x03, 0x11, 0x0A, 0x02, 0x8B, 0xAD, 0x00, 0x00, 0xFD, 0x04};

TEST(TrunkLineCodec, DecodesEveryFieldOfABlock) {
    test::TOfflineSession s("Cedar", "24,8");
    ASSERT_TRUE(Slot(Lines(s, 1), 0).Assign(kStationBlock));
    DecodeSlTable(s.Session, *s.Store);
    const TSL& sl = s.Store->TrunkLines[0];
    EXPECT_TRUE(sl.SL_Dir01);
    EXPECT_FALSE(sl.SL_Dir02);
    EXPECT_TRUE(sl.SL_Dir03);
    EXPECT_FALSE(sl.SL_Dir04);
    EXPECT_TRUE(sl.SL_Dir05);
    EXPECT_FALSE(sl.SL_OutgoingCall);
    EXPECT_TRUE(sl.SL_Dir9);
    // 0xA6: bits 1, 2, 5, 7.
    EXPECT_FALSE(sl.SL_AutoOFFSL);
    EXPECT_TRUE(sl.SL_FAX);
    EXPECT_TRUE(sl.SL_TarINCall);
    EXPECT_FALSE(sl.SL_ToneDial);
    EXPECT_FALSE(sl.SL_ReplacementSignal);
    EXPECT_TRUE(sl.SL_RetreatInCall);
    EXPECT_FALSE(sl.SL_DISA);
    EXPECT_TRUE(sl.SL_NotInterCityTar);
    EXPECT_EQ(sl.SL_DayNaveden, 3);
    EXPECT_EQ(sl.SL_NightNaveden, 17);
    EXPECT_EQ(sl.SL_MGDigit, 0);  // 10 travels for the digit 0
    EXPECT_EQ(sl.SL_Type, 3);
    EXPECT_EQ(sl.SL_AutoDial, "8*0P");
    EXPECT_TRUE(sl.SL_OFFDISAForRetreatSignal);
    EXPECT_FALSE(sl.SL_SignalToSLForDISA);
    EXPECT_TRUE(sl.SL_ActivePauseAfter8);
    EXPECT_EQ(sl.SL_Block, 206);  // trunk line index 3
}

TEST(TrunkLineCodec, DecodeThenEncodeKeepsEveryByte) {
    test::TOfflineSession s;
    for (const char* model : {"Cedar", "Birch"}) {
        for (const char* version : {"24,3", "24,8"}) {
            s.SetModel(model, version);
            ASSERT_TRUE(Slot(Lines(s, 2), 1).Assign(kStationBlock));
            DecodeSlTable(s.Session, *s.Store);
            EncodeSlTable(s.Session, *s.Store);
            EXPECT_EQ(Valid(s, 1), kStationBlock) << model << " " << version;
            EXPECT_TRUE(s.Session.Changed(ETable::TrunkLines));
        }
    }
}

TEST(TrunkLineCodec, EncodeThenDecodeKeepsTheRecord) {
    test::TOfflineSession s;
    for (const char* model : {"Dogwood", "Alder"}) {
        s.SetModel(model, "24,8");
        Lines(s, 4);
        TSL a;
        a.SL_OutgoingCall = a.SL_DISA = a.SL_Dir02 = a.SL_Dir9 = a.SL_ActivePauseAfter8 = true;
        a.SL_SignalToSLForDISA = true;
        a.SL_DayNaveden = 1;
        a.SL_NightNaveden = 48;
        a.SL_Type = 4;
        a.SL_MGDigit = 9;
        a.SL_AutoDial = "123#A7T";
        a.SL_Block = TBroadcaster::GetPortNumFromSLIndex(model, 3);
        TSL b;  // every field at "none"
        s.Store->TrunkLines[0] = a;
        s.Store->TrunkLines[3] = b;
        EncodeSlTable(s.Session, *s.Store);
        s.Store->TrunkLines[0] = s.Store->TrunkLines[3] = TSL{};
        s.Store->TrunkLines[3].SL_AutoDial = "99";  // must not survive a block without one
        DecodeSlTable(s.Session, *s.Store);
        EXPECT_EQ(s.Store->TrunkLines[0], a) << model;
        EXPECT_EQ(s.Store->TrunkLines[3], b) << model;
        EXPECT_EQ(Slot(s, 3).Bytes[4], 8);
        EXPECT_EQ(Slot(s, 3).Length, 12);
    }
}

TEST(TrunkLineCodec, BlockedLineNumbersFollowTheFamily) {
    test::TOfflineSession s("Alder", "24,8");
    Lines(s, 4);
    s.Store->TrunkLines[0].SL_Block = 212;  // eight-port family: the fourth trunk line
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[11], 4);
    s.SetModel("Cedar", "24,8");
    s.Store->TrunkLines[0].SL_Block = 212;  // ten-port family: the seventh
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[11], 7);
    DecodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TrunkLines[0].SL_Block, 212);
}

TEST(TrunkLineCodec, LongDistanceDigitEightIsTheDefault) {
    test::TOfflineSession s("Cedar", "24,8");
    Bytes block = kStationBlock;
    block[4] = 0;
    ASSERT_TRUE(Slot(Lines(s, 1), 0).Assign(block));
    DecodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TrunkLines[0].SL_MGDigit, 8);
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[4], 8);
}

TEST(TrunkLineCodec, ActivePauseOnlyFromFirmware244) {
    test::TOfflineSession s("Cedar", "24,3");
    Lines(s, 1);
    ASSERT_TRUE(Slot(s, 0).Assign(kStationBlock));  // bit 2 of byte 10 set
    s.Store->TrunkLines[0].SL_ActivePauseAfter8 = false;
    DecodeSlTable(s.Session, *s.Store);
    EXPECT_FALSE(s.Store->TrunkLines[0].SL_ActivePauseAfter8);  // left as it was
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[10], 0xFD);  // and not written either
    s.SetModel("Cedar", "24,4");
    EncodeSlTable(s.Session, *s.Store);
    EXPECT_EQ(Slot(s, 0).Bytes[10], 0xF9);
}

TEST(TrunkLineCodec, AutoDialSymbols) {
    std::array<std::uint8_t, 4> b{};
    AutoDialToBytes("8*0P", b);
    EXPECT_EQ(b, (std::array<std::uint8_t, 4>{0x8B, 0xAD, 0x00, 0x00}));
    AutoDialToBytes("123", b);
    EXPECT_EQ(b, (std::array<std::uint8_t, 4>{0x12, 0x30, 0x00, 0x00}));
    EXPECT_EQ(AutoDialFromBytes(b), "123");
    AutoDialToBytes("p#ta", b);
    EXPECT_EQ(AutoDialFromBytes(b), "P#TA");
    // Nine symbols do not fit: the ninth is dropped, nothing is written past byte 9.
    AutoDialToBytes("123456789", b);
    EXPECT_EQ(b, (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    // A byte below 0x10 ends the number.
    EXPECT_EQ(AutoDialFromBytes(std::array<std::uint8_t, 4>{0x12, 0x05, 0x34, 0x00}), "12");
    EXPECT_EQ(AutoDialFromBytes(std::array<std::uint8_t, 4>{0x0A, 0x12, 0x00, 0x00}), "");

    EXPECT_TRUE(IsAutoDialSymbol('7', "23,9"));
    EXPECT_FALSE(IsAutoDialSymbol('#', "24,2"));
    EXPECT_TRUE(IsAutoDialSymbol('#', "24,3"));
    EXPECT_TRUE(IsAutoDialSymbol('t', "24,3"));
    EXPECT_FALSE(IsAutoDialSymbol('x', "28,6"));
}

TEST(TrunkLineCodec, PackUnpackAndBlank) {
    test::TOfflineSession s("Cedar", "24,8");
    const TTableCodec& codec = *TrunkLineCodec();
    Lines(s, 2);
    ASSERT_TRUE(Slot(s, 0).Assign(kStationBlock));
    ASSERT_TRUE(Slot(s, 1).Assign(Bytes{0x01, 0x02, 0x03}));
    Bytes packed{12};
    packed.insert(packed.end(), kStationBlock.begin(), kStationBlock.end());
    packed.insert(packed.end(), {3, 0x01, 0x02, 0x03});
    EXPECT_EQ(codec.Pack(s.Session), packed);

    // The file's blocks replace the slots whole: a shorter block shows none of the old bytes.
    const Bytes file{5,    0x00, 0x00, 0x00, 0x00, 0x08, 12,   0x11, 0x22, 0x03,
                     0x04, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(codec.Unpack(s.Session, file));
    EXPECT_EQ(Valid(s, 0), (Bytes{0x00, 0x00, 0x00, 0x00, 0x08}));
    EXPECT_EQ(Slot(s, 0).Bytes[6], 0x00);
    EXPECT_EQ(codec.Pack(s.Session), file);

    // Blank: every line with the long-distance digit 8 and nothing else.
    s.Store->TrunkLines[0].SL_AutoDial = "555";
    codec.Blank(s.Session);
    EXPECT_EQ(Valid(s, 199), (Bytes{0x00, 0x00, 0x00, 0x00, 0x08}));
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->TrunkLines[0], TSL{});
    EXPECT_EQ(s.Store->TrunkLines[1], TSL{});
}

TEST(TrunkLineCodec, DemoBlocksAPairAndKeepsItThroughTheBlocks) {
    test::TOfflineSession s("Birch", "24,8");
    Lines(s, 4);
    s.Session.Identity.RoutingTableCount = 2;
    const TTableCodec& codec = *TrunkLineCodec();
    codec.FillDemo(s.Session, *s.Store);
    std::array<TSL, 4> demo{};
    std::copy_n(s.Store->TrunkLines.begin(), 4, demo.begin());
    EXPECT_EQ(demo[0].SL_Block, 202);
    EXPECT_EQ(demo[1].SL_Block, 200);
    EXPECT_EQ(demo[0].SL_AutoDial, "8*0P");
    codec.Encode(s.Session, *s.Store);
    for (auto& sl : s.Store->TrunkLines) sl = TSL{};
    codec.Decode(s.Session, *s.Store);
    for (std::size_t i = 0; i < demo.size(); ++i) EXPECT_EQ(s.Store->TrunkLines[i], demo[i]);
}

}  // namespace
}  // namespace zarnik
