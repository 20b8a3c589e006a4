#include "app/program_numbers_form.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "app/grid_cells.h"

namespace zarnik::app {

namespace {

constexpr int kNumberColumnsWidth = 82;
constexpr Qt::ItemFlags kReadOnly = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
constexpr Qt::ItemFlags kEditable = kReadOnly | Qt::ItemIsEditable;

// Text that a program number cell may hold while it is typed: "1" and up to three digits.
bool NumberTextAcceptable(std::string_view text) {
    if (text.empty()) return true;
    if (text.front() != '1' || text.size() > kPrgNumMaxDigits) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

class TPrgNumDelegate : public QStyledItemDelegate {
  public:
    explicit TPrgNumDelegate(TPrgNumForm* form) : QStyledItemDelegate(form), Form(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setAccessibleName(index.data(Qt::AccessibleDescriptionRole).toString());
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line != nullptr && index.column() == TPrgNumForm::ColNumber) {
            // Pasted text is held to the same shape as typed text.
            line->setValidator(new TRuleValidator(NumberTextAcceptable, line));
            NumberEditor = line;
        }
        Open = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr || index.column() != TPrgNumForm::ColNumber) {
            QStyledItemDelegate::setEditorData(editor, index);
            return;
        }
        line->setText(Qs(TProgramNumberEditor::AtEditBoundary(Std(index.data().toString()))));
        line->deselect();
        line->end(false);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr || index.column() != TPrgNumForm::ColNumber) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        model->setData(index, Qs(TProgramNumberEditor::AtEditBoundary(Std(line->text()))));
    }

    // The editor still open, to be taken into its cell before a commit.
    QWidget* OpenEditor() const { return Open; }
    void Finish() {
        // A closed editor is hidden until it is deleted.
        if (!Open || Open->isHidden()) return;
        QWidget* editor = Open;
        Open = nullptr;
        Q_EMIT commitData(editor);
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && NumberEditor && object == NumberEditor.data() &&
            Form->NumberKey(NumberEditor, *static_cast<QKeyEvent*>(event)))
            return true;
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    TPrgNumForm* Form;
    mutable QPointer<QLineEdit> NumberEditor;
    mutable QPointer<QWidget> Open;
};

}  // namespace

TPrgNumForm::TPrgNumForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Editor(ctx.D()) {
    const QString title = QStringLiteral("Установка программных номеров");
    setWindowTitle(title);

    Cells = Named(new QTableWidget(0, 4, this), title);
    Cells->setHorizontalHeaderLabels(
        {QStringLiteral("Апп.номер"), QString(), QStringLiteral("Прогр. номер"), QString()});
    Cells->verticalHeader()->hide();
    Cells->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    Cells->setSelectionMode(QAbstractItemView::SingleSelection);
    Cells->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    Cells->setTabKeyNavigation(false);
    Cells->setItemDelegate(new TPrgNumDelegate(this));
    Cells->horizontalHeader()->setHighlightSections(false);
    // 82 pixels, or wider where a heading would not fit.
    for (int c : {ColPort, ColGroup, ColNumber})
        Cells->setColumnWidth(
            c, std::max(kNumberColumnsWidth, Cells->horizontalHeaderItem(c) == nullptr
                                                 ? 0
                                                 : fontMetrics().horizontalAdvance(
                                                       Cells->horizontalHeaderItem(c)->text()) +
                                                       16));
    Cells->horizontalHeader()->setStretchLastSection(true);
    Cells->setMinimumSize(Cells->columnWidth(ColPort) + Cells->columnWidth(ColGroup) +
                              Cells->columnWidth(ColNumber) +
                              fontMetrics().horizontalAdvance(QString(28, QLatin1Char('x'))),
                          Cells->verticalHeader()->defaultSectionSize() * 20);

    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    Commit->setAutoDefault(false);
    Commit->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Cells);
    layout->addWidget(Commit, 0, Qt::AlignRight);
    setTabOrder(Cells, Commit);

    ShowRows();
    if (Cells->rowCount() > 0) Cells->setCurrentCell(0, ColNumber);
    resize(sizeHint().width(), std::min(600, layout->sizeHint().height() +
                                                 Cells->verticalHeader()->defaultSectionSize() *
                                                     std::min(Cells->rowCount(), 20)));

    connect(Cells, &QTableWidget::itemChanged, this, &TPrgNumForm::CellChanged);
    connect(Commit, &QPushButton::clicked, this, [this] { CommitData(); });
}

