#include "link/comm_port.h"

#include <array>
#include <chrono>
#include <utility>

#include "link/byte_trace.h"
#include "link/comm_port_detail.h"

// The half of TCommPort that is the same on every platform; the device itself is reached in
// comm_port_posix.cpp or comm_port_win32.cpp.

namespace zarnik {

namespace comm_detail {

[[noreturn]] void Raise(std::uint8_t code, std::uint32_t err) { throw ECommError(code, err); }

std::optional<unsigned> ComNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = static_cast<char>(name[i] & ~0x20);
        if (c != "COM"[i]) return std::nullopt;
    }
    if (name[3] == '0') return std::nullopt;
    unsigned n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    if (n < 1 || n > 255) return std::nullopt;
    return n;
}

}  // namespace comm_detail

using namespace comm_detail;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What each error code says went wrong; code 2 has never been used.
constexpr std::array<const char*, 18> kStepTexts{
    "unknown serial port error",
    "setting the baud rate failed",
    "unknown serial port error",
    "setting the stop bits failed",
    "setting the parity failed",
    "setting the byte size failed",
    "the port name cannot change while the port is open",
    "the port is not open",
    "the port cannot be opened",
    "writing to the port failed",
    "reading from the port failed",
    "closing the port failed",
    "clearing the receive queue failed",
    "draining the transmit queue failed",
    "reading the line settings failed",
    "applying the line settings failed",
    "setting the queue sizes failed",
    "setting the time-outs failed",
};

const char* StepText(std::uint8_t code) {
    return code < kStepTexts.size() ? kStepTexts[code] : kStepTexts[0];
}

}  // namespace

std::string ECommError::What() const {
    std::string text = "serial port error " + std::to_string(Code) + ": " + StepText(Code);
    if (LastError != 0) {
        text += " (errno " + std::to_string(LastError) + ": " +
                SystemErrorText(LastError) + ")";
    }
    return text;
}

std::string WithPortOpenReason(const std::string& text, const ECommError& e) {
    const std::string reason = PortOpenReason(e);
    return reason.empty() ? text : text + " Причина: " + reason + ".";
}

std::string WithPortOpenReason(const std::string& text, const ECommError& e,
                               const std::string& device) {
    const std::string reason = PortOpenReason(e);
    if (reason == kReasonNoAccess) return text + " " + NoAccessAdvice(device);
    if (reason == kReasonBusy) {
        const std::string holders = PortHolders(device);
        return text + " Порт " + device + " занят другой программой" +
               (holders.empty() ? std::string(".") : ": " + holders + ".");
    }
    return WithPortOpenReason(text, e);
}

std::string PortGoneText(const ECommError& e, const std::string& device) {
    if (!e.Gone) return "";
    return "Последовательный порт " + device + " отключен (устройство извлечено?).";
}

TCommPort::TCommPort() = default;

TCommPort::~TCommPort() {
    try {
        Close();
    } catch (const ECommError&) {
        // Nothing can be done about a failed close while going away.
    }
}

void TCommPort::SetPortName(const std::string& name) {
    if (OpenFlag) Raise(kErrNameWhileOpen, 0);
    Name = name;
}

void TCommPort::SetBaudRate(int baud) {
    const int old = BaudRate;
    BaudRate = baud;
    ApplyLine(kErrBaudRate, old, ByteSize, Parity, StopBits);
}

void TCommPort::SetByteSize(std::uint8_t bits) {
    const std::uint8_t old = ByteSize;
    ByteSize = bits;
    ApplyLine(kErrByteSize, BaudRate, old, Parity, StopBits);
}

void TCommPort::SetParity(std::uint8_t parity) {
    const std::uint8_t old = Parity;
    Parity = parity;
    ApplyLine(kErrParity, BaudRate, ByteSize, old, StopBits);
}

void TCommPort::SetStopBits(std::uint8_t stopBits) {
    const std::uint8_t old = StopBits;
    StopBits = stopBits;
    ApplyLine(kErrStopBits, BaudRate, ByteSize, Parity, old);
}

void TCommPort::SetTrace(std::shared_ptr<TByteTrace> trace) {
    const std::lock_guard guard(TraceLock);
    TraceSink = std::move(trace);
}

std::shared_ptr<TByteTrace> TCommPort::Trace() const {
    const std::lock_guard guard(TraceLock);
    return TraceSink;
}

int TCommPort::ReadByte() {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    std::uint8_t b = 0;
    const auto deadline = Clock::now() + milliseconds(ReadWaitMs);
    return ReadInto(&b, 1, deadline) == 1 ? b : -1;
}

int TCommPort::ReadByteTimeout(unsigned ms) {
    // The wait is counted from after the first empty read, and a read that ends exactly on
    // the deadline still earns another; the link's timing has always depended on this.
    int r = ReadByte();
    if (r >= 0) return r;
    const auto deadline = Clock::now() + milliseconds(ms);
    do {
        r = ReadByte();
    } while (r < 0 && Clock::now() <= deadline);
    return r;
}

int TCommPort::ReadBlock(std::span<std::uint8_t> buf) {
    if (!OpenFlag) Raise(kErrNotOpen, 0);
    if (buf.empty()) return 0;
    const auto total = Clock::now() + milliseconds(ReadWaitMs) +
                       milliseconds(kReadPerByteMs) * static_cast<long>(buf.size());
    const std::size_t count = ReadInto(buf.data(), buf.size(), total);
    if (count < buf.size()) buf[count] = 0;
    return static_cast<int>(count);
}

}  // namespace zarnik
