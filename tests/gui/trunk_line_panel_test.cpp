// The trunk line panel of the line-and-group window through its widgets: what it shows, a
// commit that pairs the partner's record too, "Отмена", a refused commit, the auto-dial keys,
// the name in the names file and the file round trip.
#include "app/trunk_line_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "editors/name_rules.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using Panel = app::TTrunkLinePanel;

// The panel in a window of its own, as the line-and-group window holds it.
struct THost {
    explicit THost(const app::TAppContext& ctx) : P(new Panel(ctx, &Window)) {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(P);
        Window.setWindowTitle(QStringLiteral("Программирование групп и АЛ"));
        Window.show();
    }
    QDialog Window;
    Panel* P;
};

TSL& Record(test::TLoadedWindowStation& w, int port) {
    return w.Station.Store
        ->TrunkLines[static_cast<std::size_t>(TrunkRecordIndex(w.Station.Session, port))];
}

// A click on the box's mark, where a user clicks.
void Tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void Choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

TEST(TrunkLinePanel, ShowsALineCommitsItWithItsPartnerAndCancelShowsTheStoreAgain) {
    test::TLoadedWindowStation w("Cedar");
    w.Station.Session.Identity.Version = "24,3";
    Record(w, 204).SL_MGDigit = 0;
    Record(w, 204).SL_DayNaveden = 2;
    THost host(w.Ctx());
    Panel& panel = *host.P;
    EXPECT_FALSE(panel.CommitButton()->isEnabled());  // nothing on show yet
    panel.ShowItem(204);
    EXPECT_EQ(panel.NumberLabel()->text(), "СЛ № 204");
    EXPECT_TRUE(panel.CommitButton()->isEnabled());
    EXPECT_EQ(panel.MGDigitList()->currentText(), "0");
    EXPECT_EQ(panel.DayList()->currentText(), "2");
    EXPECT_EQ(panel.NightList()->itemText(0), "");
    EXPECT_EQ(panel.BlockList()->count(),
              1 + static_cast<int>(TrunkPorts(w.Station.Session, *w.Station.Store).size()));
    QCheckBox* pause = panel.SwitchBox(11);
    EXPECT_EQ(pause->checkState(), Qt::PartiallyChecked);  // "-" below 24,4
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_EQ(panel.SwitchBox(17)->text(), "Направление 9");
    EXPECT_FALSE(panel.Dirty());

    // "Отмена": the store's values again, nothing stored.
    QSignalSpy cancelled(&panel, &app::TItemPanel::Cancelled);
    Tick(panel.SwitchBox(2));
    EXPECT_TRUE(panel.Dirty());
    QTest::mouseClick(panel.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_FALSE(panel.Dirty());
    EXPECT_FALSE(w.Station.Session.Changed(ETable::TrunkLines));

    // A commit pairs 204 with 206 on both records and stores the name.
    QSignalSpy committed(&panel, &app::TItemPanel::Committed);
    const bool fax = Record(w, 204).SL_FAX;
    Tick(panel.SwitchBox(2));
    Choose(panel.BlockList(), "206");
    panel.NameEdit()->setText(QStringLiteral("Город"));
    QTest::mouseClick(panel.CommitButton(), Qt::LeftButton);
    EXPECT_EQ(committed.count(), 1);
    EXPECT_EQ(Record(w, 204).SL_FAX, !fax);
    EXPECT_EQ(Record(w, 204).SL_Block, 206);
    EXPECT_EQ(Record(w, 206).SL_Block, 204);
    EXPECT_TRUE(w.Station.Session.Changed(ETable::TrunkLines));
    const int line = FindPort(*w.Station.Store, 204)->Line;
    EXPECT_EQ(TNamesList(w.Station.Dir.Path).GetPortName(line - 1), Utf8ToCp1251("Город"));
    EXPECT_FALSE(panel.Dirty());

    // 200 may not take 206, now blocked with 204: its message, nothing stored, no signal.
    panel.ShowItem(200);
    const std::string before = test::SessionPrint(w.Station.Session) +
                               test::StorePrint(w.Station.Session, *w.Station.Store);
    Choose(panel.BlockList(), "206");
    Tick(panel.SwitchBox(0));
    w.Dialogs.ExpectMessage("СЛ 206 уже сблокирована с СЛ 204. Данные не внесены.");
    QTest::mouseClick(panel.CommitButton(), Qt::LeftButton);
    EXPECT_TRUE(w.Dialogs.AllSeen());
    EXPECT_EQ(committed.count(), 1);
    EXPECT_TRUE(panel.Dirty());  // the edits stay on show
    EXPECT_EQ(test::SessionPrint(w.Station.Session) +
                  test::StorePrint(w.Station.Session, *w.Station.Store),
              before);

    // A port that is no trunk line leaves the panel empty and off.
    panel.ShowItem(201);
    EXPECT_EQ(panel.Port(), -1);
    EXPECT_FALSE(panel.NameEdit()->isEnabled());
    EXPECT_TRUE(panel.Commit());
    panel.ShowItem(202);
    test::ExpectUsableByKeyboardAndReader(host.Window);
}

TEST(TrunkLinePanel, AutoDialKeysFollowTheVersionAndATooLongNameIsRefused) {
    test::TLoadedWindowStation w("Cedar");
    w.Station.Session.Identity.Version = "24,2";
    THost host(w.Ctx());
    Panel& panel = *host.P;
    panel.ShowItem(202);
    QLineEdit* field = panel.AutoDialEdit();
    field->clear();
    field->setFocus();
    QTest::keyClicks(field, "8#*P0T123456");
    EXPECT_EQ(field->text(), "80123456");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "8012345");

    const std::string before = test::SessionPrint(w.Station.Session);
    const QString tooLong(static_cast<int>(kMaxNameChars) + 1, QChar(u'ж'));
    panel.NameEdit()->setText(tooLong);
    w.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
    EXPECT_FALSE(panel.Commit());
    EXPECT_TRUE(w.Dialogs.AllSeen());
    EXPECT_EQ(test::SessionPrint(w.Station.Session), before);
    EXPECT_EQ(panel.NameEdit()->text(), tooLong);  // not cut
}

