#pragma once
// Byte traces of the station link, for support: every byte that went to or came from the
// station, timestamped, in hex.
//
// The format (shared with the simulated station's trace): one line per frame, a timestamp in
// seconds since the trace began ("%8.3f"), the direction ("M>" from the master, that is this
// program, "S<" from the station), then the bytes in hex, each after one space. A byte lost on
// the wire is written as ~XX.
//
//      0.012 M> 00
//      0.014 S< 00
//      0.315 M> 01
//      0.318 S< 1E 3A ...

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iosfwd>
#include <mutex>
#include <span>
#include <sstream>
#include <string>

namespace zarnik {

// Formats the trace lines onto a stream. The caller says where a request starts when it knows
// (the simulator parses the requests); otherwise a line ends when the direction changes.
class TTraceLineWriter {
  public:
    using TTime = std::chrono::steady_clock::time_point;
    TTraceLineWriter(std::ostream& out, TTime start) : Out(out), Start(start) {}
    ~TTraceLineWriter() { Finish(); }
    TTraceLineWriter(const TTraceLineWriter&) = delete;
    TTraceLineWriter& operator=(const TTraceLineWriter&) = delete;

    void Byte(bool fromMaster, std::uint8_t byte, TTime at, bool requestStart, bool lost = false);
    void Flush() { Out.flush(); }
    // Ends the open line.
    void Finish();
    // Forgets the open line without ending it (its start was dropped from the file).
    void Forget() { LineOpen = false; }

  private:
    std::ostream& Out;
    TTime Start;
    bool LineOpen = false;
    bool LineFromMaster = false;
};

// The program's trace file. It never holds more than Limit bytes: when the next piece of text
// would take the file past the limit, the older part is dropped and only the newest Limit / 2
// bytes are kept, starting at a whole line; the trace goes on after them. A trace that cannot
// be written stops quietly: it must never disturb the exchange it records.
//
// The port cannot see where a frame starts, so a line ends when the direction changes, and a
// master byte after a pause of more than kNewRequestGap starts a new line (a retry after a
// silent station, the next frame of a sequence). Safe to share between threads.
class TByteTrace {
  public:
    static constexpr std::uintmax_t kDefaultLimit = 10 * 1024 * 1024;
    static constexpr std::uintmax_t kSmallestLimit = 4096;
    static constexpr std::chrono::milliseconds kNewRequestGap{100};

    // Starts a new trace at path (an existing file is replaced). A limit below kSmallestLimit
    // is raised to it, so that a rotation always keeps whole lines.
    explicit TByteTrace(std::string path, std::uintmax_t limit = kDefaultLimit);
    ~TByteTrace();
    TByteTrace(const TByteTrace&) = delete;
    TByteTrace& operator=(const TByteTrace&) = delete;

    // false when the file could not be created or a write to it failed.
    bool Good() const;
    const std::string& Path() const { return FilePath; }
    std::uintmax_t Limit() const { return SizeLimit; }

    void Sent(std::uint8_t b);
    void Received(std::span<const std::uint8_t> bytes);
    // Ends the open line and pushes everything to the file.
    void Flush();

  private:
    using TTime = TTraceLineWriter::TTime;
    mutable std::mutex Lock;
    std::string FilePath;
    std::uintmax_t SizeLimit;
    std::ofstream File;
    bool Failed = false;
    std::uintmax_t Written = 0;  // bytes in the file, including what the stream still buffers
    std::ostringstream Text;     // the formatter's output, moved to the file piece by piece
    TTraceLineWriter Lines;
    TTime LastSent{};
    bool AnySent = false;

    void Append();
    bool KeepNewestHalf();
    void DropBrokenLine(std::string& piece);
};

}  // namespace zarnik
