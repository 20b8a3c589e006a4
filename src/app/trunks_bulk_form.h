#pragma once
// "Одновременное программирование СЛ": every trunk line of the station in one grid, a row per
// line and a column per setting, with the legends of the columns beside it. "Внести данные"
// and closing the window store the grid; "Вывести данные в грид" shows the store again.

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "editors/trunk_line_editor.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace zarnik::app {

class TTrunksBulkForm : public QDialog {
    Q_OBJECT
  public:
    explicit TTrunksBulkForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return Cells; }
    // The choice list of the long-distance digit, type, routing and blocked-line columns; shown
    // over a cell while a value is being chosen.
    QListWidget* ChoiceList() const { return Choices; }
    // "Автонабор СЛ № " and its field; shown over the grid while a number is typed.
    QGroupBox* AutoDialPanel() const { return AutoDialBox; }
    QLineEdit* AutoDialEdit() const { return AutoDial; }
    QListWidget* Legend(int index) const { return Legends.at(static_cast<std::size_t>(index)); }
    QPushButton* CommitButton() const { return Commit; }
    QPushButton* ShowButton() const { return Show; }

    // What a double click on a cell does (also Enter, Space or F2 on the current cell).
    void EditCell(int row, int column);
    // "Внести данные"; false when refused (its message has been shown).
    bool CommitData();
    // "Вывести данные в грид".
    void ShowStore();

    void done(int result) override;
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RefreshCells();
    void OpenChoices(int row, int column);
    void Chosen(int index);
    void HideChoices();
    void OpenAutoDial(int row);
    void TakeAutoDial();
    void HideAutoDial();
    QRect OverCell(int row, int column, QSize size) const;

    TAppContext Ctx;
    TTrunkGrid Model;
    QTableWidget* Cells;
    QListWidget* Choices;
    QGroupBox* AutoDialBox;
    QLineEdit* AutoDial;
    std::array<QListWidget*, 3> Legends{};
    QPushButton* Show;
    QPushButton* Commit;
    std::vector<std::string> ChoiceTexts;
    int EditRow = -1;
    int EditColumn = -1;
};

// The menu command: the window, or "В АТС отсутствуют СЛ" when the station has no trunk line.
// True when the window was shown.
bool OpenTrunksBulkWindow(const TAppContext& ctx, QWidget* parent);

}  // namespace zarnik::app
