#include "app/report_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/station_worker.h"

namespace zarnik::app {

namespace {

// The workbook is a file now: no spreadsheet program has to be installed to make it.
const QString kNote = QStringLiteral(
    "Примечания:\n"
    "\n"
    "1. Отчет записывается в файл книги Excel (.xlsx) в папке dat.\n"
    "2. Для ускорения формирования отчета, лучше отметить только те таблицы, которые "
    "необходимы.");

}  // namespace

TReportForm::TReportForm(const TAppContext& ctx, QWidget* parent) : QDialog(parent), Ctx(ctx) {
    setWindowTitle(Qs(kReportWindowTitle));

    auto* tables = NamedGroup(QStringLiteral("Список таблиц"), this);
    auto* tickLayout = new QVBoxLayout(tables);
    tickLayout->setSpacing(2);
    for (std::size_t i = 0; i < Ticks.size(); ++i) {
        Ticks[i] = CaptionedButton<QCheckBox>(Qs(ReportTickCaptions()[i]), tables);
        Ticks[i]->setChecked(true);
        tickLayout->addWidget(Ticks[i]);
    }

    Name = new QLineEdit(Qs(kReportDefaultName), this);
    auto* nameLabel = BuddyLabel(QStringLiteral("Имя отчета:"), Name, this);
    MakeReport = CaptionedButton<QPushButton>(QStringLiteral("Отчет"), this);
    TickAll = CaptionedButton<QPushButton>(QStringLiteral("*"), this);
    TickNone = CaptionedButton<QPushButton>(QStringLiteral("-"), this);
    TickAll->setAccessibleDescription(QStringLiteral("Отметить все таблицы"));
    TickNone->setAccessibleDescription(QStringLiteral("Снять отметки со всех таблиц"));
    TickAll->setToolTip(TickAll->accessibleDescription());
    TickNone->setToolTip(TickNone->accessibleDescription());
    for (QPushButton* b : {TickAll, TickNone}) b->setAutoDefault(false);
    MakeReport->setDefault(true);

    NoteText = Named(new QPlainTextEdit(kNote, this), QStringLiteral("Примечания:"));
    NoteText->setReadOnly(true);
    NoteText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    NoteText->setTabChangesFocus(true);

    Bar = Named(new QProgressBar(this), QStringLiteral("Ход формирования отчета"));
    Bar->setRange(0, 100);
    Bar->setValue(0);
    StatusText = Named(new QLabel(this), QStringLiteral("Результат"));
    StatusText->setWordWrap(true);
    StatusText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* right = new QGridLayout;
    right->addWidget(nameLabel, 0, 0, 1, 3);
    right->addWidget(Name, 1, 0, 1, 3);
    right->addWidget(MakeReport, 2, 0);
    right->addWidget(TickAll, 2, 1);
    right->addWidget(TickNone, 2, 2);
    right->addWidget(NoteText, 3, 0, 1, 3);
    right->setRowStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(tables);
    top->addLayout(right, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(StatusText);
    layout->addWidget(Bar);

    QWidget* previous = Ticks.back();
    for (QWidget* next : {static_cast<QWidget*>(Name), static_cast<QWidget*>(MakeReport),
                          static_cast<QWidget*>(TickAll), static_cast<QWidget*>(TickNone),
                          static_cast<QWidget*>(NoteText)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(TickAll, &QPushButton::clicked, this, [this] { SetAllTicks(true); });
    connect(TickNone, &QPushButton::clicked, this, [this] { SetAllTicks(false); });
    connect(MakeReport, &QPushButton::clicked, this, &TReportForm::Make);

    resize(std::max(600, sizeHint().width()), std::max(390, sizeHint().height()));
    move(20, 30);
}

TReportTicks TReportForm::Chosen() const {
    TReportTicks ticks{};
    for (std::size_t i = 0; i < Ticks.size(); ++i) ticks[i] = Ticks[i]->isChecked();
    return ticks;
}

void TReportForm::SetAllTicks(bool on) {
    for (QCheckBox* box : Ticks) box->setChecked(on);
}

void TReportForm::Make() {
    StatusText->clear();
    TReportRequest request;
    request.Name = Std(Name->text());
    request.OpenInViewer = OpenInViewer;
    const TReportTicks ticks = Chosen();
    TBarProgress progress(Bar);
    std::string path;
    EReportResult result = EReportResult::Failed;
    // The workbook is built on the worker so the bar moves and the window keeps painting.
    const auto job = [&] {
        result =
            MakeConfigurationReport(Ctx.S(), Ctx.D(), ticks, request, progress, Ctx.Dlg(), &path);
    };
    if (Ctx.Worker != nullptr)
        Ctx.Worker->Run(job);
    else
        job();
    if (result != EReportResult::Written) return;
    Written = path;
    StatusText->setText(QStringLiteral("Отчет записан в файл: ") + Qs(path));
}

}  // namespace zarnik::app
