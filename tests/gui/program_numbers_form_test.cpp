// The program number window through its widgets: the grid, the keys of a number cell, the
// commit button and closing, refused commits that save nothing, and the file round trip.
#include "app/program_numbers_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "editors/name_rules.h"
#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using Form = app::TPrgNumForm;

// Types the keys into a cell as a user does: the first key on the grid opens the editor, the
// others go to the editor, Enter ends the editing. The cell's text afterwards.
QString TypeInto(Form& form, int row, int column, const QString& keys) {
    QTableWidget* grid = form.Grid();
    grid->setFocus();
    grid->setCurrentCell(row, column);
    // Backspace does not open an editor; F2 does.
    const bool startWithF2 = keys.at(0) == QLatin1Char('\b');
    if (startWithF2)
        QTest::keyClick(grid, Qt::Key_F2);
    else
        QTest::keyClick(grid, keys.at(0).toLatin1());
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
        if (!e->isHidden()) editor = e;
    if (editor == nullptr) {
        ADD_FAILURE() << "no editor on row " << row;
        return {};
    }
    for (QChar c : keys.mid(startWithF2 ? 0 : 1)) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            QTest::keyClick(editor, c.toLatin1());
    }
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return grid->item(row, column)->text();
}

struct TPrgWindow {
    // The built-in station numbers its first lines 15, 105, 1234, ...; 15 is made free here.
    TPrgWindow() : W("Cedar") {
        for (const TPortPtr& p : Store().Ports)
            if (p->AlData->AL_PrgNum == "15") p->AlData->AL_PrgNum.clear();
    }
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    std::string Print() {
        return test::SessionPrint(Session()) + test::StorePrint(Session(), Store());
    }
    // Rows whose number cell is empty, in grid order.
    std::vector<int> EmptyRows(Form& form) {
        std::vector<int> rows;
        for (int r = 0; r < form.Grid()->rowCount(); ++r)
            if (form.Grid()->item(r, Form::ColNumber)->text().isEmpty()) rows.push_back(r);
        return rows;
    }
    int PortOf(Form& form, int row) {
        return form.Grid()->item(row, Form::ColPort)->text().toInt();
    }
    std::string NumberOn(int port) { return FindPort(Store(), port)->AlData->AL_PrgNum; }
    test::TLoadedWindowStation W;
};

TEST(ProgramNumbersForm, ShowsTheLinesAndTypingFollowsTheNumberRules) {
    TPrgWindow t;
    Form form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Установка программных номеров");
    QTableWidget* grid = form.Grid();
    EXPECT_EQ(grid->horizontalHeaderItem(Form::ColPort)->text(), "Апп.номер");
    EXPECT_EQ(grid->horizontalHeaderItem(Form::ColNumber)->text(), "Прогр. номер");
    EXPECT_EQ(grid->columnWidth(Form::ColGroup), 82);
    EXPECT_FALSE(form.CommitButton()->isEnabled());
    const auto empty = t.EmptyRows(form);
    ASSERT_GE(empty.size(), 3u);

    EXPECT_EQ(TypeInto(form, empty[0], Form::ColNumber, "2"), "");
    EXPECT_FALSE(form.CommitButton()->isEnabled());
    EXPECT_EQ(TypeInto(form, empty[0], Form::ColNumber, "15x"), "15");
    EXPECT_TRUE(form.CommitButton()->isEnabled());
    EXPECT_EQ(TypeInto(form, empty[1], Form::ColNumber, "17389"), "1738");  // no fifth digit
    EXPECT_EQ(TypeInto(form, empty[1], Form::ColNumber, "\b\b6"), "176");

    // 105 is another line's number: refused while typing, and the cell is cleared.
    t.W.Dialogs.ExpectMessage(kPrgNumDuplicateMessage);
    EXPECT_EQ(TypeInto(form, empty[2], Form::ColNumber, "105"), "");
    EXPECT_EQ(t.W.Dialogs.Seen.back().Caption, "Ошибка");
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(t.NumberOn(t.PortOf(form, empty[0])), "");  // nothing stored before a commit
}

TEST(ProgramNumbersForm, CommitClearsAOneDigitNumberAndSavesTheOthers) {
    TPrgWindow t;
    Form form(t.W.Ctx());
    form.show();
    const auto empty = t.EmptyRows(form);
    TypeInto(form, empty[0], Form::ColNumber, "1");
    TypeInto(form, empty[1], Form::ColNumber, "177");
    form.Grid()->item(empty[1], Form::ColName)->setText(QStringLiteral("Склад"));
    t.W.Dialogs.ExpectMessage(kPrgNumTooShortMessage);
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(form.Grid()->item(empty[0], Form::ColNumber)->text(), "");
    EXPECT_FALSE(form.CommitButton()->isEnabled());
    const int port = t.PortOf(form, empty[1]);
    EXPECT_EQ(t.NumberOn(t.PortOf(form, empty[0])), "");
    EXPECT_EQ(t.NumberOn(port), "177");
    EXPECT_EQ(t.Store().Names->GetPortName(port - 200), Utf8ToCp1251("Склад"));
    EXPECT_TRUE(t.Session().Changed(ETable::ProgramNumbers));
    form.close();  // nothing left to commit
    EXPECT_FALSE(form.isVisible());
}

