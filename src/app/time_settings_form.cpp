#include "app/time_settings_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/help.h"
#include "editors/settings_editing.h"

namespace zarnik::app {

namespace {

const QStringList kHeadings{QStringLiteral("Параметр"), QStringLiteral("По умолчанию(сек.)"),
                            QStringLiteral("Шаг(сек.)"), QStringLiteral("Значение(сек.)"),
                            QStringLiteral("Краткое описание параметра")};
constexpr int kDefaultWidth = 105;
constexpr int kStepWidth = 55;
constexpr int kDescriptionWidth = 800;
constexpr int kVisibleRowsAtMost = 26;

// +1 for a "+" key, -1 for "-", 0 for any other.
int StepKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return 0;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->text() == QLatin1String("+")) return 1;
    if (key->text() == QLatin1String("-")) return -1;
    return 0;
}

// The value column's editor: "+" and "-" step the text being edited instead of being typed.
class TValueDelegate : public QStyledItemDelegate {
  public:
    TValueDelegate(TTimeSettingsForm* form, QObject* parent)
        : QStyledItemDelegate(parent), Form(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setProperty("row", index.row());
        editor->setAccessibleName(index.data(Qt::AccessibleDescriptionRole).toString());
        return editor;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const int direction = StepKey(event);
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (direction == 0 || edit == nullptr)
            return QStyledItemDelegate::eventFilter(watched, event);
        const auto next = Form->Stepped(edit->property("row").toInt(), edit->text(), direction);
        if (next) edit->setText(*next);
        return true;
    }

  private:
    TTimeSettingsForm* Form;
};

QTableWidgetItem* Cell(const QString& text, bool editable, const QString& description) {
    auto* item = new QTableWidgetItem(text);
    if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setData(Qt::AccessibleDescriptionRole, description);
    return item;
}

}  // namespace

TTimeSettingsForm::TTimeSettingsForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Программирование временных установок"));

    Table = Named(new QTableWidget(0, ColumnCount, this),
                  QStringLiteral("Программирование временных установок"));
    Table->setHorizontalHeaderLabels(kHeadings);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setSelectionBehavior(QAbstractItemView::SelectItems);
    Table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    Table->setTabKeyNavigation(false);
    Table->setItemDelegateForColumn(ColValue, new TValueDelegate(this, Table));
    Table->installEventFilter(this);
    Table->horizontalHeader()->setStretchLastSection(true);

    ShowData = CaptionedButton<QPushButton>(QStringLiteral("Вывод данных"), this);
    auto* stepGroup = NamedGroup(QStringLiteral("Изменить параметр на один шаг"), this);
    Plus = CaptionedButton<QPushButton>(QStringLiteral("+"), stepGroup);
    Minus = CaptionedButton<QPushButton>(QStringLiteral("-"), stepGroup);
    Plus->setAccessibleDescription(QStringLiteral("Увеличить параметр на один шаг"));
    Minus->setAccessibleDescription(QStringLiteral("Уменьшить параметр на один шаг"));
    auto* stepLayout = new QHBoxLayout(stepGroup);
    stepLayout->addWidget(Plus);
    stepLayout->addWidget(Minus);
    Ok = CaptionedButton<QPushButton>(QStringLiteral("OK"), this);
    Cancel = CaptionedButton<QPushButton>(QStringLiteral("Cancel"), this);
    Help = CaptionedButton<QPushButton>(QStringLiteral("Help"), this);
    // Enter belongs to the grid's editor: no button is pressed by it.
    for (QPushButton* b : {ShowData, Plus, Minus, Ok, Cancel, Help}) b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ShowData, 0, Qt::AlignBottom);
    buttons->addWidget(stepGroup);
    buttons->addStretch();
    buttons->addWidget(Ok, 0, Qt::AlignBottom);
    buttons->addWidget(Cancel, 0, Qt::AlignBottom);
    buttons->addWidget(Help, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table);
    layout->addLayout(buttons);

    QWidget* previous = Table;
    for (QWidget* next : {ShowData, Plus, Minus, Ok, Cancel, Help}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(ShowData, &QPushButton::clicked, this, &TTimeSettingsForm::ShowStore);
    connect(Plus, &QPushButton::clicked, this, [this] { StepCurrentRow(1); });
    connect(Minus, &QPushButton::clicked, this, [this] { StepCurrentRow(-1); });
    connect(Ok, &QPushButton::clicked, this, &TTimeSettingsForm::CommitData);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Help, &QPushButton::clicked, this, [this] { OpenHelp(Ctx.StartDir, Ctx.Dlg()); });

    ShowStore();

    // Wide enough for every heading and description, tall enough for every timer.
    Table->resizeColumnsToContents();
    Table->setColumnWidth(ColDefault, std::max(kDefaultWidth, Table->columnWidth(ColDefault)));
    Table->setColumnWidth(ColStep, std::max(kStepWidth, Table->columnWidth(ColStep)));
    Table->setColumnWidth(ColValue, Table->columnWidth(ColValue) + 12);
    Table->setColumnWidth(ColDescription,
                          std::max(kDescriptionWidth, Table->columnWidth(ColDescription)));
    int width = Table->frameWidth() * 2 + Table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < ColumnCount; ++c) width += Table->columnWidth(c);
    const int height = Table->frameWidth() * 2 + Table->horizontalHeader()->sizeHint().height() +
                       Table->verticalHeader()->defaultSectionSize() * kVisibleRowsAtMost;
    // At most what leaves the window room on a 768-pixel screen; beyond that the grid scrolls.
    Table->setMinimumSize(width, std::min(height, 600));
    Table->setCurrentCell(0, ColValue);
}

