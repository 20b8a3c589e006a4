#include "app/phone_book_grid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/grid_cells.h"

namespace zarnik::app {

namespace {

constexpr Qt::ItemFlags kReadOnly = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
constexpr Qt::ItemFlags kEditable = kReadOnly | Qt::ItemIsEditable;
// Shown, but neither chosen nor typed into.
constexpr Qt::ItemFlags kInert = Qt::ItemIsEnabled;

class TBookDelegate : public QStyledItemDelegate {
  public:
    TBookDelegate(TPhoneBookGrid* grid) : QStyledItemDelegate(grid), Grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setAccessibleName(index.data(Qt::AccessibleDescriptionRole).toString());
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr) return editor;
        if (index.column() == TPhoneBookGrid::ColDir) {
            line->setValidator(new TRuleValidator(BookDirectionAcceptable, line));
        } else if (index.column() == TPhoneBookGrid::ColNumber) {
            // A number stored longer than typing allows stays editable down to the limit.
            const std::size_t limit =
                std::max(static_cast<std::size_t>(Grid->NumberLimit(index.row())),
                         static_cast<std::size_t>(index.data().toString().size()));
            line->setValidator(new TRuleValidator(
                [limit](std::string_view t) { return BookNumberAcceptable(t, limit); }, line));
        }
        return editor;
    }

  private:
    TPhoneBookGrid* Grid;
};

}  // namespace

TPhoneBookGrid::TPhoneBookGrid(bool withCommonColumn, const QString& accessibleName,
                               QWidget* parent)
    : QTableWidget(parent), WithCommon(withCommonColumn) {
    setAccessibleName(accessibleName);
    QStringList headings{QString(), QStringLiteral("Dir"), QStringLiteral("Номер телефона")};
    if (WithCommon) headings << QStringLiteral("Номер в общей книжке");
    headings << QStringLiteral("Комментарий");
    setColumnCount(static_cast<int>(headings.size()));
    setHorizontalHeaderLabels(headings);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(false);
    setItemDelegate(new TBookDelegate(this));
    setColumnWidth(ColCode, fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    setColumnWidth(ColDir, fontMetrics().horizontalAdvance(QStringLiteral("Dir00")) + 12);
    setColumnWidth(ColNumber, fontMetrics().horizontalAdvance(QString(24, QLatin1Char('0'))));
    if (WithCommon)
        setColumnWidth(
            CommonColumn(),
            fontMetrics().horizontalAdvance(QStringLiteral("Номер в общей книжке")) + 16);
    setColumnWidth(CommentColumn(), fontMetrics().horizontalAdvance(QString(26, QLatin1Char('x'))));
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QTableWidget::itemChanged, this, &TPhoneBookGrid::CellChanged);
}

QTableWidgetItem* TPhoneBookGrid::Cell(int row, int column, const std::string& text,
                                       Qt::ItemFlags flags) {
    const QString heading =
        column == ColCode ? QStringLiteral("Ячейка") : horizontalHeaderItem(column)->text();
    const QString code = Qs(BookCellCode(static_cast<std::size_t>(row)));
    auto* item = DescribedCell(Qs(text), flags, code + QStringLiteral(", ") + heading);
    setItem(row, column, item);
    return item;
}

void TPhoneBookGrid::ShowRows(const std::vector<TBookRow>& rows, EBookWay way,
                              const std::vector<std::string>& common) {
    Filling = true;
    ShownWay = way;
    clearContents();
    setRowCount(static_cast<int>(rows.size()));
    ContinuationRows.assign(rows.size(), false);
    for (int r = 0; r < rowCount(); ++r) {
        const TBookRow& row = rows[static_cast<std::size_t>(r)];
        ContinuationRows[static_cast<std::size_t>(r)] = row.Continuation;
        // A continuation row is part of the number above it; the plain way has no direction.
        const Qt::ItemFlags open = row.Continuation ? kInert : kEditable;
        Cell(r, ColCode, row.Code, row.Continuation ? kInert : kReadOnly);
        Cell(r, ColDir, row.Dir, way == EBookWay::Plain ? kInert : open);
        Cell(r, ColNumber, row.Number, open);
        if (WithCommon) {
            const std::size_t k = static_cast<std::size_t>(r);
            Cell(r, CommonColumn(), k < common.size() ? common[k] : std::string{}, kReadOnly);
        }
        Cell(r, CommentColumn(), row.Comment, open);
    }
    Touched = false;
    Filling = false;
}

std::vector<TBookRow> TPhoneBookGrid::Rows() const {
    std::vector<TBookRow> rows;
    for (int r = 0; r < rowCount(); ++r)
        rows.push_back({Std(item(r, ColCode)->text()), Std(item(r, ColDir)->text()),
                        Std(item(r, ColNumber)->text()), Std(item(r, CommentColumn())->text()),
                        ContinuationRows[static_cast<std::size_t>(r)]});
    return rows;
}

int TPhoneBookGrid::NumberLimit(int row) const {
    return static_cast<int>(BookNumberLimit(ShownWay, static_cast<std::size_t>(row),
                                            static_cast<std::size_t>(rowCount())));
}

void TPhoneBookGrid::CellChanged(QTableWidgetItem* changed) {
    if (Filling) return;
    Touched = true;
    if (ShownWay != EBookWay::Joined || changed->column() != ColNumber) return;
    QTableWidgetItem* dir = item(changed->row(), ColDir);
    const std::string next = DirectionForTypedNumber(Std(dir->text()), Std(changed->text()));
    if (next != Std(dir->text())) dir->setText(Qs(next));
}

}  // namespace zarnik::app
