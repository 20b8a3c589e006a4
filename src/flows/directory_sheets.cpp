#include "flows/directory_sheets.h"

#include <algorithm>
#include <map>

#include "editors/bw_list_editor.h"
#include "editors/name_rules.h"
#include "editors/phone_book_editor.h"
#include "editors/program_number_editor.h"
#include "flows/config_snapshot.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr const char* kPortColumn = "Порт";
constexpr const char* kKindColumn = "Тип";
constexpr const char* kNumberColumn = "Программный номер";
constexpr const char* kNameColumn = "Имя";
constexpr const char* kGroupColumn = "Группа";
constexpr const char* kEntryColumn = "Запись";
constexpr const char* kPhoneColumn = "Номер";
constexpr const char* kListColumn = "Список";

constexpr const char* kLineNamesSection = "Имена линий";
constexpr const char* kBookNamesSection = "Имена записей общей записной книжки";
constexpr const char* kGroupBookNamesSection = "Имена записей групповых записных книжек";
constexpr const char* kNameField = "Имя";
constexpr const char* kArrow = " → ";

constexpr std::array<TSheetInfo, 4> kSheets{{
    {ESheet::Lines, "lines", "АЛ и СТА: программные номера и имена"},
    {ESheet::Book, "book", "Общая записная книжка"},
    {ESheet::GroupBooks, "groupbooks", "Групповые записные книжки"},
    {ESheet::BwList, "bwlist", "Черные и белые списки"},
}};

const std::array<std::vector<const char*>, 4> kHeaders{{
    {kPortColumn, kKindColumn, kNumberColumn, kNameColumn, kGroupColumn},
    {kEntryColumn, kPhoneColumn, kNameColumn},
    {kGroupColumn, kEntryColumn, kPhoneColumn, kNameColumn},
    {kListColumn, kEntryColumn, kPhoneColumn},
}};

const std::vector<const char*>& HeaderOf(ESheet sheet) {
    return kHeaders[static_cast<std::size_t>(sheet)];
}

// The column a sheet is keyed by, which every row must have.
std::vector<const char*> KeyColumns(ESheet sheet) {
    switch (sheet) {
        case ESheet::Lines:
            return {kPortColumn};
        case ESheet::Book:
            return {kEntryColumn};
        case ESheet::GroupBooks:
            return {kGroupColumn, kEntryColumn};
        case ESheet::BwList:
            return {kListColumn, kEntryColumn};
    }
    return {};
}

// The columns whose values an import stores.
std::vector<const char*> ValueColumns(ESheet sheet) {
    switch (sheet) {
        case ESheet::Lines:
            return {kNumberColumn, kNameColumn};
        case ESheet::Book:
        case ESheet::GroupBooks:
            return {kPhoneColumn, kNameColumn};
        case ESheet::BwList:
            return {kPhoneColumn};
    }
    return {};
}

const char* KindOf(const TPort& port) {
    return port.Type == kPortTypeSta ? "СТА" : "АЛ";
}

// "Белая 1", "белая1", "БЕЛАЯ 1" alike: Windows-1251 letters in lower case, without spaces, "ё"
// as "е". Texts the code page lacks cannot match a header or a list name anyway.
std::string Folded(std::string_view utf8) {
    std::string text = Utf8ToCp1251(utf8);
    std::string out;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == ' ' || c == '\t') continue;
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        if (c >= 0xC0 && c <= 0xDF) c = static_cast<unsigned char>(c + 32);
        if (c == 0xA8 || c == 0xB8) c = 0xE5;  // Ё, ё
        out += static_cast<char>(c);
    }
    return out;
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string WithoutSpaces(std::string text) {
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
    return text;
}

// A whole number from first to last, or nullopt.
std::optional<int> NumberIn(const std::string& field, int first, int last) {
    const std::string text = Trimmed(field);
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int n = std::stoi(text);
    if (n < first || n > last) return std::nullopt;
    return n;
}

