#include "app/group_phone_book_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include "app/form_helpers.h"
#include "app/phone_book_grid.h"
#include "editors/phone_book_editor.h"

namespace zarnik::app {

TGroupPhoneBookForm::TGroupPhoneBookForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    const QString title = QStringLiteral("Программирование групповых записных книжек");
    setWindowTitle(title);

    Groups = new QListWidget(this);
    auto* groupsLabel = BuddyLabel(QStringLiteral("Список групп"), Groups, this);
    Table = new TPhoneBookGrid(true, title, this);
    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    Cancel = CaptionedButton<QPushButton>(QStringLiteral("Отменить"), this);
    // Enter belongs to the grid's editor: no button is pressed by it.
    Commit->setAutoDefault(false);
    Cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Commit);
    buttons->addWidget(Cancel);
    auto* layout = new QGridLayout(this);
    layout->addWidget(groupsLabel, 0, 0);
    layout->addWidget(Groups, 1, 0);
    layout->addWidget(Table, 0, 1, 2, 1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    setTabOrder(Groups, Table);
    setTabOrder(Table, Commit);
    setTabOrder(Commit, Cancel);

    RefreshGroupList();
    Groups->setMinimumWidth(Groups->sizeHintForColumn(0) + 2 * Groups->frameWidth() +
                            Groups->verticalScrollBar()->sizeHint().width() + 8);
    Groups->setCurrentRow(0);
    ShowGroup(0);
    int width = Table->frameWidth() * 2 + Table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < Table->columnCount(); ++c) width += Table->columnWidth(c);
    const int height = Table->frameWidth() * 2 + Table->horizontalHeader()->sizeHint().height() +
                       Table->verticalHeader()->defaultSectionSize() * Table->rowCount();
    Table->setMinimumSize(width, height);
    Table->setCurrentCell(0, TPhoneBookGrid::ColNumber);

    connect(Groups, &QListWidget::currentRowChanged, this, &TGroupPhoneBookForm::GroupChosen);
    connect(Commit, &QPushButton::clicked, this, &TGroupPhoneBookForm::CommitData);
    connect(Cancel, &QPushButton::clicked, this, [this] { QDialog::reject(); });
}

void TGroupPhoneBookForm::RefreshGroupList() {
    const QSignalBlocker quiet(Groups);
    const int current = Groups->currentRow();
    Groups->clear();
    for (const std::string& line : GroupBookListLines(Ctx.D())) Groups->addItem(Qs(line));
    if (current >= 0) Groups->setCurrentRow(current);
}

void TGroupPhoneBookForm::ShowGroup(int group) {
    Shown = group;
    const std::size_t g = static_cast<std::size_t>(group);
    Table->ShowRows(GroupBookRows(Ctx.S(), Ctx.D(), g), BookWay(Ctx.S().Identity.Version),
                    CommonNumbersBeside(Ctx.S(), Ctx.D(), kGroupBookEntries));
}

bool TGroupPhoneBookForm::CommitEdits() {
    if (!Table->Edited()) return true;
    if (!CommitGroupBook(Ctx.S(), Ctx.D(), static_cast<std::size_t>(Shown), Table->Rows(),
                         Ctx.Dlg()))
        return false;
    ShowGroup(Shown);
    return true;
}

void TGroupPhoneBookForm::GroupChosen(int row) {
    if (row < 0 || row == Shown) return;
    // Moving to another group takes along what was typed into this one.
    if (!CommitEdits()) {
        const QSignalBlocker quiet(Groups);
        Groups->setCurrentRow(Shown);
        return;
    }
    ShowGroup(row);
}

void TGroupPhoneBookForm::CommitData() {
    if (CommitGroupBook(Ctx.S(), Ctx.D(), static_cast<std::size_t>(Shown), Table->Rows(),
                        Ctx.Dlg()))
        ShowGroup(Shown);
}

void TGroupPhoneBookForm::reject() {
    if (CommitEdits()) QDialog::reject();
}

}  // namespace zarnik::app
