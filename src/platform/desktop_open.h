#pragma once
// Handing a file to the desktop: the workbook of a report to the spreadsheet program, the help
// page to the browser, whatever the user chose for that kind of file.

#include <string>

namespace zarnik {

// Asks the desktop to open `path` and returns at once, without waiting for the program that
// shows it. "" when it was handed over, or when there is no desktop to hand it to (no display);
// otherwise why it could not be.
std::string OpenWithDesktop(const std::string& path);

}  // namespace zarnik
