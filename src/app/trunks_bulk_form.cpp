#include "app/trunks_bulk_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/grid_cells.h"
#include "app/trunk_line_panel.h"
#include "editors/door_phone_editor.h"

namespace zarnik::app {

namespace {

constexpr int kChoiceRowsShown = 12;
constexpr int kRowsShown = 20;

bool OpensEdit(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
           key->key() == Qt::Key_F2 || key->key() == Qt::Key_Space;
}

bool IsChoiceColumn(int column) {
    return column == kTrunkMGDigitColumn || column == kTrunkTypeColumn ||
           column == kTrunkDayColumn || column == kTrunkNightColumn || column == kTrunkBlockColumn;
}

// The three legends beside the grid and the columns each explains.
struct TLegend {
    const char* Title;
    int First;
    int Last;
};
constexpr std::array<TLegend, 3> kLegends{{
    {"Триггерные установки", 1, 12},
    {"Направления", 13, 18},
    {"Цифровые установки", 19, 24},
}};

}  // namespace

TTrunksBulkForm::TTrunksBulkForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Model(ctx.S(), ctx.D()) {
    const QString title = QStringLiteral("Одновременное программирование СЛ");
    setWindowTitle(title);

    Cells = Named(new QTableWidget(Model.RowCount(), kTrunkColumns, this), title);
    Cells->setSelectionMode(QAbstractItemView::SingleSelection);
    Cells->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Cells->setTabKeyNavigation(false);
    Cells->verticalHeader()->hide();
    Cells->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    Cells->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Cells->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QStringList headers{QStringLiteral("Порт")};
    int gridWidth = 0;
    for (int c = 0; c < kTrunkColumns; ++c) {
        if (c > 0) headers << QString::number(c);
        Cells->setColumnWidth(c, TrunkColumnWidth(c));
        gridWidth += TrunkColumnWidth(c);
    }
    Cells->setHorizontalHeaderLabels(headers);
    for (int c = 1; c < kTrunkColumns; ++c)
        Cells->horizontalHeaderItem(c)->setToolTip(Qs(TrunkColumnLegend(c)));
    Cells->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Cells->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int rowsShown = std::clamp(Model.RowCount(), 1, kRowsShown);
    Cells->setFixedWidth(gridWidth + 2 * Cells->frameWidth() +
                         Cells->verticalScrollBar()->sizeHint().width());
    Cells->setMinimumHeight(2 * Cells->frameWidth() +
                            Cells->horizontalHeader()->sizeHint().height() +
                            Cells->verticalHeader()->defaultSectionSize() * rowsShown);
    Cells->installEventFilter(this);

    auto* legends = new QVBoxLayout;
    for (std::size_t i = 0; i < kLegends.size(); ++i) {
        auto* list = new QListWidget(this);
        for (int c = kLegends[i].First; c <= kLegends[i].Last; ++c)
            list->addItem(Qs(TrunkColumnLegend(c)));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFixedHeight(list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth());
        list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 4);
        legends->addWidget(BuddyLabel(Qs(kLegends[i].Title), list, this));
        legends->addWidget(list);
        Legends[i] = list;
    }
    legends->addStretch(1);

    Show = CaptionedButton<QPushButton>(QStringLiteral("Вывести данные в грид"), this);
    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    for (QPushButton* b : {Show, Commit}) b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Show);
    buttons->addWidget(Commit);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Cells, 0, 0);
    layout->addLayout(legends, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);

    // Over the grid while in use; hidden otherwise.
    Choices = Named(new QListWidget(this), QStringLiteral("Выбор значения"));
    Choices->hide();
    Choices->installEventFilter(this);
    AutoDialBox = new QGroupBox(this);
    AutoDial = Named(new QLineEdit(AutoDialBox), QStringLiteral("Автонабор"));
    AutoDial->setMaxLength(static_cast<int>(kTrunkAutoDialLength));
    AutoDial->installEventFilter(this);
    auto* autoDialLayout = new QVBoxLayout(AutoDialBox);
    autoDialLayout->addWidget(AutoDial);
    AutoDialBox->hide();

    setTabOrder(Cells, Legends[0]);
    setTabOrder(Legends[0], Legends[1]);
    setTabOrder(Legends[1], Legends[2]);
    setTabOrder(Legends[2], Show);
    setTabOrder(Show, Commit);

    connect(Cells, &QTableWidget::cellDoubleClicked, this, &TTrunksBulkForm::EditCell);
    connect(Choices, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Chosen(Choices->row(item)); });
    connect(Choices, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Chosen(Choices->row(item)); });
    connect(Show, &QPushButton::clicked, this, &TTrunksBulkForm::ShowStore);
    connect(Commit, &QPushButton::clicked, this, &TTrunksBulkForm::CommitData);

    RefreshCells();
    if (Model.RowCount() > 0) Cells->setCurrentCell(0, kTrunkFirstSwitchColumn);
}

