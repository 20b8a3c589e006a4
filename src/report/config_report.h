#pragma once
// The configuration report: the whole configuration held in the store, one worksheet per
// table, written as a workbook file. Sheets 1 ("Состав АТС") and 2 ("АЛ") are always filled;
// sheets 3 to 15 only when their check box is ticked, otherwise they stay empty.
//
// The report reads the store and the session and changes neither.

#include <array>
#include <chrono>
#include <span>
#include <string>

#include "flows/progress.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/table_ids.h"
#include "platform/user_dialogs.h"
#include "report/excel_app.h"

namespace zarnik {

inline constexpr int kReportSheetCount = 15;
// One check box per sheet 3..15.
inline constexpr int kReportTickCount = 13;
using TReportTicks = std::array<bool, kReportTickCount>;

// The report window's texts.
inline constexpr const char* kReportWindowTitle = "Формирование отчета о конфигурации АТС";
inline constexpr const char* kReportDefaultName = "report";
inline constexpr const char* kReportNoName = "Не указано имя отчета";

// Sheet names in workbook order.
const std::array<const char*, kReportSheetCount>& ReportSheetNames();
// Check-box captions, in the order of sheets 3..15.
const std::array<const char*, kReportTickCount>& ReportTickCaptions();
// The table each check box reports, in the same order.
const std::array<ETable, kReportTickCount>& ReportTickTables();
// The captions the report gives the fields, for every other place that names a field.
// Legend items of the line and group sheets ("2 - Разрешение DTMF набора"): items 1..25 caption
// the on/off settings of ReportedLineSettings in that order, 26 the priority, 27 the
// loudspeaker channel, 28 the direct call; the group tail adds items 29..32.
std::span<const char* const> ReportLineLegend();
std::span<const char* const> ReportGroupLegendTail();
std::span<const int> ReportedLineSettings();
// Legend items 1..25 of the trunk-line sheet: 1..18 caption ReportedTrunkSwitches in that order,
// then the day and night routing tables, type, long-distance digit, auto-dial, blocked line
// and name.
std::span<const char* const> ReportTrunkLegend();
std::span<bool TSL::* const> ReportedTrunkSwitches();
// The five white-book sections and the black book.
std::span<const char* const> ReportBwSections();
// A door phone: three switches, then link port, open code, day and night routing tables.
std::span<const char* const, 7> ReportDoorPhoneCaptions();
// A loudspeaker channel: its switch, then its link port.
std::span<const char* const, 2> ReportLoudspeakerCaptions();
// The boxes of the tables chosen by selection index (tables without a sheet choose nothing).
TReportTicks ReportTicksForTables(const std::array<bool, kTableCount>& tables);

// What the user asked for besides the ticks.
struct TReportRequest {
    // The report name: the file is this name plus ".xlsx" in the "dat" directory of the
    // session's base directory; it is also the workbook's caption.
    std::string Name = kReportDefaultName;
    // Non-empty: a file the user chose (a save dialog, the command line); written exactly
    // there, and Name is then only the caption.
    std::string ChosenPath;
    // Ask the desktop to open the written workbook.
    bool OpenInViewer = true;
};

// The finished workbook could not be written to its file.
class EReportFileError : public EExcelError {
  public:
    using EExcelError::EExcelError;
};

enum class EReportResult {
    Written,  // the workbook file is complete
    Refused,  // the name was refused; the message has been shown, nothing was written
    Failed,   // the report ended early; a message was shown only when the file could not be
              // written
};

// "" when `name` may name a report in the "dat" directory, else the message that says why not:
// a name must not carry a path ("/", "\", "." or "..") nor characters no file name can hold.
std::string ReportNameProblem(const std::string& name);

// The file a report of `name` goes to: "dat" of `baseDir` (found whatever its letter case)
// joined with the name and ".xlsx" (an existing file of that name in another letter case is
// the one replaced). The name must already have passed ReportNameProblem.
std::string ReportFilePath(const std::string& baseDir, const std::string& name);

// Whether the file at `path` is a workbook (an .xlsx package): the only kind of file a report
// may replace.
bool IsWorkbookFile(const std::string& path);

// The heading line of sheet 1 for the given moment (local date and time).
std::string ReportHeading(const TMainClass& session, std::chrono::system_clock::time_point now);

// Opens `excel` with `caption`, adds and names the sheets, fills sheets 1 and 2 and the ticked
// sheets, steps the progress bar once per sheet group (15 steps; MakeConfigurationReport sets
// the bar to 0..100 in steps of 6 first), then shows and detaches.
// "Now" is the session's clock. Throws whatever ExcelApp throws (EExcelAbort when the workbook
// cannot be started), and EReportFileError when the file cannot be written; the caller decides
// what the user sees.
void WriteConfigurationReport(ExcelApp& excel, const TMainClass& session, const TDataStream& store,
                              const TReportTicks& ticks, const std::string& caption,
                              TProgress& progress);

// "Отчет": checks the name, then writes the report with a new ExcelApp. An empty name shows
// "Не указано имя отчета" (caption "Ошибка"); a name that is no plain file name is refused
// with its own message. Failures while the workbook is being built end the report quietly;
// a file that cannot be written is reported. An existing file that is not a workbook is never
// replaced: it is refused with a message naming it. The progress bar ends at 0. `writtenPath`,
// when given, receives the file's path once it is written.
EReportResult MakeConfigurationReport(const TMainClass& session, const TDataStream& store,
                                      const TReportTicks& ticks, const TReportRequest& request,
                                      TProgress& progress, TUserDialogs& dialogs,
                                      std::string* writtenPath = nullptr);

}  // namespace zarnik