std::string Quote(const std::string& text) {
    return "«" + text + "»";
}

std::string ListName(std::size_t section) {
    return section < kBwWhiteSections ? "белая " + std::to_string(section + 1) : "черная";
}

std::optional<std::size_t> ListByName(const std::string& field) {
    const std::string folded = Folded(field);
    for (std::size_t s = 0; s < kBwSections; ++s)
        if (folded == Folded(ListName(s))) return s;
    return std::nullopt;
}

// Where each column of the sheet stands in the file's header row.
struct TColumns {
    std::map<std::string, std::size_t> At;  // column caption -> field index
    std::optional<std::size_t> Find(const char* caption) const {
        const auto it = At.find(caption);
        return it == At.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }
};

// Reads rows against the configuration; one object per import.
class TImporter {
  public:
    TImporter(const TMainClass& session, const TDataStream& store, TDirectoryImport& out)
        : Session(session), Store(store), Out(out) {}

    void Run(const TCsvTable& table);

  private:
    const TMainClass& Session;
    const TDataStream& Store;
    TDirectoryImport& Out;
    TColumns Columns;

    void Error(int line, const std::string& text) { Out.Errors.push_back({line, text}); }
    void Warning(int line, const std::string& text) { Out.Warnings.push_back({line, text}); }
    void Change(ETable table, const std::string& section, const std::string& record,
                const std::string& field, const std::string& before, const std::string& after) {
        if (before != after)
            Out.Changes.push_back(
                {EDiffPart::Table, table, section, record, field, before, after, 0});
    }

    bool ReadHeader(const TCsvRow& header);
    // The row's value in a column, nullopt when the file has no such column; a row too short
    // for a column the sheet uses is an error.
    std::optional<std::string> Value(const TCsvRow& row, const char* caption);
    // The row's keys are there and a row with the same keys came before: false after the error.
    bool FirstOfItsKey(std::map<int, int>& seen, int key, const TCsvRow& row,
                       const std::string& what);
    // A changed name as the names files will take it.
    bool NameAcceptable(const TCsvRow& row, const std::string& name, const std::string& before);

    void Lines(const std::vector<TCsvRow>& rows);
    void Book(const std::vector<TCsvRow>& rows);
    void GroupBooks(const std::vector<TCsvRow>& rows);
    void BwList(const std::vector<TCsvRow>& rows);
    // One book's rows into its cells and names; false when a row was refused.
    struct TBookRowIn {
        const TCsvRow* Row;
        std::size_t Cell;
    };
    void BookRows(const std::vector<TBookRowIn>& rows, TBookImport& book);
};

bool TImporter::ReadHeader(const TCsvRow& header) {
    const std::vector<const char*>& known = HeaderOf(Out.Sheet);
    for (std::size_t i = 0; i < header.Fields.size(); ++i) {
        const std::string folded = Folded(header.Fields[i]);
        const auto it = std::find_if(known.begin(), known.end(),
                                     [&folded](const char* c) { return Folded(c) == folded; });
        if (it == known.end()) {
            if (!Trimmed(header.Fields[i]).empty())
                Warning(header.Line,
                        "столбец " + Quote(Trimmed(header.Fields[i])) + " не используется");
            else
                Warning(header.Line,
                        "столбец " + std::to_string(i + 1) + " без заголовка не используется");
            continue;
        }
        if (!Columns.At.emplace(*it, i).second) {
            Error(header.Line, "столбец " + Quote(*it) + " указан дважды");
            return false;
        }
    }
    for (const char* key : KeyColumns(Out.Sheet)) {
        if (Columns.Find(key)) continue;
        std::string text =
            "нет столбца " + Quote(key) + ": это не лист " + Quote(SheetInfo(Out.Sheet).Caption);
        TCsvTable one;
        one.Rows.push_back(header);
        if (const auto other = DetectSheet(one); other && *other != Out.Sheet)
            text +=
                ", а лист " + Quote(SheetInfo(*other).Caption) + " (" + SheetInfo(*other).Key + ")";
        Out.Warnings.clear();  // the columns of another sheet are no news
        Error(header.Line, text);
        return false;
    }
    std::string changed;
    for (const char* column : ValueColumns(Out.Sheet)) {
        if (Columns.Find(column)) return true;
        changed += (changed.empty() ? "" : ", ") + std::string(column);
    }
    Error(header.Line,
          "в заголовке нет ни одного столбца, который импорт меняет (" + changed + ")");
    return false;
}

