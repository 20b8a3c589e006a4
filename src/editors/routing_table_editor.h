#pragma once
// What the routing tables window does besides showing widgets: the list of tables with their
// names, the cells of a table as port texts, the ports a cell may be given, and storing a
// table with its name.

#include <array>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

// The station's routing tables, never more than the store holds.
int RoutingTableCount(const TMainClass& session);

// "01  Дежурные": the 1-based table number in two digits, two spaces, the table's name.
std::vector<std::string> RoutingListLines(const TMainClass& session, const TDataStream& store);

// The table's name (UTF-8).
std::string RoutingTableName(const TDataStream& store, int table);

// A line port as the windows show it: "205 (Иванов)", "205 ()" for a line without a name,
// "" for no port. UTF-8.
std::string LinePortText(const TMainClass& session, const TDataStream& store, int port);

// One entry of a port choice list.
struct TPortChoice {
    int Port = 0;  // 0: the empty entry, no port
    std::string Text;
    bool operator==(const TPortChoice&) const = default;
};

// The choice list over a routing cell: the empty entry (to take a line out of the table), then
// every subscriber-line and system-phone port in port order. A port whose line number cannot
// travel in a routing block is not offered: it would be dropped when the table is encoded.
std::vector<TPortChoice> RoutingPortChoices(const TMainClass& session, const TDataStream& store);

using TRoutingCells = std::array<std::array<std::string, kRoutingRowEntries>, kRoutingRows>;
TRoutingCells RoutingCells(const TMainClass& session, const TDataStream& store, int table);

// The table with `port` put into a cell (0 takes the cell's port out). A row is used up to its
// first empty cell, so the row's lines close up to the left: a line put after a gap moves into
// the gap rather than being lost when the table is encoded.
TNavedenRecord WithCell(const TNavedenRecord& record, std::size_t row, std::size_t column,
                        int port);

// A cell chosen: the table and its name into the store and the names list, then the routing
// tables are encoded. A refused name shows its message and changes nothing.
bool StoreRoutingTable(TMainClass& session, TDataStream& store, int table,
                       const TNavedenRecord& record, const std::string& nameUtf8,
                       TUserDialogs& dialogs);
// The table's name alone (Enter in the name field, leaving the table, closing the window).
bool StoreRoutingName(TDataStream& store, int table, const std::string& nameUtf8,
                      TUserDialogs& dialogs);

}  // namespace zarnik
