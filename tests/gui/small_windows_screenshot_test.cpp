// Pictures of the smaller windows for the documentation. Run only when ZARNIK_SCREENSHOT_DIR
// names the folder they go to, so the ordinary test run writes nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QTableWidget>

#include "app/about_form.h"
#include "app/clock_form.h"
#include "app/composition_form.h"
#include "app/options_form.h"
#include "app/report_form.h"
#include "app/system_settings_form.h"
#include "app/time_settings_form.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using test::Grab;

TEST(SmallWindowsScreenshots, WritesThePictures) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    QDir().mkpath(dir);
    test::TLoadedWindowStation w("Dogwood");
    w.Station.Session.PortName = "COM1";
    w.Station.Session.StationClock = {2026, 12, 9, 10, 15, 0};
    {
        app::TTimeSettingsForm form(w.Ctx());
        form.Grid()->setCurrentCell(0, app::TTimeSettingsForm::ColValue);
        Grab(form, dir, "time_settings.png");
    }
    {
        app::TSystemSettingsForm form(w.Ctx());
        Grab(form, dir, "system_settings.png");
    }
    {
        app::TClockForm form(w.Ctx(), true);
        Grab(form, dir, "clock.png");
    }
    {
        app::TATSComplectForm form(w.Ctx());
        Grab(form, dir, "composition.png");
    }
    {
        app::TReportForm form(w.Ctx());
        Grab(form, dir, "report.png");
    }
    {
        app::TOptionsForm form(w.Ctx());
        Grab(form, dir, "options.png");
    }
    {
        app::TAboutForm form(std::string("/home/tech/.local/share/zarnik"));
        Grab(form, dir, "about.png");
    }
}

}  // namespace
}  // namespace zarnik
