#include "app/about_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form_helpers.h"

namespace zarnik::app {

TAboutForm::TAboutForm(const std::string& baseFolder, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("О программе"));

    auto* title = Named(new QLabel(Qs(kAppTitle), this), Qs(kAppTitle));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    const QString version = QStringLiteral("Версия 1.38");
    auto* versionLabel = Named(new QLabel(version, this), version);
    versionLabel->setAlignment(Qt::AlignCenter);

    const QString purpose = QStringLiteral(
        "Программа настройки мини-АТС Alder, Birch, Cedar и Dogwood: чтение и запись "
        "установок станции через последовательный порт, работа с файлами конфигурации, "
        "установка станционного времени и отчет о конфигурации.");
    auto* purposeLabel = Named(new QLabel(purpose, this), purpose);
    purposeLabel->setWordWrap(true);
    purposeLabel->setAlignment(Qt::AlignCenter);
    purposeLabel->setMinimumWidth(380);

    if (!baseFolder.empty()) {
        // A value, not a caption: no accessible name of its own, so a reader hears the path.
        Folder = new QLabel(QStringLiteral("Папка файлов программы (dat, Zarnik_M.cfg):\n") +
                                QString::fromStdString(baseFolder),
                            this);
        Folder->setObjectName(QStringLiteral("Папка файлов программы"));
        Folder->setAlignment(Qt::AlignCenter);
        Folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
        Folder->setWordWrap(true);
    }

    Ok = CaptionedButton<QPushButton>(QStringLiteral("OK"), this);
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(versionLabel);
    layout->addSpacing(8);
    layout->addWidget(purposeLabel);
    if (Folder != nullptr) {
        layout->addSpacing(8);
        layout->addWidget(Folder);
    }
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Ok->setFocus();
}

}  // namespace zarnik::app
