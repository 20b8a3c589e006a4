#pragma once
// "Программирование таблиц наведения": the incoming routing tables, each four rows of up to
// five lines that an incoming call is offered to, and the tables' names.

#include <QDialog>
#include <vector>

#include "app/app_context.h"
#include "editors/routing_table_editor.h"

class QLineEdit;
class QListWidget;
class QTableWidget;

namespace zarnik::app {

class TRoutingTableForm : public QDialog {
    Q_OBJECT
  public:
    explicit TRoutingTableForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QListWidget* TableList() const { return Tables; }
    QTableWidget* Grid() const { return Cells; }
    QLineEdit* NameField() const { return Name; }
    // The port choice list; shown over a cell while a port is being chosen.
    QListWidget* PortList() const { return Ports; }
    int ShownTable() const { return Shown; }

    // Opens the port choice list over a cell (a double click, or Enter on the cell).
    void ChoosePortFor(int row, int column);

    // Closing stores the table's name; a refused name keeps the window open.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RefreshList();
    void ShowTable(int table);
    void TableChosen(int row);
    void PortChosen(int index);
    void HidePorts();
    bool StoreName();

    TAppContext Ctx;
    QListWidget* Tables;
    QTableWidget* Cells;
    QLineEdit* Name;
    QListWidget* Ports;
    std::vector<TPortChoice> Choices;
    int Shown = 0;
    int ChoiceRow = -1;
    int ChoiceColumn = -1;
};

}  // namespace zarnik::app
