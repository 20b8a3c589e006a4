#include "editors/routing_table_editor.h"

#include <algorithm>
#include <cstdio>

#include "codecs/routing_table_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr int kHighestRoutingLine = 255;  // one byte per line in a routing block

int LineOf(const TMainClass& session, int port) {
    return TBroadcaster::GetLineNumFromPortNum(session.Identity.ModelName, std::to_string(port));
}

// Stores the name when it differs from the one held; false (with the message shown) when it
// is refused.
bool NameInto(TDataStream& store, int table, const std::string& nameUtf8, TUserDialogs& dialogs) {
    TNamesList& names = *store.Names;
    if (Cp1251ToUtf8(names.GetNavedenName(table)) == nameUtf8) return true;
    const TNameCheck check = CheckName(nameUtf8);
    if (!check.Ok()) {
        dialogs.Message(check.Error, "Ошибка");
        return false;
    }
    if (names.SetNavedenName(table, check.Cp1251) < 0) dialogs.Message(kNamesNotWritten, "Ошибка");
    return true;
}

}  // namespace

int RoutingTableCount(const TMainClass& session) {
    return std::min<int>(session.Identity.RoutingTableCount, static_cast<int>(kMaxRoutingTables));
}

std::vector<std::string> RoutingListLines(const TMainClass& session, const TDataStream& store) {
    std::vector<std::string> lines;
    for (int t = 0; t < RoutingTableCount(session); ++t) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", t + 1);
        lines.push_back(std::string(number) + "  " + Cp1251ToUtf8(store.Names->GetNavedenName(t)));
    }
    return lines;
}

std::string RoutingTableName(const TDataStream& store, int table) {
    return Cp1251ToUtf8(store.Names->GetNavedenName(table));
}

std::string LinePortText(const TMainClass& session, const TDataStream& store, int port) {
    if (port == 0) return "";
    const int line = LineOf(session, port);
    const std::string name = line > 0 ? store.Names->GetPortName(line - 1) : std::string{};
    return std::to_string(port) + " (" + Cp1251ToUtf8(name) + ")";
}

std::vector<TPortChoice> RoutingPortChoices(const TMainClass& session, const TDataStream& store) {
    std::vector<TPortChoice> choices{{0, ""}};
    for (const TPortPtr& p : store.Ports) {
        if (!p || (p->Type != kPortTypeSubscriber && p->Type != kPortTypeSta)) continue;
        const int line = LineOf(session, p->Number);
        if (line < 1 || line > kHighestRoutingLine) continue;
        choices.push_back({p->Number, LinePortText(session, store, p->Number)});
    }
    return choices;
}

TRoutingCells RoutingCells(const TMainClass& session, const TDataStream& store, int table) {
    TRoutingCells cells;
    const TNavedenRecord& record = store.RoutingTables.at(static_cast<std::size_t>(table));
    for (std::size_t r = 0; r < kRoutingRows; ++r)
        for (std::size_t c = 0; c < kRoutingRowEntries; ++c)
            cells[r][c] = LinePortText(session, store, record.Rows[r][c]);
    return cells;
}

TNavedenRecord WithCell(const TNavedenRecord& record, std::size_t row, std::size_t column,
                        int port) {
    TNavedenRecord next = record;
    if (row >= kRoutingRows || column >= kRoutingRowEntries) return next;
    auto& cells = next.Rows[row];
    cells[column] = port;
    std::stable_partition(cells.begin(), cells.end(), [](std::int32_t p) { return p != 0; });
    return next;
}

bool StoreRoutingTable(TMainClass& session, TDataStream& store, int table,
                       const TNavedenRecord& record, const std::string& nameUtf8,
                       TUserDialogs& dialogs) {
    if (table < 0 || table >= RoutingTableCount(session)) return false;
    if (!NameInto(store, table, nameUtf8, dialogs)) return false;
    store.RoutingTables[static_cast<std::size_t>(table)] = record;
    EncodeNavedenTable(session, store);
    return true;
}

bool StoreRoutingName(TDataStream& store, int table, const std::string& nameUtf8,
                      TUserDialogs& dialogs) {
    if (table < 0 || static_cast<std::size_t>(table) >= kMaxRoutingTables) return false;
    return NameInto(store, table, nameUtf8, dialogs);
}

}  // namespace zarnik