std::optional<std::string> TImporter::Value(const TCsvRow& row, const char* caption) {
    const auto column = Columns.Find(caption);
    if (!column) return std::nullopt;
    if (*column >= row.Fields.size()) {
        Error(row.Line, "нет значения в столбце " + Quote(caption));
        return std::nullopt;
    }
    return row.Fields[*column];
}

bool TImporter::FirstOfItsKey(std::map<int, int>& seen, int key, const TCsvRow& row,
                              const std::string& what) {
    const auto [it, fresh] = seen.emplace(key, row.Line);
    if (fresh) return true;
    Error(row.Line, what + " уже есть в строке " + std::to_string(it->second));
    return false;
}

bool TImporter::NameAcceptable(const TCsvRow& row, const std::string& name,
                               const std::string& before) {
    if (name == before) return true;
    const TNameCheck check = CheckName(name);
    if (check.Ok()) return true;
    Error(row.Line, check.Error);
    return false;
}

void TImporter::Lines(const std::vector<TCsvRow>& rows) {
    TProgramNumberEditor editor(Store);
    const std::string section = DiffTableSection(ETable::ProgramNumbers);
    std::map<int, int> seen;       // port -> line
    std::map<int, int> lineOfRow;  // editor row -> line of the file
    for (const TCsvRow& row : rows) {
        const std::size_t errors = Out.Errors.size();
        const auto portText = Value(row, kPortColumn);
        if (!portText) continue;
        const auto port = NumberIn(*portText, 1, 99999);
        const int r = port ? editor.RowOfPort(*port) : -1;
        if (r < 0) {
            Error(row.Line, "порта " + Quote(Trimmed(*portText)) + " нет среди АЛ и СТА этой АТС");
            continue;
        }
        if (!FirstOfItsKey(seen, *port, row, "порт " + std::to_string(*port))) continue;
        const TPrgNumRow& shown = editor.Rows()[static_cast<std::size_t>(r)];
        const TPortPtr p = FindPort(Store, *port);
        if (const auto kind = Value(row, kKindColumn);
            kind && !Trimmed(*kind).empty() && Folded(*kind) != Folded(KindOf(*p)))
            Error(row.Line, "порт " + std::to_string(*port) + " в этой АТС " + KindOf(*p) +
                                ", а в файле " + Quote(Trimmed(*kind)));
        if (const auto group = Value(row, kGroupColumn); group && Trimmed(*group) != shown.Group)
            Warning(row.Line, "группа импортом не меняется: у порта " + std::to_string(*port) +
                                  " группа " + (shown.Group.empty() ? "не задана" : shown.Group) +
                                  ", в файле " + Quote(Trimmed(*group)));
        TLineImport line{*port, shown.Number, shown.Name};
        if (const auto number = Value(row, kNumberColumn)) {
            line.Number = WithoutSpaces(*number);
            if (const std::string why = ProgramNumberProblem(line.Number); !why.empty())
                Error(row.Line, "программный номер " + Quote(Trimmed(*number)) + ": " + why);
        }
        if (const auto name = Value(row, kNameColumn)) {
            line.Name = *name;
            NameAcceptable(row, line.Name, shown.Name);
        }
        if (Out.Errors.size() != errors) continue;
        lineOfRow[r] = row.Line;
        const bool changed = line.Number != shown.Number || line.Name != shown.Name;
        editor.SetNumber(r, line.Number);  // `shown` is that row
        if (changed) Out.Lines.push_back(std::move(line));
    }
    // Program numbers are the station's own: no two lines may share one, lines the file does
    // not name included.
    for (const auto& [r, fileLine] : lineOfRow) {
        const std::string& number = editor.Rows()[static_cast<std::size_t>(r)].Number;
        if (number.empty() || !editor.NumberTaken(r, number)) continue;
        std::string text = "программный номер " + number + " уже есть у другой линии";
        for (const auto& [other, otherLine] : lineOfRow)
            if (other != r && editor.Rows()[static_cast<std::size_t>(other)].Number == number)
                text += " (строка " + std::to_string(otherLine) + ")";
        Error(fileLine, text);
    }
    if (!Out.Ok()) return;
    std::sort(Out.Lines.begin(), Out.Lines.end(),
              [](const TLineImport& x, const TLineImport& y) { return x.Port < y.Port; });
    const std::string& model = Session.Identity.ModelName;
    // Numbers first, then names, as the comparison lists tables before anything else.
    for (const TLineImport& line : Out.Lines)
        Change(ETable::ProgramNumbers, section, DiffPortRecord(Store, model, line.Port),
               kDiffProgramNumberField, Cp1251ToUtf8(FindPort(Store, line.Port)->AlData->AL_PrgNum),
               line.Number);
    for (const TLineImport& line : Out.Lines) {
        const auto r = static_cast<std::size_t>(editor.RowOfPort(line.Port));
        Change(ETable::ProgramNumbers, kLineNamesSection, DiffPortRecord(Store, model, line.Port),
               kNameField, editor.Rows()[r].Name, line.Name);
    }
}