void TTrunksBulkForm::RefreshCells() {
    for (int r = 0; r < Model.RowCount(); ++r) {
        const QString port = Qs(Model.Cell(r, kTrunkPortColumn));
        for (int c = 0; c < kTrunkColumns; ++c) {
            const QString text = Qs(Model.Cell(r, c));
            if (QTableWidgetItem* item = Cells->item(r, c)) {
                if (item->text() != text) item->setText(text);
                continue;
            }
            const QString what =
                c == kTrunkPortColumn ? QStringLiteral("Порт") : Qs(TrunkColumnLegend(c));
            auto* item = DescribedCell(text, Qt::ItemIsEnabled | Qt::ItemIsSelectable,
                                       QStringLiteral("СЛ %1, %2").arg(port, what));
            if (c != kTrunkAutoDialColumn) item->setTextAlignment(Qt::AlignCenter);
            Cells->setItem(r, c, item);
        }
    }
}

void TTrunksBulkForm::ShowStore() {
    HideChoices();
    HideAutoDial();
    Model.Load(Ctx.S(), Ctx.D());
    RefreshCells();
}

bool TTrunksBulkForm::CommitData() {
    HideChoices();
    HideAutoDial();
    if (!Model.Save(Ctx.S(), Ctx.D(), Ctx.Dlg())) return false;
    ShowStore();
    return true;
}

void TTrunksBulkForm::EditCell(int row, int column) {
    if (row < 0 || row >= Model.RowCount() || column <= kTrunkPortColumn) return;
    HideChoices();
    HideAutoDial();
    if (column <= kTrunkLastSwitchColumn) {
        if (Model.Toggle(row, column)) RefreshCells();
        return;
    }
    if (column == kTrunkAutoDialColumn) {
        OpenAutoDial(row);
        return;
    }
    if (IsChoiceColumn(column)) OpenChoices(row, column);
}

QRect TTrunksBulkForm::OverCell(int row, int column, QSize size) const {
    const QRect cell = Cells->visualRect(Cells->model()->index(row, column));
    QPoint at = Cells->viewport()->mapTo(this, cell.topLeft());
    at.setX(std::clamp(at.x(), 0, std::max(0, width() - size.width())));
    at.setY(std::clamp(at.y(), 0, std::max(0, height() - size.height())));
    return {at, QSize(size.width(), std::min(size.height(), height()))};
}

void TTrunksBulkForm::OpenChoices(int row, int column) {
    switch (column) {
        case kTrunkMGDigitColumn:
            ChoiceTexts = MGDigitChoices();
            break;
        case kTrunkTypeColumn:
            ChoiceTexts = TrunkTypeChoices();
            break;
        case kTrunkDayColumn:
        case kTrunkNightColumn:
            ChoiceTexts = TrunkRoutingChoices(Ctx.S());
            break;
        default:
            ChoiceTexts = BlockChoices(Ctx.S(), Ctx.D());
            break;
    }
    EditRow = row;
    EditColumn = column;
    Choices->clear();
    for (const std::string& text : ChoiceTexts) Choices->addItem(Qs(text));
    Choices->setAccessibleName(
        QStringLiteral("Выбор значения: %1").arg(Qs(TrunkColumnCaption(column))));
    const int rows = std::min<int>(static_cast<int>(ChoiceTexts.size()), kChoiceRowsShown);
    const int listWidth =
        std::max(TrunkColumnWidth(column), fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                                               2 * Choices->frameWidth() +
                                               Choices->verticalScrollBar()->sizeHint().width());
    Choices->setGeometry(
        OverCell(row, column,
                 QSize(listWidth, Choices->sizeHintForRow(0) * rows + 2 * Choices->frameWidth())));
    const auto at = std::find(ChoiceTexts.begin(), ChoiceTexts.end(), Model.Cell(row, column));
    Choices->setCurrentRow(at == ChoiceTexts.end() ? 0
                                                   : static_cast<int>(at - ChoiceTexts.begin()));
    Choices->show();
    Choices->raise();
    Choices->setFocus();
}

