#include "codecs/subscriber_line_codec.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "model/broadcaster.h"
#include "support/offline_session.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

using test::TOfflineSession;
using Bytes = std::vector<std::uint8_t>;

TRawSlot& LineSlot(TOfflineSession& s, int i) {
    return s.Session.Area(ETable::SubscriberLines).Slots[static_cast<std::size_t>(i)];
}

Bytes Valid(const TRawSlot& slot) {
    return {slot.Valid().begin(), slot.Valid().end()};
}

// One line, Dogwood with every field of the block in use.
const Bytes kDogwoodLine{0x83, 0x01, 0x20, 0x01, 0x00, 0x80, 0x05, 0x02, 0x30, 0x12, 0x03,
                         0x82, 0x01, 0x20, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80,
                         0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0x04, 0x00, 0x04, 0x21, 0x01};

// An offline station with a few lines and 80 trunk lines.
struct TLines : TOfflineSession {
    TLines(const std::string& model, const std::string& version, int lines = 2)
        : TOfflineSession(model, version) {
        Session.Identity.SubscriberLineCount = static_cast<std::uint16_t>(lines);
        Session.Identity.TrunkLineCount = 80;
    }
};

TAL DecodeOne(TOfflineSession& s, const Bytes& block) {
    LineSlot(s, 0).Assign(block);
    DecodeAlTable(s.Session, *s.Store);
    return s.Store->Lines[0];
}

Bytes EncodeOne(TOfflineSession& s, const TAL& line) {
    s.Store->Lines[0] = line;
    EncodeAlTable(s.Session, *s.Store);
    return Valid(LineSlot(s, 0));
}

std::vector<int> TrueIndexes(std::span<const bool> flags) {
    std::vector<int> out;
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i]) out.push_back(static_cast<int>(i));
    return out;
}

TEST(SubscriberLineCodecVectors, DogwoodBlockDecodesEveryFieldAndEncodesBack) {
    TLines s("Dogwood", "24,8");
    const TAL line = DecodeOne(s, kDogwoodLine);
    EXPECT_TRUE(line.AL_SecondJoining && line.AL_DTMF && line.AL_RusSTA && line.AL_Redirect);
    EXPECT_TRUE(line.AL_mBAdapter_ON && line.AL_w_extnum_1th && line.AL_b_extnum);
    EXPECT_FALSE(line.AL_RequiresCallSignal || line.AL_FAXRegime || line.AL_w_extnum_2th);
    EXPECT_EQ(TrueIndexes(line.AL_Own), (std::vector<int>{1, 7, 18, 19, 20}));
    EXPECT_EQ(TrueIndexes(line.ALSL_OFF), (std::vector<int>{0, 23, 24, 63, 64, 74}));
    EXPECT_EQ(TrueIndexes(line.ALSL_OFF_Own), (std::vector<int>{1, 63, 74}));
    EXPECT_EQ(line.ALPriority, 5);
    EXPECT_EQ(line.ALGGS, 2);
    EXPECT_EQ(line.ALDirectCall, "123");
    EXPECT_EQ(line.ALGroup, 3);
    EXPECT_EQ(EncodeOne(s, line), kDogwoodLine);
    EXPECT_TRUE(s.Session.Changed(ETable::SubscriberLines));
}

TEST(SubscriberLineCodecVectors, CedarReadsTrunkLinesPast64ButSendsThemAsZero) {
    TLines s("Cedar", "24,8");
    const TAL line = DecodeOne(s, kDogwoodLine);
    EXPECT_TRUE(line.ALSL_OFF[64] && line.ALSL_OFF[74] && line.ALSL_OFF_Own[74]);
    Bytes expected = kDogwoodLine;
    std::fill(expected.begin() + 27, expected.begin() + 31, 0);
    EXPECT_EQ(EncodeOne(s, line), expected);
}

TEST(SubscriberLineCodecVectors, SmallModelKeepsBooksAfterTheFirst24TrunkLines) {
    TLines s("Alder", "24,4");
    Bytes block(kDogwoodLine.begin(), kDogwoodLine.begin() + 17);
    block.insert(block.end(), {0x21, 0x01});
    const TAL line = DecodeOne(s, block);
    EXPECT_EQ(TrueIndexes(line.ALSL_OFF), (std::vector<int>{0, 23}));
    EXPECT_TRUE(line.AL_w_extnum_1th && line.AL_b_extnum && line.AL_Own[20]);
    EXPECT_EQ(EncodeOne(s, line), block);
}

