#include "codecs/routing_table_codec.h"

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

TNavedenRecord Table(std::initializer_list<std::vector<std::int32_t>> rows) {
    TNavedenRecord record;
    std::size_t r = 0;
    for (const auto& row : rows) {
        for (std::size_t p = 0; p < row.size(); ++p) record.Rows[r][p] = row[p];
        ++r;
    }
    return record;
}

TEST(RoutingTableCodecEncode, ClosesShortRowsOnly) {
    // Ten-port family: line = port - 199.
    EXPECT_EQ(EncodeNavedenBlock(Table({{203}}), "Cedar"), (Bytes{4, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeNavedenBlock(TNavedenRecord{}, "Cedar"), (Bytes{0, 0, 0, 0}));
    const auto full = Table({{200, 201, 202, 203, 204},
                             {205, 206, 207, 208, 209},
                             {210, 211, 212, 213, 214},
                             {215, 216, 217, 218, 219}});
    Bytes expected;
    for (std::uint8_t line = 1; line <= 20; ++line) expected.push_back(line);
    EXPECT_EQ(EncodeNavedenBlock(full, "Cedar"), expected);
    // Eight-port family: port 211 is the tenth line; a row stops at its first empty entry.
    EXPECT_EQ(EncodeNavedenBlock(Table({{211, 0, 203}, {}, {200}}), "Birch"),
              (Bytes{10, 0, 0, 1, 0, 0}));
}

TEST(RoutingTableCodecDecode, FullRowIsClosedWithoutAZero) {
    // Row 0 full, row 1 two lines, row 2 empty, row 3 one line.
    const Bytes block{1, 2, 3, 4, 5, 6, 7, 0, 0, 8, 0};
    const TNavedenRecord record = DecodeNavedenBlock(block, "Cedar");
    EXPECT_EQ(record.Rows[0], (std::array<std::int32_t, 5>{200, 201, 202, 203, 204}));
    EXPECT_EQ(record.Rows[1], (std::array<std::int32_t, 5>{205, 206, 0, 0, 0}));
    EXPECT_EQ(record.Rows[2], (std::array<std::int32_t, 5>{}));
    EXPECT_EQ(record.Rows[3], (std::array<std::int32_t, 5>{207, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeNavedenBlock(record, "Cedar"), block);
    // Bytes past the fourth row have no place and are dropped.
    const TNavedenRecord overfull = DecodeNavedenBlock(Bytes(40, 9), "Birch");
    EXPECT_EQ(overfull.Rows[3][4], 210);
}

TEST(RoutingTableCodecRoundTrip, StoreAndStationBytesSurvive) {
    TOfflineSession s("Alder", "24,8");
    s.Session.Identity.RoutingTableCount = 3;
    auto& tables = s.Store->RoutingTables;
    tables[0] = Table({{200, 201, 202, 203, 204}, {205, 206}});
    tables[1] = Table({{}, {}, {}, {210, 211, 212, 213, 214}});
    tables[2] = Table({{215}});
    tables[3] = Table({{200}});  // beyond the station's count: never encoded
    const auto before = tables;
    EncodeNavedenTable(s.Session, *s.Store);
    const TRawArea& area = s.Session.Area(ETable::RoutingTables);
    EXPECT_EQ(area.Count, 3);
    EXPECT_EQ(Valid(area.Slots[0]), (Bytes{1, 2, 3, 4, 5, 6, 7, 0, 0, 0}));
    EXPECT_EQ(Valid(area.Slots[1]), (Bytes{0, 0, 0, 9, 10, 11, 12, 13}));
    EXPECT_EQ(area.Slots[3].Length, 0);
    EXPECT_TRUE(s.Session.Changed(ETable::RoutingTables));

    DecodeNavedenTable(s.Session, *s.Store);
    for (int t = 0; t < 3; ++t) EXPECT_EQ(tables[t].Rows, before[t].Rows) << t;
    EXPECT_EQ(tables[3].Rows, TNavedenRecord{}.Rows);
}

TEST(RoutingTableCodecPack, CountsComeFromReadAndIdentification) {
    TOfflineSession s;
    const TTableCodec* codec = RoutingTableCodec();
    TRawArea& area = s.Session.Area(ETable::RoutingTables);
    s.Session.Identity.RoutingTableCount = 2;
    area.Slots[0].Assign(Bytes{4, 0, 0, 0, 0});
    area.Slots[1].Assign(Bytes{0, 0, 0, 0});
    area.Count = 1;  // only one table came with the last read
    const Bytes record = codec->Pack(s.Session);
    EXPECT_EQ(record, (Bytes{5, 4, 0, 0, 0, 0}));

    ASSERT_TRUE(codec->Unpack(s.Session, Bytes{5, 4, 0, 0, 0, 0, 4, 0, 0, 0, 0}));
    EXPECT_EQ(area.Count, 2);
    EXPECT_EQ(Valid(area.Slots[1]), (Bytes{0, 0, 0, 0}));

    codec->Blank(s.Session);
    EXPECT_EQ(area.Count, 0);
    codec->Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->RoutingTables[0].Rows, TNavedenRecord{}.Rows);
}

TEST(RoutingTableCodecDemo, DemoRowsNameSubscriberLinesAndSurviveEncoding) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.Identity.RoutingTableCount = 4;
    s.Store->Composition[0].BoardType = "Kama";
    s.Store->Composition[1].BoardType = "Kama";
    s.Store->CompositionCount = 2;
    ASSERT_EQ(BuildPorts(*s.Store), 1);
    const TTableCodec* codec = RoutingTableCodec();
    codec->FillDemo(s.Session, *s.Store);
    const auto demo = s.Store->RoutingTables;
    EXPECT_NE(demo[0].Rows[0][4], 0);  // a full row
    for (const auto& table : demo)
        for (const auto& row : table.Rows)
            for (std::int32_t port : row) {
                if (port != 0) EXPECT_EQ(FindPort(*s.Store, port)->Type, kPortTypeSubscriber);
            }
    codec->Encode(s.Session, *s.Store);
    codec->Decode(s.Session, *s.Store);
    for (std::size_t t = 0; t < 4; ++t) EXPECT_EQ(s.Store->RoutingTables[t].Rows, demo[t].Rows);
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// A file saved before the routing tables were read holds no block; loaded and saved again it
// must be the same file, not the station's 48 empty blocks.
TEST(RoutingTableCodecPack, AFileLoadsAndSavesAgainToTheSameBytes) {
    TOfflineSession s;
    const TTableCodec* codec = RoutingTableCodec();
    TRawArea& area = s.Session.Area(ETable::RoutingTables);
    s.Session.Identity.RoutingTableCount = 48;
    for (const Bytes& record : {Bytes{}, Bytes{5, 4, 0, 0, 0, 0}, Bytes{2, 7, 0, 0}}) {
        ASSERT_TRUE(codec->Unpack(s.Session, record));
        EXPECT_EQ(codec->Pack(s.Session), record);
    }
    EXPECT_EQ(area.Count, 2);
    EXPECT_EQ(Valid(area.Slots[0]), (Bytes{7, 0}));
}

}  // namespace
}  // namespace zarnik
