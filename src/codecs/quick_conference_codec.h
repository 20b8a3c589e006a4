#pragma once
// Quick conferences: per conference its member count and one entry per member line. The
// member count travels in front of the members and sizes the frame, whatever the length byte
// says; an entry is as wide as the conference parameters' size factor.

#include "codecs/table_codec.h"

namespace zarnik {

// Conferences handled: the conference parameters' count, never more than the area holds.
int ConferenceCount(const TMainClass& session);

// Station -> raw area: the number of conferences read, -1 no link, -2 no quick conferences,
// -5 a conference failed every attempt (all slots cleared).
int ReadConfTable(TMainClass& session);
// Raw area -> station: 0, -1 no link, -2 no quick conferences, -5 a conference was not accepted.
int WriteConfTable(TMainClass& session);
// Raw area -> store. Returns 1.
int DecodeConfTable(TMainClass& session, TDataStream& store);
// Store -> raw area, sets the change flag: 1, or -1 when something could not be encoded as it
// stands: a member count that no frame can carry (that conference's block is left as it was)
// or a member port without a line number that fits a byte (sent as no member).
int EncodeConfTable(TMainClass& session, TDataStream& store);

}  // namespace zarnik
