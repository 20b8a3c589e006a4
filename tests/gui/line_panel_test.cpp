// The subscriber line panel through its widgets: the switch labels and their rule, the
// direct-call field, version and family rows, the closed trunk line rows, "Отмена", and the
// file round trip of one changed value.
#include "app/line_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "codecs/subscriber_line_codec.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using app::TLinePanel;

// A built-in station of the model and version, read into an offline session, with the context
// a window gets.
struct TPanelStation : test::TOfflineSession {
    TPanelStation(const std::string& model, const std::string& version = "24,8")
        : TOfflineSession(model, version) {
        test::TakeStation(sim::MakeBuiltinStation(model, false, version), Session, *Store);
    }
    app::TAppContext Ctx() { return test::ContextOf(Session, Store, Strict, &Worker, Dir.Path); }
    int FirstLine() const {
        for (const TPortPtr& p : Store->Ports)
            if (LineRecordIndex(Session, *Store, p->Number) >= 0) return p->Number;
        return 0;
    }
    TAL& Record(int port) {
        return Store->Lines[static_cast<std::size_t>(LineRecordIndex(Session, *Store, port))];
    }
    std::string Prints() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
    test::TScriptedDialogs Strict;
    app::TStationWorker Worker;
};

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

TEST(LinePanel, ShowsTheLineBesideItsGroupAndTheSwitchRuleHolds) {
    TPanelStation s("Dogwood");
    const int port = s.FirstLine();
    TAL& al = s.Record(port);
    al.ALGroup = 2;
    al.AL_Own[al_setting::DTMF] = true;
    al.AL_DTMF = true;
    al.AL_Own[al_setting::Redirect] = false;
    al.ALPriority = 2;
    s.Store->Groups[2].GR_Redirect = true;
    s.Store->Groups[2].GR_Priority = 4;
    s.Store->Groups[2].GR_DirectCall = "105";
    s.Store->Names->SetPortName(
        TBroadcaster::GetLineNumFromPortNum("Dogwood", std::to_string(port)) - 1,
        Utf8ToCp1251("Касса"));
    TLinePanel panel(s.Ctx());
    panel.ShowItem(port);
    panel.show();
    EXPECT_EQ(panel.NumberLabel()->text(), QStringLiteral("АЛ %1, группа 12").arg(port));
    EXPECT_EQ(panel.NameEdit()->text(), "Касса");
    EXPECT_EQ(panel.NameEdit()->accessibleName(), "Имя АЛ: ");
    EXPECT_TRUE(panel.GroupValue(al_setting::Redirect)->Checked());
    EXPECT_EQ(panel.Switch(al_setting::Redirect)->text(), "->");
    EXPECT_EQ(panel.Switch(al_setting::DTMF)->text(), "  ");
    EXPECT_TRUE(panel.OwnBox(al_setting::DTMF)->isChecked());
    EXPECT_EQ(panel.OwnBox(al_setting::DTMF)->text(), "Разрешение DTMF набора");
    EXPECT_EQ(panel.PriorityList()->currentText(), "2");
    EXPECT_EQ(panel.GroupPriorityLabel()->text(), "Группа: 4");
    EXPECT_EQ(panel.GroupDirectCallLabel()->text(), "Группа: 105");
    EXPECT_FALSE(panel.Dirty());

    // Checking a box whose row follows the group is undone at once.
    Click(panel.OwnBox(al_setting::Redirect));
    EXPECT_FALSE(panel.OwnBox(al_setting::Redirect)->isChecked());
    EXPECT_FALSE(panel.Dirty());
    // A double click makes the row follow its group and clears its box.
    QTest::mouseDClick(panel.Switch(al_setting::DTMF), Qt::LeftButton);
    EXPECT_EQ(panel.Switch(al_setting::DTMF)->text(), "->");
    EXPECT_FALSE(panel.OwnBox(al_setting::DTMF)->isChecked());
    EXPECT_TRUE(panel.Dirty());
    // "-" on a row's box does the same from the keyboard.
    panel.OwnBox(al_setting::Redirect)->setFocus();
    QTest::keyClick(panel.OwnBox(al_setting::Redirect), Qt::Key_Minus);
    EXPECT_EQ(panel.Switch(al_setting::Redirect)->text(), "  ");
    Click(panel.OwnBox(al_setting::Redirect));
    EXPECT_TRUE(panel.OwnBox(al_setting::Redirect)->isChecked());

    QSignalSpy committed(&panel, &app::TItemPanel::Committed);
    Click(panel.CommitButton());
    EXPECT_EQ(committed.count(), 1);
    EXPECT_FALSE(s.Record(port).AL_Own[al_setting::DTMF]);
    EXPECT_FALSE(s.Record(port).AL_DTMF);
    EXPECT_TRUE(s.Record(port).AL_Own[al_setting::Redirect]);
    EXPECT_TRUE(s.Record(port).AL_Redirect);
    EXPECT_TRUE(s.Session.Changed(ETable::SubscriberLines));
    EXPECT_FALSE(panel.Dirty());
}