void TImporter::BookRows(const std::vector<TBookRowIn>& rows, TBookImport& book) {
    for (const TBookRowIn& in : rows) {
        const TCsvRow& row = *in.Row;
        if (const auto number = Value(row, kPhoneColumn)) {
            const std::string text = Trimmed(*number);
            if (!BookCellAcceptable(text))
                Error(row.Line, "номер " + Quote(text) +
                                    ": допустимы цифры и знаки * # P A T, не больше " +
                                    std::to_string(kBookEntrySymbols) + " знаков");
            else
                book.Cells[in.Cell] = BookCellText(text);
        }
        if (const auto name = Value(row, kNameColumn)) {
            const std::string before = book.Names[in.Cell];
            if (NameAcceptable(row, *name, before)) book.Names[in.Cell] = *name;
        }
    }
}

void TImporter::Book(const std::vector<TCsvRow>& rows) {
    TBookImport book;
    for (std::size_t k = 0; k < kGlobalBookEntries; ++k) {
        book.Cells.push_back(Store.GlobalExtNum->Entries[k]);
        book.Names.push_back(Cp1251ToUtf8(Store.Names->GetGlobalExtNumName(static_cast<int>(k))));
    }
    const TBookImport before = book;
    std::map<int, int> seen;
    std::vector<TBookRowIn> in;
    for (const TCsvRow& row : rows) {
        const auto entryText = Value(row, kEntryColumn);
        if (!entryText) continue;
        const auto entry = NumberIn(*entryText, 1, static_cast<int>(kGlobalBookEntries));
        if (!entry) {
            Error(row.Line, "номер записи " + Quote(Trimmed(*entryText)) + " не от 1 до " +
                                std::to_string(kGlobalBookEntries));
            continue;
        }
        if (FirstOfItsKey(seen, *entry, row, "запись " + std::to_string(*entry)))
            in.push_back({&row, static_cast<std::size_t>(*entry - 1)});
    }
    BookRows(in, book);
    if (!Out.Ok()) return;
    const std::string section = DiffTableSection(ETable::GlobalPhoneBook);
    for (std::size_t k = 0; k < kGlobalBookEntries; ++k)
        Change(ETable::GlobalPhoneBook, section, DiffBookCellRecord(Store, k), kDiffBookNumberField,
               Cp1251ToUtf8(before.Cells[k]), Cp1251ToUtf8(book.Cells[k]));
    for (std::size_t k = 0; k < kGlobalBookEntries; ++k)
        Change(ETable::GlobalPhoneBook, kBookNamesSection, DiffBookCellRecord(Store, k), kNameField,
               before.Names[k], book.Names[k]);
    if (book.Cells != before.Cells || book.Names != before.Names)
        Out.Books.push_back(std::move(book));
}

