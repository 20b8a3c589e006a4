#include "codecs/system_settings_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/codecs.h"
#include "codecs/settings_editing.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;

TRawSlot& Slot(test::TOfflineSession& s) {
    return s.Session.Area(ETable::SystemSettings).Slots[0];
}

Bytes Valid(test::TOfflineSession& s) {
    const auto v = Slot(s).Valid();
    return {v.begin(), v.end()};
}

TSwitchTime At(int h, int m, int sec) {
    TSwitchTime t;
    t.Hours = static_cast<std::uint16_t>(h);
    t.Minutes = static_cast<std::uint16_t>(m);
    t.Seconds = static_cast<std::uint16_t>(sec);
    return t;
}

TEST(SystemSettingsCodec, DecodesSwitchBitsAndWrapsTimesIntoTheDay) {
    test::TOfflineSession s;
    s.Session.Identity.TimeUnit = 6;
    ASSERT_TRUE(Slot(s).Assign(Bytes{0x81, 0x68, 0x10, 0xFF, 0xFF}));
    DecodeSystemSettings(s.Session, *s.Store);
    const TSystemSettings& r = s.Store->SystemSettings;
    const std::array<bool, 8> expected{true, false, false, false, false, false, false, true};
    EXPECT_EQ(SystemSwitchValues(r), expected);
    EXPECT_EQ(r.SYS_DayTime, At(7, 0, 0));
    // 0xFFFF units of 6 s are 393210 s, taken modulo one day.
    EXPECT_EQ(r.SYS_NightTime, At(13, 13, 30));
}

TEST(SystemSettingsCodec, EncodeDropsWhatIsBelowOneTimeUnit) {
    test::TOfflineSession s;
    s.Session.Identity.TimeUnit = 6;
    TSystemSettings& r = s.Store->SystemSettings;
    r.SYS_ToneDial = true;
    r.SYS_DayTime = At(7, 0, 5);
    r.SYS_DayTime.Milliseconds = 900;  // never travels
    r.SYS_NightTime = At(20, 0, 0);
    EncodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(Valid(s), (Bytes{0x04, 0x68, 0x10, 0xE0, 0x2E}));
    EXPECT_TRUE(s.Session.Changed(ETable::SystemSettings));
    DecodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(r.SYS_DayTime, At(7, 0, 0));

    // A station counting in whole seconds keeps them.
    s.Session.Identity.TimeUnit = 1;
    r.SYS_DayTime = At(7, 0, 5);
    EncodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(Slot(s).Bytes[1], 0x75);
    EXPECT_EQ(Slot(s).Bytes[2], 0x62);
}

TEST(SystemSettingsCodec, RoundTripsBothWays) {
    test::TOfflineSession s("Alder", "23,9");
    s.Session.Identity.TimeUnit = 6;
    // 6:00:00 and 19:21:12; every switch pattern bit by bit.
    const Bytes station{0x5A, 0x10, 0x0E, 0x5C, 0x2D};
    ASSERT_TRUE(Slot(s).Assign(station));
    DecodeSystemSettings(s.Session, *s.Store);
    const TSystemSettings decoded = s.Store->SystemSettings;
    EncodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(Valid(s), station);
    DecodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(s.Store->SystemSettings, decoded);
}

TEST(SystemSettingsCodec, PackBlankAndRefusalOfAnOversizedImage) {
    test::TOfflineSession s;
    const TTableCodec& codec = *SystemSettingsCodec();
    ASSERT_TRUE(Slot(s).Assign(Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}));
    EXPECT_EQ(codec.Pack(s.Session), (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}));

    EXPECT_FALSE(codec.Unpack(s.Session, Bytes(101, 0xEE)));
    EXPECT_EQ(Valid(s), (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}));
    EXPECT_TRUE(codec.Unpack(s.Session, Bytes{0x80, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Valid(s), (Bytes{0x80, 0x00, 0x00, 0x00, 0x00}));

    codec.Blank(s.Session);
    EXPECT_EQ(Slot(s).Length, 0);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->SystemSettings, TSystemSettings{});
}

TEST(SystemSettingsCodec, WindowCommitStoresAndEncodesAtOnce) {
    test::TOfflineSession s;
    std::array<bool, 8> checks{};
    checks[2] = checks[5] = true;
    CommitSystemSettings(s.Session, *s.Store, checks, At(8, 0, 0), At(19, 30, 0));
    EXPECT_EQ(SystemSwitchValues(s.Store->SystemSettings), checks);
    EXPECT_EQ(Valid(s), (Bytes{0x24, 0xC0, 0x12, 0xB4, 0x2D}));
    EXPECT_TRUE(s.Session.Changed(ETable::SystemSettings));
}

TEST(SystemSettingsCodec, DemoSurvivesEncodeAndDecode) {
    test::TOfflineSession s;
    const TTableCodec& codec = *SystemSettingsCodec();
    codec.FillDemo(s.Session, *s.Store);
    const TSystemSettings demo = s.Store->SystemSettings;
    EXPECT_NE(demo.SYS_DayTime, demo.SYS_NightTime);
    codec.Encode(s.Session, *s.Store);
    s.Store->SystemSettings = {};
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->SystemSettings, demo);
}

}  // namespace
}  // namespace zarnik