TEST(TrunkLinePanel, FileRoundTripCarriesExactlyTheChangedDigitAndType) {
    test::TLoadedWindowStation w("Dogwood");
    TMainClass& session = w.Station.Session;
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, *w.Station.Store, dir + "/before.ats");
    const int port = TrunkPorts(session, *w.Station.Store).at(1);
    const int oldDigit = Record(w, port).SL_MGDigit;
    const int newDigit = oldDigit == 0 ? 5 : 0;
    const int newType = Record(w, port).SL_Type == 4 ? 3 : 4;
    THost host(w.Ctx());
    host.P->ShowItem(port);
    Choose(host.P->MGDigitList(), QString::number(newDigit));
    Choose(host.P->TypeList(), QString::number(newType));
    QTest::mouseClick(host.P->CommitButton(), Qt::LeftButton);
    test::SavedFile(session, *w.Station.Store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::TrunkLines)->Key;
    const int index = TrunkRecordIndex(session, port);
    test::ExpectOnlyThisChange(dir + "/before.ats", dir + "/after.ats", ETable::TrunkLines,
                               [&](nlohmann::json& tables) {
                                   tables[key][index]["SL_MGDigit"] = newDigit;
                                   tables[key][index]["SL_Type"] = newType;
                               });
}

TEST(TrunkLinePanel, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    test::TLoadedWindowStation w("Dogwood");
    w.Station.Store->Names->SetPortName(0, Utf8ToCp1251("Городская 1"));
    THost host(w.Ctx());
    host.P->ShowItem(200);
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(host.P->grab().save(QDir(dir).filePath(QStringLiteral("trunk_line_panel.png"))));
}

}  // namespace
}  // namespace zarnik
