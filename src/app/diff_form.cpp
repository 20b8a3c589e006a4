#include "app/diff_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <map>

#include "app/form_helpers.h"
#include "platform/file_system.h"

namespace zarnik::app {

namespace {

constexpr const char* kTitle = "Сравнение с файлом конфигурации";
constexpr const char* kHere = "Здесь";
constexpr const char* kInFile = "В файле";
constexpr const char* kEarlier = "Раньше";
constexpr const char* kLater = "Позже";
constexpr const char* kConfigFilter = "Файлы конфигурации мини-АТС|*.ats";
constexpr const char* kTextFilter = "Текстовые файлы|*.txt";

std::string FileNameOnly(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsConfigurationFile(const std::string& path) {
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".ats";
}

QTreeWidgetItem* FieldRow(const TDiffItem& item) {
    const std::string field = item.ByteCount > 0
                                  ? item.Field + " (" + std::to_string(item.ByteCount) + " байт)"
                                  : item.Field;
    if (item.ByteCount > 0) return new QTreeWidgetItem(QStringList{Qs(field)});
    // An empty value is shown as a dash, as the saved list shows it.
    const auto shown = [](const std::string& v) { return Qs(v.empty() ? "—" : v); };
    return new QTreeWidgetItem(QStringList{Qs(field), shown(item.Left), shown(item.Right)});
}

}  // namespace

TDiffForm::TDiffForm(const TAppContext& ctx, TConfigDiff diff, std::string fileName,
                     QWidget* parent, std::string leftFile)
    : QDialog(parent),
      Ctx(ctx),
      Compared(std::move(diff)),
      FileName(std::move(fileName)),
      LeftFile(std::move(leftFile)),
      LeftCaption(LeftFile.empty() ? kHere : kEarlier),
      RightCaption(LeftFile.empty() ? kInFile : kLater) {
    setWindowTitle(Qs(kTitle));
    setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    // Heard by the summary it shows; the caption is its description.
    SummaryText = new QLabel(this);
    SummaryText->setObjectName(QStringLiteral("Итог сравнения"));
    SummaryText->setAccessibleDescription(SummaryText->objectName());
    SummaryText->setWordWrap(true);
    SummaryText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(SummaryText);

    Differences = Named(new QTreeWidget(this), QStringLiteral("Различия"));
    Differences->setColumnCount(3);
    Differences->setHeaderLabels(
        {QStringLiteral("Таблица, запись, поле"), Qs(LeftCaption), Qs(RightCaption)});
    Differences->setUniformRowHeights(true);
    Differences->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    Differences->setColumnWidth(0, 560);
    Differences->setColumnWidth(1, 170);
    layout->addWidget(Differences, 1);

    Export = CaptionedButton<QPushButton>(QStringLiteral("Сохранить список в файл..."), this);
    Close = CaptionedButton<QPushButton>(QStringLiteral("Закрыть"), this);
    Export->setAutoDefault(false);
    Close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Export);
    buttons->addStretch();
    buttons->addWidget(Close);
    layout->addLayout(buttons);

    connect(Export, &QPushButton::clicked, this, &TDiffForm::SaveText);
    connect(Close, &QPushButton::clicked, this, &QDialog::accept);
    Export->setEnabled(!Compared.Equal());

