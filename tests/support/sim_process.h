#pragma once
// TSimProcess: runs the real zarnik-sim binary for one test, on a pty link in a fresh temporary
// directory. Set ZARNIK_SERIAL_DIR to Dir() to reach it as "COM3".

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/tool_paths.h"

namespace zarnik::test {

class TSimProcess {
  public:
    explicit TSimProcess(std::vector<std::string> args) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zarnik-sim-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        Directory = pattern;
        args.insert(args.begin(), {ZARNIK_SIM_PATH, "--link", LinkPath()});
        Start(args);
    }

    ~TSimProcess() {
        Stop();
        std::error_code ec;
        std::filesystem::remove_all(Directory, ec);
    }

    TSimProcess(const TSimProcess&) = delete;
    TSimProcess& operator=(const TSimProcess&) = delete;

    std::string LinkPath() const { return Directory + "/COM3"; }
    std::string Dir() const { return Directory; }

    // SIGTERM, then SIGKILL if the simulator has not ended within three seconds.
    void Stop() {
        if (Pid <= 0) return;
        kill(Pid, SIGTERM);
        if (!Reap(std::chrono::seconds(3))) {
            kill(Pid, SIGKILL);
            Reap(std::chrono::seconds(3));
        }
        Pid = -1;
        if (Output >= 0) close(Output);
        Output = -1;
    }

    // The exit code after Stop (128 + signal when killed by one); stops the process first.
    int ExitCode() {
        Stop();
        return Status;
    }

  private:
    std::string Directory;
    pid_t Pid = -1;
    int Output = -1;
    int Status = -1;

    void Start(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int pipeFds[2];
        if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
        Pid = fork();
        if (Pid < 0) throw std::runtime_error("fork failed");
        if (Pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            dup2(pipeFds[1], STDOUT_FILENO);
            close_range(3, ~0U, 0);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        Output = pipeFds[0];
        WaitReady();
    }

    void WaitReady() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::string seen;
        while (seen.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd fd{Output, POLLIN, 0};
            if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
            char buffer[256];
            const ssize_t n = read(Output, buffer, sizeof buffer);
            if (n <= 0) break;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        if (seen.rfind("zarnik-sim: ready ", 0) == 0) return;
        Stop();
        throw std::runtime_error("zarnik-sim did not get ready: " + seen);
    }

    bool Reap(std::chrono::seconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(Pid, &status, WNOHANG);
            if (done == Pid) {
                Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return true;
            }
            if (done < 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

}  // namespace zarnik::test
