// How quickly the desktop program is up, and whether its window keeps painting while the whole
// station is read at 19200 baud. Not a test: it prints figures.
//
//   app_bench               start-up (5 runs, each a fresh process) and a full paced read
//   app_bench --startup     one start-up, printed in milliseconds (used by the above)
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/main_form.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace zarnik;
using namespace zarnik::app;

namespace {

using TClock = std::chrono::steady_clock;

// Timestamps of every paint the window actually processed.
class TPaintWatch : public QObject {
public:
    std::vector<TClock::time_point> Paints;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) Paints.push_back(TClock::now());
        return QObject::eventFilter(o, e);
    }
};

class TSilentDialogs : public TUserDialogs {
public:
    void Message(const std::string& t, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", t.c_str());
    }
    TAnswer Question(const std::string&, const std::string&) override { return TAnswer::Cancel; }
    std::optional<std::string> OpenFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
};

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// From before the application object to the first paint of the main window, working with files.
int StartupOnce(int argc, char** argv, TClock::time_point t0) {
    QApplication app(argc, argv);
    test::TTempDir dir;
    TSilentDialogs dialogs;
    TMainFormOptions o;
    o.BaseDir = dir.Path;
    o.PortOverride = dir.Path + "/none";  // nothing to open: start-up only
    o.StartChoice = EStartChoice::Files;
    o.Dialogs = &dialogs;
    TMainForm window(o);
    TPaintWatch watch;
    window.installEventFilter(&watch);
    QObject::connect(&window, &TMainForm::startFinished, &window, [&] {
        window.update();
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        });
    }, Qt::QueuedConnection);
    window.show();
    QApplication::exec();
    if (watch.Paints.empty()) return 1;
    std::printf("%.1f\n", Ms(watch.Paints.back() - t0));
    return 0;
}

int FullReadResponsiveness(int argc, char** argv) {
    QApplication app(argc, argv);
    test::TTempDir dir;
    test::TSimProcess sim({"--model", "Dogwood", "--wire-rate"});
    setenv("ZARNIK_SERIAL_DIR", sim.Dir().c_str(), 1);
    TSilentDialogs dialogs;
    TMainFormOptions o;
    o.BaseDir = dir.Path;
    o.PortOverride = "COM3";
    o.StartChoice = EStartChoice::Files;
    o.Dialogs = &dialogs;
    TMainForm window(o);
    window.show();
    window.Start();
    window.Run(ECommand::ReadStation);
    TPaintWatch watch;
    window.installEventFilter(&watch);
    // Ask for a repaint every 16 ms, as an animation or a moved window would.
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &window, [&] { window.update(); });
    repaint.start(16);
    const auto start = TClock::now();
    window.ReadPanel()->ActionButton()->click();
    const auto end = TClock::now();
    repaint.stop();
    double gap = 0;
    for (std::size_t i = 1; i < watch.Paints.size(); ++i)
        gap = std::max(gap, Ms(watch.Paints[i] - watch.Paints[i - 1]));
    if (!watch.Paints.empty()) gap = std::max(gap, Ms(watch.Paints.front() - start));
    std::printf("full read of a Dogwood at 19200 baud: %.2f s, %zu paints, largest gap %.1f ms, "
                "read %s\n",
                Ms(end - start) / 1000.0, watch.Paints.size(), gap,
                window.Context().S().DataPresent ? "done" : "FAILED");
    return window.Context().S().DataPresent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const auto t0 = TClock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::string(argv[1]) == "--startup") return StartupOnce(argc, argv, t0);
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QProcess p;
        p.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--startup")});
        p.waitForFinished(30000);
        runs.push_back(QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed().toDouble());
    }
    std::sort(runs.begin(), runs.end());
    std::printf("start-up to the main window painted: median %.1f ms (min %.1f, max %.1f, 5 runs)\n",
                runs[2], runs.front(), runs.back());
    return FullReadResponsiveness(argc, argv);
}
