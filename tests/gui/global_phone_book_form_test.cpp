// The common phone-book window on a whole built-in station: both ways of showing the book,
// the keys its cells take, commits that store all or nothing, and the file round trip.
#include "app/global_phone_book_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/phone_book_grid.h"
#include "codecs/global_phone_book_codec.h"
#include "editors/name_rules.h"
#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using Grid = app::TPhoneBookGrid;

// Opens the cell's editor and types the keys into it; the editor's text as it then stands.
QString TypeInto(Grid* grid, int row, int column, const QString& keys) {
    grid->setFocus();
    grid->setCurrentCell(row, column);
    grid->editItem(grid->item(row, column));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    if (editor == nullptr) {
        ADD_FAILURE() << "no editor on row " << row << " column " << column;
        return {};
    }
    QTest::keyClicks(editor, keys);
    const QString text = editor->text();
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor hands its text over and closes queued
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}

struct TBookWindow {
    explicit TBookWindow(const std::string& version = "") : W("Dogwood") {
        if (!version.empty()) W.Station.Session.Identity.Version = version;
    }
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    test::TLoadedWindowStation W;
};

TEST(GlobalPhoneBookForm, BelowThirtyEightNumbersShowAsStoredAndTakeFifteenSymbols) {
    TBookWindow t("24,8");
    t.Store().GlobalExtNum->Reset();
    t.Store().GlobalExtNum->Entries[0] = "9810495123456789";
    app::TGlobalPhoneBookForm form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование общей записной книжки");
    Grid* grid = form.Grid();
    ASSERT_EQ(grid->rowCount(), 30);
    EXPECT_EQ(grid->horizontalHeaderItem(Grid::ColDir)->text(), "Dir");
    EXPECT_EQ(grid->horizontalHeaderItem(Grid::ColNumber)->text(), "Номер телефона");
    EXPECT_EQ(grid->horizontalHeaderItem(grid->CommentColumn())->text(), "Комментарий");
    EXPECT_EQ(grid->item(0, Grid::ColCode)->text(), "070");
    EXPECT_EQ(grid->item(29, Grid::ColCode)->text(), "099");
    EXPECT_EQ(grid->item(0, Grid::ColNumber)->text(), "9810495123456789");
    for (int r = 0; r < 30; ++r) {
        EXPECT_EQ(grid->item(r, Grid::ColDir)->text(), "9");
        EXPECT_FALSE(grid->item(r, Grid::ColDir)->flags() & Qt::ItemIsSelectable);
        EXPECT_FALSE(grid->item(r, Grid::ColDir)->flags() & Qt::ItemIsEditable);
    }
    // Fifteen symbols are taken, the sixteenth key and every key of no symbol are not.
    EXPECT_EQ(TypeInto(grid, 5, Grid::ColNumber, "12x-34 56789p*#AaTt0"), "123456789p*#AaT");
    EXPECT_EQ(grid->item(5, Grid::ColNumber)->text(), "123456789p*#AaT");
    EXPECT_EQ(grid->item(5, Grid::ColDir)->text(), "9");
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(GlobalPhoneBookForm, FromThirtyEightAFullEntryAndTheNextShowAsOneNumber) {
    TBookWindow t("30,8");
    TGlobalExtNum& book = *t.Store().GlobalExtNum;
    book.Reset();
    book.Entries[0] = "3123456789012345";
    book.Entries[1] = "6789";
    app::TGlobalPhoneBookForm form(t.W.Ctx());
    form.show();
    Grid* grid = form.Grid();
    EXPECT_EQ(grid->item(0, Grid::ColDir)->text(), "03");
    EXPECT_EQ(grid->item(0, Grid::ColNumber)->text(), "1234567890123456789");
    EXPECT_EQ(grid->item(1, Grid::ColNumber)->text(), "-------");
    for (int c = 0; c < grid->columnCount(); ++c) {
        EXPECT_FALSE(grid->item(1, c)->flags() & Qt::ItemIsSelectable) << c;
        EXPECT_FALSE(grid->item(1, c)->flags() & Qt::ItemIsEditable) << c;
    }
    // The direction: "0" or "9" first, after "0" one of "1".."8", after "9" nothing.
    EXPECT_EQ(TypeInto(grid, 2, Grid::ColDir, "1049"), "04");
    EXPECT_EQ(TypeInto(grid, 3, Grid::ColDir, "95"), "9");
    // A number typed where there is no direction gets "9".
    EXPECT_EQ(TypeInto(grid, 4, Grid::ColNumber, "112"), "112");
    EXPECT_EQ(grid->item(4, Grid::ColDir)->text(), "9");
    // The last row takes 15 symbols, as one cell holds them after the direction.
    EXPECT_EQ(TypeInto(grid, 29, Grid::ColNumber, "12345678901234567"), "123456789012345");
    // The first row may spill over into every cell below it.
    EXPECT_EQ(grid->NumberLimit(0), 479);

    grid->item(2, Grid::ColNumber)->setText(QStringLiteral("777"));
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(book.Entries[0], "3123456789012345");
    EXPECT_EQ(book.Entries[1], "6789");
    EXPECT_EQ(book.Entries[2], "4777");
    EXPECT_EQ(book.Entries[4], "9112");
    EXPECT_EQ(book.Entries[29], "9123456789012345");
    EXPECT_TRUE(t.Session().Changed(ETable::GlobalPhoneBook));
}

TEST(GlobalPhoneBookForm, ARefusedCommitKeepsTheWindowOpenAndCancelChangesNothing) {
    TBookWindow t("30,8");
    t.Store().GlobalExtNum->Reset();
    const auto before = t.Store().GlobalExtNum->Entries;
    const auto raw = test::RawImage(t.Session().Area(ETable::GlobalPhoneBook));
    {
        app::TGlobalPhoneBookForm form(t.W.Ctx());
        form.show();
        Grid* grid = form.Grid();
        grid->item(6, Grid::ColNumber)->setText(QStringLiteral("5"));
        const QString tooLong(static_cast<int>(kMaxNameChars) + 1, QChar(0x0436));
        grid->item(6, grid->CommentColumn())->setText(tooLong);
        t.W.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
        QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
        EXPECT_TRUE(t.W.Dialogs.AllSeen());
        EXPECT_TRUE(form.isVisible());
        EXPECT_NE(form.result(), QDialog::Accepted);

        // A number spilling into a cell that holds a number of its own.
        grid->item(6, grid->CommentColumn())->setText(QStringLiteral("Склад"));
        grid->item(6, Grid::ColNumber)->setText(QString(20, QLatin1Char('1')));
        grid->item(7, Grid::ColNumber)->setText(QStringLiteral("2"));
        t.W.Dialogs.ExpectMessage(
            "Номер ячейки 076 не помещается: ячейка 077 занята другим номером.");
        QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
        EXPECT_TRUE(t.W.Dialogs.AllSeen());
        EXPECT_TRUE(form.isVisible());

        QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_EQ(t.Store().GlobalExtNum->Entries, before);
    EXPECT_EQ(test::RawImage(t.Session().Area(ETable::GlobalPhoneBook)), raw);
    EXPECT_FALSE(t.Session().Changed(ETable::GlobalPhoneBook));
    EXPECT_EQ(t.Store().Names->GetGlobalExtNumName(6), "");
}

TEST(GlobalPhoneBookForm, OneChangedNumberIsTheOnlyChangeAFreshProgramLoads) {
    TBookWindow t;
    const std::string dir = t.W.Station.Dir.Path;
    const auto before = test::SaveEveryTable(t.Session(), t.Store(), dir + "/before.ats");
    const auto entries = t.Store().GlobalExtNum->Entries;
    {
        app::TGlobalPhoneBookForm form(t.W.Ctx());
        form.show();
        form.Grid()->item(7, Grid::ColNumber)->setText(QStringLiteral("84951112233"));
        QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
        ASSERT_EQ(form.result(), QDialog::Accepted);
    }
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(t.Session(), t.Store(), path);
    test::ExpectOnlyTableChanged(before, after, ETable::GlobalPhoneBook);
    const auto fresh = test::LoadedFresh("Dogwood", path);
    for (std::size_t i = 0; i < kGlobalBookEntries; ++i)
        EXPECT_EQ(fresh->Store->GlobalExtNum->Entries[i], i == 7 ? "84951112233" : entries[i]) << i;
}

TEST(GlobalPhoneBookForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    TBookWindow t("30,8");
    TNamesList& names = *t.Store().Names;
    names.SetGlobalExtNumName(0, Utf8ToCp1251("Головной офис"));
    names.SetGlobalExtNumName(1, Utf8ToCp1251("Горячая линия"));
    names.SetGlobalExtNumName(2, Utf8ToCp1251("Справочная"));
    names.SetGlobalExtNumName(3, Utf8ToCp1251("Филиал, длинный номер"));
    app::TGlobalPhoneBookForm form(t.W.Ctx());
    form.show();
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("global_phone_book.png"))));
}

}  // namespace
}  // namespace zarnik
