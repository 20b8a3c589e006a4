#include <windows.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/file_system_detail.h"
#include "platform/wide_text.h"

// The half of the file system layer that calls Win32: every path is turned from UTF-8 into
// UTF-16 here and handed to the wide calls, so names in any script work whatever the system's
// code page. File names are matched without regard to case by the system itself.

namespace zarnik {

using namespace fs_detail;

const char* const fs_detail::kPathSeparators = "/\\";

namespace {

std::string Reason(const char* step) {
    const DWORD error = GetLastError();
    return std::string(step) + ": " + WindowsErrorText(error);
}

// Closes the handle when it goes out of scope.
class THandle {
  public:
    explicit THandle(HANDLE h) : H(h) {}
    ~THandle() {
        if (Valid()) CloseHandle(H);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return H != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return H; }
    // Closes now; false (with the error left for GetLastError) when the system refused.
    bool Close() {
        const HANDLE h = H;
        H = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

  private:
    HANDLE H;
};

DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesW(WideFromUtf8(path).c_str());
}

bool WriteAll(HANDLE h, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

HANDLE CreateTemporary(const std::string& path, std::string& tmpPath) {
    const std::string stem = TemporaryStem(path, ProcessId());
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        tmpPath = stem + std::to_string(attempt);
        const HANDLE h = CreateFileW(WideFromUtf8(tmpPath).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

std::optional<std::string> fs_detail::WriteNewTemporary(const std::string& path,
                                                        std::string_view bytes,
                                                        std::string* error) {
    std::string tmpPath;
    THandle file(CreateTemporary(path, tmpPath));
    if (!file.Valid()) {
        SetError(error, Reason("create temporary"));
        return std::nullopt;
    }
    bool ok = WriteAll(file.Get(), bytes);
    if (!ok) SetError(error, Reason("write"));
    if (ok && !FlushFileBuffers(file.Get())) {
        ok = false;
        SetError(error, Reason("flush"));
    }
    if (!file.Close() && ok) {
        ok = false;
        SetError(error, Reason("close"));
    }
    if (!ok) {
        DeleteFileW(WideFromUtf8(tmpPath).c_str());
        return std::nullopt;
    }
    return tmpPath;
}

bool CommitTemporary(const std::string& tmpPath, const std::string& path, std::string* error) {
    const std::wstring from = WideFromUtf8(tmpPath);
    if (!MoveFileExW(from.c_str(), WideFromUtf8(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetError(error, Reason("rename"));
        DeleteFileW(from.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    THandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::nullopt;
    std::string content;
    char buffer[8192];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr)) return std::nullopt;
        if (n == 0) break;
        content.append(buffer, n);
    }
    return content;
}

bool PathExists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool FileExists(const std::string& path) {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
    if (CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(path);
}

std::vector<std::string> DirectoryEntries(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileW(WideFromUtf8(JoinPath(dir, "*")).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(Utf8FromWide(name));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

std::optional<std::string> MakeTemporaryDirectory(const std::string& prefix) {
    wchar_t base[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return std::nullopt;
    const std::string stem =
        JoinPath(Utf8FromWide(base), prefix + "-" + std::to_string(ProcessId()) + "-");
    // The tick count keeps names apart across runs of the same process id.
    const unsigned long long start = GetTickCount64();
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        const std::string path = stem + std::to_string(start + static_cast<unsigned>(attempt));
        if (CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

bool DirectoryWritable(const std::string& dir) {
    // Access rights on Windows are lists that only an attempt reads right.
    const std::string probe =
        JoinPath(dir, ".zarnik-write-probe-" + std::to_string(ProcessId()));
    const HANDLE h = CreateFileW(WideFromUtf8(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}

bool FlushFileToDisk(const std::string& path) {
    THandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && FlushFileBuffers(file.Get());
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(WideFromUtf8(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

std::string CurrentDirectory() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return "";
    std::wstring dir(n, L'\0');
    const DWORD got = GetCurrentDirectoryW(n, dir.data());
    if (got == 0 || got >= n) return "";
    dir.resize(got);
    return Utf8FromWide(dir);
}

}  // namespace zarnik
