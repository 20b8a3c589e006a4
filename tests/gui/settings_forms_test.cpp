// The system-wide and time settings windows on a whole simulated Dogwood read into the store.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

#include "app/system_settings_form.h"
#include "app/time_settings_form.h"
#include "codecs/system_settings_codec.h"
#include "codecs/time_settings_codec.h"
#include "editors/settings_editing.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using Form = app::TTimeSettingsForm;

TEST(SystemSettingsForm, ShowsTheStoreAndCommitsWhatWasChanged) {
    test::TLoadedWindowStation w("Dogwood");
    TDataStream& store = *w.Station.Store;
    store.SystemSettings.SYS_ToneDial = false;
    store.SystemSettings.SYS_DayTime = {0, 0, 30, 7};
    app::TSystemSettingsForm form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование общесистемных установок АТС");
    EXPECT_EQ(form.Switch(2)->text(), "Глобальное разрешение тонального набора");
    EXPECT_FALSE(form.Switch(2)->isChecked());
    EXPECT_EQ(form.DayTime()->time(), QTime(7, 30, 0));

    // "Обновление данных" throws away what was not committed.
    QTest::mouseClick(form.Switch(2), Qt::LeftButton);
    EXPECT_TRUE(form.Switch(2)->isChecked());
    QTest::mouseClick(form.RefreshButton(), Qt::LeftButton);
    EXPECT_FALSE(form.Switch(2)->isChecked());
    EXPECT_FALSE(w.Station.Session.Changed(ETable::SystemSettings));

    QTest::mouseClick(form.Switch(2), Qt::LeftButton);
    form.NightTime()->setTime(QTime(19, 0, 5));
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(store.SystemSettings.SYS_ToneDial);
    EXPECT_EQ(store.SystemSettings.SYS_NightTime, (TSwitchTime{0, 5, 0, 19}));
    EXPECT_EQ(store.SystemSettings.SYS_DayTime, (TSwitchTime{0, 0, 30, 7}));
    // Encoded at once: the raw area holds the switch and the time in station units.
    EXPECT_TRUE(w.Station.Session.Changed(ETable::SystemSettings));
    const TRawSlot& raw = w.Station.Session.Area(ETable::SystemSettings).Slots[0];
    EXPECT_TRUE(raw.Bytes[0] & 0x04);
    const unsigned unit =
        w.Station.Session.Identity.TimeUnit == 0 ? 6 : w.Station.Session.Identity.TimeUnit;
    EXPECT_EQ(raw.Bytes[3] | raw.Bytes[4] << 8, (19 * 3600 + 5) / unit);
    test::ExpectUsableByKeyboardAndReader(form);
}

struct TTimeWindow {
    TTimeWindow() : W("Dogwood"), Window(W.Ctx()) { Window.show(); }
    QTableWidgetItem* Value(int row) { return Window.Grid()->item(row, Form::ColValue); }
    double Step(int row) { return W.Station.Store->TimeDefaults.Values[Timer(row)]; }
    std::size_t Timer(int row) {
        const std::string name = Window.Grid()->item(row, Form::ColName)->text().toStdString();
        for (std::size_t k = 0; k < kTimers.size(); ++k)
            if (name == kTimers[k].Name) return k;
        ADD_FAILURE() << name;
        return 0;
    }
    QString Steps(int row, int n) { return QString::fromStdString(FormatSeconds(Step(row) * n)); }
    test::TLoadedWindowStation W;
    Form Window;
};

TEST(TimeSettingsForm, TheGridShowsEveryTimerOfADogwood) {
    TTimeWindow t;
    QTableWidget* grid = t.Window.Grid();
    const auto rows = TimerRows(t.W.Station.Session, *t.W.Station.Store);
    ASSERT_EQ(grid->rowCount(), static_cast<int>(rows.size()));
    EXPECT_EQ(grid->item(0, Form::ColName)->text(), "T10");
    EXPECT_EQ(grid->horizontalHeaderItem(Form::ColDefault)->text(), "По умолчанию(сек.)");
    for (int r = 0; r < grid->rowCount(); ++r) {
        const TTimerRow& row = rows[static_cast<std::size_t>(r)];
        EXPECT_EQ(grid->item(r, Form::ColValue)->text().toStdString(), row.Value);
        EXPECT_EQ(grid->item(r, Form::ColDescription)->text().toStdString(), row.Description);
        // Only the value is typed into.
        EXPECT_FALSE(grid->item(r, Form::ColStep)->flags() & Qt::ItemIsEditable);
        EXPECT_TRUE(grid->item(r, Form::ColValue)->flags() & Qt::ItemIsEditable);
    }
    EXPECT_GT(t.Step(0), 0);
    test::ExpectUsableByKeyboardAndReader(t.Window);
}

