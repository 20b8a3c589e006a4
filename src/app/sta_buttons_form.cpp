#include "app/sta_buttons_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/grid_cells.h"
#include "editors/sta_button_editor.h"

namespace zarnik::app {

namespace {

constexpr int kNumberColumn = 0;
constexpr int kCodeColumn = 1;
constexpr int kMeaningColumn = 2;

const QStringList& Headings() {
    static const QStringList headings{QStringLiteral("№"), QStringLiteral("Код"),
                                      QStringLiteral("Назначение")};
    return headings;
}

}  // namespace

TStaButtonsForm::TStaButtonsForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Editor(std::make_unique<TStaButtonEditor>(ctx.S(), ctx.D())) {
    setWindowTitle(Qs(kStaButtonsCaption));

    Phones = new QListWidget(this);
    for (const TStaPhone& p : Editor->Phones()) Phones->addItem(Qs(p.Text));
    Phones->setMinimumWidth(260);
    auto* phoneLabel = BuddyLabel(QStringLiteral("Список СТА"), Phones, this);
    auto* left = new QVBoxLayout;
    left->addWidget(phoneLabel);
    left->addWidget(Phones, 1);

    Link = new QComboBox(this);
    Link->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* linkRow = new QFormLayout;
    linkRow->addRow(BuddyLabel(QStringLiteral("Связанный СТА:"), Link, this), Link);

    const int buttons = Editor->ButtonCount();
    Grid = Named(new QTableWidget(buttons, 3, this), QStringLiteral("Кнопки СТА"));
    Grid->setHorizontalHeaderLabels(Headings());
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(22);
    Grid->setColumnWidth(kNumberColumn, 40);
    Grid->setColumnWidth(kCodeColumn, 80);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    Grid->setTabKeyNavigation(false);
    Grid->setMinimumSize(520, 520);
    auto* gridLabel = BuddyLabel(QStringLiteral("Кнопки СТА"), Grid, this);

    CommitBtn = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    OkBtn = CaptionedButton<QPushButton>(QStringLiteral("OK"), this);
    CancelBtn = CaptionedButton<QPushButton>(QStringLiteral("Cancel"), this);
    for (QPushButton* b : {CommitBtn, OkBtn, CancelBtn}) b->setAutoDefault(false);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(CommitBtn);
    buttonRow->addWidget(OkBtn);
    buttonRow->addWidget(CancelBtn);

    auto* right = new QVBoxLayout;
    right->addLayout(linkRow);
    right->addWidget(gridLabel);
    right->addWidget(Grid, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttonRow);

    setTabOrder(Phones, Link);
    setTabOrder(Link, Grid);
    setTabOrder(Grid, CommitBtn);
    setTabOrder(CommitBtn, OkBtn);
    setTabOrder(OkBtn, CancelBtn);

    connect(Phones, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) ShowPhone(row);
    });
    connect(Link, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!Filling && index >= 0) Editor->SetLinked(Current, Link->itemData(index).toInt());
    });
    connect(Grid, &QTableWidget::itemChanged, this, &TStaButtonsForm::ButtonEdited);
    connect(CommitBtn, &QPushButton::clicked, this, &TStaButtonsForm::CommitData);
    connect(OkBtn, &QPushButton::clicked, this, [this] {
        if (CommitData()) accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    if (!Editor->Phones().empty()) {
        Phones->setCurrentRow(0);  // shows the first phone
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{Link, Grid, CommitBtn, OkBtn})
            w->setEnabled(false);
    }
}

TStaButtonsForm::~TStaButtonsForm() = default;

bool TStaButtonsForm::Open(const TAppContext& ctx, QWidget* parent) {
    if (!StationHasSta(ctx.D())) {
        ctx.Dlg().Message(kNoStaMessage, kNoStaCaption);
        return false;
    }
    TStaButtonsForm form(ctx, parent);
    return form.exec() == QDialog::Accepted;
}

void TStaButtonsForm::ShowPhone(int phone) {
    Current = phone;
    Filling = true;
    Link->clear();
    const auto choices = Editor->LinkChoices(phone);
    int chosen = 0;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        Link->addItem(Qs(choices[i].Text), choices[i].Port);
        if (choices[i].Port == Editor->Linked(phone)) chosen = static_cast<int>(i);
    }
    Link->setCurrentIndex(chosen);
    for (int b = 0; b < Editor->ButtonCount(); ++b) ShowButton(b);
    Filling = false;
}

void TStaButtonsForm::ShowButton(int button) {
    const bool filling = Filling;
    Filling = true;
    const QString number = QString::number(button + 1);
    const std::string& code = Editor->Button(Current, button);
    const QString texts[] = {number, Qs(code), Qs(ButtonMeaning(Ctx.D(), code))};
    for (int column = kNumberColumn; column <= kMeaningColumn; ++column) {
        // Cells are made once and then only given new texts: a cell may be the one whose edit
        // is being handled.
        if (QTableWidgetItem* cell = Grid->item(button, column)) {
            cell->setText(texts[column]);
            continue;
        }
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (column == kCodeColumn) flags |= Qt::ItemIsEditable;
        Grid->setItem(
            button, column,
            DescribedCell(texts[column], flags,
                          QStringLiteral("Кнопка %1, %2").arg(number, Headings()[column])));
    }
    Filling = filling;
}

void TStaButtonsForm::ButtonEdited(QTableWidgetItem* item) {
    if (Filling || item == nullptr || item->column() != kCodeColumn) return;
    const int button = item->row();
    if (const auto error = Editor->SetButton(Current, button, Std(item->text())))
        Ctx.Dlg().Message(*error, "Ошибка");
    ShowButton(button);  // the code as it will be sent, or the one it had
}

bool TStaButtonsForm::CommitData() {
    return Editor->Commit(Ctx.S(), Ctx.D(), Ctx.Dlg());
}

}  // namespace zarnik::app
