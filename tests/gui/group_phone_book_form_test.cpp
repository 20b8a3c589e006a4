// The group phone-book window: the list of groups, a group's book beside the common one,
// commits when moving to another group or closing, and the file round trip.
#include "app/group_phone_book_form.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/phone_book_grid.h"
#include "editors/name_rules.h"
#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using Grid = app::TPhoneBookGrid;

struct TGroupBooks {
    TGroupBooks() : W("Dogwood") {
        TDataStream& store = *W.Station.Store;
        store.Names->SetGroupName(1, Utf8ToCp1251("Бухгалтерия"));
        store.GlobalExtNum->Entries[0] = "84957223311";
        store.GroupExtNums[0].Entries[0] = "88005553535";
        store.GroupExtNums[1].Reset();
        store.GroupExtNums[1].Entries[19] = "103";
    }
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    test::TLoadedWindowStation W;
};

TEST(GroupPhoneBookForm, ShowsTheChosenGroupsBookBesideTheCommonBook) {
    TGroupBooks t;
    app::TGroupPhoneBookForm form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование групповых записных книжек");
    QListWidget* list = form.GroupList();
    ASSERT_EQ(list->count(), 20);
    EXPECT_EQ(list->item(0)->text().left(4), "10  ");
    EXPECT_EQ(list->item(1)->text(), "11  Бухгалтерия");
    EXPECT_EQ(list->item(19)->text().left(2), "29");
    EXPECT_EQ(list->currentRow(), 0);
    Grid* grid = form.Grid();
    ASSERT_EQ(grid->rowCount(), 20);
    EXPECT_EQ(grid->horizontalHeaderItem(grid->CommonColumn())->text(), "Номер в общей книжке");
    EXPECT_EQ(grid->item(19, Grid::ColCode)->text(), "089");
    EXPECT_EQ(grid->item(0, Grid::ColNumber)->text(), "88005553535");
    EXPECT_EQ(grid->item(0, grid->CommonColumn())->text(), "84957223311");
    EXPECT_FALSE(grid->item(0, grid->CommonColumn())->flags() & Qt::ItemIsEditable);

    list->setCurrentRow(1);
    EXPECT_EQ(form.ShownGroup(), 1);
    EXPECT_EQ(grid->item(0, Grid::ColNumber)->text(), "");
    EXPECT_EQ(grid->item(19, Grid::ColNumber)->text(), "103");
    EXPECT_FALSE(t.Session().Changed(ETable::GroupPhoneBooks));  // nothing typed, nothing stored
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(GroupPhoneBookForm, MovingToAnotherGroupOrClosingStoresWhatWasTyped) {
    TGroupBooks t;
    app::TGroupPhoneBookForm form(t.W.Ctx());
    form.show();
    form.Grid()->item(3, Grid::ColNumber)->setText(QStringLiteral("5551"));
    form.Grid()->item(3, form.Grid()->CommentColumn())->setText(QStringLiteral("Склад"));
    form.GroupList()->setCurrentRow(2);
    EXPECT_EQ(t.Store().GroupExtNums[0].Entries[3], "5551");
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetGroupExtNumName(0, 3)), "Склад");
    EXPECT_TRUE(t.Session().Changed(ETable::GroupPhoneBooks));

    // A refused book keeps its group on show with what was typed.
    const QString tooLong(static_cast<int>(kMaxNameChars) + 1, QLatin1Char('x'));
    form.Grid()->item(0, form.Grid()->CommentColumn())->setText(tooLong);
    t.W.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
    form.GroupList()->setCurrentRow(5);
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(form.ShownGroup(), 2);
    EXPECT_EQ(form.GroupList()->currentRow(), 2);
    EXPECT_EQ(form.Grid()->item(0, form.Grid()->CommentColumn())->text(), tooLong);

    // "Внести данные" stores the shown group and leaves the window open.
    form.Grid()->item(0, form.Grid()->CommentColumn())->setText(QString());
    form.Grid()->item(1, Grid::ColNumber)->setText(QStringLiteral("*50#"));
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(t.Store().GroupExtNums[2].Entries[1], "*50#");

    // Closing stores; "Отменить" does not.
    form.Grid()->item(4, Grid::ColNumber)->setText(QStringLiteral("4"));
    form.reject();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(t.Store().GroupExtNums[2].Entries[4], "4");
    form.show();
    form.Grid()->item(5, Grid::ColNumber)->setText(QStringLiteral("5"));
    QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(t.Store().GroupExtNums[2].Entries[5], "");
}

TEST(GroupPhoneBookForm, OneChangedNumberIsTheOnlyChangeAFreshProgramLoads) {
    TGroupBooks t;
    const std::string dir = t.W.Station.Dir.Path;
    const auto before = test::SaveEveryTable(t.Session(), t.Store(), dir + "/before.ats");
    const auto books = t.Store().GroupExtNums;
    {
        app::TGroupPhoneBookForm form(t.W.Ctx());
        form.show();
        form.GroupList()->setCurrentRow(4);
        form.Grid()->item(12, Grid::ColNumber)->setText(QStringLiteral("9T104"));
        QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    }
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(t.Session(), t.Store(), path);
    test::ExpectOnlyTableChanged(before, after, ETable::GroupPhoneBooks);
    const auto fresh = test::LoadedFresh("Dogwood", path);
    for (std::size_t g = 0; g < kGroupPhoneBooks; ++g)
        for (std::size_t i = 0; i < kGroupBookEntries; ++i)
            EXPECT_EQ(fresh->Store->GroupExtNums[g].Entries[i],
                      g == 4 && i == 12 ? "9T104" : books[g].Entries[i])
                << g << " " << i;
}

}  // namespace
}  // namespace zarnik
