#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zarnik {

namespace {

// How many temporary names are tried before giving up; a clash needs another writer of the
// same file in the same process at the same moment, so a few are plenty.
constexpr int kTemporaryAttempts = 100;

std::string Reason(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The longest part of the final name a temporary name borrows: a name near the file system's
// limit of 255 bytes must still leave room for the temporary's own.
constexpr std::size_t kTemporaryStemBytes = 64;

// Opens a new, exclusive temporary beside `path`; -1 when none could be created. Its name is
// hidden and short, whatever the length of the final name.
int CreateTemporary(const std::string& path, std::string& tmpPath) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string stem = dir + "." + base.substr(0, kTemporaryStemBytes) + ".tmp" +
                             std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        tmpPath = stem + std::to_string(attempt);
        const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes the rename itself durable; a failure here loses nothing that was not already safe.
void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Fills, flushes and closes the temporary; closes it also on failure.
bool FillTemporary(int fd, std::string_view bytes, const std::string& path, std::string* error) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    bool ok = WriteAll(fd, bytes);
    if (!ok) SetError(error, Reason("write"));
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        SetError(error, Reason("fsync"));
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        SetError(error, Reason("close"));
    }
    return ok;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> WriteTemporaryBeside(const std::string& path, std::string_view bytes,
                                                std::string* error) {
    if (DirectoryExists(path)) {
        SetError(error, path + " is a directory");
        return std::nullopt;
    }
    std::string tmpPath;
    const int fd = CreateTemporary(path, tmpPath);
    if (fd < 0) {
        SetError(error, Reason("create temporary"));
        return std::nullopt;
    }
    if (!FillTemporary(fd, bytes, path, error)) {
        ::unlink(tmpPath.c_str());
        return std::nullopt;
    }
    return tmpPath;
}

bool CommitTemporary(const std::string& tmpPath, const std::string& path, std::string* error) {
    if (::rename(tmpPath.c_str(), path.c_str()) != 0) {
        SetError(error, Reason("rename"));
        ::unlink(tmpPath.c_str());
        return false;
    }
    SyncDirectory(ParentOf(path));
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const std::optional<std::string> tmpPath = WriteTemporaryBeside(path, bytes, error);
    return tmpPath && CommitTemporary(*tmpPath, path, error);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && DirectoryExists(path);
}

std::string ResolveCaseInsensitive(const std::string& dir, const std::string& name) {
    if (PathExists(JoinPath(dir, name))) return name;
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr) return name;
    std::string best;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string_view candidate = entry->d_name;
        if (!EqualIgnoringAsciiCase(candidate, name)) continue;
        if (best.empty() || candidate < best) best = candidate;
    }
    ::closedir(handle);
    return best.empty() ? name : best;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string CurrentDirectory() {
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : cwd.string();
}

std::string DatDirectoryPath(const std::string& baseDir) {
    return JoinPath(baseDir, ResolveCaseInsensitive(baseDir, "dat"));
}

std::optional<std::string> EnsureDatDirectory(const std::string& baseDir) {
    std::string path = DatDirectoryPath(baseDir);
    if (!MakeDirectory(path)) return std::nullopt;
    return path;
}

}  // namespace zarnik
