#include <fcntl.h>
#ifdef __linux__
#include <linux/serial.h>
#endif
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>

#include "link/byte_trace.h"
#include "link/comm_port.h"
#include "link/comm_port_detail.h"

// The half of TCommPort that talks to a POSIX serial device: termios for the line, poll() for
// the waits.

namespace zarnik {

using namespace comm_detail;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

int FdOf(std::intptr_t handle) { return static_cast<int>(handle); }

[[noreturn]] void Raise(std::uint8_t code, int err) {
    comm_detail::Raise(code, static_cast<std::uint32_t>(err));
}

struct TSpeed {
    int Baud;
    speed_t Code;
};

constexpr TSpeed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},
#ifdef B460800
    {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
};

std::optional<speed_t> SpeedFor(int baud) {
    for (const TSpeed& s : kSpeeds) {
        if (s.Baud == baud) return s.Code;
    }
    return std::nullopt;
}

std::optional<tcflag_t> SizeFlags(std::uint8_t bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return std::nullopt;
    }
}

// 0 none, 1 odd, 2 even, 3 mark, 4 space.
std::optional<tcflag_t> ParityFlags(std::uint8_t parity) {
    switch (parity) {
        case 0:
            return tcflag_t{0};
        case 1:
            return tcflag_t{PARENB | PARODD};
        case 2:
            return tcflag_t{PARENB};
#ifdef CMSPAR
        case 3:
            return tcflag_t{PARENB | PARODD | CMSPAR};
        case 4:
            return tcflag_t{PARENB | CMSPAR};
#endif
        default:
            return std::nullopt;
    }
}

// A UART gives one and a half stop bits only with 5 data bits, where it is what CSTOPB means.
std::optional<tcflag_t> StopFlags(std::uint8_t stopBits, std::uint8_t byteSize) {
    switch (stopBits) {
        case 0:
            return tcflag_t{0};
        case 1:
            if (byteSize != 5) return std::nullopt;
            return tcflag_t{CSTOPB};
        case 2:
            return tcflag_t{CSTOPB};
        default:
            return std::nullopt;
    }
}

#ifdef CMSPAR
constexpr tcflag_t kParityMask = PARENB | PARODD | CMSPAR;
#else
constexpr tcflag_t kParityMask = PARENB | PARODD;
#endif
constexpr tcflag_t kLineMask = CSIZE | CSTOPB | kParityMask;

// Fills the four line values into t; false when the device cannot express one of them.
bool PutLine(termios& t, int baud, std::uint8_t size, std::uint8_t parity, std::uint8_t stop) {
    const auto speed = SpeedFor(baud);
    const auto sizeFlags = SizeFlags(size);
    const auto parityFlags = ParityFlags(parity);
    const auto stopFlags = StopFlags(stop, size);
    if (!speed || !sizeFlags || !parityFlags || !stopFlags) return false;
    if (cfsetospeed(&t, *speed) != 0 || cfsetispeed(&t, *speed) != 0) return false;
    t.c_cflag = (t.c_cflag & ~kLineMask) | *sizeFlags | *parityFlags | *stopFlags;
    return true;
}

// tcsetattr succeeds when any part of the request took, so what the driver holds is compared.
bool LineTook(const termios& wanted, const termios& got) {
    if (cfgetospeed(&got) != cfgetospeed(&wanted)) return false;
    const speed_t in = cfgetispeed(&got);
    if (in != 0 && in != cfgetispeed(&wanted)) return false;
    return (got.c_cflag & kLineMask) == (wanted.c_cflag & kLineMask);
}

// Sets t on fd and checks it took; returns 0 or the errno, leaving the old state on failure.
int SetLine(int fd, const termios& t, const termios& previous) {
    if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;
    termios got{};
    if (tcgetattr(fd, &got) != 0) return errno;
    if (LineTook(t, got)) return 0;
    tcsetattr(fd, TCSANOW, &previous);
    return EINVAL;
}

// The binary link needs every byte as it is: no echo, no translation, no flow control.
void MakeRaw(termios& t) {
    cfmakeraw(&t);
    t.c_iflag &= ~(IXOFF | IXANY);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~CRTSCTS;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

// Opens the device for exclusive use by this program; -1 with errno set when it cannot be had.
// The lock also keeps out a second port object of this process, which TIOCEXCL does not.
int OpenDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

// The errors with which a tty says its device is no longer there: a USB adapter pulled out
// fails reads and writes with EIO (ENXIO or ENODEV on some drivers), as a pseudo-terminal
// whose other side closed does.
bool MeansGone(int err) { return err == EIO || err == ENXIO || err == ENODEV; }

// Asks the driver to hand received bytes over at once. A USB-serial adapter otherwise keeps
// them until 62 have gathered or its latency timer (16 ms on FTDI) runs out, and every
// request/answer turnaround of the link can lose that long; with the flag the Linux driver
// drops the timer to 1 ms. Drivers without the request (a pseudo-terminal, CDC-ACM) refuse
// it, which changes nothing.
void AskLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);
#else
    (void)fd;
