// The line-and-group window: its list, choosing items and stepping through them, the question
// before uncommitted edits would be dropped, the list after a commit, keyboard and reader, and
// its picture.
#include "app/groups_lines_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "app/group_panel.h"
#include "app/line_panel.h"
#include "app/trunk_line_panel.h"
#include "codecs/subscriber_line_codec.h"
#include "editors/trunk_line_editor.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using app::TGroupsLinesForm;

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

// The item the panel on show shows: a port number, or a group's record index.
int ShownItem(const TGroupsLinesForm& form) {
    if (form.PanelStack()->currentWidget() == form.LinePanel()) return form.LinePanel()->Port();
    if (form.PanelStack()->currentWidget() == form.TrunkPanel()) return form.TrunkPanel()->Port();
    return form.GroupPanel()->Index();
}

// The panel that shows an item of that kind.
QWidget* PanelOf(const TGroupsLinesForm& form, EGroupsLinesKind kind) {
    switch (kind) {
        case EGroupsLinesKind::Line:
            return form.LinePanel();
        case EGroupsLinesKind::Trunk:
            return form.TrunkPanel();
        case EGroupsLinesKind::Group:
            return form.GroupPanel();
    }
    return nullptr;
}

// The row of the first line whose record the table carries.
int FirstCarriedRow(const TGroupsLinesForm& form, const test::TLoadedWindowStation& w) {
    const auto& items = form.Items();
    for (std::size_t k = 0; k < items.size(); ++k)
        if (items[k].Kind == EGroupsLinesKind::Line &&
            LineRecordIndex(w.Station.Session, *w.Station.Store, items[k].Item) >= 0)
            return static_cast<int>(k);
    return -1;
}

