// The port list from a fake kernel tree, the advice for ports that do not open, and who holds
// a busy one.
#include "link/serial_port_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "link/comm_port.h"
#include "link/comm_port_detail.h"
#include "support/file_test_helpers.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
}

// /sys/class/tty, /dev and /dev/serial/by-id as the kernel and udev lay them out.
struct TFakeTree {
    test::TScratchDir Dir;
    fs::path Sys = fs::path(Dir.Path) / "sys";
    fs::path Dev = fs::path(Dir.Path) / "dev";
    TSysTtyRoots Roots{(Sys / "class/tty").string(), Dev.string(), (Dev / "serial/by-id").string()};

    // A USB device with one serial port: `levels` 2 for a usb-serial port (ttyUSB), 1 for a
    // CDC-ACM interface (ttyACM).
    void Usb(const std::string& tty, const std::string& product, const std::string& maker,
             const std::string& driver, int levels, const std::string& byId = "") {
        const fs::path usb = Sys / "devices/usb1" / (tty + "-dev");
        if (!product.empty()) Write(usb / "product", product);
        if (!maker.empty()) Write(usb / "manufacturer", maker);
        Write(usb / "idVendor", "0403");
        fs::path port = usb / "1-1:1.0";
        if (levels == 2) port /= tty;
        fs::create_directories(port);
        fs::create_directories(Sys / "drivers" / driver);
        fs::create_symlink(Sys / "drivers" / driver, port / "driver");
        Class(tty, port);
        Node(tty);
        if (!byId.empty()) {
            fs::create_directories(Dev / "serial/by-id");
            fs::create_symlink("../../" + tty, Dev / "serial/by-id" / byId);
        }
    }
    void Class(const std::string& tty, const fs::path& device) {
        fs::create_directories(Sys / "class/tty" / tty);
        if (!device.empty()) fs::create_symlink(device, Sys / "class/tty" / tty / "device");
    }
    void Node(const std::string& tty) { Write(Dev / tty, ""); }
};

TEST(SerialPortList, AdaptersComeFirstByNameWithTheirStablePathThenTheComNamesThatOpen) {
    TFakeTree t;
    t.Usb("ttyUSB0", "FT232R USB UART", "FTDI", "ftdi_sio", 2,
          "usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0");
    t.Usb("ttyUSB10", "USB-Serial Controller", "Prolific Technology Inc.", "pl2303", 2);
    t.Usb("ttyUSB2", "", "", "ch341-uart", 2);  // a CH340 says nothing of itself
    t.Usb("ttyACM0", "STM32 Virtual ComPort", "STMicroelectronics", "cdc_acm", 1,
          "usb-STMicroelectronics_STM32_Virtual_ComPort_207E-if00");
    t.Class("ttyS0", t.Sys / "devices/platform/serial8250");  // a built-in UART: it is COM1
    t.Node("ttyS0");
    t.Class("tty1", "");  // a console: no device
    t.Node("tty1");
    t.Usb("ttyUSB5", "Gone", "Gone", "ftdi_sio", 2);
    fs::remove(t.Dev / "ttyUSB5");  // its node is already gone

    const auto devices = SerialDevicesUnder(t.Roots);
    ASSERT_EQ(devices.size(), 4u);
    const auto list =
        BuildPortList(devices, [](const std::string& n) { return n == "COM1" || n == "COM12"; });
    ASSERT_EQ(list.size(), 6u);
    const std::string dev = t.Dev.string();
    EXPECT_EQ(list[0].Path, dev + "/ttyACM0");
    EXPECT_EQ(list[0].Caption(), dev + "/ttyACM0 — STM32 Virtual ComPort (STMicroelectronics)");
    EXPECT_EQ(list[0].StoredName(),
              dev + "/serial/by-id/usb-STMicroelectronics_STM32_Virtual_ComPort_207E-if00");
    EXPECT_EQ(list[1].Caption(), dev + "/ttyUSB0 — FT232R USB UART (FTDI)");
    EXPECT_EQ(list[1].StablePath,
              dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0");
    EXPECT_EQ(list[2].Caption(), dev + "/ttyUSB2 — ch341-uart");  // only its driver is known
    EXPECT_EQ(list[2].StoredName(), dev + "/ttyUSB2");            // no stable path: the node
    EXPECT_EQ(list[3].Caption(),
              dev + "/ttyUSB10 — USB-Serial Controller (Prolific Technology Inc.)");
    EXPECT_EQ(list[4].Caption(), "COM1");
    EXPECT_TRUE(list[4].IsComName);
    EXPECT_EQ(list[5].Caption(), "COM12");

    // The stored by-id path, the node and a COMn name in any case all find their line.
    EXPECT_EQ(FindPort(list, list[1].StablePath)->Path, dev + "/ttyUSB0");
    EXPECT_EQ(FindPort(list, dev + "/ttyUSB0")->Path, dev + "/ttyUSB0");
    EXPECT_EQ(FindPort(list, "com12")->Path, "COM12");
    EXPECT_FALSE(FindPort(list, "COM3"));
    EXPECT_FALSE(FindPort(list, ""));
    EXPECT_EQ(StablePathUnder(t.Roots.ById, dev + "/ttyUSB2"), "");
}

TEST(SerialPortList, NoTreeNoDevicesAndAReportedComNameIsOfferedOnce) {
    TFakeTree t;
    EXPECT_TRUE(SerialDevicesUnder(t.Roots).empty());  // the folders do not even exist
    // Windows reports COM5 itself; the probe of COM5 does not add it a second time.
    const auto list =
        BuildPortList({{"COM5", "", "USB Serial Port", "FTDI", "ftdibus"}},
                      [](const std::string& n) { return n == "COM5" || n == "COM7"; });
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Caption(), "COM5 — USB Serial Port (FTDI)");
    EXPECT_EQ(list[1].Caption(), "COM7");
    // A maker named inside the product is not said twice.
    EXPECT_EQ(DescribeDevice({"", "", "FTDI FT232R", "FTDI", "ftdi_sio"}), "FTDI FT232R");
    EXPECT_EQ(DescribeDevice({"", "", "", "", ""}), "");
}

