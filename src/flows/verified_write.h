#pragma once
// Verified writes: after a write the tables the station took are read back and compared byte
// for byte with what was sent. A table that differs, or cannot be read back, stays marked
// changed, so the next write offers it again. The automatic backup before a write lives here
// too, as both front ends run the two around WriteAll the same way.

#include <string>
#include <vector>

#include "flows/auto_backup.h"
#include "flows/progress.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

struct TTableDifference {
    ETable Table;
    std::vector<std::size_t> Blocks;  // differing blocks (slots), counted from 0
    std::size_t Bytes = 0;            // differing bytes, a length difference counted in full
    std::size_t FirstByte = 0;        // in the first differing block
};

struct TVerifyReport {
    bool Ran = false;
    std::vector<ETable> Same;
    std::vector<TTableDifference> Differ;
    std::vector<ETable> Unread;  // the read back failed
    bool AllSame() const { return Differ.empty() && Unread.empty(); }
};

// Reads each of `written` back and compares it with the session's raw area, which holds what
// was sent. The raw areas and the store are left as they were; the change flags of tables that
// differ or could not be read back are set again. ECommError and ECancelled pass through (the
// raw areas are put back first).
TVerifyReport VerifyWrittenTables(TMainClass& session, const std::vector<ETable>& written);

// The comparison of two images of one table: the differing blocks, nothing when equal.
TTableDifference CompareAreas(ETable t, const TRawArea& sent, const TRawArea& back);

// "" when everything matched; else the message naming the tables and where they differ.
std::string VerifyReportText(const TVerifyReport& report);

// WriteAll with its safety nets: an automatic backup first (when `Backup` is on and due), and a
// read back of the written tables afterwards (when `Verify` is on).
struct TWriteSafety {
    bool Backup = true;
    bool Verify = true;
    TBackupRecord* Record = nullptr;  // required when Backup is on
};

struct TSafeWriteOutcome {
    TBackupOutcome Backup;
    TVerifyReport Verify;
};

// The backup failed and the user did not agree to write without one: nothing was sent.
inline constexpr int kWriteNoBackup = -8;

// WriteAll's results, and kWriteNoBackup. A failed backup asks BackupFailedQuestion (caption
// "Предупреждение"); only OK lets the write go on.
int WriteAllSafely(TMainClass& session, TProgress& progress, TDataStream& store,
                   const TWriteSafety& safety, TSafeWriteOutcome& outcome,
                   std::vector<ETable>* failed = nullptr, std::vector<ETable>* written = nullptr);

}  // namespace zarnik
