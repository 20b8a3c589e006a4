#pragma once
// "Программирование параметров домофонов": one door phone at a time, its switches, the port it
// is given, the code that opens the lock and its day and night routing tables. Moving to
// another door phone and closing the window commit; a refused commit keeps the window open.

#include <QDialog>

#include "app/app_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarnik::app {

class TDomofonForm : public QDialog {
    Q_OBJECT
public:
    explicit TDomofonForm(const TAppContext& ctx, QWidget* parent = nullptr);

    int Index() const { return Current; }
    QLabel* NumberLabel() const { return Number; }
    QLineEdit* NameEdit() const { return Name; }
    QCheckBox* AllLinesOpenBox() const { return AllLinesOpen; }
    QCheckBox* DropCallBox() const { return DropCall; }
    QCheckBox* ToneOpenBox() const { return ToneOpen; }
    QComboBox* PortList() const { return Port; }
    QLineEdit* CodeEdit() const { return Code; }
    QComboBox* DayList() const { return Day; }
    QComboBox* NightList() const { return Night; }
    QPushButton* PreviousButton() const { return Previous; }
    QPushButton* NextButton() const { return Next; }
    QPushButton* ShowButton() const { return Show; }
    QPushButton* CommitButton() const { return Commit; }

    // "Вывод инфы о текущем домофоне": the controls show the store again.
    void ShowStore();
    // "Внести данные"; false when refused (its message has been shown).
    bool CommitData();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(int direction);

    TAppContext Ctx;
    int Current = 0;
    QLabel* Number;
    QLineEdit* Name;
    QCheckBox* AllLinesOpen;
    QCheckBox* DropCall;
    QCheckBox* ToneOpen;
    QComboBox* Port;
    QLineEdit* Code;
    QComboBox* Day;
    QComboBox* Night;
    QPushButton* Previous;
    QPushButton* Next;
    QPushButton* Show;
    QPushButton* Commit;
};

}  // namespace zarnik::app
