#include "codecs/group_codec.h"

#include <gtest/gtest.h>

#include <random>

#include "codecs/subscriber_line_codec.h"
#include "model/broadcaster.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using test::TOfflineSession;
using Bytes = std::vector<std::uint8_t>;

// An offline station with 80 trunk lines.
struct TGroups : TOfflineSession {
    TGroups(const std::string& model, const std::string& version)
        : TOfflineSession(model, version) {
        Session.Identity.TrunkLineCount = 80;
    }
    TRawSlot& Slot(int g) {
        return Session.Area(ETable::Groups).Slots[static_cast<std::size_t>(g)];
    }
    Bytes Block(int g) { return {Slot(g).Valid().begin(), Slot(g).Valid().end()}; }
    Bytes EncodeOne(const TGroup& group) {
        Store->Groups[0] = group;
        EncodeGroupTable(Session, *Store);
        return Block(0);
    }
    TGroup DecodeOne(const Bytes& block) {
        Slot(0).Assign(block);
        DecodeGroupTable(Session, *Store);
        return Store->Groups[0];
    }
};

TEST(GroupCodecVectors, EmptyListsPlaceTheRoutingTablesAndSetTheLength) {
    TGroup group;
    group.GR_DayNaveden = 3;
    group.GR_NightNaveden = 4;
    for (const auto& [model, version, length, day] :
         std::vector<std::tuple<const char*, const char*, std::size_t, std::size_t>>{
             {"Cedar", "24,8", 22, 17},
             {"Alder", "24,4", 15, 12},
             {"Dogwood", "24,3", 21, 17},
             {"Birch", "24,3", 14, 12}}) {
        TGroups s(model, version);
        const Bytes block = s.EncodeOne(group);
        ASSERT_EQ(block.size(), length) << model << version;
        EXPECT_EQ(block[10], 0);
        EXPECT_EQ(block[11], 0);
        EXPECT_EQ(block[day], 3) << model;
        EXPECT_EQ(block[day + 1], 4) << model;
    }
}

TEST(GroupCodecVectors, FiveGroupCallLinesCarryNoTerminator) {
    TGroups s("Cedar", "24,8");
    TGroup group;
    group.GR_GroupCall = {200, 201, 202, 203, 204};
    group.GR_AdditionalIntercept = {11, 0, 0, 0, 0};
    const Bytes block = s.EncodeOne(group);
    EXPECT_EQ(Bytes(block.begin() + 10, block.begin() + 17), (Bytes{1, 2, 3, 4, 5, 2, 0}));
    EXPECT_EQ(block.size(), 10u + 5 + 2 + 9 + 1);
    const TGroup back = s.DecodeOne(block);
    EXPECT_EQ(back.GR_GroupCall, group.GR_GroupCall);
    EXPECT_EQ(back.GR_GroupCallCount, 5);
    EXPECT_EQ(back.GR_AdditionalIntercept, group.GR_AdditionalIntercept);
    EXPECT_EQ(back.GR_AdditionalInterceptCount, 1);
}