void TImporter::GroupBooks(const std::vector<TCsvRow>& rows) {
    std::array<std::vector<TBookRowIn>, kGroupPhoneBooks> in;
    std::map<int, int> seen;
    const int lastGroup = kFirstGroupNumber + static_cast<int>(kGroupPhoneBooks) - 1;
    for (const TCsvRow& row : rows) {
        const auto groupText = Value(row, kGroupColumn);
        const auto entryText = Value(row, kEntryColumn);
        if (!groupText || !entryText) continue;
        const auto group = NumberIn(*groupText, kFirstGroupNumber, lastGroup);
        const auto entry = NumberIn(*entryText, 1, static_cast<int>(kGroupBookEntries));
        if (!group)
            Error(row.Line, "номер группы " + Quote(Trimmed(*groupText)) + " не от " +
                                std::to_string(kFirstGroupNumber) + " до " +
                                std::to_string(lastGroup));
        if (!entry)
            Error(row.Line, "номер записи " + Quote(Trimmed(*entryText)) + " не от 1 до " +
                                std::to_string(kGroupBookEntries));
        if (!group || !entry) continue;
        const auto book = static_cast<std::size_t>(*group - kFirstGroupNumber);
        if (FirstOfItsKey(seen, *group * 100 + *entry, row,
                          "запись " + std::to_string(*entry) + " группы " + std::to_string(*group)))
            in[book].push_back({&row, static_cast<std::size_t>(*entry - 1)});
    }
    std::vector<std::pair<TBookImport, TBookImport>> books;  // before, after
    for (std::size_t g = 0; g < kGroupPhoneBooks; ++g) {
        TBookImport book;
        book.Book = g;
        for (std::size_t k = 0; k < kGroupBookEntries; ++k) {
            book.Cells.push_back(Store.GroupExtNums[g].Entries[k]);
            book.Names.push_back(Cp1251ToUtf8(
                Store.Names->GetGroupExtNumName(static_cast<int>(g), static_cast<int>(k))));
        }
        TBookImport before = book;
        BookRows(in[g], book);
        books.emplace_back(std::move(before), std::move(book));
    }
    if (!Out.Ok()) return;
    const std::string section = DiffTableSection(ETable::GroupPhoneBooks);
    for (const auto& [before, after] : books)
        for (std::size_t k = 0; k < kGroupBookEntries; ++k)
            Change(ETable::GroupPhoneBooks, section, DiffGroupBookCellRecord(Store, after.Book, k),
                   kDiffBookNumberField, Cp1251ToUtf8(before.Cells[k]),
                   Cp1251ToUtf8(after.Cells[k]));
    for (const auto& [before, after] : books)
        for (std::size_t k = 0; k < kGroupBookEntries; ++k)
            Change(ETable::GroupPhoneBooks, kGroupBookNamesSection,
                   DiffGroupBookCellRecord(Store, after.Book, k), kNameField, before.Names[k],
                   after.Names[k]);
    for (auto& [before, after] : books)
        if (after.Cells != before.Cells || after.Names != before.Names)
            Out.Books.push_back(std::move(after));
}

