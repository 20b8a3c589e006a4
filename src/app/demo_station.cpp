#include "app/demo_station.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace zarnik::app {

bool IsKnownModel(const std::string& model) {
    return model == "Alder" || model == "Birch" || model == "Cedar" || model == "Dogwood";
}

bool TDemoStation::Start(const std::string& model, bool wireRate, std::string* error) {
    QString sim = QCoreApplication::applicationDirPath() + QStringLiteral("/zarnik-sim");
    if (!QFileInfo(sim).isExecutable()) sim = QStandardPaths::findExecutable(QStringLiteral("zarnik-sim"));
    if (sim.isEmpty()) {
        *error = "Не найдена программа zarnik-sim (имитатор станции).";
        return false;
    }
    Dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zarnik-demo-XXXXXX"));
    if (!Dir->isValid()) {
        *error = "Не удалось создать временную папку для имитатора станции.";
        return false;
    }
    const QString link = Dir->filePath(QString::fromUtf8(kPortName));
    QStringList args{QStringLiteral("--link"), link, QStringLiteral("--model"),
                     QString::fromStdString(model)};
    if (wireRate) args << QStringLiteral("--wire-rate");
    Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Process.start(sim, args);
    if (!Process.waitForStarted(5000)) {
        *error = "Имитатор станции не запустился.";
        return false;
    }
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i) {
        if (Process.state() != QProcess::Running) break;
        QThread::msleep(50);
    }
    if (!QFileInfo::exists(link)) {
        *error = "Имитатор станции не открыл свой порт.";
        return false;
    }
    qputenv("ZARNIK_SERIAL_DIR", Dir->path().toLocal8Bit());
    return true;
}

TDemoStation::~TDemoStation() {
    if (Process.state() == QProcess::NotRunning) return;
    Process.terminate();
    if (!Process.waitForFinished(3000)) {
        Process.kill();
        Process.waitForFinished(3000);
    }
}

}  // namespace zarnik::app
