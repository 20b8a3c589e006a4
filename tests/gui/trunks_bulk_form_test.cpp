// The trunk line grid window through its widgets: what it shows, toggles and choice lists,
// pairing blocked lines, the auto-dial panel by version, closing that stores, the menu command
// on a station without trunk lines, the file round trip and its picture.
#include "app/trunks_bulk_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "flows/offline_constructor.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using Form = app::TTrunksBulkForm;

QString Cell(Form& form, int row, int column) {
    return form.Grid()->item(row, column)->text();
}

void DoubleClick(Form& form, int row, int column) {
    QTableWidget* grid = form.Grid();
    grid->scrollToItem(grid->item(row, column));
    const QPoint at = grid->visualItemRect(grid->item(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// The choice list opened over a cell, the entry chosen with the keyboard.
void ChooseWithKeys(Form& form, int row, int column, const QString& entry) {
    form.Grid()->setCurrentCell(row, column);
    QTest::keyClick(form.Grid(), Qt::Key_Return);
    QListWidget* list = form.ChoiceList();
    ASSERT_TRUE(list->isVisible());
    const auto items = list->findItems(entry, Qt::MatchExactly);
    ASSERT_FALSE(items.isEmpty()) << entry.toStdString();
    list->setCurrentItem(items.front());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
}

TSL& Record(test::TLoadedWindowStation& w, int port) {
    return w.Station.Store
        ->TrunkLines[static_cast<std::size_t>(TrunkRecordIndex(w.Station.Session, port))];
}

TEST(TrunksBulkForm, ShowsEveryTrunkLineTogglesChoosesAndPairsBlockedLines) {
    test::TLoadedWindowStation w("Cedar");
    w.Station.Session.Identity.Version = "24,3";
    Record(w, 200).SL_FAX = false;
    Form form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Одновременное программирование СЛ");
    const std::vector<int> ports = TrunkPorts(w.Station.Session, *w.Station.Store);
    ASSERT_EQ(form.Grid()->rowCount(), static_cast<int>(ports.size()));
    ASSERT_EQ(form.Grid()->columnCount(), 25);
    EXPECT_EQ(Cell(form, 1, 0), "202");
    EXPECT_EQ(form.Grid()->columnWidth(0), 60);
    EXPECT_EQ(form.Grid()->columnWidth(21), 80);
    EXPECT_EQ(form.Grid()->columnWidth(24), 64);
    EXPECT_EQ(Cell(form, 0, 12), "-");  // below 24,4
    EXPECT_EQ(form.Legend(0)->count(), 12);
    EXPECT_EQ(form.Legend(1)->count(), 6);
    EXPECT_EQ(form.Legend(2)->count(), 6);
    EXPECT_EQ(form.Legend(0)->accessibleName(), "Триггерные установки");
    EXPECT_EQ(form.Legend(1)->item(5)->text(), "18 - Направление 9");
    EXPECT_EQ(form.Legend(2)->accessibleName(), "Цифровые установки");

    DoubleClick(form, 0, 3);
    EXPECT_EQ(Cell(form, 0, 3), "X");
    DoubleClick(form, 0, 12);
    EXPECT_EQ(Cell(form, 0, 12), "-");

    ChooseWithKeys(form, 2, 19, "0");
    EXPECT_EQ(Cell(form, 2, 19), "0");
    form.Grid()->setCurrentCell(2, 22);
    QTest::keyClick(form.Grid(), Qt::Key_Return);
    EXPECT_EQ(form.ChoiceList()->count(), 1 + w.Station.Session.Identity.RoutingTableCount);
    QTest::keyClick(form.ChoiceList(), Qt::Key_Escape);
    EXPECT_FALSE(form.ChoiceList()->isVisible());

    // Blocked lines: emptying 200 empties 202, pairing fills both, a taken partner is refused.
    ChooseWithKeys(form, 0, 24, "");
    EXPECT_EQ(Cell(form, 1, 24), "");
    ChooseWithKeys(form, 0, 24, "202");
    EXPECT_EQ(Cell(form, 0, 24), "202");
    EXPECT_EQ(Cell(form, 1, 24), "200");
    ChooseWithKeys(form, 2, 24, "202");
    EXPECT_EQ(Cell(form, 2, 24), "");
    EXPECT_EQ(Cell(form, 1, 24), "200");
    EXPECT_FALSE(w.Station.Session.Changed(ETable::TrunkLines));

    // "Вывести данные в грид" drops the edits; then an edit stored by "Внести данные".
    QTest::mouseClick(form.ShowButton(), Qt::LeftButton);
    EXPECT_EQ(Cell(form, 0, 3), "");
    DoubleClick(form, 0, 3);
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_TRUE(Record(w, 200).SL_FAX);
    EXPECT_TRUE(w.Station.Session.Changed(ETable::TrunkLines));
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(TrunksBulkForm, AutoDialPanelTakesTheVersionsSymbolsEnterStoresEscapeDrops) {
    for (const char* version : {"24,2", "24,3"}) {
        test::TLoadedWindowStation w("Cedar");
        w.Station.Session.Identity.Version = version;
        const bool symbols = std::string(version) == "24,3";
        Form form(w.Ctx());
        form.show();
        DoubleClick(form, 1, 21);
        ASSERT_TRUE(form.AutoDialPanel()->isVisible());
        EXPECT_EQ(form.AutoDialPanel()->title(), "Автонабор СЛ № 202");
        QLineEdit* field = form.AutoDialEdit();
        QTest::keyClicks(field, "1#2*p3x4567890");
        EXPECT_EQ(field->text(), symbols ? "1#2*p345" : "12345678");
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_FALSE(form.AutoDialPanel()->isVisible());
        EXPECT_EQ(Cell(form, 1, 21), symbols ? "1#2*p34" : "1234567");
        EXPECT_TRUE(field->text().isEmpty());

        DoubleClick(form, 1, 21);
        QTest::keyClicks(field, "99");
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_FALSE(form.AutoDialPanel()->isVisible());
        EXPECT_TRUE(field->text().isEmpty());
        EXPECT_EQ(Cell(form, 1, 21), symbols ? "1#2*p34" : "1234567");
        EXPECT_TRUE(form.isVisible());  // Escape closed the panel, not the window

        form.close();  // closing stores the grid
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(Record(w, 202).SL_AutoDial, symbols ? "1#2*p34" : "1234567");
    }
}

TEST(TrunksBulkForm, AStationWithoutTrunkLinesGetsAWarningInsteadOfTheWindow) {
    test::TOfflineSession s;
    TConstructorDraft draft;
    ASSERT_TRUE(draft.SetModel("Cedar"));
    draft.SetVersion(kConstructorVersion);
    ASSERT_TRUE(draft.SetBoard(0, "Neva"));
    ASSERT_EQ(BuildOfflineStation(s.Session, *s.Store, draft), EConstructResult::Built);
    test::TScriptedDialogs dialogs;
    const app::TAppContext ctx = test::ContextOf(s.Session, s.Store, dialogs, nullptr, s.Dir.Path);
    dialogs.ExpectMessage("В АТС отсутствуют СЛ");
    EXPECT_FALSE(app::OpenTrunksBulkWindow(ctx, nullptr));
    ASSERT_EQ(dialogs.Seen.size(), 1u);
    EXPECT_EQ(dialogs.Seen[0].Caption, "Предупреждение");
    EXPECT_FALSE(s.Session.Changed(ETable::TrunkLines));
}

TEST(TrunksBulkForm, FileRoundTripCarriesExactlyTheChangedSwitchAndPartner) {
    test::TLoadedWindowStation w("Dogwood");
    TMainClass& session = w.Station.Session;
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, *w.Station.Store, dir + "/before.ats");
    const std::vector<int> ports = TrunkPorts(session, *w.Station.Store);
    ASSERT_GE(ports.size(), 3u);
    const bool dir9 = Record(w, ports[2]).SL_Dir9;
    ASSERT_EQ(Record(w, ports[0]).SL_Block, ports[1]);  // the first two lines are blocked together
    Form form(w.Ctx());
    form.show();
    DoubleClick(form, 2, 18);
    ChooseWithKeys(form, 0, 24, "");
    form.close();
    EXPECT_FALSE(form.isVisible());
    test::SavedFile(session, *w.Station.Store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::TrunkLines)->Key;
    test::ExpectOnlyThisChange(
        dir + "/before.ats", dir + "/after.ats", ETable::TrunkLines, [&](nlohmann::json& tables) {
            const auto at = [&](int row) {
                return TrunkRecordIndex(session, ports[static_cast<std::size_t>(row)]);
            };
            tables[key][at(2)]["SL_Dir9"] = !dir9;
            tables[key][at(0)]["SL_Block"] = -1;
            tables[key][at(1)]["SL_Block"] = -1;
        });
}

TEST(TrunksBulkForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    test::TLoadedWindowStation w("Dogwood");
    Form form(w.Ctx());
    form.show();
    form.Grid()->setCurrentCell(1, 24);
    QTest::keyClick(form.Grid(), Qt::Key_Return);
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("trunks_bulk.png"))));
}

}  // namespace
}  // namespace zarnik
