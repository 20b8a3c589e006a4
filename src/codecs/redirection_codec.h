#pragma once
// Redirections: one byte per subscriber line index holding the index of the line its calls go
// to; a byte equal to its own index means no redirection.

#include "codecs/table_codec.h"

namespace zarnik {

// Station -> raw area: 0, -1 no link, -2 no subscriber lines, -5 every attempt failed (block
// cleared, length 0).
int ReadRedirectTable(TMainClass& session);
// Raw area -> station: 0, -1 no link, -2 no subscriber lines, -5 never acknowledged.
int WriteRedirectTable(TMainClass& session);
// Raw area -> store.Redirections; the record count becomes the subscriber line count.
// Returns 1.
int DecodeRedirectTable(TMainClass& session, TDataStream& store);
// Store -> raw area (the length stays that of the last read or load), sets the change flag.
// Returns 1.
int EncodeRedirectTable(TMainClass& session, TDataStream& store);

}  // namespace zarnik
