#include "editors/program_number_editor.h"

#include <algorithm>

#include "codecs/program_number_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "model/names_list.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr const char* kErrorCaption = "Ошибка";

bool ShownInWindow(const TPort& port) {
    return port.Type == kPortTypeSta || port.Type == kPortTypeSubscriber;
}

int LineIndex(const TDataStream& store, int port) {
    return TBroadcaster::GetLineNumFromPortNum(store.Model, std::to_string(port)) - 1;
}

std::string StoredName(const TDataStream& store, int port) {
    return store.Names ? store.Names->GetPortName(LineIndex(store, port)) : std::string{};
}

// The heading row SaveProgramNumbers skips, as the window's grid has it.
TProgramNumberRow HeadingRow() {
    return {Utf8ToCp1251("Апп.номер"), "", Utf8ToCp1251("Прогр. номер"), ""};
}

// The window's rows as the store holds them now, to be put back when a commit is refused.
TProgramNumberGrid GridOfStore(const TDataStream& store, const std::vector<TPrgNumRow>& rows) {
    TProgramNumberGrid grid{HeadingRow()};
    for (const TPrgNumRow& row : rows) {
        const TPortPtr port = FindPort(store, row.Port);
        grid.push_back({std::to_string(row.Port), Utf8ToCp1251(row.Group),
                        port ? port->AlData->AL_PrgNum : std::string{},
                        StoredName(store, row.Port)});
    }
    return grid;
}

// The grid into the ports and the names; without a names list only the numbers.
void SaveGrid(TDataStream& store, const TProgramNumberGrid& grid) {
    if (store.Names) {
        store.Names->SaveProgramNumbers(store, grid);
        return;
    }
    for (std::size_t r = 1; r < grid.size(); ++r)
        if (const TPortPtr port = FindPort(store, std::stoi(grid[r][kPrgGridPortColumn])))
            port->AlData->AL_PrgNum = grid[r][kPrgGridNumberColumn];
}

}  // namespace

TProgramNumberEditor::TProgramNumberEditor(const TDataStream& store) {
    for (const TPortPtr& port : store.Ports) {
        if (!ShownInWindow(*port)) {
            if (IsLinePort(*port) && port->Type != kPortTypeTrunk &&
                !port->AlData->AL_PrgNum.empty())
                HiddenNumbers.push_back(Cp1251ToUtf8(port->AlData->AL_PrgNum));
            continue;
        }
        TPrgNumRow row;
        row.Port = port->Number;
        const int line = LineIndex(store, port->Number);
        if (line >= 0 && static_cast<std::size_t>(line) < store.Lines.size()) {
            const std::int32_t group = store.Lines[static_cast<std::size_t>(line)].ALGroup;
            if (group >= 0) row.Group = std::to_string(group + 10);
        }
        row.Number = Cp1251ToUtf8(port->AlData->AL_PrgNum);
        row.Name = Cp1251ToUtf8(StoredName(store, port->Number));
        StoredNames.push_back(row.Name);
        RowsShown.push_back(std::move(row));
    }
}

std::string ProgramNumberProblem(const std::string& number) {
    if (number.empty()) return "";
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "в программном номере могут быть только цифры";
    if (number.front() != kPrgNumFirstDigit) return "программный номер начинается с цифры 1";
    if (number.size() > kPrgNumMaxDigits) return "в программном номере не больше 4 цифр";
    if (number.size() < kPrgNumMinDigits) return "в программном номере должно быть не менее 2-х цифр";
    return "";
}

int TProgramNumberEditor::RowOfPort(int port) const {
    for (std::size_t r = 0; r < RowsShown.size(); ++r)
        if (RowsShown[r].Port == port) return static_cast<int>(r);
    return -1;
}

std::string TProgramNumberEditor::AtEditBoundary(const std::string& text) {
    return !text.empty() && text.front() == kPrgNumFirstDigit ? text : std::string{};
}

bool TProgramNumberEditor::NumberTaken(int row, const std::string& number) const {
    for (std::size_t r = 0; r < RowsShown.size(); ++r)
        if (static_cast<int>(r) != row && RowsShown[r].Number == number) return true;
    return std::find(HiddenNumbers.begin(), HiddenNumbers.end(), number) != HiddenNumbers.end();
}

