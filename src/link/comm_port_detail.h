#pragma once
// What the two halves of TCommPort share: the common half (names, traces, the waiting rules)
// in comm_port.cpp and the half that talks to the operating system, one file per platform.

#include <cstdint>
#include <optional>
#include <string>

namespace zarnik::comm_detail {

// Error codes, one per failing step.
constexpr std::uint8_t kErrBaudRate = 1;
constexpr std::uint8_t kErrStopBits = 3;
constexpr std::uint8_t kErrParity = 4;
constexpr std::uint8_t kErrByteSize = 5;
constexpr std::uint8_t kErrNameWhileOpen = 6;
constexpr std::uint8_t kErrNotOpen = 7;
constexpr std::uint8_t kErrOpen = 8;
constexpr std::uint8_t kErrWrite = 9;
constexpr std::uint8_t kErrRead = 10;
constexpr std::uint8_t kErrClose = 11;
constexpr std::uint8_t kErrPurge = 12;
constexpr std::uint8_t kErrFlush = 13;
constexpr std::uint8_t kErrGetLine = 14;
constexpr std::uint8_t kErrSetLine = 15;

// The station link's fixed line: 19200 baud, 8 data bits, no parity, two stop bits.
constexpr int kLinkBaud = 19200;
constexpr std::uint8_t kLinkByteSize = 8;
constexpr std::uint8_t kLinkParity = 0;
constexpr std::uint8_t kLinkStopBits = 2;

// The driver time-outs the link was built around: a block read may take 250 ms plus 1 ms per
// byte in total and ends early after 15 ms without a byte; a write gives up after 251 ms.
constexpr int kReadIntervalMs = 15;
constexpr int kReadPerByteMs = 1;
constexpr int kWriteWaitMs = 251;

[[noreturn]] void Raise(std::uint8_t code, std::uint32_t err);

// The words of PortOpenReason that WithPortOpenReason turns into advice.
inline constexpr const char* kReasonNoAccess = "нет прав доступа";
inline constexpr const char* kReasonBusy = "порт занят другой программой";

// What to do about a device the user may not open, on this platform.
std::string NoAccessAdvice(const std::string& device);

// PortHolders with the process folders under `procRoot` ("/proc"): each "<pid>/fd/*" link that
// leads to `device` names "<pid>/comm" and the pid.
std::string PortHoldersUnder(const std::string& procRoot, const std::string& device);

// n for a name "COMn" (any letter case, 1..255), nullopt for anything else.
std::optional<unsigned> ComNumber(const std::string& name);

// The operating system's own words for a last-error value (errno, or GetLastError on Windows).
std::string SystemErrorText(std::uint32_t err);

}  // namespace zarnik::comm_detail
