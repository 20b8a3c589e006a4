// The composition, report and about windows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/about_form.h"
#include "app/composition_form.h"
#include "app/report_form.h"
#include "flows/status_lines.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

TEST(CompositionForm, ShowsEveryBoardUnderTheFiveHeadings) {
    test::TLoadedWindowStation w("Dogwood");
    const auto rows = CompositionRows(*w.Station.Store);
    ASSERT_FALSE(rows.empty());
    app::TATSComplectForm form(w.Ctx());
    EXPECT_EQ(form.windowTitle(), "Cостав АТС");
    QTableWidget* grid = form.Grid();
    ASSERT_EQ(grid->columnCount(), 5);
    const QStringList headings{"№", "Тип платы", "Зав. номер", "Версия ПО", "Дата прошивки"};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), headings[c]);
    EXPECT_EQ(grid->rowCount(), std::max<int>(15, static_cast<int>(rows.size())));
    for (int r = 0; r < grid->rowCount(); ++r) {
        EXPECT_EQ(grid->item(r, 0)->text(), QString::number(r + 1));
        for (int c = 1; c < 5; ++c) {
            const std::string expected =
                r < static_cast<int>(rows.size())
                    ? rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]
                    : "";
            EXPECT_EQ(grid->item(r, c)->text().toStdString(), expected) << r << "," << c;
        }
        EXPECT_FALSE(grid->item(r, 1)->data(Qt::AccessibleDescriptionRole).toString().isEmpty());
    }
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    // A composition longer than fifteen boards shows every board rather than hiding some.
    w.Station.Store->CompositionCount = 20;
    form.ShowStore();
    EXPECT_EQ(grid->rowCount(), 20);
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(ReportForm, StartsWithEveryBoxTickedAndTheNoteOnTheWorkbookFile) {
    test::TLoadedWindowStation w("Dogwood");
    app::TReportForm form(w.Ctx());
    EXPECT_EQ(form.windowTitle(), "Формирование отчета о конфигурации АТС");
    EXPECT_EQ(form.NameField()->text(), "report");
    for (std::size_t i = 0; i < kReportTickCount; ++i) EXPECT_TRUE(form.Tick(i)->isChecked());
    EXPECT_EQ(form.Tick(12)->text(), "Черно-белая книжка");
    const QString note = form.Note()->toPlainText();
    EXPECT_TRUE(note.startsWith("Примечания:\n\n1. "));
    EXPECT_TRUE(note.contains(".xlsx"));
    EXPECT_FALSE(note.contains("установлен"));  // no spreadsheet program is needed
    EXPECT_TRUE(form.Note()->isReadOnly());

    QTest::mouseClick(form.NoneButton(), Qt::LeftButton);
    for (std::size_t i = 0; i < kReportTickCount; ++i) EXPECT_FALSE(form.Tick(i)->isChecked());
    QTest::mouseClick(form.Tick(4), Qt::LeftButton);
    EXPECT_EQ(form.Chosen(), (TReportTicks{false, false, false, false, true}));
    QTest::mouseClick(form.AllButton(), Qt::LeftButton);
    for (std::size_t i = 0; i < kReportTickCount; ++i) EXPECT_TRUE(form.Tick(i)->isChecked());
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(ReportForm, WritesTheWorkbookIntoDatAndSaysWhere) {
    test::TLoadedWindowStation w("Dogwood");
    app::TReportForm form(w.Ctx());
    form.SetOpenInViewer(false);
    form.show();

    form.NameField()->clear();
    w.Dialogs.ExpectMessage("Не указано имя отчета");
    QTest::mouseClick(form.ReportButton(), Qt::LeftButton);
    EXPECT_TRUE(w.Dialogs.AllSeen());
    EXPECT_TRUE(form.WrittenPath().empty());

    QTest::keyClicks(form.NameField(), "office");
    QTest::mouseClick(form.NoneButton(), Qt::LeftButton);
    QTest::mouseClick(form.Tick(11), Qt::LeftButton);  // "Временные установки"
    QTest::mouseClick(form.ReportButton(), Qt::LeftButton);
    QApplication::processEvents();
    const std::string path = form.WrittenPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::path(path).filename(), "office.xlsx");
    EXPECT_EQ(std::filesystem::path(path).parent_path().filename(), "dat");
    std::ifstream file(path, std::ios::binary);
    char magic[2]{};
    file.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");  // a zip container, as a workbook is
    EXPECT_TRUE(form.Status()->text().contains(QString::fromStdString(path)));
    EXPECT_EQ(form.Progress()->value(), 0);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(AboutForm, NamesTheProgramAndClosesWithOk) {
    app::TAboutForm form;
    EXPECT_EQ(form.windowTitle(), "О программе");
    bool titled = false;
    for (QLabel* l : form.findChildren<QLabel*>()) titled |= l->text() == app::kAppTitle;
    EXPECT_TRUE(titled);
    test::ExpectUsableByKeyboardAndReader(form);
    form.show();
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace zarnik
