#include "codecs/redirection_codec.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "codecs/codecs.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

TRawSlot& Slot(test::TOfflineSession& s) {
    return s.Session.Area(ETable::Redirections).Slots[0];
}

Bytes Valid(test::TOfflineSession& s) {
    const auto v = Slot(s).Valid();
    return {v.begin(), v.end()};
}

// Birch: Oka (200 SL, 201 AL, 202 SL, 203-207 AL), Svir (210-217 AL), Lena (220 STA, 221 D, ...).
class RedirectionCodecBirch : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* board : {"Oka", "Svir", "Lena"})
            S.Store->Composition[S.Store->CompositionCount++].BoardType = board;
        ASSERT_EQ(BuildPorts(*S.Store), 1);
        S.Session.Identity.SubscriberLineCount = 26;  // indexes 24, 25 have no port
    }
    // Every line to itself, with the given changes.
    Bytes Station(std::initializer_list<std::pair<int, int>> redirects) const {
        Bytes b(26);
        std::iota(b.begin(), b.end(), 0);
        for (auto [from, to] : redirects)
            b[static_cast<std::size_t>(from)] = static_cast<std::uint8_t>(to);
        return b;
    }
    TRedirectRecord& Record(int i) { return S.Store->Redirections[static_cast<std::size_t>(i)]; }
    test::TOfflineSession S{"Birch", "24,8"};
};

TEST_F(RedirectionCodecBirch, DecodesTargetsAndWhichLinesCanBeRedirected) {
    ASSERT_TRUE(Slot(S).Assign(Station({{1, 11}, {16, 3}})));
    DecodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(S.Store->RedirectionCount, 26);
    EXPECT_EQ(Record(1).State, 0);
    EXPECT_EQ(Record(1).Target, 213);  // index 11 is port 213
    EXPECT_EQ(Record(16).State, 0);    // a system phone
    EXPECT_EQ(Record(16).Target, 203);
    EXPECT_EQ(Record(11).State, 0);
    EXPECT_EQ(Record(11).Target, 0);  // its own index: no redirection
    for (int i : {0, 2, 17, 24, 25}) EXPECT_EQ(Record(i).State, -1) << i;  // SL, D, no port
}

TEST_F(RedirectionCodecBirch, EncodeTurnsPortsIntoLineIndexes) {
    ASSERT_TRUE(Slot(S).Assign(Station({})));
    DecodeRedirectTable(S.Session, *S.Store);
    Record(1).Target = 213;
    Record(5).Target = 205;  // to itself
    Record(8).Target = -1;   // anything not above 0 is no redirection
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Valid(S), Station({{1, 11}}));
    EXPECT_TRUE(S.Session.Changed(ETable::Redirections));
    DecodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Record(5).Target, 0);
    EXPECT_EQ(Record(1).Target, 213);
}

// A station's bytes survive a decode and encode also where the line cannot be redirected, and
// what an earlier configuration left in the store does not leak into them.
TEST_F(RedirectionCodecBirch, DecodeThenEncodeKeepsEveryByte) {
    Record(2).Target = 217;  // left over from another configuration
    Record(0).Target = 210;
    const Bytes station = Station({{0, 5}, {3, 9}, {9, 3}, {16, 1}});
    ASSERT_TRUE(Slot(S).Assign(station));
    DecodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Record(0).State, -1);
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Valid(S), station);
}

TEST_F(RedirectionCodecBirch, EncodeKeepsTheLengthOfTheLastReadOrLoad) {
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Slot(S).Length, 0);  // never read nor loaded: an empty block goes out
    ASSERT_TRUE(Slot(S).Assign(Station({})));
    S.Session.Identity.SubscriberLineCount = 24;
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Slot(S).Length, 26);
}

TEST_F(RedirectionCodecBirch, BlankPackAndRefusalOfAnOversizedImage) {
    const TTableCodec& codec = *RedirectionCodec();
    codec.Blank(S.Session);
    EXPECT_EQ(Valid(S), Station({}));
    Record(1).Target = 213;
    codec.Decode(S.Session, *S.Store);
    for (int i = 0; i < 26; ++i) EXPECT_EQ(Record(i).Target, 0) << i;

    const Bytes image = Station({{3, 4}});
    ASSERT_TRUE(codec.Unpack(S.Session, image));
    EXPECT_EQ(codec.Pack(S.Session), image);
    EXPECT_FALSE(codec.Unpack(S.Session, Bytes(501, 1)));
    EXPECT_EQ(codec.Pack(S.Session), image);
    EXPECT_TRUE(codec.Unpack(S.Session, Bytes(500, 1)));
}

TEST_F(RedirectionCodecBirch, DemoSurvivesEncodeAndDecode) {
    const TTableCodec& codec = *RedirectionCodec();
    codec.Blank(S.Session);
    codec.FillDemo(S.Session, *S.Store);
    EXPECT_EQ(Record(3).Target, 201);  // the second subscriber line to the first
    std::vector<TRedirectRecord> demo(S.Store->Redirections.begin(),
                                      S.Store->Redirections.begin() + 26);
    codec.Encode(S.Session, *S.Store);
    for (auto& r : S.Store->Redirections) r = TRedirectRecord{};
    codec.Decode(S.Session, *S.Store);
    for (int i = 0; i < 26; ++i) EXPECT_EQ(Record(i), demo[static_cast<std::size_t>(i)]) << i;
}

TEST(RedirectionCodec, TenPortFamilyIndexesArePortsFrom200) {
    test::TOfflineSession s("Cedar", "24,8");
    s.Store->Composition[0].BoardType = "Neva";
    s.Store->CompositionCount = 1;
    ASSERT_EQ(BuildPorts(*s.Store), 1);
    s.Session.Identity.SubscriberLineCount = 10;
    ASSERT_TRUE(Slot(s).Assign(Bytes{0, 9, 2, 3, 4, 5, 6, 7, 8, 9}));
    DecodeRedirectTable(s.Session, *s.Store);
    EXPECT_EQ(s.Store->Redirections[1].Target, 209);
    s.Store->Redirections[9].Target = 200;
    EncodeRedirectTable(s.Session, *s.Store);
    EXPECT_EQ(Valid(s), (Bytes{0, 9, 2, 3, 4, 5, 6, 7, 8, 0}));
}

}  // namespace
}  // namespace zarnik
