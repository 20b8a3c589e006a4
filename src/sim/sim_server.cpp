#include "sim/sim_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace zarnik::sim {

namespace {

// The one piece of global state: set by the signal handler, read by the serve loop.
volatile std::sig_atomic_t StopRequested = 0;

void OnStopSignal(int /*signal*/) {
    StopRequested = 1;
}

constexpr auto kIdleWait = std::chrono::milliseconds(250);

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// The pty pair and the symlink to its slave. The simulator keeps one slave descriptor open
// itself: when the last one closes the master side reads EIO until a slave opens again.
class TPtyLink {
  public:
    explicit TPtyLink(const std::string& linkPath) : LinkPath(linkPath) {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        if (Master < 0) ThrowErrno("posix_openpt");
        std::array<char, 128> name{};
        if (grantpt(Master) != 0 || unlockpt(Master) != 0 ||
            ptsname_r(Master, name.data(), name.size()) != 0)
            ThrowErrno("pty setup");
        SlavePath = name.data();
        Slave = open(SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Slave < 0) ThrowErrno("open " + SlavePath);
        MakeRaw();
        fcntl(Master, F_SETFD, FD_CLOEXEC);
        if (fcntl(Master, F_SETFL, fcntl(Master, F_GETFL) | O_NONBLOCK) != 0) ThrowErrno("fcntl");
        CreateLink();
    }

    ~TPtyLink() {
        RemoveLink();
        if (Slave >= 0) close(Slave);
        if (Master >= 0) close(Master);
    }

    TPtyLink(const TPtyLink&) = delete;
    TPtyLink& operator=(const TPtyLink&) = delete;

    int MasterFd() const { return Master; }
    const std::string& SlaveDevice() const { return SlavePath; }

  private:
    std::string LinkPath;
    std::string SlavePath;
    int Master = -1;
    int Slave = -1;
    bool Linked = false;

    void MakeRaw() {
        termios t{};
        if (tcgetattr(Slave, &t) != 0) ThrowErrno("tcgetattr");
        cfmakeraw(&t);
        cfsetispeed(&t, B19200);
        cfsetospeed(&t, B19200);
        t.c_cflag |= CSTOPB | CLOCAL | CREAD;
        if (tcsetattr(Slave, TCSANOW, &t) != 0) ThrowErrno("tcsetattr");
    }

