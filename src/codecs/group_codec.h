#pragma once
// Groups: one block per group (20 of them), asked for group by group. The head mirrors a
// subscriber line's; then come the group-call lines and the intercept groups as two short
// lists that end with a 0 byte unless full, and every later field moves with them.

#include <cstdint>
#include <span>
#include <vector>

#include "codecs/table_codec.h"
#include "model/group_record.h"

namespace zarnik {

// Station -> raw area: 20, -1 no link, -5 a group failed its four attempts (every slot cleared).
int ReadGroupTable(TMainClass& session);
// Raw area -> station: 1, -1 no link, -5 a group was not acknowledged.
int WriteGroupTable(TMainClass& session);
// Raw area -> store.Groups[0..19]. Returns 1.
int DecodeGroupTable(TMainClass& session, TDataStream& store);
// Store -> raw area, writing only the fields it knows over the block as read; sets the change
// flag. Returns 1.
int EncodeGroupTable(TMainClass& session, TDataStream& store);
// File record: per group its length byte and data; unpack refuses, changing nothing, a record
// whose blocks do not fit.
std::vector<std::uint8_t> PackGroupTable(const TMainClass& session);
bool UnpackGroupTable(TMainClass& session, std::span<const std::uint8_t> record);
// Every block empty and the count of groups read 0.
void BlankGroupTable(TMainClass& session);
// Three groups of the demo office with their group-call strings (the lines the subscriber-line
// demo puts in them) and intercept groups.
void FillGroupDemo(const TMainClass& session, TDataStream& store);

}  // namespace zarnik
