#pragma once
// "Справка": the program's help page, opened in the desktop's browser.

#include <string>

#include "platform/user_dialogs.h"

namespace zarnik::app {

// The help page's path, or "" when no copy of it is found.
std::string HelpFilePath();

// Opens the help page; a message when there is none or the desktop cannot show it.
// `startDir` is the program's start directory, where a copy may have been put beside the
// configuration files.
void OpenHelp(const std::string& startDir, TUserDialogs& dialogs);

}  // namespace zarnik::app
