// The constructor window driven through its widgets: the Cedar second-unit rules, the model
// and version lists, building a station, and a build with nothing chosen.
#include "app/constructor_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>

#include "editors/constructor_editor.h"
#include "gui/constructor_test_support.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using Form = app::TConstructorForm;

struct TConstructorWindow {
    explicit TConstructorWindow(const std::string& model) : W(model) {
        ConstructorWindowDraft() = TConstructorDraft{};  // as at the program's start
    }
    test::TLoadedWindowStation W;
};

using test::PutBoard;

QString Board(Form& form, int slot) {
    return form.SlotGrid()->item(Form::BoardRow, slot)->text();
}

TEST(ConstructorForm, CedarSecondUnitFollowsTheBoardsOfSlotsSixToEleven) {
    TConstructorWindow t("Cedar");
    Form form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Конструктор АТС");
    EXPECT_EQ(form.ModelList()->currentText(), "Cedar");  // the session's model
    EXPECT_EQ(form.VersionList()->currentText(), "24.7");
    ASSERT_EQ(form.SlotGrid()->columnCount(), 12);
    EXPECT_EQ(form.SlotGrid()->item(Form::SlotRow, 11)->text(), "11");
    EXPECT_TRUE(form.SecondUnitBox()->isEnabled());
    EXPECT_FALSE(form.SecondUnitBox()->isChecked());

    PutBoard(form, 0, "Kama");
    EXPECT_FALSE(form.SecondUnitBox()->isChecked());
    PutBoard(form, 7, "Neva");
    EXPECT_EQ(Board(form, 7), "Neva");
    EXPECT_EQ(form.SlotGrid()->item(Form::BoardRow, 7)->data(Qt::AccessibleTextRole).toString(),
              "Плата слота 7: Neva");
    EXPECT_TRUE(form.SecondUnitBox()->isChecked());
    QTest::mouseClick(form.SecondUnitBox(), Qt::LeftButton);  // cannot untick: slot 7 is fitted
    EXPECT_TRUE(form.SecondUnitBox()->isChecked());
    PutBoard(form, 7, "");
    QTest::mouseClick(form.SecondUnitBox(), Qt::LeftButton);
    EXPECT_FALSE(form.SecondUnitBox()->isChecked());
    EXPECT_EQ(ConstructorWindowDraft().CompositionBytes().size(), 17u);
    EXPECT_EQ(ConstructorWindowDraft().CompositionBytes()[15], 255);

    // Another model: its own slot count, the box off, every board gone.
    form.ModelList()->setCurrentText("Alder");
    EXPECT_EQ(form.SlotGrid()->columnCount(), 6);
    EXPECT_FALSE(form.SecondUnitBox()->isEnabled());
    EXPECT_EQ(Board(form, 0), "");
    PutBoard(form, 0, "Lena");
    EXPECT_EQ(Board(form, 0), "Lena");
}

TEST(ConstructorForm, BuildsTheChosenStationAndReportsAccepted) {
    TConstructorWindow t("Dogwood");
    TMainClass& session = t.W.Station.Session;
    Form form(t.W.Ctx());
    form.show();
    form.ModelList()->setCurrentText("Alder");
    form.VersionList()->setCurrentText("30.8");
    PutBoard(form, 0, "Oka");
    PutBoard(form, 1, "Lena");
    QTest::mouseClick(form.BuildButton(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(session.Identity.ModelName, "Alder");
    EXPECT_EQ(session.Identity.Version, "30,8");
    EXPECT_EQ(session.Identity.SubscriberLineCount, 48);
    EXPECT_EQ(session.Identity.DoorPhoneCount, 2);
    EXPECT_TRUE(session.DataPresent);
    EXPECT_EQ(t.W.Station.Store->Model, "Alder");
    const auto fitted = std::count_if(t.W.Station.Store->Ports.begin(), t.W.Station.Store->Ports.end(),
                                      [](const TPortPtr& p) { return p->Type != kPortTypeEmpty; });
    EXPECT_EQ(fitted, 16);  // Oka and Lena; the four empty slots give empty places
    EXPECT_EQ(session.ConferenceParams, (std::array<std::uint8_t, 5>{}));

    // Opened again: the choices of the last time are still there, the version is the default.
    Form again(t.W.Ctx());
    EXPECT_EQ(again.ModelList()->currentText(), "Alder");
    EXPECT_EQ(again.VersionList()->currentText(), "24.7");
    EXPECT_EQ(Board(again, 1), "Lena");
}

TEST(ConstructorForm, WithoutModelOrVersionNothingIsBuilt) {
    TConstructorWindow t("Cedar");
    const std::string before = test::SessionPrint(t.W.Station.Session);
    Form form(t.W.Ctx());
    form.show();
    form.ModelList()->setCurrentIndex(-1);
    QTest::mouseClick(form.BuildButton(), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    form.ModelList()->setCurrentText("Cedar");
    form.VersionList()->setCurrentIndex(-1);
    // Without a version no drop-down opens over the slots either.
    QTableWidget* grid = form.SlotGrid();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualItemRect(grid->item(Form::BoardRow, 0)).center());
    EXPECT_EQ(grid->indexWidget(grid->model()->index(Form::BoardRow, 0)), nullptr);
    QTest::mouseClick(form.BuildButton(), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(test::SessionPrint(t.W.Station.Session), before);
}

TEST(ConstructorForm, UsableByKeyboardAndScreenReaderAndPictured) {
    TConstructorWindow t("Dogwood");
    Form form(t.W.Ctx());
    EXPECT_LE(form.maximumWidth(), 900);
    EXPECT_LE(form.maximumHeight(), 600);
    test::ExpectUsableByKeyboardAndReader(form);
    form.show();
    QApplication::processEvents();
    EXPECT_LE(form.width(), 900);
    EXPECT_LE(form.height(), 600);
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    PutBoard(form, 0, "Kama");
    PutBoard(form, 1, "Volga");
    PutBoard(form, 2, "Neva");
    form.SlotGrid()->setCurrentCell(Form::BoardRow, 3);
    const QString path = QDir(dir).filePath(QStringLiteral("constructor.png"));
    EXPECT_TRUE(form.grab().save(path)) << path.toStdString();
}

}  // namespace
}  // namespace zarnik
