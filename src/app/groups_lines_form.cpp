#include "app/groups_lines_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/group_panel.h"
#include "app/line_panel.h"
#include "app/trunk_line_panel.h"

namespace zarnik::app {

TGroupsLinesForm::TGroupsLinesForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Программирование групп и АЛ"));
    Kinds = {EGroupsLinesKind::Line, EGroupsLinesKind::Trunk, EGroupsLinesKind::Group};

    List = new QListWidget(this);
    List->setMinimumWidth(220);
    Previous = CaptionedButton<QPushButton>(QStringLiteral("Предыдущий"), this);
    Next = CaptionedButton<QPushButton>(QStringLiteral("Следующий"), this);
    for (QPushButton* b : {Previous, Next}) b->setAutoDefault(false);
    auto* steps = new QHBoxLayout;
    steps->addWidget(Previous);
    steps->addWidget(Next);
    auto* left = new QVBoxLayout;
    left->addWidget(BuddyLabel(QStringLiteral("АЛ, СЛ и группы:"), List, this));
    left->addWidget(List, 1);
    left->addLayout(steps);

    Stack = new QStackedWidget(this);
    Lines = new TLinePanel(Ctx, Stack);
    Groups = new TGroupPanel(Ctx, Stack);
    Trunks = new TTrunkLinePanel(Ctx, Stack);
    for (TItemPanel* panel : std::initializer_list<TItemPanel*>{Lines, Trunks, Groups})
        Stack->addWidget(panel);
    for (TItemPanel* panel : std::initializer_list<TItemPanel*>{Lines, Trunks, Groups})
        connect(panel, &TItemPanel::Committed, this, &TGroupsLinesForm::RefreshList);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(Stack, 1);

    Entries = GroupsLinesItems(Ctx.D(), Kinds);
    for (const TGroupsLinesItem& item : Entries) List->addItem(Qs(item.Text));
    connect(List, &QListWidget::currentRowChanged, this, &TGroupsLinesForm::ChooseRow);
    connect(Previous, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(Next, &QPushButton::clicked, this, [this] { Step(+1); });
    const bool any = !Entries.empty();
    for (QWidget* w : std::initializer_list<QWidget*>{Previous, Next, Stack}) w->setEnabled(any);
    if (any) List->setCurrentRow(0);
}

TItemPanel* TGroupsLinesForm::PanelFor(EGroupsLinesKind kind) const {
    switch (kind) {
        case EGroupsLinesKind::Line:
            return Lines;
        case EGroupsLinesKind::Trunk:
            return Trunks;
        case EGroupsLinesKind::Group:
            return Groups;
    }
    return nullptr;
}

TItemPanel* TGroupsLinesForm::CurrentPanel() const {
    if (Row < 0 || Row >= static_cast<int>(Entries.size())) return nullptr;
    return PanelFor(Entries[static_cast<std::size_t>(Row)].Kind);
}

bool TGroupsLinesForm::LeaveCurrent() {
    TItemPanel* panel = CurrentPanel();
    if (panel == nullptr || !panel->Dirty()) return true;
    const TGroupsLinesItem& item = Entries[static_cast<std::size_t>(Row)];
    switch (Ctx.Dlg().AskSave(UncommittedQuestion(item), kUncommittedCaption)) {
        case TSaveAnswer::Save:
            if (!panel->Commit()) return false;  // its message has been shown
            RefreshList();
            return true;
        case TSaveAnswer::Discard:
            return true;
        case TSaveAnswer::Cancel:
            return false;
    }
    return false;
}

void TGroupsLinesForm::ChooseRow(int row) {
    if (row == Row) return;
    if (!LeaveCurrent()) {
        const QSignalBlocker block(List);
        List->setCurrentRow(Row);
        return;
    }
    ShowRow(row);
}

void TGroupsLinesForm::ShowRow(int row) {
    Row = row;
    if (row < 0 || row >= static_cast<int>(Entries.size())) return;
    const TGroupsLinesItem& item = Entries[static_cast<std::size_t>(row)];
    TItemPanel* panel = PanelFor(item.Kind);
    if (panel == nullptr) return;
    panel->ShowItem(item.Item);
    Stack->setCurrentWidget(panel);
}

void TGroupsLinesForm::RefreshList() {
    const std::vector<TGroupsLinesItem> fresh = GroupsLinesItems(Ctx.D(), Kinds);
    // The ports do not change while the window is open: only texts (names, numbers) do.
    for (std::size_t k = 0; k < fresh.size() && k < Entries.size(); ++k)
        if (fresh[k].Text != Entries[k].Text)
            List->item(static_cast<int>(k))->setText(Qs(fresh[k].Text));
    Entries = fresh;
}

void TGroupsLinesForm::Step(int direction) {
    if (Entries.empty()) return;
    const int last = static_cast<int>(Entries.size()) - 1;
    List->setCurrentRow(std::clamp(Row + direction, 0, last));
}

void TGroupsLinesForm::done(int result) {
    if (!LeaveCurrent()) return;  // the window stays open with the edits on show
    QDialog::done(result);
}

}  // namespace zarnik::app
