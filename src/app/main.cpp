// zarnik: the desktop program.
#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/demo_station.h"
#include "app/main_form.h"
#include "app/screenshots.h"
#include "platform/base_folder.h"

using namespace zarnik;
using namespace zarnik::app;

namespace {

// What the command line asked for, read before any window system is touched, so that --help
// and bad arguments work on a machine without a display.
struct TCommandLine {
    TMainFormOptions Options;
    bool Demo = false;
    bool Fast = false;
    std::string Model = "Dogwood";
    QString OpenFile;
    QString Screenshots;
};

// nullopt: print nothing more and leave with *exitCode.
std::optional<TCommandLine> ParseCommandLine(int argc, char** argv, int* exitCode) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zarnik"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.38"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zarnik: configurator of the office telephone station.\n"
        "Reads the station's tables over the serial port, edits them in windows, writes them\n"
        "back and keeps them in configuration files (dat/*.ats). Given FILE, starts with that\n"
        "configuration file loaded.\n\n"
        "Files: the base folder holds \"dat\" (configuration files, backups, the name files)\n"
        "and Zarnik_M.cfg (the serial port). It is the folder given with --dir, else the\n"
        "current folder; started in the home folder (as from a desktop menu) with none of\n"
        "these files there, it is $XDG_DATA_HOME/zarnik (by default ~/.local/share/zarnik),\n"
        "created on first start. \"О программе\" shows the folder in use.\n\n"
        "Exit codes: 0 done; 1 the program could not start (no display, no \"dat\" directory,\n"
        "no simulator for --demo); 2 bad arguments."));
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
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A configuration file (.ats) to open at start."),
                                 QStringLiteral("[FILE]"));
    *exitCode = 2;
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "zarnik: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    *exitCode = 0;
    if (parser.isSet(QStringLiteral("help"))) {
        // The program's name, not the path it was started by: the manual page is made from this.
        QString text = parser.helpText();
        const QString self = QCoreApplication::arguments().value(0);
        if (!self.isEmpty() && text.startsWith(QStringLiteral("Usage: ") + self))
            text.replace(7, self.size(), QStringLiteral("zarnik"));
        std::fputs(qPrintable(text), stdout);
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s\n", kAppTitle);
        return std::nullopt;
    }
    *exitCode = 2;
    TCommandLine line;
    TMainFormOptions& options = line.Options;
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
            return std::nullopt;
        }
    }
    line.Demo = parser.isSet(demo);
    line.Fast = parser.isSet(fast);
    // With --demo a word that names no file (no ".ats", no folder) is the model; anything
    // else is the file to open.
    bool modelGiven = false;
    for (const QString& arg : parser.positionalArguments()) {
        const bool looksLikeFile = arg.endsWith(QStringLiteral(".ats"), Qt::CaseInsensitive) ||
                                   arg.contains(QLatin1Char('/'));
        if (line.Demo && !modelGiven && !looksLikeFile) {
            line.Model = arg.toStdString();
            modelGiven = true;
            if (!IsKnownModel(line.Model)) {
                std::fprintf(stderr, "zarnik: unknown model '%s' (Alder, Birch, Cedar, Dogwood)\n",
                             line.Model.c_str());
                return std::nullopt;
            }
        } else if (line.OpenFile.isEmpty()) {
            line.OpenFile = arg;
        } else {
            std::fprintf(stderr, "zarnik: unexpected argument '%s'; see zarnik --help\n",
                         qPrintable(arg));
            return std::nullopt;
        }
    }
    if (!line.OpenFile.isEmpty()) {
        // The file is named from the folder the program was started in.
        std::error_code ec;
        const std::filesystem::path file = std::filesystem::absolute(line.OpenFile.toStdString(), ec);
        options.OpenFile = ec ? line.OpenFile.toStdString() : file.lexically_normal().string();
    }
    line.Screenshots = parser.value(shots);
    if (!line.Screenshots.isEmpty()) options.StartChoice = EStartChoice::Station;
    *exitCode = 0;
    return line;
}

bool DisplayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    std::optional<TCommandLine> line = ParseCommandLine(argc, argv, &exitCode);
    if (!line) return exitCode;
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "zarnik: no display to open the window on (DISPLAY is not set). Use "
                     "zarnik-cli on a terminal, or QT_QPA_PLATFORM=offscreen.\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarnik"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kAppTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.38"));
    TMainFormOptions options = line->Options;
    const TBaseFolderChoice base = ChooseBaseFolder(BaseFolderFactsFromEnvironment(options.BaseDir));
    std::string why;
    // A folder that cannot be made is reported by the session, which cannot create "dat" in it.
    if (!PrepareBaseFolder(base, &why)) std::fprintf(stderr, "zarnik: %s\n", why.c_str());
    options.BaseDir = base.Path;
    std::unique_ptr<TDemoStation> station;
    if (line->Demo) {
        station = std::make_unique<TDemoStation>();
        std::string error;
        if (!station->Start(line->Model, !line->Fast && line->Screenshots.isEmpty(), &error)) {
            std::fprintf(stderr, "zarnik: %s\n", error.c_str());
            return 1;
        }
        options.PortOverride = TDemoStation::kPortName;
    }

    TMainForm window(options);
    window.show();
    if (!line->Screenshots.isEmpty()) {
        const QString target = line->Screenshots;
        QObject::connect(&window, &TMainForm::startFinished, &window, [&window, target] {
            const bool ok = WriteScreenshots(window, target);
            QCoreApplication::exit(ok ? 0 : 1);
        }, Qt::QueuedConnection);
    }
    return QApplication::exec();
}
