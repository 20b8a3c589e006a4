#include "app/table_panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "editors/main_window_rules.h"

namespace zarnik::app {

TTablePanel::TTablePanel(const TSetup& setup, QWidget* parent) : QWidget(parent) {
    setAccessibleName(setup.Title);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(setup.Title, this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    title->setFont(f);
    title->setAccessibleName(setup.Title);
    layout->addWidget(title);

    auto* group = new QGroupBox(QStringLiteral("Список таблиц"), this);
    group->setAccessibleName(group->title());
    auto* grid = new QGridLayout(group);
    // Two columns of eight, read down the first column, then the second.
    for (int i = 0; i < kTableCount; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(PanelBoxes()[static_cast<std::size_t>(i)].Caption), group);
        box->setAccessibleName(box->text());
        box->setChecked(true);
        Boxes[static_cast<std::size_t>(i)] = box;
        grid->addWidget(box, i % 8, i / 8);
    }
    layout->addWidget(group);

    if (setup.FileName) {
        FileLabel = new QLabel(this);
        FileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        FileLabel->setWordWrap(true);
        FileLabel->setObjectName(QStringLiteral("Файл"));  // heard by its text, the file name
        layout->addWidget(FileLabel);
    }

    auto* buttons = new QHBoxLayout;
    ToggleBtn = new QPushButton(QStringLiteral("Отметить все"), this);
    ActionBtn = new QPushButton(setup.Action, this);
    LeaveBtn = new QPushButton(QStringLiteral("Уйти"), this);
    ActionBtn->setDefault(true);
    for (QPushButton* b : {ToggleBtn, ActionBtn, LeaveBtn}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(true);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    if (setup.Progress) {
        auto* row = new QHBoxLayout;
        ProgressBar = new QProgressBar(this);
        ProgressBar->setRange(0, kTableCount);
        ProgressBar->setValue(0);
        ProgressBar->setAccessibleName(QStringLiteral("Ход обмена"));
        CancelBtn = new QPushButton(QStringLiteral("Прервать"), this);
        CancelBtn->setAccessibleName(CancelBtn->text());
        CancelBtn->setEnabled(false);
        row->addWidget(ProgressBar, 1);
        row->addWidget(CancelBtn);
        layout->addLayout(row);
        connect(CancelBtn, &QPushButton::clicked, this, &TTablePanel::cancelRequested);
    }
    StatusLabel = new QLabel(this);
    StatusLabel->setWordWrap(true);
    StatusLabel->setFrameShape(QFrame::StyledPanel);
    StatusLabel->setObjectName(QStringLiteral("Состояние"));  // heard by its text
    layout->addWidget(StatusLabel);
    layout->addStretch();

    connect(ToggleBtn, &QPushButton::clicked, this, &TTablePanel::ToggleAll);
    connect(ActionBtn, &QPushButton::clicked, this, &TTablePanel::actionRequested);
    connect(LeaveBtn, &QPushButton::clicked, this, &TTablePanel::leaveRequested);
}

void TTablePanel::keyPressEvent(QKeyEvent* event) {
    QPushButton* target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        target = ActionBtn;
    else if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        target = LeaveBtn;
    if (target == nullptr || !target->isEnabled()) {
        QWidget::keyPressEvent(event);
        return;
    }
    target->click();
}

TTableTicks TTablePanel::Ticks() const {
    std::array<bool, kTableCount> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i] = Boxes[i]->isChecked();
    return TicksFromPanel(boxes);
}

void TTablePanel::SetTicks(const TTableTicks& ticks) {
    const auto boxes = PanelFromTicks(ticks);
    for (std::size_t i = 0; i < boxes.size(); ++i) Boxes[i]->setChecked(boxes[i]);
}

void TTablePanel::SetAll(bool on) {
    for (QCheckBox* b : Boxes) b->setChecked(on);
}

void TTablePanel::ToggleAll() {
    TTableTicks ticks = Ticks();
    ToggleAllTicks(ticks);
    SetTicks(ticks);
}

void TTablePanel::SetFileName(const QString& name) {
    File = name;
    if (FileLabel != nullptr) FileLabel->setText(name);
}

void TTablePanel::SetStatus(const QString& text) { StatusLabel->setText(text); }

void TTablePanel::SetBusy(bool busy) {
    for (QCheckBox* b : Boxes) b->setEnabled(!busy);
    for (QPushButton* b : {ActionBtn, ToggleBtn, LeaveBtn}) b->setEnabled(!busy);
    if (CancelBtn != nullptr) CancelBtn->setEnabled(busy);
}

}  // namespace zarnik::app
