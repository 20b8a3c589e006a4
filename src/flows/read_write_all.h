#pragma once
// Reading every chosen table from the station, and writing them back, in the station's orders.

#include <string>
#include <vector>

#include "flows/progress.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

// 1 done (also with no table chosen), -1 no link, -2 the station's working program is not
// supported. Ends the program (TExitProgram 0) when a status table times out. A table whose
// read fails does not stop the sequence; when `failed` is given it receives every such table
// (timed out, or the link was gone), in read order.
int ReadAll(TMainClass& session, TProgress& progress, TDataStream& store,
            std::vector<ETable>* failed = nullptr);

// Whether the read-all sequence reads that table from the identified station: quick conferences
// only on Cedar and Dogwood with the feature, black and white lists only where the working
// program has them. Needs the capability record of the identification.
bool ReadAllCovers(const TMainClass& session, ETable t);

// 1 every chosen table was accepted, -1 no link or at least one table failed with a message.
// When `failed` is given it receives, in write order, every chosen table the station did not
// take: those reported with a message, and also those whose failure the program shows no
// message for (the conferences, system-wide settings, STA buttons, door phones and channels).
//
// When the session's frame engine has a cancel flag and it is raised, the write stops between
// two tables and returns kWriteCancelled; `written`, when given, receives in write order every
// table the station accepted, so the caller can tell what reached the station. The change flags
// of tables not written stay set.
//
// A port failure (ECommError) is not caught here: it passes to the caller in the middle of the
// sequence. `written` and `failed` are filled table by table as the station answers, so a
// caller that catches the error still holds what reached the station before it.
//
// Before anything is sent the station is identified again (twice, answers compared). -1 when
// that fails, and -4 (kWriteOtherStation, after its message) when the configuration in hand was
// read from a station in this session and the station on the line now is another one (model or
// serial number differ): nothing is sent then.
inline constexpr int kWriteCancelled = -3;
inline constexpr int kWriteOtherStation = -4;
int WriteAll(TMainClass& session, TProgress& progress, TDataStream& store,
             std::vector<ETable>* failed = nullptr, std::vector<ETable>* written = nullptr);

// The tables WriteAll sends for the store's selection to the station the session identified,
// in write order (conferences and black and white lists only where the station has them).
std::vector<ETable> TablesWriteAllSends(const TMainClass& session, const TDataStream& store);

// How a write ended, for WriteEndedEarlyText.
enum class EWriteEnd {
    Completed,   // WriteAll returned (whatever its result)
    PortFailed,  // WriteAll raised ECommError
    Cancelled,   // WriteAll returned kWriteCancelled
};

// The message after a write that ended early, for every caller (terminal and windows alike):
// which of the `chosen` tables reached the station, which did not (or only in part), and, when
// both lists are non-empty, that the station now holds a mix of new and old tables. `chosen`
// is what the write was asked to send (TablesWriteAllSends before the write), `written` what
// WriteAll filled in. "" for EWriteEnd::Completed.
std::string WriteEndedEarlyText(EWriteEnd end, const std::vector<ETable>& chosen,
                                const std::vector<ETable>& written);

// "«Установки АЛ», «Установка СЛ»": tables as a message names them.
std::string TableCaptions(const std::vector<ETable>& tables);

}  // namespace zarnik
