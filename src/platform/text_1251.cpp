#include "platform/text_1251.h"

#include <array>
#include <cstdint>

namespace zarnik {

namespace {

// 0x98 is undefined in the code page; it reads as '?'.
constexpr char32_t kUndefined = U'?';

// Code points of the bytes 0x80..0xBF; 0xC0..0xFF are the contiguous А..я (U+0410..U+044F).
constexpr std::array<char32_t, 64> kHighHalf = {
    0x0402,     0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC,     0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452,     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    kUndefined, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0,     0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401,     0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0,     0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451,     0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

constexpr char32_t kCyrillicA = 0x0410;
constexpr char32_t kCyrillicYa = 0x044F;

char32_t CodePointOf(std::uint8_t byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return kCyrillicA + (byte - 0xC0);
    return kHighHalf[byte - 0x80];
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char ByteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp >= kCyrillicA && cp <= kCyrillicYa) return static_cast<char>(0xC0 + (cp - kCyrillicA));
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool IsContinuation(std::uint8_t b) {
    return (b & 0xC0) == 0x80;
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the character at text[pos] and sets `length` to the bytes it took; kInvalid for a
// malformed sequence. A broken sequence takes its lead byte and the continuation bytes that
// were still valid, so the character after it survives.

char32_t DecodeOne(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto lead = static_cast<std::uint8_t>(text[pos]);
    length = 1;
    if (lead < 0x80) return lead;

    std::size_t need = 0;
    char32_t cp = 0;
    std::uint8_t minSecond = 0x80;
    std::uint8_t maxSecond = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) minSecond = 0xA0;  // overlong
        if (lead == 0xED) maxSecond = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) minSecond = 0x90;  // overlong
        if (lead == 0xF4) maxSecond = 0x8F;  // above U+10FFFF
    } else {
        return kInvalid;
    }

    for (std::size_t i = 1; i <= need; ++i) {
        if (pos + i >= text.size()) return kInvalid;
        const auto b = static_cast<std::uint8_t>(text[pos + i]);
        const bool inRange = (i == 1) ? (b >= minSecond && b <= maxSecond) : IsContinuation(b);
        if (!inRange) return kInvalid;
        cp = (cp << 6) | (b & 0x3F);
        length = i + 1;
    }
    return cp;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251) {
        AppendUtf8(out, CodePointOf(static_cast<std::uint8_t>(c)));
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t length = 1;
        const char32_t cp = DecodeOne(utf8, pos, length);
        out.push_back(cp == kInvalid ? '?' : ByteOf(cp));
        pos += length;
    }
    return out;
}

}  // namespace zarnik
