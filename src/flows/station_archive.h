#pragma once
// The archive of the stations this computer has served, gathered from what lies under "dat":
// the automatic backups and other configuration files (known by the identification block
// inside them, never by their names) and the stations' journals. For each station, a timeline
// of reads, backups, writes and clock sets, newest first.
//
// Listing reads only the head of each file (the 200-byte header and the heads of its table
// records) and the last lines of each journal, and keeps what it read in
// "dat/auto/archive.cache", keyed by path, size and modification time: a file that has not
// changed since is not opened again, by this program run or the next.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "flows/station_journal.h"
#include "model/table_ids.h"

namespace zarnik {

inline constexpr const char* kArchiveCacheName = "archive.cache";

// What the head of one configuration file says.
struct TArchiveFile {
    std::string Path;
    std::uint64_t Size = 0;
    std::int64_t Stamp = 0;  // modification time, as the cache compares it
    bool Good = false;
    std::string Why;  // not good: the reason, as the list of damaged files shows it
    std::string Serial;
    std::string Model;
    std::string Version;
    std::int64_t Unix = 0;       // when taken: a backup name's time, else the file's time
    std::vector<int> TableIds;   // the file ids of the tables it holds
    bool Backup = false;         // an automatic backup (in "dat/auto")
};

// What the last lines of one journal say.
struct TArchiveJournal {
    std::string Path;
    std::uint64_t Size = 0;
    std::int64_t Stamp = 0;
    bool Good = false;
    std::string Why;
    std::string Serial;
    std::string StationName;
    std::string Model;
    std::string Version;
    std::int64_t LastUnix = 0;
};

struct TArchiveStation {
    std::string Serial;
    std::string Name;  // from the journal; a file carries no station name
    std::string Model;
    std::string Version;
    std::int64_t LastContact = 0;  // newest read, backup or journal record; 0 none
    std::size_t Backups = 0;
    std::size_t Files = 0;
    bool Journal = false;
};

enum class EArchiveKind { Backup, File, Read, Write, Clock };

struct TArchiveEvent {
    EArchiveKind Kind = EArchiveKind::File;
    std::int64_t Unix = 0;
    std::string Time;    // local "YYYY-MM-DD HH:MM:SS"
    std::string Tables;  // as the timeline shows them
    std::string Result;  // as the timeline shows it
    std::string Path;    // Backup and File: the file; the others: ""
    std::string Details; // who, where, which file, its hash
    std::optional<TJournalEntry> Record;  // Read, Write, Clock
    std::vector<int> TableIds;            // Backup and File
};

struct TDamagedFile {
    std::string Path;
    std::string Why;
};

// "Резервная копия", "Файл", "Чтение", "Запись", "Установка часов".
const char* ArchiveKindText(EArchiveKind kind);
// "backup", "file", "read", "write", "clock" (JSON).
const char* ArchiveKindKey(EArchiveKind kind);

// The head of one configuration file: its header and the heads of its records. A file that
// cannot be read, is cut short or is not a configuration file comes back not good, with why.
TArchiveFile ReadArchiveFileHead(const std::string& path, std::uint64_t size);

// The local time of a backup name ("6105_2026-12-09_14-03-22.ats") as seconds since the
// epoch; nullopt for any other name.
std::optional<std::int64_t> BackupNameTime(const std::string& fileName);

// "YYYY-MM-DD HH:MM:SS" in local time.
std::string LocalTimeText(std::int64_t seconds);

// Whether `text` occurs in the serial number or the name, ignoring letter case (Latin and
// Cyrillic).
bool StationMatches(const TArchiveStation& station, const std::string& text);

// The question before a file of the archive is written back to its station: names the
// station and the date of the file.
std::string RestoreQuestion(const TArchiveStation& station, const TArchiveEvent& file);

// The serial number of the station answering on the session's port, the session and store
// left exactly as they were; nullopt when no station answers.
std::optional<std::string> SerialOnLine(TMainClass& session, TDataStream& store);

// The message when the station on the line is not the one a restored file was taken from.
std::string OtherStationOnLineText(const std::string& wanted, const std::string& onLine);

class TStationArchive {
  public:
    explicit TStationArchive(std::string baseDir);

    // Looks at every file under "dat" again; a file whose size and time are as the cache
    // holds them is not opened. Never throws for a bad file: it goes to Damaged().
    void Scan();

    // By serial number (as numbers).
    const std::vector<TArchiveStation>& Stations() const { return StationList; }
    const TArchiveStation* Find(const std::string& serial) const;
    // Unreadable, cut short or foreign files in "dat/auto", and configuration files elsewhere
    // under "dat" that cannot be read; by path.
    const std::vector<TDamagedFile>& Damaged() const { return DamagedList; }

    // The station's reads, backups, files and journal records, newest first. `warnings`
    // receives a line for each journal line that had to be skipped.
    std::vector<TArchiveEvent> Timeline(const std::string& serial,
                                        std::vector<std::string>* warnings = nullptr) const;

    // How many files the last Scan opened (the others came from the cache).
    std::size_t FilesOpened() const { return Opened; }
    const std::string& BaseDir() const { return Base; }

  private:
    void LoadCache();
    void SaveCache() const;
    void Gather();

    std::string Base;
    std::map<std::string, TArchiveFile> FileHeads;        // by path
    std::map<std::string, TArchiveJournal> JournalHeads;  // by path
    std::vector<TArchiveStation> StationList;
    std::vector<TDamagedFile> DamagedList;
    std::size_t Opened = 0;
    bool CacheLoaded = false;
    bool CacheChanged = false;
};

}  // namespace zarnik
