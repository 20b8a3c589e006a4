#include "report/excel_app.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "platform/desktop_open.h"
#include "platform/file_system.h"

namespace zarnik {

namespace {

// ---- UTF-8 -------------------------------------------------------------------------------

constexpr char32_t Replacement = 0xFFFD;

struct Utf8Lead {
    int Extra;
    char32_t Bits;
    char32_t Min;
};

std::optional<Utf8Lead> ReadLead(unsigned char lead) {
    if (lead < 0x80) return Utf8Lead{0, lead, 0};
    if ((lead & 0xE0) == 0xC0) return Utf8Lead{1, static_cast<char32_t>(lead & 0x1F), 0x80};
    if ((lead & 0xF0) == 0xE0) return Utf8Lead{2, static_cast<char32_t>(lead & 0x0F), 0x800};
    if ((lead & 0xF8) == 0xF0) return Utf8Lead{3, static_cast<char32_t>(lead & 0x07), 0x10000};
    return std::nullopt;
}

// Decodes the code point at `pos` and moves past it; a malformed, overlong or surrogate
// sequence gives nullopt and moves past its first byte only.
std::optional<char32_t> DecodeOne(std::string_view s, std::size_t& pos) {
    const auto lead = ReadLead(static_cast<unsigned char>(s[pos]));
    if (!lead || lead->Extra >= static_cast<int>(s.size() - pos)) {
        ++pos;
        return std::nullopt;
    }
    char32_t cp = lead->Bits;
    for (int i = 1; i <= lead->Extra; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return std::nullopt;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < lead->Min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return std::nullopt;
    }
    pos += lead->Extra + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A broken byte would make the whole file unreadable, and a NUL cannot pass the writer's
// C strings: both become U+FFFD, so the rest of the text still reaches the sheet.
std::string CleanText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const auto cp = DecodeOne(s, pos);
        AppendUtf8(out, cp && *cp != 0 ? *cp : Replacement);
    }
    return out;
}

// The code points of well-formed UTF-8; nullopt when it is not well formed.
std::optional<std::u32string> Decode(std::string_view s) {
    std::u32string out;
    for (std::size_t pos = 0; pos < s.size();) {
        const auto cp = DecodeOne(s, pos);
        if (!cp) return std::nullopt;
        out += *cp;
    }
    return out;
}

// Lengths as the spreadsheet counts them: a character beyond the basic plane takes two.
std::size_t Utf16Length(const std::u32string& s) {
    std::size_t n = 0;
    for (const char32_t cp : s) n += cp >= 0x10000 ? 2 : 1;
    return n;
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) n += b >= 0xF0 ? 2 : 1;
    }
    return n;
}

// Sheet names are compared without regard to case; the report's names are Cyrillic, so
// Cyrillic case counts as well as Latin.
char32_t FoldCase(char32_t cp) {
    if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
    if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;
    if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;
    return cp;
}

std::u32string Folded(std::u32string s) {
    for (char32_t& cp : s) cp = FoldCase(cp);
    return s;
}

// ---- typed-in values ---------------------------------------------------------------------

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A text is taken as a number only when the number shows exactly as written: no sign but
// '-', no leading or trailing zeros, at most 15 significant digits. Everything else (codes
// such as "070", long phone numbers, "1,5") stays text, so nothing is lost on the way.
std::optional<double> PlainNumber(std::string_view s) {
    std::size_t i = s.starts_with('-') ? 1 : 0;
    const std::size_t intStart = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    const std::size_t intLen = i - intStart;
    if (intLen == 0 || (intLen > 1 && s[intStart] == '0')) return std::nullopt;
    std::size_t significant = s[intStart] == '0' ? 0 : intLen;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        if (i == fracStart || s[i - 1] == '0') return std::nullopt;
        std::size_t fracDigits = i - fracStart;
        if (significant == 0) {
            std::size_t lead = fracStart;
            while (s[lead] == '0') ++lead;
            fracDigits = i - lead;
        }
        significant += fracDigits;
    } else if (s[intStart] == '0' && intStart == 1) {
        return std::nullopt;  // "-0"
    }
    if (i != s.size() || significant > 15) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// ---- file writing ------------------------------------------------------------------------

// Removes a temporary file when it goes out of scope, unless Keep() was called.
class TRemoveUnlessKept {
  public:
    explicit TRemoveUnlessKept(std::string path) : Path(std::move(path)) {}
    ~TRemoveUnlessKept() {
        if (!Path.empty()) RemoveFile(Path);
    }
    TRemoveUnlessKept(const TRemoveUnlessKept&) = delete;
    TRemoveUnlessKept& operator=(const TRemoveUnlessKept&) = delete;
    void Keep() { Path.clear(); }

