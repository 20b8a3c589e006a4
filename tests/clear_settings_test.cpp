#include "flows/clear_settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/table_codec.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using test::TOfflineSession;

TTableTicks Only(ETable t) {
    TTableTicks ticks{};
    ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

TTableTicks All() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

// Puts recognisable bytes into every slot of every area, so a clearing shows.
void Scribble(TMainClass& session) {
    for (TRawArea& area : session.Areas) {
        for (TRawSlot& slot : area.Slots) {
            std::fill(slot.Bytes.begin(), slot.Bytes.end(), 0x5A);
            slot.Length = static_cast<std::uint16_t>(std::min<std::size_t>(slot.Capacity(), 3));
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

// A Cedar station with its counts as the identification gives them.
void Identify(TOfflineSession& s, std::uint8_t trunks, std::uint8_t lines,
              std::uint8_t version = 0x48) {
    s.Session.IdBuffer.fill(0);
    s.Session.IdBuffer[5] = 4;
    s.Session.IdBuffer[6] = version;
    s.Session.IdBuffer[7] = 2;
    s.Session.IdBuffer[8] = trunks;
    s.Session.IdBuffer[9] = lines;
    s.Session.IdBuffer[16] = 4;
    s.Session.IdBuffer[17] = 50;
    s.Session.IdBuffer[18] = 6;
    s.Session.IdBuffer[19] = 36;
    s.Session.DecodeIdentification(false);
    s.Session.VerFlags = s.Session.BuildVerFlags();
}

TEST(ClearSettings, EveryTableHasABlankImage) {
    // A table without one could never be cleared or constructed.
    for (const TClearStep& step : ClearingOrder()) {
        const TTableCodec* codec = FindCodec(step.Table);
        ASSERT_NE(codec, nullptr) << step.Caption;
        EXPECT_TRUE(static_cast<bool>(codec->Blank)) << step.Caption;
    }
}

TEST(ClearSettings, AllTickedClearsEveryTableInOrderAndMarksItChanged) {
    TOfflineSession s("Cedar", "24,8");
    Identify(s, 60, 120);
    Scribble(s.Session);
    const TClearResult result = ClearSettings(s.Session, *s.Store, All());

    std::vector<ETable> expected;
    for (const TClearStep& step : ClearingOrder()) expected.push_back(step.Table);
    EXPECT_EQ(result.Cleared, expected);
    EXPECT_TRUE(result.Unsupported.empty());
    EXPECT_TRUE(result.NoCodec.empty());
    // The flash settings and the common phone book get the flag as well.
    for (ETable t : kAllTables) EXPECT_TRUE(s.Session.Changed(t)) << SelectionIndex(t);

    const TRawSlot& time = s.Session.Area(ETable::TimeSettings).Slots[0];
    ASSERT_EQ(time.Length, 52);
    EXPECT_EQ(time.Bytes[0] | (time.Bytes[1] << 8), 160);
    EXPECT_EQ(time.Bytes[34] | (time.Bytes[35] << 8), 24000);
    EXPECT_EQ(time.Bytes[50] | (time.Bytes[51] << 8), 24);
    EXPECT_EQ(s.Session.Area(ETable::Flash).Slots[0].Length, 0);
    EXPECT_EQ(s.Session.Area(ETable::Flash).Slots[0].Bytes[0], 0);
    EXPECT_EQ(s.Session.Area(ETable::SystemSettings).Slots[0].Length, 0);
    EXPECT_EQ(s.Session.Area(ETable::SubscriberLines).Count, 0);
    EXPECT_EQ(s.Session.Area(ETable::Groups).Count, 0);
}

TEST(ClearSettings, UnsupportedTableStaysEvenWhenTicked) {
    // Below 23,8 the working program has no system-phone button table.
    TOfflineSession s("Cedar", "23,7");
    Identify(s, 60, 120, 0x37);
    ASSERT_EQ(s.Session.Identity.Version, "23,7");
    EXPECT_FALSE(ClearableTables(s.Session)[SelectionIndex(ETable::StaButtons)]);
    EXPECT_TRUE(ClearableTables(s.Session)[SelectionIndex(ETable::SubscriberLines)]);
    Scribble(s.Session);
    const TRawArea before = s.Session.Area(ETable::StaButtons);

    const TClearResult result = ClearSettings(s.Session, *s.Store, All());
    EXPECT_TRUE(SameArea(s.Session.Area(ETable::StaButtons), before));
    EXPECT_FALSE(s.Session.Changed(ETable::StaButtons));
    EXPECT_NE(std::find(result.Unsupported.begin(), result.Unsupported.end(), ETable::StaButtons),
              result.Unsupported.end());
    EXPECT_EQ(std::find(result.Cleared.begin(), result.Cleared.end(), ETable::StaButtons),
              result.Cleared.end());
    EXPECT_TRUE(s.Session.Changed(ETable::SubscriberLines));
}

TEST(ClearSettings, RedirectionsPointEachLineAtItself) {
    TOfflineSession s("Cedar", "24,8");
    Identify(s, 60, 120);
    Scribble(s.Session);
    for (auto& r : s.Store->Redirections) r.Target = 215;

    ClearSettings(s.Session, *s.Store, Only(ETable::Redirections));
    const TRawSlot& slot = s.Session.Area(ETable::Redirections).Slots[0];
    ASSERT_EQ(slot.Length, 120);
    for (std::size_t k = 0; k < 120; ++k) {
        EXPECT_EQ(slot.Bytes[k], k);
        EXPECT_EQ(s.Store->Redirections[k].Target, 0) << k;
    }
    EXPECT_EQ(slot.Bytes[120], 0);
    EXPECT_EQ(s.Store->RedirectionCount, 120);
    EXPECT_TRUE(s.Session.Changed(ETable::Redirections));
    EXPECT_FALSE(s.Session.Changed(ETable::TrunkLines));
}

TEST(ClearSettings, TrunkLinesKeepOnlyTheLongDistanceDigit) {
    TOfflineSession s("Cedar", "24,8");
    Identify(s, 60, 120);
    Scribble(s.Session);
    TSL busy;
    busy.SL_ToneDial = busy.SL_DISA = busy.SL_Dir9 = busy.SL_ActivePauseAfter8 = true;
    busy.SL_DayNaveden = 3;
    busy.SL_MGDigit = 5;
    busy.SL_AutoDial = "123";
    busy.SL_Block = 202;
    s.Store->TrunkLines.fill(busy);

    ClearSettings(s.Session, *s.Store, Only(ETable::TrunkLines));
    const TRawArea& area = s.Session.Area(ETable::TrunkLines);
    const std::vector<std::uint8_t> block{0, 0, 0, 0, 8};
    for (std::size_t i = 0; i < 60; ++i) {
        const auto valid = area.Slots[i].Valid();
        EXPECT_EQ(std::vector<std::uint8_t>(valid.begin(), valid.end()), block) << i;
        EXPECT_EQ(s.Store->TrunkLines[i], TSL{}) << i;
        EXPECT_EQ(s.Store->TrunkLines[i].SL_MGDigit, 8);
    }
    EXPECT_TRUE(s.Session.Changed(ETable::TrunkLines));
}

TEST(ClearSettings, NothingTickedChangesNothing) {
    TOfflineSession s("Cedar", "24,8");
    Identify(s, 60, 120);
    Scribble(s.Session);
    const auto areas = s.Session.Areas;
    const auto flags = s.Session.ChangeFlags;

    const TClearResult result = ClearSettings(s.Session, *s.Store, TTableTicks{});
    EXPECT_TRUE(result.Cleared.empty());
    EXPECT_TRUE(result.Unsupported.empty());
    for (std::size_t i = 0; i < areas.size(); ++i)
        EXPECT_TRUE(SameArea(s.Session.Areas[i], areas[i])) << i;
    EXPECT_EQ(s.Session.ChangeFlags, flags);
}

TEST(ClearSettings, BlankImagesStayInsideTheAreasOfTheLargestClaims) {
    // An identification that claims 255 of everything, and conferences as wide as they come:
    // every blank and its decode must stay inside the session's areas (the sanitizer build
    // catches a read past them).
    TOfflineSession s("Dogwood", "24,8");
    auto& b = s.Session.IdBuffer;
    b.fill(0);
    b[5] = 6;
    b[6] = 0x48;
    b[7] = 2;
    for (std::size_t i : {8u, 9u, 16u, 17u, 18u, 19u}) b[i] = 0xFF;
    s.Session.DecodeIdentification(false);
    s.Session.ConferenceParams = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const auto shapes = s.Session.Areas;
    Scribble(s.Session);

    const TClearResult result = ClearSettings(s.Session, *s.Store, All());
    EXPECT_EQ(result.Cleared.size(), static_cast<std::size_t>(kTableCount));
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
    EXPECT_EQ(s.Session.Area(ETable::TrunkLines).Slots.back().Length, 5);
}

}  // namespace
}  // namespace zarnik