#endif
}

[[noreturn]] void CloseAndRaise(int fd, std::uint8_t code, int err) {
    ioctl(fd, TIOCNXCL);
    ::close(fd);
    Raise(code, static_cast<std::uint32_t>(err));
}

int MsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<milliseconds>(left).count());
}

// Waits for fd to become ready for events until the deadline. Returns the poll events, 0 on
// time-out; raises code on failure.
short WaitReady(int fd, short events, Clock::time_point deadline, std::uint8_t code) {
    if (fd < 0) Raise(code, EBADF);
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = poll(&p, 1, MsUntil(deadline));
        if (r > 0) {
            if (p.revents & POLLNVAL) Raise(code, EBADF);
            return p.revents;
        }
        if (r == 0) return 0;
        if (errno != EINTR) Raise(code, errno);
    }
}

}  // namespace

std::string comm_detail::SystemErrorText(std::uint32_t err) {
    return std::generic_category().message(static_cast<int>(err));
}

std::string PortOpenReason(const ECommError& e) {
    // Only the steps of an open say anything about the device itself.
    if (e.Code != kErrOpen && e.Code != kErrGetLine && e.Code != kErrSetLine) return "";
    switch (static_cast<int>(e.LastError)) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return "нет такого устройства";
        case EBUSY:
        case EWOULDBLOCK:
            return "порт занят другой программой";
        case EACCES:
        case EPERM:
        case EROFS:
            return "нет прав доступа";
        case ENOTTY:
        case EISDIR:
        case EINVAL:
            return "это не последовательный порт";
        default:
            return "";
    }
}

std::string ResolvePortName(const std::string& name) {
    if (!name.empty() && name.front() == '/') return name;
    const auto n = ComNumber(name);
    if (!n) return name;
    const char* dir = std::getenv("ZARNIK_SERIAL_DIR");
    if (dir == nullptr || *dir == '\0') return "/dev/ttyS" + std::to_string(*n - 1);
    std::string path = dir;
    if (path.back() != '/') path += '/';
    return path + "COM" + std::to_string(*n);
}

void TCommPort::Open(const std::string& name) {
    if (OpenFlag) return;
    Name = name;
    BaudRate = kLinkBaud;
    ByteSize = kLinkByteSize;
    Parity = kLinkParity;
    StopBits = kLinkStopBits;

    const std::string path = ResolvePortName(name);
    // Messages name the device itself: /dev/ttyUSB0 rather than the long by-id link to it.
    char real[PATH_MAX];
    Device = ::realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
    GoneFlag = false;
    const int fd = OpenDevice(path);
    if (fd < 0) Raise(kErrOpen, errno);
    // Keeps other programs out; without the privilege to enforce it the lock still holds ours.
    ioctl(fd, TIOCEXCL);

    termios previous{};
    if (tcgetattr(fd, &previous) != 0) CloseAndRaise(fd, kErrGetLine, errno);
    termios line = previous;
    MakeRaw(line);
    if (!PutLine(line, BaudRate, ByteSize, Parity, StopBits))
        CloseAndRaise(fd, kErrSetLine, EINVAL);
    const int err = SetLine(fd, line, previous);
    if (err != 0) CloseAndRaise(fd, kErrSetLine, err);

    // Queue sizes have no counterpart here: the kernel sizes the tty buffers itself. The
    // driver's read time-outs are the poll() waits of the reads below.

    AskLowLatency(fd);

    // A pseudo-terminal or a three-wire adapter has no modem lines; that is no reason to fail.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &dtr);
    ioctl(fd, TIOCMBIC, &rts);

    // Whatever the line held before we came is not an answer to anything we will send.
    tcflush(fd, TCIFLUSH);
    Handle = fd;
    OpenFlag = true;
}

void TCommPort::Close() {
    if (!OpenFlag) return;
    // Whoever looks at the trace next looks after the exchange: let it hold all of it.
    if (const auto trace = Trace()) trace->Flush();
    const int fd = FdOf(Handle);
    // The descriptor is gone after close() even when it reports an error, so it is never
    // closed twice; the port stays marked open until a Close succeeds.
    Handle = -1;
    GoneFlag = false;
    if (fd >= 0) {
        ioctl(fd, TIOCNXCL);  // a tty still held elsewhere would otherwise refuse our reopen
        if (::close(fd) != 0) Raise(kErrClose, errno);
    }
    OpenFlag = false;
}

