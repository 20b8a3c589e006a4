#include "app/clock_form.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/station_worker.h"
#include "editors/clock_editing.h"
#include "flows/station_journal.h"
#include "link/station_clock.h"

namespace zarnik::app {

namespace {

const QString kSetCaption = QStringLiteral("Установить");

QDate DateOf(const TStationDateTime& t) {
    return QDate(t.Year, t.Month, t.Day);
}
QTime TimeOf(const TStationDateTime& t) {
    return QTime(t.Hour, t.Minute, t.Second);
}

TStationDateTime FromQt(const QDate& d, const QTime& t) {
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

QLabel* ValueLabel(const QString& name, QWidget* parent) {
    auto* label = Named(new QLabel(parent), name);
    label->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

}  // namespace

TClockForm::TClockForm(const TAppContext& ctx, bool calendarToday, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Station(ctx.S().StationClock) {
    setWindowTitle(QStringLiteral("Установка станционного времени"));

    auto* stationGroup = NamedGroup(QStringLiteral("Время в АТС"), this);
    StationDate = ValueLabel(QStringLiteral("Дата в АТС"), stationGroup);
    StationTime = ValueLabel(QStringLiteral("Время в АТС"), stationGroup);
    auto* stationLayout = new QHBoxLayout(stationGroup);
    stationLayout->addWidget(StationDate);
    stationLayout->addSpacing(24);
    stationLayout->addWidget(StationTime);
    stationLayout->addStretch();

    auto* computerGroup = NamedGroup(QStringLiteral("Время в компьютере: "), this);
    CalendarView = Named(new QCalendarWidget(computerGroup), QStringLiteral("Календарь"));
    CalendarView->setSelectedDate(calendarToday ? QDate::currentDate() : DateOf(Station));
    ComputerTime = ValueLabel(QStringLiteral("Время в компьютере"), computerGroup);
    SetFromComputer = CaptionedButton<QPushButton>(kSetCaption, computerGroup);
    SetFromComputer->setAccessibleDescription(QStringLiteral("Установить в АТС время компьютера"));
    auto* computerLayout = new QGridLayout(computerGroup);
    computerLayout->addWidget(CalendarView, 0, 0, 1, 2);
    computerLayout->addWidget(ComputerTime, 1, 0);
    computerLayout->addWidget(SetFromComputer, 1, 1, Qt::AlignRight);

    auto* manualGroup = NamedGroup(QStringLiteral("Ввод времени и даты вручную"), this);
    DateEdit = Named(new QDateEdit(QDate::currentDate(), manualGroup), QStringLiteral("Дата"));
    DateEdit->setCalendarPopup(true);
    DateEdit->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    TimeEdit = Named(new QTimeEdit(QTime::currentTime(), manualGroup), QStringLiteral("Время"));
    TimeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    SetManual = CaptionedButton<QPushButton>(kSetCaption, manualGroup);
    SetManual->setAccessibleDescription(QStringLiteral("Установить в АТС введенные время и дату"));
    auto* manualLayout = new QHBoxLayout(manualGroup);
    manualLayout->addWidget(DateEdit);
    manualLayout->addWidget(TimeEdit);
    manualLayout->addStretch();
    manualLayout->addWidget(SetManual);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stationGroup);
    layout->addWidget(computerGroup);
    layout->addWidget(manualGroup);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(StationDate, StationTime);
    setTabOrder(StationTime, CalendarView);
    setTabOrder(CalendarView, ComputerTime);
    setTabOrder(ComputerTime, SetFromComputer);
    setTabOrder(SetFromComputer, DateEdit);
    setTabOrder(DateEdit, TimeEdit);
    setTabOrder(TimeEdit, SetManual);

    connect(SetFromComputer, &QPushButton::clicked, this, &TClockForm::SetToComputerClock);
    connect(SetManual, &QPushButton::clicked, this, &TClockForm::SetToTypedClock);

    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, &TClockForm::Tick);
    Timer->start();
    ShowClocks();
    move(30, 30);
}

void TClockForm::Tick() {
    Station = AdvanceStationClock(Station, 1);
    // The session keeps the estimate, so the window opened again goes on from here.
    Ctx.S().StationClock = Station;
    ShowClocks();
}

void TClockForm::ShowClocks() {
    const QLocale locale = QLocale::system();
    const QDate date = DateOf(Station);
    StationDate->setText(date.isValid() ? locale.toString(date, QLocale::ShortFormat)
                                        : QStringLiteral("%1.%2.%3")
                                              .arg(Station.Day, 2, 10, QLatin1Char('0'))
                                              .arg(Station.Month, 2, 10, QLatin1Char('0'))
                                              .arg(Station.Year));
    StationTime->setText(TimeOf(Station).toString(QStringLiteral("HH:mm:ss")));
    ComputerTime->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

bool TClockForm::SendClock(const TStationDateTime& t) {
    bool acknowledged = false;
    try {
        TMainClass& session = Ctx.S();
        const auto job = [&] {
            if (!session.Port.IsOpen()) session.OpenPort();
            acknowledged = SetStationClockRecorded(session, t);
        };
        if (Ctx.Worker != nullptr)
            Ctx.Worker->Run(job);
        else
            job();
    } catch (const ECommError&) {
        acknowledged = false;
    }
    if (!acknowledged) Ctx.Dlg().Message("Нет связи со станцией.", "Ошибка");
    return acknowledged;
}

void TClockForm::SetToComputerClock() {
    const TStationDateTime now = LocalDateTime(Ctx.S().Now());
    if (!SendClock(now)) return;
    Station = now;
    Ctx.S().StationClock = Station;
    ShowClocks();
}

void TClockForm::SetToTypedClock() {
    // Seconds travel as typed; the station's time unit drops what it cannot hold.
    SendClock(FromQt(DateEdit->date(), TimeEdit->time()));
}

}  // namespace zarnik::app
