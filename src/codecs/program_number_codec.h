#pragma once
// Program numbers: the extension number of every subscriber line, "1" followed by up to three
// digits. The station keeps the digits after the "1" in 2-byte entries of one block (entries
// 0..119) and, on Dogwood, of a second block (entries 120..149); the store keeps the number on
// the line's port (AlData.AL_PrgNum).

#include <cstdint>
#include <optional>
#include <string>

#include "codecs/table_codec.h"

namespace zarnik {

inline constexpr std::size_t kPrgNumEntries1 = 120;  // first block, 240 bytes
inline constexpr std::size_t kPrgNumEntries2 = 30;   // second block (Dogwood), 60 bytes

// Station -> raw area: the bytes read in all, -1 no link, -2 no subscriber lines, -5 a block
// failed every attempt (both blocks cleared).
int ReadPrgNumTable(TMainClass& session);
// Raw area -> station: 1, -1 no link, -5 a block was not acknowledged.
int WritePrgNumTable(TMainClass& session);
// Raw area -> the ports' program numbers. Returns 1.
int DecodePrgNumTable(TMainClass& session, TDataStream& store);
// The ports' program numbers -> raw area, sets the change flag: 1, or -1 when a number has
// more than three characters after its "1" or one that is no digit; the message tells which
// port, and then neither the blocks nor the change flag are touched.
int EncodePrgNumTable(TMainClass& session, TDataStream& store);

// One entry and its number: 0x0000 is no number, 0x0234 is "1234" (the nibble A is the digit
// 0). The reverse gives nullopt for a number that does not fit an entry.
std::string ProgramNumberOfEntry(std::uint16_t entry);
std::optional<std::uint16_t> EntryOfProgramNumber(const std::string& number);

}  // namespace zarnik
