#include "app/routing_table_form.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/grid_cells.h"

namespace zarnik::app {

namespace {

constexpr int kRows = static_cast<int>(kRoutingRows);
constexpr int kColumns = static_cast<int>(kRoutingRowEntries);
constexpr int kChoiceRowsShown = 12;

bool OpensChoice(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
           key->key() == Qt::Key_F2 || key->key() == Qt::Key_Space;
}

}  // namespace

TRoutingTableForm::TRoutingTableForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    const QString title = QStringLiteral("Программирование таблиц наведения");
    setWindowTitle(title);

    Tables = new QListWidget(this);
    auto* tablesLabel = BuddyLabel(QStringLiteral("Список таблиц"), Tables, this);

    Cells = Named(new QTableWidget(kRows, kColumns, this), title);
    Cells->setSelectionMode(QAbstractItemView::SingleSelection);
    Cells->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Cells->setTabKeyNavigation(false);
    Cells->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 12);
    Cells->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Cells->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int cellWidth = fontMetrics().horizontalAdvance(QStringLiteral("000 (Xxxxxxxxxxxxxxx)"));
    for (int c = 0; c < kColumns; ++c) Cells->setColumnWidth(c, cellWidth);
    Cells->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Cells->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Cells->setFixedSize(Cells->frameWidth() * 2 + Cells->verticalHeader()->sizeHint().width() +
                            cellWidth * kColumns,
                        Cells->frameWidth() * 2 + Cells->horizontalHeader()->sizeHint().height() +
                            Cells->verticalHeader()->defaultSectionSize() * kRows);
    Cells->installEventFilter(this);

    Name = new QLineEdit(this);
    auto* nameLabel = BuddyLabel(QStringLiteral("Имя таблицы наведения:"), Name, this);

    Ports = Named(new QListWidget(this), QStringLiteral("Выбор порта"));
    Ports->hide();
    Ports->installEventFilter(this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(tablesLabel, 0, 0);
    layout->addWidget(Tables, 1, 0, 3, 1);
    layout->addWidget(Cells, 1, 1, 1, 2);
    layout->addWidget(nameLabel, 2, 1);
    layout->addWidget(Name, 2, 2);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(2, 1);
    setTabOrder(Tables, Cells);
    setTabOrder(Cells, Name);

    Choices = RoutingPortChoices(Ctx.S(), Ctx.D());
    for (const TPortChoice& choice : Choices) Ports->addItem(Qs(choice.Text));

    RefreshList();
    Tables->setMinimumWidth(
        std::max(Tables->sizeHintForColumn(0),
                 fontMetrics().horizontalAdvance(QStringLiteral("00  Xxxxxxxxxxxxxxxxxxxx"))) +
        2 * Tables->frameWidth() + Tables->verticalScrollBar()->sizeHint().width());
    // Tall enough for the port choice list to open over any cell without being cut.
    Tables->setMinimumHeight(
        std::max(Cells->height() + Name->sizeHint().height() * 3,
                 Cells->verticalHeader()->defaultSectionSize() + Ports->sizeHintForRow(0) * 14));
    if (Tables->count() > 0) {
        Tables->setCurrentRow(0);
        ShowTable(0);
    }
    Name->setEnabled(Tables->count() > 0);
    Cells->setCurrentCell(0, 0);

    connect(Tables, &QListWidget::currentRowChanged, this, &TRoutingTableForm::TableChosen);
    connect(Cells, &QTableWidget::cellDoubleClicked, this, &TRoutingTableForm::ChoosePortFor);
    connect(Ports, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { PortChosen(Ports->row(item)); });
    connect(Ports, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { PortChosen(Ports->row(item)); });
    connect(Name, &QLineEdit::returnPressed, this, [this] {
        if (StoreName()) RefreshList();
    });
}

void TRoutingTableForm::RefreshList() {
    const QSignalBlocker quiet(Tables);
    const int current = Tables->currentRow();
    Tables->clear();
    for (const std::string& line : RoutingListLines(Ctx.S(), Ctx.D())) Tables->addItem(Qs(line));
    if (current >= 0) Tables->setCurrentRow(current);
}

