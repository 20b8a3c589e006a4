#include "platform/text_1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace zarnik {
namespace {

// The C library's own converter, an independent copy of the code page to check ours against.
std::string IconvToUtf8(unsigned char byte) {
    iconv_t cd = ::iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t rc = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return "<undefined>";
    return std::string(out, sizeof out - outLeft);
}

TEST(Text1251Table, EveryByteMatchesTheSystemConverter) {
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Cp1251ToUtf8(one), IconvToUtf8(static_cast<unsigned char>(b))) << "byte " << b;
    }
}

TEST(Text1251Table, AllBytesButTheUndefinedOneSurviveARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x98) all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "?");
    EXPECT_EQ(Cp1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Text1251Text, RussianSentenceBothWays) {
    const std::string utf8 = "Ёлка № 5 «Привет» — ёж, Щука – ЯЗЬ";
    const std::string cp1251 =
        "\xA8\xEB\xEA\xE0 \xB9 5 \xAB\xCF\xF0\xE8\xE2\xE5\xF2\xBB \x97 \xB8\xE6, "
        "\xD9\xF3\xEA\xE0 \x96 \xDF\xC7\xDC";
    EXPECT_EQ(Utf8ToCp1251(utf8), cp1251);
    EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
}

TEST(Text1251Text, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("ä€😀ж"), "?\x88?\xE6");  // one '?' per character, not per byte
    EXPECT_EQ(Utf8ToCp1251("\xEF\xBF\xBD"), "?");   // U+FFFD itself
}

TEST(Text1251Text, MalformedUtf8NeverCrashesAndKeepsWhatFollows) {
    EXPECT_EQ(Utf8ToCp1251("\x80"), "?");  // lone continuation byte
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");  // cut at the end
    EXPECT_EQ(Utf8ToCp1251("\xD0"
                           "A"),
              "?A");                                       // cut before an ASCII letter
    EXPECT_EQ(Utf8ToCp1251("\xE2\x82"), "?");              // cut three-byte sequence
    EXPECT_EQ(Utf8ToCp1251("\xE2\x82\xD0\x96"), "?\xC6");  // ... followed by a good Ж
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF"), "??");             // overlong '/'
    EXPECT_EQ(Utf8ToCp1251("\xE0\x80\xAF"), "???");        // overlong, three bytes
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");        // surrogate
    EXPECT_EQ(Utf8ToCp1251("\xF4\x90\x80\x80"), "????");   // above U+10FFFF
    EXPECT_EQ(Utf8ToCp1251("\xFF\xFE"), "??");
    EXPECT_EQ(Utf8ToCp1251(""), "");
}

}  // namespace
}  // namespace zarnik
