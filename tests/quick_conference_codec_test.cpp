#include "codecs/quick_conference_codec.h"

#include <gtest/gtest.h>

#include "codecs/codecs.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct TConfStation : test::TOfflineSession {
    explicit TConfStation(std::uint8_t sizeFactor = 1) {
        Session.ConferenceParams = {3, 0, sizeFactor, 0, 0};
    }
    TRawArea& Area() { return Session.Area(ETable::QuickConferences); }
    TConfRecord& Conf(int i) { return Store->Conferences[static_cast<std::size_t>(i)]; }
    Bytes Head(int i, std::size_t n) {
        const auto& bytes = Area().Slots[static_cast<std::size_t>(i)].Bytes;
        return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)};
    }
};

TConfRecord Members(std::initializer_list<int> ports) {
    TConfRecord c;
    for (int p : ports) c.Members[static_cast<std::size_t>(c.MemberCount++)] = p;
    return c;
}

TEST(QuickConferenceCodecEncode, MembersBecomeLineBytesBehindTheCount) {
    TConfStation s;
    s.Conf(0) = Members({200, 202});  // lines 1 and 3
    s.Conf(2) = Members({0, 209});    // a member place without a line stays 0
    EXPECT_EQ(EncodeConfTable(s.Session, *s.Store), 1);
    EXPECT_EQ(s.Area().Slots[0].Length, 3);
    EXPECT_EQ(s.Head(0, 4), (Bytes{2, 1, 3, 0}));
    EXPECT_EQ(s.Area().Slots[1].Length, 1);  // empty, yet a count byte and checksum travel
    EXPECT_EQ(s.Head(1, 1), (Bytes{0}));
    EXPECT_EQ(s.Head(2, 3), (Bytes{2, 0, 10}));
    EXPECT_TRUE(s.Session.Changed(ETable::QuickConferences));
    EXPECT_EQ(s.Session.Area(ETable::QuickConferences).Count, 3);

    const Bytes before = s.Head(0, 4);
    s.Conf(0).MemberCount = 255;      // its length byte would wrap to "empty"
    s.Conf(1) = Members({200, 460});  // line 261 does not fit a byte
    EXPECT_EQ(EncodeConfTable(s.Session, *s.Store), -1);
    EXPECT_EQ(s.Head(0, 4), before);
    EXPECT_EQ(s.Head(1, 3), (Bytes{2, 1, 0}));
}

TEST(QuickConferenceCodecDecode, ByteAbove150IsNoMemberAndEmptyMeansEmpty) {
    TConfStation s;
    s.Area().Slots[0].Assign(Bytes{2, 1, 151});
    s.Area().Slots[1].Assign(Bytes{2, 151, 150});
    s.Conf(2) = Members({205, 206});  // left over from an earlier configuration
    s.Area().Slots[2].Clear();
    EXPECT_EQ(DecodeConfTable(s.Session, *s.Store), 1);
    EXPECT_EQ(s.Conf(0).MemberCount, 0);
    EXPECT_EQ(s.Conf(0).Members[0], 200);
    EXPECT_EQ(s.Conf(1).MemberCount, 2);
    EXPECT_EQ(s.Conf(1).Members[0], 0);
    EXPECT_EQ(s.Conf(1).Members[1], 349);
    EXPECT_EQ(s.Conf(2), TConfRecord{});
}

TEST(QuickConferenceCodecFile, EntriesFollowTheSizeFactor) {
    TConfStation s(2);
    const TTableCodec& codec = *QuickConferenceCodec();
    s.Area().Slots[0].Assign(Bytes{2, 1, 0, 3, 0});
    s.Area().Slots[0].Length = 3;
    const Bytes packed = codec.Pack(s.Session);
    EXPECT_EQ(packed, (Bytes{3, 2, 1, 0, 3, 0, 0, 0, 0, 0}));
    s.Area().Clear();
    ASSERT_TRUE(codec.Unpack(s.Session, std::span(packed).first(8)));  // third entry cut
    EXPECT_EQ(s.Area().Slots[0].Length, 3);
    EXPECT_EQ(s.Head(0, 6), (Bytes{2, 1, 0, 3, 0, 0}));
    EXPECT_EQ(s.Area().Count, 3);

    Bytes oversized{201, 200};  // 200 members of two bytes cannot fit a slot
    oversized.resize(402, 0x01);
    EXPECT_FALSE(codec.Unpack(s.Session, oversized));
    EXPECT_EQ(s.Head(0, 6), (Bytes{2, 1, 0, 3, 0, 0}));
}

TEST(QuickConferenceCodecFile, CountsBlankAndDemo) {
    TConfStation s;
    const TTableCodec& codec = *QuickConferenceCodec();
    s.Session.ConferenceParams[0] = 200;  // more than the store holds
    EXPECT_EQ(ConferenceCount(s.Session), 60);
    codec.FillDemo(s.Session, *s.Store);
    EXPECT_EQ(s.Conf(0).MemberCount, 0);  // no ports built: nothing to join

    s.Store->Composition[0].BoardType = "Volga";
    s.Store->Composition[1].BoardType = "Neva";
    s.Store->CompositionCount = 2;
    BuildPorts(*s.Store);
    codec.FillDemo(s.Session, *s.Store);
    const auto demo = s.Store->Conferences;
    EXPECT_EQ(demo[1].MemberCount, 3);
    EXPECT_EQ(codec.Encode(s.Session, *s.Store), 1);
    s.Store->Conferences.fill(TConfRecord{});
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->Conferences, demo);

    codec.Blank(s.Session);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Conf(1), TConfRecord{});

    s.SetModel("Alder", "24,8");  // no quick conferences on eight-port stations
    s.Store->Conferences.fill(TConfRecord{});
    codec.FillDemo(s.Session, *s.Store);
    EXPECT_EQ(s.Conf(0).MemberCount, 0);
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// Whatever the area holds, what the program writes it reads back, and a second round trip
// through the store and the file changes nothing more.
Bytes FileRound(TConfStation& s) {
    const TTableCodec& codec = *QuickConferenceCodec();
    codec.Decode(s.Session, *s.Store);
    codec.Encode(s.Session, *s.Store);
    const Bytes packed = codec.Pack(s.Session);
    EXPECT_TRUE(codec.Unpack(s.Session, packed));
    return packed;
}

TEST(QuickConferenceCodecFile, UnusualParametersStillSettleAndReadBack) {
    // A size factor of 0 carries no member bytes: members cannot survive the wire or a file.
    TConfStation none(0);
    none.Area().Slots[0].Assign(Bytes{3, 1, 2, 3});
    none.Area().Slots[0].Length = 4;
    const Bytes first = FileRound(none);
    EXPECT_EQ(FileRound(none), first);
    EXPECT_EQ(first, (Bytes{1, 0, 1, 0, 1, 0}));
    none.Conf(0) = Members({200});
    EXPECT_EQ(QuickConferenceCodec()->Encode(none.Session, *none.Store), -1);

    // 200 members of two bytes do not fit a slot: such an image is filed as an empty
    // conference, never as an entry the load would refuse.
    TConfStation wide(2);
    wide.Area().Slots[1].Bytes[0] = 200;
    wide.Area().Slots[1].Length = 201;
    const TTableCodec& codec = *QuickConferenceCodec();
    const Bytes packed = codec.Pack(wide.Session);
    ASSERT_TRUE(codec.Unpack(wide.Session, packed));
    EXPECT_EQ(codec.Pack(wide.Session), packed);
    EXPECT_EQ(wide.Head(1, 1), (Bytes{0}));
}

}  // namespace
}  // namespace zarnik
