#pragma once
// "Программирование групп и АЛ": the station's subscriber lines, trunk lines and groups in one
// list, and the panel of the chosen item beside it. Leaving an item or closing the window with
// edits not committed asks whether to commit them.

#include <QDialog>
#include <vector>

#include "app/app_context.h"
#include "editors/line_editor.h"

class QListWidget;
class QPushButton;
class QStackedWidget;

namespace zarnik::app {

class TGroupPanel;
class TItemPanel;
class TLinePanel;
class TTrunkLinePanel;

class TGroupsLinesForm : public QDialog {
    Q_OBJECT
  public:
    explicit TGroupsLinesForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QListWidget* ItemList() const { return List; }
    QPushButton* PreviousButton() const { return Previous; }
    QPushButton* NextButton() const { return Next; }
    QStackedWidget* PanelStack() const { return Stack; }
    TLinePanel* LinePanel() const { return Lines; }
    TGroupPanel* GroupPanel() const { return Groups; }
    TTrunkLinePanel* TrunkPanel() const { return Trunks; }
    // The panel of the item on show, null when the list is empty.
    TItemPanel* CurrentPanel() const;
    const std::vector<TGroupsLinesItem>& Items() const { return Entries; }
    int CurrentRow() const { return Row; }

    void done(int result) override;

  private:
    TItemPanel* PanelFor(EGroupsLinesKind kind) const;
    // Whether the item on show may be left: nothing uncommitted, or the user committed or
    // dropped it. False keeps it on show.
    bool LeaveCurrent();
    void ChooseRow(int row);
    void ShowRow(int row);
    void RefreshList();
    void Step(int direction);

    TAppContext Ctx;
    std::vector<EGroupsLinesKind> Kinds;
    std::vector<TGroupsLinesItem> Entries;
    int Row = -1;
    QListWidget* List;
    QPushButton* Previous;
    QPushButton* Next;
    QStackedWidget* Stack;
    TLinePanel* Lines;
    TGroupPanel* Groups;
    TTrunkLinePanel* Trunks;
};

}  // namespace zarnik::app
