#include "link/comm_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zarnik {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<milliseconds>(Clock::now() - start).count());
}

// Runs the call and returns the code of the ECommError it raised, or nullopt when none.
std::optional<int> CodeOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ECommError& e) {
        return e.Code;
    }
    return std::nullopt;
}

// Sets (or clears, for nullptr) an environment variable for one test and puts it back after.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const char* value) : Name(name) {
        if (const char* old = std::getenv(name)) Old = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~TScopedEnv() {
        if (Old) {
            setenv(Name.c_str(), Old->c_str(), 1);
        } else {
            unsetenv(Name.c_str());
        }
    }

private:
    std::string Name;
    std::optional<std::string> Old;
};

TEST(CommPortNames, ResolvesComNamesAndLeavesOthersAlone) {
    {
        TScopedEnv env("ZARNIK_SERIAL_DIR", "");
        EXPECT_EQ(ResolvePortName("COM1"), "/dev/ttyS0");
        EXPECT_EQ(ResolvePortName("CoM255"), "/dev/ttyS254");
    }
    {
        TScopedEnv env("ZARNIK_SERIAL_DIR", "/tmp/links/");
        EXPECT_EQ(ResolvePortName("COM12"), "/tmp/links/COM12");
    }
    TScopedEnv env("ZARNIK_SERIAL_DIR", "/tmp/links");
    EXPECT_EQ(ResolvePortName("com7"), "/tmp/links/COM7");
    for (const char* name : {"COM", "COM0", "COM256", "COM01", "COM1x", "ttyUSB0", "/dev/pts/7"}) {
        EXPECT_EQ(ResolvePortName(name), name) << name;
    }
}

TEST(CommPortClosed, ByteOperationsNeedAnOpenPortAndSettersOnlyStore) {
    TCommPort port;
    std::array<std::uint8_t, 4> buf{};
    EXPECT_EQ(port.PortName(), "COM1");
    EXPECT_EQ(CodeOf([&] { port.ReadByte(); }), 7);
    EXPECT_EQ(CodeOf([&] { port.ReadByteTimeout(20); }), 7);
    EXPECT_EQ(CodeOf([&] { port.ReadBlock(buf); }), 7);
    EXPECT_EQ(CodeOf([&] { port.WriteByte(0x55); }), 7);
    EXPECT_EQ(CodeOf([&] { port.PurgeInput(); }), 7);
    EXPECT_EQ(CodeOf([&] { port.Flush(); }), 7);
    EXPECT_EQ(CodeOf([&] {
                  port.Close();
                  port.SetBaudRate(12345);
                  port.SetByteSize(9);
                  port.SetParity(9);
                  port.SetStopBits(9);
                  port.SetPortName("COM9");
              }),
              std::nullopt);
    EXPECT_EQ(port.PortName(), "COM9");
}

