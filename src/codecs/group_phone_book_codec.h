#pragma once
// The group phone books: twenty numbers for each of the 20 groups, kept by the station in two
// halves of ten entries that are exchanged separately (0x58 selector; written with 0xD8).
// Raw slot 2g is group g's first half, slot 2g + 1 its second.

#include "codecs/codec_support.h"
#include "codecs/table_codec.h"

namespace zarnik {

inline constexpr std::uint8_t kGroupBookReadCode = 0x58;
inline constexpr std::uint8_t kGroupBookWriteCode = 0xD8;
inline constexpr int kGroupBookHalves = 40;

// The byte after the request code: the group index, with bit 5 set for the second half.
std::uint8_t GroupBookSelector(int slot);
// The frames of all halves, as the read and the write walk them.
TIndexedRead GroupBookReadSpec();
TIndexedWrite GroupBookWriteSpec();

// 1 done, -1 no link, -5 a half failed every attempt (all halves are then cleared).
int ReadGroupExtNumTable(TMainClass& session);
// 1 done, -1 no link, -5 a half was not acknowledged.
int WriteGroupExtNumTable(TMainClass& session);
int DecodeGroupExtNumTable(TMainClass& session, TDataStream& store);
int EncodeGroupExtNumTable(TMainClass& session, TDataStream& store);

const TTableCodec* GroupPhoneBookCodec();

}  // namespace zarnik
