#pragma once
// Texts in the store, on the wire and in the program's files are single-byte Windows-1251;
// widgets, terminals, JSON and workbooks want UTF-8. These two functions are the only place
// where one becomes the other.

#include <string>
#include <string_view>

namespace zarnik {

// Every byte has a UTF-8 form except 0x98, which the code page leaves undefined: it becomes '?'.
std::string Cp1251ToUtf8(std::string_view cp1251);

// A character the code page cannot hold becomes '?', and so does every malformed UTF-8
// sequence (one '?' per broken sequence); the result never holds more bytes than the input.
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace zarnik
