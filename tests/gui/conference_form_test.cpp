// The quick conferences window: the conferences, their lines and the lines still free, the
// pop-up commands, the name field, storing on close, and the file round trip.
#include "app/conference_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "editors/name_rules.h"
#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

QStringList Texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

int RowStarting(const QListWidget* list, int port) {
    const auto items = list->findItems(QString::number(port) + " (", Qt::MatchStartsWith);
    return items.isEmpty() ? -1 : list->row(items.front());
}

struct TConferences {
    TConferences() : W("Dogwood") {
        for (const TPortPtr& p : Store().Ports)
            if (p->Type == kPortTypeSubscriber || p->Type == kPortTypeSta)
                Lines.push_back(p->Number);
        Store().Names->SetConfName(1, Utf8ToCp1251("Планёрка"));
        Store().Names->SetPortName(Lines[0] - 200, Utf8ToCp1251("Директор"));
        for (auto& c : Store().Conferences) c = TConfRecord{};
        Store().Conferences[0].MemberCount = 2;
        Store().Conferences[0].Members[0] = Lines[0];
        Store().Conferences[0].Members[1] = Lines[2];
    }
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    test::TLoadedWindowStation W;
    std::vector<int> Lines;
};

TEST(ConferenceForm, ShowsEachConferencesLinesAndTheLinesStillFree) {
    TConferences t;
    app::TConferenceForm form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование конференций");
    ASSERT_EQ(form.ConferenceList()->count(), t.Session().ConferenceCount());
    EXPECT_EQ(form.ConferenceList()->item(0)->text(), "0  ");
    EXPECT_EQ(form.ConferenceList()->item(1)->text(), "1  Планёрка");
    EXPECT_EQ(form.MemberList()->accessibleName(), "АЛ ");
    EXPECT_EQ(form.LineList()->accessibleName(), "Все АЛ");
    EXPECT_EQ(Texts(form.MemberList()), QStringList({QString::number(t.Lines[0]) + " (Директор)",
                                                     QString::number(t.Lines[2]) + " ()"}));
    EXPECT_EQ(form.LineList()->count(), static_cast<int>(t.Lines.size()) - 2);
    EXPECT_EQ(RowStarting(form.LineList(), t.Lines[0]), -1);
    EXPECT_EQ(RowStarting(form.LineList(), t.Lines[1]), 0);
    EXPECT_EQ(form.AddAction()->text(), "Добавить АЛ в выбранную конференцию");
    EXPECT_EQ(form.RemoveAction()->text(), "Удалить АЛ из конференции");
    EXPECT_EQ(form.NameAction()->text(), "Задать имя для выбранной конференции");
    EXPECT_EQ(form.LineList()->contextMenuPolicy(), Qt::ActionsContextMenu);
    form.ConferenceList()->setCurrentRow(1);
    EXPECT_EQ(form.MemberList()->count(), 0);
    EXPECT_EQ(form.LineList()->count(), static_cast<int>(t.Lines.size()));
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(ConferenceForm, LinesMoveBetweenTheListsAndAreStoredWhenTheWindowCloses) {
    TConferences t;
    const TConfRecord first = t.Store().Conferences[0];
    app::TConferenceForm form(t.W.Ctx());
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // Into conference 0 and out of it, from the keyboard.
    form.LineList()->setFocus();
    form.LineList()->setCurrentRow(RowStarting(form.LineList(), t.Lines[5]));
    QTest::keyClick(form.LineList(), Qt::Key_Insert);
    EXPECT_EQ(RowStarting(form.MemberList(), t.Lines[5]), 2);
    EXPECT_EQ(RowStarting(form.LineList(), t.Lines[5]), -1);
    form.MemberList()->setFocus();
    form.MemberList()->setCurrentRow(0);
    QTest::keyClick(form.MemberList(), Qt::Key_Delete);
    EXPECT_EQ(form.MemberList()->count(), 2);
    EXPECT_GE(RowStarting(form.LineList(), t.Lines[0]), 0);
    // Conference 3 too; nothing reaches the store while the window is open.
    form.ConferenceList()->setCurrentRow(3);
    form.LineList()->setCurrentRow(RowStarting(form.LineList(), t.Lines[7]));
    form.AddAction()->trigger();
    form.ConferenceList()->setCurrentRow(0);
    EXPECT_EQ(form.MemberList()->count(), 2);
    EXPECT_EQ(t.Store().Conferences[0], first);
    EXPECT_FALSE(t.Session().Changed(ETable::QuickConferences));

    form.reject();
    const TConfRecord& c0 = t.Store().Conferences[0];
    EXPECT_EQ(c0.MemberCount, 2);
    EXPECT_EQ(c0.Members[0], t.Lines[2]);
    EXPECT_EQ(c0.Members[1], t.Lines[5]);
    EXPECT_EQ(t.Store().Conferences[3].MemberCount, 1);
    EXPECT_EQ(t.Store().Conferences[3].Members[0], t.Lines[7]);
    EXPECT_TRUE(t.Session().Changed(ETable::QuickConferences));
    // Encoded: member count, then the lines.
    const TRawSlot& raw = t.Session().Area(ETable::QuickConferences).Slots[3];
    EXPECT_EQ(raw.Bytes[0], 1);
    EXPECT_EQ(raw.Bytes[1], t.Lines[7] - 199);
}

TEST(ConferenceForm, ClosingWithoutAChangeEncodesNothing) {
    TConferences t;
    const auto raw = test::RawImage(t.Session().Area(ETable::QuickConferences));
    app::TConferenceForm form(t.W.Ctx());
    form.show();
    form.ConferenceList()->setCurrentRow(2);
    form.reject();
    EXPECT_FALSE(t.Session().Changed(ETable::QuickConferences));
    EXPECT_EQ(test::RawImage(t.Session().Area(ETable::QuickConferences)), raw);
}

TEST(ConferenceForm, TheNameFieldStoresWithOkAndNotWithCancel) {
    TConferences t;
    app::TConferenceForm form(t.W.Ctx());
    form.show();
    form.ConferenceList()->setCurrentRow(1);
    EXPECT_FALSE(form.NamePanel()->isVisible());
    form.NameAction()->trigger();
    ASSERT_TRUE(form.NamePanel()->isVisible());
    EXPECT_EQ(form.NameField()->text(), "Планёрка");
    form.NameField()->setText(QStringLiteral("Совещание"));
    QTest::mouseClick(form.NameCancelButton(), Qt::LeftButton);
    EXPECT_FALSE(form.NamePanel()->isVisible());
    EXPECT_EQ(form.ConferenceList()->item(1)->text(), "1  Планёрка");

    form.NameAction()->trigger();
    const QString tooLong(static_cast<int>(kMaxNameChars) + 1, QLatin1Char('c'));
    form.NameField()->setText(tooLong);
    t.W.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
    QTest::mouseClick(form.NameOkButton(), Qt::LeftButton);
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_TRUE(form.NamePanel()->isVisible());
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetConfName(1)), "Планёрка");

    form.NameField()->setText(QStringLiteral("Совещание"));
    QTest::mouseClick(form.NameOkButton(), Qt::LeftButton);
    EXPECT_FALSE(form.NamePanel()->isVisible());
    EXPECT_EQ(form.ConferenceList()->item(1)->text(), "1  Совещание");
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetConfName(1)), "Совещание");
    // Escape in the name field closes the field, not the window.
    form.NameAction()->trigger();
    QTest::keyClick(form.NameField(), Qt::Key_Escape);
    EXPECT_FALSE(form.NamePanel()->isVisible());
    EXPECT_TRUE(form.isVisible());
}

