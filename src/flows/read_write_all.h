#pragma once
// Reading every chosen table from the station, and writing them back, in the station's orders.

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
inline constexpr int kWriteCancelled = -3;
int WriteAll(TMainClass& session, TProgress& progress, TDataStream& store,
             std::vector<ETable>* failed = nullptr, std::vector<ETable>* written = nullptr);

}  // namespace zarnik
