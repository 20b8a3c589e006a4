#pragma once
// What the trunk line grid ("Одновременное программирование СЛ") and the trunk line panel of
// the line-and-group window do besides showing widgets: the cell texts of a trunk line record
// and back, the auto-dial key rule, the choice lists, the rule that pairs two blocked trunk
// lines, and the commits. Texts here are UTF-8 as the widgets show them; names reach the names
// list as Windows-1251.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

// Grid columns: the port, eighteen switches (1-12 settings, 13-17 directions 01-05, 18
// direction 9), then the long-distance digit, the line type, the auto-dial number, the day and
// night routing tables and the blocked trunk line.
inline constexpr int kTrunkColumns = 25;
inline constexpr int kTrunkPortColumn = 0;
inline constexpr int kTrunkFirstSwitchColumn = 1;
inline constexpr int kTrunkPauseColumn = 12;
inline constexpr int kTrunkLastSwitchColumn = 18;
inline constexpr int kTrunkMGDigitColumn = 19;
inline constexpr int kTrunkTypeColumn = 20;
inline constexpr int kTrunkAutoDialColumn = 21;
inline constexpr int kTrunkDayColumn = 22;
inline constexpr int kTrunkNightColumn = 23;
inline constexpr int kTrunkBlockColumn = 24;
inline constexpr int kTrunkSwitches = kTrunkLastSwitchColumn;

inline constexpr const char* kTrunkOn = "X";
// Column 12 on a station that does not carry the setting.
inline constexpr const char* kTrunkNotCarried = "-";

using TTrunkRow = std::array<std::string, kTrunkColumns>;

// Pixel width of a grid column.
int TrunkColumnWidth(int column);
// The meaning of a column, as its legend line shows it: "1 - Запрет исходящей связи по СЛ";
// "" for the port column.
std::string TrunkColumnLegend(int column);
// The setting's caption without its column number: "Запрет исходящей связи по СЛ".
std::string TrunkColumnCaption(int column);
// The switch of column 1 + index (0-17) in the record.
bool& TrunkSwitch(TSL& record, int index);
bool TrunkSwitch(const TSL& record, int index);

// Whether the station keeps "Запрет паузы после цифры межгорода при автонаборе" (from 24,4).
bool PauseAfter8Carried(const std::string& version);
// The auto-dial field: digits always; # * P p T t A a from 24,3 on.
bool AutoDialKeyAccepted(char typed, const std::string& version);
// The message that refuses a whole auto-dial number (pasted, or kept from elsewhere), or
// nullopt when the station takes it.
std::optional<std::string> AutoDialProblem(const std::string& number, const std::string& version);
inline constexpr std::size_t kTrunkAutoDialLength = 8;

// The trunk lines the windows show: every trunk line port of the port list, in its order, whose
// record the station's trunk line table holds.
std::vector<int> TrunkPorts(const TMainClass& session, const TDataStream& store);
// The record index of a trunk line port, or -1 when the table does not hold it.
int TrunkRecordIndex(const TMainClass& session, int port);

// Choice lists: long-distance digit "0".."9", line type "1".."4", routing table "" then "1" to
// the station's count, blocked trunk line "" then every trunk line port.
std::vector<std::string> MGDigitChoices();
std::vector<std::string> TrunkTypeChoices();
std::vector<std::string> TrunkRoutingChoices(const TMainClass& session);
std::vector<std::string> BlockChoices(const TMainClass& session, const TDataStream& store);

// The cells of one row, from a record.
TTrunkRow TrunkRowOf(const TSL& record, int port, const std::string& version);
// A row into a record: switches from "X" (column 12 only where carried), numbers from their
// cells, empty routing and block cells as -1. False, the record untouched, when a number cell
// holds no number.
bool ApplyTrunkRow(const TTrunkRow& row, TSL& record, const std::string& version);

// Blocked trunk lines name each other. One entry per trunk line shown: its port and the port
// it is blocked with (-1 none).
struct TTrunkPartner {
    int Port = -1;
    int Partner = -1;
};
enum class EPairing {
    Paired,     // the two lines now name each other
    Cleared,    // the line and whoever named it are blocked with none
    Unchanged,  // the line itself was chosen, or a line that is not shown
    Taken,      // the chosen line is already blocked with a third one
};
// Line `port` chooses `partner` (-1 none). Pairing empties the entry of the line's former
// partner, so that no line stays blocked with one that names another. `holder` receives the
// line that already holds the partner when the result is Taken.
EPairing ChooseBlockPartner(std::vector<TTrunkPartner>& lines, int port, int partner,
                            int* holder = nullptr);

// The grid's cells, row by row in TrunkPorts order.
class TTrunkGrid {
  public:
    TTrunkGrid(const TMainClass& session, const TDataStream& store);

    // "Вывести данные в грид": every cell from the store again, edits dropped.
    void Load(const TMainClass& session, const TDataStream& store);
    int RowCount() const { return static_cast<int>(Rows.size()); }
    const TTrunkRow& Row(int row) const { return Rows.at(static_cast<std::size_t>(row)); }
    const std::string& Cell(int row, int column) const {
        return Row(row).at(static_cast<std::size_t>(column));
    }
    int PortOfRow(int row) const { return Ports.at(static_cast<std::size_t>(row)); }

    // Columns 1-18: "X" and empty in turn. Column 12 stays "-" where the station does not keep
    // it. False when the cell does not toggle.
    bool Toggle(int row, int column);
    // Columns 19, 20, 22, 23 and 24: the chosen entry of the column's list. For column 24 the
    // pairing rule decides. False when nothing changed.
    bool Choose(int row, int column, const std::string& entry);
    // Column 21: the number typed into "Автонабор СЛ № ". Its message, nothing changed, when the
    // station does not take it.
    std::optional<std::string> SetAutoDial(int row, const std::string& number);
    // Cells that differ from what the store gives.
    bool Dirty(const TMainClass& session, const TDataStream& store) const;

    // "Внести данные" and closing: every row into its record, then the trunk line table
    // encoded. A cell that holds no number shows its message and changes nothing.
    bool Save(TMainClass& session, TDataStream& store, TUserDialogs& dialogs) const;

  private:
    std::string Version;
    std::vector<int> Ports;
    std::vector<TTrunkRow> Rows;
};

// The trunk line panel: one trunk line as its controls hold it.
struct TTrunkLineView {
    std::string Name;
    std::array<bool, kTrunkSwitches> Switches{};
    std::string MGDigit;
    std::string Type;
    std::string AutoDial;
    std::string Day;
    std::string Night;
    std::string Block;
    bool operator==(const TTrunkLineView&) const = default;
};

TTrunkLineView TrunkLineView(const TMainClass& session, const TDataStream& store, int port);

// "Внести данные" of the panel: the record, the partner's record by the pairing rule, the name
// into the names list, and the trunk line table encoded. A refused name, auto-dial number,
// partner or value shows its message and changes nothing; false then.
bool CommitTrunkLine(TMainClass& session, TDataStream& store, int port, const TTrunkLineView& view,
                     TUserDialogs& dialogs);

// Whether the station has a trunk line to show; without one the grid is not opened.
bool HasTrunkLines(const TMainClass& session, const TDataStream& store);
inline constexpr const char* kNoTrunkLinesMessage = "В АТС отсутствуют СЛ";
inline constexpr const char* kNoTrunkLinesCaption = "Предупреждение";

}  // namespace zarnik
