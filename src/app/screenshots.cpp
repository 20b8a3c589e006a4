#include "app/screenshots.h"

#include <QApplication>
#include <QDir>

#include "app/main_form.h"
#include "app/time_settings_form.h"

namespace zarnik::app {

namespace {

bool Save(QWidget& w, const QString& path) {
    QApplication::processEvents();
    const bool ok = w.grab().save(path);
    if (!ok) std::fprintf(stderr, "zarnik: cannot write %s\n", qPrintable(path));
    return ok;
}

}  // namespace

bool WriteScreenshots(TMainForm& window, const QString& dir) {
    QDir().mkpath(dir);
    bool ok = Save(window, dir + QStringLiteral("/main_window.png"));
    window.Run(ECommand::WriteStation);
    ok = Save(window, dir + QStringLiteral("/write_panel.png")) && ok;
    window.WritePanel()->LeaveButton()->click();
    TTimeSettingsForm form(window.Context(), &window);
    form.show();
    ok = Save(form, dir + QStringLiteral("/time_settings.png")) && ok;
    form.close();
    return ok;
}

}  // namespace zarnik::app
