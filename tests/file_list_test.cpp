// The configuration file format: what a save writes, and how a reader finds the records.

#include "files/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/file_test_helpers.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::AllTicks;
using test::OnlyTicks;
using test::RecordBytes;
using test::RecordData;
using test::RecordsOf;
using test::SavedBytes;
using test::TLoadedStation;
using test::TOfflineSession;

std::size_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | std::size_t{b[at + 1]} << 8;
}

// The header of a file followed by the given records.
std::vector<std::uint8_t> WithRecords(const std::vector<std::uint8_t>& file,
                                      const std::vector<std::vector<std::uint8_t>>& records) {
    std::vector<std::uint8_t> out(file.begin(), file.begin() + kFileHeaderSize);
    for (const auto& r : records) out.insert(out.end(), r.begin(), r.end());
    return out;
}

std::vector<std::uint8_t> Valid(const TRawSlot& slot) {
    const auto v = slot.Valid();
    return {v.begin(), v.end()};
}

// The built-in stations save the files the tests read; loading them goes into one session of
// the suite that is not identified, so no model question is asked.
class FileFormat : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Target = new TOfflineSession("Alder"); }
    static void TearDownTestSuite() {
        delete Target;
        Target = nullptr;
    }
    void SetUp() override {
        Target->Session.Identified = false;
        Target->Dialogs.Seen.clear();
    }

    static const TLoadedStation& Cedar() { return test::BuiltinStation("Cedar"); }
    static const std::vector<std::uint8_t>& CedarFile() { return test::BuiltinFile("Cedar"); }
    bool Load(const std::vector<std::uint8_t>& bytes, const TTableTicks& ticks = AllTicks()) {
        return LoadConfigurationBytes(Target->Session, *Target->Store, File, ticks, bytes);
    }

    static inline TOfflineSession* Target = nullptr;
    TFileList File;
};

TEST_F(FileFormat, HeaderSectionsPaddingAndOnlyTheChosenRecordsInAscendingIds) {
    const TMainClass& s = Cedar().Session;
    const auto ticks = OnlyTicks(
        {ETable::SubscriberLines, ETable::SystemSettings, ETable::DoorPhones, ETable::StaButtons});
    const std::vector<std::uint8_t> b = SavedBytes(s, ticks);

    ASSERT_GT(b.size(), kFileHeaderSize);
    EXPECT_EQ(b[0], 20);
    EXPECT_TRUE(std::equal(b.begin() + 1, b.begin() + 21, s.IdBuffer.begin()));
    const std::size_t n1 = Word(b, 21);
    EXPECT_EQ(n1, s.TimeDefaultsLength);
    EXPECT_TRUE(std::equal(b.begin() + 23, b.begin() + 23 + static_cast<long>(n1),
                           s.TimeDefaultsRaw.begin()));
    const std::size_t n2 = Word(b, 23 + n1);
    EXPECT_EQ(n2, s.HwListLength);
    EXPECT_TRUE(std::equal(b.begin() + 25 + static_cast<long>(n1),
                           b.begin() + 25 + static_cast<long>(n1 + n2), s.HwList.begin()));
    const std::size_t conf = 25 + n1 + n2;
    EXPECT_EQ(Word(b, conf), 5u);
    EXPECT_TRUE(std::equal(b.begin() + static_cast<long>(conf) + 2,
                           b.begin() + static_cast<long>(conf) + 7, s.ConferenceParams.begin()));
    EXPECT_TRUE(std::all_of(b.begin() + static_cast<long>(conf) + 7, b.begin() + 200,
                            [](std::uint8_t x) { return x == 0; }));

    const auto records = RecordsOf(b);
    ASSERT_EQ(records.size(), 4u);
    const std::array<std::uint8_t, 4> ids{1, 2, 6, 16};
    for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(records[i].Id, ids[i]);
    EXPECT_EQ(records.back().End(), b.size());
    // Each record is the table's packed image.
    for (ETable t : {ETable::StaButtons, ETable::SystemSettings, ETable::DoorPhones,
                     ETable::SubscriberLines}) {
        const auto r = std::find_if(records.begin(), records.end(),
                                    [t](const auto& x) { return x.Id == FileId(t); });
        EXPECT_EQ(RecordData(b, *r), FindCodec(t)->Pack(s)) << FileId(t);
    }
}

TEST_F(FileFormat, ProgramNumberRecordIs300BytesOnDogwoodOnly) {
    for (const char* model : {"Alder", "Birch", "Cedar", "Dogwood"}) {
        SCOPED_TRACE(model);
        const bool dogwood = std::string(model) == "Dogwood";
        const TLoadedStation& station = test::BuiltinStation(model);
        const auto b = SavedBytes(station.Session, OnlyTicks({ETable::ProgramNumbers}));
        const auto records = RecordsOf(b);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].Id, 10);
        EXPECT_EQ(records[0].Length, dogwood ? 300u : 240u);

        ASSERT_TRUE(Load(b, OnlyTicks({ETable::ProgramNumbers})));
        const TRawArea& area = Target->Session.Area(ETable::ProgramNumbers);
        EXPECT_EQ(area.Slots[0].Length, 240);
        EXPECT_EQ(area.Slots[1].Length, dogwood ? 60 : 0);
        EXPECT_EQ(Valid(area.Slots[1]),
                  dogwood ? Valid(station.Session.Area(ETable::ProgramNumbers).Slots[1])
                          : std::vector<std::uint8_t>{});
    }
}

