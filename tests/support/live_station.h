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
#include "support/pty_station.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zarnik::test {

class TLiveStation {
  public:
    explicit TLiveStation(sim::TSimStation station) : Station(std::move(station)) {
        Runner = std::thread([this] { Serve(); });
    }
    ~TLiveStation() { Stop(); }
    TLiveStation(const TLiveStation&) = delete;
    TLiveStation& operator=(const TLiveStation&) = delete;

    const std::string& Path() const { return Pty.SlavePath; }

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
            const long n = Pty.ReadSome(in.data(), in.size(), 5);
            if (n <= 0) continue;
            const auto arrived = std::chrono::steady_clock::now();
            sim::TBytes out;
            {
                const std::lock_guard<std::mutex> hold(Guard);
                for (long i = 0; i < n; ++i) {
                    const sim::TSimAnswer a = Station.Feed(in[static_cast<std::size_t>(i)],
                                                           std::chrono::steady_clock::now());
                    out.insert(out.end(), a.Bytes.begin(), a.Bytes.end());
                }
            }
            // A station's answer comes at least a byte time after the request: a master that
            // empties its queue right after sending must never lose the answer to that.
            if (!out.empty()) std::this_thread::sleep_until(arrived + kAnswerDelay);
            if (!out.empty()) Pty.Write(out);
        }
    }

    TPtyPair Pty;  // before the station's thread starts, after it ends
    sim::TSimStation Station;
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
