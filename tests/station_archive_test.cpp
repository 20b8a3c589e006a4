// The station journal and the archive gathered from "dat": records that survive as written,
// damaged lines and files that never stop the listing, stations known by what their files
// hold, and a cache that spares the next run reading what has not changed.

#include "flows/station_archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "flows/station_journal.h"
#include "platform/durable_append.h"
#include "platform/sha256.h"
#include "support/file_test_helpers.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;

std::string Sha(const std::string& text) {
    return Sha256Hex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// The built-in Dogwood's file with the serial number `serial` in its identification.
std::string FileOf(int serial) {
    const std::vector<std::uint8_t>& b = test::BuiltinFile("Dogwood");
    std::string bytes(b.begin(), b.end());
    bytes[1 + 14] = static_cast<char>(serial & 0xFF);
    bytes[1 + 15] = static_cast<char>(serial >> 8);
    return bytes;
}

TJournalEntry Entry(const std::string& serial, const std::string& kind, std::int64_t when) {
    TJournalEntry e;
    e.Kind = kind;
    e.Serial = serial;
    e.Unix = when;
    e.Time = LocalTimeText(when);
    e.Model = "Dogwood";
    e.StationVersion = "24,8";
    e.StationName = "Склад Юг";
    e.Program = "zarnik-cli";
    e.Version = kJournalProgramVersion;
    e.Port = "/dev/ttyUSB0";
    return e;
}

TEST(StationJournal, Sha256MatchesTheStandardVectors) {
    EXPECT_EQ(Sha(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first last block.
    EXPECT_EQ(Sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(StationJournal, RecordsReadBackAsWrittenAndADamagedLineIsSkippedNotFatal) {
    test::TScratchDir dir;
    TJournalEntry write = Entry("6105", kJournalWrite, 1797000000);
    write.Tables = {"lines", "trunks"};
    write.Reached = {"lines"};
    write.Failed = {"trunks"};
    write.Result = kWriteResultCutOff;
    write.Verified = "no";
    write.VerifyDiffer = {"lines"};
    write.Backup = "6105_2026-12-10_12-00-00.ats";
    write.SourceFile = "/home/tech/dat/офис.ats";
    write.SourceSha256 = Sha("x");
    write.User = "техник";
    std::string why;
    ASSERT_TRUE(AppendJournal(dir.Path, write, &why)) << why;
    const std::string path = JournalPath(dir.Path, "6105");
    EXPECT_EQ(path, dir / "dat/auto/6105.journal");
    const std::string first = test::ReadBytes(path);
    EXPECT_EQ(first.find('\n'), first.size() - 1) << "one record, one line";

    // A line cut short by a crash, a line of another program, then a good record.
    ASSERT_TRUE(AppendDurably(path, "{\"time\":\"2026-12-10 12:00:01\",\"kind\":\"re\n"));
    ASSERT_TRUE(AppendDurably(path, "not json at all\n{\"kind\":\"read\"}\n"));
    ASSERT_TRUE(AppendJournal(dir.Path, Entry("6105", kJournalClock, 1797000100), &why));
    EXPECT_EQ(test::ReadBytes(path).substr(0, first.size()), first) << "never rewritten";

    const TJournalContent content = ReadJournal(path);
    ASSERT_EQ(content.Entries.size(), 2u);
    EXPECT_EQ(content.Damaged, (std::vector<std::size_t>{2, 3, 4}));
    const TJournalEntry& back = content.Entries[0];
    EXPECT_EQ(back.Kind, kJournalWrite);
    EXPECT_EQ(back.Tables, write.Tables);
    EXPECT_EQ(back.Reached, write.Reached);
    EXPECT_EQ(back.Failed, write.Failed);
    EXPECT_EQ(back.Result, write.Result);
    EXPECT_EQ(back.VerifyDiffer, write.VerifyDiffer);
    EXPECT_EQ(back.SourceFile, write.SourceFile);
    EXPECT_EQ(back.SourceSha256, write.SourceSha256);
    EXPECT_EQ(back.User, "техник");
    EXPECT_EQ(back.StationName, "Склад Юг");
    EXPECT_EQ(content.Entries[1].Kind, kJournalClock);
}

// A folder as years of work leave it: backups, a backup renamed by hand, a file a user saved,
// files cut short, strangers in dat/auto, a journal ending in a damaged line.
struct TArchiveDir {
    TArchiveDir() {
        fs::create_directories(Auto);
        test::WriteBytes(Auto + "/6105_2026-03-01_10-00-00.ats", FileOf(6105));
        test::WriteBytes(Auto + "/6105_2026-03-01_10-00-00_2.ats", FileOf(6105));
        // Named for 6105, holding 7007: it belongs to 7007.
        test::WriteBytes(Auto + "/6105_2026-03-02_09-00-00.ats", FileOf(7007));
        test::WriteBytes(Dir / "dat/office.ats", FileOf(6105));
        const std::string good = FileOf(6105);
        test::WriteBytes(Auto + "/6105_2026-03-03_10-00-00.ats", good.substr(0, good.size() - 7));
        test::WriteBytes(Auto + "/6105_2026-03-04_10-00-00.ats", good.substr(0, 120));
        std::string foreign = good;
        foreign[0] = 19;
        test::WriteBytes(Auto + "/old.ats", foreign);
        test::WriteBytes(Auto + "/notes.txt", "звонить после обеда");
        test::WriteBytes(Dir / "dat/port.nms", "names are not archive files");
        std::string why;
        for (std::int64_t t : {1772500000, 1772503600}) {
            TJournalEntry e = Entry("6105", kJournalRead, t);
            e.Tables = {"lines"};
            e.Result = "read";
            EXPECT_TRUE(AppendJournal(Dir.Path, e, &why)) << why;
        }
        EXPECT_TRUE(AppendDurably(JournalPath(Dir.Path, "6105"), "{\"kind\":\"wri"));
        test::WriteBytes(Auto + "/9999.journal", "garbage\n");
    }
    test::TScratchDir Dir;
    std::string Auto = Dir / "dat/auto";
};

std::vector<std::string> DamagedNames(const TStationArchive& archive) {
    std::vector<std::string> names;
    for (const TDamagedFile& d : archive.Damaged()) names.push_back(fs::path(d.Path).filename().string());
    return names;
}

TEST(StationArchive, StationsAreKnownByWhatTheirFilesHoldAndBadFilesAreListedApart) {
    TArchiveDir d;
    TStationArchive archive(d.Dir.Path);
    archive.Scan();
    ASSERT_EQ(archive.Stations().size(), 2u);
    const TArchiveStation& s6105 = archive.Stations()[0];
    EXPECT_EQ(s6105.Serial, "6105");
    EXPECT_EQ(s6105.Name, "Склад Юг");
    EXPECT_EQ(s6105.Model, "Dogwood");
    EXPECT_EQ(s6105.Backups, 2u);
    EXPECT_EQ(s6105.Files, 1u);
    EXPECT_TRUE(s6105.Journal);
    EXPECT_EQ(s6105.LastContact, 1772503600) << "the newest whole record, the cut one skipped";
    const TArchiveStation& s7007 = archive.Stations()[1];
    EXPECT_EQ(s7007.Serial, "7007");
    EXPECT_EQ(s7007.Backups, 1u);

    EXPECT_EQ(DamagedNames(archive),
              (std::vector<std::string>{"6105_2026-03-03_10-00-00.ats", "6105_2026-03-04_10-00-00.ats",
                                        "9999.journal", "notes.txt", "old.ats"}));
    for (const TDamagedFile& f : archive.Damaged()) EXPECT_FALSE(f.Why.empty()) << f.Path;
    EXPECT_NE(archive.Damaged()[0].Why.find("обрезан"), std::string::npos);

    TArchiveStation byName;
    byName.Serial = "6105";
    byName.Name = "Склад Юг";
    EXPECT_TRUE(StationMatches(byName, "СКЛАД"));
    EXPECT_TRUE(StationMatches(byName, "юг"));
    EXPECT_TRUE(StationMatches(byName, "10"));
    EXPECT_FALSE(StationMatches(byName, "север"));
}

TEST(StationArchive, TheTimelineIsNewestFirstAndNamesTheSkippedJournalLines) {
    TArchiveDir d;
    TStationArchive archive(d.Dir.Path);
    archive.Scan();
    std::vector<std::string> warnings;
    const std::vector<TArchiveEvent> events = archive.Timeline("6105", &warnings);
    ASSERT_EQ(events.size(), 5u);
    for (std::size_t i = 1; i < events.size(); ++i) EXPECT_GE(events[i - 1].Unix, events[i].Unix);
    std::map<EArchiveKind, int> kinds;
    for (const TArchiveEvent& e : events) ++kinds[e.Kind];
    EXPECT_EQ(kinds[EArchiveKind::Read], 2);
    EXPECT_EQ(kinds[EArchiveKind::Backup], 2);
    EXPECT_EQ(kinds[EArchiveKind::File], 1);
    // Two backups of one second: the second one ("_2") is the newer.
    std::vector<std::string> backups;
    for (const TArchiveEvent& e : events)
        if (e.Kind == EArchiveKind::Backup) backups.push_back(fs::path(e.Path).filename().string());
    EXPECT_EQ(backups, (std::vector<std::string>{"6105_2026-03-01_10-00-00_2.ats",
                                                 "6105_2026-03-01_10-00-00.ats"}));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("6105.journal"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("строки 3"), std::string::npos) << warnings[0];
    EXPECT_TRUE(archive.Timeline("7007").size() == 1u);
    EXPECT_TRUE(archive.Timeline("1234").empty());
}

TEST(StationArchive, TheNextRunReadsOnlyWhatChanged) {
    TArchiveDir d;
    {
        TStationArchive first(d.Dir.Path);
        first.Scan();
        EXPECT_EQ(first.FilesOpened(), 9u);
    }
    TStationArchive next(d.Dir.Path);
    next.Scan();
    EXPECT_EQ(next.FilesOpened(), 0u) << "everything came from the cache";
    ASSERT_EQ(next.Stations().size(), 2u);
    EXPECT_EQ(next.Damaged().size(), 5u);

    // A new record in the journal and a file replaced by another station's: read again.
    std::string why;
    ASSERT_TRUE(AppendJournal(d.Dir.Path, Entry("6105", kJournalClock, 1772600000), &why));
    test::WriteBytes(d.Dir / "dat/office.ats", FileOf(8100) + "");
    fs::last_write_time(d.Dir / "dat/office.ats",
                        fs::last_write_time(d.Dir / "dat/office.ats") + std::chrono::seconds(5));
    next.Scan();
    EXPECT_EQ(next.FilesOpened(), 2u);
    ASSERT_EQ(next.Stations().size(), 3u);
    EXPECT_EQ(next.Stations()[0].LastContact, 1772600000);
    EXPECT_EQ(next.Stations()[2].Serial, "8100");

    // A damaged cache is only a slower listing.
    test::WriteBytes(d.Auto + "/" + kArchiveCacheName, "{\"format\":1,\"files\":{\"x\":{}}");
    TStationArchive afterDamage(d.Dir.Path);
    afterDamage.Scan();
    EXPECT_EQ(afterDamage.Stations().size(), 3u);
    EXPECT_EQ(afterDamage.FilesOpened(), 9u);
}

TEST(StationArchive, NoDatFolderIsAnEmptyArchive) {
    test::TScratchDir dir;
    TStationArchive archive(dir.Path);
    archive.Scan();
    EXPECT_TRUE(archive.Stations().empty());
    EXPECT_TRUE(archive.Damaged().empty());
    EXPECT_FALSE(fs::exists(dir / "dat")) << "listing creates nothing";
}

}  // namespace
}  // namespace zarnik
