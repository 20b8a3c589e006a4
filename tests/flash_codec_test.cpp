#include "codecs/flash_codec.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "codecs/black_white_list_codec.h"
#include "support/offline_session.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::TOfflineSession;

TRawSlot& Slot(TOfflineSession& s) {
    return s.Session.Area(ETable::Flash).Slots[0];
}

TEST(FlashCodec, OpaqueBlockTravelsThroughFilesUnchanged) {
    TOfflineSession from;
    const TTableCodec* codec = FlashCodec();
    Bytes block(254);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(255 - i);
    Slot(from).Assign(block);
    EXPECT_EQ(codec->Decode(from.Session, *from.Store), 1);  // nothing to decode
    const Bytes record = codec->Pack(from.Session);
    EXPECT_EQ(record, block);

    TOfflineSession to("Birch", "30,8");
    ASSERT_TRUE(codec->Unpack(to.Session, record));
    EXPECT_EQ(Bytes(Slot(to).Valid().begin(), Slot(to).Valid().end()), block);
}

TEST(FlashCodec, OversizedRecordIsRefusedAndBlankEmpties) {
    TOfflineSession s;
    const TTableCodec* codec = FlashCodec();
    FillFlashDemo(s.Session);
    const Bytes demo = DemoFlashImage();
    ASSERT_FALSE(demo.empty());
    EXPECT_FALSE(codec->Unpack(s.Session, Bytes(255, 0x11)));
    EXPECT_EQ(Bytes(Slot(s).Valid().begin(), Slot(s).Valid().end()), demo);
    codec->Blank(s.Session);
    EXPECT_EQ(Slot(s).Length, 0);
    EXPECT_EQ(Slot(s).Bytes, Bytes(254, 0));
}

constexpr std::uint8_t kKey = 0x5A;

Bytes Frame(Bytes plain, std::uint8_t sumOffset = 0) {
    return test::KeyedFrame(std::move(plain), kKey, sumOffset);
}

// Sub-table requests 0x40 s get the answer the test gives for (sub-code, attempt).
struct TSubTableStation : test::TRequestStation {
    explicit TSubTableStation(TAnswer answer) : TRequestStation(0x40, std::move(answer)) {}
};

TEST(FlashCodecLink, FrameLongerThanTheBlockIsRetriedNeverStored) {
    TOfflineSession s;
    s.Session.Key = kKey;
    s.Session.Identity.SubscriberLineCount = 8;
    const Bytes good = DemoFlashImage();
    TSubTableStation station([&](int, int attempt) {
        return attempt == 1 ? Frame(Bytes(255, 0xEE)) : Frame(good);  // 255 > 254: bad frame
    });
    s.Session.Port.Open(station.Path);
    EXPECT_EQ(ReadFlashTable(s.Session), 0);
    EXPECT_EQ(Bytes(Slot(s).Valid().begin(), Slot(s).Valid().end()), good);
    EXPECT_EQ(station.Asked, (std::map<int, int>{{kFlashSubCode, 2}}));
}

TEST(BlackWhiteListCodecLink, FourBadAttemptsLeaveAnEmptyBlock) {
    TOfflineSession s;
    s.Session.Key = kKey;
    TRawSlot& slot = s.Session.Area(ETable::BlackWhiteLists).Slots[0];
    slot.Assign(Bytes{0x12, 0x00});
    TSubTableStation station([](int, int) { return Frame(Bytes(60, 0), 1); });
    s.Session.Port.Open(station.Path);
    EXPECT_EQ(ReadBwTable(s.Session), -5);
    EXPECT_EQ(slot.Length, 0);
    EXPECT_EQ(slot.Bytes[0], 0);
    EXPECT_EQ(station.Asked, (std::map<int, int>{{kBwListSubCode, 4}}));
}

}  // namespace
}  // namespace zarnik