  private:
    std::string Path;
};

lxw_format* NewBorderFormat(lxw_workbook* wb, const ExcelCell& cell) {
    const auto style = [](ExcelLine line) -> uint8_t {
        if (line == ExcelLine::Thin) return LXW_BORDER_THIN;
        if (line == ExcelLine::Medium) return LXW_BORDER_MEDIUM;
        return LXW_BORDER_NONE;
    };
    lxw_format* format = workbook_add_format(wb);
    if (format == nullptr) throw EExcelError("Out of memory while writing the workbook");
    if (cell.TextFormat) format_set_num_format_index(format, 49);  // "@"
    format_set_left(format, style(cell.Left));
    format_set_right(format, style(cell.Right));
    format_set_top(format, style(cell.Top));
    format_set_bottom(format, style(cell.Bottom));
    return format;
}

// One library format per distinct look, shared by all cells that have it.
class FormatCache {
  public:
    explicit FormatCache(lxw_workbook* wb) : Wb(wb) {}
    lxw_format* For(const ExcelCell& cell) {
        const unsigned key = (cell.TextFormat ? 1U : 0U) | static_cast<unsigned>(cell.Left) << 1 |
                             static_cast<unsigned>(cell.Right) << 3 |
                             static_cast<unsigned>(cell.Top) << 5 |
                             static_cast<unsigned>(cell.Bottom) << 7;
        if (key == 0) return nullptr;
        auto& slot = Formats[key];
        if (slot == nullptr) slot = NewBorderFormat(Wb, cell);
        return slot;
    }

  private:
    lxw_workbook* Wb;
    std::map<unsigned, lxw_format*> Formats;
};

void Check(lxw_error err, const std::string& what) {
    if (err != LXW_NO_ERROR) throw EExcelError(what + ": " + lxw_strerror(err));
}

void WriteCell(lxw_worksheet* ws, int row, int column, const ExcelCell& cell, lxw_format* format) {
    const auto r = static_cast<lxw_row_t>(row);
    const auto c = static_cast<lxw_col_t>(column);
    const std::string where = "Cell " + ExcelCellName(column, row);
    if (const auto* text = std::get_if<std::string>(&cell.Value)) {
        Check(worksheet_write_string(ws, r, c, text->c_str(), format), where);
    } else if (const auto* number = std::get_if<double>(&cell.Value)) {
        Check(worksheet_write_number(ws, r, c, *number, format), where);
    } else if (format != nullptr) {
        Check(worksheet_write_blank(ws, r, c, format), where);
    }
}

void WriteSheet(lxw_workbook* wb, const ExcelSheet& sheet, FormatCache& formats) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.Name.c_str());
    if (ws == nullptr) throw EExcelError("The sheet name \"" + sheet.Name + "\" is refused");
    for (const auto& [column, width] : sheet.ColumnWidths) {
        const auto c = static_cast<lxw_col_t>(column);
        Check(worksheet_set_column(ws, c, c, width, nullptr), "Column width");
    }
    for (const auto& [row, height] : sheet.RowHeights) {
        Check(worksheet_set_row(ws, static_cast<lxw_row_t>(row), height, nullptr), "Row height");
    }
    for (const auto& [at, cell] : sheet.Cells) {
        WriteCell(ws, at.first, at.second, cell, formats.For(cell));
    }
}

void FillWorkbook(lxw_workbook* wb, const ExcelWorkbook& book, const std::string& title) {
    std::string titleCopy = title;
    lxw_doc_properties properties{};
    properties.title = titleCopy.data();
    if (!titleCopy.empty()) Check(workbook_set_properties(wb, &properties), "Properties");
    FormatCache formats(wb);
    for (const ExcelSheet& sheet : book.Sheets) WriteSheet(wb, sheet, formats);
}

constexpr const char* OpenFailure = "Не могу создать объект Excel";

}  // namespace

// ---- free functions ----------------------------------------------------------------------

std::string ExcelCellName(int column, int row) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    }
    return letters + std::to_string(row + 1);
}

