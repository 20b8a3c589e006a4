#pragma once
// "Установка программных номеров": every subscriber line and system phone with its group,
// program number and name; the numbers and names are typed into the grid and committed by
// "Внести данные" or by closing the window.

#include <QDialog>

#include "app/app_context.h"
#include "editors/program_number_editor.h"

class QKeyEvent;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace zarnik::app {

class TPrgNumForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int ColPort = 0;
    static constexpr int ColGroup = 1;
    static constexpr int ColNumber = 2;
    static constexpr int ColName = 3;

    explicit TPrgNumForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return Cells; }
    QPushButton* CommitButton() const { return Commit; }

    // A key typed into a program number cell's editor; true when the key was dealt with here
    // (discarded or applied), false when the editor's own handling goes on (Enter, Tab, Escape).
    bool NumberKey(QLineEdit* editor, const QKeyEvent& key);

    // "Внести данные"; false when the commit was refused.
    bool CommitData();

    // Closing commits what was typed; a refused commit keeps the window open with its message.
    void reject() override;

  private:
    void ShowRows();
    void CellChanged(QTableWidgetItem* item);
    void FinishEditing();

    TAppContext Ctx;
    TProgramNumberEditor Editor;
    QTableWidget* Cells;
    QPushButton* Commit;
    bool Filling = false;
};

}  // namespace zarnik::app
