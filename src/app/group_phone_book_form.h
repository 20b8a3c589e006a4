#pragma once
// "Программирование групповых записных книжек": the 20 numbers of each group's own phone book,
// shown beside the common book's numbers of the same cells.

#include <QDialog>

#include "app/app_context.h"

class QListWidget;
class QPushButton;

namespace zarnik::app {

class TPhoneBookGrid;

class TGroupPhoneBookForm : public QDialog {
    Q_OBJECT
  public:
    explicit TGroupPhoneBookForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QListWidget* GroupList() const { return Groups; }
    TPhoneBookGrid* Grid() const { return Table; }
    QPushButton* CommitButton() const { return Commit; }
    QPushButton* CancelButton() const { return Cancel; }
    // 0-based index of the group whose book is shown.
    int ShownGroup() const { return Shown; }

    // Closing commits what was typed into the shown book; a refused commit keeps the window.
    void reject() override;

  private:
    void ShowGroup(int group);
    void GroupChosen(int row);
    // Stores the shown book when something was typed into it; false when that was refused.
    bool CommitEdits();
    void CommitData();
    void RefreshGroupList();

    TAppContext Ctx;
    QListWidget* Groups;
    TPhoneBookGrid* Table;
    QPushButton* Commit;
    QPushButton* Cancel;
    int Shown = 0;
};

}  // namespace zarnik::app
