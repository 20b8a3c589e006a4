#include <windows.h>

#include "platform/durable_append.h"
#include "platform/wide_text.h"

// Windows: a handle opened for appending only writes every record at the end of the file as one
// piece, whoever else appends meanwhile; FlushFileBuffers puts it on the disk.

namespace zarnik {

namespace {

bool Fail(std::string* error, const std::string& what) {
    const DWORD code = GetLastError();
    if (error != nullptr) *error = what + ": " + WindowsErrorText(code);
    return false;
}

}  // namespace

bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error) {
    const HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail(error, "не удалось открыть " + path);
    DWORD written = 0;
    const bool whole = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                 nullptr) &&
                       written == bytes.size();
    if (!whole) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        SetLastError(code);
        return Fail(error, "ошибка записи в " + path);
    }
    if (!FlushFileBuffers(h)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        SetLastError(code);
        return Fail(error, "ошибка сброса на диск " + path);
    }
    if (!CloseHandle(h)) return Fail(error, "ошибка закрытия " + path);
    return true;
}

}  // namespace zarnik
