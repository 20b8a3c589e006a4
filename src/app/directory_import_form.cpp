#include "app/directory_import_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/diff_form.h"
#include "app/form_helpers.h"
#include "platform/file_system.h"

namespace zarnik::app {

namespace {

constexpr const char* kTitle = "Импорт справочника";

std::string ChangeCount(std::size_t count) {
    return CountWithWord(count, "изменение", "изменения", "изменений");
}

}  // namespace

TDirectoryImportForm::TDirectoryImportForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(Qs(kTitle));
    setAccessibleName(windowTitle());

    File = new QLineEdit(this);
    File->setPlaceholderText(QStringLiteral("lines.csv, book.csv, groupbooks.csv, bwlist.csv"));
    auto* fileLabel = BuddyLabel(QStringLiteral("Файл:"), File, this);
    Choose = CaptionedButton<QPushButton>(QStringLiteral("Выбрать файл..."), this);
    Check = CaptionedButton<QPushButton>(QStringLiteral("Проверить"), this);
    Choose->setAutoDefault(false);
    Check->setDefault(true);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(File, 1);
    fileRow->addWidget(Choose);
    fileRow->addWidget(Check);

    // The summary is read out as it stands: no fixed name hides it.
    SummaryText = new QLabel(
        QStringLiteral("Выберите лист справочника (CSV): строки проверяются по правилам окон, "
                       "изменения показываются здесь и вносятся только кнопкой «Применить»."),
        this);
    SummaryText->setWordWrap(true);
    SummaryText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    ChangeTree = Named(new QTreeWidget(this), QStringLiteral("Изменения"));
    ChangeTree->setColumnCount(3);
    ChangeTree->setHeaderLabels({QStringLiteral("Таблица, запись, поле"), QStringLiteral("Было"),
                                 QStringLiteral("Станет")});
    ChangeTree->setUniformRowHeights(true);
    ChangeTree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    ChangeTree->setColumnWidth(0, 480);
    ChangeTree->setColumnWidth(1, 200);

    ProblemText = new QPlainTextEdit(this);
    auto* problemLabel = BuddyLabel(QStringLiteral("Ошибки и предупреждения:"), ProblemText, this);
    ProblemText->setReadOnly(true);
    ProblemText->setTabChangesFocus(true);
    ProblemText->setMaximumHeight(120);

    Apply = CaptionedButton<QPushButton>(QStringLiteral("Применить"), this);
    Close = CaptionedButton<QPushButton>(QStringLiteral("Закрыть"), this);
    Apply->setAutoDefault(false);
    Close->setAutoDefault(false);
    Apply->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Apply);
    buttons->addWidget(Close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(SummaryText);
    layout->addWidget(ChangeTree, 1);
    layout->addWidget(problemLabel);
    layout->addWidget(ProblemText);
    layout->addLayout(buttons);

    QWidget* previous = File;
    for (QWidget* next :
         std::initializer_list<QWidget*>{Choose, Check, ChangeTree, ProblemText, Apply, Close}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(Choose, &QPushButton::clicked, this, &TDirectoryImportForm::ChooseFile);
    connect(Check, &QPushButton::clicked, this, &TDirectoryImportForm::CheckFile);
    connect(Apply, &QPushButton::clicked, this, [this] { ApplyChanges(); });
    connect(Close, &QPushButton::clicked, this, [this] { Applied ? accept() : reject(); });
    // Another file name makes the last check stale.
    connect(File, &QLineEdit::textEdited, this, [this] { Apply->setEnabled(false); });
    resize(1000, 600);
}

void TDirectoryImportForm::ChooseFile() {
    const std::optional<std::string> path = Ctx.Dlg().OpenFile(
        "Импорт справочника", "Таблицы CSV|*.csv", DatDirectoryPath(Ctx.S().BaseDir));
    if (!path) return;
    File->setText(Qs(*path));
    CheckFile();
}

void TDirectoryImportForm::CheckFile() {
    const std::string path = Std(File->text().trimmed());
    if (path.empty()) {
        Ctx.Dlg().Message("Укажите файл листа справочника (CSV).", "Уведомление");
        return;
    }
    Planned = PlanImportFile(Ctx.S(), Ctx.D(), std::nullopt, path);
    Checked = true;
    Show();
}

void TDirectoryImportForm::Show() {
    ChangeTree->clear();
    std::string problems;
    for (const TImportNote& e : Planned.Errors) problems += "Ошибка. " + e.Shown() + "\n";
    for (const TImportNote& w : Planned.Warnings) problems += "Предупреждение. " + w.Shown() + "\n";
    ProblemText->setPlainText(Qs(problems));
    const std::string sheet = "Лист «" + std::string(SheetInfo(Planned.Sheet).Caption) + "»" +
                              (Planned.Cp1251 ? " (файл в кодировке Windows-1251)" : "") + ". ";
    if (!Planned.Ok()) {
        SummaryText->setText(Qs("Файл не принят: ошибок " + std::to_string(Planned.Errors.size()) +
                                " (ниже, со строками файла). Ничего не изменено."));
        Apply->setEnabled(false);
        return;
    }
    if (Planned.Changes.empty()) {
        SummaryText->setText(Qs(sheet + "Изменений нет: справочник совпадает с конфигурацией."));
        Apply->setEnabled(false);
        return;
    }
    TConfigDiff diff;
    diff.Items = Planned.Changes;
    FillDiffTree(ChangeTree, diff, ChangeCount);
    SummaryText->setText(Qs(sheet + "Будет внесено: " + ChangeCount(Planned.Changes.size()) +
                            ". Нажмите «Применить», чтобы внести их."));
    Apply->setEnabled(true);
}

bool TDirectoryImportForm::ApplyChanges() {
    if (!Checked || !Planned.Ok() || Planned.Changes.empty()) return false;
    if (!ApplyImport(Ctx.S(), Ctx.D(), Planned, Ctx.Dlg())) {
        SummaryText->setText(QStringLiteral("Изменения не внесены."));
        return false;
    }
    Applied = true;
    Apply->setEnabled(false);
    SummaryText->setText(Qs("Внесено: " + ChangeCount(Planned.Changes.size()) +
                            ". Измененные таблицы отмечены для записи в АТС, имена сохранены."));
    Planned = TDirectoryImport{};
    return true;
}

}  // namespace zarnik::app
