#include <windows.h>

#include <cstdlib>
#include <string>

#include "link/byte_trace.h"
#include "link/comm_port.h"
#include "link/comm_port_detail.h"
#include "platform/wide_text.h"

// The half of TCommPort that talks to a Windows communications device: the line is set with
// the device control block, and the driver's own time-outs give each read its deadline.

namespace zarnik {

using namespace comm_detail;

namespace {

// Only the Windows driver has queues and time-outs of its own to set.
constexpr std::uint8_t kErrQueues = 16;
constexpr std::uint8_t kErrTimeouts = 17;
constexpr DWORD kInputQueue = 32768;
constexpr DWORD kOutputQueue = 9216;

HANDLE HandleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

[[noreturn]] void RaiseLast(std::uint8_t code) {
    comm_detail::Raise(code, static_cast<std::uint32_t>(GetLastError()));
}

// The errors with which the driver of a USB-serial adapter says the adapter was pulled out:
// the handle stays but every call on it fails until it is closed.
bool MeansGone(DWORD error) {
    switch (error) {
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_GEN_FAILURE:
        case ERROR_BAD_COMMAND:
        case ERROR_ACCESS_DENIED:  // an open handle is never refused for rights
        case ERROR_OPERATION_ABORTED:
            return true;
        default:
            return false;
    }
}

[[noreturn]] void CloseAndRaise(HANDLE h, std::uint8_t code) {
    const DWORD error = GetLastError();
    CloseHandle(h);
    comm_detail::Raise(code, static_cast<std::uint32_t>(error));
}

HANDLE OpenDevice(const std::string& name) {
    // Exclusive (no sharing), synchronous: the calls below block as the link expects.
    return CreateFileW(WideFromUtf8(ResolvePortName(name)).c_str(), GENERIC_READ | GENERIC_WRITE,
                       0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void PutLine(DCB& dcb, int baud, std::uint8_t size, std::uint8_t parity, std::uint8_t stop) {
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = size;
    dcb.Parity = parity;  // 0 none, 1 odd, 2 even, 3 mark, 4 space: the same numbers as ours
    dcb.StopBits = stop;  // 0 one, 1 one and a half, 2 two: likewise
}

// The binary link needs every byte as it is. A driver may still hold the settings another
// program left, and XON/XOFF among them would swallow the bytes 0x11 and 0x13 of our frames,
// a stop on a line error would fail every read after it: the line is made raw, as on POSIX.
void MakeRaw(DCB& dcb) {
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
}

}  // namespace

const char* const kLastErrorName = "GetLastError";

std::string comm_detail::SystemErrorText(std::uint32_t err) { return WindowsErrorText(err); }

std::string PortOpenReason(const ECommError& e) {
    // Only the steps of an open say anything about the device itself.
    if (e.Code != kErrOpen && e.Code != kErrGetLine && e.Code != kErrSetLine) return "";
    switch (e.LastError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_UNIT:
        case ERROR_DEVICE_NOT_CONNECTED:
            return "нет такого устройства";
        // A communications device that another program holds answers "access denied".
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return "порт занят другой программой";
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_PARAMETER:
        case ERROR_INVALID_HANDLE:
            return "это не последовательный порт";
        default:
            return "";
    }
}

std::string ResolvePortName(const std::string& name) {
    // "\\.\COM12", "\\?\..." and the like are device paths as they stand.
    if (name.size() >= 2 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/'))
        return name;
    // Every other name is a device name: "COM3", also "COM12", which only the device
    // namespace reaches.
    return "\\\\.\\" + name;
}

void TCommPort::Open(const std::string& name) {
    if (OpenFlag) return;
    Name = name;
    BaudRate = kLinkBaud;
    ByteSize = kLinkByteSize;
    Parity = kLinkParity;
    StopBits = kLinkStopBits;

    Device = ResolvePortName(name);
    GoneFlag = false;
    const HANDLE h = OpenDevice(name);
    if (h == INVALID_HANDLE_VALUE) RaiseLast(kErrOpen);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) CloseAndRaise(h, kErrGetLine);
    MakeRaw(dcb);
    PutLine(dcb, BaudRate, ByteSize, Parity, StopBits);
    if (!SetCommState(h, &dcb)) CloseAndRaise(h, kErrSetLine);

    if (!SetupComm(h, kInputQueue, kOutputQueue)) CloseAndRaise(h, kErrQueues);

    // A read of n bytes ends after 250 + n ms in all, or 15 ms after the last byte when more
    // were asked for: the deadlines TCommPort's reads are built on.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = kReadPerByteMs;
    timeouts.ReadTotalTimeoutConstant = ReadWaitMs;
    timeouts.WriteTotalTimeoutMultiplier = 1;
    timeouts.WriteTotalTimeoutConstant = kWriteWaitMs - 1;
    if (!SetCommTimeouts(h, &timeouts)) CloseAndRaise(h, kErrTimeouts);

    // A three-wire adapter or a pseudo-terminal behind the port has no modem lines; the port
    // is no less usable for that, so it stays open.
    EscapeCommFunction(h, SETDTR);
    EscapeCommFunction(h, CLRRTS);

    // Whatever the line held before we came is not an answer to anything we will send.
    PurgeComm(h, PURGE_RXCLEAR);
    Handle = reinterpret_cast<std::intptr_t>(h);
    OpenFlag = true;
}

void TCommPort::Close() {
    if (!OpenFlag) return;
    // Whoever looks at the trace next looks after the exchange: let it hold all of it.
    if (const auto trace = Trace()) trace->Flush();
    const HANDLE h = HandleOf(Handle);
    // The handle is gone after CloseHandle even when it reports an error, so it is never
    // closed twice; the port stays marked open until a Close succeeds.
    Handle = -1;
    GoneFlag = false;
    if (h != INVALID_HANDLE_VALUE && !CloseHandle(h)) RaiseLast(kErrClose);
    OpenFlag = false;
}

void TCommPort::RaiseGone(std::uint8_t code, std::uint32_t err) {
    // The handle is let go at once, so that the adapter, plugged in again, gets its COM name
    // back. The port stays marked open until Close, as after any failure.
    if (Handle != -1) {
        CloseHandle(HandleOf(Handle));
        Handle = -1;
    }
    GoneFlag = true;
    throw ECommError(code, err, true);
}

void TCommPort::ApplyLine(std::uint8_t errorCode, int oldBaud, std::uint8_t oldSize,
                          std::uint8_t oldParity, std::uint8_t oldStop) {
    if (!OpenFlag) return;
    const HANDLE h = HandleOf(Handle);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    DWORD error = ERROR_INVALID_HANDLE;
    if (h != INVALID_HANDLE_VALUE && GetCommState(h, &dcb)) {
        PutLine(dcb, BaudRate, ByteSize, Parity, StopBits);
        if (SetCommState(h, &dcb)) return;
        error = GetLastError();
    } else if (h != INVALID_HANDLE_VALUE) {
        error = GetLastError();
    }
    BaudRate = oldBaud;
    ByteSize = oldSize;
    Parity = oldParity;
    StopBits = oldStop;
    comm_detail::Raise(errorCode, static_cast<std::uint32_t>(error));
}

bool TCommPort::PortExists(const std::string& name) {
    const HANDLE h = OpenDevice(name);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void TCommPort::RaiseFailure(std::uint8_t code) {
    const DWORD error = GetLastError();
    if (MeansGone(error)) RaiseGone(code, error);
    comm_detail::Raise(code, static_cast<std::uint32_t>(error));
}

void TCommPort::WriteByte(std::uint8_t b) {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (GoneFlag) RaiseGone(kErrWrite, ERROR_DEVICE_NOT_CONNECTED);
    DWORD written = 0;
    if (!WriteFile(HandleOf(Handle), &b, 1, &written, nullptr)) RaiseFailure(kErrWrite);
    // A byte the line would not take in time is a failed write, not a silent loss.
    if (written != 1) Raise(kErrWrite, ERROR_TIMEOUT);
    if (const auto trace = Trace()) trace->Sent(b);
}

std::size_t TCommPort::ReadInto(std::uint8_t* buf, std::size_t n,
                                std::chrono::steady_clock::time_point /*total*/) {
    // The driver's time-outs set at Open are the deadlines the callers computed: 250 ms plus
    // 1 ms per byte asked for, and 15 ms between bytes. One call waits for all of it.
    if (GoneFlag) RaiseGone(kErrRead, ERROR_DEVICE_NOT_CONNECTED);
    DWORD got = 0;
    if (!ReadFile(HandleOf(Handle), buf, static_cast<DWORD>(n), &got, nullptr))
        RaiseFailure(kErrRead);
    if (got > 0) {
        if (const auto trace = Trace()) trace->Received({buf, static_cast<std::size_t>(got)});
    }
    return got;
}

void TCommPort::PurgeInput() {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (GoneFlag) RaiseGone(kErrPurge, ERROR_DEVICE_NOT_CONNECTED);
    if (!PurgeComm(HandleOf(Handle), PURGE_RXCLEAR)) RaiseFailure(kErrPurge);
}

void TCommPort::Flush() {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (GoneFlag) RaiseGone(kErrFlush, ERROR_DEVICE_NOT_CONNECTED);
    if (!FlushFileBuffers(HandleOf(Handle))) RaiseFailure(kErrFlush);
}

}  // namespace zarnik
