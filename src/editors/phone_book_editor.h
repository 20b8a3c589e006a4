#pragma once
// What the common and group phone-book windows do besides showing widgets: how stored entries
// become grid rows in the two ways a station's version asks for, which keys a cell takes, and
// how the rows become entries again when they are committed.
//
// Before "30,8" a row shows its entry as it stands. From "30,8" on the first symbol of an
// entry is the direction, and an entry of a full 16 symbols continues into the next cell: the
// rows joined that way show as one long number, the continuation rows marked "-------".

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

enum class EBookWay {
    Plain,   // below "30,8": direction "9" on every row, entries as they stand
    Joined,  // from "30,8" on: direction first, full entries continue into the next cell
};
EBookWay BookWay(const std::string& version);

inline constexpr const char* kContinuationMark = "-------";
inline constexpr const char* kBadBookEntry = "Ошибка во введенных данных.";

// One row of a phone-book grid. Texts are as the widgets show them (UTF-8).
struct TBookRow {
    std::string Code;     // "070", "071", ...
    std::string Dir;      // "", "9", "01".."05"; "9" on every row of the plain way
    std::string Number;   // the symbols, or kContinuationMark on a continuation row
    std::string Comment;  // the entry's name
    bool Continuation = false;

    bool operator==(const TBookRow&) const = default;
};

// "070" for row 0, upwards.
std::string BookCellCode(std::size_t row);

// The rows of a book's entries (names not filled in).
std::vector<TBookRow> BookRows(std::span<const std::string> entries, EBookWay way);

// The most symbols a number typed into a row may hold: 15 in the plain way; in the joined way
// as many as the cells from this row to the last can carry after the direction.
std::size_t BookNumberLimit(EBookWay way, std::size_t row, std::size_t rowCount);

// The number column takes digits, "p", "P", "*", "#", "A", "a", "T", "t" (backspace and Enter
// are the editor's own keys).
bool IsBookSymbol(char c);
bool BookNumberAcceptable(std::string_view text, std::size_t limit);
// The direction column: "0" or "9" first; after "0" one digit other than "0" and "9"; after
// "9" nothing.
bool BookDirectionAcceptable(std::string_view text);
// A number typed on a row without a direction gets the direction "9".
std::string DirectionForTypedNumber(const std::string& dir, const std::string& number);

// The entries the rows stand for, as many as there are rows. In the joined way a number with
// its direction of 16 symbols or more is cut into cells of 16, the rest into the cell after
// them. Given the entries the rows were shown from, a row whose direction and number were not
// touched gives back its cells exactly as they were (a direction shown as "9" stays what it
// was). nullopt with `error` set when a row holds what no entry can, or a long number would
// need a cell that holds a number of its own.
std::optional<std::vector<std::string>> BookEntriesFromRows(
    std::span<const TBookRow> rows, EBookWay way, std::string& error,
    std::span<const std::string> stored = {});

// A cell as the station holds it, before the rows of a version join cells: up to 16 of the
// number symbols. BookCellText is what a commit stores of it (letters in capitals).
bool BookCellAcceptable(std::string_view text);
std::string BookCellText(std::string_view text);

// The common book's 30 rows, with the entries' names.
std::vector<TBookRow> GlobalBookRows(const TMainClass& session, const TDataStream& store);
// "Внести данные": the rows' entries and names into the store and the names list, then the
// table is encoded. A refused row or name shows its message and changes nothing.
bool CommitGlobalBook(TMainClass& session, TDataStream& store, std::span<const TBookRow> rows,
                      TUserDialogs& dialogs);

// The book's cells as the station holds them, checked by the caller (BookCellAcceptable), and
// their names as typed (UTF-8) into the store and the names list, then the table is encoded.
// A refused name shows its message and changes nothing.
bool CommitGlobalBookCells(TMainClass& session, TDataStream& store,
                           std::span<const std::string> cells, std::span<const std::string> names,
                           TUserDialogs& dialogs);

// "10  Бухгалтерия": one line per group phone book.
std::vector<std::string> GroupBookListLines(const TDataStream& store);
// A group's 20 rows, with the entries' names.
std::vector<TBookRow> GroupBookRows(const TMainClass& session, const TDataStream& store,
                                    std::size_t group);
// The common book's number shown beside each group book row: what the common book's own
// window shows in its number column for the same cell.
std::vector<std::string> CommonNumbersBeside(const TMainClass& session, const TDataStream& store,
                                             std::size_t rows);
// The group's rows into its book and names, then the group phone books are encoded.
bool CommitGroupBook(TMainClass& session, TDataStream& store, std::size_t group,
                     std::span<const TBookRow> rows, TUserDialogs& dialogs);
// The group's cells and names, as CommitGlobalBookCells takes them.
bool CommitGroupBookCells(TMainClass& session, TDataStream& store, std::size_t group,
                          std::span<const std::string> cells, std::span<const std::string> names,
                          TUserDialogs& dialogs);

}  // namespace zarnik
