#include "platform/durable_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zarnik {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error != nullptr) *error = what + ": " + std::strerror(errno);
    return false;
}

// A file just created is durable only once its directory entry is.
void SyncDirectoryOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    if (dir.empty()) dir = ".";
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error) {
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    // O_APPEND: every write lands at the end as one piece, whoever else appends meanwhile.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, "не удалось открыть " + path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return Fail(error, "ошибка записи в " + path);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return Fail(error, "ошибка сброса на диск " + path);
    }
    if (::close(fd) != 0) return Fail(error, "ошибка закрытия " + path);
    if (!existed) SyncDirectoryOf(path);
    return true;
}

}  // namespace zarnik