TEST(ConferenceForm, OneAddedLineIsTheOnlyChangeAFreshProgramLoads) {
    test::TLoadedWindowStation w("Dogwood");
    const std::string dir = w.Station.Dir.Path;
    const auto before =
        test::SaveEveryTable(w.Station.Session, *w.Station.Store, dir + "/before.ats");
    auto expected = w.Station.Store->Conferences;
    {
        app::TConferenceForm form(w.Ctx());
        form.show();
        form.ConferenceList()->setCurrentRow(4);
        form.LineList()->setCurrentRow(0);
        const int port = std::stoi(form.LineList()->item(0)->text().toStdString());
        TConfRecord& c = expected[4];
        c.Members[static_cast<std::size_t>(c.MemberCount++)] = port;
        form.AddAction()->trigger();
        form.reject();
    }
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(w.Station.Session, *w.Station.Store, path);
    test::ExpectOnlyTableChanged(before, after, ETable::QuickConferences);
    const auto fresh = test::LoadedFresh("Dogwood", path);
    for (int i = 0; i < w.Station.Session.ConferenceCount(); ++i)
        EXPECT_EQ(fresh->Store->Conferences[static_cast<std::size_t>(i)],
                  expected[static_cast<std::size_t>(i)])
            << i;
}

}  // namespace
}  // namespace zarnik
