#pragma once
// "Формирование отчета о конфигурации АТС": which tables go into the configuration report,
// its name, and the report written as a workbook file.

#include <QDialog>
#include <array>
#include <string>

#include "app/app_context.h"
#include "report/config_report.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zarnik::app {

class TReportForm : public QDialog {
    Q_OBJECT
  public:
    // The window keeps its ticks and report name while it lives: the main window keeps one
    // and opens it again.
    explicit TReportForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QCheckBox* Tick(std::size_t i) const { return Ticks[i]; }
    QLineEdit* NameField() const { return Name; }
    QPushButton* ReportButton() const { return MakeReport; }
    QPushButton* AllButton() const { return TickAll; }
    QPushButton* NoneButton() const { return TickNone; }
    QPlainTextEdit* Note() const { return NoteText; }
    QProgressBar* Progress() const { return Bar; }
    QLabel* Status() const { return StatusText; }

    TReportTicks Chosen() const;
    // Whether the written workbook is handed to the desktop to open (tests switch it off).
    void SetOpenInViewer(bool open) { OpenInViewer = open; }
    // The file the last report was written to, or "".
    const std::string& WrittenPath() const { return Written; }

  private:
    void SetAllTicks(bool on);
    void Make();

    TAppContext Ctx;
    bool OpenInViewer = true;
    std::string Written;
    std::array<QCheckBox*, kReportTickCount> Ticks{};
    QLineEdit* Name;
    QPushButton* MakeReport;
    QPushButton* TickAll;
    QPushButton* TickNone;
    QPlainTextEdit* NoteText;
    QProgressBar* Bar;
    QLabel* StatusText;
};

}  // namespace zarnik::app
