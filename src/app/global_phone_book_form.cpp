#include "app/global_phone_book_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/phone_book_grid.h"
#include "editors/phone_book_editor.h"

namespace zarnik::app {

namespace {

constexpr int kVisibleRows = 20;

}  // namespace

TGlobalPhoneBookForm::TGlobalPhoneBookForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    const QString title = QStringLiteral("Программирование общей записной книжки");
    setWindowTitle(title);

    Table = new TPhoneBookGrid(false, title, this);
    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    Cancel = CaptionedButton<QPushButton>(QStringLiteral("Отменить"), this);
    // Enter belongs to the grid's editor: no button is pressed by it.
    Commit->setAutoDefault(false);
    Cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Commit);
    buttons->addWidget(Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table);
    layout->addLayout(buttons);
    setTabOrder(Table, Commit);
    setTabOrder(Commit, Cancel);

    connect(Commit, &QPushButton::clicked, this, &TGlobalPhoneBookForm::CommitData);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    Table->ShowRows(GlobalBookRows(Ctx.S(), Ctx.D()), BookWay(Ctx.S().Identity.Version));
    int width = Table->frameWidth() * 2 + Table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < Table->columnCount(); ++c) width += Table->columnWidth(c);
    const int height = Table->frameWidth() * 2 + Table->horizontalHeader()->sizeHint().height() +
                       Table->verticalHeader()->defaultSectionSize() * kVisibleRows;
    Table->setMinimumSize(width, height);
    Table->setCurrentCell(0, TPhoneBookGrid::ColNumber);
}

void TGlobalPhoneBookForm::CommitData() {
    if (CommitGlobalBook(Ctx.S(), Ctx.D(), Table->Rows(), Ctx.Dlg())) accept();
}

}  // namespace zarnik::app
