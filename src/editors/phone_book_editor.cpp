#include "editors/phone_book_editor.h"

#include <algorithm>
#include <cctype>

#include "codecs/global_phone_book_codec.h"
#include "codecs/group_phone_book_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr std::size_t kCell = kBookEntrySymbols;  // symbols one cell holds
constexpr std::size_t kPlainTypedLimit = kCell - 1;
constexpr int kFirstCellCode = 70;
constexpr const char* kErrorCaption = "Ошибка";

// "1".."5" show as "01".."05", anything else as "9".
std::string DirectionOf(char first) {
    if (first >= '1' && first <= '5') return std::string("0") + first;
    return "9";
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The entry a row's own cell starts with: the direction (its last symbol) and the number; a
// direction alone is no entry.
std::string RowText(const TBookRow& row, EBookWay way) {
    if (way == EBookWay::Plain) return Upper(row.Number);
    const std::string dir = row.Dir.size() == 2 ? row.Dir.substr(1) : row.Dir;
    std::string text = dir + Upper(row.Number);
    return text.size() == 1 ? std::string{} : text;
}

bool RowAcceptable(const TBookRow& row, EBookWay way, std::size_t index, std::size_t count) {
    if (way == EBookWay::Plain) return BookNumberAcceptable(row.Number, kCell);
    return BookDirectionAcceptable(row.Dir) &&
           BookNumberAcceptable(row.Number, BookNumberLimit(way, index, count));
}

// The names the rows give, checked before anything is stored: index and Windows-1251 text of
// each name that differs from the one the names list holds.
struct TNameChange {
    int Index;
    std::string Cp1251;
};

template <typename TGet>
std::optional<std::vector<TNameChange>> ChangedNames(std::span<const std::string> names, TGet get,
                                                     TUserDialogs& dialogs) {
    std::vector<TNameChange> changes;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int index = static_cast<int>(i);
        if (names[i] == Cp1251ToUtf8(get(index))) continue;
        TNameCheck check = CheckName(names[i]);
        if (!check.Ok()) {
            dialogs.Message(check.Error, kErrorCaption);
            return std::nullopt;
        }
        changes.push_back({index, std::move(check.Cp1251)});
    }
    return changes;
}

template <typename TSet>
void StoreNames(const std::vector<TNameChange>& changes, TSet set, TUserDialogs& dialogs) {
    bool failed = false;
    for (const TNameChange& c : changes) failed |= set(c.Index, c.Cp1251) < 0;
    if (failed) dialogs.Message(kNamesNotWritten, kErrorCaption);
}

std::vector<std::string> CommentsOf(std::span<const TBookRow> rows) {
    std::vector<std::string> comments;
    comments.reserve(rows.size());
    for (const TBookRow& row : rows) comments.push_back(row.Comment);
    return comments;
}

std::optional<std::vector<std::string>> EntriesOrMessage(std::span<const TBookRow> rows,
                                                         EBookWay way,
                                                         std::span<const std::string> stored,
                                                         TUserDialogs& dialogs) {
    std::string error;
    auto entries = BookEntriesFromRows(rows, way, error, stored);
    if (!entries) dialogs.Message(error, kErrorCaption);
    return entries;
}

}  // namespace

EBookWay BookWay(const std::string& version) {
    // 2 later, 1 the same; a version that is no version keeps the older way.
    return TBroadcaster::CompareVersions(version, "30,8") >= 1 ? EBookWay::Joined : EBookWay::Plain;
}

std::string BookCellCode(std::size_t row) {
    return "0" + std::to_string(kFirstCellCode + static_cast<int>(row));
}

std::vector<TBookRow> BookRows(std::span<const std::string> entries, EBookWay way) {
    std::vector<TBookRow> rows;
    rows.reserve(entries.size());
    if (way == EBookWay::Plain) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            rows.push_back({BookCellCode(i), "9", entries[i], "", false});
        return rows;
    }
    for (std::size_t i = 0; i < entries.size();) {
        const std::string& entry = entries[i];
        if (entry.empty()) {
            rows.push_back({BookCellCode(i), "", "", "", false});
            ++i;
            continue;
        }
        rows.push_back({BookCellCode(i), DirectionOf(entry[0]), entry.substr(1), "", false});
        const std::size_t owner = rows.size() - 1;
        // A full cell goes on in the next one, whatever that holds.
        std::size_t last = i;
        for (++i; entries[last].size() >= kCell && i < entries.size(); last = i++) {
            rows[owner].Number += entries[i];
            rows.push_back({BookCellCode(i), "", kContinuationMark, "", true});
        }
    }
    return rows;
}

