#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "app/app_context.h"

namespace zarnik::app {

namespace {

QString Caption(const std::string& caption) {
    return caption.empty() ? QString::fromUtf8(kAppTitle) : QString::fromStdString(caption);
}

QMessageBox::Icon IconFor(const std::string& caption) {
    if (caption == "Ошибка") return QMessageBox::Critical;
    if (caption == "Предупреждение" || caption == "Внимание!") return QMessageBox::Warning;
    return QMessageBox::Information;
}

}  // namespace

TQtDialogs::TQtDialogs(QWidget* parentWindow) : ParentWindow(parentWindow) {
    moveToThread(QApplication::instance()->thread());
}

template <typename F>
auto TQtDialogs::OnWindowThread(F&& f) -> decltype(f()) {
    using R = decltype(f());
    if (QThread::currentThread() == thread()) return f();
    R result{};
    QMetaObject::invokeMethod(
        this, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

void TQtDialogs::Message(const std::string& text, const std::string& caption) {
    OnWindowThread([&] {
        QMessageBox box(IconFor(caption), Caption(caption), QString::fromStdString(text),
                        QMessageBox::Ok, ParentWindow);
        box.setAccessibleName(Caption(caption));
        box.exec();
        return 0;
    });
}

TAnswer TQtDialogs::Question(const std::string& text, const std::string& caption) {
    return OnWindowThread([&] {
        QMessageBox box(QMessageBox::Question, Caption(caption), QString::fromStdString(text),
                        QMessageBox::NoButton, ParentWindow);
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == ok ? TAnswer::Ok : TAnswer::Cancel;
    });
}

TSaveAnswer TQtDialogs::AskSave(const std::string& text, const std::string& caption) {
    return OnWindowThread([&] {
        QMessageBox box(QMessageBox::Question, Caption(caption), QString::fromStdString(text),
                        QMessageBox::NoButton, ParentWindow);
        QPushButton* save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("Не сохранять"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save) return TSaveAnswer::Save;
        if (box.clickedButton() == discard) return TSaveAnswer::Discard;
        return TSaveAnswer::Cancel;
    });
}

QString TQtDialogs::QtFilter(const std::string& filter) {
    const QString f = QString::fromStdString(filter);
    const int bar = f.indexOf(QLatin1Char('|'));
    if (bar < 0) return f;
    return f.left(bar) + QStringLiteral(" (") + f.mid(bar + 1) + QStringLiteral(")");
}

std::optional<std::string> TQtDialogs::OpenFile(const std::string& title,
                                                const std::string& filter,
                                                const std::string& initialDir) {
    return OnWindowThread([&]() -> std::optional<std::string> {
        const QString name =
            QFileDialog::getOpenFileName(ParentWindow, QString::fromStdString(title),
                                         QString::fromStdString(initialDir), QtFilter(filter));
        if (name.isEmpty()) return std::nullopt;
        return name.toStdString();
    });
}

std::optional<std::string> TQtDialogs::SaveFile(const std::string& title,
                                                const std::string& filter,
                                                const std::string& initialDir) {
    return OnWindowThread([&]() -> std::optional<std::string> {
        QFileDialog dialog(ParentWindow, QString::fromStdString(title),
                           QString::fromStdString(initialDir), QtFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("ats"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the save flow asks itself
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    });
}

}  // namespace zarnik::app
