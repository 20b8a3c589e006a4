// zarnik: the desktop program.
#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

#include "app/demo_station.h"
#include "app/main_form.h"
#include "app/screenshots.h"

using namespace zarnik;
using namespace zarnik::app;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarnik"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kAppTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.38"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zarnik: configurator of the office telephone station.\n"
        "Reads the station's tables over the serial port, edits them in windows, writes them\n"
        "back and keeps them in configuration files (dat/*.ats).\n\n"
        "Exit codes: 0 done; 1 the program could not start (no \"dat\" directory, no simulator\n"
        "for --demo); 2 bad arguments."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Start a simulated station (model MODEL, default Dogwood) and work with it."));
    const QCommandLineOption fast(QStringLiteral("fast"),
                                  QStringLiteral("With --demo: no 19200 baud pacing."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use this port (COMn or a device path) instead "
                                                 "of the one in Zarnik_M.cfg."),
                                  QStringLiteral("PORT"));
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Working directory (dat, names, options)."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption start(QStringLiteral("start"),
                                   QStringLiteral("Skip the start-up question: 'station' reads the "
                                                  "station, 'files' works with files."),
                                   QStringLiteral("station|files"));
    const QCommandLineOption shots(QStringLiteral("screenshots"),
                                   QStringLiteral("Read the station, save pictures of the main "
                                                  "windows into DIR and quit."),
                                   QStringLiteral("DIR"));
    parser.addOptions({demo, fast, port, dir, start, shots});
    parser.addPositionalArgument(QStringLiteral("MODEL"),
                                 QStringLiteral("With --demo: Alder, Birch, Cedar or Dogwood."),
                                 QStringLiteral("[MODEL]"));
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "zarnik: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s\n", kAppTitle);
        return 0;
    }

    TMainFormOptions options;
    options.BaseDir = parser.value(dir).toStdString();
    options.PortOverride = parser.value(port).toStdString();
    if (parser.isSet(start)) {
        const QString s = parser.value(start);
        if (s == QStringLiteral("station")) {
            options.StartChoice = EStartChoice::Station;
        } else if (s == QStringLiteral("files")) {
            options.StartChoice = EStartChoice::Files;
        } else {
            std::fprintf(stderr, "zarnik: --start takes 'station' or 'files'\n");
            return 2;
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1 || (!positional.isEmpty() && !parser.isSet(demo))) {
        std::fprintf(stderr, "zarnik: unexpected argument; see zarnik --help\n");
        return 2;
    }
    std::unique_ptr<TDemoStation> station;
    if (parser.isSet(demo)) {
        const std::string model =
            positional.isEmpty() ? std::string("Dogwood") : positional.front().toStdString();
        if (!IsKnownModel(model)) {
            std::fprintf(stderr, "zarnik: unknown model '%s' (Alder, Birch, Cedar, Dogwood)\n",
                         model.c_str());
            return 2;
        }
        station = std::make_unique<TDemoStation>();
        std::string error;
        if (!station->Start(model, !parser.isSet(fast) && !parser.isSet(shots), &error)) {
            std::fprintf(stderr, "zarnik: %s\n", error.c_str());
            return 1;
        }
        options.PortOverride = TDemoStation::kPortName;
    }
    if (parser.isSet(shots)) options.StartChoice = EStartChoice::Station;

    TMainForm window(options);
    window.show();
    if (parser.isSet(shots)) {
        const QString target = parser.value(shots);
        QObject::connect(&window, &TMainForm::startFinished, &window, [&window, target] {
            const bool ok = WriteScreenshots(window, target);
            QCoreApplication::exit(ok ? 0 : 1);
        }, Qt::QueuedConnection);
    }
    return QApplication::exec();
}