void TImporter::BwList(const std::vector<TCsvRow>& rows) {
    const std::array<std::string, kBwListEntries> before = BwEntries(Store);
    std::array<std::string, kBwListEntries> cells = before;
    std::map<int, int> seen;
    for (const TCsvRow& row : rows) {
        const auto listText = Value(row, kListColumn);
        const auto entryText = Value(row, kEntryColumn);
        if (!listText || !entryText) continue;
        const auto list = ListByName(*listText);
        const auto entry = NumberIn(*entryText, 1, static_cast<int>(kBwSectionEntries));
        if (!list)
            Error(row.Line, "список " + Quote(Trimmed(*listText)) +
                                ": бывают «белая 1» … «белая 5» и «черная»");
        if (!entry)
            Error(row.Line, "номер записи " + Quote(Trimmed(*entryText)) + " не от 1 до " +
                                std::to_string(kBwSectionEntries));
        if (!list || !entry) continue;
        const std::size_t index = *list * kBwSectionEntries + static_cast<std::size_t>(*entry - 1);
        if (!FirstOfItsKey(
                seen, static_cast<int>(index), row,
                "запись " + std::to_string(*entry) + " списка «" + ListName(*list) + "»"))
            continue;
        const auto number = Value(row, kPhoneColumn);
        if (!number) continue;
        const std::string text = Trimmed(*number);
        if (!BwEntryAcceptable(text)) {
            Error(row.Line, "номер " + Quote(text) +
                                ": допустимы цифры и знаки * # P A T, не больше " +
                                std::to_string(kBwEntrySymbols) + " знаков");
            continue;
        }
        cells[index] = BookCellText(text);
    }
    if (!Out.Ok()) return;
    const std::string section = DiffTableSection(ETable::BlackWhiteLists);
    for (std::size_t e = 0; e < kBwListEntries; ++e)
        Change(ETable::BlackWhiteLists, section, DiffBwRecord(e), DiffBwField(e),
               Cp1251ToUtf8(before[e]), Cp1251ToUtf8(cells[e]));
    if (cells != before) Out.BwCells = cells;
}

void TImporter::Run(const TCsvTable& table) {
    if (!ReadHeader(table.Rows.front())) return;
    const std::vector<TCsvRow> rows(table.Rows.begin() + 1, table.Rows.end());
    std::size_t widest = 0;
    for (const TCsvRow& row : rows) widest = std::max(widest, row.Fields.size());
    if (widest > table.Rows.front().Fields.size())
        Warning(0, "значения правее последнего столбца заголовка не используются");
    switch (Out.Sheet) {
        case ESheet::Lines:
            Lines(rows);
            break;
        case ESheet::Book:
            Book(rows);
            break;
        case ESheet::GroupBooks:
            GroupBooks(rows);
            break;
        case ESheet::BwList:
            BwList(rows);
            break;
    }
    if (!Out.Ok()) {
        Out.Changes.clear();
        Out.Lines.clear();
        Out.Books.clear();
        Out.BwCells.reset();
    }
}

// A commit of the windows re-encodes its table whether or not its bytes change; a table whose
// bytes come out the same is not marked for writing because of the import.
template <typename TCommit>
bool CommitKeepingFlag(TMainClass& session, ETable table, TCommit commit) {
    const TAreaSnapshot before(session);
    if (!commit()) {
        before.Restore(session);
        return false;
    }
    before.KeepFlagIfUnchanged(session, table);
    return true;
}

bool ApplyLines(TMainClass& session, TDataStream& store, const TDirectoryImport& plan,
                TUserDialogs& dialogs) {
    TProgramNumberEditor editor(store);
    for (const TLineImport& line : plan.Lines) {
        const int row = editor.RowOfPort(line.Port);
        if (row < 0) return false;
        editor.SetNumber(row, line.Number);
        editor.SetName(row, line.Name);
    }
    return CommitKeepingFlag(session, ETable::ProgramNumbers,
                             [&] { return editor.Commit(session, store, dialogs); });
}

