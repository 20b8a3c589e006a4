#pragma once
// TCommPort: the one piece of code that touches the serial device (termios and poll() on POSIX,
// the communications calls on Windows).
// 19200 baud, 8 data bits, no parity, two stop bits, raw. A single ReadByte waits at most
// about 250 ms, as the station link has always expected of its driver.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

namespace zarnik {

class TByteTrace;

// Raised by every failing port operation: Code says which step failed (1..17), LastError is errno.
// Gone: the device itself went away (an adapter pulled out, the line hung up); nothing more can
// be exchanged through it until it is opened again.
class ECommError {
public:
    ECommError(std::uint8_t code, std::uint32_t lastError, bool gone = false)
        : Code(code), LastError(lastError), Gone(gone) {}
    std::uint8_t Code;
    std::uint32_t LastError;
    bool Gone = false;
    std::string What() const;
};

// "COMn" -> $ZARNIK_SERIAL_DIR/COMn when set, else /dev/ttyS<n-1>; a name starting with '/'
// is a device path as it stands; anything else is taken relative to the current directory.
std::string ResolvePortName(const std::string& name);

// Why the system refused to open a port, in the user's words: "нет такого устройства",
// "порт занят другой программой", "нет прав доступа" or "это не последовательный порт"; ""
// when the error says nothing more useful than the message it goes with.
std::string PortOpenReason(const ECommError& e);

// `text` (a message about a port that did not open) with the reason appended when there is
// one: "<text> Причина: порт занят другой программой." The text itself stays as it is.
std::string WithPortOpenReason(const std::string& text, const ECommError& e);

// The same, naming the device and saying what to do where that is known: for a device the
// user may not open, "Нет прав на /dev/ttyUSB0. Добавьте пользователя в группу dialout (sudo
// usermod -aG dialout $USER) и войдите в систему заново."; for a busy one, which program holds
// it when the system can tell ("Порт /dev/ttyUSB0 занят другой программой: minicom (PID 812).").
std::string WithPortOpenReason(const std::string& text, const ECommError& e,
                               const std::string& device);

// "Последовательный порт /dev/ttyUSB0 отключен (устройство извлечено?)." for an error whose
// device went away, "" for any other.
std::string PortGoneText(const ECommError& e, const std::string& device);

// The programs that hold `device` open now, as "minicom (PID 812)", joined by ", "; "" when
// none is seen or the system cannot tell (only Linux's /proc tells).
std::string PortHolders(const std::string& device);

// The exchange code (the frame engine) reaches the line only through WriteByte,
// ReadByteTimeout, PurgeInput and Flush. They are virtual so that a stand-in line (the fuzzing
// of the frame engine feeds its answers from memory) can take the device's place; the port
// itself never overrides them.
class TCommPort {
public:
    TCommPort();
    virtual ~TCommPort();
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    void Open(const std::string& name);
    void Close();
    bool IsOpen() const { return OpenFlag; }
    const std::string& PortName() const { return Name; }
    // The device the last Open went for, as the system names it ("/dev/ttyUSB0" for a
    // /dev/serial/by-id link); what messages about the port should name.
    const std::string& DevicePath() const { return Device; }
    // The device went away while open (see ECommError::Gone): every operation but Close now
    // fails at once; Close and a new Open reach it again once it is back.
    bool DeviceGone() const { return GoneFlag; }
    void SetPortName(const std::string& name);
    void SetBaudRate(int baud);
    void SetByteSize(std::uint8_t bits);
    void SetParity(std::uint8_t parity);
    void SetStopBits(std::uint8_t stopBits);  // 0 = one, 1 = one and a half, 2 = two
    static bool PortExists(const std::string& name);

    virtual void WriteByte(std::uint8_t b);
    int ReadByte();                            // 0..255, or -1 after ~250 ms of silence
    virtual int ReadByteTimeout(unsigned ms);  // see comm_port.cpp for the exact waiting rule
    int ReadBlock(std::span<std::uint8_t> buf);
    virtual void PurgeInput();
    virtual void Flush();

    // Every byte written or read from now on also goes to the trace; null stops tracing. May be
    // called from another thread while an exchange runs. The trace outlives the open port.
    void SetTrace(std::shared_ptr<TByteTrace> trace);
    std::shared_ptr<TByteTrace> Trace() const;

    // How long a single ReadByte waits on a silent line.
    static constexpr int ReadWaitMs = 250;

private:
    bool OpenFlag = false;
    std::string Name = "COM1";
    int BaudRate = 9600;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    std::intptr_t Handle = -1;  // the open device: a descriptor, or a Windows handle
    std::string Device;
    bool GoneFlag = false;
    // Lets go of a device that went away (so that the system can free its node for the
    // adapter's return) and raises `code` marked Gone.
    [[noreturn]] void RaiseGone(std::uint8_t code, std::uint32_t err);
    mutable std::mutex TraceLock;
    std::shared_ptr<TByteTrace> TraceSink;
    void ApplyLine(std::uint8_t errorCode, int oldBaud, std::uint8_t oldSize,
                   std::uint8_t oldParity, std::uint8_t oldStop);
    // Reads up to n bytes: waits until `total` for the first, then takes more while they keep
    // coming without a gap of 15 ms. Returns how many came.
    std::size_t ReadInto(std::uint8_t* buf, std::size_t n,
                         std::chrono::steady_clock::time_point total);
};

}  // namespace zarnik
