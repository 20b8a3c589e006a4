#pragma once
// One of the four task panels of the main window (read from the station, write to the station,
// load a file, save a file): sixteen table boxes, "Отметить все", the action, "Уйти", and, as
// the panel needs them, a progress bar with "Прервать", a file name and a status line.

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <array>

#include "files/config_flows.h"

namespace zarnik::app {

class TTablePanel : public QWidget {
    Q_OBJECT
public:
    struct TSetup {
        QString Title;       // "Чтение данных из АТС"
        QString Action;      // "Считать из АТС"
        bool Progress = false;  // the two station panels
        bool FileName = false;  // the load panel shows the chosen file
    };
    TTablePanel(const TSetup& setup, QWidget* parent = nullptr);

    TTableTicks Ticks() const;
    void SetTicks(const TTableTicks& ticks);
    void SetAll(bool on);
    void SetFileName(const QString& name);
    QString FileName() const { return File; }
    void SetStatus(const QString& text);

    QCheckBox* Box(int panelIndex) const { return Boxes[static_cast<std::size_t>(panelIndex)]; }
    QPushButton* ActionButton() const { return ActionBtn; }
    QPushButton* ToggleButton() const { return ToggleBtn; }
    QPushButton* LeaveButton() const { return LeaveBtn; }
    QPushButton* CancelButton() const { return CancelBtn; }
    QProgressBar* Bar() const { return ProgressBar; }
    QLabel* Status() const { return StatusLabel; }
    // While a station job runs: the boxes and buttons are off, only "Прервать" stays on.
    void SetBusy(bool busy);

Q_SIGNALS:
    void actionRequested();
    void leaveRequested();
    void cancelRequested();

protected:
    // The main window is no dialog: Enter in the panel presses its action, Escape leaves it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ToggleAll();
    std::array<QCheckBox*, kTableCount> Boxes{};
    QPushButton* ActionBtn = nullptr;
    QPushButton* ToggleBtn = nullptr;
    QPushButton* LeaveBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* FileLabel = nullptr;
    QLabel* StatusLabel = nullptr;
    QString File;
};

}  // namespace zarnik::app
