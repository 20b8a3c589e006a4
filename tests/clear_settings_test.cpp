#include "flows/clear_settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/offline_session.h"

namespace zarnik {
namespace {

using test::TOfflineSession;

TTableTicks Ticks(std::initializer_list<ETable> tables) {
    TTableTicks ticks{};
    for (ETable t : tables) ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

TTableTicks All() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

// Recognisable bytes in every slot of every area, so that a clearing shows.
void Scribble(TMainClass& session) {
    for (TRawArea& area : session.Areas) {
        for (TRawSlot& slot : area.Slots) {
            std::fill(slot.Bytes.begin(), slot.Bytes.end(), 0x5A);
            slot.Length = 3;
        }
        area.Count = 1;
    }
}

bool SameArea(const TRawArea& a, const TRawArea& b) {
    if (a.Count != b.Count || a.Slots.size() != b.Slots.size()) return false;
    for (std::size_t i = 0; i < a.Slots.size(); ++i)
        if (a.Slots[i].Length != b.Slots[i].Length || a.Slots[i].Bytes != b.Slots[i].Bytes)
            return false;
    return true;
}

// A Cedar station of 60 trunk lines and 120 subscriber lines, identified as the station
// would identify it.
void Identify(TOfflineSession& s, std::uint8_t versionByte = 0x48) {
    auto& b = s.Session.IdBuffer;
    b.fill(0);
    b[5] = 4;
    b[6] = versionByte;
    b[7] = 2;
    b[8] = 60;
    b[9] = 120;
    b[16] = 4;
    b[17] = 50;
    b[18] = 6;
    b[19] = 36;
    s.Session.DecodeIdentification(false);
    Scribble(s.Session);
}

TEST(ClearSettings, AllTickedClearsEveryTableInOrderAndMarksItChanged) {
    TOfflineSession s;
    Identify(s);
    const TClearResult result = ClearSettings(s.Session, *s.Store, All());

    std::vector<ETable> expected;
    for (const TClearStep& step : ClearingOrder()) expected.push_back(step.Table);
    EXPECT_EQ(result.Cleared, expected);
    EXPECT_TRUE(result.NoCodec.empty());
    // The flash settings and the common phone book get the flag as well.
    for (ETable t : kAllTables) EXPECT_TRUE(s.Session.Changed(t)) << SelectionIndex(t);
    const TRawSlot& time = s.Session.Area(ETable::TimeSettings).Slots[0];
    ASSERT_EQ(time.Length, 52);
    EXPECT_EQ(time.Bytes[34] | (time.Bytes[35] << 8), 24000);
    EXPECT_EQ(time.Bytes[50] | (time.Bytes[51] << 8), 24);
}

TEST(ClearSettings, UnsupportedTableStaysEvenWhenTicked) {
    // Below 23,8 the working program has no system-phone button table.
    TOfflineSession s;
    Identify(s, 0x37);
    ASSERT_EQ(s.Session.Identity.Version, "23,7");
    EXPECT_FALSE(ClearableTables(s.Session)[SelectionIndex(ETable::StaButtons)]);
    const TRawArea before = s.Session.Area(ETable::StaButtons);

    const TClearResult result = ClearSettings(s.Session, *s.Store, All());
    EXPECT_TRUE(SameArea(s.Session.Area(ETable::StaButtons), before));
    EXPECT_FALSE(s.Session.Changed(ETable::StaButtons));
    EXPECT_NE(std::find(result.Unsupported.begin(), result.Unsupported.end(), ETable::StaButtons),
              result.Unsupported.end());
    EXPECT_TRUE(s.Session.Changed(ETable::SubscriberLines));
}

TEST(ClearSettings, RedirectionsAndTrunkLinesBecomeBlankInAreaAndStore) {
    TOfflineSession s;
    Identify(s);
    for (auto& r : s.Store->Redirections) r.Target = 215;
    TSL busy;
    busy.SL_ToneDial = busy.SL_Dir9 = true;
    busy.SL_DayNaveden = 3;
    busy.SL_MGDigit = 5;
    busy.SL_AutoDial = "123";
    s.Store->TrunkLines.fill(busy);

    ClearSettings(s.Session, *s.Store, Ticks({ETable::Redirections, ETable::TrunkLines}));
    const TRawSlot& redirect = s.Session.Area(ETable::Redirections).Slots[0];
    ASSERT_EQ(redirect.Length, 120);
    for (std::size_t k = 0; k < 120; ++k) {
        EXPECT_EQ(redirect.Bytes[k], k);
        EXPECT_EQ(s.Store->Redirections[k].Target, 0) << k;
    }
    const std::vector<std::uint8_t> block{0, 0, 0, 0, 8};
    for (std::size_t i = 0; i < 60; ++i) {
        const auto valid = s.Session.Area(ETable::TrunkLines).Slots[i].Valid();
        EXPECT_EQ(std::vector<std::uint8_t>(valid.begin(), valid.end()), block) << i;
        EXPECT_EQ(s.Store->TrunkLines[i], TSL{}) << i;  // long-distance digit 8, all else off
    }
    EXPECT_FALSE(s.Session.Changed(ETable::SubscriberLines));
}

TEST(ClearSettings, NothingTickedChangesNothing) {
    TOfflineSession s;
    Identify(s);
    const auto areas = s.Session.Areas;
    const TClearResult result = ClearSettings(s.Session, *s.Store, TTableTicks{});
    EXPECT_TRUE(result.Cleared.empty());
    for (std::size_t i = 0; i < areas.size(); ++i)
        EXPECT_TRUE(SameArea(s.Session.Areas[i], areas[i])) << i;
    EXPECT_EQ(s.Session.ChangeFlags, decltype(s.Session.ChangeFlags){});
}

TEST(ClearSettings, BlankImagesStayInsideTheAreasOfTheLargestClaims) {
    // An identification that claims 255 of everything and conferences as wide as they come:
    // every blank and its decode stay inside the areas (the sanitizer build catches a read
    // past them).
    TOfflineSession s("Dogwood", "24,8");
    auto& b = s.Session.IdBuffer;
    b.fill(0xFF);
    b[5] = 6;
    b[6] = 0x48;
    b[7] = 2;
    s.Session.DecodeIdentification(false);
    s.Session.ConferenceParams.fill(0xFF);
    const auto shapes = s.Session.Areas;
    Scribble(s.Session);

    EXPECT_EQ(ClearSettings(s.Session, *s.Store, All()).Cleared.size(), 16u);
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const TRawArea& area = s.Session.Areas[i];
        ASSERT_EQ(area.Slots.size(), shapes[i].Slots.size()) << i;
        EXPECT_LE(area.Count, area.Slots.size()) << i;
        for (const TRawSlot& slot : area.Slots) {
            EXPECT_EQ(slot.Capacity(), shapes[i].Slots[0].Capacity()) << i;
            EXPECT_LE(slot.Length, slot.Capacity()) << i;
        }
    }
    EXPECT_EQ(s.Session.Area(ETable::Redirections).Slots[0].Length, 255);
}

}  // namespace
}  // namespace zarnik
