#include "codecs/system_settings_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "codecs/codecs.h"
#include "editors/settings_editing.h"
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
    return {0, static_cast<std::uint16_t>(sec), static_cast<std::uint16_t>(m),
            static_cast<std::uint16_t>(h)};
}

TEST(SystemSettingsCodec, DecodesSwitchBitsAndWrapsTimesIntoTheDay) {
    test::TOfflineSession s;
    ASSERT_TRUE(Slot(s).Assign(Bytes{0x81, 0x68, 0x10, 0xFF, 0xFF}));
    DecodeSystemSettings(s.Session, *s.Store);
    const TSystemSettings& r = s.Store->SystemSettings;
    EXPECT_EQ(SystemSwitchValues(r),
              (std::array<bool, 8>{true, false, false, false, false, false, false, true}));
    EXPECT_EQ(r.SYS_DayTime, At(7, 0, 0));
    EXPECT_EQ(r.SYS_NightTime, At(13, 13, 30));  // 393210 s, modulo one day
}

TEST(SystemSettingsCodec, EncodeDropsWhatIsBelowOneTimeUnitAndRoundTrips) {
    test::TOfflineSession s("Alder", "23,9");
    std::array<bool, 8> checks{};
    checks[2] = true;
    TSwitchTime day = At(7, 0, 5);
    day.Milliseconds = 900;  // never travels
    CommitSystemSettings(s.Session, *s.Store, checks, day, At(20, 0, 0));
    EXPECT_EQ(Valid(s), (Bytes{0x04, 0x68, 0x10, 0xE0, 0x2E}));
    EXPECT_TRUE(s.Session.Changed(ETable::SystemSettings));
    DecodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(s.Store->SystemSettings.SYS_DayTime, At(7, 0, 0));

    const Bytes station{0x5A, 0x10, 0x0E, 0x5C, 0x2D};  // 06:00:00, 19:21:12
    ASSERT_TRUE(Slot(s).Assign(station));
    DecodeSystemSettings(s.Session, *s.Store);
    EncodeSystemSettings(s.Session, *s.Store);
    EXPECT_EQ(Valid(s), station);
}

TEST(SystemSettingsCodec, ImageTravelsAsItStandsAndAnOversizedOneIsRefused) {
    test::TOfflineSession s;
    const TTableCodec& codec = *SystemSettingsCodec();
    const Bytes image{0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    ASSERT_TRUE(codec.Unpack(s.Session, image));
    EXPECT_EQ(codec.Pack(s.Session), image);
    EXPECT_FALSE(codec.Unpack(s.Session, Bytes(101, 0xEE)));
    EXPECT_EQ(Valid(s), image);

    codec.Blank(s.Session);
    EXPECT_EQ(Slot(s).Length, 0);
    codec.Decode(s.Session, *s.Store);
    EXPECT_EQ(s.Store->SystemSettings, TSystemSettings{});
}

}  // namespace
}  // namespace zarnik
