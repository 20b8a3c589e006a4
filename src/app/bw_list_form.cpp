#include "app/bw_list_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/grid_cells.h"

namespace zarnik::app {

namespace {

constexpr int kRows = static_cast<int>(kBwSectionEntries);

// Each number takes the symbols of the lists and at most 8 of them.
class TBwDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setAccessibleName(index.data(Qt::AccessibleDescriptionRole).toString());
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setValidator(new TRuleValidator(BwEntryAcceptable, line));
        return editor;
    }
};

}  // namespace

QTableWidget* TBwListForm::SectionGrid(std::size_t section, QWidget* parent) {
    const QString name = Qs(BwSectionNames()[section]);
    auto* grid = Named(new QTableWidget(kRows, 1, parent), name);
    grid->setHorizontalHeaderLabels({section < kBwWhiteSections
                                         ? QStringLiteral("Секция %1").arg(section + 1)
                                         : QStringLiteral("Номер")});
    grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->setTabKeyNavigation(false);
    grid->setItemDelegate(new TBwDelegate(grid));
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Wide enough for eight symbols and for the heading in the header's bold face.
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    const int column =
        std::max(fontMetrics().horizontalAdvance(QStringLiteral("00000000")),
                 QFontMetrics(bold).horizontalAdvance(grid->horizontalHeaderItem(0)->text())) +
        24;
    const int rowHeading = QFontMetrics(bold).horizontalAdvance(QStringLiteral("10")) + 12;
    grid->verticalHeader()->setFixedWidth(rowHeading);
    const int width = grid->frameWidth() * 2 + rowHeading + column;
    const int height = grid->frameWidth() * 2 + grid->horizontalHeader()->sizeHint().height() +
                       grid->verticalHeader()->defaultSectionSize() * kRows;
    grid->setFixedSize(width, height);
    return grid;
}

TBwListForm::TBwListForm(const TAppContext& ctx, QWidget* parent) : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Белые и черная записные книжки"));

    auto* white = NamedGroup(QStringLiteral("1,2,3,4 и 5-я секции белой книжки"), this);
    auto* whiteLayout = new QHBoxLayout(white);
    for (std::size_t s = 0; s < kBwWhiteSections; ++s) {
        Grids[s] = SectionGrid(s, white);
        whiteLayout->addWidget(Grids[s]);
    }
    auto* black = NamedGroup(QStringLiteral("Черная книжка"), this);
    auto* blackLayout = new QHBoxLayout(black);
    Grids[kBwBlackSection] = SectionGrid(kBwBlackSection, black);
    blackLayout->addWidget(Grids[kBwBlackSection]);

    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    Cancel = CaptionedButton<QPushButton>(QStringLiteral("Отменить"), this);
    // Enter belongs to the grids' editors: no button is pressed by it.
    Commit->setAutoDefault(false);
    Cancel->setAutoDefault(false);

    auto* books = new QHBoxLayout;
    books->addWidget(white);
    books->addWidget(black);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Commit);
    buttons->addWidget(Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(books);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* previous = Grids[0];
    for (std::size_t s = 1; s < kBwSections; ++s) {
        setTabOrder(previous, Grids[s]);
        previous = Grids[s];
    }
    setTabOrder(previous, Commit);
    setTabOrder(Commit, Cancel);

    connect(Commit, &QPushButton::clicked, this, &TBwListForm::CommitData);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowStore();
    Grids[0]->setCurrentCell(0, 0);
}

void TBwListForm::ShowStore() {
    const auto entries = BwEntries(Ctx.D());
    for (std::size_t s = 0; s < kBwSections; ++s) {
        const QString name = Qs(BwSectionNames()[s]);
        for (int r = 0; r < kRows; ++r) {
            const std::string& text = entries[s * kBwSectionEntries + static_cast<std::size_t>(r)];
            Grids[s]->setItem(
                r, 0,
                DescribedCell(Qs(text),
                              Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable,
                              name + QStringLiteral(", %1").arg(r + 1)));
        }
    }
}

void TBwListForm::CommitData() {
    std::array<std::string, kBwListEntries> entries;
    for (std::size_t s = 0; s < kBwSections; ++s)
        for (int r = 0; r < kRows; ++r)
            entries[s * kBwSectionEntries + static_cast<std::size_t>(r)] =
                Std(Grids[s]->item(r, 0)->text());
    if (CommitBwLists(Ctx.S(), Ctx.D(), entries, Ctx.Dlg())) accept();
}

}  // namespace zarnik::app
