#pragma once
// The exchange with the station, frame by frame. Every table read and write is one of the shapes
// below; a codec names its codes and its few variations and never loops over bytes itself.
//
// Reads return the number of data bytes (stored plain, key removed) or -5 when every attempt
// failed. Writes return 1 when acknowledged, -5 after the last attempt. The link check is the
// caller's business (CheckLink), so that multi-frame tables check once.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>

#include "link/comm_port.h"

namespace zarnik {

struct TReadOptions {
    int Attempts = 5;
    bool PurgeAfterRequest = false;  // group phone books purge again after the selector
    int PauseAfterLengthMs = 0;      // the fourteenth system phone needs a breath here
    bool FailOnMissingLength = false;  // answer -6 at once when no length byte comes
};

struct TWriteOptions {
    int Attempts = 5;
    bool FlushFirst = false;          // group phone books' second half
    bool PurgeAfterHeader = false;    // group phone books' second half: purge before the length
    bool PurgeAfterLength = false;    // time and system-wide settings purge before the data
    bool PurgeBeforeAck = false;      // one-byte and sub-table writes purge before the answer
    bool FlushBeforeAck = false;      // the clock command drains before waiting
};

// Optional observer of every frame attempt, for traces and tests.
struct TFrameStats {
    int ReadAttempts = 0;
    int ReadFailures = 0;
    int WriteAttempts = 0;
    int WriteFailures = 0;
};

// Thrown at the start of a frame once the user asked to stop ("Прервать"): a frame is never
// cut in half, so the line stays in step.
class ECancelled : public std::runtime_error {
public:
    ECancelled() : std::runtime_error("cancelled by the user") {}
};

class TFrameEngine {
public:
    static constexpr unsigned kByteWaitMs = 500;
    // The link probe asks for 20 ms, but ReadByteTimeout counts the wait from after its first
    // empty read, which itself waits a whole ReadWaitMs (250 ms): the probe's answer may in
    // truth come up to about 500 ms late. Keep it so. That slack is what lets a station behind
    // a USB-serial adapter pass the probe: the adapter holds the answer byte until its latency
    // timer runs out (16 ms by default on FTDI, and anything up to about 490 ms still passes).
    // A probe that really gave up after 20 ms would find no link through such an adapter.
    static constexpr unsigned kProbeWaitMs = 20;
    static constexpr int kProbePauseMs = 300;

    TFrameEngine(TCommPort& port, const std::uint8_t& key) : Port(port), Key(key) {}

    // One probe: twice purge, send 0x00, expect 0x00 within 20 ms.
    bool Probe();
    // Up to five probes with 300 ms pauses: 1 answered, -1 silent.
    int CheckLink();

    // Read shapes R1 (request = {code}), R2 ({code, index}) and R3 ({0x40, sub-code}).
    // A length byte larger than out is a bad frame: its bytes are still consumed so the
    // exchange stays in step, nothing is stored, and the attempt counts as failed.
    int ReadFrame(std::span<const std::uint8_t> request, std::span<std::uint8_t> out,
                  const TReadOptions& options = {});

    // Write shapes W1 ({code|0x80}), W2 ({code, index}), W3 ({0xC0, sub-code}).
    int WriteFrame(std::span<const std::uint8_t> header, std::span<const std::uint8_t> plain,
                   const TWriteOptions& options = {});

    // Query 0xC0 0x0A with a one-byte parameter; answered like a read frame.
    int Query(std::uint8_t parameter, std::span<std::uint8_t> out, int attempts = 5);

    // Mode command 0x84: true once acknowledged, false after 21 tries.
    bool ModeCommand(std::uint8_t value);

    // Quick-conference frames: the member count travels in front and the member bytes are
    // count x size factor. slotData receives [count, members...]; returns the length byte
    // (0 for an empty conference) or -5. Nothing is stored past slotData.
    int ReadConference(std::uint8_t index, std::uint8_t sizeFactor,
                       std::span<std::uint8_t> slotData, int attempts = 4);
    // lengthByte 0 sends an empty conference; otherwise members holds count x size factor bytes.
    int WriteConference(std::uint8_t index, std::uint8_t lengthByte, std::uint8_t memberCount,
                        std::span<const std::uint8_t> members, int attempts = 5);

    // Clock command 0x85 with four plain clock bytes.
    int ClockCommand(std::span<const std::uint8_t, 4> clock, int attempts = 5);

    // Set by whoever runs the exchange where a user may stop it; null: never stops.
    const std::atomic<bool>* CancelFlag = nullptr;
    // A write stops between tables only (a table half written is worse than one not written):
    // the write sequence turns this off and asks CancelRequested itself.
    bool StopBetweenFrames = true;
    bool CancelRequested() const { return CancelFlag != nullptr && CancelFlag->load(); }

    TFrameStats Stats;
    // Hook for sleeping, so tests of timing can count pauses.
    std::function<void(std::chrono::milliseconds)> Sleep;

private:
    void CheckCancelled() const {
        if (StopBetweenFrames && CancelRequested()) throw ECancelled();
    }
    void Pause(int ms);
    int ReadByte(unsigned ms = kByteWaitMs) { return Port.ReadByteTimeout(ms); }
    // Reads the length, data and checksum of one answer into out; false on any fault.
    bool ReadAnswer(std::span<std::uint8_t> out, int& length, const TReadOptions& options);
    bool AwaitAck(const TWriteOptions& options);
    TCommPort& Port;
    const std::uint8_t& Key;
};

}  // namespace zarnik
