#pragma once
// What the redirection window ("Таблица переадресаций") does besides showing widgets: the grid
// of the station's ports (one row per board, one column per position), the cell texts, the
// rule a typed target must meet, what typing into a cell does, and the commit into the store.
// Texts here are UTF-8 as the widgets show them.

#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr const char* kNoRedirectCell = "-----";
inline constexpr const char* kPortUnavailableMessage = "Порт недоступен для данной операции";
inline constexpr const char* kPortUnavailableCaption = "Предупреждение";
inline constexpr const char* kWrongTargetMessage = "Введен неправильный номер.";

// Data rows and columns of the grid for a model: Dogwood 15 x 10, Cedar 12 x 10, Birch 10 x 8,
// Alder 6 x 8; none for any other model text.
struct TRedirectionLayout {
    int Rows = 0;
    int Columns = 0;
    int Cells() const { return Rows * Columns; }
};
TRedirectionLayout RedirectionLayout(const std::string& model);

// Row headers 200, 210, ...; column headers 0, 1, ...; a cell's port is their sum.
inline int RedirectionRowHeader(int row) {
    return 200 + 10 * row;
}

// The port a typed text names as a target: its first three characters as a number, when they
// are digits and the number is a subscriber line or system phone port of the port model.
std::optional<int> RedirectionTarget(const TDataStream& store, const std::string& typed);

class TRedirectionEditor {
  public:
    // The cells as the store's redirection records show them. A cell whose record lies outside
    // the station's subscriber lines cannot be redirected: the table never carries it.
    TRedirectionEditor(const TMainClass& session, const TDataStream& store);

    const TRedirectionLayout& Layout() const { return Grid; }
    int PortOf(int cell) const;
    const std::string& Cell(int cell) const { return Cells[static_cast<std::size_t>(cell)]; }

    // Starting to edit a cell: false, with its warning, for a cell that cannot be redirected.
    bool BeginEdit(int cell, TUserDialogs& dialogs) const;
    // Enter in the editor: a valid target becomes "205(1234)"; an invalid non-empty text shows
    // its message and empties the cell; an empty text empties it.
    void EnterTyped(int cell, const std::string& typed, TUserDialogs& dialogs);
    // The editor left for another cell: a valid target goes into the cell as typed; an invalid
    // non-empty text shows its message and leaves the cell as it was. False when refused.
    bool LeaveTyped(int cell, const std::string& typed, TUserDialogs& dialogs);

    // "OK": every cell into its record ("-----" cannot be redirected, a valid text sets the
    // target, a cell left as shown keeps its record, anything else clears the target), the
    // record count set, and the redirection table encoded.
    void Commit(TMainClass& session, TDataStream& store);

  private:
    std::string TargetText(int port) const;
    bool BeginEditable(int cell) const;

    const TDataStream& Store;
    TRedirectionLayout Grid;
    int Lines = 0;  // records the table carries
    std::vector<std::string> Cells;
    std::vector<std::string> Shown;  // the texts as the records first gave them
};

}  // namespace zarnik
