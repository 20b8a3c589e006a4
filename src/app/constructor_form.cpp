#include "app/constructor_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>

#include "app/form_helpers.h"
#include "editors/constructor_editor.h"

namespace zarnik::app {

namespace {

constexpr int kSlotColumnWidth = 54;

// The drop-down of boards over a cell of the board row. A choice goes to the draft; Escape or
// leaving the drop-down only hides it.
class TBoardDelegate : public QStyledItemDelegate {
public:
    TBoardDelegate(std::function<std::vector<std::string>()> choices,
                   std::function<void(int, const QString&)> choose, QObject* parent)
        : QStyledItemDelegate(parent), Choices(std::move(choices)), Choose(std::move(choose)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const std::vector<std::string> choices = Choices();
        if (index.row() != TConstructorForm::BoardRow || choices.empty()) return nullptr;
        auto* box = new QComboBox(parent);
        for (const std::string& c : choices) box->addItem(Qs(c));
        box->setAccessibleName(Qs(BoardCellName(index.column(), "")).section(':', 0, 0));
        connect(box, &QComboBox::activated, box, [this, box] {
            box->setProperty("chosen", true);
            Q_EMIT const_cast<TBoardDelegate*>(this)->commitData(box);
            Q_EMIT const_cast<TBoardDelegate*>(this)->closeEditor(box);
        });
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max(0, box->findText(index.data().toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        if (box->property("chosen").toBool()) Choose(index.column(), box->currentText());
    }

private:
    std::function<std::vector<std::string>()> Choices;
    std::function<void(int, const QString&)> Choose;
};

}  // namespace

TConstructorForm::TConstructorForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Draft(ConstructorWindowDraft()) {
    setWindowTitle(QStringLiteral("Конструктор АТС"));
    setMaximumSize(900, 600);

    Models = new QComboBox(this);
    for (const char* m : ConstructorModels()) Models->addItem(Qs(m));
    Versions = new QComboBox(this);
    for (const std::string& v : ConstructorVersions()) Versions->addItem(Qs(v));
    auto* choices = new QGridLayout;
    choices->addWidget(BuddyLabel(QStringLiteral("Тип АТС:"), Models, this), 0, 0);
    choices->addWidget(Models, 0, 1);
    choices->addWidget(BuddyLabel(QStringLiteral("Версия рабочей программы: "), Versions, this), 1, 0);
    choices->addWidget(Versions, 1, 1);
    choices->setColumnStretch(2, 1);

    Grid = new QTableWidget(2, 0, this);
    Grid->setAccessibleName(QStringLiteral("Укажите состав АТС"));
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setDefaultSectionSize(kSlotColumnWidth);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setItemDelegate(new TBoardDelegate([this] { return BoardChoices(Draft); },
                                             [this](int slot, const QString& board) {
                                                 ChooseBoard(slot, board);
                                             },
                                             Grid));
    const int rowHeight = Grid->verticalHeader()->defaultSectionSize();
    Grid->setFixedHeight(2 * rowHeight + 2 * Grid->frameWidth() +
                         Grid->horizontalScrollBar()->sizeHint().height());
    Grid->setMinimumWidth(15 * kSlotColumnWidth + 2 * Grid->frameWidth());
    auto* group = NamedGroup(QStringLiteral("Укажите состав АТС"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(Grid);

    SecondUnit = CaptionedButton<QCheckBox>(QStringLiteral("Второй блок Cedar"), this);
    Build = CaptionedButton<QPushButton>(QStringLiteral("Создать АТС"), this);
    Build->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SecondUnit);
    buttons->addStretch();
    buttons->addWidget(Build);

    QStringList paragraphs;
    for (const std::string& p : ConstructorNote()) paragraphs << Qs(p).toHtmlEscaped();
    Note = new QLabel(paragraphs.join(QStringLiteral("<br>")), this);
    Note->setTextFormat(Qt::RichText);
    Note->setWordWrap(true);
    Note->setFrameShape(QFrame::StyledPanel);
    Note->setMargin(6);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addWidget(Note);
    layout->addStretch();

    setTabOrder(Models, Versions);
    setTabOrder(Versions, Grid);
    setTabOrder(Grid, SecondUnit);
    setTabOrder(SecondUnit, Build);

    PrepareConstructorDraft(Draft, Ctx.D().Model);
    Models->setCurrentText(Qs(Draft.Model()));
    Versions->setCurrentText(Qs(Draft.Version()));
    ShowDraft();

    connect(Models, &QComboBox::currentIndexChanged, this, &TConstructorForm::ChooseModel);
    connect(Versions, &QComboBox::currentIndexChanged, this, &TConstructorForm::ChooseVersion);
    connect(SecondUnit, &QCheckBox::toggled, this, &TConstructorForm::TickSecondUnit);
    connect(Build, &QPushButton::clicked, this, &TConstructorForm::BuildStation);
    adjustSize();
    setMinimumSize(sizeHint().boundedTo(maximumSize()));
}

void TConstructorForm::ChooseModel(int index) {
    Draft.SetModel(index < 0 ? std::string() : Std(Models->itemText(index)));
    ShowDraft();
}

void TConstructorForm::ChooseVersion(int index) {
    Draft.SetVersion(index < 0 ? std::string() : Std(Versions->itemText(index)));
}

void TConstructorForm::ChooseBoard(int slot, const QString& board) {
    Draft.SetBoard(slot, Std(board));
    ShowDraft();
}

void TConstructorForm::TickSecondUnit(bool ticked) {
    const bool kept = Draft.SetSecondUnit(ticked);
    if (kept != ticked) {
        const QSignalBlocker block(SecondUnit);
        SecondUnit->setChecked(kept);
    }
}

void TConstructorForm::ShowDraft() {
    const std::vector<std::string>& boards = Draft.Boards();
    const int slots = static_cast<int>(boards.size());
    Grid->setColumnCount(slots);
    for (int s = 0; s < slots; ++s) {
        auto* number = new QTableWidgetItem(QString::number(s));
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        number->setTextAlignment(Qt::AlignCenter);
        number->setData(Qt::AccessibleTextRole, Qs(SlotCellName(s)));
        Grid->setItem(SlotRow, s, number);
        const std::string& board = boards[static_cast<std::size_t>(s)];
        auto* cell = new QTableWidgetItem(Qs(board));
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        cell->setTextAlignment(Qt::AlignCenter);
        cell->setData(Qt::AccessibleTextRole, Qs(BoardCellName(s, board)));
        Grid->setItem(BoardRow, s, cell);
    }
    const QSignalBlocker block(SecondUnit);
    SecondUnit->setEnabled(Draft.SecondUnitEnabled());
    SecondUnit->setChecked(Draft.SecondUnit());
}

void TConstructorForm::BuildStation() {
    if (BuildOfflineStation(Ctx.S(), Ctx.D(), Draft) == EConstructResult::Built) accept();
}

}  // namespace zarnik::app
