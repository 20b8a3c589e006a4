#pragma once
// The common phone book: 30 numbers for short dialling, in three blocks of ten entries, each
// block with a request code of its own (0x0C, 0x0D, 0x0E; written with bit 7 set).

#include "codecs/table_codec.h"

namespace zarnik {

inline constexpr std::uint8_t kGlobalBookReadCode = 0x0C;  // block b reads with 0x0C + b
inline constexpr int kGlobalBookBlocks = 3;

// 1 done, -1 no link, -5 a block failed every attempt (all blocks are then cleared).
int ReadGlobExtNumTable(TMainClass& session);
// 0 done, -1 no link, -5 a block was not acknowledged.
int WriteGlobExtNumTable(TMainClass& session);
int DecodeGlobExtNumTable(TMainClass& session, TDataStream& store);
int EncodeGlobExtNumTable(TMainClass& session, TDataStream& store);

const TTableCodec* GlobalPhoneBookCodec();

}  // namespace zarnik
