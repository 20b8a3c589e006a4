#include "link/frame_engine.h"

#include <algorithm>
#include <thread>

namespace zarnik {

void TFrameEngine::Pause(int ms) {
    const auto d = std::chrono::milliseconds(ms);
    if (Sleep) {
        Sleep(d);
        return;
    }
    std::this_thread::sleep_for(d);
}

bool TFrameEngine::Probe() {
    CheckCancelled();
    for (int i = 0; i < 2; ++i) {
        Port.PurgeInput();
        Port.WriteByte(0x00);
        if (Port.ReadByteTimeout(kProbeWaitMs) != 0x00) return false;
    }
    return true;
}

int TFrameEngine::CheckLink() {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) Pause(kProbePauseMs);
        if (Probe()) return 1;
    }
    return -1;
}

bool TFrameEngine::ReadAnswer(std::span<std::uint8_t> out, int& length,
                              const TReadOptions& options) {
    const int n = ReadByte();
    length = n;
    if (n < 0) return false;
    if (options.PauseAfterLengthMs > 0) Pause(options.PauseAfterLengthMs);
    const bool fits = static_cast<std::size_t>(n) <= out.size();
    unsigned sum = 0;
    for (int i = 0; i < n; ++i) {
        const int b = ReadByte();
        if (b < 0) return false;
        sum += static_cast<unsigned>(b);
        if (fits) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(b);
    }
    const int checksum = ReadByte();
    if (checksum < 0) return false;
    // An oversized frame was consumed whole to stay in step, but it is never accepted.
    return fits && static_cast<std::uint8_t>(checksum) == static_cast<std::uint8_t>(sum);
}

int TFrameEngine::ReadFrame(std::span<const std::uint8_t> request, std::span<std::uint8_t> out,
                            const TReadOptions& options) {
    CheckCancelled();
    std::fill(out.begin(), out.end(), 0);
    for (int attempt = 0; attempt < options.Attempts; ++attempt) {
        ++Stats.ReadAttempts;
        Port.PurgeInput();
        for (std::uint8_t b : request) Port.WriteByte(b);
        if (options.PurgeAfterRequest) Port.PurgeInput();
        int n = 0;
        if (ReadAnswer(out, n, options)) {
            for (int i = 0; i < n; ++i) out[static_cast<std::size_t>(i)] ^= Key;
            return n;
        }
        ++Stats.ReadFailures;
        std::fill(out.begin(), out.end(), 0);
        if (n < 0 && options.FailOnMissingLength) return -6;
    }
    return -5;
}

bool TFrameEngine::AwaitAck(const TWriteOptions& options) {
    if (options.PurgeBeforeAck) Port.PurgeInput();
    if (options.FlushBeforeAck) Port.Flush();
    return ReadByte() == 0x00;
}

int TFrameEngine::WriteFrame(std::span<const std::uint8_t> header,
                             std::span<const std::uint8_t> plain, const TWriteOptions& options) {
    CheckCancelled();
    if (plain.size() > 255) return -5;  // no length byte can announce it
    for (int attempt = 0; attempt < options.Attempts; ++attempt) {
        ++Stats.WriteAttempts;
        if (options.FlushFirst)
            Port.Flush();
        else
            Port.PurgeInput();
        for (std::uint8_t b : header) Port.WriteByte(b);
        if (options.PurgeAfterHeader) Port.PurgeInput();
        Port.WriteByte(static_cast<std::uint8_t>(plain.size()));
        if (options.PurgeAfterLength) Port.PurgeInput();
        unsigned sum = 0;
        for (std::uint8_t b : plain) {
            const std::uint8_t keyed = b ^ Key;
            sum += keyed;
            Port.WriteByte(keyed);
        }
        Port.WriteByte(static_cast<std::uint8_t>(sum));
        if (AwaitAck(options)) return 1;
        ++Stats.WriteFailures;
    }
    return -5;
}

int TFrameEngine::Query(std::uint8_t parameter, std::span<std::uint8_t> out, int attempts) {
    CheckCancelled();
    std::fill(out.begin(), out.end(), 0);
    const std::uint8_t keyed = parameter ^ Key;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        ++Stats.ReadAttempts;
        Port.PurgeInput();
        for (std::uint8_t b : {std::uint8_t{0xC0}, std::uint8_t{0x0A}, std::uint8_t{0x01}, keyed,
                               keyed})
            Port.WriteByte(b);
        int n = 0;
        if (ReadAnswer(out, n, {})) {
            for (int i = 0; i < n; ++i) out[static_cast<std::size_t>(i)] ^= Key;
            return n;
        }
        ++Stats.ReadFailures;
        std::fill(out.begin(), out.end(), 0);
    }
    return -5;
}

