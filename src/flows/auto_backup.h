#pragma once
// Automatic backups of the station's tables under "dat/auto": after every read of the whole
// station, and before a write to a station whose tables this program run has not yet read.
// A backup is an ordinary configuration file, named by the station's serial number and the
// moment it was taken ("6105_2026-12-09_14-03-22.ats"); the newest 50 of each station are kept.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "files/config_flows.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

inline constexpr std::size_t kAutoBackupsKept = 50;

// "<dat>/auto" under the base directory (the "dat" of any letter case).
std::string AutoBackupDirectory(const std::string& baseDir);

// "6105_2026-12-09_14-03-22.ats", the time in the computer's local time.
std::string AutoBackupName(const std::string& serial, std::chrono::system_clock::time_point when);

// The backups of one station in `dir`, oldest first (full paths).
std::vector<std::string> AutoBackupsOf(const std::string& dir, const std::string& serial);

// Removes the oldest backups of the station beyond `kept`.
void PruneAutoBackups(const std::string& dir, const std::string& serial,
                      std::size_t kept = kAutoBackupsKept);

// Saves the session's header and the `tables` of its raw areas as a new backup of the station
// the session identified, then prunes. The full path, or nullopt with `why`. A name already
// taken in the same second gets "_2", "_3"... before ".ats".
std::optional<std::string> SaveAutoBackup(const TMainClass& session, TDataStream& store,
                                          const TTableTicks& tables, std::string* why = nullptr);

// Which tables of which station (model and serial number) this program run holds a backup of.
class TBackupRecord {
  public:
    // `path`: the backup file that holds them, when one was written.
    void Note(const TIdentity& station, const TTableTicks& tables, const std::string& path = "");
    // The `wanted` tables without a backup of this station yet.
    TTableTicks Missing(const TIdentity& station, const TTableTicks& wanted) const;
    // The newest backup of the station this run wrote; "" none.
    std::string LastBackup(const TIdentity& station) const;

  private:
    std::map<std::string, TTableTicks> Saved;
    std::map<std::string, std::string> Paths;
};

struct TBackupOutcome {
    enum class EKind {
        NotDue,  // switched off, not the whole station, or backed up earlier in this run
        Saved,
        Failed,
    };
    EKind Kind = EKind::NotDue;
    std::string Path;  // Saved: the file
    std::string Why;   // Failed: the reason, as a message names it
};

// After ReadAll returned 1 with `failed` tables: when every table the station has was chosen
// and read, saves the backup and notes it in `record`.
TBackupOutcome BackUpAfterRead(const TMainClass& session, TDataStream& store,
                               TBackupRecord& record, const std::vector<ETable>& failed);

// Before WriteAll with the store's selection: identifies the station on the line and, unless
// `record` already holds its chosen tables, reads them and saves them as a backup. Session and
// store are left exactly as they were, whatever happens. A port failure (ECommError) or a stop
// by the user (ECancelled) passes to the caller, with nothing sent.
TBackupOutcome BackUpBeforeWrite(TMainClass& session, TDataStream& store, TBackupRecord& record);

// The question after a failed backup before a write; OK writes without a backup.
std::string BackupFailedQuestion(const TBackupOutcome& outcome);

}  // namespace zarnik
