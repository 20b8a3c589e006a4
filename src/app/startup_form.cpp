#include "app/startup_form.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "app/app_context.h"

namespace zarnik::app {

void PlaceAtScreenCentre(QWidget& w) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    w.move(area.x() + area.width() / 2 - w.width(), area.y() + area.height() / 2 - w.height());
}

TStartupChoiceForm::TStartupChoiceForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QString::fromUtf8(kAppTitle) + QStringLiteral("  Варианты загрузки."));
    setAccessibleName(windowTitle());
    Station = new QPushButton(QStringLiteral("Читаем данные из АТС"), this);
    Files = new QPushButton(QStringLiteral("Работаем с файлом"), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(11);
    for (QPushButton* b : {Station, Files}) {
        b->setAccessibleName(b->text());
        b->setMinimumSize(273, 25);
        layout->addWidget(b);
    }
    Station->setDefault(true);
    Station->setFocus();
    connect(Station, &QPushButton::clicked, this, [this] {
        Chosen = EStartChoice::Station;
        accept();
    });
    connect(Files, &QPushButton::clicked, this, [this] {
        Chosen = EStartChoice::Files;
        accept();
    });
    setFixedSize(297, 108);
    PlaceAtScreenCentre(*this);
}

TReadingProgressForm::TReadingProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Чтение АТС..."));
    setAccessibleName(windowTitle());
    ProgressBar = new QProgressBar(this);
    ProgressBar->setFixedWidth(200);
    ProgressBar->setAccessibleName(QStringLiteral("Ход чтения"));
    Cancel = new QPushButton(QStringLiteral("Прервать"), this);
    Cancel->setAccessibleName(Cancel->text());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Cancel);
    layout->addLayout(row);
    connect(Cancel, &QPushButton::clicked, this, &TReadingProgressForm::cancelRequested);
    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(ProgressBar->width() + 20, 0)));
    PlaceAtScreenCentre(*this);
}

}  // namespace zarnik::app
