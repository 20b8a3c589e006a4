#pragma once
// "Программная перекроссировка АЛ и СЛ": two subscriber lines, two system phones or two trunk
// lines exchange everything set up on them. The window shows what will change, asks, and then
// exchanges; nothing changes until the user agrees.

#include <QDialog>

#include "app/app_context.h"
#include "editors/cross_connect.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zarnik::app {

class TCrossConnectForm : public QDialog {
    Q_OBJECT
  public:
    explicit TCrossConnectForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QComboBox* KindList() const { return Kind; }
    QComboBox* FirstList() const { return First; }
    QComboBox* SecondList() const { return Second; }
    QPushButton* ShowButton() const { return Show; }
    QListWidget* PlanList() const { return Plan; }
    QPushButton* ExecuteButton() const { return Execute; }
    QPushButton* CloseButton() const { return Close; }
    QLabel* StatusLabel() const { return Status; }

    // Chooses a port in one of the two lists by its number; false when the list lacks it.
    bool ChoosePort(QComboBox* list, int port);
    // "Показать изменения": the plan of the chosen pair in the list.
    void ShowPlan();
    // "Выполнить": asks, then exchanges. True when the ports were exchanged.
    bool ExchangePorts();

  private:
    ECrossKind ChosenKind() const;
    int ChosenPort(const QComboBox* list) const;
    void FillPorts();
    void ShowLines(const std::vector<std::string>& lines);
    void Forget();

    TAppContext Ctx;
    QComboBox* Kind;
    QComboBox* First;
    QComboBox* Second;
    QPushButton* Show;
    QListWidget* Plan;
    QLabel* Status;
    QPushButton* Execute;
    QPushButton* Close;
};

}  // namespace zarnik::app
