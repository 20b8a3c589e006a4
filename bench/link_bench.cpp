// The serial link at its smallest: one probe byte there and back through TCommPort and the
// zarnik-sim binary, and a five-second wait on a line where nothing comes. The wait is what a
// technician's computer does whenever a station is switched off; it must cost next to no CPU.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "link/comm_port.h"
#include "sim/sim_server.h"

#ifndef ZARNIK_SIM_PATH
#error "ZARNIK_SIM_PATH must name the zarnik-sim binary"
#endif

namespace zarnik {
namespace {

using Clock = std::chrono::steady_clock;

// CPU seconds (user + system) this process has used so far.
double OwnCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// zarnik-sim on a pty link in a fresh directory, with its pid at hand for its CPU figures.
class TSimChild {
  public:
    explicit TSimChild(std::vector<std::string> args) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zarnik-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        Dir = pattern;
        args.insert(args.begin(), {ZARNIK_SIM_PATH, "--link", Link()});
        try {
            Start(args);
        } catch (...) {
            End();
            throw;
        }
    }
    ~TSimChild() { End(); }
    TSimChild(const TSimChild&) = delete;
    TSimChild& operator=(const TSimChild&) = delete;

    std::string Link() const { return Dir + "/COM3"; }

    // CPU seconds the simulator has used so far, from /proc (clock-tick resolution).
    double CpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(Pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Fields after the command name, which is in parentheses and may hold spaces.
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15) ticks += std::stod(field);
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

  private:
    std::string Dir;
    pid_t Pid = -1;
    int Output = -1;

    void End() {
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
            Pid = -1;
        }
        if (Output >= 0) close(Output);
        Output = -1;
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    void Start(const std::vector<std::string>& args) {
        if (!std::filesystem::exists(args[0]))
            throw std::runtime_error(args[0] +
                                     " is not built (cmake --build ... --target zarnik-sim)");
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
        Pid = fork();
        if (Pid < 0) throw std::runtime_error("fork failed");
        if (Pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close_range(3, ~0U, 0);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        Output = fds[0];
        // The simulator prints its ready line once the link is in place.
        std::string seen;
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (seen.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd p{Output, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buffer[256];
            const ssize_t n = read(Output, buffer, sizeof buffer);
            if (n <= 0) break;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        if (seen.rfind("zarnik-sim: ready ", 0) != 0)
            throw std::runtime_error("zarnik-sim did not get ready: " + seen);
    }
};

// One probe byte out, its answer back. Arg 1 paces the simulator at 19200 baud, where the
// least a round trip can take is two byte times (1.146 ms); unpaced, the simulator still
// waits one byte time before it answers, as a station behind any line would.
// over_line_us is what the program, the pty and the simulator add to that least time.
void BM_ProbeRoundTrip(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    std::vector<std::string> args;
    if (paced) args.push_back("--wire-rate");
    try {
        TSimChild sim(args);
        TCommPort port;
        port.Open(sim.Link());
        const double simCpuBefore = sim.CpuSeconds();
        const auto start = Clock::now();
        for (auto _ : state) {
            port.WriteByte(0x00);
            if (port.ReadByte() != 0x00) {
                state.SkipWithError("the probe was not answered with 0x00");
                return;
            }
        }
        const double trips = static_cast<double>(state.iterations());
        const double perTrip = std::chrono::duration<double>(Clock::now() - start).count() / trips;
        const double line =
            std::chrono::duration<double>((paced ? 2 : 1) * sim::kWireByteTime).count();
        state.counters["over_line_us"] = (perTrip - line) * 1e6;
        state.counters["sim_cpu_per_trip_us"] = (sim.CpuSeconds() - simCpuBefore) * 1e6 / trips;
    } catch (const ECommError& e) {
        state.SkipWithError(e.What().c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Five seconds of ReadByte on a line that never answers: each read gives up after about
// 250 ms. Wall time should be five seconds and the CPU share of both sides near zero.
void BM_SilentWait(benchmark::State& state) {
    constexpr auto kWait = std::chrono::seconds(5);
    try {
        TSimChild sim({"--silent"});
        TCommPort port;
        port.Open(sim.Link());
        double wall = 0, cpu = 0, simCpu = 0;
        int reads = 0;
        for (auto _ : state) {
            const double cpuBefore = OwnCpuSeconds();
            const double simBefore = sim.CpuSeconds();
            const auto start = Clock::now();
            while (Clock::now() - start < kWait) {
                if (port.ReadByte() >= 0) {
                    state.SkipWithError("a byte came on the silent line");
                    return;
                }
                ++reads;
            }
            wall += std::chrono::duration<double>(Clock::now() - start).count();
            cpu += OwnCpuSeconds() - cpuBefore;
            simCpu += sim.CpuSeconds() - simBefore;
        }
        state.counters["cpu_pct"] = 100.0 * cpu / wall;
        state.counters["sim_cpu_pct"] = 100.0 * simCpu / wall;
        state.counters["reads"] = benchmark::Counter(reads, benchmark::Counter::kAvgIterations);
        if (cpu / wall >= 0.02) state.SkipWithError("waiting costs 2% CPU or more");
    } catch (const ECommError& e) {
        state.SkipWithError(e.What().c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

BENCHMARK(BM_ProbeRoundTrip)
    ->ArgName("paced")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SilentWait)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarnik

BENCHMARK_MAIN();
