#pragma once
// The options window without its widgets: which ports it offers and what "Принять изменения"
// does with the chosen text.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "link/serial_port_list.h"
#include "model/program_options.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr int kHighestPortNumber = 255;

// "COM1".."COM255", each one that `exists` says can be opened now, in number order.
std::vector<std::string> AvailablePortNames(const std::function<bool(const std::string&)>& exists);

// The window's list: the devices present and the COMn names that open, as BuildPortList gives
// them; the port this program holds open counts as one that opens.
std::vector<TSerialPortInfo> OfferedPorts(const TMainClass& session);

// How a port is shown (the main window's "Порт: ..." and the window's current port): the
// line of `ports` it names ("/dev/ttyUSB0 — FT232R USB UART (FTDI)" also for its by-id link),
// else the name as it stands.
std::string PortCaption(const std::string& portName, const std::vector<TSerialPortInfo>& ports);
// The same over the devices present now (no COMn name is probed).
std::string PortCaption(const std::string& portName);

// What the field's text names: the stored name of the list line it shows ("/dev/ttyUSB0 —
// FT232R ..." gives the adapter's by-id path), else the text without surrounding blanks.
std::string PortNameFromText(const std::string& text, const std::vector<TSerialPortInfo>& ports);

// A text the window takes as a device path rather than a COMn name.
bool IsDevicePathText(const std::string& text);

// "Принять изменения": closes the session's port (the main window opens it again for its next
// exchange), checks the text and, when it names a port, makes it the session's port and writes
// the options file under `startDir`. Returns the new port name, or nullopt when the text was
// refused (its message has been shown and nothing else changed but the closed port). A file
// that cannot be written is reported; the port name is still taken.
//
// A COMn text follows the rules of the port number. A device path ("/dev/ttyUSB0") is taken
// when it opens as a serial device; its stable /dev/serial/by-id link, when it has one, is
// what the session and the file keep. One that does not open is refused with the reason.
std::optional<std::string> AcceptPortChoice(TMainClass& session, const std::string& text,
                                            const std::string& startDir, TUserDialogs& dialogs);

// The exchange trace of the desktop program: every byte to and from the station, in the file
// "zarnik_trace.txt" of the program's working folder (a new trace replaces the old file).
inline constexpr const char* kTraceFileName = "zarnik_trace.txt";
std::string TraceFilePath(const std::string& baseDir);

// Starts or stops the trace on the session's port; a trace already running is kept. false
// when the trace file could not be created (the port is then left untraced).
bool ApplyTraceSwitch(TMainClass& session, bool on, const std::string& baseDir);

// "Принять изменения" with the safety switches of the window: the port as AcceptPortChoice
// takes it, then, once the port text was taken, the switches into the same options file.
std::optional<std::string> AcceptOptions(TMainClass& session, const std::string& text,
                                         const TSafetyOptions& safety, const std::string& startDir,
                                         TUserDialogs& dialogs);

}  // namespace zarnik
