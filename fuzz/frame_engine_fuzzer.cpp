// The frame engine reading answers from a line whose every byte comes from the input.
//
// Input: up to eight operations, each a four-byte header (the key, what to do, a size, a
// parameter) and then whatever the operation reads from the line, all from the one stream.
// When the input runs out the line falls silent; a silent read returns at once, so an
// operation that would wait forever on a silent line shows as a run that never ends and is
// stopped here.
//
// Checks, besides the sanitizers: a read never answers more bytes than its buffer holds, and a
// failed read leaves its buffer zeroed.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "link/comm_port.h"
#include "link/frame_engine.h"

namespace {

using namespace zarnik;

// More silent reads than any operation may make before it gives up.
constexpr std::size_t kSilentReadLimit = 100000;
constexpr std::size_t kWriteLimit = 1000000;

// A line that delivers the input's bytes and then silence, and swallows what is sent.
class TFuzzLine : public TCommPort {
  public:
    TFuzzLine(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
    void WriteByte(std::uint8_t) override {
        if (++Writes > kWriteLimit) fuzz::Fail("an exchange that never stops sending");
    }
    int ReadByteTimeout(unsigned) override {
        if (Pos < Size) return Data[Pos++];
        if (++SilentReads > kSilentReadLimit)
            fuzz::Fail("an exchange that never ends on a silent line");
        return -1;
    }
    void PurgeInput() override {}
    void Flush() override {}
    std::uint8_t Next() { return Pos < Size ? Data[Pos++] : 0; }
    bool Exhausted() const { return Pos >= Size; }

  private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Pos = 0;
    std::size_t Writes = 0;
    std::size_t SilentReads = 0;
};

bool AllZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

void CheckRead(int n, std::span<const std::uint8_t> out) {
    if (n > static_cast<int>(out.size())) fuzz::Fail("a read answered more than its buffer holds");
    if (n < 0 && !AllZero(out)) fuzz::Fail("a failed read left bytes in its buffer");
}

void RunOne(TFuzzLine& line, TFrameEngine& engine) {
    const std::uint8_t what = line.Next();
    const std::uint8_t size = line.Next();
    const std::uint8_t extra = line.Next();
    // Exactly the buffer's size, so that a byte stored past it is caught.
    std::vector<std::uint8_t> out(size);
    switch (what % 9) {
        case 0: {
            TReadOptions options;
            options.Attempts = 1 + extra % 5;
            options.PurgeAfterRequest = (extra & 0x10) != 0;
            options.FailOnMissingLength = (extra & 0x20) != 0;
            const std::array<std::uint8_t, 2> request{0x0B, extra};
            CheckRead(engine.ReadFrame(request, out, options), out);
            break;
        }
        case 1:
            CheckRead(engine.Query(extra, out, 1 + extra % 5), out);
            break;
        case 2: {
            const int n = engine.ReadConference(extra, static_cast<std::uint8_t>(what >> 4), out,
                                                1 + extra % 4);
            if (n < 0 && !AllZero(out)) fuzz::Fail("a failed conference read left bytes");
            break;
        }
        case 3: {
            std::vector<std::uint8_t> plain(extra, 0x5A);
            const std::array<std::uint8_t, 2> header{0x8B, size};
            TWriteOptions options;
            options.Attempts = 1 + what % 5;
            engine.WriteFrame(header, plain, options);
            break;
        }
        case 4:
            engine.ModeCommand(extra);
            break;
        case 5: {
            const std::uint8_t factor = static_cast<std::uint8_t>(1 + what % 3);
            const std::uint8_t count = static_cast<std::uint8_t>(extra % 16);
            std::vector<std::uint8_t> members(std::size_t{count} * factor, 0x21);
            engine.WriteConference(size,
                                   count == 0 ? 0 : static_cast<std::uint8_t>(members.size() + 1),
                                   count, members, 1 + extra % 5);
            break;
        }
        case 6: {
            const std::array<std::uint8_t, 4> clock{size, extra, 1, 2};
            engine.ClockCommand(clock, 1 + extra % 5);
            break;
        }
        case 7:
            engine.CheckLink();
            break;
        default:
            engine.Probe();
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzLine line(data, size);
    std::uint8_t key = 0;
    TFrameEngine engine(line, key);
    engine.Sleep = [](std::chrono::milliseconds) {};  // the line's time is the input's
    for (int op = 0; op < 8 && !line.Exhausted(); ++op) {
        key = line.Next();
        RunOne(line, engine);
    }
    return 0;
}
