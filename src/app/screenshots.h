#pragma once
// Pictures of the main windows for the documentation, made from the running program.

#include <QString>

namespace zarnik::app {

class TMainForm;

// The main window, the write panel and the time settings window as PNG files in dir.
bool WriteScreenshots(TMainForm& window, const QString& dir);

}  // namespace zarnik::app