TEST(ProgramNumbersForm, EqualNumbersOrALongNameSaveNothingAndKeepTheWindowOpen) {
    TPrgWindow t;
    const std::string before = t.Print();
    Form form(t.W.Ctx());
    form.show();
    const auto empty = t.EmptyRows(form);
    // Two cells with 105: typing refuses it, so the second is given as a paste would.
    TypeInto(form, empty[0], Form::ColNumber, "16");
    form.Grid()->item(empty[0], Form::ColNumber)->setText("105");
    t.W.Dialogs.ExpectMessage(kPrgNumDuplicateMessage);
    QTest::mouseClick(form.CommitButton(), Qt::LeftButton);
    EXPECT_EQ(t.Print(), before);
    EXPECT_TRUE(form.CommitButton()->isEnabled());

    // Closing commits first; refused, the window stays open with the message.
    t.W.Dialogs.ExpectMessage(kPrgNumDuplicateMessage);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(t.Print(), before);

    form.Grid()->item(empty[0], Form::ColNumber)->setText("16");
    const QString tooLong(static_cast<int>(kMaxNameChars) + 1, QChar(u'ж'));
    form.Grid()->item(empty[1], Form::ColName)->setText(tooLong);
    t.W.Dialogs.ExpectMessage(CheckName(tooLong.toStdString()).Error);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Grid()->currentRow(), empty[1]);
    EXPECT_EQ(form.Grid()->currentColumn(), Form::ColName);
    EXPECT_EQ(t.Print(), before);

    form.Grid()->item(empty[1], Form::ColName)->setText(QStringLiteral("Охрана"));
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(t.NumberOn(t.PortOf(form, empty[0])), "16");
    EXPECT_EQ(t.Store().Names->GetPortName(t.PortOf(form, empty[1]) - 200), Utf8ToCp1251("Охрана"));
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
}

TEST(ProgramNumbersForm, OneTypedNumberIsTheOnlyChangeAFreshProgramLoads) {
    test::TLoadedWindowStation w("Dogwood");
    const std::string dir = w.Station.Dir.Path;
    const auto before =
        test::SaveEveryTable(w.Station.Session, *w.Station.Store, dir + "/before.ats");
    int port = 0;
    {
        Form form(w.Ctx());
        form.show();
        int row = -1;
        for (int r = 0; r < form.Grid()->rowCount() && row < 0; ++r)
            if (form.Grid()->item(r, Form::ColNumber)->text().isEmpty()) row = r;
        ASSERT_GE(row, 0);
        port = form.Grid()->item(row, Form::ColPort)->text().toInt();
        EXPECT_EQ(TypeInto(form, row, Form::ColNumber, "1908"), "1908");
        form.close();  // closing commits
        EXPECT_FALSE(form.isVisible());
    }
    const std::string path = dir + "/after.ats";
    const auto after = test::SaveEveryTable(w.Station.Session, *w.Station.Store, path);
    test::ExpectOnlyTableChanged(before, after, ETable::ProgramNumbers);
    const auto fresh = test::LoadedFresh("Dogwood", path);
    for (const TPortPtr& p : w.Station.Store->Ports) {
        const TPortPtr loaded = FindPort(*fresh->Store, p->Number);
        if (!loaded || !IsLinePort(*p)) continue;
        EXPECT_EQ(loaded->AlData->AL_PrgNum, p->Number == port ? "1908" : p->AlData->AL_PrgNum)
            << p->Number;
    }
}

TEST(ProgramNumbersForm, UsableByKeyboardAndReader) {
    TPrgWindow t;
    Form form(t.W.Ctx());
    test::ExpectUsableByKeyboardAndReader(form);
    EXPECT_EQ(form.Grid()->item(0, Form::ColName)->data(Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("Порт %1, имя").arg(t.PortOf(form, 0)));
}

TEST(ProgramNumbersForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    TPrgWindow t;
    TDataStream& store = t.Store();
    const char* names[] = {"Приёмная", "Бухгалтерия", "Директор", "Склад", "Охрана"};
    int n = 0;
    for (const TPortPtr& p : store.Ports) {
        if (p->Type != kPortTypeSubscriber || n >= 5) continue;
        store.Names->SetPortName(p->Line - 1, Utf8ToCp1251(names[n]));
        p->AlData->AL_PrgNum = "12" + std::to_string(n);
        store.Lines[static_cast<std::size_t>(p->Line - 1)].ALGroup = n % 2 == 0 ? 0 : -1;
        ++n;
    }
    Form form(t.W.Ctx());
    form.show();
    TypeInto(form, t.EmptyRows(form).front(), Form::ColNumber, "17");
    form.Grid()->scrollToTop();
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("program_numbers.png"))));
}

}  // namespace
}  // namespace zarnik