void TRoutingTableForm::ShowTable(int table) {
    Shown = table;
    const TRoutingCells cells = RoutingCells(Ctx.S(), Ctx.D(), table);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            Cells->setItem(
                r, c,
                DescribedCell(Qs(cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]),
                              Qt::ItemIsEnabled | Qt::ItemIsSelectable,
                              QStringLiteral("Строка %1, место %2").arg(r + 1).arg(c + 1)));
    Name->setText(Qs(RoutingTableName(Ctx.D(), table)));
}

bool TRoutingTableForm::StoreName() {
    // A station without routing tables shows none, so there is no name to store.
    if (Tables->count() == 0) return true;
    return StoreRoutingName(Ctx.D(), Shown, Std(Name->text()), Ctx.Dlg());
}

void TRoutingTableForm::TableChosen(int row) {
    if (row < 0 || row == Shown) return;
    HidePorts();
    // Moving to another table takes along the name typed for this one.
    if (!StoreName()) {
        const QSignalBlocker quiet(Tables);
        Tables->setCurrentRow(Shown);
        return;
    }
    RefreshList();
    ShowTable(row);
}

void TRoutingTableForm::ChoosePortFor(int row, int column) {
    if (Tables->count() == 0 || row < 0 || column < 0) return;
    ChoiceRow = row;
    ChoiceColumn = column;
    // Over the cell, as wide as the cell and tall enough for a dozen entries, inside the window.
    const QRect cell = Cells->visualRect(Cells->model()->index(row, column));
    QPoint at = Cells->viewport()->mapTo(this, cell.topLeft());
    const int height = Ports->sizeHintForRow(0) * kChoiceRowsShown + 2 * Ports->frameWidth();
    const int width = std::max(cell.width(), Ports->sizeHintForColumn(0) + 2 * Ports->frameWidth() +
                                                 Ports->verticalScrollBar()->sizeHint().width());
    at.setX(std::clamp(at.x(), 0, std::max(0, this->width() - width)));
    at.setY(std::clamp(at.y(), 0, std::max(0, this->height() - height)));
    Ports->setGeometry(QRect(at, QSize(width, std::min(height, this->height()))));
    const int port = Ctx.D()
                         .RoutingTables[static_cast<std::size_t>(Shown)]
                         .Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    const auto it = std::find_if(Choices.begin(), Choices.end(),
                                 [port](const TPortChoice& c) { return c.Port == port; });
    Ports->setCurrentRow(it == Choices.end() ? 0 : static_cast<int>(it - Choices.begin()));
    Ports->show();
    Ports->raise();
    Ports->setFocus();
}

void TRoutingTableForm::PortChosen(int index) {
    if (!Ports->isVisible() || index < 0 || index >= static_cast<int>(Choices.size())) return;
    const std::size_t row = static_cast<std::size_t>(ChoiceRow);
    const std::size_t column = static_cast<std::size_t>(ChoiceColumn);
    const TNavedenRecord next =
        WithCell(Ctx.D().RoutingTables[static_cast<std::size_t>(Shown)], row, column,
                 Choices[static_cast<std::size_t>(index)].Port);
    HidePorts();
    if (!StoreRoutingTable(Ctx.S(), Ctx.D(), Shown, next, Std(Name->text()), Ctx.Dlg())) return;
    RefreshList();
    ShowTable(Shown);
}

void TRoutingTableForm::HidePorts() {
    if (!Ports->isVisible()) return;
    Ports->hide();
    if (ChoiceRow >= 0) Cells->setCurrentCell(ChoiceRow, ChoiceColumn);
    Cells->setFocus();
}

bool TRoutingTableForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Cells && event->type() == QEvent::KeyPress &&
        OpensChoice(static_cast<QKeyEvent*>(event))) {
        ChoosePortFor(Cells->currentRow(), Cells->currentColumn());
        return true;
    }
    if (watched == Ports && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        HidePorts();
        return true;
    }
    if (watched == Ports && event->type() == QEvent::FocusOut && Ports->isVisible()) {
        // Anywhere else clicked: the choice is dropped.
        Ports->hide();
    }
    return QDialog::eventFilter(watched, event);
}

void TRoutingTableForm::reject() {
    if (Ports->isVisible()) {
        HidePorts();
        return;
    }
    if (StoreName()) QDialog::reject();
}

}  // namespace zarnik::app
