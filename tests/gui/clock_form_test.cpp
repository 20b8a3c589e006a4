// The clock window against a running zarnik-sim, and without a station.
#include "app/clock_form.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include "app/station_worker.h"
#include "gui/window_test_support.h"
#include "link/station_clock.h"
#include "support/offline_session.h"
#include "support/pty_station.h"
#include "support/sim_session.h"

namespace zarnik {
namespace {

std::chrono::system_clock::time_point LocalPoint(const TStationDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.Year - 1900;
    tm.tm_mon = t.Month - 1;
    tm.tm_mday = t.Day;
    tm.tm_hour = t.Hour;
    tm.tm_min = t.Minute;
    tm.tm_sec = t.Second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

// The station's clock as it answers a fresh identification.
TStationDateTime AskStationClock(TMainClass& session) {
    EXPECT_TRUE(session.ReadIdentification(false));
    session.DecodeIdentification(true);
    return StationClockFromIdentification(session);
}

struct TSimClockWindow {
    TSimClockWindow() : Sim({"--model", "Dogwood"}) {
        Sim.Session->StationClock = {2001, 2, 3, 4, 5, 6};
    }
    app::TAppContext Ctx() {
        return test::ContextOf(*Sim.Session, Sim.Store, Dialogs, &Worker, Sim.Work.Path);
    }
    test::TSimSession Sim;
    test::TScriptedDialogs Dialogs;
    app::TStationWorker Worker;
};

TEST(ClockForm, ShowsTheStationClockRunningOnOneSecondATick) {
    TSimClockWindow w;
    app::TClockForm form(w.Ctx(), true);
    EXPECT_EQ(form.windowTitle(), "Установка станционного времени");
    EXPECT_EQ(form.Ticker()->interval(), 1000);
    EXPECT_TRUE(form.Ticker()->isActive());
    EXPECT_EQ(form.StationTimeLabel()->text(), "04:05:06");
    EXPECT_EQ(form.Calendar()->selectedDate(), QDate::currentDate());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form.StationTimeLabel()->text() != "04:05:06"; }, 3000));
    EXPECT_EQ(form.StationTimeLabel()->text(), "04:05:07");
    // The estimate stays with the session for the next opening.
    EXPECT_EQ(w.Sim.Session->StationClock, (TStationDateTime{2001, 2, 3, 4, 5, 7}));
    EXPECT_EQ(form.StationDateLabel()->text(),
              QLocale::system().toString(QDate(2001, 2, 3), QLocale::ShortFormat));

    // Opened by the clock question, the calendar shows the station's day instead.
    app::TClockForm asked(w.Ctx(), false);
    EXPECT_EQ(asked.Calendar()->selectedDate(), QDate(2001, 2, 3));
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(ClockForm, SetsTheStationToTheComputersClock) {
    TSimClockWindow w;
    const TStationDateTime now{2013, 7, 3, 12, 0, 5};
    w.Sim.Session->Now = [now] { return LocalPoint(now); };
    app::TClockForm form(w.Ctx(), true);
    form.show();
    QTest::mouseClick(form.SetFromComputerButton(), Qt::LeftButton);
    EXPECT_EQ(form.ShownStationClock(), now);
    EXPECT_EQ(form.StationTimeLabel()->text(), "12:00:05");

    // The station runs on from 12:00:00 (its six-second unit drops the 5 s).
    const TStationDateTime station = AskStationClock(*w.Sim.Session);
    EXPECT_EQ(station.Year, 2013);
    EXPECT_EQ(station.Month, 7);
    EXPECT_EQ(station.Day, 3);
    EXPECT_EQ(station.Hour, 12);
    EXPECT_EQ(station.Minute, 0);
    EXPECT_LE(station.Second, 12);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(ClockForm, SetsTheTypedDateAndTimeAndLeavesTheShownClock) {
    TSimClockWindow w;
    app::TClockForm form(w.Ctx(), true);
    form.show();
    form.ManualDate()->setDate(QDate(2024, 2, 29));
    form.ManualTime()->setTime(QTime(23, 58, 0));
    QTest::mouseClick(form.SetManualButton(), Qt::LeftButton);
    EXPECT_EQ(form.ShownStationClock(), (TStationDateTime{2001, 2, 3, 4, 5, 6}));
    const TStationDateTime station = AskStationClock(*w.Sim.Session);
    EXPECT_EQ(station.Year, 2024);
    EXPECT_EQ(station.Month, 2);
    EXPECT_EQ(station.Day, 29);
    EXPECT_EQ(station.Hour, 23);
    EXPECT_EQ(station.Minute, 58);
}

// No station: a device that is not there (the port cannot be opened), and a line nobody
// answers. Both say so and change nothing shown.
TEST(ClockForm, WithoutAStationSaysThereIsNoLink) {
    test::TOfflineSession offline;
    test::TPtyPair silent;
    test::TScriptedDialogs dialogs;
    app::TStationWorker worker;
    for (const std::string& port : {offline.Dir.Path + "/no-such-tty", silent.SlavePath}) {
        offline.Session.PortName = port;
        offline.Session.StationClock = {2001, 2, 3, 4, 5, 6};
        app::TClockForm form(
            test::ContextOf(offline.Session, offline.Store, dialogs, &worker, offline.Dir.Path),
            true);
        form.show();
        dialogs.ExpectMessage("Нет связи со станцией.");
        QTest::mouseClick(form.SetFromComputerButton(), Qt::LeftButton);
        dialogs.ExpectMessage("Нет связи со станцией.");
        QTest::mouseClick(form.SetManualButton(), Qt::LeftButton);
        // Still the old clock running on (it ticks while the line is tried).
        const double ran = SecondsBetween({2001, 2, 3, 4, 5, 6}, form.ShownStationClock());
        EXPECT_GE(ran, 0) << port;
        EXPECT_LT(ran, 30) << port;
        EXPECT_TRUE(dialogs.AllSeen()) << port;
        ASSERT_FALSE(dialogs.Seen.empty());
        EXPECT_EQ(dialogs.Seen.back().Caption, "Ошибка");
    }
}

}  // namespace
}  // namespace zarnik
