#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "platform/desktop_open.h"
#include "platform/wide_text.h"

// On Windows the shell opens the file with the program registered for its extension.

namespace zarnik {

std::string OpenWithDesktop(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success; the smaller ones are the shell's error codes.
    if (reinterpret_cast<std::intptr_t>(result) > 32) return "";
    return "Cannot open " + path + ": " + WindowsErrorText(GetLastError());
}

}  // namespace zarnik