TEST(GroupCodecVectors, LargeBlockDecodesEveryField) {
    TGroups s("Dogwood", "24,8");
    // head, call lines 1 and 9, intercept groups 10 and 29, trunk lines 24..63, routing
    // tables 7 and 8, trunk lines 64..74, books.
    const Bytes block{0x81, 0xC1, 0xC0, 0x01, 0x00, 0x80, 0x02, 0x03, 0x34, 0x12, 0x01, 0x09, 0x00,
                      0x01, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80, 0x07, 0x08, 0x01, 0x04, 0x21};
    const TGroup g = s.DecodeOne(block);
    EXPECT_TRUE(g.GR_SecondJoining && g.GR_RusSTA && g.GR_Redirect && g.GR_w_extnum_1th &&
                g.GR_b_extnum);
    EXPECT_FALSE(g.GR_DTMF || g.GR_mBAdapter_ON || g.GR_FAXRegime);  // bits 6-7 mean nothing
    EXPECT_EQ(std::tie(g.GR_Priority, g.GR_GGS, g.GR_DirectCall),
              std::make_tuple(std::uint8_t{2}, std::uint8_t{3}, std::string("1234")));
    EXPECT_EQ(g.GR_GroupCall, (std::array<std::int32_t, 5>{200, 208, 0, 0, 0}));
    EXPECT_EQ(g.GR_AdditionalIntercept, (std::array<std::int16_t, 5>{10, 29, 0, 0, 0}));
    EXPECT_EQ(std::tie(g.GR_DayNaveden, g.GR_NightNaveden),
              std::make_tuple(std::uint8_t{7}, std::uint8_t{8}));
    std::vector<int> off;
    for (int k = 0; k < 200; ++k)
        if (g.GR_SLOFF[static_cast<std::size_t>(k)]) off.push_back(k);
    EXPECT_EQ(off, (std::vector<int>{0, 23, 24, 63, 64, 74}));
    EXPECT_EQ(s.EncodeOne(g), block);  // bits 6-7 of bytes 1 and 2 kept as read
}

TEST(GroupCodecVectors, SmallModelCallLinesAreLineNumbers) {
    TGroups s("Alder", "24,4");
    TGroup group;
    group.GR_GroupCall = {200, 207, 210, 0, 0};
    const Bytes block = s.EncodeOne(group);
    EXPECT_EQ(Bytes(block.begin() + 10, block.begin() + 14), (Bytes{1, 8, 9, 0}));
    EXPECT_EQ(s.DecodeOne(block).GR_GroupCall, group.GR_GroupCall);
}

TEST(GroupCodecVectors, OlderFirmwareDecodeLeavesSetting19) {
    TGroups s("Cedar", "24,2");
    s.Store->Groups[0].GR_RusSTA = true;
    EXPECT_TRUE(s.DecodeOne(Bytes(21, 0)).GR_RusSTA);
}

// A call line that would travel as 0 would end the list early and shift every later field;
// the list ends there instead.
TEST(GroupCodecVectors, EntryThatWouldTravelAsZeroEndsTheList) {
    TGroups s("Cedar", "24,8");
    TGroup group;
    group.GR_GroupCall = {200, 199, 201, 0, 0};
    group.GR_AdditionalIntercept = {9, 12, 0, 0, 0};
    group.GR_DayNaveden = 6;
    const Bytes block = s.EncodeOne(group);
    EXPECT_EQ(Bytes(block.begin() + 10, block.begin() + 12), (Bytes{1, 0}));
    EXPECT_EQ(block[12], 0);  // intercept list ended at group number 9
    EXPECT_EQ(block[18], 6);  // day table where the decode will look for it
    EXPECT_EQ(s.DecodeOne(block).GR_DayNaveden, 6);
}

struct TConfig {
    const char* Model;
    const char* Version;
};
const std::vector<TConfig> kConfigs{
    {"Dogwood", "24,8"}, {"Cedar", "24,3"}, {"Alder", "24,4"}, {"Birch", "24,2"}};

// A block the station could send: any bits the decode does not know are random too.
Bytes RandomBlock(std::mt19937& rng, TOfflineSession& s) {
    const bool large = TBroadcaster::IsLargeModel(s.Session.Identity.ModelName);
    Bytes b;
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(rng()));
    if (!line_block::HasRussianSetting(s.Session)) b[0] &= 0x7F;
    const std::vector<Bytes> calls{{0, 0}, {0x30, 0x12}, {0x00, 0x10}, {0x5A, 0x1A}};
    const Bytes& call = calls[rng() % calls.size()];
    b.insert(b.end(), call.begin(), call.end());
    for (int list = 0; list < 2; ++list) {
        const unsigned n = rng() % 6;
        for (unsigned k = 0; k < n; ++k) b.push_back(static_cast<std::uint8_t>(1 + rng() % 255));
        if (n < 5) b.push_back(0);
    }
    const int rest = large ? 9 : 2;
    for (int i = 0; i < rest; ++i) b.push_back(static_cast<std::uint8_t>(rng()));
    if (large) b.back() &= 0x07;  // trunk lines 75..79 are never read back
    if (line_block::HasBookSettings(s.Session)) b.push_back(static_cast<std::uint8_t>(rng()));
    return b;
}

