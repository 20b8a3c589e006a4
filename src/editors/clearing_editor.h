#pragma once
// What the clearing window ("Чистка всех установок") does besides showing widgets: the ticks it
// keeps between openings, which tables a press of "Обнулить таблицы" would reset, and the
// question that names them before anything is reset.

#include <string>
#include <vector>

#include "flows/clear_settings.h"
#include "platform/user_dialogs.h"

namespace zarnik {

// The window's ticks (by selection index) live as long as the program: all ticked at first,
// and as the user left them after that.
TTableTicks& ClearingWindowTicks();

// The ticked tables that the station's working program has, in clearing order: what
// "Обнулить таблицы" would reset.
std::vector<ETable> TablesToClear(const TMainClass& session, const TTableTicks& ticks);

// The question asked before the reset: names each table and says the change reaches the station
// with the next write.
std::string ClearingQuestion(const std::vector<ETable>& tables);
inline constexpr const char* kClearingQuestionCaption = "Предупреждение";

enum class EClearingOutcome {
    Cleared,    // the tables are blank and marked changed: the window closes
    Nothing,    // no ticked table the station has: nothing changed, the window closes
    Cancelled,  // the user said no: nothing changed, the window stays open
};

// "Обнулить таблицы": asks first (OK/Cancel), then resets.
EClearingOutcome ClearTickedTables(TMainClass& session, TDataStream& store,
                                   const TTableTicks& ticks, TUserDialogs& dialogs);

}  // namespace zarnik
