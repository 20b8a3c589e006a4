// The black and white lists window: six grids of ten numbers, the keys a number takes, the
// commit of all sixty in section order, and the file round trip.
#include "app/bw_list_form.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

QString TypeInto(QTableWidget* grid, int row, const QString& keys) {
    grid->setFocus();
    grid->setCurrentCell(row, 0);
    grid->editItem(grid->item(row, 0));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    if (editor == nullptr) {
        ADD_FAILURE() << "no editor on row " << row;
        return {};
    }
    QTest::keyClicks(editor, keys);
    QTest::keyClick(editor, Qt::Key_Backspace);  // backspace is always taken
    const QString text = editor->text();
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor hands its text over and closes queued
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}

TEST(BwListForm, SixGridsTakeEightSymbolsAndCommitInSectionOrder) {
    test::TLoadedWindowStation w("Dogwood");
    TDataStream& store = *w.Station.Store;
    store.BlackWhiteList.Entries[0] = "8800";
    store.BlackWhiteList.Entries[59] = "810#";
    app::TBwListForm form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Белые и черная записные книжки");
    const auto groups = form.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0]->title(), "1,2,3,4 и 5-я секции белой книжки");
    EXPECT_EQ(groups[1]->title(), "Черная книжка");
    for (std::size_t s = 0; s < kBwSections; ++s) EXPECT_EQ(form.Section(s)->rowCount(), 10);
    EXPECT_EQ(form.Section(0)->item(0, 0)->text(), "8800");
    EXPECT_EQ(form.Section(5)->item(9, 0)->text(), "810#");
    EXPECT_EQ(form.Section(5)->accessibleName(), "Черная книжка");

    // Eight symbols at most; other keys are dropped; backspace takes the last one back.
    EXPECT_EQ(TypeInto(form.Section(1), 2, "12x-3p*#aT99"), "123p*#a");
    EXPECT_EQ(TypeInto(form.Section(5), 0, "8809"), "880");
    form.Section(4)->item(9, 0)->setText(QStringLiteral("112"));
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    const auto& e = store.BlackWhiteList.Entries;
    EXPECT_EQ(e[0], "8800");
    EXPECT_EQ(e[12], "123P*#A");
    EXPECT_EQ(e[49], "112");
    EXPECT_EQ(e[50], "880");
    EXPECT_EQ(e[59], "810#");
    EXPECT_TRUE(w.Station.Session.Changed(ETable::BlackWhiteLists));
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(BwListForm, CancelAndARefusedNumberChangeNothing) {
    test::TLoadedWindowStation w("Dogwood");
    const auto before = w.Station.Store->BlackWhiteList.Entries;
    const auto raw = test::RawImage(w.Station.Session.Area(ETable::BlackWhiteLists));
    app::TBwListForm form(w.Ctx());
    form.show();
    form.Section(0)->item(1, 0)->setText(QStringLiteral("1234"));
    form.Section(2)->item(3, 0)->setText(QStringLiteral("123456789"));  // one too many
    w.Dialogs.ExpectMessage("Ошибка во введенных данных.");
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_TRUE(w.Dialogs.AllSeen());
    EXPECT_TRUE(form.isVisible());
    QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(w.Station.Store->BlackWhiteList.Entries, before);
    EXPECT_EQ(test::RawImage(w.Station.Session.Area(ETable::BlackWhiteLists)), raw);
    EXPECT_FALSE(w.Station.Session.Changed(ETable::BlackWhiteLists));
}

TEST(BwListForm, OneChangedNumberIsTheOnlyChangeAFreshProgramLoads) {
    test::TLoadedWindowStation w("Dogwood");
    const std::string dir = w.Station.Dir.Path;
    const auto before =
        test::SaveEveryTable(w.Station.Session, *w.Station.Store, dir + "/before.ats");
    const auto entries = w.Station.Store->BlackWhiteList.Entries;
    {
        app::TBwListForm form(w.Ctx());
        form.show();
        form.Section(3)->item(4, 0)->setText(QStringLiteral("8495*"));
        QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
        ASSERT_EQ(form.result(), QDialog::Accepted);
    }
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(w.Station.Session, *w.Station.Store, path);
    test::ExpectOnlyTableChanged(before, after, ETable::BlackWhiteLists);
    const auto fresh = test::LoadedFresh("Dogwood", path);
    for (std::size_t i = 0; i < kBwListEntries; ++i)
        EXPECT_EQ(fresh->Store->BlackWhiteList.Entries[i], i == 34 ? "8495*" : entries[i]) << i;
}

}  // namespace
}  // namespace zarnik