bool ApplyBooks(TMainClass& session, TDataStream& store, const TDirectoryImport& plan,
                TUserDialogs& dialogs) {
    if (plan.Sheet == ESheet::Book) {
        if (plan.Books.empty()) return true;
        const TBookImport& book = plan.Books.front();
        return CommitKeepingFlag(session, ETable::GlobalPhoneBook, [&] {
            return CommitGlobalBookCells(session, store, book.Cells, book.Names, dialogs);
        });
    }
    const auto books = store.GroupExtNums;
    const bool ok = CommitKeepingFlag(session, ETable::GroupPhoneBooks, [&] {
        for (const TBookImport& book : plan.Books)
            if (!CommitGroupBookCells(session, store, book.Book, book.Cells, book.Names, dialogs))
                return false;
        return true;
    });
    if (!ok) store.GroupExtNums = books;
    return ok;
}

}  // namespace

const std::array<TSheetInfo, 4>& DirectorySheets() {
    return kSheets;
}

const TSheetInfo& SheetInfo(ESheet sheet) {
    return kSheets[static_cast<std::size_t>(sheet)];
}

std::optional<ESheet> SheetByKey(std::string_view key) {
    for (const TSheetInfo& info : kSheets)
        if (key == info.Key) return info.Sheet;
    return std::nullopt;
}

std::string SheetFileName(ESheet sheet) {
    return std::string(SheetInfo(sheet).Key) + ".csv";
}

std::string SheetUnavailable(const TMainClass& session, ESheet sheet) {
    if (!session.DataPresent) return "нет конфигурации: считайте АТС, загрузите или создайте файл";
    if (sheet != ESheet::BwList) return "";
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    if (flags && flags->BlackWhiteLists()) return "";
    return "в рабочей программе " + Cp1251ToUtf8(session.Identity.Version) +
           " нет черных и белых списков";
}

std::vector<std::vector<std::string>> SheetRows(const TDataStream& store, ESheet sheet) {
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(HeaderOf(sheet).begin(), HeaderOf(sheet).end());
    switch (sheet) {
        case ESheet::Lines: {
            const TProgramNumberEditor editor(store);
            for (const TPrgNumRow& row : editor.Rows()) {
                const TPortPtr port = FindPort(store, row.Port);
                rows.push_back(
                    {std::to_string(row.Port), KindOf(*port), row.Number, row.Name, row.Group});
            }
            break;
        }
        case ESheet::Book:
            for (std::size_t k = 0; k < kGlobalBookEntries; ++k)
                rows.push_back(
                    {std::to_string(k + 1), Cp1251ToUtf8(store.GlobalExtNum->Entries[k]),
                     Cp1251ToUtf8(store.Names->GetGlobalExtNumName(static_cast<int>(k)))});
            break;
        case ESheet::GroupBooks:
            for (std::size_t g = 0; g < kGroupPhoneBooks; ++g)
                for (std::size_t k = 0; k < kGroupBookEntries; ++k)
                    rows.push_back({std::to_string(g + kFirstGroupNumber), std::to_string(k + 1),
                                    Cp1251ToUtf8(store.GroupExtNums[g].Entries[k]),
                                    Cp1251ToUtf8(store.Names->GetGroupExtNumName(
                                        static_cast<int>(g), static_cast<int>(k)))});
            break;
        case ESheet::BwList: {
            const auto entries = BwEntries(store);
            for (std::size_t e = 0; e < kBwListEntries; ++e)
                rows.push_back({ListName(e / kBwSectionEntries),
                                std::to_string(e % kBwSectionEntries + 1),
                                Cp1251ToUtf8(entries[e])});
            break;
        }
    }
    return rows;
}

std::string ExportSheet(const TDataStream& store, ESheet sheet, const TCsvFormat& format) {
    return WriteCsv(SheetRows(store, sheet), format);
}

std::string TImportNote::Shown() const {
    if (Line <= 0) return Text;
    return "Строка " + std::to_string(Line) + ": " + Text;
}