void TCommPort::ApplyLine(std::uint8_t errorCode, int oldBaud, std::uint8_t oldSize,
                          std::uint8_t oldParity, std::uint8_t oldStop) {
    if (!OpenFlag) return;
    int err = 0;
    termios previous{};
    if (Handle < 0) {
        err = EBADF;
    } else if (tcgetattr(FdOf(Handle), &previous) != 0) {
        err = errno;
    } else {
        termios line = previous;
        err = PutLine(line, BaudRate, ByteSize, Parity, StopBits) ? SetLine(FdOf(Handle), line, previous)
                                                                  : EINVAL;
    }
    if (err == 0) return;
    BaudRate = oldBaud;
    ByteSize = oldSize;
    Parity = oldParity;
    StopBits = oldStop;
    Raise(errorCode, err);
}

bool TCommPort::PortExists(const std::string& name) {
    const int fd = OpenDevice(ResolvePortName(name));
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void TCommPort::RaiseGone(std::uint8_t code, std::uint32_t err) {
    // The descriptor is let go at once: while it is held the kernel keeps the pulled adapter's
    // node, and the adapter would come back under another number. The port stays marked open
    // until Close, as after any failure.
    if (Handle >= 0) {
        ::close(FdOf(Handle));
        Handle = -1;
    }
    GoneFlag = true;
    throw ECommError(code, err, true);
}

namespace {

// A node that vanished while nothing was being said (the adapter pulled out between frames).
bool NodeVanished(const std::string& device) {
    struct stat st {};
    return !device.empty() && ::stat(device.c_str(), &st) != 0 && errno == ENOENT;
}

}  // namespace

void TCommPort::WriteByte(std::uint8_t b) {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (GoneFlag) RaiseGone(kErrWrite, ENODEV);
    const auto deadline = Clock::now() + milliseconds(kWriteWaitMs);
    for (;;) {
        const ssize_t n = ::write(FdOf(Handle), &b, 1);
        if (n == 1) {
            if (const auto trace = Trace()) trace->Sent(b);
            return;
        }
        if (n < 0 && MeansGone(errno)) RaiseGone(kErrWrite, static_cast<std::uint32_t>(errno));
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            Raise(kErrWrite, errno);
        }
        if (n < 0 && errno == EINTR) continue;
        // A byte the line would not take in time is a failed write, not a silent loss.
        const short events = WaitReady(FdOf(Handle), POLLOUT, deadline, kErrWrite);
        if ((events & (POLLHUP | POLLERR)) != 0) RaiseGone(kErrWrite, EIO);
        if (events == 0) {
            if (NodeVanished(Device)) RaiseGone(kErrWrite, ENODEV);
            Raise(kErrWrite, ETIMEDOUT);
        }
    }
}

std::size_t TCommPort::ReadInto(std::uint8_t* buf, std::size_t n, Clock::time_point total) {
    if (GoneFlag) RaiseGone(kErrRead, ENODEV);
    std::size_t count = 0;
    while (count < n) {
        const auto deadline =
            count == 0 ? total : std::min(total, Clock::now() + milliseconds(kReadIntervalMs));
        const short events = WaitReady(FdOf(Handle), POLLIN, deadline, kErrRead);
        if (events == 0) {
            // Silence from a device that is no longer there is not a station that is quiet.
            if (count == 0 && NodeVanished(Device)) RaiseGone(kErrRead, ENODEV);
            break;
        }
        const ssize_t r = ::read(FdOf(Handle), buf + count, n - count);
        if (r > 0) {
            if (const auto trace = Trace())
                trace->Received({buf + count, static_cast<std::size_t>(r)});
            count += static_cast<std::size_t>(r);
            continue;
        }
        // End of file on a tty means the line was hung up (a pty whose other side closed).
        if (r == 0) RaiseGone(kErrRead, EIO);
        if (MeansGone(errno)) RaiseGone(kErrRead, static_cast<std::uint32_t>(errno));
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) Raise(kErrRead, errno);
        if (events & (POLLHUP | POLLERR)) RaiseGone(kErrRead, EIO);
    }
    return count;
}

void TCommPort::PurgeInput() {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (GoneFlag) RaiseGone(kErrPurge, ENODEV);
    if (tcflush(FdOf(Handle), TCIFLUSH) != 0) {
        if (MeansGone(errno)) RaiseGone(kErrPurge, static_cast<std::uint32_t>(errno));
        Raise(kErrPurge, errno);
    }
}

void TCommPort::Flush() {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (GoneFlag) RaiseGone(kErrFlush, ENODEV);
    while (tcdrain(FdOf(Handle)) != 0) {
        if (MeansGone(errno)) RaiseGone(kErrFlush, static_cast<std::uint32_t>(errno));
        if (errno != EINTR) Raise(kErrFlush, errno);
    }
}

}  // namespace zarnik
