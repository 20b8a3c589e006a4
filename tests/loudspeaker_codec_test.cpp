#include "codecs/loudspeaker_codec.h"

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

struct TGgsStation : test::TOfflineSession {
    TGgsStation(const std::string& model, const std::string& board) : TOfflineSession(model) {
        Store->Composition[0].BoardType = board;
        Store->Composition[1].BoardType = board;
        Store->CompositionCount = 2;
        BuildPorts(*Store);
        Session.Identity.LoudspeakerCount = 2;
    }
    TRawArea& Area() { return Session.Area(ETable::Loudspeakers); }
};

TEST(LoudspeakerCodecDecode, LineBytesBecomePortsOfEitherFamily) {
    TGgsStation large("Cedar", "Neva");
    large.Area().Slots[0].Assign(Bytes{5, 0xFF});
    large.Area().Slots[1].Assign(Bytes{0, 0x02});
    EXPECT_EQ(DecodeGgsTable(large.Session, *large.Store), 0);
    EXPECT_EQ(large.Store->LoudspeakerCount, 2);
    EXPECT_EQ(large.Store->Loudspeakers[0], (TGGS{"204", true}));
    EXPECT_EQ(large.Store->Loudspeakers[1], (TGGS{"", false}));
    const TPortPtr port = large.Store->Ports[4];
    EXPECT_EQ(port->Number, 204);
    EXPECT_EQ(port->Type, kPortTypeAttachedLoudspeaker);
    EXPECT_EQ(port->Kind, Utf8ToCp1251("ГГС"));

    TGgsStation small("Alder", "Svir");
    small.Area().Slots[0].Assign(Bytes{9, 0x00});  // the first port of the second board
    DecodeGgsTable(small.Session, *small.Store);
    EXPECT_EQ(small.Store->Loudspeakers[0].LinkPort, "210");

    small.SetModel("Oak", "24,8");  // neither family: records stay as they are
    small.Store->Loudspeakers[0].AutoOff = true;
    EXPECT_EQ(DecodeGgsTable(small.Session, *small.Store), -1);
    EXPECT_EQ(small.Store->Loudspeakers[0], (TGGS{"210", true}));
}

TEST(LoudspeakerCodecEncode, PortsBecomeLineBytesOrAreRefused) {
    TGgsStation s("Cedar", "Neva");
    s.Store->Loudspeakers[0] = TGGS{"204", true};
    s.Store->Loudspeakers[1] = TGGS{"", false};
    EXPECT_EQ(EncodeGgsTable(s.Session, *s.Store), 0);
    EXPECT_EQ(Valid(s.Area().Slots[0]), (Bytes{5, 1}));  // AutoOff goes out as 1, not 0xFF
    EXPECT_EQ(Valid(s.Area().Slots[1]), (Bytes{0, 0}));
    EXPECT_TRUE(s.Session.Changed(ETable::Loudspeakers));

    // No line number, or one beyond a byte (port 460 is line 261): the block stays as it was.
    for (const char* bad : {"150", "abc", "460"}) {
        s.Store->Loudspeakers[0].LinkPort = bad;
        EXPECT_EQ(EncodeGgsTable(s.Session, *s.Store), -1) << bad;
        EXPECT_EQ(Valid(s.Area().Slots[0]), (Bytes{5, 1})) << bad;
    }
}

TEST(LoudspeakerCodecFile, PackBlankDemoAndCountFirstWrite) {
    TGgsStation s("Alder", "Svir");
    const TTableCodec& codec = *LoudspeakerCodec();
    codec.FillDemo(s.Session, *s.Store);
    const auto demo = s.Store->Loudspeakers;
    EXPECT_EQ(codec.Encode(s.Session, *s.Store), 0);
    const Bytes packed = codec.Pack(s.Session);
    EXPECT_EQ(packed, (Bytes{2, 16, 0, 2, 15, 1}));  // the two last lines, 217 and 216
    s.Area().Clear();
    ASSERT_TRUE(codec.Unpack(s.Session, packed));
    s.Store->Loudspeakers.fill(TGGS{});
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->Loudspeakers, demo);

    Bytes oversized{65};
    oversized.resize(66, 0x01);
    EXPECT_FALSE(codec.Unpack(s.Session, oversized));
    EXPECT_EQ(Valid(s.Area().Slots[0]), (Bytes{16, 0}));

    codec.Blank(s.Session);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->Loudspeakers[0], TGGS{});

    s.Session.Identity.LoudspeakerCount = 0;
    EXPECT_EQ(codec.Write(s.Session), -1);  // before the link check
}

}  // namespace
}  // namespace zarnik