// A real pseudo-terminal: the port opens the slave side, the test plays the station on the
// master. One slave descriptor stays open here so the master never sees the line hang up.
class CommPortPty : public ::testing::Test {
protected:
    void SetUp() override {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(Master, 0);
        ASSERT_EQ(grantpt(Master), 0);
        ASSERT_EQ(unlockpt(Master), 0);
        std::array<char, 128> name{};
        ASSERT_EQ(ptsname_r(Master, name.data(), name.size()), 0);
        SlavePath = name.data();
        Slave = ::open(SlavePath.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(Slave, 0);
        // The peer must not reshape what the station "sends".
        termios t{};
        ASSERT_EQ(tcgetattr(Master, &t), 0);
        cfmakeraw(&t);
        ASSERT_EQ(tcsetattr(Master, TCSANOW, &t), 0);
    }

    void TearDown() override {
        if (Slave >= 0) ::close(Slave);
        if (Master >= 0) ::close(Master);
    }

    void PeerSends(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(Master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Waits (briefly) until the port side has n bytes waiting.
    void AwaitWaiting(int n) const {
        const auto start = Clock::now();
        int waiting = 0;
        while (MsSince(start) < 1000) {
            ASSERT_EQ(ioctl(Slave, FIONREAD, &waiting), 0);
            if (waiting >= n) return;
            std::this_thread::sleep_for(milliseconds(1));
        }
        FAIL() << "only " << waiting << " bytes arrived";
    }

    std::vector<std::uint8_t> PeerReceives(std::size_t n) const {
        std::vector<std::uint8_t> got;
        while (got.size() < n) {
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0) break;
            std::array<std::uint8_t, 64> buf{};
            const ssize_t r = ::read(Master, buf.data(), std::min(buf.size(), n - got.size()));
            if (r <= 0) break;
            got.insert(got.end(), buf.begin(), buf.begin() + r);
        }
        return got;
    }

    termios SlaveLine() const {
        termios t{};
        EXPECT_EQ(tcgetattr(Slave, &t), 0);
        return t;
    }

    int Master = -1;
    int Slave = -1;
    std::string SlavePath;
};

TEST_F(CommPortPty, OpenOfMissingOrNonSerialDeviceFailsAndStaysClosed) {
    TCommPort port;
    try {
        port.Open("/nonexistent/ttyZ9");
        FAIL() << "opened a missing device";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Code, 8);
        EXPECT_EQ(e.LastError, static_cast<std::uint32_t>(ENOENT));
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortName(), "/nonexistent/ttyZ9");
    EXPECT_EQ(CodeOf([&] { port.ReadByte(); }), 7);

    const auto file = std::filesystem::temp_directory_path() / "zarnik_comm_port_plain_file";
    ASSERT_GE(::close(::open(file.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
    EXPECT_EQ(CodeOf([&] { port.Open(file); }), 14);
    EXPECT_FALSE(port.IsOpen());
    std::filesystem::remove(file);

    port.Open(SlavePath);
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(CommPortPty, OpenAppliesTheStationLine) {
    ASSERT_EQ(ioctl(Slave, TCFLSH, TCIFLUSH), 0);
    termios cooked = SlaveLine();
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_iflag |= ICRNL | IXON | IXOFF;
    cooked.c_oflag |= OPOST | ONLCR;
    cfsetspeed(&cooked, B9600);
    ASSERT_EQ(tcsetattr(Slave, TCSANOW, &cooked), 0);

    TCommPort port;
    port.Open(SlavePath);
    const termios t = SlaveLine();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_iflag & (ICRNL | IXON | IXOFF));
    EXPECT_FALSE(t.c_oflag & OPOST);
}

TEST_F(CommPortPty, BytesPassUnchangedBothWays) {
    TCommPort port;
    port.Open(SlavePath);
    const std::vector<std::uint8_t> in{0x00, 0x03, 0x04, 0x0A, 0x0D, 0x11, 0x13, 0x7F, 0xFF};
    PeerSends(in);
    for (const std::uint8_t b : in) EXPECT_EQ(port.ReadByte(), b);

    const std::vector<std::uint8_t> out{0x0A, 0x0D, 0x00, 0xFF, 0x11, 0x13};
    for (const std::uint8_t b : out) port.WriteByte(b);
    port.Flush();
    EXPECT_EQ(PeerReceives(out.size()), out);
}

TEST_F(CommPortPty, SilenceReadsAsMinusOneAfterTheDriverWait) {
    TCommPort port;
    port.Open(SlavePath);
    const auto start = Clock::now();
    EXPECT_EQ(port.ReadByte(), -1);
    const long took = MsSince(start);
    EXPECT_GE(took, 240);
    EXPECT_LE(took, 400);
}

TEST_F(CommPortPty, ReadByteTimeoutWaitsOneMoreReadAfterTheFirst) {
    TCommPort port;
    port.Open(SlavePath);
    const auto start = Clock::now();
    EXPECT_EQ(port.ReadByteTimeout(20), -1);
    const long took = MsSince(start);
    EXPECT_GE(took, 400);
    EXPECT_LE(took, 700);
}

TEST_F(CommPortPty, ByteArrivingDuringTheWaitIsReturnedAtOnce) {
    TCommPort port;
    port.Open(SlavePath);
    std::thread peer([this] {
        std::this_thread::sleep_for(milliseconds(40));
        PeerSends({0x5A});
    });
    const auto start = Clock::now();
    const int got = port.ReadByte();
    const long took = MsSince(start);
    peer.join();
    EXPECT_EQ(got, 0x5A);
    EXPECT_LT(took, 150);
}

TEST_F(CommPortPty, OpenAndPurgeInputDiscardWhatHasArrived) {
    PeerSends({0x77, 0x78});
    AwaitWaiting(2);
    TCommPort port;
    port.Open(SlavePath);
    PeerSends({0x01});
    EXPECT_EQ(port.ReadByte(), 0x01);

    PeerSends({0x01, 0x02, 0x03});
    AwaitWaiting(3);
    port.PurgeInput();
    EXPECT_EQ(port.ReadByte(), -1);
    PeerSends({0x04});
    EXPECT_EQ(port.ReadByte(), 0x04);
}

TEST_F(CommPortPty, ReadBlockMarksTheEndOfAShortBlock) {
    TCommPort port;
    port.Open(SlavePath);
    std::array<std::uint8_t, 10> buf{};
    buf.fill(0xEE);

    PeerSends({0x10, 0x20, 0x30});
    AwaitWaiting(3);
    EXPECT_EQ(port.ReadBlock(std::span(buf).first(8)), 3);
    EXPECT_EQ(buf[2], 0x30);
    EXPECT_EQ(buf[3], 0x00);
    EXPECT_EQ(buf[4], 0xEE);

    // A full block leaves the byte after it alone: there is no room for the end mark.
    buf.fill(0xEE);
    PeerSends({0x41, 0x42, 0x43, 0x44, 0x45});
    AwaitWaiting(5);
    EXPECT_EQ(port.ReadBlock(std::span(buf).first(4)), 4);
    EXPECT_EQ(buf[3], 0x44);
    EXPECT_EQ(buf[4], 0xEE);
    EXPECT_EQ(port.ReadByte(), 0x45);

    buf.fill(0xEE);
    EXPECT_EQ(port.ReadBlock(std::span(buf).first(4)), 0);
    EXPECT_EQ(buf[0], 0x00);
}

TEST_F(CommPortPty, OpenWhileOpenAndRenameWhileOpenChangeNothing) {
    TCommPort port;
    port.Open(SlavePath);
    EXPECT_EQ(CodeOf([&] { port.Open("/nonexistent/ttyZ9"); }), std::nullopt);
    EXPECT_EQ(port.PortName(), SlavePath);
    EXPECT_EQ(CodeOf([&] { port.SetPortName("COM4"); }), 6);
    EXPECT_EQ(port.PortName(), SlavePath);
    PeerSends({0x33});
    EXPECT_EQ(port.ReadByte(), 0x33);
}

TEST_F(CommPortPty, APortIsHeldExclusivelyUntilClosed) {
    auto first = std::make_unique<TCommPort>();
    first->Open(SlavePath);
    TCommPort second;
    EXPECT_EQ(CodeOf([&] { second.Open(SlavePath); }), 8);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(TCommPort::PortExists(SlavePath));
    EXPECT_TRUE(first->IsOpen());
#ifdef TIOCGEXCL
    // Other programs are kept out too, and let in again once we close, since the simulator
    // keeps its own slave open and the tty would otherwise stay exclusive.
    int exclusive = 0;
    ASSERT_EQ(ioctl(Slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    first->Close();
    ASSERT_EQ(ioctl(Slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
#else
    first->Close();
#endif
    EXPECT_FALSE(first->IsOpen());
    EXPECT_EQ(CodeOf([&] { first->ReadByte(); }), 7);
    EXPECT_TRUE(TCommPort::PortExists(SlavePath));
    second.Open(SlavePath);
    EXPECT_TRUE(second.IsOpen());
    second.Close();

    // Reopening the same object works, and its destructor lets the port go.
    first->Open(SlavePath);
    first.reset();
    second.Open(SlavePath);
    EXPECT_TRUE(second.IsOpen());
}

TEST_F(CommPortPty, PortExistsProbesTheResolvedName) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zarnik_comm_port_links_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink(SlavePath, dir / "COM7");
    {
        TScopedEnv env("ZARNIK_SERIAL_DIR", dir.c_str());
        EXPECT_TRUE(TCommPort::PortExists(SlavePath));
        EXPECT_TRUE(TCommPort::PortExists("com7"));
        EXPECT_FALSE(TCommPort::PortExists("COM8"));
        EXPECT_FALSE(TCommPort::PortExists("/nonexistent/ttyZ9"));

        TCommPort port;
        port.Open("COM7");
        PeerSends({0x99});
        EXPECT_EQ(port.ReadByte(), 0x99);
    }
    std::filesystem::remove_all(dir);
}

TEST_F(CommPortPty, LineSettersApplyAndRollBackARefusedValue) {
    TCommPort port;
    port.Open(SlavePath);

    port.SetBaudRate(9600);
    port.SetStopBits(0);
    termios t = SlaveLine();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_FALSE(t.c_cflag & CSTOPB);

    EXPECT_EQ(CodeOf([&] { port.SetBaudRate(12345); }), 1);
    EXPECT_EQ(CodeOf([&] { port.SetByteSize(9); }), 5);
    EXPECT_EQ(CodeOf([&] { port.SetParity(9); }), 4);
    EXPECT_EQ(CodeOf([&] { port.SetStopBits(1); }), 3);  // 1.5 stop bits need 5 data bits
    EXPECT_EQ(CodeOf([&] { port.SetStopBits(3); }), 3);
    // A pty carries only 8-bit bytes without parity, so the line keeps them and the port
    // reports the request as refused.
    EXPECT_EQ(CodeOf([&] { port.SetByteSize(7); }), 5);
    EXPECT_EQ(CodeOf([&] { port.SetParity(2); }), 4);

    // Had any refused value stayed, these would be refused too.
    port.SetStopBits(2);
    port.SetBaudRate(4800);
    t = SlaveLine();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_TRUE(t.c_cflag & CSTOPB);

    // Opening again always brings the station line back.
    port.Close();
    port.SetBaudRate(12345);
    port.SetStopBits(0);
    port.Open(SlavePath);
    t = SlaveLine();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
}

TEST_F(CommPortPty, PeerGoneIsAReadAndWriteFailureNotSilence) {
    TCommPort port;
    port.Open(SlavePath);
    ::close(Master);
    Master = -1;
    const auto start = Clock::now();
    EXPECT_EQ(CodeOf([&] { port.ReadByte(); }), 10);
    EXPECT_LT(MsSince(start), 100);
    EXPECT_EQ(CodeOf([&] { port.WriteByte(0x01); }), 9);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

// The line hung up as when a USB adapter is pulled out: the device is let go at once and
// every later call fails without waiting, marked gone, until the port is closed and opened
// again.
TEST_F(CommPortPty, AGoneDeviceIsLetGoAndEveryLaterCallFailsAtOnce) {
    TCommPort port;
    port.Open(SlavePath);
    EXPECT_EQ(port.DevicePath(), SlavePath);
    EXPECT_FALSE(port.DeviceGone());
    ::close(Master);
    Master = -1;
    const auto gone = [&](const std::function<void()>& call) {
        try {
            call();
        } catch (const ECommError& e) {
            return e.Gone ? static_cast<int>(e.Code) : -static_cast<int>(e.Code);
        }
        return 0;
    };
    const auto start = Clock::now();
    EXPECT_EQ(gone([&] { port.ReadByteTimeout(500); }), 10);
    EXPECT_TRUE(port.DeviceGone());
    EXPECT_TRUE(port.IsOpen());  // until Close, as after any failure
    EXPECT_EQ(gone([&] { port.WriteByte(0x00); }), 9);
    EXPECT_EQ(gone([&] { port.PurgeInput(); }), 12);
    EXPECT_EQ(gone([&] { port.Flush(); }), 13);
    EXPECT_LT(MsSince(start), 100);
    EXPECT_EQ(PortGoneText(ECommError(10, EIO, true), port.DevicePath()),
              "Последовательный порт " + SlavePath + " отключен (устройство извлечено?).");
    EXPECT_EQ(PortGoneText(ECommError(10, EIO), port.DevicePath()), "");
    EXPECT_NO_THROW(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.DeviceGone());
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// The reason a technician reads beside "Непонятная ошибка при открытии СОМ-порта": each way an
// open really fails here, and the permission case, which root never meets, from its errno.
TEST_F(CommPortPty, AFailedOpenSaysWhyInTheUsersWords) {
    const auto reasonOf = [](const std::string& path) {
        TCommPort port;
        try {
            port.Open(path);
        } catch (const ECommError& e) {
            return PortOpenReason(e);
        }
        return std::string("opened");
    };
    EXPECT_EQ(reasonOf("/nonexistent/ttyZ9"), "нет такого устройства");
    EXPECT_EQ(reasonOf("/dev/zarnik-no-such-tty"), "нет такого устройства");
    const auto dir = std::filesystem::temp_directory_path();
    EXPECT_EQ(reasonOf(dir.string()), "это не последовательный порт");
    const auto file = dir / "zarnik_comm_port_reason_file";
    ASSERT_GE(::close(::open(file.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
    EXPECT_EQ(reasonOf(file.string()), "это не последовательный порт");
    std::filesystem::remove(file);
    {
        TCommPort holder;
        holder.Open(SlavePath);
        EXPECT_EQ(reasonOf(SlavePath), "порт занят другой программой");
    }
    EXPECT_EQ(PortOpenReason(ECommError(8, EACCES)), "нет прав доступа");
    // Failures of a port already open say nothing about the device.
    EXPECT_EQ(PortOpenReason(ECommError(10, EIO)), "");
    EXPECT_EQ(PortOpenReason(ECommError(8, 0)), "");

    const std::string text =
        "Исключение! Непонятная ошибка при открытии СОМ-порта. Проверьте номер СОМ-порта.";
    EXPECT_EQ(WithPortOpenReason(text, ECommError(8, ENOENT)),
              text + " Причина: нет такого устройства.");
    EXPECT_EQ(WithPortOpenReason(text, ECommError(8, 0)), text);
}

}  // namespace
}  // namespace zarnik
