#pragma once
// Reading every chosen table from the station, and writing them back, in the station's orders.

#include "flows/progress.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

// 1 done (also with no table chosen), -1 no link, -2 the station's working program is not
// supported. Ends the program (TExitProgram 0) when a status table times out.
int ReadAll(TMainClass& session, TProgress& progress, TDataStream& store);

// 1 every chosen table was accepted, -1 no link or at least one table failed with a message.
int WriteAll(TMainClass& session, TProgress& progress, TDataStream& store);

}  // namespace zarnik
