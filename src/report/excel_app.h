#pragma once
// ExcelApp: the handful of spreadsheet operations the configuration report needs. The calls
// fill a workbook held in memory; Show writes it as a real .xlsx file (libxlsxwriter) and asks
// the desktop to open it. Texts are UTF-8 throughout.
//
// Coordinates: SetText, SetValue and FrameRange take 0-based (column, row); SetColumnWidth and
// SetRowHeight take 1-based (row, column), as the report has always addressed them.
//
// Failures: SetInteractive, AddSheet, NameSheet, SelectSheet, SetText, SetValue, FrameRange and
// CloseAndQuit absorb their own failure (they return false and change nothing), so one bad cell
// never stops a report. SetColumnWidth, SetRowHeight and Show throw EExcelError. Open throws
// EExcelAbort, the silent kind: the caller ends its work without a message.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zarnik {

class EExcelError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Raised by Open when the workbook cannot be started; no message is to be shown for it.
class EExcelAbort : public EExcelError {
  public:
    using EExcelError::EExcelError;
};

enum class ExcelLine : std::uint8_t { None, Thin, Medium };

struct ExcelCell {
    // Empty, a text or a number.
    std::variant<std::monostate, std::string, double> Value;
    bool TextFormat = false;  // number format "@": the value stays text whatever it looks like
    ExcelLine Left = ExcelLine::None;
    ExcelLine Right = ExcelLine::None;
    ExcelLine Top = ExcelLine::None;
    ExcelLine Bottom = ExcelLine::None;
};

struct ExcelSheet {
    std::string Name;
    std::map<std::pair<int, int>, ExcelCell> Cells;  // key (row, column), both 0-based
    std::map<int, double> ColumnWidths;              // 0-based column -> width in characters
    std::map<int, double> RowHeights;                // 0-based row -> height in points
};

struct ExcelWorkbook {
    std::vector<ExcelSheet> Sheets;
};

// The sheet limits of the file format.
inline constexpr int ExcelMaxRows = 1048576;
inline constexpr int ExcelMaxColumns = 16384;
inline constexpr int ExcelMaxSheetName = 31;  // in UTF-16 units, as the spreadsheet counts
inline constexpr int ExcelMaxText = 32767;    // characters in one cell
inline constexpr double ExcelMaxColumnWidth = 255;
inline constexpr double ExcelMaxRowHeight = 409;
// A frame over more cells than this is refused: every framed cell carries its own borders.
inline constexpr long ExcelMaxFrameCells = 1L << 20;

class ExcelApp {
  public:
    ExcelApp() = default;
    virtual ~ExcelApp() = default;
    ExcelApp(const ExcelApp&) = delete;
    ExcelApp& operator=(const ExcelApp&) = delete;

    // Starts a new workbook (three sheets, the first one current). The focus flag is kept for
    // the callers' sake: the core has no window to bring forward. Throws EExcelAbort carrying
    // "Не могу создать объект Excel" after closing whatever it had started.
    void Open(const std::string& caption, int interactive, int focus);

    bool SetInteractive(int value);
    bool AddSheet();                                     // appends one sheet
    bool NameSheet(const std::string& name, int index);  // index 1-based
    bool SelectSheet(int index);                         // index 1-based

    // Number format "@", then the text.
    bool SetText(int column, int row, const std::string& text);
    // The text as the spreadsheet would take it typed in: a plain decimal number becomes a
    // number unless the cell already has the text format; anything else stays text.
    bool SetValue(int column, int row, const std::string& text);

    // The row only names a cell of the column (and the column a cell of the row).
    void SetColumnWidth(int row, int column, double width);
    void SetRowHeight(int row, int column, double height);

    // Medium lines around the block, thin lines inside it.
    bool FrameRange(int firstColumn, int firstRow, int lastColumn, int lastRow);

    // Writes the workbook to the output path, then asks the desktop to open it (only when
    // opening is enabled and there is a desktop to ask).
    void Show();
    // Lets go of the workbook; a file already shown stays where it is.
    void Detach();
    // With a non-zero save flag and a file name, saves the workbook there first; in any case
    // the workbook is closed. False when saving failed.
    bool CloseAndQuit(int save, const std::string& fileName);

    void SetOutputPath(std::string path) { OutputPath = std::move(path); }
    const std::string& GetOutputPath() const { return OutputPath; }
    void SetOpenInViewer(bool open) { OpenInViewer = open; }

    bool IsOpen() const { return Book != nullptr; }
    const ExcelWorkbook* Workbook() const { return Book.get(); }
    int CurrentSheet() const { return Book ? Current + 1 : 0; }  // 1-based, 0 when closed
    const std::string& Caption() const { return CaptionText; }
    int Interactive() const { return InteractiveValue; }

  protected:
    // The workbook a new start begins with: three empty sheets "Лист1".."Лист3".
    virtual ExcelWorkbook CreateWorkbook();

  private:
    std::unique_ptr<ExcelWorkbook> Book;
    int Current = 0;  // 0-based index of the current sheet
    std::string CaptionText;
    int InteractiveValue = 1;
    std::string OutputPath;
    bool OpenInViewer = true;

    ExcelCell* CellAt(int column, int row);
    ExcelSheet& RequireCurrentSheet(const char* operation);
};

// The reasons a sheet name is refused; "" when `name` may name sheet `index` (0-based) of
// `book`. Stricter than the writer library: duplicates are found ignoring Cyrillic case too.
std::string SheetNameProblem(const ExcelWorkbook& book, const std::string& name, int index);

// Writes `book` as an .xlsx file through a temporary file in the same folder, renamed into
// place only when complete. Throws EExcelError; on failure nothing is left behind.
void WriteXlsxFile(const ExcelWorkbook& book, const std::string& path, const std::string& title);

// "A1" for 0-based (column, row).
std::string ExcelCellName(int column, int row);

}  // namespace zarnik
