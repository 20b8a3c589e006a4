#include "app/directory_export_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "platform/file_system.h"

namespace zarnik::app {

namespace {

constexpr const char* kTitle = "Экспорт справочника";
constexpr const char* kError = "Ошибка";

}  // namespace

TDirectoryExportForm::TDirectoryExportForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(Qs(kTitle));
    setAccessibleName(windowTitle());

    auto* sheets = NamedGroup(QStringLiteral("Листы"), this);
    auto* sheetLayout = new QVBoxLayout(sheets);
    for (const TSheetInfo& info : DirectorySheets()) {
        auto* box = CaptionedButton<QCheckBox>(
            Qs(std::string(info.Caption) + " (" + SheetFileName(info.Sheet) + ")"), sheets);
        const std::string why = SheetUnavailable(Ctx.S(), info.Sheet);
        box->setChecked(why.empty());
        box->setEnabled(why.empty());
        box->setToolTip(Qs(why));
        sheetLayout->addWidget(box);
        Boxes[static_cast<std::size_t>(info.Sheet)] = box;
    }

    Folder = new QLineEdit(Qs(DatDirectoryPath(Ctx.S().BaseDir)), this);
    Browse = CaptionedButton<QPushButton>(QStringLiteral("Обзор..."), this);
    Browse->setAutoDefault(false);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Folder, 1);
    folderRow->addWidget(Browse);

    Encoding = new QComboBox(this);
    Encoding->addItems({QStringLiteral("UTF-8 (открывается в Excel и LibreOffice)"),
                        QStringLiteral("Windows-1251")});
    Separator = new QComboBox(this);
    Separator->addItems({QStringLiteral("точка с запятой ( ; )"), QStringLiteral("запятая ( , )"),
                         QStringLiteral("табуляция")});

    auto* form = new QFormLayout;
    form->addRow(BuddyLabel(QStringLiteral("Папка:"), Folder, this), folderRow);
    form->addRow(BuddyLabel(QStringLiteral("Кодировка:"), Encoding, this), Encoding);
    form->addRow(BuddyLabel(QStringLiteral("Разделитель:"), Separator, this), Separator);

    // The result is read out as it stands: no fixed name hides it.
    StatusText = new QLabel(this);
    StatusText->setWordWrap(true);
    StatusText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    Export = CaptionedButton<QPushButton>(QStringLiteral("Экспорт"), this);
    Close = CaptionedButton<QPushButton>(QStringLiteral("Закрыть"), this);
    Export->setDefault(true);
    Close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Export);
    buttons->addWidget(Close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sheets);
    layout->addLayout(form);
    layout->addWidget(StatusText);
    layout->addStretch();
    layout->addLayout(buttons);

    QWidget* previous = Boxes.back();
    for (QWidget* next :
         std::initializer_list<QWidget*>{Folder, Browse, Encoding, Separator, Export, Close}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(Browse, &QPushButton::clicked, this, &TDirectoryExportForm::ChooseFolder);
    connect(Export, &QPushButton::clicked, this, [this] { WriteSheets(); });
    connect(Close, &QPushButton::clicked, this, &QDialog::accept);
    resize(std::max(620, sizeHint().width()), sizeHint().height());
}

void TDirectoryExportForm::ChooseFolder() {
    const QString dir = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Папка для листов справочника"), Folder->text());
    if (!dir.isEmpty()) Folder->setText(dir);
}

bool TDirectoryExportForm::WriteSheets() {
    StatusText->clear();
    const std::string folder = Std(Folder->text().trimmed());
    if (folder.empty() || !DirectoryExists(folder)) {
        Ctx.Dlg().Message("Папки \"" + folder + "\" нет: выберите существующую папку.", kError);
        return false;
    }
    std::vector<ESheet> chosen;
    std::string existing;
    for (const TSheetInfo& info : DirectorySheets()) {
        if (!SheetBox(info.Sheet)->isChecked() || !SheetBox(info.Sheet)->isEnabled()) continue;
        chosen.push_back(info.Sheet);
        if (PathExists(JoinPath(folder, SheetFileName(info.Sheet))))
            existing += (existing.empty() ? "" : ", ") + SheetFileName(info.Sheet);
    }
    if (chosen.empty()) {
        Ctx.Dlg().Message("Не выбрано ни одного листа.", "Уведомление");
        return false;
    }
    if (!existing.empty() && Ctx.Dlg().Question("В папке уже есть " + existing + ". Заменить?",
                                                "Предупреждение") != TAnswer::Ok)
        return false;
    const TCsvFormat format{
        Encoding->currentIndex() == 1 ? ECsvEncoding::Cp1251 : ECsvEncoding::Utf8Bom,
        std::array<char, 3>{
            ';', ',', '\t'}[static_cast<std::size_t>(std::clamp(Separator->currentIndex(), 0, 2))]};
    std::string written;
    for (ESheet sheet : chosen) {
        const std::string path = JoinPath(folder, SheetFileName(sheet));
        std::string why;
        if (!WriteFileAtomically(path, ExportSheet(Ctx.D(), sheet, format), &why)) {
            Ctx.Dlg().Message("Не могу записать " + path + ": " + why, kError);
            break;
        }
        written += (written.empty() ? "" : ", ") + SheetFileName(sheet);
    }
    if (written.empty()) return false;
    StatusText->setText(Qs("Записаны в " + folder + ": " + written + "."));
    return true;
}

}  // namespace zarnik::app
