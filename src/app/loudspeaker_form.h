#pragma once
// "Программирование каналов ГГС": one loudspeaker channel at a time, the port it is given and
// the ban on automatic switch-off. Moving to another channel and closing the window commit; a
// refused commit keeps the window open.

#include <QDialog>

#include "app/app_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarnik::app {

class TGgsForm : public QDialog {
    Q_OBJECT
public:
    explicit TGgsForm(const TAppContext& ctx, QWidget* parent = nullptr);

    int Index() const { return Current; }
    QLabel* NumberLabel() const { return Number; }
    QLineEdit* NameEdit() const { return Name; }
    QCheckBox* AutoOffBox() const { return AutoOff; }
    QComboBox* PortList() const { return Port; }
    QPushButton* PreviousButton() const { return Previous; }
    QPushButton* NextButton() const { return Next; }
    QPushButton* ShowButton() const { return Show; }
    QPushButton* CommitButton() const { return Commit; }

    // "Вывод инфы о текущем канале": the controls show the store again.
    void ShowStore();
    // "Внести данные"; false when refused (its message has been shown).
    bool CommitData();

    void done(int result) override;

private:
    void Step(int direction);

    TAppContext Ctx;
    int Current = 0;
    QLabel* Number;
    QLineEdit* Name;
    QCheckBox* AutoOff;
    QComboBox* Port;
    QPushButton* Previous;
    QPushButton* Next;
    QPushButton* Show;
    QPushButton* Commit;
};

}  // namespace zarnik::app
