#pragma once
// The station's end of a pseudo-terminal for codec tests that play the station themselves:
// TPtyPair opens the pair in raw mode and keeps the slave open so the line never hangs up;
// TRequestStation answers one request code with what the test's function gives.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zarnik::test {

class TPtyPair {
  public:
    TPtyPair() {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        std::array<char, 128> name{};
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0 ||
            ptsname_r(Master, name.data(), name.size()) != 0)
            throw std::runtime_error("no pseudo-terminal");
        SlavePath = name.data();
        Slave = ::open(SlavePath.c_str(), O_RDWR | O_NOCTTY);  // keeps the line up
        termios t{};
        tcgetattr(Master, &t);
        cfmakeraw(&t);
        tcsetattr(Master, TCSANOW, &t);
    }
    ~TPtyPair() {
        ::close(Slave);
        ::close(Master);
    }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    // One byte from the program, or -1 when none came within the wait.
    int ReadByte(int waitMs) const {
        pollfd p{Master, POLLIN, 0};
        std::uint8_t b = 0;
        if (poll(&p, 1, waitMs) > 0 && ::read(Master, &b, 1) == 1) return b;
        return -1;
    }
    // Up to the buffer's size of what is waiting; 0 when nothing came within the wait.
    long ReadSome(std::uint8_t* buffer, std::size_t size, int waitMs) const {
        pollfd p{Master, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return 0;
        return ::read(Master, buffer, size);
    }
    bool Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const long n = ::write(Master, bytes.data() + sent, bytes.size() - sent);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    std::string SlavePath;

  private:
    int Master = -1;
    int Slave = -1;
};

// Probes (and anything but the request code) get 0x00; the request code and the byte after it
// get the answer the test gives for (that byte, how many times it was asked).
class TRequestStation {
  public:
    using TBytes = std::vector<std::uint8_t>;
    using TAnswer = std::function<TBytes(int argument, int attempt)>;

    TRequestStation(std::uint8_t requestCode, TAnswer answer)
        : Path(Pty.SlavePath), Code(requestCode), Answer(std::move(answer)) {
        Runner = std::thread([this] { Run(); });
    }
    ~TRequestStation() {
        Done = true;
        Runner.join();
    }

    TPtyPair Pty;
    std::string Path;
    std::map<int, int> Asked;  // read after the codec returned

  private:
    int Next() {
        while (!Done) {
            const int b = Pty.ReadByte(5);
            if (b >= 0) return b;
        }
        return -1;
    }
    void Run() {
        for (int b = Next(); b >= 0; b = Next()) {
            TBytes out{0x00};
            if (b == Code) {
                const int argument = Next();
                out = Answer(argument, ++Asked[argument]);
            }
            Pty.Write(out);
        }
    }
    std::uint8_t Code;
    TAnswer Answer;
    std::atomic<bool> Done = false;
    std::thread Runner;
};

// A read answer as the station sends it: length, data XOR the key, low byte of the sum of the
// sent data bytes (plus an offset, to spoil it on purpose).
inline std::vector<std::uint8_t> KeyedFrame(std::vector<std::uint8_t> plain, std::uint8_t key,
                                            std::uint8_t sumOffset = 0) {
    std::uint8_t sum = sumOffset;
    for (auto& b : plain) sum = static_cast<std::uint8_t>(sum + (b ^= key));
    plain.insert(plain.begin(), static_cast<std::uint8_t>(plain.size()));
    plain.push_back(sum);
    return plain;
}

}  // namespace zarnik::test
