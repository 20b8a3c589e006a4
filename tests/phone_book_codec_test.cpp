#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/global_phone_book_codec.h"
#include "codecs/group_phone_book_codec.h"
#include "codecs/phone_number_coding.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::TOfflineSession;

Bytes Valid(const TRawSlot& slot) {
    return {slot.Valid().begin(), slot.Valid().end()};
}
Bytes Zeros(std::size_t n) {
    return Bytes(n, 0);
}
Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kFull16{0x98, 0x1A, 0x49, 0x51, 0x23, 0x45, 0x67, 0x89};  // "9810495123456789"

TEST(PhoneBookCodecCoding, PacksSymbolsAndCutsOverlongNumbers) {
    EXPECT_EQ(PackSymbols("810", kBookEntryBytes), (Bytes{0x81, 0xA0}));
    EXPECT_EQ(PackSymbols("*#PATp", kBookEntryBytes), (Bytes{0xBC, 0xDE, 0xFD}));
    EXPECT_EQ(PackSymbols("1x2", kBookEntryBytes), (Bytes{0x12}));  // no nibble for "x"
    EXPECT_EQ(PackSymbols("123456789", kListEntryBytes), (Bytes{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(UnpackSymbols(Bytes{0xBC, 0xDE, 0xF0, 0x0A}), "*#PAT0");
}

TEST(PhoneBookCodecEncode, WritesEntriesWithAndWithoutClosingZero) {
    TOfflineSession s;
    TGlobalExtNum& book = *s.Store->GlobalExtNum;
    book.Entries[0] = "810";
    book.Entries[1] = "9*1";
    book.Entries[2] = "9810495123456789";
    book.Entries[3] = "12";
    book.Entries[29] = "98104951234567890123";  // too long: cut to 16 symbols
    EncodeGlobExtNumTable(s.Session, *s.Store);
    const TRawArea& area = s.Session.Area(ETable::GlobalPhoneBook);
    EXPECT_EQ(Valid(area.Slots[0]),
              Join({{0x81, 0xA0, 0x00, 0x9B, 0x10, 0x00}, kFull16, {0x12, 0x00}, Zeros(6)}));
    EXPECT_EQ(Valid(area.Slots[1]), Zeros(10));
    EXPECT_EQ(Valid(area.Slots[2]), Join({Zeros(9), kFull16}));
    EXPECT_TRUE(s.Session.Changed(ETable::GlobalPhoneBook));
}

TEST(PhoneBookCodecDecode, ReadsBlocksIntoTheirTenPlaces) {
    TOfflineSession s;
    TRawArea& area = s.Session.Area(ETable::GlobalPhoneBook);
    // A full entry runs straight into the next; a lone digit 0 is an unused entry.
    area.Slots[0].Assign(Join({kFull16, {0x12, 0x00, 0xA0, 0x00, 0xBC, 0xDE, 0xF0, 0x00}}));
    area.Slots[1].Assign(Zeros(12));         // more than ten entries: the extra ones are dropped
    area.Slots[2].Assign(Bytes(255, 0x11));  // 31 full entries and a short one
    DecodeGlobExtNumTable(s.Session, *s.Store);
    const TGlobalExtNum& book = *s.Store->GlobalExtNum;
    EXPECT_EQ(book.Count, 30);
    EXPECT_EQ(book.Entries[0], "9810495123456789");
    EXPECT_EQ(book.Entries[1], "12");
    EXPECT_EQ(book.Entries[2], "");
    EXPECT_EQ(book.Entries[3], "*#PAT");
    for (int i = 4; i < 20; ++i) EXPECT_EQ(book.Entries[i], "") << i;
    for (int i = 20; i < 30; ++i) EXPECT_EQ(book.Entries[i], "1111111111111111") << i;
    EXPECT_EQ(book.Entries[30], "");
}

TEST(PhoneBookCodecRoundTrip, StationBytesAndStoreTextsSurvive) {
    TOfflineSession s;
    TRawArea& area = s.Session.Area(ETable::GlobalPhoneBook);
    const Bytes block0 = Join({{0x81, 0xA0, 0x00}, kFull16, kFull16, {0xDE, 0xF1, 0x00}, Zeros(6)});
    area.Slots[0].Assign(block0);
    area.Slots[1].Assign(Join({Zeros(9), {0x12, 0x34, 0x50, 0x00}}));
    area.Slots[2].Assign(Zeros(10));
    DecodeGlobExtNumTable(s.Session, *s.Store);
    EncodeGlobExtNumTable(s.Session, *s.Store);
    EXPECT_EQ(Valid(area.Slots[0]), block0);
    EXPECT_EQ(Valid(area.Slots[1]), Join({Zeros(9), {0x12, 0x34, 0x50, 0x00}}));
    EXPECT_EQ(Valid(area.Slots[2]), Zeros(10));

    TGlobalExtNum& book = *s.Store->GlobalExtNum;
    book.Reset();
    book.Entries[9] = "123456789012345";  // 15 symbols: 8 bytes, no closing 0
    book.Entries[10] = "#*PAT";
    const TGlobalExtNum before = book;
    EncodeGlobExtNumTable(s.Session, *s.Store);
    DecodeGlobExtNumTable(s.Session, *s.Store);
    EXPECT_EQ(book.Entries, before.Entries);
}

TEST(PhoneBookCodecPack, BlocksRoundTripAndShortRecordsEmptyTheRest) {
    TOfflineSession s;
    const TTableCodec* codec = GlobalPhoneBookCodec();
    TRawArea& area = s.Session.Area(ETable::GlobalPhoneBook);
    area.Slots[0].Assign(Bytes{0x81, 0xA0, 0x00});
    area.Slots[2].Assign(Zeros(10));
    const Bytes record = codec->Pack(s.Session);
    EXPECT_EQ(record, Join({{3, 0x81, 0xA0, 0x00, 0, 10}, Zeros(10)}));
    area.Clear();
    ASSERT_TRUE(codec->Unpack(s.Session, record));
    EXPECT_EQ(Valid(area.Slots[0]), (Bytes{0x81, 0xA0, 0x00}));
    EXPECT_EQ(Valid(area.Slots[2]), Zeros(10));
    ASSERT_TRUE(codec->Unpack(s.Session, Bytes{2, 0x12, 0x00, 9, 0x11}));  // second block cut short
    EXPECT_EQ(Valid(area.Slots[0]), (Bytes{0x12, 0x00}));
    EXPECT_EQ(area.Slots[1].Length, 0);
}

TEST(GroupPhoneBookCodec, SelectorsAndHalfFramesDiffer) {
    EXPECT_EQ(GroupBookSelector(0), 0x00);
    EXPECT_EQ(GroupBookSelector(1), 0x20);
    EXPECT_EQ(GroupBookSelector(38), 0x13);
    EXPECT_EQ(GroupBookSelector(39), 0x33);
    const TIndexedRead read = GroupBookReadSpec();
    EXPECT_EQ(read.Code, 0x58);
    EXPECT_EQ(read.Count, 40);
    EXPECT_TRUE(read.Options.PurgeAfterRequest);
    const TIndexedWrite write = GroupBookWriteSpec();
    EXPECT_EQ(write.Code, 0xD8);
    EXPECT_FALSE(write.OptionsFor(4).FlushFirst || write.OptionsFor(4).PurgeAfterHeader);
    EXPECT_TRUE(write.OptionsFor(5).FlushFirst && write.OptionsFor(5).PurgeAfterHeader);
}

TEST(GroupPhoneBookCodec, EncodesHalvesAndDecodesThemBack) {
    TOfflineSession s;
    for (auto& book : s.Store->GroupExtNums) book.Reset();
    TGroupExternNum& book = s.Store->GroupExtNums[19];
    book.Entries[9] = "9810495123456789";
    book.Entries[10] = "810";
    EncodeGroupExtNumTable(s.Session, *s.Store);
    const TRawArea& area = s.Session.Area(ETable::GroupPhoneBooks);
    EXPECT_EQ(Valid(area.Slots[0]), Zeros(10));  // an empty book: two halves of ten zeros
    EXPECT_EQ(Valid(area.Slots[1]), Zeros(10));
    EXPECT_EQ(Valid(area.Slots[38]), Join({Zeros(9), kFull16}));
    EXPECT_EQ(Valid(area.Slots[39]), Join({{0x81, 0xA0, 0x00}, Zeros(9)}));
    EXPECT_TRUE(s.Session.Changed(ETable::GroupPhoneBooks));

    const TGroupExternNum before = book;
    book.Entries[9] = "junk";
    DecodeGroupExtNumTable(s.Session, *s.Store);
    EXPECT_EQ(book.Entries, before.Entries);
    EXPECT_EQ(book.Count, 20);
}

TEST(GroupPhoneBookCodecPack, TwentyFirstPositionIsWrittenEmptyAndSkipped) {
    TOfflineSession s;
    const TTableCodec* codec = GroupPhoneBookCodec();
    TRawArea& area = s.Session.Area(ETable::GroupPhoneBooks);
    area.Slots[1].Assign(Bytes{0x81, 0xA0, 0x00});
    Bytes record = codec->Pack(s.Session);
    ASSERT_EQ(record.size(), 40u + 3u + 2u);
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 5), (Bytes{0, 3, 0x81, 0xA0, 0x00}));
    EXPECT_EQ(Bytes(record.end() - 2, record.end()), (Bytes{0, 0}));
    record.resize(record.size() - 2);
    record.insert(record.end(), {2, 0x12, 0x00, 0});  // a filled 21st position is ignored
    area.Clear();
    ASSERT_TRUE(codec->Unpack(s.Session, record));
    EXPECT_EQ(Valid(area.Slots[1]), (Bytes{0x81, 0xA0, 0x00}));
    EXPECT_EQ(area.Slots[0].Length, 0);
}

}  // namespace
}  // namespace zarnik