// "+" and "-" move the value one step, never below one step nor above ten, by key on the grid,
// by key in the cell being edited, and by button.
TEST(TimeSettingsForm, PlusAndMinusStepWithinOneToTenSteps) {
    TTimeWindow t;
    QTableWidget* grid = t.Window.Grid();
    grid->setFocus();
    grid->setCurrentCell(0, Form::ColValue);
    t.Value(0)->setText(t.Steps(0, 2));
    QTest::keyClick(grid, Qt::Key_Plus);
    EXPECT_EQ(t.Value(0)->text(), t.Steps(0, 3));
    QTest::keyClick(grid, Qt::Key_Minus);
    QTest::keyClick(grid, Qt::Key_Minus);
    EXPECT_EQ(t.Value(0)->text(), t.Steps(0, 1));
    QTest::keyClick(grid, Qt::Key_Minus);  // one step is the least
    EXPECT_EQ(t.Value(0)->text(), t.Steps(0, 1));

    t.Value(0)->setText(t.Steps(0, 10));
    QTest::mouseClick(t.Window.PlusButton(), Qt::LeftButton);  // ten steps is the most
    EXPECT_EQ(t.Value(0)->text(), t.Steps(0, 10));
    QTest::mouseClick(t.Window.MinusButton(), Qt::LeftButton);
    EXPECT_EQ(t.Value(0)->text(), t.Steps(0, 9));

    // In another column the keys change nothing and type nothing.
    grid->setFocus();
    grid->setCurrentCell(0, Form::ColName);
    QTest::keyClick(grid, Qt::Key_Plus);
    EXPECT_EQ(t.Value(0)->text(), t.Steps(0, 9));
    EXPECT_EQ(grid->item(0, Form::ColName)->text(), "T10");

    // While the cell is being edited the keys step the text typed so far.
    grid->setCurrentCell(1, Form::ColValue);
    grid->editItem(t.Value(1));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(t.Steps(1, 4));
    QTest::keyClick(editor, Qt::Key_Plus);
    EXPECT_EQ(editor->text(), t.Steps(1, 5));
    editor->setText(QStringLiteral("x"));
    QTest::keyClick(editor, Qt::Key_Minus);  // no number: nothing to step
    EXPECT_EQ(editor->text(), "x");
    editor->setText(t.Steps(1, 5));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(t.Value(1)->text(), t.Steps(1, 5));
}

TEST(TimeSettingsForm, ANumberThatIsNoneKeepsTheWindowOpenAndTheStoreAsItWas) {
    TTimeWindow t;
    const TTimeSettings before = t.W.Station.Store->TimeSettings;
    const auto raw = t.W.Station.Session.Area(ETable::TimeSettings).Slots[0].Bytes;
    t.Value(0)->setText(QStringLiteral("3"));
    t.Value(5)->setText(QStringLiteral("1,5 с"));
    t.W.Dialogs.ExpectMessage("Исключение №1 при внесении данных в DataStream");
    QTest::mouseClick(t.Window.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_TRUE(t.Window.isVisible());
    EXPECT_NE(t.Window.result(), QDialog::Accepted);
    EXPECT_EQ(t.W.Station.Store->TimeSettings, before);
    EXPECT_EQ(t.W.Station.Session.Area(ETable::TimeSettings).Slots[0].Bytes, raw);
    EXPECT_FALSE(t.W.Station.Session.Changed(ETable::TimeSettings));

    // Corrected, the same window commits: 2,3 s travel as 18 eighths.
    t.Value(5)->setText(QStringLiteral("2,3"));
    QTest::mouseClick(t.Window.OkButton(), Qt::LeftButton);
    EXPECT_EQ(t.Window.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(t.W.Station.Store->TimeSettings.Values[0], 3.0f);
    EXPECT_TRUE(t.W.Station.Session.Changed(ETable::TimeSettings));
    const auto& bytes = t.W.Station.Session.Area(ETable::TimeSettings).Slots[0].Bytes;
    EXPECT_EQ(bytes[10] | bytes[11] << 8, 18);
}

TEST(TimeSettingsForm, CancelAndShowDataThrowAwayWhatWasTyped) {
    TTimeWindow t;
    const QString shown = t.Value(0)->text();
    t.Value(0)->setText(QStringLiteral("77"));
    QTest::mouseClick(t.Window.ShowButton(), Qt::LeftButton);
    EXPECT_EQ(t.Value(0)->text(), shown);
    t.Value(0)->setText(QStringLiteral("77"));
    QTest::mouseClick(t.Window.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(t.Window.result(), QDialog::Rejected);
    EXPECT_FALSE(t.W.Station.Session.Changed(ETable::TimeSettings));
    EXPECT_NE(t.W.Station.Store->TimeSettings.Values[0], 77.0f);
}

}  // namespace
}  // namespace zarnik
