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

#include "sim/builtin_stations.h"
#include "support/live_station.h"

namespace zarnik {
namespace {

int WritesSeen(test::TLiveStation& live) {
    return live.With([](sim::TSimStation& st) {
        return st.Stats().WritesAccepted + st.Stats().WritesRejected + st.Stats().AcksRefused;
    });
}

// Someone changed the cable between the read and the write: the configuration read from one
// station never goes to another. A configuration from a file may go to any station.
TEST(WriteAllEndToEnd, AnotherStationThanTheOneReadIsNeverWritten) {
    test::TLiveStation live(sim::MakeBuiltinStation("Cedar", false));
    test::TLinkedSession s(live.Path(), false);
    TCountingProgress progress;
    ASSERT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
    const std::string serial = s.Session->Identity.SerialNumber;
    live.With([](sim::TSimStation& st) {
        st.Identity.Serial = static_cast<std::uint16_t>(st.Identity.Serial + 1);
    });
    s.Dialogs.Seen.clear();
    s.Store->TransferFlags.fill(true);
    std::vector<ETable> failed;
    std::vector<ETable> written{ETable::Flash};
    EXPECT_EQ(WriteAll(*s.Session, progress, *s.Store, &failed, &written), kWriteOtherStation);
    EXPECT_TRUE(written.empty());
    EXPECT_TRUE(failed.empty());
    EXPECT_EQ(WritesSeen(live), 0);
    ASSERT_EQ(s.Dialogs.Seen.size(), 1u);
    EXPECT_NE(s.Dialogs.Seen[0].Text.find("другая АТС"), std::string::npos)
        << s.Dialogs.Seen[0].Text;
    EXPECT_EQ(s.Dialogs.Seen[0].Caption, "Ошибка");
    // The configuration in hand still describes the station it came from.
    EXPECT_EQ(s.Session->Identity.SerialNumber, serial);

    s.Session->Origin = EConfigOrigin::File;
    EXPECT_EQ(WriteAll(*s.Session, progress, *s.Store, &failed, &written), 1);
    EXPECT_GT(WritesSeen(live), 0);
}

// A quick conference that the station answers with silence was not taken.
TEST(WriteAllEndToEnd, ASilentAnswerToAConferenceIsNoAcceptance) {
    test::TSimSession s({"--model", "Cedar", "--silent-for", "E4"});
    TCountingProgress progress;
    ASSERT_EQ(ReadAll(*s.Session, progress, *s.Store), 1);
    ChooseOnly(*s.Store, ETable::QuickConferences);
    std::vector<ETable> failed;
    std::vector<ETable> written;
    WriteAll(*s.Session, progress, *s.Store, &failed, &written);
    EXPECT_EQ(failed, std::vector<ETable>{ETable::QuickConferences});
    EXPECT_TRUE(written.empty());
}

// The station is unplugged in the middle of a write: the port error reaches the caller, who
// still knows which tables the station took, and the message names both halves of the mix.
TEST(WriteAllEndToEnd, AWriteCutOffByThePortSaysWhatReachedTheStation) {
    test::TSimSession s({"--model", "Cedar"});
    TCountingProgress read;
    ASSERT_EQ(ReadAll(*s.Session, read, *s.Store), 1);
    s.Store->TransferFlags.fill(true);
    const std::vector<ETable> chosen = TablesWriteAllSends(*s.Session, *s.Store);
    ASSERT_EQ(chosen.size(), static_cast<std::size_t>(kTableCount));

    // The cable comes out as the eighth table (the flash settings) starts.
    struct TUnplug : TCountingProgress {
        test::TSimProcess* Sim = nullptr;
        void SetPosition(int v) override {
            TCountingProgress::SetPosition(v);
            if (v == 8) Sim->Stop();
        }
    } unplug;
    unplug.Sim = &s.Sim;
    std::vector<ETable> failed;
    std::vector<ETable> written;
    EXPECT_THROW(WriteAll(*s.Session, unplug, *s.Store, &failed, &written), ECommError);
    const std::vector<ETable> before(chosen.begin(), chosen.begin() + 7);
    EXPECT_EQ(written, before);

    const std::string text = WriteEndedEarlyText(EWriteEnd::PortFailed, chosen, written);
    EXPECT_EQ(text.rfind("Запись в АТС прервана ошибкой COM-порта. Записаны в АТС: «Быстрый сбор "
                         "конференции», «Общесистемные установки»",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("Не записаны (или записаны не полностью): «Flash установки», "
                        "«Программные номера»"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Теперь в АТС часть таблиц новые, часть прежние."), std::string::npos);

    // Stopped before anything went out, or after everything did, there is no mix to speak of.
    EXPECT_EQ(WriteEndedEarlyText(EWriteEnd::Cancelled, chosen, {}),
              "Запись в АТС остановлена. В АТС ничего не записано: все таблицы в АТС прежние.");
    EXPECT_EQ(WriteEndedEarlyText(EWriteEnd::Cancelled, chosen, chosen).find("часть прежние"),
              std::string::npos);
    EXPECT_EQ(WriteEndedEarlyText(EWriteEnd::Completed, chosen, before), "");
}

}  // namespace
}  // namespace zarnik
