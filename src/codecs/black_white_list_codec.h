#pragma once
// The black and white lists: five white-book sections and the black book, ten numbers of up to
// 8 symbols each, travelling as one block (sub-table 0x13).

#include "codecs/table_codec.h"

namespace zarnik {

inline constexpr std::uint8_t kBwListSubCode = 0x13;
inline constexpr int kBwListReadAttempts = 4;

// The block's byte count, -1 no link, -5 every attempt failed (the block is then empty).
int ReadBwTable(TMainClass& session);
// 1 done, -1 no link, -5 not acknowledged.
int WriteBwTable(TMainClass& session);
// Returns 0.
int DecodeBwTable(TMainClass& session, TDataStream& store);
int EncodeBwTable(TMainClass& session, TDataStream& store);

const TTableCodec* BlackWhiteListCodec();

}  // namespace zarnik