TPrgNumKey TProgramNumberEditor::Key(int row, const std::string& text, char key,
                                     TUserDialogs& dialogs) {
    TPrgNumKey out;
    out.Text = text;
    const bool digit = key >= '0' && key <= '9';
    if (!digit && key != '\b' && key != '\r') return out;
    if (key != '\b' &&
        (text.size() >= kPrgNumMaxDigits || (text.empty() && key != kPrgNumFirstDigit)))
        return out;
    out.Passed = true;
    Dirty = true;
    if (key == '\b') {
        if (!out.Text.empty()) out.Text.pop_back();
        return out;
    }
    if (!digit) return out;
    const std::string next = text + key;
    // A lone "1" is no number yet (a commit clears it), so it is not compared.
    if (next.size() > 1 && NumberTaken(row, next)) {
        dialogs.Message(kPrgNumDuplicateMessage, kErrorCaption);
        out.Duplicate = true;
        out.Text.clear();
        return out;
    }
    out.Text = next;
    return out;
}

void TProgramNumberEditor::SetNumber(int row, const std::string& text) {
    if (row < 0 || static_cast<std::size_t>(row) >= RowsShown.size()) return;
    RowsShown[static_cast<std::size_t>(row)].Number = text;
}

void TProgramNumberEditor::SetName(int row, const std::string& text) {
    if (row < 0 || static_cast<std::size_t>(row) >= RowsShown.size()) return;
    TPrgNumRow& r = RowsShown[static_cast<std::size_t>(row)];
    if (r.Name == text) return;
    r.Name = text;
    Dirty = true;
}

bool TProgramNumberEditor::Commit(TMainClass& session, TDataStream& store, TUserDialogs& dialogs) {
    RefusedName = -1;
    for (TPrgNumRow& row : RowsShown)
        row.Number.erase(std::remove(row.Number.begin(), row.Number.end(), ' '), row.Number.end());
    for (TPrgNumRow& row : RowsShown) {
        if (row.Number.empty() || row.Number.size() >= kPrgNumMinDigits) continue;
        dialogs.Message(kPrgNumTooShortMessage, kErrorCaption);
        row.Number.clear();
    }
    for (std::size_t r = 0; r < RowsShown.size(); ++r) {
        if (RowsShown[r].Number.empty() || !NumberTaken(static_cast<int>(r), RowsShown[r].Number))
            continue;
        dialogs.Message(kPrgNumDuplicateMessage, kErrorCaption);
        return false;
    }
    // Names the user changed must fit the names file as typed; those shown as stored pass.
    TProgramNumberGrid grid{HeadingRow()};
    for (std::size_t r = 0; r < RowsShown.size(); ++r) {
        const TPrgNumRow& row = RowsShown[r];
        std::string name = Utf8ToCp1251(row.Name);
        if (row.Name != StoredNames[r]) {
            TNameCheck check = CheckName(row.Name);
            if (!check.Ok()) {
                RefusedName = static_cast<int>(r);
                dialogs.Message(check.Error, kErrorCaption);
                return false;
            }
            name = std::move(check.Cp1251);
        }
        grid.push_back({std::to_string(row.Port), Utf8ToCp1251(row.Group), Utf8ToCp1251(row.Number),
                        std::move(name)});
    }

    const TProgramNumberGrid before = GridOfStore(store, RowsShown);
    SaveGrid(store, grid);
    // The names list never grows: a line it has no place for cannot keep a new name.
    for (std::size_t r = 0; r < RowsShown.size(); ++r) {
        const TPrgNumRow& row = RowsShown[r];
        if (row.Name == StoredNames[r] || !store.Names ||
            store.Names->GetPortName(LineIndex(store, row.Port)) == grid[r + 1][kPrgGridNameColumn])
            continue;
        SaveGrid(store, before);
        RefusedName = static_cast<int>(r);
        dialogs.Message("Для линии порта " + std::to_string(row.Port) +
                            " в файле имён нет места: имя не сохранено, данные не внесены.",
                        kErrorCaption);
        return false;
    }
    // The encode leaves the table as it was when it refuses a number, and says why.
    if (EncodePrgNumTable(session, store) < 0) {
        SaveGrid(store, before);
        return false;
    }
    if (store.Names && store.Names->GetIoFailed()) dialogs.Message(kNamesNotWritten, kErrorCaption);
    for (std::size_t r = 0; r < RowsShown.size(); ++r) StoredNames[r] = RowsShown[r].Name;
    Dirty = false;
    return true;
}

}  // namespace zarnik
