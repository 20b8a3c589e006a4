#pragma once
// The serve loop of zarnik-sim: a pseudo-terminal pair whose slave end is reachable through a
// symlink, wire pacing, byte trace, dropped bytes and the statistics written on exit.

#include <cstdint>
#include <iosfwd>
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
