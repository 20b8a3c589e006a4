#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/desktop_open.h"

// On a POSIX desktop the file goes to xdg-open, which knows the user's choice of program.

namespace zarnik {

namespace {

bool DisplayPresent() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    std::string_view rest(path);
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (dir.empty()) continue;
        const std::string candidate = dir + "/" + program;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return "";
}

// Starts `program file` fully detached: the intermediate child exits at once (so nothing is
// left to reap), the grandchild gets /dev/null for its standard streams and none of our other
// descriptors (the serial port among them), and we never wait for the viewer itself.
std::string LaunchDetached(const std::string& program, const std::string& file) {
    std::string arg0 = program;
    std::string arg1 = file;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t child = fork();
    if (child < 0) {
        const int err = errno;
        if (devNull >= 0) close(devNull);
        return "Cannot start " + program + ": " + std::strerror(err);
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        if (devNull >= 0) {
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
        }
        close_range(3, ~0U, 0);
        execv(argv[0], argv);
        _exit(127);
    }
    if (devNull >= 0) close(devNull);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return "";
}

}  // namespace

std::string OpenWithDesktop(const std::string& path) {
    if (!DisplayPresent()) return "";
    const std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) return "";
    return LaunchDetached(opener, path);
}

}  // namespace zarnik