    // A link left by an earlier run is replaced; anything that is not a link is kept.
    void CreateLink() {
        struct stat st {};
        if (lstat(LinkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
            throw std::runtime_error(LinkPath + " exists and is not a symbolic link");
        const std::string temp = LinkPath + ".tmp" + std::to_string(getpid());
        unlink(temp.c_str());
        if (symlink(SlavePath.c_str(), temp.c_str()) != 0) ThrowErrno("symlink " + temp);
        if (rename(temp.c_str(), LinkPath.c_str()) != 0) {
            const int saved = errno;
            unlink(temp.c_str());
            errno = saved;
            ThrowErrno("rename " + LinkPath);
        }
        Linked = true;
    }

    // Only our own link is removed: another simulator may have taken the name meanwhile.
    void RemoveLink() {
        if (!Linked) return;
        std::array<char, 256> target{};
        const ssize_t n = readlink(LinkPath.c_str(), target.data(), target.size() - 1);
        if (n > 0 && SlavePath == std::string(target.data(), static_cast<std::size_t>(n)))
            unlink(LinkPath.c_str());
    }
};

// SIGINT and SIGTERM stay blocked except inside ppoll, so a stop request can never slip in
// between the check of the flag and the wait.
class TStopSignals {
  public:
    TStopSignals() {
        StopRequested = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &OldInt);
        sigaction(SIGTERM, &action, &OldTerm);
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        sigprocmask(SIG_BLOCK, &stops, &OldMask);
        WaitMask = OldMask;
        sigdelset(&WaitMask, SIGINT);
        sigdelset(&WaitMask, SIGTERM);
    }
    ~TStopSignals() {
        sigprocmask(SIG_SETMASK, &OldMask, nullptr);
        sigaction(SIGINT, &OldInt, nullptr);
        sigaction(SIGTERM, &OldTerm, nullptr);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    const sigset_t* Wait() const { return &WaitMask; }

  private:
    struct sigaction OldInt {};
    struct sigaction OldTerm {};
    sigset_t OldMask{};
    sigset_t WaitMask{};
};

struct TPending {
    std::uint8_t Byte;
    TSimTime Due;
};

class TServeLoop {
  public:
    TServeLoop(TSimStation& station, const TServerOptions& options, std::unique_ptr<TPtyLink>& link,
               TTraceWriter* trace)
        : Station(station),
          Options(options),
          Link(link),
          Master(link->MasterFd()),
          Trace(trace),
          InWire(options.WireRate),
          OutWire(options.WireRate),
          Adapter(std::chrono::milliseconds(options.AdapterLatencyMs)),
          DropRng(options.Seed ^ 0x9E3779B9U) {}

    void Run(const sigset_t* waitMask) {
        // Answers leave on timed waits. The default timer slack would let each byte leave up
        // to 50 us late, and every answer would end that much after the line allows.
        const int oldSlack = prctl(PR_GET_TIMERSLACK);
        prctl(PR_SET_TIMERSLACK, 1UL);
        while (StopRequested == 0) {
            const TSimTime now = std::chrono::steady_clock::now();
            if (Master < 0) {
                Unplugged(waitMask, now);
                continue;
            }
            DeliverIncoming(now);
            if (Master < 0) continue;
            SendDue(now);
            if (Trace != nullptr) Trace->Flush();
            Wait(waitMask, now);
        }
        if (oldSlack > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(oldSlack));
    }

    const TLineStats& Stats() const { return Line; }

  private:
    TSimStation& Station;
    const TServerOptions& Options;
    std::unique_ptr<TPtyLink>& Link;
    int Master;
    TTraceWriter* Trace;
    TWireSchedule InWire;
    TWireSchedule OutWire;
    TAdapterBuffer Adapter;
    std::deque<TPending> Incoming;
    std::deque<TPending> Outgoing;
    std::mt19937 DropRng;
    TLineStats Line;
    bool PulledOut = false;  // the unplug has happened (it happens once)
    TSimTime PulledAt{};

    bool UnplugDue() const {
        if (PulledOut || !Options.UnplugIn) return false;
        const auto& requests = Station.Stats().Requests;
        const auto it = requests.find(*Options.UnplugIn);
        return it != requests.end() && it->second >= Options.UnplugAt;
    }

    // The cable is pulled: whatever was on its way is lost with it.
    void PullOut(TSimTime now) {
        PulledOut = true;
        PulledAt = now;
        Incoming.clear();
        Outgoing.clear();
        Adapter = TAdapterBuffer(std::chrono::milliseconds(Options.AdapterLatencyMs));
        Link.reset();
        Master = -1;
        Station.LineReset();
        std::cerr << "zarnik-sim: unplugged" << std::endl;
    }

    void Unplugged(const sigset_t* waitMask, TSimTime now) {
        auto wait = std::chrono::nanoseconds(kIdleWait);
        if (Options.ReplugAfterMs >= 0) {
            const TSimTime back = PulledAt + std::chrono::milliseconds(Options.ReplugAfterMs);
            if (now >= back) {
                Link = std::make_unique<TPtyLink>(Options.LinkPath);
                Master = Link->MasterFd();
                std::cerr << "zarnik-sim: plugged in again " << Link->SlaveDevice() << std::endl;
                return;
            }
            wait = std::min(wait, std::chrono::nanoseconds(back - now));
        }
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        ppoll(nullptr, 0, &timeout, waitMask);
    }

    void DeliverIncoming(TSimTime now) {
        while (!Incoming.empty() && Incoming.front().Due <= now) {
            const TPending p = Incoming.front();
            Incoming.pop_front();
            const TSimAnswer answer = Station.Feed(p.Byte, p.Due);
            if (Trace != nullptr) Trace->Byte(true, p.Byte, p.Due, answer.RequestStart);
            if (UnplugDue()) {
                PullOut(now);
                return;
            }
            // Even an unpaced line carries an answer no sooner than one byte time after the
            // byte that asked for it. A master purges its input right after a request; an
            // answer that came back within microseconds would be purged and the frame lost.
            const TSimTime earliest = Options.WireRate ? p.Due : p.Due + kWireByteTime;
            for (const std::uint8_t b : answer.Bytes)
                Outgoing.push_back({b, OutWire.Next(earliest)});
        }
    }

    bool Drop() {
        if (Options.DropProbability <= 0.0) return false;
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        return chance(DropRng) < Options.DropProbability;
    }

    void SendDue(TSimTime now) {
        std::vector<std::uint8_t> batch;
        while (!Outgoing.empty() && Outgoing.front().Due <= now) {
            const std::uint8_t b = Outgoing.front().Byte;
            Outgoing.pop_front();
            const bool lost = Drop();
            if (Trace != nullptr) Trace->Byte(false, b, now, false, lost);
            if (lost)
                ++Line.BytesDropped;
            else
                batch.push_back(b);
        }
        if (Options.AdapterLatencyMs <= 0) {
            WriteAll(batch);
            return;
        }
        Adapter.Add(batch, now);
        WriteAll(Adapter.Take(now));
    }

    // Like a UART whose receiver is not listening: what the master side cannot take is lost.
    void WriteAll(const std::vector<std::uint8_t>& batch) {
        std::size_t done = 0;
        while (done < batch.size()) {
            const ssize_t n = write(Master, batch.data() + done, batch.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            Line.BytesLost += batch.size() - done;
            return;
        }
    }

    std::chrono::nanoseconds TimeToNextEvent(TSimTime now) const {
        std::chrono::nanoseconds wait = kIdleWait;
        if (!Incoming.empty())
            wait = std::min(wait, std::chrono::nanoseconds(Incoming.front().Due - now));
        if (!Outgoing.empty())
            wait = std::min(wait, std::chrono::nanoseconds(Outgoing.front().Due - now));
        if (const auto handOver = Adapter.NextHandOver())
            wait = std::min(wait, std::chrono::nanoseconds(*handOver - now));
        return std::max(wait, std::chrono::nanoseconds(0));
    }

    void Wait(const sigset_t* waitMask, TSimTime now) {
        const auto wait = TimeToNextEvent(now);
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        pollfd fd{Master, POLLIN, 0};
        const int ready = ppoll(&fd, 1, &timeout, waitMask);
        if (ready <= 0) return;  // time-out, or a signal: the loop checks the flag
        if ((fd.revents & POLLIN) != 0) {
            ReadAvailable();
            return;
        }
        // No slave open: should not happen while we hold one, but never spin on it.
        if ((fd.revents & (POLLHUP | POLLERR)) != 0) std::this_thread::sleep_for(kIdleWait);
    }

    void ReadAvailable() {
        std::array<std::uint8_t, 512> buffer{};
        const ssize_t n = read(Master, buffer.data(), buffer.size());
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR) std::this_thread::sleep_for(kIdleWait);
            return;
        }
        const TSimTime arrival = std::chrono::steady_clock::now();
        for (ssize_t i = 0; i < n; ++i)
            Incoming.push_back({buffer[static_cast<std::size_t>(i)], InWire.Next(arrival)});
    }
};

// Written beside the target and renamed, so a reader never sees half a file.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

std::string HexByte(std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

}  // namespace

void TAdapterBuffer::Add(const std::vector<std::uint8_t>& bytes, TSimTime now) {
    if (bytes.empty()) return;
    if (Waiting.empty()) FirstCame = now;
    Waiting.insert(Waiting.end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> TAdapterBuffer::Take(TSimTime now) {
    std::vector<std::uint8_t> out;
    // Full packets go at once; the rest when the timer of its first byte has run out.
    std::size_t whole = Waiting.size() / kAdapterPacketBytes * kAdapterPacketBytes;
    if (!Waiting.empty() && now >= FirstCame + Latency) whole = Waiting.size();
    if (whole == 0) return out;
    out.assign(Waiting.begin(), Waiting.begin() + static_cast<std::ptrdiff_t>(whole));
    Waiting.erase(Waiting.begin(), Waiting.begin() + static_cast<std::ptrdiff_t>(whole));
    // What stays behind waits from now on, as the next packet's first byte.
    if (!Waiting.empty()) FirstCame = now;
    return out;
}

std::optional<TSimTime> TAdapterBuffer::NextHandOver() const {
    if (Waiting.empty()) return std::nullopt;
    return FirstCame + Latency;
}

TSimTime TWireSchedule::Next(TSimTime ready) {
    if (!Paced) return ready;
    Last = std::max(ready, Last) + kWireByteTime;
    return Last;
}

void TTraceWriter::Byte(bool fromMaster, std::uint8_t byte, TSimTime at, bool requestStart,
                        bool lost) {
    if (!LineOpen || LineFromMaster != fromMaster || (fromMaster && requestStart)) {
        if (LineOpen) Out << '\n';
        const double seconds = std::chrono::duration<double>(at - Start).count();
        std::array<char, 32> stamp{};
        std::snprintf(stamp.data(), stamp.size(), "%8.3f", seconds);
        Out << stamp.data() << (fromMaster ? " M>" : " S<");
        LineOpen = true;
        LineFromMaster = fromMaster;
    }
    Out << ' ' << (lost ? "~" : "") << HexByte(byte);
}

void TTraceWriter::Finish() {
    if (LineOpen) Out << '\n';
    LineOpen = false;
    Out.flush();
}

std::string FormatStats(const TSimStats& station, const TLineStats& line) {
    std::ostringstream out;
    for (const auto& [key, count] : station.Requests) {
        out << "request.";
        if (key > 0xFF) out << HexByte(static_cast<std::uint8_t>(key >> 8)) << '.';
        out << HexByte(static_cast<std::uint8_t>(key & 0xFF)) << ' ' << count << '\n';
    }
    out << "writes_accepted " << station.WritesAccepted << '\n'
        << "writes_rejected " << station.WritesRejected << '\n'
        << "acks_refused " << station.AcksRefused << '\n'
        << "checksums_corrupted " << station.ChecksumsCorrupted << '\n'
        << "requests_abandoned " << station.RequestsAbandoned << '\n'
        << "requests_unknown " << station.UnknownRequests << '\n'
        << "bytes_in " << station.BytesIn << '\n'
        << "bytes_out " << station.BytesOut << '\n'
        << "bytes_dropped " << line.BytesDropped << '\n'
        << "bytes_lost " << line.BytesLost << '\n';
    return out.str();
}

int RunServer(TSimStation& station, const TServerOptions& options, std::ostream& ready) {
    std::ofstream traceFile;
    std::unique_ptr<TTraceWriter> trace;
    const TSimTime start = std::chrono::steady_clock::now();
    if (!options.TraceFile.empty()) {
        traceFile.open(options.TraceFile, std::ios::trunc);
        if (!traceFile) {
            std::cerr << "zarnik-sim: cannot write the trace " << options.TraceFile << '\n';
            return 1;
        }
        trace = std::make_unique<TTraceWriter>(traceFile, start);
    }

    TLineStats lineStats;
    try {
        const TStopSignals signals;
        auto link = std::make_unique<TPtyLink>(options.LinkPath);
        ready << "zarnik-sim: ready " << options.LinkPath << " -> " << link->SlaveDevice()
              << std::endl;
        TServeLoop loop(station, options, link, trace.get());
        loop.Run(signals.Wait());
        lineStats = loop.Stats();
    } catch (const std::exception& e) {
        std::cerr << "zarnik-sim: " << e.what() << '\n';
        return 1;
    }
    if (trace) trace->Finish();

    if (!options.StatsFile.empty() &&
        !WriteFileAtomically(options.StatsFile, FormatStats(station.Stats(), lineStats))) {
        std::cerr << "zarnik-sim: cannot write the statistics " << options.StatsFile << '\n';
        return 1;
    }
    return 0;
}

}  // namespace zarnik::sim
