// The redirection window through its widgets: the grid of a Birch station, the editor over a
// cell with its Enter, Escape and leave rules, "OK" and "Cancel", and the file round trip.
#include "app/redirections_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "model/broadcaster.h"
#include "model/port.h"

namespace zarnik {
namespace {

using Form = app::TRedirectForm;

struct TRedirectWindow {
    explicit TRedirectWindow(const std::string& model = "Birch") : W(model) {
        for (const TPortPtr& p : Store().Ports) {
            if (p->Type == kPortTypeSubscriber) Lines.push_back(p);
            if (p->Type == kPortTypeTrunk && !Trunk) Trunk = p;
        }
    }
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    std::string Print() {
        return test::SessionPrint(Session()) + test::StorePrint(Session(), Store());
    }
    int Index(int port) {
        return TBroadcaster::GetLineNumFromPortNum(Store().Model, std::to_string(port)) - 1;
    }
    TRedirectRecord& Record(int port) {
        return Store().Redirections[static_cast<std::size_t>(Index(port))];
    }
    // The grid's cell of a port: row per board, column per position.
    static std::pair<int, int> CellOf(int port) { return {(port - 200) / 10, port % 10}; }
    QString Text(Form& form, int port) {
        const auto [r, c] = CellOf(port);
        return form.Grid()->item(r, c)->text();
    }
    // Enter on the port's cell, the keys into the editor, then Enter again.
    void Type(Form& form, int port, const QString& keys) {
        const auto [r, c] = CellOf(port);
        form.Grid()->setFocus();
        form.Grid()->setCurrentCell(r, c);
        QTest::keyClick(form.Grid(), Qt::Key_Return);
        ASSERT_TRUE(form.CellEditor()->isVisible());
        QTest::keyClicks(form.CellEditor(), keys);
        QTest::keyClick(form.CellEditor(), Qt::Key_Return);
    }
    test::TLoadedWindowStation W;
    std::vector<TPortPtr> Lines;
    TPortPtr Trunk;
};

TEST(RedirectionsForm, BirchGridShowsBoardsPositionsAndTargets) {
    TRedirectWindow t;
    ASSERT_GE(t.Lines.size(), 3u);
    ASSERT_TRUE(t.Trunk);
    // Row 210, column 3 is port 213 and record 11.
    const TPortPtr line213 = FindPort(t.Store(), 213);
    ASSERT_TRUE(line213);
    const bool redirectable = line213->Type == kPortTypeSubscriber || line213->Type == kPortTypeSta;
    t.Lines[1]->AlData->AL_PrgNum = "1234";
    t.Store().Redirections[11] = {redirectable ? 0 : -1, t.Lines[1]->Number, 0};
    t.Record(t.Lines[0]->Number) = {0, 0, 0};
    Form form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Таблица переадресаций");
    QTableWidget* grid = form.Grid();
    ASSERT_EQ(grid->rowCount(), 10);
    ASSERT_EQ(grid->columnCount(), 8);
    EXPECT_EQ(grid->verticalHeaderItem(1)->text(), "210");
    EXPECT_EQ(grid->verticalHeaderItem(9)->text(), "290");
    EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), "3");
    EXPECT_GE(grid->verticalHeader()->width(), 35);
    EXPECT_EQ(grid->item(1, 3)->data(Qt::AccessibleDescriptionRole).toString(), "Порт 213");
    EXPECT_EQ(grid->item(1, 3)->text(),
              redirectable ? QString::number(t.Lines[1]->Number) + "(1234)" : QString("-----"));
    EXPECT_EQ(t.Text(form, t.Trunk->Number), "-----");
    EXPECT_EQ(t.Text(form, t.Lines[0]->Number), "");
    // The window is as large as its grid.
    EXPECT_GE(form.width(), grid->width());
}