std::string SheetNameProblem(const ExcelWorkbook& book, const std::string& name, int index) {
    if (name.empty()) return "the name is empty";
    const auto decoded = Decode(name);
    if (!decoded) return "the name is not valid UTF-8";
    if (Utf16Length(*decoded) > static_cast<std::size_t>(ExcelMaxSheetName)) {
        return "the name is longer than 31 characters";
    }
    for (const char32_t cp : *decoded) {
        if (cp < 0x20) return "the name holds a control character";
        if (std::u32string_view(U"[]:*?/\\").find(cp) != std::u32string_view::npos) {
            return "the name holds one of [ ] : * ? / \\";
        }
    }
    if (decoded->front() == U'\'' || decoded->back() == U'\'') {
        return "the name starts or ends with an apostrophe";
    }
    const std::u32string folded = Folded(*decoded);
    if (folded == U"history") return "the name is reserved";
    for (std::size_t i = 0; i < book.Sheets.size(); ++i) {
        if (static_cast<int>(i) == index) continue;
        const auto other = Decode(book.Sheets[i].Name);
        if (other && Folded(*other) == folded) return "another sheet has that name";
    }
    return "";
}

void WriteXlsxFile(const ExcelWorkbook& book, const std::string& path, const std::string& title) {
    if (path.empty()) throw EExcelError("No file name for the workbook");
    // The writer library fills an empty temporary beside the target (so the finished file has
    // the permissions a direct write would give it), which then replaces the target at once.
    std::string error;
    const std::optional<std::string> temp = WriteTemporaryBeside(path, "", &error);
    if (!temp) throw EExcelError("Cannot create a file beside " + path + ": " + error);
    TRemoveUnlessKept guard(*temp);
    lxw_workbook* wb = workbook_new(temp->c_str());
    if (wb == nullptr) throw EExcelError("Cannot start the workbook file " + path);
    try {
        FillWorkbook(wb, book, title);
    } catch (...) {
        workbook_close(wb);  // frees it; the temporary goes with `guard`
        throw;
    }
    Check(workbook_close(wb), "Cannot write " + path);
    FlushFileToDisk(*temp);  // a failure here is only a lost guarantee
    guard.Keep();            // CommitTemporary removes it itself when it fails
    if (!CommitTemporary(*temp, path, &error))
        throw EExcelError("Cannot put the workbook in place as " + path + ": " + error);
}

// ---- ExcelApp ----------------------------------------------------------------------------

ExcelWorkbook ExcelApp::CreateWorkbook() {
    ExcelWorkbook book;
    for (int i = 1; i <= 3; ++i) {
        book.Sheets.emplace_back();
        book.Sheets.back().Name = "Лист" + std::to_string(i);
    }
    return book;
}

void ExcelApp::Open(const std::string& caption, int interactive, int /*focus*/) {
    try {
        auto book = std::make_unique<ExcelWorkbook>(CreateWorkbook());
        if (book->Sheets.empty()) throw EExcelError("Variable is empty");
        Book = std::move(book);
        Current = 0;
        CaptionText = CleanText(caption);
        SetInteractive(interactive);
    } catch (...) {
        CloseAndQuit(0, "");
        throw EExcelAbort(OpenFailure);
    }
}

bool ExcelApp::SetInteractive(int value) {
    if (!Book) return false;
    InteractiveValue = value;
    return true;
}

bool ExcelApp::AddSheet() try {
    if (!Book) return false;
    // A fresh default name, as the spreadsheet gives one: the first free "ЛистN".
    for (auto n = Book->Sheets.size() + 1;; ++n) {
        std::string name = "Лист" + std::to_string(n);
        if (!SheetNameProblem(*Book, name, -1).empty()) continue;
        Book->Sheets.emplace_back();
        Book->Sheets.back().Name = std::move(name);
        return true;
    }
} catch (const std::exception&) {
    return false;
}

bool ExcelApp::NameSheet(const std::string& name, int index) try {
    if (!Book || index < 1 || index > static_cast<int>(Book->Sheets.size())) return false;
    if (!SheetNameProblem(*Book, name, index - 1).empty()) return false;
    Book->Sheets[index - 1].Name = name;
    return true;
} catch (const std::exception&) {
    return false;
}

bool ExcelApp::SelectSheet(int index) {
    if (!Book || index < 1 || index > static_cast<int>(Book->Sheets.size())) return false;
    Current = index - 1;
    return true;
}

ExcelCell* ExcelApp::CellAt(int column, int row) {
    if (!Book || column < 0 || column >= ExcelMaxColumns || row < 0 || row >= ExcelMaxRows) {
        return nullptr;
    }
    return &Book->Sheets[Current].Cells[{row, column}];
}