TEST(SubscriberLineCodecVectors, DirectCallForms) {
    TLines s("Dogwood", "24,8");
    const std::vector<std::tuple<std::string, std::uint8_t, std::uint8_t, std::string>> cases{
        {"00215", 0xAB, 0x15, "00215"}, {"00210", 0xAB, 0x1A, "00210"},
        {"00315", 0xAC, 0x15, "00315"}, {"123", 0x12, 0x30, "123"},
        {"1000", 0x1A, 0xAA, "1000"},   {"", 0x00, 0x00, ""},
        {"123456", 0x00, 0x00, ""},  // too long to travel: sent as no number
    };
    for (const auto& [number, byte9, byte8, back] : cases) {
        TAL line;
        line.ALDirectCall = number;
        const Bytes block = EncodeOne(s, line);
        EXPECT_EQ(block[9], byte9) << number;
        EXPECT_EQ(block[8], byte8) << number;
        EXPECT_EQ(DecodeOne(s, block).ALDirectCall, back) << number;
    }
}

TEST(SubscriberLineCodecVectors, GroupByteOf20OrMoreIsNoGroup) {
    TLines s("Cedar", "24,8");
    for (const auto& [byte, group] :
         std::vector<std::pair<int, int>>{{19, 19}, {20, -1}, {0xFF, -1}}) {
        Bytes block(33, 0);
        block[10] = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(DecodeOne(s, block).ALGroup, group) << byte;
        EXPECT_EQ(EncodeOne(s, s.Store->Lines[0])[10], byte == 20 ? 0xFF : byte);
    }
}

TEST(SubscriberLineCodecVersions, BlockLengthFollowsModelAndBooksThreshold) {
    for (const auto& [model, version, length] :
         std::vector<std::tuple<const char*, const char*, int>>{{"Alder", "24,3", 17},
                                                                {"Birch", "24,4", 19},
                                                                {"Cedar", "24,3", 31},
                                                                {"Dogwood", "28,6", 33}}) {
        TLines s(model, version);
        EXPECT_EQ(EncodeOne(s, TAL{}).size(), static_cast<std::size_t>(length)) << model << version;
    }
}

TEST(SubscriberLineCodecVersions, OlderFirmwareLeavesUnsentSettingsAsTheyWere) {
    TLines s("Cedar", "24,2");
    TAL& line = s.Store->Lines[0];
    line.AL_b_extnum = true;
    line.AL_Own[al_setting::b_extnum] = true;
    Bytes block(31, 0);
    block[0] = 0x80;  // the language setting and its own flag, not read before 24,3
    block[11] = 0x80;
    const TAL decoded = DecodeOne(s, block);
    EXPECT_FALSE(decoded.AL_RusSTA || decoded.AL_Own[al_setting::RusSTA]);
    EXPECT_TRUE(decoded.AL_b_extnum && decoded.AL_Own[al_setting::b_extnum]);
    // ... yet the encode sends whatever the record holds in both bit 7s.
    TAL russian;
    russian.AL_RusSTA = true;
    russian.AL_Own[al_setting::RusSTA] = true;
    const Bytes sent = EncodeOne(s, russian);
    EXPECT_EQ(sent[0], 0x80);
    EXPECT_EQ(sent[11], 0x80);
}

struct TConfig {
    const char* Model;
    const char* Version;
};
const std::vector<TConfig> kConfigs{{"Dogwood", "24,8"},
                                    {"Cedar", "24,4"},
                                    {"Alder", "24,4"},
                                    {"Birch", "24,3"},
                                    {"Cedar", "24,2"}};

// A block as the station could send it for this configuration: only defined bits set.
Bytes RandomBlock(std::mt19937& rng, TOfflineSession& s) {
    const bool large = TBroadcaster::IsLargeModel(s.Session.Identity.ModelName);
    const bool dogwood = s.Session.Identity.ModelName == "Dogwood";
    const bool russian = line_block::HasRussianSetting(s.Session);
    const bool books = line_block::HasBookSettings(s.Session);
    Bytes b(static_cast<std::size_t>((large ? 31 : 17) + (books ? 2 : 0)));
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    for (int i : {0, 11}) b[i] &= russian ? 0xFF : 0x7F;
    for (int i : {1, 2, 12, 13}) b[i] &= 0x3F;
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> calls{
        {0, 0}, {0x30, 0x12}, {0x00, 0x10}, {0xAA, 0x1A}, {0x15, 0xAB}, {0x1A, 0xAC}};
    std::tie(b[8], b[9]) = calls[rng() % calls.size()];
    b[10] = rng() % 3 == 0 ? 0xFF : static_cast<std::uint8_t>(rng() % 20);
    if (large) {
        for (int i : {28, 30}) b[i] = dogwood ? b[i] & 0x07 : 0;
        if (!dogwood) b[27] = b[29] = 0;
    }
    if (books) b[b.size() - 1] &= 0x3F, b[b.size() - 2] &= 0x3F;
    return b;
}

