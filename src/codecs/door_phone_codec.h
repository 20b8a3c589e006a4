#pragma once
// Door phones: one block per door phone with its switches, day and night routing tables, the
// subscriber line it is attached to and the code that opens the lock.

#include "codecs/table_codec.h"

namespace zarnik {

// Station -> raw area: the number of door phones read, -1 no link, -2 no door phones, -5 a
// block failed every attempt (that door phone's slot cleared).
int ReadDfTable(TMainClass& session);
// Raw area -> station: 1, -1 no door phones (tested before the link), -2 no link, -5 a block
// was not acknowledged.
int WriteDfTable(TMainClass& session);
// Raw area -> store; marks each attached port as a door-phone port. Returns 1.
int DecodeDfTable(TMainClass& session, TDataStream& store);
// Store -> raw area, sets the change flag: 1, or -1 when a door phone's values do not fit its
// block (a routing table or line number outside 0..255, a code that is not digits or longer
// than the block); that door phone's block is then left as it was.
int EncodeDfTable(TMainClass& session, TDataStream& store);

}  // namespace zarnik
