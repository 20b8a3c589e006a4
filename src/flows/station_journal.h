#pragma once
// The journal of a station: one JSON line per exchange with it, appended to
// "dat/auto/<serial>.journal" and never rewritten. A write of tables and a clock set leave a
// full record (who, from where, what, with what result, the backup taken before and the file
// written); a read of tables leaves a short one. Both programs pass through the functions at
// the end of this header, so every exchange is recorded the same way.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flows/auto_backup.h"
#include "flows/verified_write.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

// The version the programs name in the journal.
inline constexpr const char* kJournalProgramVersion = "1.38";

// Kinds of records.
inline constexpr const char* kJournalRead = "read";
inline constexpr const char* kJournalWrite = "write";
inline constexpr const char* kJournalClock = "clock";

// Results of a write.
inline constexpr const char* kWriteResultWritten = "written";    // every table taken
inline constexpr const char* kWriteResultPartly = "partly";      // some tables refused
inline constexpr const char* kWriteResultCutOff = "cut_off";     // the port failed midway
inline constexpr const char* kWriteResultCancelled = "cancelled";  // stopped by the user

struct TJournalEntry {
    std::string Kind;  // kJournalRead, kJournalWrite, kJournalClock
    std::string Time;  // local "YYYY-MM-DD HH:MM:SS"
    std::int64_t Unix = 0;
    std::string Program;
    std::string Version;
    std::string User;
    std::string Port;
    // The station as it identified itself (name in UTF-8).
    std::string Serial;
    std::string Model;
    std::string StationVersion;
    std::string StationName;
    // Table keys (as the command line names them).
    std::vector<std::string> Tables;   // read: asked for; write: chosen to send
    std::vector<std::string> Reached;  // write: taken by the station
    std::vector<std::string> Failed;   // read: not read; write: refused or not sent
    std::string Result;                // write: kWriteResult...; read: "read"; clock: "set"
    // Write: "yes" every written table read back as sent, "no" some did not, "" not checked.
    std::string Verified;
    std::vector<std::string> VerifyDiffer;  // written tables that read back otherwise or not at all
    std::string Backup;                     // write: the backup taken just before; read: after
    std::string SourceFile;                 // write of a loaded file: its name
    std::string SourceSha256;               // and the SHA-256 of its bytes
    std::string ClockSetTo;                 // clock: "YYYY-MM-DD HH:MM:SS"
};

// One line of JSON with its "\n".
std::string JournalLine(const TJournalEntry& entry);
// nullopt for a line that is not a record (damaged, cut short, not JSON, no kind or serial).
std::optional<TJournalEntry> ParseJournalLine(const std::string& line);

struct TJournalContent {
    std::vector<TJournalEntry> Entries;  // in the order written
    std::vector<std::size_t> Damaged;    // line numbers (from 1) skipped
};
// The records of a journal file; a damaged line is skipped and named, never fatal. An
// unreadable file gives nothing.
TJournalContent ReadJournal(const std::string& path);

inline constexpr const char* kJournalExtension = ".journal";
// "<dat>/auto/<serial>.journal".
std::string JournalPath(const std::string& baseDir, const std::string& serial);

// Appends the entry to its station's journal; false with `why` when it could not be written.
bool AppendJournal(const std::string& baseDir, const TJournalEntry& entry, std::string* why);

// A record of `kind` with the time, program, user, port and station filled from the session.
TJournalEntry NewJournalEntry(const TMainClass& session, const std::string& kind);

// The computer's user: USER, else USERNAME, else the account the program runs under.
std::string ComputerUserName();

// Table keys of the tables, in the order given.
std::vector<std::string> TableKeys(const std::vector<ETable>& tables);

// --- the exchanges, as both programs run them -----------------------------------------

// After ReadAll returned 1 with `failed` tables: with `backup`, saves the backup of a whole
// read (BackUpAfterRead), then records the read when it read tables. The session's journal
// is kept only when it names its program (JournalProgram).
TBackupOutcome FinishStationRead(const TMainClass& session, TDataStream& store,
                                 TBackupRecord& record, const std::vector<ETable>& failed,
                                 bool backup);

// SetStationClock, recorded when the station took the time.
bool SetStationClockRecorded(TMainClass& session, const TStationDateTime& t);

// Records a write that WriteAllSafely ran: `chosen` the tables it was to send, `written` and
// `failed` as WriteAll filled them, `result` its result (or kWriteCancelled), `cutOff` when
// the port failed midway, `backup` the file holding the station's tables from before (the one
// just taken, or the one this program run took earlier). A write that sent nothing is not
// recorded.
void RecordWrite(const TMainClass& session, const std::vector<ETable>& chosen,
                 const std::vector<ETable>& written, const std::vector<ETable>& failed,
                 int result, bool cutOff, const TSafeWriteOutcome& outcome,
                 const std::string& backup);

}  // namespace zarnik
