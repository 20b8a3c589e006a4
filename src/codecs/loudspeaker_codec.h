#pragma once
// Loudspeaker channels: one two-byte block per channel, the subscriber line it is attached to
// and the ban on automatic switch-off.

#include "codecs/table_codec.h"

namespace zarnik {

// Station -> raw area: the number of channels read, -1 no link, -2 no channels, -5 a block
// failed every attempt (all slots cleared).
int ReadGgsTable(TMainClass& session);
// Raw area -> station: 1, -1 no channels (tested before the link), -2 no link, -5 a block was
// not acknowledged.
int WriteGgsTable(TMainClass& session);
// Raw area -> store; marks each attached port as a loudspeaker port. 0, or -1 when the model
// is of neither family (the records are left as they were).
int DecodeGgsTable(TMainClass& session, TDataStream& store);
// Store -> raw area, sets the change flag: 0, or -1 when some channel's port has no line number
// that fits its block (that channel's block is left as it was).
int EncodeGgsTable(TMainClass& session, TDataStream& store);

}  // namespace zarnik
