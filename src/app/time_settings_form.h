#pragma once
// "Программирование временных установок": the station's timers in a grid, changed by typing or
// by one step at a time with "+" and "-".

#include <QDialog>
#include <vector>

#include "app/app_context.h"

class QPushButton;
class QTableWidget;

namespace zarnik::app {

class TTimeSettingsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TTimeSettingsForm(const TAppContext& ctx, QWidget* parent = nullptr);

    enum EColumn { ColName, ColDefault, ColStep, ColValue, ColDescription, ColumnCount };

    QTableWidget* Grid() const { return Table; }
    QPushButton* ShowButton() const { return ShowData; }
    QPushButton* PlusButton() const { return Plus; }
    QPushButton* MinusButton() const { return Minus; }
    QPushButton* OkButton() const { return Ok; }
    QPushButton* CancelButton() const { return Cancel; }
    QPushButton* HelpButton() const { return Help; }

    // "Вывод данных": the grid shows the store again.
    void ShowStore();
    // "+" (1) or "-" (-1) on the value of `row`: one step, within one to ten steps.
    // `text` is the value as it stands (a cell being edited holds it in its editor); the
    // result, or nullopt when nothing changes.
    std::optional<QString> Stepped(int row, const QString& text, int direction) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void StepCurrentRow(int direction);
    void CommitData();

    TAppContext Ctx;
    std::vector<double> Steps;  // per grid row, seconds
    QTableWidget* Table;
    QPushButton* ShowData;
    QPushButton* Plus;
    QPushButton* Minus;
    QPushButton* Ok;
    QPushButton* Cancel;
    QPushButton* Help;
};

}  // namespace zarnik::app
