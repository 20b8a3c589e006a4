#include "codecs/program_number_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/codecs.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

TRawArea& Area(test::TOfflineSession& s) {
    return s.Session.Area(ETable::ProgramNumbers);
}

// A station of identical boards with its ports built.
void Compose(test::TOfflineSession& s, const char* board, int boards, int lines) {
    for (int i = 0; i < boards; ++i)
        s.Store->Composition[static_cast<std::size_t>(i)].BoardType = board;
    s.Store->CompositionCount = static_cast<std::uint16_t>(boards);
    ASSERT_EQ(BuildPorts(*s.Store), 1);
    s.Session.Identity.SubscriberLineCount = static_cast<std::uint16_t>(lines);
}

std::string& Number(test::TOfflineSession& s, int port) {
    return FindPort(*s.Store, port)->AlData->AL_PrgNum;
}

Bytes Entry(test::TOfflineSession& s, int block, int k) {
    const auto& b = Area(s).Slots[static_cast<std::size_t>(block)].Bytes;
    return {b[2 * static_cast<std::size_t>(k)], b[2 * static_cast<std::size_t>(k) + 1]};
}

TEST(ProgramNumberCodec, EntriesKeepTheDigitsAfterTheOne) {
    test::TOfflineSession s("Cedar", "24,8");
    Compose(s, "Kama", 2, 20);
    Number(s, 201) = "15";
    Number(s, 203) = "105";
    Number(s, 219) = "1234";
    Number(s, 205) = "1";  // a lone "1" is no number
    ASSERT_EQ(EncodePrgNumTable(s.Session, *s.Store), 1);
    EXPECT_EQ(Entry(s, 0, 1), (Bytes{0x05, 0x00}));
    EXPECT_EQ(Entry(s, 0, 3), (Bytes{0xA5, 0x00}));
    EXPECT_EQ(Entry(s, 0, 19), (Bytes{0x34, 0x02}));
    EXPECT_EQ(Entry(s, 0, 5), (Bytes{0x00, 0x00}));
    EXPECT_EQ(Area(s).Slots[0].Length, 240);
    EXPECT_EQ(Area(s).Slots[1].Length, 0);
    EXPECT_TRUE(s.Session.Changed(ETable::ProgramNumbers));

    for (int port : {201, 203, 205, 219}) Number(s, port) = "199";
    DecodePrgNumTable(s.Session, *s.Store);
    EXPECT_EQ(Number(s, 201), "15");
    EXPECT_EQ(Number(s, 203), "105");
    EXPECT_EQ(Number(s, 205), "");
    EXPECT_EQ(Number(s, 219), "1234");
    EXPECT_EQ(ProgramNumberOfEntry(0x0AAA), "1000");
}

TEST(ProgramNumberCodec, DogwoodDecodeThenEncodeKeepsBothBlocks) {
    test::TOfflineSession s("Dogwood", "28,6");
    Compose(s, "Neva", 15, 150);
    TRawArea& area = Area(s);
    for (std::size_t k = 0; k < 120; ++k) {
        area.Slots[0].Bytes[2 * k] = static_cast<std::uint8_t>(0x11 + k % 9);
        area.Slots[0].Bytes[2 * k + 1] = static_cast<std::uint8_t>(k % 3);
    }
    for (std::size_t j = 0; j < 30; ++j)
        area.Slots[1].Bytes[2 * j] = static_cast<std::uint8_t>(0x91 + j % 7);
    const TRawArea station = area;
    DecodePrgNumTable(s.Session, *s.Store);
    EXPECT_EQ(Number(s, 201), "1112");
    EXPECT_EQ(Number(s, 349), "192");  // entry 29 of the second block
    ASSERT_EQ(EncodePrgNumTable(s.Session, *s.Store), 1);
    EXPECT_EQ(area.Slots[0].Bytes, station.Slots[0].Bytes);
    EXPECT_EQ(area.Slots[1].Bytes, station.Slots[1].Bytes);
    EXPECT_EQ(area.Slots[1].Length, 60);
}

TEST(ProgramNumberCodec, ANumberTooLongIsRefusedBeforeAnyEntryChanges) {
    test::TOfflineSession s("Cedar", "24,8");
    Compose(s, "Neva", 3, 30);
    Number(s, 200) = "15";
    ASSERT_EQ(EncodePrgNumTable(s.Session, *s.Store), 1);
    s.Session.SetChanged(ETable::ProgramNumbers, false);
    const TRawArea before = Area(s);
    Number(s, 200) = "16";     // would change entry 0 ...
    Number(s, 229) = "12345";  // ... had this one not been refused
    s.Dialogs.ExpectMessage();
    EXPECT_EQ(EncodePrgNumTable(s.Session, *s.Store), -1);
    EXPECT_NE(s.Dialogs.Seen.back().Text.find("229"), std::string::npos);
    EXPECT_EQ(Area(s).Slots[0].Bytes, before.Slots[0].Bytes);
    EXPECT_EQ(Area(s).Slots[0].Length, 240);
    EXPECT_FALSE(s.Session.Changed(ETable::ProgramNumbers));
    EXPECT_FALSE(EntryOfProgramNumber("12x"));
}

TEST(ProgramNumberCodec, SmallModelSendsOneEntryPerLine) {
    test::TOfflineSession s("Alder", "24,8");
    Compose(s, "Svir", 3, 24);
    Number(s, 210) = "15";    // line index 8
    Number(s, 227) = "1234";  // line index 23
    ASSERT_EQ(EncodePrgNumTable(s.Session, *s.Store), 1);
    EXPECT_EQ(Area(s).Slots[0].Length, 48);
    EXPECT_EQ(Area(s).Slots[1].Length, 0);
    EXPECT_EQ(Entry(s, 0, 8), (Bytes{0x05, 0x00}));
    EXPECT_EQ(Entry(s, 0, 23), (Bytes{0x34, 0x02}));

    // More lines than the block's 120 entries fill the block and stop there.
    s.Session.Identity.SubscriberLineCount = 200;
    ASSERT_EQ(EncodePrgNumTable(s.Session, *s.Store), 1);
    EXPECT_EQ(Area(s).Slots[0].Length, 240);
}

TEST(ProgramNumberCodec, PackedFormIs240BytesOr300OnDogwood) {
    test::TOfflineSession s;
    const TTableCodec& codec = *ProgramNumberCodec();
    for (const char* model : {"Birch", "Cedar", "Dogwood"}) {
        s.SetModel(model, "24,8");
        const bool dogwood = std::string(model) == "Dogwood";
        Bytes record(dogwood ? 300 : 240);
        for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i);
        ASSERT_TRUE(codec.Unpack(s.Session, record));
        EXPECT_EQ(Area(s).Slots[0].Length, 240) << model;
        EXPECT_EQ(Area(s).Slots[1].Length, dogwood ? 60 : 0) << model;
        EXPECT_EQ(codec.Pack(s.Session), record) << model;

        // A record cut short leaves the block it does not hold empty.
        ASSERT_TRUE(codec.Unpack(s.Session, Bytes(dogwood ? 250 : 100, 0x11)));
        EXPECT_EQ(Area(s).Slots[0].Length, dogwood ? 240 : 0) << model;
        EXPECT_EQ(Area(s).Slots[1].Length, 0) << model;
    }
}

}  // namespace
}  // namespace zarnik
