#include "platform/account_name.h"

#include <windows.h>

#include <iterator>

#include "platform/wide_text.h"

namespace zarnik {

std::string AccountName() {
    wchar_t name[257];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (!GetUserNameW(name, &size) || size == 0) return "";
    return Utf8FromWide(std::wstring_view(name, size - 1));  // size counts the closing zero
}

}  // namespace zarnik
