#pragma once
// "Импорт справочника": a CSV sheet of the office directory checked against the configuration
// in hand, its bad rows listed by line, its changes shown as the comparison names them, and
// stored only when "Применить" is pressed.

#include <QDialog>
#include <string>

#include "app/app_context.h"
#include "flows/directory_sheets.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace zarnik::app {

class TDirectoryImportForm : public QDialog {
    Q_OBJECT
  public:
    explicit TDirectoryImportForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QLineEdit* FileField() const { return File; }
    QPushButton* ChooseButton() const { return Choose; }
    QPushButton* CheckButton() const { return Check; }
    QPushButton* ApplyButton() const { return Apply; }
    QTreeWidget* Changes() const { return ChangeTree; }
    QPlainTextEdit* Problems() const { return ProblemText; }
    QLabel* Summary() const { return SummaryText; }
    const TDirectoryImport& Plan() const { return Planned; }

    // Reads the file named in the field and shows what it would change; nothing is stored.
    void CheckFile();
    // Stores the checked file's changes; false when there was nothing to store or a commit
    // refused (its message has been shown).
    bool ApplyChanges();

  private:
    void ChooseFile();
    void Show();

    TAppContext Ctx;
    TDirectoryImport Planned;
    bool Checked = false;
    bool Applied = false;
    QLineEdit* File;
    QPushButton* Choose;
    QPushButton* Check;
    QLabel* SummaryText;
    QTreeWidget* ChangeTree;
    QPlainTextEdit* ProblemText;
    QPushButton* Apply;
    QPushButton* Close;
};

}  // namespace zarnik::app
