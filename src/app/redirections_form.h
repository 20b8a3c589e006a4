#pragma once
// "Таблица переадресаций": the station's ports as a grid, one row per board and one column per
// position; each subscriber line's cell takes the port its calls are redirected to. "OK" saves
// the grid into the store, "Cancel" leaves it as it was.

#include <QDialog>

#include "app/app_context.h"
#include "editors/redirection_editor.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zarnik::app {

class TRedirectForm : public QDialog {
    Q_OBJECT
  public:
    explicit TRedirectForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return Cells; }
    // The one-line editor shown over a cell while a target is typed.
    QLineEdit* CellEditor() const { return Typed; }
    QPushButton* OkButton() const { return Ok; }
    QPushButton* CancelButton() const { return Cancel; }

    // Enter on a cell or a double click: the editor opens over it, or a cell that cannot be
    // redirected says so.
    void EditCell(int row, int column);

    // "OK": a target still being typed is taken as when another cell is clicked, then the grid
    // is committed and the window closes.
    void accept() override;
    // "Cancel" and closing: an open editor's text is dropped, the store stays as it was.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowCell(int cell);
    void EnterEditor();
    void LeaveEditor();
    void HideEditor();
    int CellAt(int row, int column) const;
    bool EditorOpen() const { return EditedCell >= 0; }

    TAppContext Ctx;
    TRedirectionEditor Editor;
    QTableWidget* Cells;
    QLineEdit* Typed;
    QPushButton* Ok;
    QPushButton* Cancel;
    int EditedCell = -1;
    bool Busy = false;  // the editor is being closed: its focus loss is not a leave
};

}  // namespace zarnik::app