TEST(LinePanel, DirectCallKeysAndTheCommitCheck) {
    TPanelStation s("Dogwood");
    const int port = s.FirstLine();
    s.Record(port).ALDirectCall.clear();
    TLinePanel panel(s.Ctx());
    panel.ShowItem(port);
    panel.show();
    QLineEdit* field = panel.DirectCallEdit();
    field->setFocus();
    QTest::keyClicks(field, "1a2*3 45");
    EXPECT_EQ(field->text(), "1234");  // letters dropped, no fifth digit after a second 2
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "123");
    field->clear();
    QTest::keyClicks(field, "004156");
    EXPECT_EQ(field->text(), "00415");

    const std::string before = s.Prints();
    s.Strict.ExpectMessage(kBadDirectCallMessage);
    Click(panel.CommitButton());
    EXPECT_EQ(s.Prints(), before);
    EXPECT_TRUE(panel.Dirty());  // the typed number stays for the user to mend

    field->clear();
    QTest::keyClicks(field, "00215");
    Click(panel.CommitButton());
    EXPECT_EQ(s.Record(port).ALDirectCall, "00215");
    EXPECT_TRUE(s.Strict.AllSeen());
}

TEST(LinePanel, RowsFollowVersionAndFamily) {
    TPanelStation old("Alder", "24,2");
    TLinePanel small(old.Ctx());
    small.ShowItem(old.FirstLine());
    EXPECT_EQ(small.OwnBox(al_setting::RusSTA), nullptr);
    EXPECT_EQ(small.OwnBox(al_setting::mBAdapter_ON), nullptr);
    ASSERT_NE(small.OwnBox(al_setting::Df01 + 1), nullptr);
    EXPECT_EQ(small.OwnBox(al_setting::Df01 + 1)->text(), "Домофон 02");
    EXPECT_EQ(small.OwnBox(al_setting::Df01 + 2), nullptr);
    ASSERT_NE(small.OwnBox(al_setting::b_extnum), nullptr);
    EXPECT_FALSE(small.OwnBox(al_setting::b_extnum)->isEnabled());  // not carried before 24,4

    TPanelStation recent("Cedar", "28,6");
    TLinePanel large(recent.Ctx());
    large.ShowItem(recent.FirstLine());
    EXPECT_NE(large.OwnBox(al_setting::RusSTA), nullptr);
    EXPECT_NE(large.OwnBox(al_setting::mBAdapter_ON), nullptr);
    EXPECT_NE(large.OwnBox(al_setting::Df01 + 3), nullptr);
    EXPECT_TRUE(large.OwnBox(al_setting::b_extnum)->isEnabled());
}

TEST(LinePanel, BelowTwentyFourThreeTheCommitKeepsTheSystemPhoneSetting) {
    TPanelStation s("Dogwood", "24,2");
    const int port = s.FirstLine();
    s.Record(port).AL_RusSTA = true;
    s.Record(port).AL_Own[al_setting::RusSTA] = true;
    TLinePanel panel(s.Ctx());
    panel.ShowItem(port);
    panel.PriorityList()->setCurrentText("7");
    ASSERT_TRUE(panel.Commit());
    EXPECT_EQ(s.Record(port).ALPriority, 7);
    EXPECT_TRUE(s.Record(port).AL_RusSTA);
    EXPECT_TRUE(s.Record(port).AL_Own[al_setting::RusSTA]);
}