    Fill();
    resize(1000, 620);
}

void TDiffForm::Fill() {
    std::string summary =
        LeftFile.empty()
            ? std::string(kHere) + ": конфигурация в программе. " + kInFile + ": " +
                  FileNameOnly(FileName) + ".\n"
            : std::string(kEarlier) + ": " + FileNameOnly(LeftFile) + ". " + kLater + ": " +
                  FileNameOnly(FileName) + ".\n";
    summary += Compared.Equal() ? "Конфигурации совпадают."
                                : "Всего: " + DifferenceCount(Compared.Items.size()) + ".";
    if (!Compared.TablesNotCompared.empty()) summary += "\n" + Compared.TablesNotCompared;
    SummaryText->setText(Qs(summary));

    FillDiffTree(Differences, Compared, DifferenceCount);
}

void FillDiffTree(QTreeWidget* tree, const TConfigDiff& diff, std::string (*count)(std::size_t)) {
    for (const TDiffSection& section : GroupBySection(diff)) {
        auto* top = new QTreeWidgetItem(
            QStringList{Qs(section.Section + " (" + count(section.Items.size()) + ")")});
        tree->addTopLevelItem(top);
        // Fields of one record gather under it; fields of the whole table sit under the table.
        std::map<std::string, QTreeWidgetItem*> records;
        for (const TDiffItem* item : section.Items) {
            QTreeWidgetItem* parent = top;
            if (!item->Record.empty()) {
                QTreeWidgetItem*& record = records[item->Record];
                if (record == nullptr) {
                    record = new QTreeWidgetItem(QStringList{Qs(item->Record)});
                    top->addChild(record);
                }
                parent = record;
            }
            parent->addChild(FieldRow(*item));
        }
    }
    tree->expandAll();
    if (tree->topLevelItemCount() > 0) tree->setCurrentItem(tree->topLevelItem(0));
}

std::string TDiffForm::Text() const {
    const std::string left = LeftFile.empty() ? LeftCaption : LeftCaption + " " + LeftFile;
    return DiffText(Compared, left, RightCaption + " " + FileName);
}

void TDiffForm::SaveText() {
    const std::string dir = DatDirectoryPath(Ctx.S().BaseDir);
    const std::optional<std::string> path =
        Ctx.Dlg().SaveFile("Сохранение списка различий", kTextFilter, dir);
    if (!path) return;
    if (IsConfigurationFile(*path)) {
        // The list must never take the place of a configuration.
        Ctx.Dlg().Message(
            "Список различий не записывается в файл конфигурации (.ats): выберите "
            "другое имя.",
            "Ошибка");
        return;
    }
    std::string why;
    if (!WriteFileAtomically(*path, Text(), &why))
        Ctx.Dlg().Message("Не могу записать список различий в файл " + *path + ": " + why,
                          "Ошибка");
}

bool CompareWithFile(const TAppContext& ctx, QWidget* parent) {
    const std::string dir = DatDirectoryPath(ctx.S().BaseDir);
    const std::optional<std::string> name =
        ctx.Dlg().OpenFile("Сравнение с файлом конфигурации мини-АТС", kConfigFilter, dir);
    if (!name) return false;
    return CompareHandWithFile(ctx, *name, parent);
}

bool CompareHandWithFile(const TAppContext& ctx, const std::string& path, QWidget* parent) {
    const std::optional<TLoadedConfig> file = LoadConfigForDiff(ctx.Dlg(), ctx.S().BaseDir, path);
    if (!file) return false;
    TDiffTables all{};
    all.fill(true);
    TConfigDiff diff = CompareConfigurations({ctx.S(), ctx.D(), TablesInHand(ctx.S())},
                                             {*file->Session, *file->Store, file->Held}, all);
    TDiffForm form(ctx, std::move(diff), path, parent);
    form.exec();
    return true;
}

bool CompareTwoFiles(const TAppContext& ctx, const std::string& earlier, const std::string& later,
                     QWidget* parent) {
    const std::optional<TLoadedConfig> left = LoadConfigForDiff(ctx.Dlg(), ctx.S().BaseDir, earlier);
    if (!left) return false;
    const std::optional<TLoadedConfig> right = LoadConfigForDiff(ctx.Dlg(), ctx.S().BaseDir, later);
    if (!right) return false;
    TDiffTables all{};
    all.fill(true);
    TConfigDiff diff = CompareConfigurations({*left->Session, *left->Store, left->Held},
                                             {*right->Session, *right->Store, right->Held}, all);
    TDiffForm form(ctx, std::move(diff), later, parent, earlier);
    form.exec();
    return true;
}

}  // namespace zarnik::app