TEST(GroupCodecRoundTrip, StationBytesSurviveDecodeAndEncode) {
    std::mt19937 rng(3);
    for (const TConfig& c : kConfigs) {
        TGroups s(c.Model, c.Version);
        std::vector<Bytes> blocks;
        for (int g = 0; g < kGroupCount; ++g) {
            blocks.push_back(RandomBlock(rng, s));
            s.Slot(g).Assign(blocks.back());
        }
        DecodeGroupTable(s.Session, *s.Store);
        EncodeGroupTable(s.Session, *s.Store);
        for (int g = 0; g < kGroupCount; ++g)
            EXPECT_EQ(s.Block(g), blocks[static_cast<std::size_t>(g)]) << c.Model << c.Version << g;
    }
}

TEST(GroupCodecRoundTrip, RecordSurvivesEncodeAndDecode) {
    std::mt19937 rng(5);
    for (const TConfig& c : kConfigs) {
        TGroups s(c.Model, c.Version);
        const bool large = TBroadcaster::IsLargeModel(c.Model);
        TGroup g;
        for (int i = 0; i < kAlSettingCount; ++i)
            g.Setting(i) = (i != 19 || line_block::HasRussianSetting(s.Session)) &&
                           (i < 20 || line_block::HasBookSettings(s.Session)) && rng() % 2;
        for (int k = 0; k < (large ? 75 : 24); ++k)
            g.GR_SLOFF[static_cast<std::size_t>(k)] = rng() % 2;
        g.GR_Priority = 7;
        g.GR_GGS = 2;
        g.GR_DirectCall = "1020";
        g.GR_GroupCall = {TBroadcaster::GetPortNumFromIndex(c.Model, 0),
                          TBroadcaster::GetPortNumFromIndex(c.Model, 17), 0, 0, 0};
        g.GR_GroupCallCount = 2;
        g.GR_AdditionalIntercept = {29, 10, 15, 0, 0};
        g.GR_AdditionalInterceptCount = 3;
        g.GR_DayNaveden = 1;
        g.GR_NightNaveden = 48;
        s.EncodeOne(g);
        s.Store->Groups[0] = TGroup{};
        DecodeGroupTable(s.Session, *s.Store);
        const TGroup& back = s.Store->Groups[0];
        for (int i = 0; i < kAlSettingCount; ++i) EXPECT_EQ(back.Setting(i), g.Setting(i)) << i;
        EXPECT_EQ(back.GR_SLOFF, g.GR_SLOFF) << c.Model;
        EXPECT_EQ(
            std::tie(back.GR_Priority, back.GR_GGS, back.GR_DirectCall, back.GR_GroupCall,
                     back.GR_GroupCallCount, back.GR_AdditionalIntercept,
                     back.GR_AdditionalInterceptCount, back.GR_DayNaveden, back.GR_NightNaveden),
            std::tie(g.GR_Priority, g.GR_GGS, g.GR_DirectCall, g.GR_GroupCall, g.GR_GroupCallCount,
                     g.GR_AdditionalIntercept, g.GR_AdditionalInterceptCount, g.GR_DayNaveden,
                     g.GR_NightNaveden))
            << c.Model;
    }
}