void TTimeSettingsForm::ShowStore() {
    const std::vector<TTimerRow> rows = TimerRows(Ctx.S(), Ctx.D());
    Table->setRowCount(static_cast<int>(rows.size()));
    Steps.clear();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TTimerRow& row = rows[static_cast<std::size_t>(r)];
        Steps.push_back(Ctx.D().TimeDefaults.Values[row.Timer]);
        const QString name = Qs(row.Name);
        const std::array<QString, ColumnCount> texts{name, Qs(row.Default), Qs(row.Step),
                                                     Qs(row.Value), Qs(row.Description)};
        for (int c = 0; c < ColumnCount; ++c) {
            const QString where = name + QStringLiteral(", ") + kHeadings[c];
            Table->setItem(r, c, Cell(texts[static_cast<std::size_t>(c)], c == ColValue, where));
        }
    }
}

std::optional<QString> TTimeSettingsForm::Stepped(int row, const QString& text,
                                                  int direction) const {
    if (row < 0 || row >= static_cast<int>(Steps.size())) return std::nullopt;
    const std::optional<double> value = ParseSeconds(Std(text));
    if (!value) return std::nullopt;
    const auto next = StepTimerValue(*value, Steps[static_cast<std::size_t>(row)], direction);
    if (!next) return std::nullopt;
    return Qs(FormatSeconds(*next));
}

bool TTimeSettingsForm::eventFilter(QObject* watched, QEvent* event) {
    const int direction = watched == Table ? StepKey(event) : 0;
    if (direction == 0) return QDialog::eventFilter(watched, event);
    if (Table->currentColumn() == ColValue) StepCurrentRow(direction);
    // In the other columns the keys do nothing: those cells are not typed into.
    return true;
}

void TTimeSettingsForm::StepCurrentRow(int direction) {
    const int row = Table->currentRow();
    QTableWidgetItem* item = row >= 0 ? Table->item(row, ColValue) : nullptr;
    // A cell being edited has handed its text over by now: the button took the focus from it.
    if (item == nullptr) return;
    const auto next = Stepped(row, item->text(), direction);
    if (next) item->setText(*next);
}

void TTimeSettingsForm::CommitData() {
    std::vector<TTypedTimer> typed;
    for (int r = 0; r < Table->rowCount(); ++r)
        typed.push_back(
            {Std(Table->item(r, ColName)->text()), Std(Table->item(r, ColValue)->text())});
    if (CommitTimerValues(Ctx.S(), Ctx.D(), typed, Ctx.Dlg())) accept();
}

}  // namespace zarnik::app