TEST_F(FileFormat, RecordsInAnyOrderUnknownIdsSkippedAndTheLaterOfTwoCounts) {
    const auto records = RecordsOf(CedarFile());
    ASSERT_EQ(records.size(), 16u);
    std::vector<std::vector<std::uint8_t>> shuffled;
    const std::vector<std::uint8_t> junk(40, 0xEE);
    shuffled.push_back(RecordBytes(3, junk));  // ids 3, 5 and 11 are not used
    for (auto r = records.rbegin(); r != records.rend(); ++r) {
        shuffled.push_back(RecordBytes(r->Id, RecordData(CedarFile(), *r)));
        if (r->Id == 8) shuffled.push_back(RecordBytes(200, junk));
    }
    // A second record of the system settings after the first: its bytes count.
    std::vector<std::uint8_t> later = FindCodec(ETable::SystemSettings)->Pack(Cedar().Session);
    ASSERT_FALSE(later.empty());
    later[0] ^= 0x01;
    shuffled.push_back(RecordBytes(2, later));

    ASSERT_TRUE(Load(WithRecords(CedarFile(), shuffled)));
    EXPECT_TRUE(Target->Dialogs.Seen.empty());
    for (ETable t : kAllTables) {
        SCOPED_TRACE(FileId(t));
        const auto expected =
            t == ETable::SystemSettings ? later : FindCodec(t)->Pack(Cedar().Session);
        EXPECT_EQ(FindCodec(t)->Pack(Target->Session), expected);
    }
}

TEST_F(FileFormat, AFileOfTheHeaderAloneLoadsEveryTableEmpty) {
    ASSERT_TRUE(Load(WithRecords(CedarFile(), {})));
    for (ETable t : kAllTables)
        for (const TRawSlot& slot : Target->Session.Area(t).Slots)
            ASSERT_EQ(slot.Length, 0) << "table " << FileId(t);
    // The station is still the file's.
    EXPECT_EQ(Target->Session.Identity.ModelName, "Cedar");
    EXPECT_EQ(Target->Store->Ports.size(), Cedar().Store->Ports.size());
}

TEST_F(FileFormat, UnknownModelCodeEndsTheProgramWithNothingChanged) {
    std::vector<std::uint8_t> b = CedarFile();
    b[1 + 5] = 5;
    const std::string session = test::SessionPrint(Target->Session);
    const std::string store = test::StorePrint(Target->Session, *Target->Store);
    try {
        Load(b);
        ADD_FAILURE() << "the program did not end";
    } catch (const TExitProgram& e) {
        EXPECT_EQ(e.Code, 1);
    }
    ASSERT_EQ(Target->Dialogs.Seen.size(), 1u);
    EXPECT_EQ(Target->Dialogs.Seen[0].Text, "Ошибка чтения кода устройства");
    EXPECT_EQ(Target->Dialogs.Seen[0].Caption, "");
    EXPECT_EQ(test::SessionPrint(Target->Session), session);
    EXPECT_EQ(test::StorePrint(Target->Session, *Target->Store), store);
}

TEST_F(FileFormat, RoutingTableCountZeroMeans48) {
    std::vector<std::uint8_t> b = CedarFile();
    b[1 + 17] = 0;
    ASSERT_TRUE(Load(b, OnlyTicks({ETable::SystemSettings})));
    EXPECT_EQ(File.RoutingTableCount, 48);
    EXPECT_EQ(Target->Session.Identity.RoutingTableCount, 48);
    EXPECT_EQ(Target->Store->IdValues[1], 48);
    b[1 + 17] = 7;
    ASSERT_TRUE(Load(b, OnlyTicks({ETable::SystemSettings})));
    EXPECT_EQ(File.RoutingTableCount, 7);
    EXPECT_EQ(File.DoorPhoneCount, b[1 + 16]);
}

// The door-phone and loudspeaker slots hold two full blocks; a table that needs more is
// refused by the save, which then writes nothing.
TEST_F(FileFormat, ATableLargerThanItsSlotIsRefusedBeforeAnythingIsWritten) {
    TOfflineSession& s = *Target;
    TRawArea& doors = s.Session.Area(ETable::DoorPhones);
    s.Session.Identity.DoorPhoneCount = 3;
    doors.Count = 3;
    for (int i = 0; i < 3; ++i) doors.Slots[static_cast<std::size_t>(i)].Length = 60;
    TFileList file;
    std::string why;
    EXPECT_FALSE(file.CopyToFile(s.Session, ETable::DoorPhones, &why));
    EXPECT_EQ(why, "таблица \"Таблицы домофонов\" не помещается в файл");

    const test::TScratchDir dir;
    const std::string name = dir / "big.ats";
    EXPECT_FALSE(
        SaveConfiguration(s.Session, *s.Store, file, OnlyTicks({ETable::DoorPhones}), name));
    ASSERT_EQ(s.Dialogs.Seen.size(), 1u);
    EXPECT_EQ(s.Dialogs.Seen[0].Text,
              "Файл не записан: таблица \"Таблицы домофонов\" не помещается в файл.");
    EXPECT_EQ(s.Dialogs.Seen[0].Caption, "Ошибка");
    EXPECT_EQ(test::EntriesOf(dir.Path), std::set<std::string>{});

    // Two full blocks still fit.
    s.Session.Identity.DoorPhoneCount = 2;
    doors.Slots[0].Length = doors.Slots[1].Length = 63;
    EXPECT_TRUE(file.CopyToFile(s.Session, ETable::DoorPhones, &why));
}

}  // namespace
}  // namespace zarnik
