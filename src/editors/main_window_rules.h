#pragma once
// What the main window decides without a widget: the sixteen check boxes of its panels and the
// tables they stand for, which commands are enabled, and the question about unsaved edits.

#include <array>
#include <string>
#include <vector>

#include "files/config_flows.h"
#include "link/main_class.h"

namespace zarnik {

// One check box of the read, write, load and save panels, in panel order.
struct TPanelBox {
    ETable Table;
    const char* Caption;
};
const std::array<TPanelBox, kTableCount>& PanelBoxes();

// The panel's boxes (in panel order) as table ticks (by selection index) and back.
TTableTicks TicksFromPanel(const std::array<bool, kTableCount>& boxes);
std::array<bool, kTableCount> PanelFromTicks(const TTableTicks& ticks);
// The write panel offers exactly the tables changed since the last read.
TTableTicks TicksFromChangeFlags(const TMainClass& session);

// Every command of the menus and the toolbar.
enum class ECommand {
    CreateFile, LoadFile, SaveFile, ReadStation, WriteStation, Report, Exit,
    GroupsLines, TrunksBulk, ProgramNumbers, Redirections, RoutingTables, CrossConnect,
    Loudspeakers, DoorPhones, StaButtons, Conferences,
    SystemSettings, TimeSettings, StationClock, GlobalPhoneBook, GroupPhoneBooks,
    BlackWhiteLists, Clearing, Composition,
    Options, About, Help,
    CompareFile, DirectoryExport, DirectoryImport, Archive,
};

// Menu enabling, as computed when a menu opens: the data-present flag, and for the
// conference and black-and-white-list windows also the capability record of the identity.
bool MenuEnabled(ECommand c, const TMainClass& session);
// Toolbar enabling: saving and the line window follow the data-present flag, writing to the
// station and the bulk trunk-line window need an identified station.
bool ToolbarEnabled(ECommand c, const TMainClass& session);

// A few lines about the configuration in hand for the main window: the station, its boards
// and ports, and the tables changed since the last read that a write would send.
std::vector<std::string> ConfigurationSummary(const TMainClass& session, const TDataStream& store);

// Asked before a read, a load, the constructor or closing would drop edits that were neither
// saved to a file nor written to the station.
inline constexpr const char* kUnsavedQuestion =
    "В конфигурацию внесены изменения, которые не записаны ни в файл, ни в АТС. "
    "Сохранить их в файл?";

}  // namespace zarnik
