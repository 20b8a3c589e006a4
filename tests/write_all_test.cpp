// Write-all against the simulated station: which failures are reported, and how.

#include <gtest/gtest.h>

#include <vector>

#include "flows/read_write_all.h"
#include "support/sim_session.h"

namespace zarnik {
namespace {

void ChooseOnly(TDataStream& store, ETable t) {
    store.TransferFlags.fill(false);
    store.TransferFlags[static_cast<std::size_t>(SelectionIndex(t))] = true;
}

TEST(WriteAllEndToEnd, RefusedTablesAreReportedWithTheirMessageOrInTheList) {
    // Five refusals for the system-wide settings, five for the time settings.
    test::TSimSession s({"--model", "Cedar", "--refuse-acks", "10"});
    TMainClass& session = *s.Session;
    TDataStream& store = *s.Store;
    TCountingProgress progress;
    ASSERT_EQ(ReadAll(session, progress, store), 1);
    s.Dialogs.Seen.clear();

    // The system-wide settings have no message of their own: the sequence still says it is
    // done, but the list names the table.
    std::vector<ETable> failed{ETable::Flash};  // whatever was there goes
    ChooseOnly(store, ETable::SystemSettings);
    session.SetChanged(ETable::SystemSettings);
    EXPECT_EQ(WriteAll(session, progress, store, &failed), 1);
    EXPECT_EQ(failed, std::vector<ETable>{ETable::SystemSettings});
    EXPECT_TRUE(s.Dialogs.Seen.empty());
    EXPECT_FALSE(session.Changed(ETable::SystemSettings));

    // A time-settings write whose every attempt is refused shows the table's message.
    ChooseOnly(store, ETable::TimeSettings);
    session.SetChanged(ETable::TimeSettings);
    EXPECT_EQ(WriteAll(session, progress, store, &failed), -1);
    EXPECT_EQ(failed, std::vector<ETable>{ETable::TimeSettings});
    ASSERT_EQ(s.Dialogs.Seen.size(), 1u);
    EXPECT_EQ(s.Dialogs.Seen[0].Text, "Не могу записать временные установки, нет связи с АТС.");
    EXPECT_EQ(s.Dialogs.Seen[0].Caption, "Ошибка");
    EXPECT_FALSE(session.Changed(ETable::TimeSettings));  // cleared whatever the result

    // The refusals are used up.
    s.Dialogs.Seen.clear();
    store.TransferFlags.fill(true);
    TCountingProgress bar;
    EXPECT_EQ(WriteAll(session, bar, store, &failed), 1);
    EXPECT_TRUE(failed.empty());
    EXPECT_TRUE(s.Dialogs.Seen.empty());
    EXPECT_EQ(bar.Pos, 16);
}

}  // namespace
}  // namespace zarnik
