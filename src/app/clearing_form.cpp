#include "app/clearing_form.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "editors/clearing_editor.h"

namespace zarnik::app {

namespace {

bool& TickOf(ETable t) {
    return ClearingWindowTicks()[static_cast<std::size_t>(SelectionIndex(t))];
}

}  // namespace

TClearingForm::TClearingForm(const TAppContext& ctx, QWidget* parent) : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Чистка всех установок"));

    // Enabled by what the station's working program has, recomputed at every opening.
    const TTableTicks enabled = ClearableTables(Ctx.S());
    auto* boxes = new QWidget;
    auto* boxLayout = new QVBoxLayout(boxes);
    for (std::size_t i = 0; i < Boxes.size(); ++i) {
        const TClearStep& step = ClearingOrder()[i];
        QCheckBox* box = CaptionedButton<QCheckBox>(Qs(step.Caption), boxes);
        box->setChecked(TickOf(step.Table));
        box->setEnabled(enabled[static_cast<std::size_t>(SelectionIndex(step.Table))]);
        connect(box, &QCheckBox::toggled, this, [t = step.Table](bool on) { TickOf(t) = on; });
        boxLayout->addWidget(box);
        Boxes[i] = box;
    }
    List = new QScrollArea(this);
    List->setWidget(boxes);
    List->setWidgetResizable(true);
    List->setAccessibleName(QStringLiteral("Таблицы"));
    List->setMinimumSize(boxes->sizeHint().width() + List->verticalScrollBar()->sizeHint().width(),
                         boxes->sizeHint().height() + 2 * List->frameWidth());

    TickAll = CaptionedButton<QPushButton>(QStringLiteral("*"), this);
    TickAll->setToolTip(QStringLiteral("Отметить все таблицы"));
    TickAll->setAccessibleDescription(TickAll->toolTip());
    UntickAll = CaptionedButton<QPushButton>(QStringLiteral("-"), this);
    UntickAll->setToolTip(QStringLiteral("Снять все отметки"));
    UntickAll->setAccessibleDescription(UntickAll->toolTip());
    Clear = CaptionedButton<QPushButton>(QStringLiteral("Обнулить таблицы"), this);
    for (QPushButton* b : {TickAll, UntickAll, Clear}) b->setAutoDefault(false);
    TickAll->setFixedWidth(TickAll->sizeHint().height() * 2);
    UntickAll->setFixedWidth(UntickAll->sizeHint().height() * 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(TickAll);
    buttons->addWidget(UntickAll);
    buttons->addStretch();
    buttons->addWidget(Clear);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* previous = Boxes[0];
    for (std::size_t i = 1; i < Boxes.size(); ++i) {
        setTabOrder(previous, Boxes[i]);
        previous = Boxes[i];
    }
    setTabOrder(previous, TickAll);
    setTabOrder(TickAll, UntickAll);
    setTabOrder(UntickAll, Clear);

    connect(TickAll, &QPushButton::clicked, this, [this] { TickEvery(true); });
    connect(UntickAll, &QPushButton::clicked, this, [this] { TickEvery(false); });
    connect(Clear, &QPushButton::clicked, this, &TClearingForm::ClearTables);
}

QCheckBox* TClearingForm::BoxOf(ETable t) const {
    for (std::size_t i = 0; i < Boxes.size(); ++i)
        if (ClearingOrder()[i].Table == t) return Boxes[i];
    return nullptr;
}

void TClearingForm::TickEvery(bool ticked) {
    // Disabled boxes too: they keep the tick for a station that has the table.
    for (QCheckBox* box : Boxes) box->setChecked(ticked);
}

void TClearingForm::ClearTables() {
    const EClearingOutcome outcome =
        ClearTickedTables(Ctx.S(), Ctx.D(), ClearingWindowTicks(), Ctx.Dlg());
    if (outcome != EClearingOutcome::Cancelled) accept();
}

}  // namespace zarnik::app
