// The door phone window through its widgets: what it shows, the open-code keys, stepping with
// commit, a refused commit, and the file round trip of one changed value.
#include "app/door_phone_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editors/door_phone_editor.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using Form = app::TDomofonForm;

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

TEST(DoorPhoneForm, ShowsTheRecordAndStepsWithCommitHeldAtBothEnds) {
    test::TLoadedWindowStation w("Cedar");
    TDataStream& store = *w.Station.Store;
    ASSERT_GE(store.DoorPhoneCount, 2);
    store.DoorPhones[0].DTMFOpening = true;
    store.DoorPhones[0].OpenCode = "4711";
    Form form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование параметров домофонов");
    EXPECT_EQ(form.NumberLabel()->text(), "Домофон № 1");
    EXPECT_TRUE(form.ToneOpenBox()->isChecked());
    EXPECT_EQ(form.CodeEdit()->text(), "4711");
    EXPECT_EQ(form.PortList()->itemText(0), "");
    EXPECT_EQ(form.DayList()->count(), 1 + w.Station.Session.Identity.RoutingTableCount);

    Click(form.PreviousButton());  // the first stays the first
    EXPECT_EQ(form.Index(), 0);
    const bool allLines = store.DoorPhones[0].AllALOpening;
    Click(form.AllLinesOpenBox());
    Click(form.NextButton());  // commits door phone 1 on the way
    EXPECT_EQ(form.NumberLabel()->text(), "Домофон № 2");
    EXPECT_EQ(store.DoorPhones[0].AllALOpening, !allLines);
    EXPECT_TRUE(w.Station.Session.Changed(ETable::DoorPhones));

    while (form.Index() < store.DoorPhoneCount - 1) Click(form.NextButton());
    const int last = form.Index();
    form.DayList()->setCurrentText("3");
    Click(form.NextButton());  // "Следующий" on the last commits and stays
    EXPECT_EQ(form.Index(), last);
    EXPECT_EQ(form.NumberLabel()->text(), QStringLiteral("Домофон № %1").arg(last + 1));
    EXPECT_EQ(store.DoorPhones[static_cast<std::size_t>(last)].DayTable, "3");
    test::ExpectUsableByKeyboardAndReader(form);
    if (const QString look = qEnvironmentVariable("ZARNIK_LOOK_DIR"); !look.isEmpty()) {
        form.show();
        QApplication::processEvents();
        form.grab().save(look + "/door_phones.png");
    }
}

TEST(DoorPhoneForm, OpenCodeTakesDigitsOnlyAndBackspaceIsDiscarded) {
    test::TLoadedWindowStation w("Cedar");
    w.Station.Store->DoorPhones[0].OpenCode.clear();
    Form form(w.Ctx());
    form.show();
    form.CodeEdit()->setFocus();
    QTest::keyClicks(form.CodeEdit(), "1a2*#3 ");
    EXPECT_EQ(form.CodeEdit()->text(), "123");
    QTest::keyClick(form.CodeEdit(), Qt::Key_Backspace);
    EXPECT_EQ(form.CodeEdit()->text(), "123");
    QTest::keyClick(form.CodeEdit(), Qt::Key_Left);
    QTest::keyClick(form.CodeEdit(), Qt::Key_Delete);  // types nothing: not a key the rule drops
    EXPECT_EQ(form.CodeEdit()->text(), "12");
}

TEST(DoorPhoneForm, ARefusedCommitShowsWhyChangesNothingAndKeepsTheWindowOpen) {
    test::TLoadedWindowStation w("Cedar");
    TMainClass& session = w.Station.Session;
    const std::string before = test::SessionPrint(session);
    const std::string storeBefore = test::StorePrint(session, *w.Station.Store);
    Form form(w.Ctx());
    form.show();
    form.NameEdit()->setText(QString(static_cast<int>(kMaxRecordNameLength) + 1, QChar(u'ж')));
    Click(form.AllLinesOpenBox());
    w.Dialogs.ExpectMessage(*NameProblem(form.NameEdit()->text().toStdString()));
    Click(form.NextButton());
    EXPECT_EQ(form.Index(), 0);  // did not move
    w.Dialogs.ExpectMessage(*NameProblem(form.NameEdit()->text().toStdString()));
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(test::SessionPrint(session), before);
    EXPECT_EQ(test::StorePrint(session, *w.Station.Store), storeBefore);

    // "Вывод инфы о текущем домофоне" shows the store again; then the window closes.
    Click(form.ShowButton());
    EXPECT_EQ(form.NameEdit()->text(), QString());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(DoorPhoneForm, FileRoundTripCarriesExactlyTheChangedCode) {
    test::TLoadedWindowStation w("Dogwood");
    TMainClass& session = w.Station.Session;
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, *w.Station.Store, dir + "/before.ats");
    const std::string oldCode = w.Station.Store->DoorPhones[0].OpenCode;
    const std::string newCode = oldCode == "2580" ? "1470" : "2580";
    Form form(w.Ctx());
    form.show();
    form.CodeEdit()->setText(QString::fromStdString(newCode));
    form.close();  // closing commits
    EXPECT_FALSE(form.isVisible());
    test::SavedFile(session, *w.Station.Store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::DoorPhones)->Key;
    test::ExpectOnlyThisChange(
        dir + "/before.ats", dir + "/after.ats", ETable::DoorPhones,
        [&](nlohmann::json& tables) { tables[key][0]["OpenCode"] = newCode; });
}

}  // namespace
}  // namespace zarnik