bool ExcelApp::SetText(int column, int row, const std::string& text) try {
    std::string clean = CleanText(text);
    if (Utf16Length(clean) > static_cast<std::size_t>(ExcelMaxText)) return false;
    ExcelCell* cell = CellAt(column, row);
    if (cell == nullptr) return false;
    cell->TextFormat = true;
    if (clean.empty()) {
        cell->Value = std::monostate{};
    } else {
        cell->Value = std::move(clean);
    }
    return true;
} catch (const std::exception&) {
    return false;
}

bool ExcelApp::SetValue(int column, int row, const std::string& text) try {
    std::string clean = CleanText(text);
    if (Utf16Length(clean) > static_cast<std::size_t>(ExcelMaxText)) return false;
    ExcelCell* cell = CellAt(column, row);
    if (cell == nullptr) return false;
    const auto number = cell->TextFormat ? std::nullopt : PlainNumber(clean);
    if (number) {
        cell->Value = *number;
    } else if (clean.empty()) {
        cell->Value = std::monostate{};
    } else {
        cell->Value = std::move(clean);
    }
    return true;
} catch (const std::exception&) {
    return false;
}

ExcelSheet& ExcelApp::RequireCurrentSheet(const char* operation) {
    if (!Book) throw EExcelError(std::string(operation) + ": no workbook is open");
    return Book->Sheets[Current];
}

namespace {

void RequireCell(const char* operation, int row, int column) {
    if (row < 1 || row > ExcelMaxRows || column < 1 || column > ExcelMaxColumns) {
        throw EExcelError(std::string(operation) + ": no cell at row " + std::to_string(row) +
                          ", column " + std::to_string(column));
    }
}

}  // namespace

void ExcelApp::SetColumnWidth(int row, int column, double width) {
    ExcelSheet& sheet = RequireCurrentSheet("SetColumnWidth");
    RequireCell("SetColumnWidth", row, column);
    if (!(width >= 0 && width <= ExcelMaxColumnWidth)) {
        throw EExcelError("SetColumnWidth: width " + std::to_string(width) + " out of range");
    }
    sheet.ColumnWidths[column - 1] = width;
}

void ExcelApp::SetRowHeight(int row, int column, double height) {
    ExcelSheet& sheet = RequireCurrentSheet("SetRowHeight");
    RequireCell("SetRowHeight", row, column);
    if (!(height >= 0 && height <= ExcelMaxRowHeight)) {
        throw EExcelError("SetRowHeight: height " + std::to_string(height) + " out of range");
    }
    sheet.RowHeights[row - 1] = height;
}

bool ExcelApp::FrameRange(int firstColumn, int firstRow, int lastColumn, int lastRow) try {
    if (!Book) return false;
    // The block spans its two corners whichever way round they come.
    const int left = std::min(firstColumn, lastColumn);
    const int right = std::max(firstColumn, lastColumn);
    const int top = std::min(firstRow, lastRow);
    const int bottom = std::max(firstRow, lastRow);
    if (left < 0 || right >= ExcelMaxColumns || top < 0 || bottom >= ExcelMaxRows) return false;
    if (static_cast<long>(right - left + 1) * (bottom - top + 1) > ExcelMaxFrameCells) {
        return false;
    }
    auto& cells = Book->Sheets[Current].Cells;
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            ExcelCell& cell = cells[{row, column}];
            cell.Left = column == left ? ExcelLine::Medium : ExcelLine::Thin;
            cell.Right = column == right ? ExcelLine::Medium : ExcelLine::Thin;
            cell.Top = row == top ? ExcelLine::Medium : ExcelLine::Thin;
            cell.Bottom = row == bottom ? ExcelLine::Medium : ExcelLine::Thin;
        }
    }
    return true;
} catch (const std::exception&) {
    return false;
}

void ExcelApp::Show() {
    if (!Book) throw EExcelError("Show: no workbook is open");
    if (OutputPath.empty()) throw EExcelError("Show: no output file was set");
    WriteXlsxFile(*Book, OutputPath, CaptionText);
    if (!OpenInViewer) return;
    if (const std::string problem = OpenWithDesktop(OutputPath); !problem.empty())
        throw EExcelError(problem);
}

void ExcelApp::Detach() {
    Book.reset();
    Current = 0;
}

bool ExcelApp::CloseAndQuit(int save, const std::string& fileName) {
    bool saved = true;
    if (Book && save != 0 && !fileName.empty()) {
        try {
            WriteXlsxFile(*Book, fileName, CaptionText);
        } catch (const std::exception&) {
            saved = false;
        }
    }
    Detach();
    return saved;
}

}  // namespace zarnik
