// The directory windows: export writes the ticked sheets into the folder, import shows what a
// sheet changes and stores it only on "Применить"; pictures of both for the documentation.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/directory_export_form.h"
#include "app/directory_import_form.h"
#include "app/window_table.h"
#include "editors/program_number_editor.h"
#include "gui/window_test_support.h"
#include "model/broadcaster.h"
#include "platform/file_system.h"
#include "platform/text_1251.h"
#include "support/file_test_helpers.h"

namespace zarnik {
namespace {

// A lines sheet of the station with two numbers and a name changed, as a spreadsheet saves it.
std::string EditedLines(const TDataStream& store) {
    auto rows = SheetRows(store, ESheet::Lines);
    rows[1][2] = "1901";
    rows[1][3] = "Приемная";
    rows[2][2] = "1902";
    std::reverse(rows.begin() + 1, rows.end());
    return WriteCsv(rows, {ECsvEncoding::Cp1251, ';'});
}

TEST(DirectoryForms, ExportWritesTheTickedSheetsAndAsksBeforeReplacing) {
    test::TLoadedWindowStation w("Dogwood");
    app::TDirectoryExportForm form(w.Ctx());
    test::ExpectUsableByKeyboardAndReader(form);
    const std::string dir = DatDirectoryPath(w.Station.Dir.Path);
    EXPECT_EQ(form.FolderField()->text().toStdString(), dir);
    form.SheetBox(ESheet::GroupBooks)->setChecked(false);
    form.SeparatorChoice()->setCurrentIndex(1);
    form.ExportButton()->click();
    EXPECT_TRUE(FileExists(dir + "/lines.csv"));
    EXPECT_TRUE(FileExists(dir + "/book.csv"));
    EXPECT_TRUE(FileExists(dir + "/bwlist.csv"));
    EXPECT_FALSE(FileExists(dir + "/groupbooks.csv"));
    const std::string lines = test::ReadBytes(dir + "/lines.csv");
    EXPECT_TRUE(lines.starts_with("\xEF\xBB\xBFПорт,Тип,Программный номер,Имя,Группа\r\n"));
    EXPECT_NE(form.Status()->text().toStdString().find("lines.csv, book.csv, bwlist.csv"),
              std::string::npos);

    // Files already there are replaced only when the user agrees.
    test::WriteBytes(dir + "/lines.csv", "old");
    w.Dialogs.ExpectQuestion("В папке уже есть lines.csv, book.csv, bwlist.csv. Заменить?",
                             TAnswer::Cancel);
    EXPECT_FALSE(form.WriteSheets());
    EXPECT_EQ(test::ReadBytes(dir + "/lines.csv"), "old");
    form.FolderField()->setText(QString::fromStdString(dir + "/none"));
    w.Dialogs.ExpectMessage();
    EXPECT_FALSE(form.WriteSheets());
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(DirectoryForms, ImportShowsTheChangesAndStoresThemOnlyOnApply) {
    test::TLoadedWindowStation w("Dogwood");
    TDataStream& store = *w.Station.Store;
    const std::string csv = w.Station.Dir.Path + "/lines.csv";
    test::WriteBytes(csv, EditedLines(store));
    const TPrgNumRow first = TProgramNumberEditor(store).Rows()[0];
    w.Dialogs.ExpectOpen(csv);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<app::TDirectoryImportForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        seen = true;
        test::ExpectUsableByKeyboardAndReader(*form);
        form->show();
        form->ChooseButton()->click();
        EXPECT_EQ(form->FileField()->text().toStdString(), csv);
        // Shown, not stored.
        EXPECT_EQ(form->Changes()->topLevelItemCount(), 2);
        EXPECT_EQ(form->Changes()->topLevelItem(0)->text(0).toStdString(),
                  "Программные номера (2 изменения)");
        EXPECT_TRUE(form->ApplyButton()->isEnabled());
        EXPECT_EQ(FindPort(store, first.Port)->AlData->AL_PrgNum, Utf8ToCp1251(first.Number));
        EXPECT_FALSE(w.Station.Session.Changed(ETable::ProgramNumbers));
        form->ApplyButton()->click();
        EXPECT_FALSE(form->ApplyButton()->isEnabled());
        EXPECT_EQ(FindPort(store, first.Port)->AlData->AL_PrgNum, "1901");
        EXPECT_TRUE(w.Station.Session.Changed(ETable::ProgramNumbers));
        for (QPushButton* b : form->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Закрыть")) b->click();
    });
    EXPECT_TRUE(app::OpenCommandWindow(ECommand::DirectoryImport, w.Ctx(), nullptr));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(DirectoryForms, ABadSheetIsListedByLineAndChangesNothing) {
    test::TLoadedWindowStation w("Dogwood");
    const std::string csv = w.Station.Dir.Path + "/bad.csv";
    const int port = TProgramNumberEditor(*w.Station.Store).Rows()[0].Port;
    test::WriteBytes(csv, "Порт;Программный номер\n" + std::to_string(port) + ";2\n");
    const std::string before = test::SessionPrint(w.Station.Session);
    app::TDirectoryImportForm form(w.Ctx());
    form.FileField()->setText(QString::fromStdString(csv));
    form.CheckButton()->click();
    EXPECT_FALSE(form.ApplyButton()->isEnabled());
    EXPECT_FALSE(form.ApplyChanges());
    EXPECT_NE(form.Problems()->toPlainText().toStdString().find(
                  "Ошибка. Строка 2: программный номер «2»"),
              std::string::npos);
    EXPECT_EQ(form.Changes()->topLevelItemCount(), 0);
    EXPECT_EQ(test::SessionPrint(w.Station.Session), before);
}

using test::Grab;

TEST(DirectoryForms, ScreenshotOfBothWindows) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    QDir().mkpath(dir);
    test::TLoadedWindowStation w("Dogwood");
    TDataStream& store = *w.Station.Store;
    const auto rows = TProgramNumberEditor(store).Rows();
    const char* names[] = {"Секретарь", "Бухгалтерия", "Склад"};
    for (int i = 0; i < 3; ++i)
        store.Names->SetPortName(
            TBroadcaster::GetLineNumFromPortNum("Dogwood", std::to_string(rows[i].Port)) - 1,
            Utf8ToCp1251(names[i]));
    {
        app::TDirectoryExportForm form(w.Ctx());
        Grab(form, dir, "directory_export.png");
    }
    const std::string csv = w.Station.Dir.Path + "/lines.csv";
    test::WriteBytes(csv, EditedLines(store));
    app::TDirectoryImportForm form(w.Ctx());
    form.FileField()->setText(QString::fromStdString(csv));
    form.CheckButton()->click();
    Grab(form, dir, "directory_import.png");
}

}  // namespace
}  // namespace zarnik