TEST(PortAdvice, NoRightsSaysHowToGetThemAndABusyPortNamesItsHolder) {
    const std::string text = "Исключение! Какая-то проблема при открытии СОМ-порта.(2)";
    EXPECT_EQ(WithPortOpenReason(text, ECommError(8, EACCES), "/dev/ttyUSB0"),
              text +
                  " Нет прав на /dev/ttyUSB0. Добавьте пользователя в группу dialout (sudo "
                  "usermod -aG dialout $USER) и войдите в систему заново.");
    // Other reasons read as before.
    EXPECT_EQ(WithPortOpenReason(text, ECommError(8, ENOENT), "/dev/ttyUSB0"),
              text + " Причина: нет такого устройства.");

    test::TPtyPair pty;
    TCommPort holder;
    holder.Open(pty.SlavePath);
    TCommPort second;
    try {
        second.Open(pty.SlavePath);
        FAIL() << "a port held by another opened again";
    } catch (const ECommError& e) {
        const std::string message = WithPortOpenReason(text, e, second.DevicePath());
        EXPECT_EQ(message.rfind(text + " Порт " + pty.SlavePath + " занят другой программой: ", 0),
                  0u)
            << message;
        EXPECT_NE(message.find("(PID " + std::to_string(getpid()) + ")"), std::string::npos)
            << message;
    }
}

TEST(PortAdvice, HoldersAreFoundByTheirOpenFilesAndNamedOnce) {
    test::TScratchDir dir;
    const fs::path proc = fs::path(dir.Path) / "proc";
    const std::string device = (fs::path(dir.Path) / "ttyUSB0").string();
    Write(device, "");
    const auto process = [&](const std::string& pid, const std::string& comm,
                             const std::vector<std::string>& open) {
        Write(proc / pid / "comm", comm);
        fs::create_directories(proc / pid / "fd");
        for (std::size_t i = 0; i < open.size(); ++i)
            fs::create_symlink(open[i], proc / pid / "fd" / std::to_string(i + 3));
    };
    process("812", "minicom", {"/dev/null", device, device});
    process("90", "screen", {device});
    process("77", "bash", {"/dev/null"});
    Write(proc / "self-not-a-pid" / "comm", "x");
    EXPECT_EQ(comm_detail::PortHoldersUnder(proc.string(), device),
              "screen (PID 90), minicom (PID 812)");
    EXPECT_EQ(comm_detail::PortHoldersUnder(proc.string(), device + "x"), "");
    EXPECT_EQ(comm_detail::PortHoldersUnder((proc / "none").string(), device), "");
}

}  // namespace
}  // namespace zarnik
