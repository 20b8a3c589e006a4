#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/file_system_detail.h"

// The half of the file system layer that calls POSIX. Paths are passed on as they are: the
// system takes bytes, and UTF-8 is what our names are.

namespace zarnik {

using namespace fs_detail;

const char* const fs_detail::kPathSeparators = "/";

namespace {

std::string Reason(const char* step) { return std::string(step) + ": " + std::strerror(errno); }

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

// Opens a new, exclusive temporary beside `path`; -1 when none could be created. Its name is
// hidden and short, whatever the length of the final name.
int CreateTemporary(const std::string& path, std::string& tmpPath) {
    const std::string stem = TemporaryStem(path, ProcessId());
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

}  // namespace

std::optional<std::string> fs_detail::WriteNewTemporary(const std::string& path,
                                                        std::string_view bytes,
                                                        std::string* error) {
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

std::vector<std::string> DirectoryEntries(const std::string& dir) {
    std::vector<std::string> names;
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr) return names;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(handle);
    return names;
}

std::optional<std::string> MakeTemporaryDirectory(const std::string& prefix) {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) return std::nullopt;
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return pattern;
}

bool DirectoryWritable(const std::string& dir) { return ::access(dir.c_str(), W_OK) == 0; }

bool FlushFileToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

std::string CurrentDirectory() {
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : cwd.string();
}

}  // namespace zarnik
