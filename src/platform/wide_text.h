#pragma once
// Windows only: our UTF-8 texts and the UTF-16 the wide Win32 calls take and give.

#include <cstdint>
#include <string>
#include <string_view>

namespace zarnik {

// A byte that is not valid UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// The system's own words for a GetLastError value, in UTF-8, without the trailing line break.
std::string WindowsErrorText(std::uint32_t error);

}  // namespace zarnik
