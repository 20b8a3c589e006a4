#pragma once
// "Установка станционного времени": the station clock as estimated from the last
// identification, the computer's clock, and the two ways of setting the station clock.

#include <QDialog>

#include "app/app_context.h"

class QCalendarWidget;
class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;
class QTimer;

namespace zarnik::app {

class TClockForm : public QDialog {
    Q_OBJECT
  public:
    // `calendarToday`: the calendar starts on today's date (the window opened from the menu);
    // otherwise on the station's date, which is what the user was just asked about.
    TClockForm(const TAppContext& ctx, bool calendarToday, QWidget* parent = nullptr);

    QPushButton* SetFromComputerButton() const { return SetFromComputer; }
    QPushButton* SetManualButton() const { return SetManual; }
    QDateEdit* ManualDate() const { return DateEdit; }
    QTimeEdit* ManualTime() const { return TimeEdit; }
    QCalendarWidget* Calendar() const { return CalendarView; }
    QLabel* StationDateLabel() const { return StationDate; }
    QLabel* StationTimeLabel() const { return StationTime; }
    QTimer* Ticker() const { return Timer; }
    // What the window shows as the station clock.
    const TStationDateTime& ShownStationClock() const { return Station; }

  private:
    void Tick();
    void ShowClocks();
    void SetToComputerClock();
    void SetToTypedClock();
    // Sets the station clock on the worker; false after "Нет связи со станцией." was shown.
    bool SendClock(const TStationDateTime& t);

    TAppContext Ctx;
    TStationDateTime Station;
    QLabel* StationDate;
    QLabel* StationTime;
    QLabel* ComputerTime;
    QCalendarWidget* CalendarView;
    QPushButton* SetFromComputer;
    QDateEdit* DateEdit;
    QTimeEdit* TimeEdit;
    QPushButton* SetManual;
    QTimer* Timer;
};

}  // namespace zarnik::app