TEST(GroupCodecFile, PackUnpackAndShortRecords) {
    TGroups s("Cedar", "24,8");
    std::mt19937 rng(9);
    for (int g = 0; g < kGroupCount; ++g) s.Slot(g).Assign(RandomBlock(rng, s));
    const Bytes packed = PackGroupTable(s.Session);
    EXPECT_EQ(packed[0], s.Slot(0).Length);

    TGroups t("Cedar", "24,8");
    Bytes extra = packed;
    extra.insert(extra.end(), {5, 1, 2, 3, 4, 5});  // a 21st block is not the table's
    ASSERT_TRUE(UnpackGroupTable(t.Session, extra));
    for (int g = 0; g < kGroupCount; ++g) EXPECT_EQ(t.Block(g), s.Block(g)) << g;
    EXPECT_EQ(PackGroupTable(t.Session), packed);

    // Cut inside the third block: it and every later block load empty.
    const std::size_t cut = 2u + packed[0] + packed[1u + packed[0]] + 3;
    ASSERT_TRUE(UnpackGroupTable(t.Session, std::span(packed).first(cut)));
    EXPECT_EQ(t.Block(1), s.Block(1));
    EXPECT_EQ(t.Slot(2).Length, 0);
    EXPECT_EQ(t.Slot(19).Length, 0);

    BlankGroupTable(t.Session);
    EXPECT_EQ(t.Session.Area(ETable::Groups).Count, 0);
    EXPECT_TRUE(PackGroupTable(t.Session) == Bytes(kGroupCount, 0));
}

// The demo lines and groups are filled separately but must describe one office.
TEST(GroupCodecDemo, LinesAndGroupsAgree) {
    TGroups s("Cedar", "24,8");
    s.Store->Composition[0].BoardType = "Kama";
    s.Store->Composition[1].BoardType = "Neva";
    s.Store->CompositionCount = 2;
    ASSERT_EQ(BuildPorts(*s.Store), 1);
    s.Session.Identity.SubscriberLineCount = 20;
    s.Session.Identity.TrunkLineCount = 5;
    s.Session.Identity.RoutingTableCount = 2;
    for (ETable t : {ETable::SubscriberLines, ETable::Groups}) {
        FindCodec(t)->FillDemo(s.Session, *s.Store);
        FindCodec(t)->Encode(s.Session, *s.Store);
    }
    const Bytes lines = PackAlTable(s.Session);
    const Bytes groups = PackGroupTable(s.Session);
    TGroups t("Cedar", "24,8");
    t.Session.Identity = s.Session.Identity;
    ASSERT_TRUE(UnpackAlTable(t.Session, lines) && UnpackGroupTable(t.Session, groups));
    DecodeAlTable(t.Session, *t.Store);
    DecodeGroupTable(t.Session, *t.Store);

    int followers = 0, ownInGroup = 0;
    for (int g = 0; g < kGroupCount; ++g) {
        std::vector<std::int32_t> members;
        for (int i = 0; i < 20; ++i) {
            const TAL& line = t.Store->Lines[static_cast<std::size_t>(i)];
            if (line.ALGroup != g) continue;
            members.push_back(200 + i);
            const bool anyOwn = std::count(line.AL_Own.begin(), line.AL_Own.end(), true) > 0;
            (anyOwn ? ownInGroup : followers) += 1;
        }
        const TGroup& group = t.Store->Groups[static_cast<std::size_t>(g)];
        const std::vector<std::int32_t> calls(group.GR_GroupCall.begin(),
                                              group.GR_GroupCall.begin() + group.GR_GroupCallCount);
        EXPECT_EQ(calls, members) << "group " << g;
    }
    EXPECT_GE(followers, 3);
    EXPECT_GE(ownInGroup, 2);
    EXPECT_EQ(std::count_if(t.Store->Lines.begin(), t.Store->Lines.begin() + 20,
                            [](const TAL& l) { return !l.ALDirectCall.empty(); }),
              1);
    EXPECT_EQ(t.Store->Groups[0].GR_DayNaveden, 1);

    FindCodec(ETable::SubscriberLines)->FillDemo(s.Session, *s.Store);
    FindCodec(ETable::SubscriberLines)->Encode(s.Session, *s.Store);
    EXPECT_EQ(PackAlTable(s.Session), lines);  // deterministic
}

}  // namespace
}  // namespace zarnik