std::size_t BookNumberLimit(EBookWay way, std::size_t row, std::size_t rowCount) {
    if (way == EBookWay::Plain || row >= rowCount) return kPlainTypedLimit;
    // The cells from this row to the last, less one symbol for the direction.
    return kCell * (rowCount - row) - 1;
}

bool IsBookSymbol(char c) {
    return (c >= '0' && c <= '9') || std::string_view("pP*#AaTt").find(c) != std::string::npos;
}

bool BookCellAcceptable(std::string_view text) {
    return BookNumberAcceptable(text, kCell);
}

std::string BookCellText(std::string_view text) {
    return Upper(std::string(text));
}

bool BookNumberAcceptable(std::string_view text, std::size_t limit) {
    return text.size() <= limit && std::all_of(text.begin(), text.end(), IsBookSymbol);
}

bool BookDirectionAcceptable(std::string_view text) {
    if (text.empty()) return true;
    if (text.size() > 2 || (text[0] != '0' && text[0] != '9')) return false;
    if (text.size() == 1) return true;
    return text[0] == '0' && text[1] >= '1' && text[1] <= '8';
}

std::string DirectionForTypedNumber(const std::string& dir, const std::string& number) {
    return dir.empty() && !number.empty() ? "9" : dir;
}

std::optional<std::vector<std::string>> BookEntriesFromRows(std::span<const TBookRow> rows,
                                                            EBookWay way, std::string& error,
                                                            std::span<const std::string> stored) {
    const std::size_t n = rows.size();
    std::vector<TBookRow> shown;
    if (stored.size() == n) shown = BookRows(stored, way);
    std::vector<std::string> texts(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (rows[i].Continuation) continue;
        if (!shown.empty() && rows[i].Dir == shown[i].Dir && rows[i].Number == shown[i].Number) {
            // Untouched: the cells go back as they were, also a direction the grid shows as 9.
            texts[i] = stored[i];
            for (std::size_t j = i;
                 way == EBookWay::Joined && stored[j].size() >= kCell && j + 1 < n;)
                texts[i] += stored[++j];
            continue;
        }
        if (!RowAcceptable(rows[i], way, i, n)) {
            error = kBadBookEntry;
            return std::nullopt;
        }
        texts[i] = RowText(rows[i], way);
    }
    if (way == EBookWay::Plain) return texts;

    // A long number takes the cells below its own; they must hold no number of their own.
    std::vector<std::string> entries(n);
    std::vector<bool> taken(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& text = texts[i];
        if (text.empty()) continue;
        std::vector<std::string> pieces;
        std::size_t pos = 0;
        for (; text.size() - pos >= kCell; pos += kCell) pieces.push_back(text.substr(pos, kCell));
        pieces.push_back(text.substr(pos));
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            const std::size_t cell = i + k;
            if (cell >= n) {
                if (pieces[k].empty()) break;  // a full last cell has nothing to go on with
                error = kBadBookEntry;
                return std::nullopt;
            }
            if (taken[cell] || (k > 0 && !texts[cell].empty())) {
                error = "Номер ячейки " + rows[i].Code + " не помещается: ячейка " +
                        rows[cell].Code + " занята другим номером.";
                return std::nullopt;
            }
            taken[cell] = true;
            entries[cell] = pieces[k];
        }
    }
    return entries;
}

std::vector<TBookRow> GlobalBookRows(const TMainClass& session, const TDataStream& store) {
    const std::span<const std::string> entries(store.GlobalExtNum->Entries.data(),
                                               kGlobalBookEntries);
    std::vector<TBookRow> rows = BookRows(entries, BookWay(session.Identity.Version));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].Comment = Cp1251ToUtf8(store.Names->GetGlobalExtNumName(static_cast<int>(i)));
    return rows;
}

