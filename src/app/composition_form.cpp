#include "app/composition_form.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "flows/status_lines.h"

namespace zarnik::app {

namespace {

const QStringList kHeadings{QStringLiteral("№"), QStringLiteral("Тип платы"),
                            QStringLiteral("Зав. номер"), QStringLiteral("Версия ПО"),
                            QStringLiteral("Дата прошивки")};
// Fifteen board rows under the heading row; a larger composition adds rows rather than
// hiding boards.
constexpr int kBoardRows = 15;
constexpr int kNumberWidth = 30;

}  // namespace

TATSComplectForm::TATSComplectForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Cостав АТС"));
    Table = Named(new QTableWidget(kBoardRows, static_cast<int>(kHeadings.size()), this),
                  QStringLiteral("Cостав АТС"));
    Table->setHorizontalHeaderLabels(kHeadings);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setTabKeyNavigation(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setText(QStringLiteral("Закрыть"));
    close->setAccessibleName(close->text());
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table);
    layout->addWidget(buttons);

    ShowStore();
}

void TATSComplectForm::ShowStore() {
    const auto rows = CompositionRows(Ctx.D());
    Table->clearContents();
    Table->setRowCount(std::max(kBoardRows, static_cast<int>(rows.size())));
    for (int r = 0; r < Table->rowCount(); ++r) {
        const auto* row =
            r < static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(r)] : nullptr;
        for (int c = 0; c < static_cast<int>(kHeadings.size()); ++c) {
            const QString text = c == 0           ? QString::number(r + 1)
                                 : row != nullptr ? Qs((*row)[static_cast<std::size_t>(c)])
                                                  : QString();
            auto* item = new QTableWidgetItem(text);
            // A cell read aloud says which board and which column it belongs to.
            item->setData(Qt::AccessibleDescriptionRole,
                          QStringLiteral("Плата %1, %2").arg(r + 1).arg(kHeadings[c]));
            Table->setItem(r, c, item);
        }
    }
    Table->resizeColumnsToContents();
    Table->setColumnWidth(0, std::max(kNumberWidth, Table->columnWidth(0)));
    for (int c = 1; c < Table->columnCount(); ++c)
        Table->setColumnWidth(c, std::max(110, Table->columnWidth(c) + 16));
    int width = Table->frameWidth() * 2 + 2;
    for (int c = 0; c < Table->columnCount(); ++c) width += Table->columnWidth(c);
    if (Table->rowCount() > kBoardRows) width += 20;  // room for the scroll bar
    const int height = Table->frameWidth() * 2 + Table->horizontalHeader()->sizeHint().height() +
                       Table->verticalHeader()->defaultSectionSize() * kBoardRows;
    Table->setFixedSize(width, height);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zarnik::app
