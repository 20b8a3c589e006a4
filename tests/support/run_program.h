#pragma once
// Runs one of the project's programs to its end, as a user would from a terminal, and keeps
// what it printed (stdout and stderr together) and its exit code.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarnik::test {

struct TProgramRun {
    int ExitCode = -1;  // 128 + signal when a signal ended it, -1 when it had to be killed
    std::string Output;
};

inline TProgramRun RunProgram(const std::vector<std::string>& args,
                              std::chrono::seconds limit = std::chrono::seconds(20)) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        dup2(fds[1], STDERR_FILENO);
        close_range(3, ~0U, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    TProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool killed = false;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[512];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;  // the program closed its end: it has ended
        run.Output.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!killed) run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace zarnik::test
