// TCommPort on Windows. Without a serial device: names, refusals and what they are said to
// mean. With one (ZARNIK_TEST_COM names a port with the simulated station behind it, as
// scripts/test-windows.sh sets up under Wine): the driver's deadlines, exclusive use, a link
// check and a purge against the station.

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>

#include "link/comm_port.h"
#include "link/frame_engine.h"
#include "platform/file_system.h"
#include "platform/wide_text.h"
#include "support/temp_dir.h"

namespace zarnik {
namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(WindowsCommPort, ComNamesAreDevicesAndDevicePathsStayAsTheyAre) {
    EXPECT_EQ(ResolvePortName("COM3"), "\\\\.\\COM3");
    EXPECT_EQ(ResolvePortName("COM12"), "\\\\.\\COM12");  // only the device namespace has it
    EXPECT_EQ(ResolvePortName("\\\\.\\CNCA0"), "\\\\.\\CNCA0");
    EXPECT_EQ(ResolvePortName("//./COM4"), "//./COM4");
    EXPECT_STREQ(kLastErrorName, "GetLastError");
}

TEST(WindowsCommPort, AMissingPortIsRefusedWithItsReasonAndStaysClosed) {
    TCommPort port;
    EXPECT_FALSE(TCommPort::PortExists("COM231"));
    try {
        port.Open("COM231");
        FAIL() << "opened a port that does not exist";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Code, 8);
        EXPECT_NE(e.LastError, 0u);
        EXPECT_EQ(PortOpenReason(e), "нет такого устройства") << e.LastError;
        EXPECT_NE(e.What().find("GetLastError"), std::string::npos);
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_THROW(port.ReadByte(), ECommError);
    try {
        port.WriteByte(0);
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Code, 7);
    }
}

TEST(WindowsCommPort, AFileThatIsNoSerialPortIsRefusedAndLetGo) {
    test::TTempDir dir;
    const std::string file = dir.Path + "/not a port";
    ASSERT_TRUE(WriteFileAtomically(file, "x"));
    std::string device = "\\\\?\\" + file;
    for (char& c : device)
        if (c == '/') c = '\\';
    TCommPort port;
    try {
        port.Open(device);
        FAIL() << "a plain file was taken for a serial port";
    } catch (const ECommError& e) {
        EXPECT_TRUE(e.Code == 14 || e.Code == 15) << int(e.Code);
        EXPECT_EQ(PortOpenReason(e), "это не последовательный порт") << e.LastError;
    }
    EXPECT_FALSE(port.IsOpen());
    // The handle was closed on the way out: nothing holds the file any more.
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(PathExists(file));
}

TEST(WindowsCommPort, PortOpenReasonsOfTheSystemsErrors) {
    EXPECT_EQ(PortOpenReason(ECommError(8, ERROR_ACCESS_DENIED)), "порт занят другой программой");
    EXPECT_EQ(PortOpenReason(ECommError(8, ERROR_SHARING_VIOLATION)),
              "порт занят другой программой");
    EXPECT_EQ(PortOpenReason(ECommError(8, ERROR_PATH_NOT_FOUND)), "нет такого устройства");
    EXPECT_EQ(PortOpenReason(ECommError(14, ERROR_INVALID_FUNCTION)),
              "это не последовательный порт");
    // Only failures of an open speak of the device.
    EXPECT_EQ(PortOpenReason(ECommError(10, ERROR_FILE_NOT_FOUND)), "");
    EXPECT_EQ(PortOpenReason(ECommError(8, ERROR_OUTOFMEMORY)), "");
    EXPECT_EQ(WithPortOpenReason("Порт не открыт.", ECommError(8, ERROR_ACCESS_DENIED)),
              "Порт не открыт. Причина: порт занят другой программой.");
}

// The port named by ZARNIK_TEST_COM, with the simulated station behind it.
class WindowsCommPortLive : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* name = std::getenv("ZARNIK_TEST_COM");
        if (name == nullptr || *name == '\0') GTEST_SKIP() << "ZARNIK_TEST_COM is not set";
        Name = name;
    }
    std::string Name;
};

TEST_F(WindowsCommPortLive, OpensWithTheStationLineAndKeepsItsDeadlines) {
    TCommPort port;
    // A pseudo-terminal behind the port has no modem lines: DTR and RTS fail, the port opens.
    port.Open(Name);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.PortName(), Name);

    // A silent line: one read gives up after the driver's 250 ms.
    auto start = Clock::now();
    EXPECT_EQ(port.ReadByte(), -1);
    long took = MsSince(start);
    EXPECT_GE(took, 200);
    EXPECT_LT(took, 1000);

    // A 20 ms wait is counted after one whole empty read: about two of them in all.
    start = Clock::now();
    EXPECT_EQ(port.ReadByteTimeout(20), -1);
    took = MsSince(start);
    EXPECT_GE(took, 450);
    EXPECT_LT(took, 2000);

    // A block read on a silent line takes its 250 ms plus 1 ms per byte and ends the data.
    std::array<std::uint8_t, 8> block{};
    block.fill(0x55);
    EXPECT_EQ(port.ReadBlock(block), 0);
    EXPECT_EQ(block[0], 0);

    // Line settings apply while open and are kept.
    port.SetBaudRate(19200);
    port.SetStopBits(2);
    EXPECT_THROW(port.SetPortName("COM9"), ECommError);
    EXPECT_EQ(port.PortName(), Name);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(WindowsCommPortLive, TheStationAnswersTheLinkCheck) {
    TCommPort port;
    port.Open(Name);
    std::uint8_t key = 0;
    TFrameEngine frames(port, key);
    EXPECT_EQ(frames.CheckLink(), 1);
    port.PurgeInput();
    port.Flush();
    EXPECT_EQ(port.ReadByte(), -1);  // nothing was left over
}

// Wine lets a serial device be opened twice, whatever the sharing asked for; Windows does not.
bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST_F(WindowsCommPortLive, ThePortIsHeldForOneUserOnly) {
    if (UnderWine()) GTEST_SKIP() << "Wine does not keep a serial device exclusive";
    TCommPort first;
    first.Open(Name);
    EXPECT_FALSE(TCommPort::PortExists(Name));
    TCommPort second;
    try {
        second.Open(Name);
        FAIL() << "the port was opened twice";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Code, 8);
        EXPECT_EQ(PortOpenReason(e), "порт занят другой программой") << e.LastError;
    }
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_TRUE(TCommPort::PortExists(Name));
    second.Open(Name);
    EXPECT_TRUE(second.IsOpen());
}

}  // namespace
}  // namespace zarnik
