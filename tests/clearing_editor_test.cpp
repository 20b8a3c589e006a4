// The clearing window's rules without widgets: which tables a press would reset, the question
// naming them, and that Cancel leaves everything as it was.
#include "editors/clearing_editor.h"

#include <gtest/gtest.h>

#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::AllTicks;
using test::OnlyTicks;

TEST(ClearingEditor, OnlyTicksTheWorkingProgramHasAreCleared) {
    EXPECT_EQ(ClearingWindowTicks(), AllTicks());  // all ticked when the program starts
    test::TLoadedStation s("Cedar");
    s.Session.Identity.Version = "23,7";  // older than 23,8: no system-phone buttons
    const auto ticks = OnlyTicks({ETable::StaButtons, ETable::Flash, ETable::TrunkLines});
    EXPECT_EQ(TablesToClear(s.Session, ticks),
              (std::vector<ETable>{ETable::TrunkLines, ETable::Flash}));
    s.Session.Identity.Version = "24,8";
    EXPECT_EQ(TablesToClear(s.Session, ticks),
              (std::vector<ETable>{ETable::TrunkLines, ETable::StaButtons, ETable::Flash}));
    EXPECT_TRUE(TablesToClear(s.Session, TTableTicks{}).empty());
}

TEST(ClearingEditor, QuestionNamesTheTablesInClearingOrderWithoutTrailingSpaces) {
    EXPECT_EQ(ClearingQuestion({ETable::DoorPhones, ETable::SubscriberLines}),
              "Будут обнулены таблицы:\n"
              "- Установки АЛ\n"
              "- Таблицы домофонов\n"
              "\nПри следующей записи они будут отправлены в АТС пустыми. Обнулить?");
}

TEST(ClearingEditor, CancelChangesNothingOkClearsAndMarksChanged) {
    test::TLoadedStation s("Dogwood");
    s.Dialogs = test::TScriptedDialogs(true);
    const auto ticks = OnlyTicks({ETable::Redirections, ETable::BlackWhiteLists});
    const std::string session = test::SessionPrint(s.Session);
    const std::string store = test::StorePrint(s.Session, *s.Store);

    s.Dialogs.ExpectQuestion(ClearingQuestion({ETable::Redirections, ETable::BlackWhiteLists}),
                             TAnswer::Cancel);
    EXPECT_EQ(ClearTickedTables(s.Session, *s.Store, ticks, s.Dialogs), EClearingOutcome::Cancelled);
    EXPECT_EQ(test::SessionPrint(s.Session), session);
    EXPECT_EQ(test::StorePrint(s.Session, *s.Store), store);

    // Nothing ticked: no question, nothing changed.
    EXPECT_EQ(ClearTickedTables(s.Session, *s.Store, TTableTicks{}, s.Dialogs),
              EClearingOutcome::Nothing);
    EXPECT_EQ(test::SessionPrint(s.Session), session);

    s.Dialogs.ExpectQuestion("", TAnswer::Ok);
    EXPECT_EQ(ClearTickedTables(s.Session, *s.Store, ticks, s.Dialogs), EClearingOutcome::Cleared);
    EXPECT_TRUE(s.Session.Changed(ETable::Redirections));
    EXPECT_TRUE(s.Session.Changed(ETable::BlackWhiteLists));
    EXPECT_FALSE(s.Session.Changed(ETable::SubscriberLines));
    for (std::size_t k = 0; k < s.Store->RedirectionCount; ++k)
        EXPECT_EQ(s.Store->Redirections[k].Target, 0) << k;
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik
