// The routing tables window: the list of tables, the 4 x 5 grid, the port choice list over a
// cell, the table's name, and the file round trip.
#include "app/routing_table_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include "editors/name_rules.h"
#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

struct TRoutingWindow {
    TRoutingWindow() : W("Dogwood") {
        for (const TPortPtr& p : Store().Ports)
            if (p->Type == kPortTypeSubscriber) Lines.push_back(p->Number);
        Store().Names->SetPortName(Line(Lines[0]) - 1, Utf8ToCp1251("Секретарь"));
        Store().Names->SetNavedenName(1, Utf8ToCp1251("Ночная смена"));
        Store().RoutingTables[0].Clear();
        Store().RoutingTables[0].Rows[0] = {Lines[0], Lines[1], 0, 0, 0};
    }
    int Line(int port) { return port - 199; }  // the ten-port family
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    // The port list's row that shows the port.
    int ChoiceOf(app::TRoutingTableForm& form, int port) {
        const auto items =
            form.PortList()->findItems(QString::number(port) + " (", Qt::MatchStartsWith);
        return items.isEmpty() ? -1 : form.PortList()->row(items.front());
    }
    void Choose(app::TRoutingTableForm& form, int row, int column, int port) {
        form.ChoosePortFor(row, column);
        ASSERT_TRUE(form.PortList()->isVisible());
        form.PortList()->setCurrentRow(port == 0 ? 0 : ChoiceOf(form, port));
        QTest::keyClick(form.PortList(), Qt::Key_Return);
    }
    test::TLoadedWindowStation W;
    std::vector<int> Lines;
};

TEST(RoutingTableForm, ShowsTheTablesAndTheirLines) {
    TRoutingWindow t;
    app::TRoutingTableForm form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование таблиц наведения");
    const int count = t.Session().Identity.RoutingTableCount;
    ASSERT_GT(count, 1);
    ASSERT_EQ(form.TableList()->count(), count);
    EXPECT_EQ(form.TableList()->item(0)->text(), "01  ");
    EXPECT_EQ(form.TableList()->item(1)->text(), "02  Ночная смена");
    QTableWidget* grid = form.Grid();
    ASSERT_EQ(grid->rowCount(), 4);
    ASSERT_EQ(grid->columnCount(), 5);
    EXPECT_EQ(grid->item(0, 0)->text(), QString::number(t.Lines[0]) + " (Секретарь)");
    EXPECT_EQ(grid->item(0, 1)->text(), QString::number(t.Lines[1]) + " ()");
    EXPECT_EQ(grid->item(0, 2)->text(), "");
    EXPECT_EQ(form.NameField()->accessibleName(), "Имя таблицы наведения:");

    // The choice list: the empty entry, then subscriber lines and system phones only.
    form.ChoosePortFor(1, 0);
    ASSERT_TRUE(form.PortList()->isVisible());
    EXPECT_EQ(form.PortList()->item(0)->text(), "");
    std::size_t offered = 0;
    for (const TPortPtr& p : t.Store().Ports) {
        const bool line = p->Type == kPortTypeSubscriber || p->Type == kPortTypeSta;
        EXPECT_EQ(t.ChoiceOf(form, p->Number) > 0, line) << p->Number;
        offered += line;
    }
    EXPECT_EQ(form.PortList()->count(), static_cast<int>(offered) + 1);
    QTest::keyClick(form.PortList(), Qt::Key_Escape);
    EXPECT_FALSE(form.PortList()->isVisible());
    EXPECT_FALSE(t.Session().Changed(ETable::RoutingTables));

    // From the keyboard: Enter on a cell opens the list.
    grid->setFocus();
    grid->setCurrentCell(2, 3);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(form.PortList()->isVisible());
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(RoutingTableForm, AChosenLineIsStoredAndEncodedAtOnce) {
    TRoutingWindow t;
    app::TRoutingTableForm form(t.W.Ctx());
    form.show();
    form.NameField()->setText(QStringLiteral("Дневная"));
    t.Choose(form, 1, 0, t.Lines[4]);
    EXPECT_FALSE(form.PortList()->isVisible());
    const TNavedenRecord& table = t.Store().RoutingTables[0];
    EXPECT_EQ(table.Rows[1][0], t.Lines[4]);
    EXPECT_EQ(form.Grid()->item(1, 0)->text(), QString::number(t.Lines[4]) + " ()");
    EXPECT_TRUE(t.Session().Changed(ETable::RoutingTables));
    // The name went with it, and the list shows it.
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetNavedenName(0)), "Дневная");
    EXPECT_EQ(form.TableList()->item(0)->text(), "01  Дневная");
    // Encoded: row 0 two lines and its 0, row 1 one line and its 0, two empty rows.
    const TRawSlot& raw = t.Session().Area(ETable::RoutingTables).Slots[0];
    const std::vector<std::uint8_t> bytes(raw.Bytes.begin(), raw.Bytes.begin() + raw.Length);
    const auto line = [&t](int i) { return static_cast<std::uint8_t>(t.Line(t.Lines[i])); };
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{line(0), line(1), 0, line(4), 0, 0, 0}));

    // A line put after a gap closes up to the left: a row is read up to its first gap.
    t.Choose(form, 0, 4, t.Lines[6]);
    EXPECT_EQ(table.Rows[0],
              (std::array<std::int32_t, 5>{t.Lines[0], t.Lines[1], t.Lines[6], 0, 0}));
    // The empty entry takes a line out; the ones behind it move up.
    t.Choose(form, 0, 0, 0);
    EXPECT_EQ(table.Rows[0], (std::array<std::int32_t, 5>{t.Lines[1], t.Lines[6], 0, 0, 0}));
    EXPECT_EQ(form.Grid()->item(0, 2)->text(), "");
}