std::optional<ESheet> DetectSheet(const TCsvTable& table) {
    if (table.Rows.empty()) return std::nullopt;
    const auto has = [&table](const char* caption) {
        const std::string folded = Folded(caption);
        for (const std::string& field : table.Rows.front().Fields)
            if (Folded(field) == folded) return true;
        return false;
    };
    if (has(kPortColumn)) return ESheet::Lines;
    if (has(kListColumn)) return ESheet::BwList;
    if (has(kEntryColumn)) return has(kGroupColumn) ? ESheet::GroupBooks : ESheet::Book;
    return std::nullopt;
}

TDirectoryImport PlanImport(const TMainClass& session, const TDataStream& store,
                            std::optional<ESheet> sheet, std::string_view bytes) {
    TDirectoryImport plan;
    const TCsvTable table = ReadCsv(bytes);
    plan.Cp1251 = table.Cp1251;
    if (!table.Ok()) {
        plan.Errors.push_back({table.ErrorLine, table.Error});
        return plan;
    }
    if (table.Rows.empty()) {
        plan.Errors.push_back({0, "в файле нет ни одной строки"});
        return plan;
    }
    if (!sheet) sheet = DetectSheet(table);
    if (!sheet) {
        plan.Errors.push_back(
            {table.Rows.front().Line,
             "заголовок не похож ни на один лист справочника: первая строка должна называть "
             "столбцы (Порт; Тип; Программный номер; Имя; Группа и другие)"});
        return plan;
    }
    plan.Sheet = *sheet;
    if (const std::string why = SheetUnavailable(session, *sheet); !why.empty()) {
        plan.Errors.push_back({0, why});
        return plan;
    }
    TImporter(session, store, plan).Run(table);
    return plan;
}

TDirectoryImport PlanImportFile(const TMainClass& session, const TDataStream& store,
                                std::optional<ESheet> sheet, const std::string& path) {
    std::string error;
    const auto bytes = ReadCsvFileHead(path, TCsvLimits{}, error);
    if (!bytes) {
        TDirectoryImport plan;
        if (sheet) plan.Sheet = *sheet;
        plan.Errors.push_back({0, error});
        return plan;
    }
    return PlanImport(session, store, sheet, *bytes);
}

bool ApplyImport(TMainClass& session, TDataStream& store, const TDirectoryImport& plan,
                 TUserDialogs& dialogs) {
    if (!plan.Ok()) return false;
    switch (plan.Sheet) {
        case ESheet::Lines:
            return plan.Lines.empty() || ApplyLines(session, store, plan, dialogs);
        case ESheet::Book:
        case ESheet::GroupBooks:
            return ApplyBooks(session, store, plan, dialogs);
        case ESheet::BwList:
            if (!plan.BwCells) return true;
            return CommitKeepingFlag(session, ETable::BlackWhiteLists, [&] {
                return CommitBwLists(session, store, *plan.BwCells, dialogs);
            });
    }
    return false;
}

std::string ImportText(const TDirectoryImport& plan) {
    std::string text;
    if (!plan.Ok()) {
        text += "Файл не принят, ничего не изменено:\n";
        for (const TImportNote& e : plan.Errors) text += "  " + e.Shown() + "\n";
    }
    if (!plan.Warnings.empty()) {
        text += "Предупреждения:\n";
        for (const TImportNote& w : plan.Warnings) text += "  " + w.Shown() + "\n";
    }
    if (!plan.Ok()) return text;
    if (plan.Changes.empty())
        return text + "Изменений нет: справочник совпадает с конфигурацией.\n";
    const auto shown = [](const std::string& v) { return v.empty() ? std::string("—") : v; };
    TConfigDiff diff;
    diff.Items = plan.Changes;
    for (const TDiffSection& section : GroupBySection(diff)) {
        text += "[" + section.Section + "] " + std::to_string(section.Items.size()) + "\n";
        for (const TDiffItem* item : section.Items)
            text += "  " + item->Record + ": " + item->Field + ": " + shown(item->Left) + kArrow +
                    shown(item->Right) + "\n";
    }
    return text + "Всего изменений: " + std::to_string(plan.Changes.size()) + "\n";
}

}  // namespace zarnik