TEST(SubscriberLineCodecRoundTrip, StationBytesSurviveDecodeAndEncode) {
    std::mt19937 rng(7);
    for (const TConfig& c : kConfigs) {
        TLines s(c.Model, c.Version, 3);
        std::vector<Bytes> blocks;
        for (int i = 0; i < 3; ++i) blocks.push_back(RandomBlock(rng, s));
        for (int i = 0; i < 3; ++i) LineSlot(s, i).Assign(blocks[static_cast<std::size_t>(i)]);
        DecodeAlTable(s.Session, *s.Store);
        s.Session.Area(ETable::SubscriberLines).Clear();
        EncodeAlTable(s.Session, *s.Store);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Valid(LineSlot(s, i)), blocks[static_cast<std::size_t>(i)])
                << c.Model << " " << c.Version << " line " << i;
    }
}

TEST(SubscriberLineCodecRoundTrip, RecordSurvivesEncodeAndDecode) {
    std::mt19937 rng(11);
    for (const TConfig& c : kConfigs) {
        TLines s(c.Model, c.Version);
        const bool large = TBroadcaster::IsLargeModel(c.Model);
        const int trunks = std::string(c.Model) == "Dogwood" ? 75 : large ? 64 : 24;
        TAL line;
        for (int i = 0; i < kAlSettingCount; ++i) {
            const bool carried =
                (i != al_setting::RusSTA || line_block::HasRussianSetting(s.Session)) &&
                (i < 20 || line_block::HasBookSettings(s.Session));
            line.Setting(i) = carried && rng() % 2;
            line.AL_Own[static_cast<std::size_t>(i)] = carried && rng() % 2;
        }
        for (int k = 0; k < trunks; ++k) {
            line.ALSL_OFF[static_cast<std::size_t>(k)] = rng() % 2;
            line.ALSL_OFF_Own[static_cast<std::size_t>(k)] = rng() % 2;
        }
        line.ALPriority = 4;
        line.ALGGS = 9;
        line.ALDirectCall = large ? "00315" : "1020";
        line.ALGroup = 17;
        EncodeOne(s, line);
        s.Store->Lines[0] = TAL{};
        DecodeAlTable(s.Session, *s.Store);
        const TAL& back = s.Store->Lines[0];
        for (int i = 0; i < kAlSettingCount; ++i) EXPECT_EQ(back.Setting(i), line.Setting(i)) << i;
        EXPECT_EQ(back.AL_Own, line.AL_Own) << c.Model << c.Version;
        EXPECT_EQ(back.ALSL_OFF, line.ALSL_OFF) << c.Model << c.Version;
        EXPECT_EQ(back.ALSL_OFF_Own, line.ALSL_OFF_Own) << c.Model << c.Version;
        EXPECT_EQ(std::tie(back.ALPriority, back.ALGGS, back.ALDirectCall, back.ALGroup),
                  std::tie(line.ALPriority, line.ALGGS, line.ALDirectCall, line.ALGroup));
    }
}

TEST(SubscriberLineCodecFile, PackUnpackAndRefusalOfAnOversizedBlock) {
    TLines s("Cedar", "24,8", 3);
    LineSlot(s, 0).Assign(kDogwoodLine);
    LineSlot(s, 2).Assign(Bytes{0x01, 0x02});
    const Bytes packed = PackAlTable(s.Session);
    ASSERT_EQ(packed.size(), 1 + 33 + 1 + 1 + 2u);
    EXPECT_EQ(packed[0], 33);
    EXPECT_EQ(packed[34], 0);

    TLines t("Cedar", "24,8", 3);
    LineSlot(t, 1).Assign(Bytes{0x77});  // a stale line is cleared by the load
    ASSERT_TRUE(UnpackAlTable(t.Session, packed));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Valid(LineSlot(t, i)), Valid(LineSlot(s, i))) << i;

    // A length byte above the 128-byte slot: refused, nothing changed.
    Bytes oversized{129};
    oversized.resize(130, 0x55);
    EXPECT_FALSE(UnpackAlTable(t.Session, oversized));
    EXPECT_EQ(Valid(LineSlot(t, 0)), kDogwoodLine);

    // A record cut short: the cut block and those after it load empty.
    ASSERT_TRUE(UnpackAlTable(t.Session, std::span(packed).first(20)));
    EXPECT_EQ(LineSlot(t, 0).Length, 0);
    EXPECT_EQ(LineSlot(t, 2).Length, 0);
}