TEST(LinePanel, ClosedTrunkRowsAreBuiltPerTrunkPortAndSavedAtTheirIndex) {
    TPanelStation s("Dogwood");
    const int port = s.FirstLine();
    const auto rows = LineTrunkRows(*s.Store);
    s.Store->Groups[0].GR_SLOFF[static_cast<std::size_t>(rows[2].SlIndex)] = true;
    s.Record(port).ALGroup = 0;
    TLinePanel panel(s.Ctx());
    panel.ShowItem(port);
    ASSERT_EQ(panel.TrunkRowCount(), static_cast<int>(rows.size()));
    for (int k = 0; k < panel.TrunkRowCount(); ++k)
        EXPECT_EQ(panel.TrunkBox(k)->text(),
                  QString::number(rows[static_cast<std::size_t>(k)].Port));
    EXPECT_TRUE(panel.TrunkGroupValue(2)->Checked());
    EXPECT_FALSE(panel.TrunkGroupValue(1)->Checked());

    const int k = 4;
    const auto sl = static_cast<std::size_t>(rows[k].SlIndex);
    if (!s.Record(port).ALSL_OFF_Own[sl]) QTest::mouseDClick(panel.TrunkSwitch(k), Qt::LeftButton);
    EXPECT_EQ(panel.TrunkSwitch(k)->text(), "  ");
    panel.TrunkBox(k)->setChecked(true);
    ASSERT_TRUE(panel.Commit());
    EXPECT_TRUE(s.Record(port).ALSL_OFF[sl]);
    EXPECT_TRUE(s.Record(port).ALSL_OFF_Own[sl]);
    // Showing the line again builds the same rows from the stored values.
    panel.ShowItem(port);
    EXPECT_EQ(panel.TrunkRowCount(), static_cast<int>(rows.size()));
    EXPECT_TRUE(panel.TrunkBox(k)->isChecked());
}

TEST(LinePanel, ALineTheTableDoesNotCarryIsShownButCannotBeEdited) {
    TPanelStation s("Dogwood");
    int beyond = 0;
    for (const TPortPtr& p : s.Store->Ports)
        if (p->Type == kPortTypeSubscriber && LineRecordIndex(s.Session, *s.Store, p->Number) < 0)
            beyond = p->Number;
    if (beyond == 0) GTEST_SKIP() << "every line of this station is carried";
    TLinePanel panel(s.Ctx());
    panel.ShowItem(beyond);
    EXPECT_TRUE(panel.NumberLabel()->text().endsWith(", не входит в таблицу АЛ станции"));
    EXPECT_FALSE(panel.NameEdit()->isEnabled());
    EXPECT_FALSE(panel.OwnBox(al_setting::DTMF)->isEnabled());
    EXPECT_FALSE(panel.DirectCallEdit()->isEnabled());
    EXPECT_FALSE(panel.CommitButton()->isEnabled());
    EXPECT_FALSE(panel.Dirty());
    panel.ShowItem(s.FirstLine());  // a carried line is editable again
    EXPECT_TRUE(panel.NameEdit()->isEnabled());
    EXPECT_TRUE(panel.CommitButton()->isEnabled());
}

TEST(LinePanel, CancelShowsTheStoreAgainAndChangesNothing) {
    TPanelStation s("Birch");
    const int port = s.FirstLine();
    TLinePanel panel(s.Ctx());
    panel.ShowItem(port);
    const std::string before = s.Prints();
    const QString name = panel.NameEdit()->text();
    panel.NameEdit()->setText("Новое имя");
    panel.PriorityList()->setCurrentText("9");
    QSignalSpy cancelled(&panel, &app::TItemPanel::Cancelled);
    Click(panel.CancelButton());
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_EQ(panel.NameEdit()->text(), name);
    EXPECT_FALSE(panel.Dirty());
    EXPECT_EQ(s.Prints(), before);
}

TEST(LinePanel, FileRoundTripCarriesExactlyTheChangedPriority) {
    test::TLoadedWindowStation w("Dogwood");
    TMainClass& session = w.Station.Session;
    TDataStream& store = *w.Station.Store;
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, store, dir + "/before.ats");
    int port = 0;
    for (const TPortPtr& p : store.Ports)
        if (port == 0 && LineRecordIndex(session, store, p->Number) >= 0) port = p->Number;
    const int index = LineRecordIndex(session, store, port);
    const int oldPriority = store.Lines[static_cast<std::size_t>(index)].ALPriority;
    const int newPriority = oldPriority == 5 ? 6 : 5;
    {
        TLinePanel panel(w.Ctx());
        panel.ShowItem(port);
        panel.PriorityList()->setCurrentText(QString::number(newPriority));
        ASSERT_TRUE(panel.Commit());
    }
    test::SavedFile(session, store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::SubscriberLines)->Key;
    test::ExpectOnlyThisChange(
        dir + "/before.ats", dir + "/after.ats", ETable::SubscriberLines,
        [&](nlohmann::json& tables) { tables[key][index]["ALPriority"] = newPriority; });
}

}  // namespace
}  // namespace zarnik
