#pragma once
// The options window without its widgets: which ports it offers and what "Принять изменения"
// does with the chosen text.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/program_options.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr int kHighestPortNumber = 255;

// "COM1".."COM255", each one that `exists` says can be opened now, in number order.
std::vector<std::string> AvailablePortNames(const std::function<bool(const std::string&)>& exists);

// "Принять изменения": closes the session's port (the main window opens it again for its next
// exchange), checks the text and, when it names a port, makes it the session's port and writes
// the options file under `startDir`. Returns the new port name, or nullopt when the text was
// refused (its message has been shown and nothing else changed but the closed port). A file
// that cannot be written is reported; the port name is still taken.
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
