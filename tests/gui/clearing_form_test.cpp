// The clearing window through its widgets: its boxes, the ticks it keeps, the question before a
// reset, a table the working program lacks, and the file round trip of one cleared table.
#include "app/clearing_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "editors/clearing_editor.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using Form = app::TClearingForm;

struct TClearingWindow {
    explicit TClearingWindow(const std::string& model) : W(model) {
        ClearingWindowTicks() = test::AllTicks();  // as at the program's start
    }
    test::TLoadedWindowStation W;
};

void Untick(Form& form) {
    QTest::mouseClick(form.UntickAllButton(), Qt::LeftButton);
}
void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

TEST(ClearingForm, BoxesCaptionsAndTicksKeptBetweenOpenings) {
    TClearingWindow t("Dogwood");
    {
        Form form(t.W.Ctx());
        EXPECT_EQ(form.windowTitle(), "Чистка всех установок");
        EXPECT_EQ(form.Box(1)->text(), "Установки АЛ ");
        EXPECT_EQ(form.Box(2)->text(), "Установки СЛ ");
        EXPECT_EQ(form.Box(7)->text(), "Таблицы домофонов ");
        EXPECT_EQ(form.Box(15)->text(), "Белые и черные зап. книжки");
        for (std::size_t i = 0; i < kTableCount; ++i) EXPECT_TRUE(form.Box(i)->isChecked()) << i;
        Untick(form);
        for (std::size_t i = 0; i < kTableCount; ++i) EXPECT_FALSE(form.Box(i)->isChecked()) << i;
        Click(form.BoxOf(ETable::Flash));
        test::ExpectUsableByKeyboardAndReader(form);
        if (const QString look = qEnvironmentVariable("ZARNIK_LOOK_DIR"); !look.isEmpty()) {
            form.show();
            QApplication::processEvents();
            form.grab().save(look + "/clearing.png");
        }
    }  // closed without clearing
    Form again(t.W.Ctx());
    EXPECT_TRUE(again.BoxOf(ETable::Flash)->isChecked());
    EXPECT_FALSE(again.BoxOf(ETable::TrunkLines)->isChecked());
    Click(again.TickAllButton());
    EXPECT_TRUE(again.BoxOf(ETable::TrunkLines)->isChecked());
}

TEST(ClearingForm, AskedFirstCancelKeepsEverythingAndTheWindowOpen) {
    TClearingWindow t("Cedar");
    TMainClass& session = t.W.Station.Session;
    const std::string before = test::SessionPrint(session);
    Form form(t.W.Ctx());
    form.show();
    Untick(form);
    Click(form.BoxOf(ETable::SubscriberLines));
    Click(form.BoxOf(ETable::DoorPhones));
    t.W.Dialogs.ExpectQuestion(ClearingQuestion({ETable::SubscriberLines, ETable::DoorPhones}),
                               TAnswer::Cancel);
    Click(form.ClearButton());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(test::SessionPrint(session), before);

    t.W.Dialogs.ExpectQuestion("", TAnswer::Ok);
    Click(form.ClearButton());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(session.Changed(ETable::SubscriberLines));
    EXPECT_TRUE(session.Changed(ETable::DoorPhones));
    EXPECT_FALSE(session.Changed(ETable::TrunkLines));
    EXPECT_EQ(t.W.Station.Store->DoorPhones[0], TDf{});
    EXPECT_EQ(t.W.Dialogs.Seen.back().Caption, kClearingQuestionCaption);
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
}

TEST(ClearingForm, ATableTheWorkingProgramLacksIsLeftAloneEvenWhenTicked) {
    TClearingWindow t("Dogwood");
    TMainClass& session = t.W.Station.Session;
    session.Identity.Version = "23,7";  // capability entry 40 off: no system-phone buttons
    const auto buttonsBefore = session.Area(ETable::StaButtons).Slots;
    Form form(t.W.Ctx());
    form.show();
    EXPECT_FALSE(form.BoxOf(ETable::StaButtons)->isEnabled());
    EXPECT_TRUE(form.BoxOf(ETable::StaButtons)->isChecked());
    Untick(form);
    Click(form.TickAllButton());  // ticks the disabled box as well
    EXPECT_TRUE(form.BoxOf(ETable::StaButtons)->isChecked());
    Click(form.BoxOf(ETable::SubscriberLines));  // leave one table out
    t.W.Dialogs.ExpectQuestion("", TAnswer::Ok);
    Click(form.ClearButton());
    const std::string asked = t.W.Dialogs.Seen.back().Text;
    EXPECT_EQ(asked.find("Таблицы кнопок СТА"), std::string::npos) << asked;
    EXPECT_EQ(asked.find("Установки АЛ"), std::string::npos) << asked;
    EXPECT_FALSE(session.Changed(ETable::StaButtons));
    EXPECT_FALSE(session.Changed(ETable::SubscriberLines));
    EXPECT_TRUE(session.Changed(ETable::TrunkLines));
    const auto& buttonsAfter = session.Area(ETable::StaButtons).Slots;
    for (std::size_t i = 0; i < buttonsBefore.size(); ++i)
        EXPECT_TRUE(buttonsBefore[i].Bytes == buttonsAfter[i].Bytes) << i;

    // Nothing ticked: no question, nothing changed, the window closes.
    Form empty(t.W.Ctx());
    empty.show();
    Untick(empty);
    const std::string print = test::SessionPrint(session);
    Click(empty.ClearButton());
    EXPECT_FALSE(empty.isVisible());
    EXPECT_EQ(test::SessionPrint(session), print);
}

TEST(ClearingForm, FileRoundTripCarriesExactlyTheClearedTable) {
    TClearingWindow t("Dogwood");
    TMainClass& session = t.W.Station.Session;
    const std::string dir = t.W.Station.Dir.Path;
    test::SavedFile(session, *t.W.Station.Store, dir + "/before.ats");
    Form form(t.W.Ctx());
    form.show();
    Untick(form);
    Click(form.BoxOf(ETable::BlackWhiteLists));
    t.W.Dialogs.ExpectQuestion("", TAnswer::Ok);
    Click(form.ClearButton());
    test::SavedFile(session, *t.W.Station.Store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::BlackWhiteLists)->Key;
    test::ExpectOnlyThisChange(dir + "/before.ats", dir + "/after.ats", ETable::BlackWhiteLists,
                               [&](nlohmann::json& tables) {
                                   // The lists as a blank image decodes.
                                   test::TOfflineSession blank("Dogwood");
                                   BlankTable(blank.Session, *blank.Store, ETable::BlackWhiteLists);
                                   tables[key] = cli::StoreToJson(blank.Session, *blank.Store,
                                                                  test::AllTicks())[key];
                               });
}

}  // namespace
}  // namespace zarnik