TEST(GroupsLinesForm, ListsTheItemsAndShowsTheChosenOneStepByStep) {
    test::TLoadedWindowStation w("Cedar");
    TGroupsLinesForm form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование групп и АЛ");
    const auto& items = form.Items();
    ASSERT_EQ(form.ItemList()->count(), static_cast<int>(items.size()));
    ASSERT_GE(items.size(), 3u);
    for (std::size_t k = 0; k < items.size(); ++k)
        EXPECT_EQ(form.ItemList()->item(static_cast<int>(k))->text().toStdString(), items[k].Text);
    EXPECT_EQ(form.CurrentRow(), 0);
    EXPECT_EQ(form.PanelStack()->currentWidget(), form.CurrentPanel());
    EXPECT_EQ(ShownItem(form), items[0].Item);

    Click(form.PreviousButton());  // the first stays the first
    EXPECT_EQ(form.CurrentRow(), 0);
    // Every port in turn, each in the panel of its kind.
    int trunks = 0;
    int lines = 0;
    for (std::size_t k = 1; k < items.size() - kGroupCount; ++k) {
        Click(form.NextButton());
        ASSERT_EQ(form.CurrentRow(), static_cast<int>(k));
        EXPECT_EQ(form.ItemList()->currentRow(), static_cast<int>(k));
        EXPECT_EQ(form.PanelStack()->currentWidget(), PanelOf(form, items[k].Kind))
            << items[k].Text;
        // A trunk line the table does not carry leaves its panel empty.
        const bool empty = items[k].Kind == EGroupsLinesKind::Trunk &&
                           TrunkRecordIndex(w.Station.Session, items[k].Item) < 0;
        EXPECT_EQ(ShownItem(form), empty ? -1 : items[k].Item) << items[k].Text;
        (items[k].Kind == EGroupsLinesKind::Trunk ? trunks : lines)++;
    }
    EXPECT_GT(trunks, 0);
    EXPECT_GT(lines, 0);

    // The groups come last, numbers 10 to 29, each shown in the group panel.
    const int last = static_cast<int>(items.size()) - 1;
    EXPECT_EQ(items[static_cast<std::size_t>(last)].Kind, EGroupsLinesKind::Group);
    EXPECT_EQ(items[static_cast<std::size_t>(last)].Text, "Группа 29");
    form.ItemList()->setCurrentRow(last);
    EXPECT_EQ(form.CurrentRow(), last);
    EXPECT_EQ(form.CurrentPanel(), form.GroupPanel());
    EXPECT_EQ(form.PanelStack()->currentWidget(), form.GroupPanel());
    EXPECT_EQ(form.GroupPanel()->Index(), kGroupCount - 1);
    Click(form.NextButton());  // the last stays the last
    EXPECT_EQ(form.CurrentRow(), last);
    Click(form.PreviousButton());
    EXPECT_EQ(form.GroupPanel()->Index(), kGroupCount - 2);
    const int firstGroup = last - kGroupCount + 1;
    form.ItemList()->setCurrentRow(firstGroup);
    Click(form.PreviousButton());  // from the first group back to the last line
    EXPECT_EQ(form.PanelStack()->currentWidget(),
              PanelOf(form, items[static_cast<std::size_t>(firstGroup - 1)].Kind));
    EXPECT_EQ(ShownItem(form), items[static_cast<std::size_t>(firstGroup - 1)].Item);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(GroupsLinesForm, UncommittedGroupEditsAskBeforeALineIsShown) {
    test::TLoadedWindowStation w("Dogwood");
    TGroupsLinesForm form(w.Ctx());
    form.show();
    const int firstGroup = static_cast<int>(form.Items().size()) - kGroupCount;
    form.ItemList()->setCurrentRow(firstGroup);
    ASSERT_EQ(form.CurrentPanel(), form.GroupPanel());
    form.GroupPanel()->NameEdit()->setText("Склад");
    const std::string question =
        UncommittedQuestion(form.Items()[static_cast<std::size_t>(firstGroup)]);
    EXPECT_EQ(question, "Группа 10: изменения не внесены. Внести данные?");
    w.Dialogs.ExpectQuestion(question, TAnswer::Ok);
    form.ItemList()->setCurrentRow(0);
    EXPECT_EQ(form.CurrentPanel(), PanelOf(form, form.Items()[0].Kind));
    EXPECT_EQ(Cp1251ToUtf8(w.Station.Store->Names->GetGroupName(0)), "Склад");
    EXPECT_EQ(form.ItemList()->item(firstGroup)->text(), "Группа 10  Склад");
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(GroupsLinesForm, LeavingUncommittedEditsAsksAndKeepsOrCommitsThem) {
    test::TLoadedWindowStation w("Dogwood");
    TGroupsLinesForm form(w.Ctx());
    form.show();
    const int row = FirstCarriedRow(form, w);
    ASSERT_GE(row, 0);
    form.ItemList()->setCurrentRow(row);
    const TGroupsLinesItem item = form.Items()[static_cast<std::size_t>(row)];
    app::TLinePanel* panel = form.LinePanel();
    const std::string question = UncommittedQuestion(item);
    EXPECT_EQ(question,
              "АЛ " + std::to_string(item.Item) + ": изменения не внесены. Внести данные?");

    // Cancel: the item and its edits stay on show; nothing reaches the store.
    panel->NameEdit()->setText("Приёмная");
    w.Dialogs.ExpectQuestion(question, TAnswer::Cancel);
    Click(form.NextButton());
    EXPECT_EQ(form.CurrentRow(), row);
    EXPECT_EQ(form.ItemList()->currentRow(), row);
    EXPECT_EQ(panel->NameEdit()->text(), "Приёмная");
    const int nameIndex =
        TBroadcaster::GetLineNumFromPortNum("Dogwood", std::to_string(item.Item)) - 1;
    EXPECT_EQ(w.Station.Store->Names->GetPortName(nameIndex), "");

    // A commit the rules refuse keeps the item on show as well.
    panel->DirectCallEdit()->setText("00415");
    w.Dialogs.ExpectQuestion(question, TAnswer::Ok);
    w.Dialogs.ExpectMessage(kBadDirectCallMessage);
    form.ItemList()->setCurrentRow(row + 1);
    EXPECT_EQ(form.CurrentRow(), row);
    EXPECT_EQ(form.ItemList()->currentRow(), row);
    EXPECT_EQ(w.Station.Store->Names->GetPortName(nameIndex), "");

    // OK commits, moves on and the list shows the new name.
    panel->DirectCallEdit()->setText("00215");
    w.Dialogs.ExpectQuestion(question, TAnswer::Ok);
    Click(form.NextButton());
    EXPECT_EQ(form.CurrentRow(), row + 1);
    EXPECT_EQ(Cp1251ToUtf8(w.Station.Store->Names->GetPortName(nameIndex)), "Приёмная");
    EXPECT_TRUE(form.ItemList()->item(row)->text().endsWith("  Приёмная"));
    EXPECT_TRUE(w.Station.Session.Changed(ETable::SubscriberLines));

    // Nothing edited: no question.
    Click(form.PreviousButton());
    EXPECT_EQ(form.CurrentRow(), row);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(GroupsLinesForm, TheListFollowsACommitMadeWithThePanelsButton) {
    test::TLoadedWindowStation w("Alder");
    TGroupsLinesForm form(w.Ctx());
    form.show();
    const int row = FirstCarriedRow(form, w);
    form.ItemList()->setCurrentRow(row);
    form.LinePanel()->NameEdit()->setText("Склад");
    Click(form.LinePanel()->CommitButton());
    EXPECT_TRUE(form.ItemList()->item(row)->text().endsWith("  Склад"));
    EXPECT_EQ(form.Items()[static_cast<std::size_t>(row)].Text,
              form.ItemList()->item(row)->text().toStdString());
}

TEST(GroupsLinesForm, ClosingWithUncommittedEditsAsks) {
    test::TLoadedWindowStation w("Cedar");
    TGroupsLinesForm form(w.Ctx());
    form.show();
    const int row = FirstCarriedRow(form, w);
    form.ItemList()->setCurrentRow(row);
    const TGroupsLinesItem item = form.Items()[static_cast<std::size_t>(row)];
    const int index = LineRecordIndex(w.Station.Session, *w.Station.Store, item.Item);
    const int priority =
        w.Station.Store->Lines[static_cast<std::size_t>(index)].ALPriority == 4 ? 3 : 4;
    form.LinePanel()->PriorityList()->setCurrentText(QString::number(priority));

    w.Dialogs.ExpectQuestion(UncommittedQuestion(item), TAnswer::Cancel);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(w.Station.Session.Changed(ETable::SubscriberLines));

    w.Dialogs.ExpectQuestion(UncommittedQuestion(item), TAnswer::Ok);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(w.Station.Store->Lines[static_cast<std::size_t>(index)].ALPriority, priority);
    EXPECT_TRUE(w.Station.Session.Changed(ETable::SubscriberLines));
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(GroupsLinesForm, UsableByKeyboardAndReaderOnTheLargestStation) {
    for (const char* model : {"Dogwood", "Alder"}) {
        test::TLoadedWindowStation w(model);
        TGroupsLinesForm form(w.Ctx());
        test::ExpectUsableByKeyboardAndReader(form);
    }
}

TEST(GroupsLinesForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    test::TLoadedWindowStation w("Dogwood");
    TDataStream& store = *w.Station.Store;
    // A line of the first group, so that the picture shows rows following the group.
    TGroupsLinesForm form(w.Ctx());
    int row = FirstCarriedRow(form, w);
    while (LineRecordIndex(w.Station.Session, store,
                           form.Items()[static_cast<std::size_t>(row)].Item) < 0 ||
           store
                   .Lines[static_cast<std::size_t>(LineRecordIndex(
                       w.Station.Session, store, form.Items()[static_cast<std::size_t>(row)].Item))]
                   .ALGroup != 0)
        ++row;
    const int port = form.Items()[static_cast<std::size_t>(row)].Item;
    store.Names->SetPortName(
        TBroadcaster::GetLineNumFromPortNum("Dogwood", std::to_string(port)) - 1,
        Utf8ToCp1251("Бухгалтерия"));
    store.Names->SetGroupName(0, Utf8ToCp1251("Офис"));
    TGroupsLinesForm shown(w.Ctx());
    shown.show();
    shown.ItemList()->setCurrentRow(row);
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(shown.grab().save(QDir(dir).filePath(QStringLiteral("groups_lines.png"))));
}

}  // namespace
}  // namespace zarnik