void TTrunksBulkForm::Chosen(int index) {
    if (!Choices->isVisible() || index < 0 || index >= static_cast<int>(ChoiceTexts.size())) return;
    if (Model.Choose(EditRow, EditColumn, ChoiceTexts[static_cast<std::size_t>(index)]))
        RefreshCells();
    HideChoices();
}

void TTrunksBulkForm::HideChoices() {
    if (!Choices->isVisible()) return;
    Choices->hide();
    if (EditRow >= 0) Cells->setCurrentCell(EditRow, EditColumn);
    Cells->setFocus();
}

void TTrunksBulkForm::OpenAutoDial(int row) {
    EditRow = row;
    EditColumn = kTrunkAutoDialColumn;
    const QString caption =
        QStringLiteral("Автонабор СЛ № ") + Qs(Model.Cell(row, kTrunkPortColumn));
    AutoDialBox->setTitle(caption);
    AutoDialBox->setAccessibleName(caption);
    // The number on show, selected: typing replaces it, Enter keeps it.
    AutoDial->setText(Qs(Model.Cell(row, kTrunkAutoDialColumn)));
    AutoDial->selectAll();
    const QSize size(
        std::max(AutoDialBox->sizeHint().width(), fontMetrics().horizontalAdvance(caption) + 40),
        AutoDialBox->sizeHint().height());
    AutoDialBox->setGeometry(OverCell(row, kTrunkAutoDialColumn, size));
    AutoDialBox->show();
    AutoDialBox->raise();
    AutoDial->setFocus();
}

void TTrunksBulkForm::TakeAutoDial() {
    if (!AutoDialBox->isVisible()) return;
    if (const auto problem = Model.SetAutoDial(EditRow, Std(AutoDial->text()))) {
        Ctx.Dlg().Message(*problem, kEditErrorCaption);
        AutoDial->setFocus();
        return;
    }
    RefreshCells();
    HideAutoDial();
}

void TTrunksBulkForm::HideAutoDial() {
    if (!AutoDialBox->isVisible()) return;
    AutoDial->clear();
    AutoDialBox->hide();
    if (EditRow >= 0) Cells->setCurrentCell(EditRow, EditColumn);
    Cells->setFocus();
}

bool TTrunksBulkForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Cells && OpensEdit(key)) {
            EditCell(Cells->currentRow(), Cells->currentColumn());
            return true;
        }
        if (watched == Choices && key->key() == Qt::Key_Escape) {
            HideChoices();
            return true;
        }
        if (watched == AutoDial) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                TakeAutoDial();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                HideAutoDial();
                return true;
            }
            if (AutoDialKeyDropped(*key, Ctx.S().Identity.Version)) return true;
        }
    }
    if (watched == Choices && event->type() == QEvent::FocusOut && Choices->isVisible())
        Choices->hide();  // leaving the list closes it
    return QDialog::eventFilter(watched, event);
}

void TTrunksBulkForm::reject() {
    if (Choices->isVisible()) {
        HideChoices();
        return;
    }
    if (AutoDialBox->isVisible()) {
        HideAutoDial();
        return;
    }
    QDialog::reject();
}

void TTrunksBulkForm::done(int result) {
    HideChoices();
    HideAutoDial();
    // Closing stores the grid; a grid as the store holds it has nothing to store.
    if (Model.Dirty(Ctx.S(), Ctx.D()) && !CommitData()) return;
    QDialog::done(result);
}

bool OpenTrunksBulkWindow(const TAppContext& ctx, QWidget* parent) {
    if (!HasTrunkLines(ctx.S(), ctx.D())) {
        ctx.Dlg().Message(kNoTrunkLinesMessage, kNoTrunkLinesCaption);
        return false;
    }
    TTrunksBulkForm form(ctx, parent);
    form.exec();
    return true;
}

}  // namespace zarnik::app
