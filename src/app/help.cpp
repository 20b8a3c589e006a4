#include "app/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "editors/help_location.h"

#ifndef ZARNIK_HELP_INSTALLED
#define ZARNIK_HELP_INSTALLED ""
#endif
#ifndef ZARNIK_HELP_SOURCE
#define ZARNIK_HELP_SOURCE ""
#endif

namespace zarnik::app {

namespace {

std::vector<std::string> Candidates(const std::string& startDir) {
    return HelpFileCandidates(ZARNIK_HELP_INSTALLED, ZARNIK_HELP_SOURCE,
                              QCoreApplication::applicationDirPath().toStdString(), startDir);
}

}  // namespace

std::string HelpFilePath() {
    return FindHelpFile(Candidates("")).value_or("");
}

void OpenHelp(const std::string& startDir, TUserDialogs& dialogs) {
    const auto path = FindHelpFile(Candidates(startDir));
    if (!path) {
        dialogs.Message("Файл справки не найден. Переустановите программу.", "Ошибка");
        return;
    }
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(*path));
    if (!QDesktopServices::openUrl(url))
        dialogs.Message("Не удалось открыть справку: " + *path, "Ошибка");
}

}  // namespace zarnik::app
