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

// Birch: Oka (200 SL, 201 AL, 202 SL, 203-207 AL), Svir (210-217 AL), Lena (220 STA, 221 D, ..).
class RedirectionCodecBirch : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* board : {"Oka", "Svir", "Lena"})
            S.Store->Composition[S.Store->CompositionCount++].BoardType = board;
        ASSERT_EQ(BuildPorts(*S.Store), 1);
        S.Session.Identity.SubscriberLineCount = 26;  // indexes 24 and 25 have no port
    }
    // Every line to itself, but for the given redirections.
    static Bytes Station(std::initializer_list<std::pair<int, int>> redirects) {
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
    EXPECT_EQ(Record(1), (TRedirectRecord{0, 213, 0}));                    // index 11 is port 213
    EXPECT_EQ(Record(16), (TRedirectRecord{0, 203, 0}));                   // a system phone
    EXPECT_EQ(Record(11), (TRedirectRecord{0, 0, 0}));                     // its own index
    for (int i : {0, 2, 17, 24, 25}) EXPECT_EQ(Record(i).State, -1) << i;  // SL, D, no port
}

TEST_F(RedirectionCodecBirch, EncodeTurnsPortsIntoLineIndexesAndKeepsTheLength) {
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Slot(S).Length, 0);  // never read nor loaded: an empty block goes out
    ASSERT_TRUE(Slot(S).Assign(Station({})));
    DecodeRedirectTable(S.Session, *S.Store);
    Record(1).Target = 213;
    Record(5).Target = 205;  // to itself
    Record(8).Target = -1;   // nothing above 0: no redirection
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Valid(S), Station({{1, 11}}));
    EXPECT_TRUE(S.Session.Changed(ETable::Redirections));
    DecodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Record(5).Target, 0);
}

// A station's bytes survive a decode and encode also where the line cannot be redirected, and
// targets an earlier configuration left in the store do not leak into them.
TEST_F(RedirectionCodecBirch, DecodeThenEncodeKeepsEveryByte) {
    Record(2).Target = 217;
    Record(0).Target = 210;
    const Bytes station = Station({{0, 5}, {3, 9}, {9, 3}, {16, 1}});
    ASSERT_TRUE(Slot(S).Assign(station));
    DecodeRedirectTable(S.Session, *S.Store);
    EncodeRedirectTable(S.Session, *S.Store);
    EXPECT_EQ(Valid(S), station);
}

TEST_F(RedirectionCodecBirch, BlankPackAndRefusalOfAnOversizedImage) {
    const TTableCodec& codec = *RedirectionCodec();
    Record(1).Target = 213;
    codec.Blank(S.Session);
    EXPECT_EQ(Valid(S), Station({}));
    codec.Decode(S.Session, *S.Store);
    EXPECT_EQ(Record(1).Target, 0);

    const Bytes image = Station({{3, 4}});
    ASSERT_TRUE(codec.Unpack(S.Session, image));
    EXPECT_FALSE(codec.Unpack(S.Session, Bytes(501, 1)));
    EXPECT_EQ(codec.Pack(S.Session), image);
}

}  // namespace
}  // namespace zarnik
