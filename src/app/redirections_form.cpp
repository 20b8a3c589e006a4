#include "app/redirections_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/grid_cells.h"

namespace zarnik::app {

namespace {

constexpr int kHeaderColumnWidth = 35;

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

TRedirectForm::TRedirectForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Editor(ctx.S(), ctx.D()) {
    const QString title = QStringLiteral("Таблица переадресаций");
    setWindowTitle(title);
    const TRedirectionLayout& layout = Editor.Layout();

    Cells = Named(new QTableWidget(layout.Rows, layout.Columns, this), title);
    QStringList rows;
    for (int r = 0; r < layout.Rows; ++r) rows << QString::number(RedirectionRowHeader(r));
    QStringList columns;
    for (int c = 0; c < layout.Columns; ++c) columns << QString::number(c);
    Cells->setVerticalHeaderLabels(rows);
    Cells->setHorizontalHeaderLabels(columns);
    Cells->setSelectionMode(QAbstractItemView::SingleSelection);
    Cells->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Cells->setTabKeyNavigation(false);
    Cells->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Cells->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    Cells->verticalHeader()->setFixedWidth(
        std::max(kHeaderColumnWidth, fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12));
    Cells->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int cellWidth = fontMetrics().horizontalAdvance(QStringLiteral("000(0000)")) + 14;
    for (int c = 0; c < layout.Columns; ++c) Cells->setColumnWidth(c, cellWidth);
    Cells->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Cells->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Cells->setFixedSize(
        Cells->frameWidth() * 2 + Cells->verticalHeader()->width() + cellWidth * layout.Columns,
        Cells->frameWidth() * 2 + Cells->horizontalHeader()->sizeHint().height() +
            Cells->verticalHeader()->defaultSectionSize() * layout.Rows);
    Cells->installEventFilter(this);
    for (int k = 0; k < layout.Cells(); ++k) ShowCell(k);

    Typed = Named(new QLineEdit(Cells->viewport()), QStringLiteral("Порт переадресации"));
    Typed->hide();
    Typed->installEventFilter(this);

    Ok = CaptionedButton<QPushButton>(QStringLiteral("OK"), this);
    Cancel = CaptionedButton<QPushButton>(QStringLiteral("Cancel"), this);
    for (QPushButton* b : {Ok, Cancel}) b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);

    auto* box = new QVBoxLayout(this);
    box->addWidget(Cells);
    box->addLayout(buttons);
    box->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(Cells, Ok);
    setTabOrder(Ok, Cancel);
    if (layout.Cells() > 0) Cells->setCurrentCell(0, 0);

    connect(Cells, &QTableWidget::cellDoubleClicked, this, &TRedirectForm::EditCell);
    // Clicking another cell while a target is typed leaves the editor.
    connect(Cells, &QTableWidget::cellPressed, this, [this](int, int) {
        if (EditorOpen()) LeaveEditor();
    });
    connect(Ok, &QPushButton::clicked, this, &TRedirectForm::accept);
    connect(Cancel, &QPushButton::clicked, this, &TRedirectForm::reject);
}

int TRedirectForm::CellAt(int row, int column) const {
    return row * Editor.Layout().Columns + column;
}

void TRedirectForm::ShowCell(int cell) {
    const int columns = Editor.Layout().Columns;
    Cells->setItem(cell / columns, cell % columns,
                   DescribedCell(Qs(Editor.Cell(cell)), Qt::ItemIsEnabled | Qt::ItemIsSelectable,
                                 QStringLiteral("Порт %1").arg(Editor.PortOf(cell))));
}

void TRedirectForm::EditCell(int row, int column) {
    if (row < 0 || column < 0 || row >= Cells->rowCount() || column >= Cells->columnCount()) return;
    if (EditorOpen()) LeaveEditor();
    const int cell = CellAt(row, column);
    if (!Editor.BeginEdit(cell, Ctx.Dlg())) return;
    EditedCell = cell;
    Cells->setCurrentCell(row, column);
    Typed->setGeometry(Cells->visualRect(Cells->model()->index(row, column)));
    Typed->setAccessibleDescription(QStringLiteral("Порт %1").arg(Editor.PortOf(cell)));
    Typed->clear();
    Typed->show();
    Typed->setFocus();
}

void TRedirectForm::HideEditor() {
    EditedCell = -1;
    Busy = true;
    Typed->hide();
    Cells->setFocus();
    Busy = false;
}

void TRedirectForm::EnterEditor() {
    const int cell = EditedCell;
    const std::string typed = Std(Typed->text());
    HideEditor();
    Editor.EnterTyped(cell, typed, Ctx.Dlg());
    ShowCell(cell);
}

void TRedirectForm::LeaveEditor() {
    const int cell = EditedCell;
    const std::string typed = Std(Typed->text());
    HideEditor();
    if (Editor.LeaveTyped(cell, typed, Ctx.Dlg())) ShowCell(cell);
}

bool TRedirectForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Cells && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key)) {
            EditCell(Cells->currentRow(), Cells->currentColumn());
            return true;
        }
    }
    if (watched == Typed && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key)) {
            EnterEditor();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            HideEditor();
            return true;
        }
    }
    if (watched == Typed && event->type() == QEvent::FocusOut && EditorOpen() && !Busy) {
        // The focus went elsewhere in the window (another cell, a button): as when another
        // cell is clicked. Another window taking the focus leaves the editor open.
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) LeaveEditor();
    }
    return QDialog::eventFilter(watched, event);
}

void TRedirectForm::accept() {
    if (EditorOpen()) LeaveEditor();
    Editor.Commit(Ctx.S(), Ctx.D());
    QDialog::accept();
}

void TRedirectForm::reject() {
    if (EditorOpen()) HideEditor();
    QDialog::reject();
}

}  // namespace zarnik::app
