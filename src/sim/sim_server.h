#pragma once
// The serve loop of zarnik-sim: a pseudo-terminal pair whose slave end is reachable through a
// symlink, wire pacing, byte trace, dropped bytes and the statistics written on exit.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <vector>
#include <random>
#include <string>

#include "sim/sim_station.h"

namespace zarnik::sim {

struct TServerOptions {
    std::string LinkPath;
    // Pace both directions as a 19200 baud line would. Unpaced, bytes go at once, but an
    // answer still starts one byte time after the request, as it would on any line.
    bool WireRate = false;
    std::string TraceFile;         // empty: no trace
    std::string StatsFile;         // empty: no statistics
    double DropProbability = 0.0;  // each outgoing byte is lost with this probability
    std::uint32_t Seed = 1;
    // A USB-serial adapter's receive path in front of the computer: answer bytes are handed
    // over when kAdapterPacketBytes have gathered or this many ms after the first of them
    // came; 0: no adapter.
    int AdapterLatencyMs = 0;
    // The cable pulled out: when the UnplugAt-th request of this key (as TSimStats::Requests
    // counts them) begins, the line goes away at once: the pty is closed and the link removed,
    // so the program's side fails as it does with a USB adapter pulled out. With
    // ReplugAfterMs >= 0 a new pty appears under the same link that many ms later.
    std::optional<std::uint16_t> UnplugIn;
    int UnplugAt = 1;
    int ReplugAfterMs = -1;
};

// What an FTDI-style adapter gathers before it hands bytes over without waiting for its timer.
inline constexpr std::size_t kAdapterPacketBytes = 62;

// The adapter's receive path as a pure schedule: bytes come in with their time, go out in
// packets. Tests drive it without a pty.
class TAdapterBuffer {
  public:
    explicit TAdapterBuffer(std::chrono::milliseconds latency) : Latency(latency) {}
    void Add(const std::vector<std::uint8_t>& bytes, TSimTime now);
    // The bytes to hand over at `now` (possibly none).
    std::vector<std::uint8_t> Take(TSimTime now);
    // When Take next has something to give, if anything waits.
    std::optional<TSimTime> NextHandOver() const;

  private:
    std::chrono::milliseconds Latency;
    std::vector<std::uint8_t> Waiting;
    TSimTime FirstCame{};
};

// What the line itself did, beside what the station counted.
struct TLineStats {
    std::uint64_t BytesDropped = 0;  // lost on purpose (TServerOptions::DropProbability)
    std::uint64_t BytesLost = 0;     // the master side did not take them (its buffer was full)
};

// 19200 baud, start bit, 8 data bits, two stop bits: 11 bit times per byte.
inline constexpr std::chrono::nanoseconds kWireByteTime{1'000'000'000LL * 11 / 19200};

// Absolute-time schedule of one direction: each byte is due one byte time after the later of
// its own arrival and the previous byte, so rounding never accumulates.
class TWireSchedule {
  public:
    explicit TWireSchedule(bool paced) : Paced(paced) {}
    TSimTime Next(TSimTime ready);

  private:
    bool Paced;
    TSimTime Last{};
};

// One line per frame: a timestamp in seconds, the direction ("M>" from the master, "S<" from
// the station), then the bytes in hex. A byte lost on the wire is written as ~XX.
class TTraceWriter {
  public:
    TTraceWriter(std::ostream& out, TSimTime start) : Out(out), Start(start) {}
    ~TTraceWriter() { Finish(); }
    TTraceWriter(const TTraceWriter&) = delete;
    TTraceWriter& operator=(const TTraceWriter&) = delete;

    void Byte(bool fromMaster, std::uint8_t byte, TSimTime at, bool requestStart,
              bool lost = false);
    void Flush() { Out.flush(); }  // so the trace can be watched while it grows
    void Finish();

  private:
    std::ostream& Out;
    TSimTime Start;
    bool LineOpen = false;
    bool LineFromMaster = false;
};

// "key value" lines: requests per code, writes, refusals, bytes.
std::string FormatStats(const TSimStats& station, const TLineStats& line);

// Creates the pty and the link, prints the ready line to `ready`, serves until SIGINT or
// SIGTERM, then removes the link. Returns the process exit code.
int RunServer(TSimStation& station, const TServerOptions& options, std::ostream& ready);

}  // namespace zarnik::sim
