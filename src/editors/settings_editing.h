#pragma once
// What the system-wide and time settings windows do besides showing widgets: which timers they
// show, the "+" / "-" step rule, and taking the typed values into the store.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

// The system-wide settings window commits its eight check boxes (in bit order) and two
// times, and encodes at once.
void CommitSystemSettings(TMainClass& session, TDataStream& store,
                          const std::array<bool, 8>& switches, const TSwitchTime& day,
                          const TSwitchTime& night);
std::array<bool, 8> SystemSwitchValues(const TSystemSettings& settings);

// One row of the time settings grid.
struct TTimerRow {
    std::size_t Timer = 0;  // 0-based: T10 is 0
    std::string Name;
    std::string Default;  // step times multiplier, seconds
    std::string Step;
    std::string Value;
    std::string Description;
};

// T10..T33, then T34 on a Cedar or Dogwood with quick conferences, T35 from 24,4 on.
std::vector<TTimerRow> TimerRows(const TMainClass& session, const TDataStream& store);

// Seconds as the grid shows them: fixed point, two decimals.
std::string FormatSeconds(double seconds);

// "+" (direction 1) or "-" (-1): the value one step further, or nullopt when that leaves the
// range of one to ten steps (the value then stays as it is).
std::optional<double> StepTimerValue(double value, double step, int direction);

// A typed number: digits with a point or comma, spaces around it allowed.
std::optional<double> ParseSeconds(const std::string& text);

// The cell a grid row holds for a timer: its name and the text typed into its value column.
struct TTypedTimer {
    std::string Name;
    std::string Value;
};

inline constexpr const char* kBadTimerNumber = "Исключение №1 при внесении данных в DataStream";

// "OK" of the time settings window: rows 1..24 into T10..T33, the row named T34 and T35 when
// the station has them, then the table is encoded and true returned. Text that is no number is
// reported through `dialogs` and false returned with nothing stored: every text is read before
// the store is touched, and the window stays open for the user to correct it.
bool CommitTimerValues(TMainClass& session, TDataStream& store, std::span<const TTypedTimer> rows,
                       TUserDialogs& dialogs);

}  // namespace zarnik
