#pragma once
// The incoming routing tables: per table up to 4 rows of up to 5 subscriber lines, one block per
// table, asked for by index (0x44 index; written with 0xC4 index).

#include <span>
#include <string>
#include <vector>

#include "codecs/table_codec.h"

namespace zarnik {

inline constexpr std::uint8_t kRoutingReadCode = 0x44;
inline constexpr std::uint8_t kRoutingWriteCode = 0xC4;

// 1 done, -1 no link, -2 the station has no routing tables, -5 a table failed every attempt
// (all blocks are then cleared and the read count is 0).
int ReadNavedenTable(TMainClass& session);
// 1 done, -1 the station has no routing tables, -2 no link, -5 a table was not acknowledged.
int WriteNavedenTable(TMainClass& session);
int DecodeNavedenTable(TMainClass& session, TDataStream& store);
int EncodeNavedenTable(TMainClass& session, TDataStream& store);

// One table's block: each entry a 1-based line number; a row of fewer than five entries is
// closed by a 0 byte, a full row is not.
std::vector<std::uint8_t> EncodeNavedenBlock(const TNavedenRecord& record,
                                             const std::string& model);
TNavedenRecord DecodeNavedenBlock(std::span<const std::uint8_t> block, const std::string& model);

const TTableCodec* RoutingTableCodec();

}  // namespace zarnik