void TPrgNumForm::ShowRows() {
    Filling = true;
    const auto& rows = Editor.Rows();
    Cells->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < Cells->rowCount(); ++r) {
        const TPrgNumRow& row = rows[static_cast<std::size_t>(r)];
        const QString port = QString::number(row.Port);
        auto cell = [&](int column, const std::string& text, Qt::ItemFlags flags,
                        const QString& what) {
            Cells->setItem(r, column,
                           DescribedCell(Qs(text), flags, QStringLiteral("Порт ") + port + what));
        };
        cell(ColPort, std::to_string(row.Port), kReadOnly, QString());
        cell(ColGroup, row.Group, kReadOnly, QStringLiteral(", группа"));
        cell(ColNumber, row.Number, kEditable, QStringLiteral(", программный номер"));
        cell(ColName, row.Name, kEditable, QStringLiteral(", имя"));
    }
    Filling = false;
    Commit->setEnabled(Editor.Pending());
}

void TPrgNumForm::CellChanged(QTableWidgetItem* item) {
    if (Filling) return;
    if (item->column() == ColNumber) Editor.SetNumber(item->row(), Std(item->text()));
    if (item->column() == ColName) Editor.SetName(item->row(), Std(item->text()));
    Commit->setEnabled(Editor.Pending());
}

bool TPrgNumForm::NumberKey(QLineEdit* editor, const QKeyEvent& key) {
    char typed = '\0';
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            return false;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter always ends the editing; the rule only decides whether it counts as typing.
            Editor.Key(Cells->currentRow(), Std(editor->text()), '\r', Ctx.Dlg());
            Commit->setEnabled(Editor.Pending());
            return false;
        case Qt::Key_Backspace:
            typed = '\b';
            break;
        default: {
            const QString text = key.text();
            const bool plain = !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (plain && text.size() == 1 && text.at(0).unicode() < 0x80)
                typed = static_cast<char>(text.at(0).unicode());
        }
    }
    if (typed == '\0') return true;
    const int row = Cells->currentRow();
    const TPrgNumKey result = Editor.Key(row, Std(editor->text()), typed, Ctx.Dlg());
    if (!result.Passed) return true;
    editor->setText(Qs(result.Text));
    // The message may have taken the focus and so closed the editor with the old text.
    if (result.Duplicate && Cells->item(row, ColNumber) != nullptr)
        Cells->item(row, ColNumber)->setText(QString());
    Commit->setEnabled(true);
    return true;
}

void TPrgNumForm::FinishEditing() {
    static_cast<TPrgNumDelegate*>(Cells->itemDelegate())->Finish();
}

bool TPrgNumForm::CommitData() {
    FinishEditing();
    const bool done = Editor.Commit(Ctx.S(), Ctx.D(), Ctx.Dlg());
    // The commit may have cleared numbers, also when it refused the rest.
    const int row = Cells->currentRow();
    const int column = Cells->currentColumn();
    ShowRows();
    if (!done && Editor.RefusedNameRow() >= 0)
        Cells->setCurrentCell(Editor.RefusedNameRow(), ColName);
    else if (row >= 0)
        Cells->setCurrentCell(row, column);
    return done;
}

void TPrgNumForm::reject() {
    FinishEditing();
    if (Editor.Pending() && !CommitData()) return;
    QDialog::reject();
}

}  // namespace zarnik::app