TEST(RoutingTableForm, NamesAreStoredByEnterByLeavingTheTableAndByClosing) {
    TRoutingWindow t;
    app::TRoutingTableForm form(t.W.Ctx());
    form.show();
    form.NameField()->setText(QStringLiteral("Офис"));
    QTest::keyClick(form.NameField(), Qt::Key_Return);
    EXPECT_EQ(form.TableList()->item(0)->text(), "01  Офис");

    form.NameField()->setText(QStringLiteral("Офис 2"));
    form.TableList()->setCurrentRow(1);
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetNavedenName(0)), "Офис 2");
    EXPECT_EQ(form.NameField()->text(), "Ночная смена");

    // A name too long keeps the table on show and the names as they were.
    const QString tooLong(static_cast<int>(kMaxNameChars) + 1, QLatin1Char('n'));
    form.NameField()->setText(tooLong);
    t.W.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
    form.TableList()->setCurrentRow(2);
    EXPECT_EQ(form.TableList()->currentRow(), 1);
    t.W.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
    t.Choose(form, 3, 0, t.Lines[2]);  // nor is a chosen line stored with it
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(t.Store().RoutingTables[1].Rows[3][0], 0);
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetNavedenName(1)), "Ночная смена");

    form.NameField()->setText(QStringLiteral("Выходные"));
    form.reject();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetNavedenName(1)), "Выходные");
    EXPECT_FALSE(t.Session().Changed(ETable::RoutingTables));
}

TEST(RoutingTableForm, AStationWithoutRoutingTablesShowsNoneAndKeepsTheNames) {
    TRoutingWindow t;
    t.Session().Identity.RoutingTableCount = 0;
    t.Store().Names->SetNavedenName(0, Utf8ToCp1251("Старая"));
    app::TRoutingTableForm form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.TableList()->count(), 0);
    EXPECT_FALSE(form.NameField()->isEnabled());
    form.ChoosePortFor(0, 0);
    EXPECT_FALSE(form.PortList()->isVisible());
    form.reject();
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetNavedenName(0)), "Старая");
    EXPECT_FALSE(t.Session().Changed(ETable::RoutingTables));
}

TEST(RoutingTableForm, OneChosenLineIsTheOnlyChangeAFreshProgramLoads) {
    test::TLoadedWindowStation w("Dogwood");
    const std::string dir = w.Station.Dir.Path;
    const auto before =
        test::SaveEveryTable(w.Station.Session, *w.Station.Store, dir + "/before.ats");
    const auto tables = w.Station.Store->RoutingTables;
    int chosen = 0;
    {
        app::TRoutingTableForm form(w.Ctx());
        form.show();
        form.TableList()->setCurrentRow(2);
        form.ChoosePortFor(3, 0);
        form.PortList()->setCurrentRow(3);
        chosen = std::stoi(form.PortList()->currentItem()->text().toStdString());
        QTest::keyClick(form.PortList(), Qt::Key_Return);
    }
    auto expected = tables;
    expected[2].Rows[3][0] = chosen;
    ASSERT_EQ(w.Station.Store->RoutingTables[2].Rows, expected[2].Rows);
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(w.Station.Session, *w.Station.Store, path);
    test::ExpectOnlyTableChanged(before, after, ETable::RoutingTables);
    const auto fresh = test::LoadedFresh("Dogwood", path);
    for (std::size_t t = 0; t < kMaxRoutingTables; ++t)
        EXPECT_EQ(fresh->Store->RoutingTables[t].Rows, expected[t].Rows) << t;
}

TEST(RoutingTableForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    TRoutingWindow t;
    TNamesList& names = *t.Store().Names;
    names.SetNavedenName(0, Utf8ToCp1251("Приёмная"));
    names.SetNavedenName(2, Utf8ToCp1251("Склад"));
    names.SetPortName(t.Line(t.Lines[1]) - 1, Utf8ToCp1251("Бухгалтер"));
    names.SetPortName(t.Line(t.Lines[4]) - 1, Utf8ToCp1251("Директор"));
    t.Store().RoutingTables[0].Rows[1] = {t.Lines[4], t.Lines[5], 0, 0, 0};
    app::TRoutingTableForm form(t.W.Ctx());
    form.show();
    form.ChoosePortFor(1, 2);
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("routing_tables.png"))));
}

}  // namespace
}  // namespace zarnik
