#include "codecs/black_white_list_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::TOfflineSession;

Bytes Valid(const TRawSlot& slot) {
    return {slot.Valid().begin(), slot.Valid().end()};
}
TRawSlot& Slot(TOfflineSession& s) {
    return s.Session.Area(ETable::BlackWhiteLists).Slots[0];
}

TEST(BlackWhiteListCodecEncode, WritesEntriesInOrder) {
    TOfflineSession s;
    TBlackWhiteList& list = s.Store->BlackWhiteList;
    list.Reset();
    EncodeBwTable(s.Session, *s.Store);
    EXPECT_EQ(Valid(Slot(s)), Bytes(60, 0));
    EXPECT_TRUE(s.Session.Changed(ETable::BlackWhiteLists));

    list.Entries[0] = "810*";
    list.Entries[1] = "123";
    list.Entries[2] = "84951234";       // full width: no closing 0
    list.Entries[3] = "8495123";        // odd, 4 bytes: no closing 0 either
    list.Entries[59] = "#PAta1234567";  // too long: cut to 8 symbols
    EncodeBwTable(s.Session, *s.Store);
    Bytes expected{0x81, 0xAB, 0x00, 0x12, 0x30, 0x00, 0x84,
                   0x95, 0x12, 0x34, 0x84, 0x95, 0x12, 0x30};
    expected.insert(expected.end(), 55, 0);
    expected.insert(expected.end(), {0xCD, 0xEF, 0xE1, 0x23});
    EXPECT_EQ(Valid(Slot(s)), expected);
}

TEST(BlackWhiteListCodecDecode, EndsEntriesAtWidthZeroOrOddNibble) {
    TOfflineSession s;
    // "810*", "123", a full entry straight into an odd 4-byte one, then "5" ending a block.
    Slot(s).Assign(Bytes{0x81, 0xAB, 0x00, 0x12, 0x30, 0x00, 0x84, 0x95, 0x12, 0x34, 0x84, 0x95,
                         0x12, 0x30, 0x00, 0x50});
    s.Store->BlackWhiteList.ListData.fill(7);
    EXPECT_EQ(DecodeBwTable(s.Session, *s.Store), 0);
    const TBlackWhiteList& list = s.Store->BlackWhiteList;
    EXPECT_EQ(list.Count, 60);
    EXPECT_EQ(list.Entries[0], "810*");
    EXPECT_EQ(list.Entries[1], "123");
    EXPECT_EQ(list.Entries[2], "84951234");
    EXPECT_EQ(list.Entries[3], "8495123");
    EXPECT_EQ(list.Entries[4], "");
    EXPECT_EQ(list.Entries[5], "5");
    EXPECT_EQ(list.Entries[6], "");
    EXPECT_EQ(list.ListData[0], 0);

    Slot(s).Assign(Bytes(255, 0x11));  // 64 entries: more than the lists have
    DecodeBwTable(s.Session, *s.Store);
    EXPECT_EQ(list.Entries[59], "11111111");
    EXPECT_EQ(list.Entries[60], "");
}

TEST(BlackWhiteListCodecRoundTrip, BytesAndTextsSurvive) {
    TOfflineSession s;
    Bytes block{0xCD, 0xEF, 0x00, 0x9B, 0x00, 0x12, 0x34, 0x56, 0x78};
    block.insert(block.end(), 56, 0);
    block.insert(block.end(), {0x81, 0xA0, 0x00});
    Slot(s).Assign(block);
    DecodeBwTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->BlackWhiteList.Entries[59], "810");
    EncodeBwTable(s.Session, *s.Store);
    EXPECT_EQ(Valid(Slot(s)), block);

    TBlackWhiteList& list = s.Store->BlackWhiteList;
    list.Reset();
    for (std::size_t i = 0; i < 60; i += 7) list.Entries[i] = std::string(1 + i % 8, '1' + i % 9);
    list.Entries[50] = "T*#P0A";
    const auto before = list.Entries;
    EncodeBwTable(s.Session, *s.Store);
    DecodeBwTable(s.Session, *s.Store);
    EXPECT_EQ(list.Entries, before);
}

TEST(BlackWhiteListCodecPack, CountByteThenBytes) {
    TOfflineSession s;
    const TTableCodec* codec = BlackWhiteListCodec();
    Slot(s).Assign(Bytes{0x12, 0x30, 0x00});
    const Bytes record = codec->Pack(s.Session);
    EXPECT_EQ(record, (Bytes{3, 0x12, 0x30, 0x00}));
    codec->Blank(s.Session);
    EXPECT_EQ(Slot(s).Length, 0);
    ASSERT_TRUE(codec->Unpack(s.Session, record));
    EXPECT_EQ(Valid(Slot(s)), (Bytes{0x12, 0x30, 0x00}));
    ASSERT_TRUE(codec->Unpack(s.Session, Bytes{9, 0x12}));  // cut short: loads empty
    EXPECT_EQ(Slot(s).Length, 0);
}

}  // namespace
}  // namespace zarnik
