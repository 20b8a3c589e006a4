// Verified writes: the comparison of sent and read-back images, the message naming what
// differs, and the read back against a station that keeps something other than it was sent.

#include "flows/verified_write.h"

#include <gtest/gtest.h>

#include "flows/read_write_all.h"
#include "sim/builtin_stations.h"
#include "support/live_station.h"

namespace zarnik {
namespace {

TRawArea Area(std::vector<std::vector<std::uint8_t>> blocks) {
    TRawArea area(blocks.size(), 16);
    for (std::size_t i = 0; i < blocks.size(); ++i) area.Slots[i].Assign(blocks[i]);
    return area;
}

TEST(VerifiedWriteCompare, NamesTheBlocksAndCountsTheBytesThatDiffer) {
    const TRawArea sent = Area({{1, 2, 3}, {4, 5, 6}, {7, 8}, {}});
    EXPECT_TRUE(CompareAreas(ETable::Groups, sent, sent).Blocks.empty());

    TRawArea back = sent;
    back.Slots[1].Bytes[2] = 0x66;                 // one byte of block 1
    back.Slots[2].Assign(std::vector<std::uint8_t>{7});  // block 2 came back one byte short
    back.Slots[3].Assign(std::vector<std::uint8_t>{0, 0});  // block 3 came back longer
    const TTableDifference d = CompareAreas(ETable::Groups, sent, back);
    EXPECT_EQ(d.Blocks, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(d.Bytes, 4u);
    EXPECT_EQ(d.FirstByte, 2u);

    // Bytes past a block's length are no part of it.
    TRawArea padded = sent;
    padded.Slots[0].Bytes[10] = 0xFF;
    EXPECT_TRUE(CompareAreas(ETable::Groups, sent, padded).Blocks.empty());
}

TEST(VerifiedWriteCompare, TheMessageNamesEveryTableAndWhereItDiffers) {
    TVerifyReport report;
    EXPECT_EQ(VerifyReportText(report), "");  // not run
    report.Ran = true;
    report.Same = {ETable::Groups};
    EXPECT_EQ(VerifyReportText(report), "");
    report.Differ.push_back({ETable::SystemSettings, {0}, 2, 12});
    report.Differ.push_back({ETable::SubscriberLines, {3, 17}, 5, 0});
    report.Unread = {ETable::TrunkLines};
    EXPECT_EQ(VerifyReportText(report),
              "Проверка записи: таблицы, прочитанные из АТС, отличаются от записанных. "
              "«Общесистемные установки»: различающихся байт: 2, первый — байт 13; "
              "«Установки АЛ»: блоки 4, 18, различающихся байт: 5, первый — байт 1 блока 4. "
              "Не удалось прочитать из АТС для проверки: «Установка СЛ». Эти таблицы остались "
              "отмеченными для записи в АТС.");
}

struct TVerifyRig {
    TVerifyRig() : Live(sim::MakeBuiltinStation("Cedar", false)), Linked(Live.Path(), false) {
        Linked.Store->TransferFlags.fill(true);
        EXPECT_EQ(ReadAll(S(), Progress, D()), 1);
    }
    TMainClass& S() { return *Linked.Session; }
    TDataStream& D() { return *Linked.Store; }
    test::TLiveStation Live;
    test::TLinkedSession Linked;
    TCountingProgress Progress;
};

// A station that keeps one table otherwise than it took it, and cannot hand another back.
TEST(VerifiedWriteEndToEnd, ATableKeptOtherwiseStaysMarkedAndIsNamed) {
    TVerifyRig rig;
    const std::vector<ETable> written{ETable::SystemSettings, ETable::SubscriberLines,
                                      ETable::TimeSettings};
    for (ETable t : written) rig.S().SetChanged(t, false);
    const TRawArea sentLines = rig.S().Area(ETable::SubscriberLines);
    rig.Live.With([](sim::TSimStation& st) {
        // Line 3 (index 2) keeps a different byte; the time table cannot be read back.
        sim::TBytes& line = st.Images.at({0x4C, 2});
        line.at(1) ^= 0x01;
        st.Faults.CorruptFor.insert(0x09);
    });
    const TVerifyReport report = VerifyWrittenTables(rig.S(), written);
    EXPECT_EQ(report.Same, std::vector<ETable>{ETable::SystemSettings});
    ASSERT_EQ(report.Differ.size(), 1u);
    EXPECT_EQ(report.Differ[0].Table, ETable::SubscriberLines);
    EXPECT_EQ(report.Differ[0].Blocks, std::vector<std::size_t>{2});
    EXPECT_EQ(report.Differ[0].Bytes, 1u);
    EXPECT_EQ(report.Unread, std::vector<ETable>{ETable::TimeSettings});
    EXPECT_FALSE(rig.S().Changed(ETable::SystemSettings));
    EXPECT_TRUE(rig.S().Changed(ETable::SubscriberLines));
    EXPECT_TRUE(rig.S().Changed(ETable::TimeSettings));
    // The image in hand is still what was sent, not what came back.
    EXPECT_TRUE(CompareAreas(ETable::SubscriberLines, sentLines,
                             rig.S().Area(ETable::SubscriberLines))
                    .Blocks.empty());
}

// The whole road: a write whose every table reads back as sent reports nothing; a station
// that drops part of what it took is caught by the read back.
TEST(VerifiedWriteEndToEnd, WriteAllSafelyReadsBackWhatTheStationTook) {
    TVerifyRig rig;
    TBackupRecord record;
    TSafeWriteOutcome outcome;
    std::vector<ETable> written;
    rig.D().TransferFlags.fill(false);
    rig.D().TransferFlags[static_cast<std::size_t>(SelectionIndex(ETable::Groups))] = true;
    rig.D().TransferFlags[static_cast<std::size_t>(SelectionIndex(ETable::Redirections))] = true;
    EXPECT_EQ(WriteAllSafely(rig.S(), rig.Progress, rig.D(), {false, true, &record}, outcome,
                             nullptr, &written),
              1);
    EXPECT_EQ(written.size(), 2u);
    EXPECT_TRUE(outcome.Verify.Ran);
    EXPECT_TRUE(outcome.Verify.AllSame());
    EXPECT_EQ(outcome.Verify.Same.size(), 2u);

    // Without the read back nothing is read after the write.
    const auto reads = [&] {
        return rig.Live.With([](sim::TSimStation& st) { return st.Stats().Requests.count(0x50)
                                                                   ? st.Stats().Requests.at(0x50)
                                                                   : 0; });
    };
    const int before = reads();
    EXPECT_EQ(WriteAllSafely(rig.S(), rig.Progress, rig.D(), {false, false, &record}, outcome), 1);
    EXPECT_FALSE(outcome.Verify.Ran);
    EXPECT_EQ(reads(), before);
}

}  // namespace
}  // namespace zarnik
