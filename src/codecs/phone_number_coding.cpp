#include "codecs/phone_number_coding.h"

#include <algorithm>

#include "model/broadcaster.h"

namespace zarnik {

namespace {

bool IsHexLetter(char c) {
    return (c >= 'B' && c <= 'F') || (c >= 'b' && c <= 'f');
}

// The nibble letter of one symbol, or 0 when the symbol has none.
char NibbleLetter(char c) {
    if (c >= '0' && c <= '9') return c;
    switch (c) {
        case '#':
            return 'C';
        case '*':
            return 'B';
        case 'A':
        case 'a':
            return 'E';
        case 'P':
        case 'p':
            return 'D';
        case 'T':
        case 't':
            return 'F';
        default:
            return IsHexLetter(c) ? c : '\0';
    }
}

char SymbolOfLetter(char c) {
    switch (c) {
        case 'B':
        case 'b':
            return '*';
        case 'C':
        case 'c':
            return '#';
        case 'D':
        case 'd':
            return 'P';
        case 'E':
        case 'e':
            return 'A';
        case 'F':
        case 'f':
            return 'T';
        default:
            return c;
    }
}

bool LowNibbleEmpty(std::uint8_t b) {
    return (b & 0x0F) == 0;
}

}  // namespace

std::string SymbolsToNibbleText(const std::string& symbols) {
    std::string text;
    text.reserve(symbols.size());
    for (char c : symbols) {
        const char letter = NibbleLetter(c);
        if (letter != 0) text += letter;
    }
    return text;
}

std::string NibbleTextToSymbols(const std::string& text) {
    std::string symbols = text;
    std::transform(symbols.begin(), symbols.end(), symbols.begin(), SymbolOfLetter);
    return symbols;
}

std::vector<std::uint8_t> PackSymbols(const std::string& symbols, std::size_t maxBytes) {
    std::string text = SymbolsToNibbleText(symbols);
    if (text.size() > 2 * maxBytes) text.resize(2 * maxBytes);
    std::vector<std::uint8_t> bytes((text.size() + 1) / 2);
    const int n = TBroadcaster::DigitsToBytes(text, bytes, false);
    bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return bytes;
}

std::string UnpackSymbols(std::span<const std::uint8_t> bytes) {
    return NibbleTextToSymbols(TBroadcaster::BytesToDigits(bytes, 0));
}

void AppendEntry(std::vector<std::uint8_t>& block, const std::string& symbols,
                 std::size_t maxBytes) {
    const std::vector<std::uint8_t> bytes = PackSymbols(symbols, maxBytes);
    block.insert(block.end(), bytes.begin(), bytes.end());
    if (bytes.size() < maxBytes) block.push_back(0);
}

std::vector<std::string> DecodeBookBlock(std::span<const std::uint8_t> block,
                                         std::size_t maxEntries) {
    std::vector<std::string> entries;
    std::size_t pos = 0;
    while (pos < block.size() && entries.size() < maxEntries) {
        if (block[pos] == 0) {
            entries.emplace_back();
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        while (pos < block.size() && block[pos] != 0 && pos - start < kBookEntryBytes) ++pos;
        const std::size_t taken = pos - start;
        if (taken < kBookEntryBytes && pos < block.size()) ++pos;  // the entry's closing 0
        // A lone digit 0 is how an unused entry may come back from the station.
        const std::string digits = TBroadcaster::BytesToDigits(block.subspan(start, taken), 0);
        entries.push_back(digits == "0" ? std::string() : NibbleTextToSymbols(digits));
    }
    return entries;
}

std::vector<std::uint8_t> EncodeBookBlock(std::span<const std::string> entries) {
    std::vector<std::uint8_t> block;
    for (const std::string& entry : entries) AppendEntry(block, entry, kBookEntryBytes);
    return block;
}

std::vector<std::string> DecodeListBlock(std::span<const std::uint8_t> block,
                                         std::size_t maxEntries) {
    std::vector<std::string> entries;
    std::size_t pos = 0;
    while (pos < block.size() && entries.size() < maxEntries) {
        const std::size_t start = pos;
        if (block[pos++] == 0) {
            entries.emplace_back();
            continue;
        }
        // Take bytes until the entry is full, the next byte is its closing 0, or a byte with
        // an empty low nibble ends an odd count.
        while (!LowNibbleEmpty(block[pos - 1]) && pos - start < kListEntryBytes &&
               pos < block.size() && block[pos] != 0)
            ++pos;
        const std::size_t taken = pos - start;
        if (taken < kListEntryBytes && pos < block.size() && block[pos] == 0) ++pos;
        entries.push_back(UnpackSymbols(block.subspan(start, taken)));
    }
    return entries;
}

}  // namespace zarnik
