#pragma once
// Which window each menu command opens. One place for all of them: a window that is not part
// of the program yet is "pending", its entry stays off and its tooltip says why.

#include <QWidget>

#include "app/app_context.h"
#include "editors/main_window_rules.h"

namespace zarnik::app {

// True while the command's window is not built yet.
bool WindowPending(ECommand c);

// Opens the command's window modally over parent. Returns true when the window was closed by
// its accepting button (for the constructor: a new configuration was built).
bool OpenCommandWindow(ECommand c, const TAppContext& ctx, QWidget* parent);

// The station clock window: from the menu the calendar shows today, after the clock question
// the station's date.
void OpenStationClockWindow(const TAppContext& ctx, bool calendarToday, QWidget* parent);

}  // namespace zarnik::app