TEST(RedirectionsForm, EditorRefusesTrunkLinesEscapeKeepsTheCellAndCancelChangesNothing) {
    TRedirectWindow t;
    const int from = t.Lines[0]->Number;
    const int to = t.Lines[2]->Number;
    t.Lines[2]->AlData->AL_PrgNum = "105";
    t.Record(from) = {0, to, 0};
    const std::string before = t.Print();
    Form form(t.W.Ctx());
    form.show();
    const QString shown = QString::number(to) + "(105)";
    ASSERT_EQ(t.Text(form, from), shown);

    // A trunk line's cell cannot be redirected.
    const auto [tr, tc] = TRedirectWindow::CellOf(t.Trunk->Number);
    t.W.Dialogs.ExpectMessage("Порт недоступен для данной операции");
    const QRect rect = form.Grid()->visualRect(form.Grid()->model()->index(tr, tc));
    QTest::mouseClick(form.Grid()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(form.Grid()->viewport(), Qt::LeftButton, {}, rect.center());
    ASSERT_FALSE(t.W.Dialogs.Seen.empty());
    EXPECT_EQ(t.W.Dialogs.Seen.back().Caption, "Предупреждение");
    EXPECT_FALSE(form.CellEditor()->isVisible());

    // A trunk line typed as a target is refused and empties the cell.
    t.W.Dialogs.ExpectMessage("Введен неправильный номер.");
    t.Type(form, from, QString::number(t.Trunk->Number));
    EXPECT_FALSE(form.CellEditor()->isVisible());
    EXPECT_EQ(t.Text(form, from), "");

    // Escape closes the editor without change.
    t.Type(form, from, QString::number(to));
    ASSERT_EQ(t.Text(form, from), shown);
    const auto [r, c] = TRedirectWindow::CellOf(from);
    form.Grid()->setCurrentCell(r, c);
    QTest::keyClick(form.Grid(), Qt::Key_Return);
    QTest::keyClicks(form.CellEditor(), "2");
    QTest::keyClick(form.CellEditor(), Qt::Key_Escape);
    EXPECT_FALSE(form.CellEditor()->isVisible());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(t.Text(form, from), shown);

    t.Type(form, t.Lines[1]->Number, QString::number(to));
    QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(t.Print(), before);
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
}

TEST(RedirectionsForm, OkKeepsShownTargetsTakesTypedOnesAndAnOpenEditor) {
    TRedirectWindow t;
    const int a = t.Lines[0]->Number;
    const int b = t.Lines[1]->Number;
    const int c = t.Lines[2]->Number;
    t.Lines[1]->AlData->AL_PrgNum = "1234";
    t.Record(a) = {0, b, 0};  // shown as b(1234): only its first three characters are read
    t.Record(b) = {0, 0, 0};
    t.Record(c) = {0, 0, 0};
    auto expected = t.Store().Redirections;
    Form form(t.W.Ctx());
    form.show();
    ASSERT_EQ(t.Text(form, a), QString::number(b) + "(1234)");
    t.Type(form, b, QString::number(c));
    // c is being typed when "OK" is pressed: taken as when another cell is clicked.
    const auto [r, col] = TRedirectWindow::CellOf(c);
    form.EditCell(r, col);
    QTest::keyClicks(form.CellEditor(), QString::number(a));
    QTest::mouseClick(form.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);

    expected[static_cast<std::size_t>(t.Index(b))].Target = c;
    expected[static_cast<std::size_t>(t.Index(c))].Target = a;
    for (std::size_t i = 0; i < kMaxRedirections; ++i)
        EXPECT_EQ(t.Store().Redirections[i], expected[i]) << i;
    EXPECT_TRUE(t.Session().Changed(ETable::Redirections));
}

TEST(RedirectionsForm, OneTypedTargetIsTheOnlyChangeAFreshProgramLoads) {
    TRedirectWindow t("Cedar");
    const std::string dir = t.W.Station.Dir.Path;
    const auto before = test::SaveEveryTable(t.Session(), t.Store(), dir + "/before.ats");
    const auto records = t.Store().Redirections;
    // Lines the table carries: those below the station's subscriber line count.
    std::vector<TPortPtr> carried;
    for (const TPortPtr& p : t.Lines)
        if (t.Index(p->Number) < t.Store().RedirectionCount) carried.push_back(p);
    ASSERT_GE(carried.size(), 3u);
    const TPortPtr from = carried.front();
    const int to = t.Record(from->Number).Target == carried.back()->Number ? carried[1]->Number
                                                                           : carried.back()->Number;
    {
        Form form(t.W.Ctx());
        form.show();
        t.Type(form, from->Number, QString::number(to));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
    }
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(t.Session(), t.Store(), path);
    test::ExpectOnlyTableChanged(before, after, ETable::Redirections);
    const auto fresh = test::LoadedFresh("Cedar", path);
    auto expected = records;
    expected[static_cast<std::size_t>(t.Index(from->Number))].Target = to;
    for (std::size_t i = 0; i < fresh->Store->RedirectionCount; ++i)
        EXPECT_EQ(fresh->Store->Redirections[i], expected[i]) << i;
    EXPECT_EQ(fresh->Store->RedirectionCount, t.Store().RedirectionCount);
}

TEST(RedirectionsForm, UsableByKeyboardAndReaderOnTheLargestStation) {
    TRedirectWindow t("Dogwood");
    Form form(t.W.Ctx());
    test::ExpectUsableByKeyboardAndReader(form);
    EXPECT_EQ(form.Grid()->rowCount(), 15);
    EXPECT_EQ(form.Grid()->columnCount(), 10);
}

TEST(RedirectionsForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    TRedirectWindow t("Cedar");
    for (std::size_t i = 0; i < t.Store().RedirectionCount; ++i)
        t.Store().Redirections[i].Target = 0;
    const char* numbers[] = {"15", "105", "1234"};
    for (int k = 0; k < 3; ++k) {
        t.Lines[static_cast<std::size_t>(k)]->AlData->AL_PrgNum = numbers[k];
        t.Record(t.Lines[static_cast<std::size_t>(k + 3)]->Number).Target =
            t.Lines[static_cast<std::size_t>(k)]->Number;
    }
    Form form(t.W.Ctx());
    form.show();
    const auto [r, c] = TRedirectWindow::CellOf(t.Lines[7]->Number);
    form.EditCell(r, c);
    QTest::keyClicks(form.CellEditor(), QString::number(t.Lines[0]->Number));
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("redirections.png"))));
}

}  // namespace
}  // namespace zarnik
