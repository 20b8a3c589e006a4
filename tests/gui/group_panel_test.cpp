// The group panel through its widgets: the direct-call field, a forbidden trunk line box, its
// own "Внести данные" and "Отмена", the file round trip of one changed setting, and keyboard
// and screen-reader reach.
#include "app/group_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "codecs/subscriber_line_codec.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using Panel = app::TGroupPanel;

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

QCheckBox* TrunkBox(const Panel& panel, int port) {
    for (QCheckBox* box : panel.TrunkBoxes())
        if (box->text() == QString::number(port)) return box;
    return nullptr;
}

TEST(GroupPanel, DirectCallTakesFourDigitsAndARefusedCommitChangesNothing) {
    test::TLoadedWindowStation w("Dogwood");
    Panel panel(w.Ctx());
    panel.show();
    panel.ShowItem(1);
    EXPECT_EQ(panel.NumberLabel()->text(), "Группа № 11");
    panel.DirectCallEdit()->clear();
    QTest::keyClicks(panel.DirectCallEdit(), "0a0*215");
    EXPECT_EQ(panel.DirectCallEdit()->text(), "0021");  // a fifth digit has no room in the block
    QTest::keyClick(panel.DirectCallEdit(), Qt::Key_Backspace);
    EXPECT_EQ(panel.DirectCallEdit()->text(), "002");

    // A number that reached the field another way is refused by the commit.
    const std::string before = test::SessionPrint(w.Station.Session) +
                               test::StorePrint(w.Station.Session, *w.Station.Store);
    Click(panel.SettingBox(al_setting::DTMF));
    panel.DirectCallEdit()->setText("00215");
    QSignalSpy committed(&panel, &app::TItemPanel::Committed);
    w.Dialogs.ExpectMessage(kBadDirectCallMessage);
    Click(panel.CommitButton());
    EXPECT_EQ(committed.count(), 0);
    EXPECT_TRUE(panel.Dirty());
    EXPECT_EQ(test::SessionPrint(w.Station.Session) +
                  test::StorePrint(w.Station.Session, *w.Station.Store),
              before);

    panel.DirectCallEdit()->setText("215");
    Click(panel.CommitButton());
    EXPECT_EQ(committed.count(), 1);
    EXPECT_FALSE(panel.Dirty());
    EXPECT_EQ(w.Station.Store->Groups[1].GR_DirectCall, "215");
    EXPECT_TRUE(w.Station.Session.Changed(ETable::Groups));
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(GroupPanel, TrunkLineBoxesAreBuiltPerPortAndSavedAtTheirTrunkLineIndex) {
    test::TLoadedWindowStation w("Alder");
    TDataStream& store = *w.Station.Store;
    store.Groups[6].GR_SLOFF = {};
    Panel panel(w.Ctx());
    panel.show();
    panel.ShowItem(6);
    int trunkPorts = 0;
    for (const TPortPtr& p : store.Ports) trunkPorts += p->Type == kPortTypeTrunk ? 1 : 0;
    EXPECT_EQ(static_cast<int>(panel.TrunkBoxes().size()), trunkPorts);
    QCheckBox* box = TrunkBox(panel, 202);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->accessibleName(), "202");
    Click(box);
    Click(panel.CommitButton());
    const int index = TBroadcaster::GetSLIndexFromPortNum("Alder", "202");
    for (std::size_t k = 0; k < kAlTrunkLineSlots; ++k)
        EXPECT_EQ(store.Groups[6].GR_SLOFF[k], k == static_cast<std::size_t>(index)) << k;
    panel.ShowItem(5);
    EXPECT_EQ(TrunkBox(panel, 202)->isChecked(),
              store.Groups[5].GR_SLOFF[static_cast<std::size_t>(index)]);
}

TEST(GroupPanel, CancelShowsTheStoreAgainAndChangesNothing) {
    test::TLoadedWindowStation w("Cedar");
    const std::string before = test::SessionPrint(w.Station.Session) +
                               test::StorePrint(w.Station.Session, *w.Station.Store);
    Panel panel(w.Ctx());
    panel.ShowItem(0);
    const QString name = panel.NameEdit()->text();
    panel.NameEdit()->setText(QStringLiteral("Склад"));
    panel.GroupCallList(0)->setCurrentIndex(panel.GroupCallList(0)->count() - 1);
    panel.DayList()->setCurrentIndex(0);
    Click(panel.SettingBox(al_setting::FAXRegime));
    EXPECT_TRUE(panel.Dirty());
    QSignalSpy cancelled(&panel, &app::TItemPanel::Cancelled);
    Click(panel.CancelButton());
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_FALSE(panel.Dirty());
    EXPECT_EQ(panel.NameEdit()->text(), name);
    EXPECT_EQ(test::SessionPrint(w.Station.Session) +
                  test::StorePrint(w.Station.Session, *w.Station.Store),
              before);
}

TEST(GroupPanel, FileRoundTripCarriesExactlyTheChangedSettingAndTheName) {
    test::TLoadedWindowStation w("Dogwood");
    TMainClass& session = w.Station.Session;
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, *w.Station.Store, dir + "/before.ats");
    const bool mg = w.Station.Store->Groups[2].GR_MGOutput;
    Panel panel(w.Ctx());
    panel.ShowItem(2);
    Click(panel.SettingBox(al_setting::MGOutput));
    panel.NameEdit()->setText(QStringLiteral("Отдел продаж"));
    ASSERT_TRUE(panel.Commit());
    EXPECT_EQ(w.Station.Store->Names->GetGroupName(2), Utf8ToCp1251("Отдел продаж"));
    test::SavedFile(session, *w.Station.Store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::Groups)->Key;
    // The name stays on this computer: files carry the station's tables only.
    test::ExpectOnlyThisChange(
        dir + "/before.ats", dir + "/after.ats", ETable::Groups,
        [&](nlohmann::json& tables) { tables[key][2]["GR_MGOutput"] = !mg; });
}

TEST(GroupPanel, EveryControlIsNamedAndReachableByKeyboard) {
    test::TLoadedWindowStation w("Dogwood");
    QDialog holder;
    holder.setWindowTitle(QStringLiteral("Программирование групп и АЛ"));
    auto* panel = new Panel(w.Ctx(), &holder);
    (new QVBoxLayout(&holder))->addWidget(panel);
    panel->ShowItem(0);
    test::ExpectUsableByKeyboardAndReader(holder);
    for (int i = 0; i < kAlSettingCount; ++i)
        EXPECT_EQ(panel->SettingBox(i)->accessibleName(), panel->SettingBox(i)->text());
    if (const QString look = qEnvironmentVariable("ZARNIK_LOOK_DIR"); !look.isEmpty()) {
        holder.show();
        QApplication::processEvents();
        holder.grab().save(look + "/group_panel.png");
    }
}

}  // namespace
}  // namespace zarnik
