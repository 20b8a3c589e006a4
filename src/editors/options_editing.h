#pragma once
// The options window without its widgets: which ports it offers and what "Принять изменения"
// does with the chosen text.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
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

}  // namespace zarnik
