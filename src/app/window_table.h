#pragma once
// Which window each menu command opens: one place for all of them.

#include <QWidget>

#include "app/app_context.h"
#include "editors/main_window_rules.h"

namespace zarnik::app {

// Opens the command's window modally over parent. Returns true when the window was closed by
// its accepting button (for the constructor: a new configuration was built).
bool OpenCommandWindow(ECommand c, const TAppContext& ctx, QWidget* parent);

// The station clock window: from the menu the calendar shows today, after the clock question
// the station's date.
void OpenStationClockWindow(const TAppContext& ctx, bool calendarToday, QWidget* parent);

}  // namespace zarnik::app
