#pragma once
// TLiveStation: a simulated station served from a thread of the test itself, on a real
// pseudo-terminal. The program reaches it through its slave device path exactly as it reaches
// zarnik-sim, while the test can look at the station's images and counters directly, or
// change its faults between two sequences, without starting a process.
//
// TLinkedSession: a session and a store in a fresh working directory, connected to any link.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "sim/sim_station.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zarnik::test {

class TLiveStation {
  public:
    explicit TLiveStation(sim::TSimStation station) : Station(std::move(station)) {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        std::array<char, 128> name{};
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0 ||
            ptsname_r(Master, name.data(), name.size()) != 0)
            throw std::runtime_error("no pseudo-terminal");
        SlavePath = name.data();
        // Held open for the station's life: with no slave open the master side only hangs up.
        Slave = ::open(SlavePath.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        if (Slave < 0 || tcgetattr(Slave, &t) != 0) throw std::runtime_error("pty slave");
        cfmakeraw(&t);
        tcsetattr(Slave, TCSANOW, &t);
        Runner = std::thread([this] { Serve(); });
    }
    ~TLiveStation() {
        Stop();
        ::close(Slave);
        ::close(Master);
    }
    TLiveStation(const TLiveStation&) = delete;
    TLiveStation& operator=(const TLiveStation&) = delete;

    const std::string& Path() const { return SlavePath; }

    // Runs f on the station while no byte is being served.
    template <class F>
    auto With(F&& f) {
        const std::lock_guard<std::mutex> hold(Guard);
        return f(Station);
    }

    // Ends the serving thread; the station is then the test's alone.
    sim::TSimStation& Stop() {
        Done = true;
        if (Runner.joinable()) Runner.join();
        return Station;
    }

  private:
    static constexpr std::chrono::microseconds kAnswerDelay{1000};

    void Serve() {
        std::array<std::uint8_t, 512> in{};
        while (!Done) {
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0 || (p.revents & POLLIN) == 0) continue;
            const ssize_t n = ::read(Master, in.data(), in.size());
            if (n <= 0) continue;
            const auto arrived = std::chrono::steady_clock::now();
            sim::TBytes out;
            {
                const std::lock_guard<std::mutex> hold(Guard);
                for (ssize_t i = 0; i < n; ++i) {
                    const sim::TSimAnswer a = Station.Feed(in[static_cast<std::size_t>(i)],
                                                           std::chrono::steady_clock::now());
                    out.insert(out.end(), a.Bytes.begin(), a.Bytes.end());
                }
            }
            // A station's answer comes at least a byte time after the request: a master that
            // empties its queue right after sending must never lose the answer to that.
            if (!out.empty()) std::this_thread::sleep_until(arrived + kAnswerDelay);
            std::size_t sent = 0;
            while (sent < out.size()) {
                const ssize_t w = ::write(Master, out.data() + sent, out.size() - sent);
                if (w <= 0) break;
                sent += static_cast<std::size_t>(w);
            }
        }
    }

    sim::TSimStation Station;
    std::string SlavePath;
    int Master = -1;
    int Slave = -1;
    std::mutex Guard;
    std::atomic<bool> Done = false;
    std::thread Runner;
};

struct TLinkedSession {
    explicit TLinkedSession(const std::string& link, bool strictDialogs = true)
        : Dialogs(strictDialogs),
          Session(std::make_unique<TMainClass>(Dialogs, TSessionSetup{Work.Path, true, link})),
          Store(std::make_shared<TDataStream>(Work.Path)) {}
    // The same session and store, now on another station.
    void Connect(const std::string& link) {
        Session->Port.Close();
        Session->PortName = link;
        Session->OpenPort();
    }
    TTempDir Work;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TMainClass> Session;
    TDataStreamPtr Store;
};

inline std::string KeyText(const sim::TImageKey& key) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X.%d", key.Code, key.Index);
    return text;
}

// Every image of one station against the other's, naming each one that differs.
inline void ExpectSameImages(const std::map<sim::TImageKey, sim::TBytes>& expected,
                             const std::map<sim::TImageKey, sim::TBytes>& actual) {
    for (const auto& [key, bytes] : expected) {
        const auto it = actual.find(key);
        if (it == actual.end()) {
            ADD_FAILURE() << "image " << KeyText(key) << " is gone";
            continue;
        }
        EXPECT_EQ(it->second, bytes) << "image " << KeyText(key) << " changed";
    }
    for (const auto& [key, bytes] : actual)
        EXPECT_TRUE(expected.contains(key)) << "image " << KeyText(key) << " appeared";
}

}  // namespace zarnik::test
