#include "editors/clearing_editor.h"

#include <algorithm>

namespace zarnik {

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool Ticked(const TTableTicks& ticks, ETable t) {
    return ticks[static_cast<std::size_t>(SelectionIndex(t))];
}

}  // namespace

TTableTicks& ClearingWindowTicks() {
    static TTableTicks ticks = [] {
        TTableTicks all{};
        all.fill(true);
        return all;
    }();
    return ticks;
}

std::vector<ETable> TablesToClear(const TMainClass& session, const TTableTicks& ticks) {
    const TTableTicks enabled = ClearableTables(session);
    std::vector<ETable> tables;
    for (const TClearStep& step : ClearingOrder())
        if (Ticked(ticks, step.Table) && Ticked(enabled, step.Table)) tables.push_back(step.Table);
    return tables;
}

std::string ClearingQuestion(const std::vector<ETable>& tables) {
    std::string text = "Будут обнулены таблицы:\n";
    for (const TClearStep& step : ClearingOrder())
        if (std::find(tables.begin(), tables.end(), step.Table) != tables.end())
            text += "- " + Trimmed(step.Caption) + "\n";
    text += "\nПри следующей записи они будут отправлены в АТС пустыми. Обнулить?";
    return text;
}

EClearingOutcome ClearTickedTables(TMainClass& session, TDataStream& store,
                                   const TTableTicks& ticks, TUserDialogs& dialogs) {
    const std::vector<ETable> tables = TablesToClear(session, ticks);
    if (tables.empty()) return EClearingOutcome::Nothing;
    if (dialogs.Question(ClearingQuestion(tables), kClearingQuestionCaption) != TAnswer::Ok)
        return EClearingOutcome::Cancelled;
    ClearSettings(session, store, ticks);
    return EClearingOutcome::Cleared;
}

}  // namespace zarnik
