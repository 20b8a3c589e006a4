#pragma once
// Trunk lines: one 12-byte block per trunk line with its switches and directions, the day and
// night routing tables, the line type, the long-distance digit, an auto-dial number and the
// trunk line it is blocked with. Bits the program does not interpret stay as read.

#include <array>
#include <span>
#include <string>

#include "codecs/table_codec.h"
#include "model/trunk_line_record.h"

namespace zarnik {

// Station -> raw area: the number of trunk lines read, -1 no link, -2 no trunk lines, -5 a
// line failed every attempt (every slot cleared).
int ReadSlTable(TMainClass& session);
// Raw area -> station: 1, -1 no link, -5 a line was not acknowledged.
int WriteSlTable(TMainClass& session);
// Raw area -> store.TrunkLines. Returns 1.
int DecodeSlTable(TMainClass& session, TDataStream& store);
// Store -> raw area (each block 12 bytes, other bits kept), sets the change flag. Returns 1.
int EncodeSlTable(TMainClass& session, TDataStream& store);

// The auto-dial number of bytes 6..9: two symbols per byte, high nibble first; a byte below
// 0x10 ends the number.
std::string AutoDialFromBytes(std::span<const std::uint8_t, 4> bytes);
// The reverse; characters that are no auto-dial symbol are skipped, and symbols beyond the
// eighth do not fit and are dropped. Unused bytes are 0.
void AutoDialToBytes(const std::string& number, std::span<std::uint8_t, 4> bytes);
// Whether the auto-dial field takes the character: digits always, * # A P T (either case)
// only from working program 24,3 on.
bool IsAutoDialSymbol(char c, const std::string& version);
inline constexpr std::size_t kAutoDialMaxSymbols = 8;

}  // namespace zarnik
