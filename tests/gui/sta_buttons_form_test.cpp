// The system-phone button window through its widgets: a station without system phones, codes
// checked as they are entered, buttons per working program, OK and Cancel, the file round trip
// of one changed button, keyboard and screen-reader reach, and its picture.
#include "app/sta_buttons_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/window_table.h"
#include "editors/sta_button_editor.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"
#include "sim/builtin_stations.h"

namespace zarnik {
namespace {

using Form = app::TStaButtonsForm;

constexpr int kCode = 1;
constexpr int kMeaning = 2;

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

std::string Print(test::TLoadedWindowStation& w) {
    return test::SessionPrint(w.Station.Session) +
           test::StorePrint(w.Station.Session, *w.Station.Store);
}

// Types a code into a button's cell the way a user does: the cell's editor, then Enter.
void TypeCode(Form& form, int button, const QString& code) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the last cell editor
    QTableWidget* grid = form.ButtonGrid();
    grid->setCurrentCell(button, kCode);
    grid->editItem(grid->item(button, kCode));
    auto* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, code);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the delegate commits the cell on a queued call
}

TEST(StaButtonsForm, AStationWithoutSystemPhonesGetsAWarningInsteadOfTheWindow) {
    test::TLoadedWindowStation w("Alder");
    TDataStream& store = *w.Station.Store;
    for (std::size_t s = 0; s < store.CompositionCount; ++s)
        if (store.Composition[s].BoardType.starts_with("Lena"))
            store.Composition[s].BoardType = "Svir";
    BuildPorts(store);
    ASSERT_FALSE(StationHasSta(store));
    const std::string before = Print(w);
    w.Dialogs.ExpectMessage("В АТС отсутствуют СТА");
    EXPECT_FALSE(app::OpenCommandWindow(ECommand::StaButtons, w.Ctx(), nullptr));
    ASSERT_FALSE(w.Dialogs.Seen.empty());
    EXPECT_EQ(w.Dialogs.Seen.back().Caption, "Предупреждение");
    EXPECT_TRUE(w.Dialogs.AllSeen());
    EXPECT_EQ(Print(w), before);
}

TEST(StaButtonsForm, ACodeThatDoesNotEncodeIsRefusedAsTypedAndCancelKeepsTheStore) {
    test::TLoadedWindowStation w("Alder");
    const std::string before = Print(w);
    Form form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование кнопок СТА");
    ASSERT_EQ(form.PhoneList()->count(), w.Station.Session.Identity.StaCount);
    form.PhoneList()->setCurrentRow(1);
    QTableWidget* grid = form.ButtonGrid();
    const QString old = grid->item(3, kCode)->text();
    const QString oldMeaning = grid->item(3, kMeaning)->text();

    w.Dialogs.ExpectMessage(CheckButtonCode("412").Error);
    TypeCode(form, 3, QStringLiteral("412"));
    EXPECT_EQ(grid->item(3, kCode)->text(), old);
    EXPECT_EQ(grid->item(3, kMeaning)->text(), oldMeaning);
    ASSERT_FALSE(w.Dialogs.Seen.empty());
    EXPECT_EQ(w.Dialogs.Seen.back().Caption, "Ошибка");

    // A good code shows as the station will hold it, with what it means.
    TypeCode(form, 3, QStringLiteral("S120"));
    EXPECT_EQ(grid->item(3, kCode)->text(), "SL20");
    EXPECT_TRUE(grid->item(3, kMeaning)->text().startsWith(QStringLiteral("СЛ 220")));
    EXPECT_EQ(Print(w), before);  // nothing reaches the store before a commit

    Click(form.CancelButton());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Print(w), before);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(StaButtonsForm, ButtonRowsFollowTheWorkingProgram) {
    for (const auto& [version, rows] : {std::pair{"30,7", 48}, std::pair{"30,8", 60}}) {
        test::TLoadedWindowStation w("Cedar");
        test::TakeStation(sim::MakeBuiltinStation("Cedar", false, version), w.Station.Session,
                          *w.Station.Store);
        Form form(w.Ctx());
        EXPECT_EQ(form.ButtonGrid()->rowCount(), rows) << version;
        EXPECT_EQ(form.ButtonGrid()->item(rows - 1, 0)->text(), QString::number(rows));
    }
}

TEST(StaButtonsForm, FileRoundTripCarriesExactlyTheChangedButton) {
    test::TLoadedWindowStation w("Dogwood");
    TMainClass& session = w.Station.Session;
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, *w.Station.Store, dir + "/before.ats");
    Form form(w.Ctx());
    form.show();
    form.PhoneList()->setCurrentRow(1);
    TypeCode(form, 10, QStringLiteral("Conf5"));
    Click(form.OkButton());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(session.Changed(ETable::StaButtons));
    test::SavedFile(session, *w.Station.Store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::StaButtons)->Key;
    test::ExpectOnlyThisChange(
        dir + "/before.ats", dir + "/after.ats", ETable::StaButtons,
        [&](nlohmann::json& tables) { tables[key][1]["Buttons"][10] = "Conf5"; });
}

TEST(StaButtonsForm, LinkIsChosenFromTheOtherPhonesAndCommittedByItsButton) {
    test::TLoadedWindowStation w("Dogwood");
    Form form(w.Ctx());
    form.show();
    form.PhoneList()->setCurrentRow(2);
    QComboBox* link = form.LinkList();
    EXPECT_EQ(link->itemText(0), "");
    ASSERT_GE(link->count(), 2);
    link->setCurrentIndex(1);
    const int port = link->currentData().toInt();
    Click(form.CommitButton());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(w.Station.Store->StaButtons[2].LinkedSta, port);
    EXPECT_TRUE(w.Station.Session.Changed(ETable::StaButtons));
}

TEST(StaButtonsForm, EveryControlIsNamedAndReachableByKeyboard) {
    test::TLoadedWindowStation w("Dogwood");
    Form form(w.Ctx());
    test::ExpectUsableByKeyboardAndReader(form);
    const QTableWidget* grid = form.ButtonGrid();
    EXPECT_EQ(grid->item(4, kCode)->data(Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("Кнопка 5, Код"));
}

TEST(StaButtonsForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    test::TLoadedWindowStation w("Alder");
    TDataStream& store = *w.Station.Store;
    TNamesList& names = *store.Names;
    std::vector<TPortPtr> lines;
    for (const TPortPtr& p : store.Ports) {
        if (p->Type == kPortTypeSubscriber) lines.push_back(p);
        if (p->Number == 200) names.SetPortName(p->Line - 1, Utf8ToCp1251("Город"));
    }
    ASSERT_GE(lines.size(), 2u);
    names.SetPortName(lines[0]->Line - 1, Utf8ToCp1251("Бухгалтерия"));
    lines[0]->AlData->AL_PrgNum = "101";
    names.SetPortName(lines[1]->Line - 1, Utf8ToCp1251("Склад"));
    names.SetConfName(0, Utf8ToCp1251("Планёрка"));
    names.SetGlobalExtNumName(5, Utf8ToCp1251("Такси"));
    auto& buttons = store.StaButtons[0].Buttons;
    buttons[1] = std::to_string(lines[1]->Number);
    buttons[2] = "SL00";
    buttons[3] = "9";
    buttons[5] = "02";
    buttons[8] = "075";
    buttons[9] = "1234";
    Form form(w.Ctx());
    form.show();
    form.ButtonGrid()->setCurrentCell(4, kCode);
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("sta_buttons.png"))));
}

}  // namespace
}  // namespace zarnik