TEST(SubscriberLineCodecFile, BlankDecodesToLinesWithEverythingOffInGroupZero) {
    TLines s("Dogwood", "24,8");
    LineSlot(s, 1).Assign(kDogwoodLine);
    s.Session.Area(ETable::SubscriberLines).Count = 2;
    BlankAlTable(s.Session);
    EXPECT_EQ(s.Session.Area(ETable::SubscriberLines).Count, 0);
    TAL& before = s.Store->Lines[1];
    before.AL_PrgNum = "123";
    before.AL_DTMF = before.AL_Own[al_setting::Df01] = true;
    before.ALGroup = 5;
    before.ALDirectCall = "55";
    DecodeAlTable(s.Session, *s.Store);
    const TAL& line = s.Store->Lines[1];
    EXPECT_EQ(TrueIndexes(line.ALSL_OFF).size() + TrueIndexes(line.AL_Own).size(), 0u);
    EXPECT_FALSE(line.AL_DTMF || line.AL_b_extnum);
    EXPECT_EQ(line.ALGroup, 0);
    EXPECT_EQ(line.ALDirectCall, "");
    EXPECT_EQ(line.AL_PrgNum, "123");  // another table's field
}

constexpr std::uint8_t kKey = 0x3C;

Bytes Frame(Bytes plain) { return test::KeyedFrame(std::move(plain), kKey); }

// Line requests 0x4C i get the answer the test gives for (index, attempt).
struct TLineStation : test::TRequestStation {
    explicit TLineStation(TAnswer answer) : TRequestStation(0x4C, std::move(answer)) {}
};

TEST(SubscriberLineCodecLink, FrameLongerThanTheSlotIsRetriedNeverStored) {
    TLines s("Dogwood", "24,8");
    s.Session.Key = kKey;
    const Bytes good(kDogwoodLine);
    TLineStation station([&](int index, int attempt) {
        if (index == 0 && attempt == 1) return Frame(Bytes(200, 0xEE));  // well-formed, too long
        return Frame(good);
    });
    s.Session.Port.Open(station.Path);
    EXPECT_EQ(ReadAlTable(s.Session), 2);
    EXPECT_EQ(Valid(LineSlot(s, 0)), good);
    EXPECT_EQ(Valid(LineSlot(s, 1)), good);
    EXPECT_EQ(station.Asked, (std::map<int, int>{{0, 2}, {1, 1}}));
}

TEST(SubscriberLineCodecLink, FourFailedAttemptsClearEveryLine) {
    TLines s("Alder", "24,4");
    s.Session.Key = kKey;
    TLineStation station([](int index, int) {
        return index == 0 ? Frame(Bytes(19, 0x11)) : Frame(Bytes(255, 0x22));
    });
    s.Session.Port.Open(station.Path);
    EXPECT_EQ(ReadAlTable(s.Session), -5);
    EXPECT_EQ(LineSlot(s, 0).Length, 0);
    EXPECT_EQ(LineSlot(s, 0).Bytes[0], 0);
    EXPECT_EQ(station.Asked[1], 4);
}

TEST(SubscriberLineCodecPanel, DirectCallRulesRowsAndCommit) {
    for (const auto& [model, number, ok] :
         std::vector<std::tuple<const char*, const char*, bool>>{{"Dogwood", "00215", true},
                                                                 {"Cedar", "00399", true},
                                                                 {"Dogwood", "00415", false},
                                                                 {"Dogwood", "10215", false},
                                                                 {"Alder", "00215", false},
                                                                 {"Alder", "1234", true},
                                                                 {"Cedar", "002150", false}})
        EXPECT_EQ(DirectCallNumberValid(model, number), ok) << model << " " << number;
    EXPECT_TRUE(DirectCallKeyAccepted("0021", '5'));
    EXPECT_FALSE(DirectCallKeyAccepted("1234", '5'));
    EXPECT_FALSE(DirectCallKeyAccepted("12", 'a'));
    EXPECT_TRUE(DirectCallKeyAccepted("12345", '\b'));
    EXPECT_FALSE(AlSettingShown("Cedar", "24,2", al_setting::RusSTA));
    EXPECT_TRUE(AlSettingShown("Cedar", "24,3", al_setting::RusSTA));
    EXPECT_FALSE(AlSettingShown("Cedar", "28,5", al_setting::mBAdapter_ON));
    EXPECT_FALSE(AlSettingSaved("Cedar", "24,3", al_setting::b_extnum));
    EXPECT_FALSE(AlSettingSaved("Alder", "24,8", al_setting::Df01 + 2));
    EXPECT_TRUE(AlSettingSaved("Alder", "24,8", al_setting::Df01 + 1));
    TAL line;
    CommitAlSetting(line, al_setting::DTMF, true, false);  // follows the group: value off
    EXPECT_FALSE(line.AL_DTMF || line.AL_Own[al_setting::DTMF]);
    EXPECT_EQ(std::string(SwitchLabel(false)), "->");
}

}  // namespace
}  // namespace zarnik