bool CommitGlobalBook(TMainClass& session, TDataStream& store, std::span<const TBookRow> rows,
                      TUserDialogs& dialogs) {
    const std::span<const std::string> stored(store.GlobalExtNum->Entries.data(),
                                              kGlobalBookEntries);
    const auto entries = EntriesOrMessage(rows, BookWay(session.Identity.Version), stored, dialogs);
    if (!entries) return false;
    return CommitGlobalBookCells(session, store, *entries, CommentsOf(rows), dialogs);
}

bool CommitGlobalBookCells(TMainClass& session, TDataStream& store,
                           std::span<const std::string> cells, std::span<const std::string> names,
                           TUserDialogs& dialogs) {
    TNamesList& namesList = *store.Names;
    const auto changes = ChangedNames(
        names, [&namesList](int i) { return namesList.GetGlobalExtNumName(i); }, dialogs);
    if (!changes) return false;

    TGlobalExtNum& book = *store.GlobalExtNum;
    for (std::size_t i = 0; i < kGlobalBookEntries && i < cells.size(); ++i) book.Entries[i] = cells[i];
    book.Count = kGlobalBookEntries;
    EncodeGlobExtNumTable(session, store);
    StoreNames(
        *changes,
        [&namesList](int i, const std::string& s) { return namesList.SetGlobalExtNumName(i, s); },
        dialogs);
    return true;
}

std::vector<std::string> GroupBookListLines(const TDataStream& store) {
    std::vector<std::string> lines;
    for (int g = 0; g < static_cast<int>(kGroupPhoneBooks); ++g)
        lines.push_back(std::to_string(kFirstGroupNumber + g) + "  " +
                        Cp1251ToUtf8(store.Names->GetGroupName(g)));
    return lines;
}

std::vector<TBookRow> GroupBookRows(const TMainClass& session, const TDataStream& store,
                                    std::size_t group) {
    const std::span<const std::string> entries(store.GroupExtNums.at(group).Entries.data(),
                                               kGroupBookEntries);
    std::vector<TBookRow> rows = BookRows(entries, BookWay(session.Identity.Version));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].Comment = Cp1251ToUtf8(
            store.Names->GetGroupExtNumName(static_cast<int>(group), static_cast<int>(i)));
    return rows;
}

std::vector<std::string> CommonNumbersBeside(const TMainClass& session, const TDataStream& store,
                                             std::size_t rows) {
    const std::span<const std::string> entries(store.GlobalExtNum->Entries.data(),
                                               kGlobalBookEntries);
    std::vector<std::string> numbers;
    for (const TBookRow& row : BookRows(entries, BookWay(session.Identity.Version))) {
        if (numbers.size() == rows) break;
        numbers.push_back(row.Number);
    }
    return numbers;
}

bool CommitGroupBook(TMainClass& session, TDataStream& store, std::size_t group,
                     std::span<const TBookRow> rows, TUserDialogs& dialogs) {
    if (group >= kGroupPhoneBooks) return false;
    const std::span<const std::string> stored(store.GroupExtNums[group].Entries.data(),
                                              kGroupBookEntries);
    const auto entries = EntriesOrMessage(rows, BookWay(session.Identity.Version), stored, dialogs);
    if (!entries) return false;
    return CommitGroupBookCells(session, store, group, *entries, CommentsOf(rows), dialogs);
}

bool CommitGroupBookCells(TMainClass& session, TDataStream& store, std::size_t group,
                          std::span<const std::string> cells, std::span<const std::string> names,
                          TUserDialogs& dialogs) {
    if (group >= kGroupPhoneBooks) return false;
    TNamesList& namesList = *store.Names;
    const int book = static_cast<int>(group);
    const auto changes = ChangedNames(
        names, [&namesList, book](int i) { return namesList.GetGroupExtNumName(book, i); },
        dialogs);
    if (!changes) return false;

    TGroupExternNum& entriesOfGroup = store.GroupExtNums[group];
    for (std::size_t i = 0; i < kGroupBookEntries && i < cells.size(); ++i)
        entriesOfGroup.Entries[i] = cells[i];
    entriesOfGroup.Count = kGroupBookEntries;
    EncodeGroupExtNumTable(session, store);
    StoreNames(
        *changes,
        [&namesList, book](int i, const std::string& s) {
            return namesList.SetGroupExtNumName(book, i, s);
        },
        dialogs);
    return true;
}

}  // namespace zarnik
