#pragma once
// The coding of phone numbers shared by the common phone book, the group phone books and the
// black and white lists: symbols nibble-packed two per byte, first symbol in the high nibble,
// digit 0 as 0xA, "*" 0xB, "#" 0xC, "P" 0xD, "A" 0xE, "T" 0xF, an odd count closed by a 0 nibble.
// An entry shorter than its full width is followed by a 0 byte; an empty entry is one 0 byte.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zarnik {

inline constexpr std::size_t kBookEntryBytes = 8;  // phone books: up to 16 symbols
inline constexpr std::size_t kListEntryBytes = 4;  // black and white lists: up to 8 symbols

// The symbols of a number as the hexadecimal text the packing reads: "#" -> "C", "*" -> "B",
// "A"/"a" -> "E", "P"/"p" -> "D", "T"/"t" -> "F"; digits and the hexadecimal letters B-F stay.
// A character that has no nibble is dropped rather than spoiling the whole entry.
std::string SymbolsToNibbleText(const std::string& symbols);
// The reverse of the above, for the text the unpacking gives: "B"/"b" -> "*", "C"/"c" -> "#",
// "D"/"d" -> "P", "E"/"e" -> "A", "F"/"f" -> "T".
std::string NibbleTextToSymbols(const std::string& text);

// The packed bytes of one number, at most maxBytes of them: symbols that do not fit are cut off,
// so an entry never reaches into its neighbour's place.
std::vector<std::uint8_t> PackSymbols(const std::string& symbols, std::size_t maxBytes);
// The symbols of packed bytes; 0 nibbles are fillers wherever they stand.
std::string UnpackSymbols(std::span<const std::uint8_t> bytes);

// Appends one entry of a block: one 0 byte when empty, else its packed bytes and a 0 byte when
// they are fewer than maxBytes.
void AppendEntry(std::vector<std::uint8_t>& block, const std::string& symbols,
                 std::size_t maxBytes);

// A phone-book block: an entry ends at a 0 byte, which is consumed, or after 8 bytes; a leading 0
// byte is an empty entry. Returns the texts (a text of just "0" counts as empty) of at most
// maxEntries entries; entries past that are not kept.
std::vector<std::string> DecodeBookBlock(std::span<const std::uint8_t> block,
                                         std::size_t maxEntries);
// Entries in phone-book form, each as AppendEntry writes it with 8-byte entries.
std::vector<std::uint8_t> EncodeBookBlock(std::span<const std::string> entries);

// The black-and-white-list block: an entry ends after 4 bytes, at a 0 byte, or at a byte whose
// low nibble is 0 (an odd count ends there; a 0 byte after it is consumed).
std::vector<std::string> DecodeListBlock(std::span<const std::uint8_t> block,
                                         std::size_t maxEntries);

}  // namespace zarnik