bool TFrameEngine::ModeCommand(std::uint8_t value) {
    CheckCancelled();
    Port.Flush();
    for (int attempt = 0; attempt < 21; ++attempt) {
        Port.WriteByte(0x84);
        if (value == 0) {
            Port.WriteByte(0x00);
        } else {
            Port.WriteByte(0x01);
            Port.WriteByte(value ^ Key);
        }
        Port.WriteByte(value);
        if (ReadByte() == 0x00) return true;
    }
    return false;
}

int TFrameEngine::ReadConference(std::uint8_t index, std::uint8_t sizeFactor,
                                 std::span<std::uint8_t> slotData, int attempts) {
    CheckCancelled();
    std::fill(slotData.begin(), slotData.end(), 0);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        ++Stats.ReadAttempts;
        Port.PurgeInput();
        Port.WriteByte(0x64);
        Port.WriteByte(index);
        const int length = ReadByte();
        bool ok = length >= 0;
        unsigned sum = 0;
        if (ok && length != 0) {
            const int count = ReadByte();
            ok = count >= 0;
            if (ok) {
                sum = static_cast<unsigned>(count);
                const std::uint8_t plainCount = static_cast<std::uint8_t>(count) ^ Key;
                const std::size_t members = std::size_t{plainCount} * sizeFactor;
                const bool fits = !slotData.empty() && members + 1 <= slotData.size();
                if (fits) slotData[0] = plainCount;
                for (std::size_t i = 0; ok && i < members; ++i) {
                    const int b = ReadByte();
                    ok = b >= 0;
                    if (!ok) break;
                    sum += static_cast<unsigned>(b);
                    if (fits) slotData[i + 1] = static_cast<std::uint8_t>(b) ^ Key;
                }
                ok = ok && fits;
            }
        }
        if (ok) {
            const int checksum = ReadByte();
            if (checksum >= 0 && static_cast<std::uint8_t>(checksum) == static_cast<std::uint8_t>(sum))
                return length;
        }
        ++Stats.ReadFailures;
        std::fill(slotData.begin(), slotData.end(), 0);
    }
    return -5;
}

int TFrameEngine::WriteConference(std::uint8_t index, std::uint8_t lengthByte,
                                  std::uint8_t memberCount, std::span<const std::uint8_t> members,
                                  int attempts) {
    CheckCancelled();
    for (int attempt = 0; attempt < attempts; ++attempt) {
        ++Stats.WriteAttempts;
        Port.PurgeInput();
        Port.WriteByte(0xE4);
        Port.WriteByte(index);
        Port.WriteByte(lengthByte);
        unsigned sum = 0;
        if (lengthByte != 0) {
            const std::uint8_t keyedCount = memberCount ^ Key;
            sum += keyedCount;
            Port.WriteByte(keyedCount);
            for (std::uint8_t b : members) {
                const std::uint8_t keyed = b ^ Key;
                sum += keyed;
                Port.WriteByte(keyed);
            }
        }
        Port.WriteByte(static_cast<std::uint8_t>(sum));
        // The station answers 1 and two bytes that must agree; any other byte is acceptance.
        // Silence is not: a station that took nothing says nothing.
        const int answer = ReadByte();
        if (answer < 0) {
            ++Stats.WriteFailures;
            continue;
        }
        if (answer != 1) return 1;
        const int a = ReadByte();
        const int b = ReadByte();
        if (a == b) return 1;
        ++Stats.WriteFailures;
    }
    return -5;
}

int TFrameEngine::ClockCommand(std::span<const std::uint8_t, 4> clock, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        ++Stats.WriteAttempts;
        Port.PurgeInput();
        Port.WriteByte(0x85);
        Port.WriteByte(0x04);
        unsigned sum = 0;
        for (std::uint8_t b : clock) {
            const std::uint8_t keyed = b ^ Key;
            sum += keyed;
            Port.WriteByte(keyed);
        }
        Port.WriteByte(static_cast<std::uint8_t>(sum));
        Port.Flush();
        if (ReadByte() == 0x00) return 1;
        ++Stats.WriteFailures;
    }
    return -5;
}

}  // namespace zarnik
