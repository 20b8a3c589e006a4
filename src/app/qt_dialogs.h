#pragma once
// TUserDialogs shown as Qt message boxes and file dialogs. A flow running on the station
// worker asks through the same object: the dialog is then shown on the window thread and the
// worker waits for the answer.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/user_dialogs.h"

namespace zarnik::app {

class TQtDialogs : public QObject, public TUserDialogs {
    Q_OBJECT
public:
    explicit TQtDialogs(QWidget* parentWindow = nullptr);
    void SetParentWindow(QWidget* w) { ParentWindow = w; }

    void Message(const std::string& text, const std::string& caption) override;
    TAnswer Question(const std::string& text, const std::string& caption) override;
    TSaveAnswer AskSave(const std::string& text, const std::string& caption) override;
    std::optional<std::string> OpenFile(const std::string& title, const std::string& filter,
                                        const std::string& initialDir) override;
    std::optional<std::string> SaveFile(const std::string& title, const std::string& filter,
                                        const std::string& initialDir) override;

    // "Файлы конфигурации мини-АТС|*.ats" as a Qt filter: "Файлы конфигурации мини-АТС (*.ats)".
    static QString QtFilter(const std::string& filter);

private:
    // Runs f on the window thread; blocks the calling thread until it has run.
    template <typename F>
    auto OnWindowThread(F&& f) -> decltype(f());
    QPointer<QWidget> ParentWindow;
};

}  // namespace zarnik::app
