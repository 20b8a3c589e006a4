#include "codecs/flash_codec.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "codecs/black_white_list_codec.h"
#include "support/offline_session.h"

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

// The station side of a pseudo-terminal: probes get 0x00, a sub-table request 0x40 s gets the
// answer the test gives for (sub-code, how many times it was asked).
class TSubTableStation {
  public:
    using TAnswer = std::function<Bytes(int subCode, int attempt)>;
    explicit TSubTableStation(TAnswer answer) : Answer(std::move(answer)) {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(Master);
        unlockpt(Master);
        Path = ptsname(Master);
        Slave = ::open(Path.c_str(), O_RDWR | O_NOCTTY);  // keeps the line up
        termios t{};
        tcgetattr(Master, &t);
        cfmakeraw(&t);
        tcsetattr(Master, TCSANOW, &t);
        Runner = std::thread([this] { Run(); });
    }
    ~TSubTableStation() {
        Done = true;
        Runner.join();
        ::close(Slave);
        ::close(Master);
    }
    std::string Path;
    std::map<int, int> Asked;  // read after the codec returned

  private:
    int Next() {
        while (!Done) {
            pollfd p{Master, POLLIN, 0};
            std::uint8_t b = 0;
            if (poll(&p, 1, 5) > 0 && ::read(Master, &b, 1) == 1) return b;
        }
        return -1;
    }
    void Run() {
        for (int b = Next(); b >= 0; b = Next()) {
            Bytes out{0x00};
            if (b == 0x40) {
                const int subCode = Next();
                out = Answer(subCode, ++Asked[subCode]);
            }
            (void)!::write(Master, out.data(), out.size());
        }
    }
    TAnswer Answer;
    int Master = -1, Slave = -1;
    std::atomic<bool> Done = false;
    std::thread Runner;
};

constexpr std::uint8_t kKey = 0x5A;

Bytes Frame(Bytes plain, std::uint8_t sumOffset = 0) {
    std::uint8_t sum = sumOffset;
    for (auto& b : plain) sum = static_cast<std::uint8_t>(sum + (b ^= kKey));
    plain.insert(plain.begin(), static_cast<std::uint8_t>(plain.size()));
    plain.push_back(sum);
    return plain;
}

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
