#pragma once
// The program's one option, the number of the serial port that reaches the station, kept in
// the two-byte file "Zarnik_M.cfg" in the start directory: byte 0 is the port number (the port
// is "COM" + that number), byte 1 has no meaning (1 when the session creates the file, 0 when
// the options window writes it) and is never read.
//
// The safety switches (backups, verified writes, the exchange trace) follow the two bytes only
// when one of them differs from its default: the signature "ZXO", a count n and n switch bytes
// (0 or 1). A device path chosen in place of a COMn name (a USB-serial adapter) follows them:
// "ZXP", its length n (1..255) and its n bytes; byte 0 then keeps the last COMn choice. A file
// holding the defaults and a COMn port stays the two-byte file older programs read.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr const char* kOptionsFileName = "Zarnik_M.cfg";

enum class TOptionsSource {
    Created,    // there was no readable file: the defaults were used and written
    Read,       // the port number came from the file
    Malformed,  // the file was not 2 bytes long: reported, not used
    MissingDevice,  // the stored device path is not there now: reported, the port not opened
};

struct TProgramOptions {
    std::string PortName;  // "COM3" or a device path; just "COM" when the file was malformed
    TOptionsSource Source = TOptionsSource::Created;
};

// Reads the options file under `baseDir` (a stored device path wins over the port number; when
// it does not exist now MissingDeviceText is shown and Source is MissingDevice), or creates it with the port COM1 (bytes 01 01) when
// there is none. A file of any size other than 2 is reported and yields the port name "COM".
// Messages go through `dialogs`; nothing here ends the program.
//
// What the caller (the station session) does next: unless Source is Malformed, give PortName
// to the port, Open it and PurgeInput, and on success set the data-present flag; when opening
// raises, show PortOpenFailureText(Source) with an empty caption and go on with the port
// closed. With Malformed the port stays closed and is not opened.
TProgramOptions LoadOrCreateOptions(const std::string& baseDir, TUserDialogs& dialogs);

// The message shown when the port named by the options cannot be opened.
std::string PortOpenFailureText(TOptionsSource source);

// "COM" followed by the number in decimal.
std::string PortNameFor(std::uint8_t number);

// The options window's check of the chosen port text ("COM1".."COM99"): its port number, or
// nullopt after showing why the text was refused. Called before anything else is changed.
std::optional<std::uint8_t> ValidatePortText(const std::string& text, TUserDialogs& dialogs);

// Writes the port number chosen in the options window (bytes: number, 0). A base directory that
// is gone, or a failed write, is reported and returns false; the program goes on with the
// configuration in hand and the window still closes.
bool SaveOptions(const std::string& baseDir, std::uint8_t portNumber, TUserDialogs& dialogs);

// "Последовательный порт /dev/serial/by-id/... не найден (адаптер не подключен?). ..."
std::string MissingDeviceText(const std::string& device);

// The device path the options file holds, if any.
std::optional<std::string> StoredDevicePath(const std::string& baseDir);

// Writes a device path as the port (the options window's choice of an adapter), keeping the
// port number and the switches. An empty, too long or unwritable path is reported; false then.
inline constexpr std::size_t kMaxDevicePathBytes = 255;
bool SaveDevicePath(const std::string& baseDir, const std::string& device, TUserDialogs& dialogs);

// The switches of the safety nets, kept beside the port number.
struct TSafetyOptions {
    bool AutoBackup = true;     // back up the station's tables under "dat/auto"
    bool VerifyWrites = true;   // read written tables back and compare them
    bool TraceExchange = false; // write every byte of the exchange to a trace file
    bool operator==(const TSafetyOptions&) const = default;
};

// The switches from the options file under `baseDir`; the defaults when the file is missing,
// has only the two bytes, or carries no well-formed switch record.
TSafetyOptions LoadSafetyOptions(const std::string& baseDir);

// Writes the switches, keeping the port number (COM1 and the byte 1 when there is no usable
// file yet). A failed write is reported ("Не могу записать в файл конфигурации.") and returns
// false.
bool SaveSafetyOptions(const std::string& baseDir, const TSafetyOptions& options,
                       TUserDialogs& dialogs);

}  // namespace zarnik
