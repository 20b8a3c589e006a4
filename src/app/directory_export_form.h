#pragma once
// "Экспорт справочника": the sheets of the office directory (lines, phone books, white and
// black lists) written as CSV files into a folder, for a spreadsheet program.

#include <QDialog>
#include <array>
#include <string>

#include "app/app_context.h"
#include "flows/directory_sheets.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarnik::app {

class TDirectoryExportForm : public QDialog {
    Q_OBJECT
  public:
    explicit TDirectoryExportForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QCheckBox* SheetBox(ESheet sheet) const { return Boxes[static_cast<std::size_t>(sheet)]; }
    QLineEdit* FolderField() const { return Folder; }
    QComboBox* EncodingChoice() const { return Encoding; }
    QComboBox* SeparatorChoice() const { return Separator; }
    QPushButton* ExportButton() const { return Export; }
    QLabel* Status() const { return StatusText; }

    // Writes the ticked sheets; false when nothing was written (its message has been shown).
    bool WriteSheets();

  private:
    void ChooseFolder();

    TAppContext Ctx;
    std::array<QCheckBox*, 4> Boxes{};
    QLineEdit* Folder;
    QPushButton* Browse;
    QComboBox* Encoding;
    QComboBox* Separator;
    QLabel* StatusText;
    QPushButton* Export;
    QPushButton* Close;
};

}  // namespace zarnik::app
