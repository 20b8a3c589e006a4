#pragma once
// The office directory as spreadsheet sheets: the lines with their program numbers and names,
// the common phone book, the group phone books, and the white and black lists. Each sheet is a
// CSV file with a Russian header row. Exported from the configuration in hand; imported back
// with every value checked by the rules the windows apply when it is typed, first as a plan (the
// problems by line of the file, and the changes in the comparison's words), then applied only
// when asked, whole or not at all, through the windows' own commits: the tables are encoded and
// marked for writing, and the names go to the names files, as the windows do it.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flows/config_diff.h"
#include "flows/directory_csv.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

enum class ESheet { Lines, Book, GroupBooks, BwList };

struct TSheetInfo {
    ESheet Sheet;
    const char* Key;      // "lines", as the command line names it; also the file's name
    const char* Caption;  // "АЛ и СТА: программные номера и имена"
};
const std::array<TSheetInfo, 4>& DirectorySheets();
const TSheetInfo& SheetInfo(ESheet sheet);
std::optional<ESheet> SheetByKey(std::string_view key);
// "lines.csv"
std::string SheetFileName(ESheet sheet);

// Why the configuration has no such sheet ("" when it has): the black and white lists need a
// working program that keeps them.
std::string SheetUnavailable(const TMainClass& session, ESheet sheet);

// The sheet's rows, header first, as UTF-8 texts.
std::vector<std::vector<std::string>> SheetRows(const TDataStream& store, ESheet sheet);
// The sheet as the bytes of a CSV file.
std::string ExportSheet(const TDataStream& store, ESheet sheet, const TCsvFormat& format);

// Something found in an imported file, with the line of the file (0: the file as a whole).
struct TImportNote {
    int Line = 0;
    std::string Text;
    std::string Shown() const;  // "Строка 5: ..."
};

// A line's new program number and name.
struct TLineImport {
    int Port = 0;
    std::string Number;
    std::string Name;  // UTF-8
};

// A book's cells as the station will hold them and their names (UTF-8).
struct TBookImport {
    std::size_t Book = 0;  // the group's index for a group book
    std::vector<std::string> Cells;
    std::vector<std::string> Names;
};

struct TDirectoryImport {
    ESheet Sheet = ESheet::Lines;
    bool Cp1251 = false;  // the file was read as Windows-1251
    std::vector<TImportNote> Errors;
    std::vector<TImportNote> Warnings;
    // Every value that would change, as the comparison names it (Left old, Right new).
    std::vector<TDiffItem> Changes;

    // What applying stores: only what changes.
    std::vector<TLineImport> Lines;
    std::vector<TBookImport> Books;  // the common book, or the group books that change
    std::optional<std::array<std::string, kBwListEntries>> BwCells;

    bool Ok() const { return Errors.empty(); }
};

// The sheet a file's header row names; nullopt when it names none.
std::optional<ESheet> DetectSheet(const TCsvTable& table);

// Reads the file's bytes as the sheet (or, without one, as the sheet its header names) and
// checks every row against the configuration in hand; nothing is changed.
TDirectoryImport PlanImport(const TMainClass& session, const TDataStream& store,
                            std::optional<ESheet> sheet, std::string_view bytes);
// The same for a file on disk, of which no more than the size a sheet may have is read.
TDirectoryImport PlanImportFile(const TMainClass& session, const TDataStream& store,
                                std::optional<ESheet> sheet, const std::string& path);

// Stores a good plan through the windows' commits. False, after the commit's message, when a
// commit refuses; the tables are then as they were.
bool ApplyImport(TMainClass& session, TDataStream& store, const TDirectoryImport& plan,
                 TUserDialogs& dialogs);

// The plan as text: the problems, the warnings and the changes ("record: field: old → new")
// section by section, or that nothing changes.
std::string ImportText(const TDirectoryImport& plan);

}  // namespace zarnik
