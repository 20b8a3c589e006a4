#pragma once
// The serial devices present, by name: USB-serial adapters first, with what the system knows of
// them ("/dev/ttyUSB0 — FT232R USB UART (FTDI)") and the stable path that survives replugging,
// then the COMn names that can be opened now.
//
// The list is built in one place (BuildPortList) from two injected sources, the devices the
// system reports and a probe of the COMn names, so that it can be tested without hardware. The
// platform file supplies SystemSerialDevices: serial_port_list_posix.cpp reads the kernel's
// /sys/class/tty and /dev/serial/by-id; a Windows half reads the system's list of COM ports.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarnik {

// One device as the platform reports it; nothing is sorted or worded yet.
struct TSerialDeviceEntry {
    std::string Path;          // "/dev/ttyUSB0"; on Windows "COM5"
    std::string StablePath;    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0", or ""
    std::string Product;       // "FT232R USB UART", or ""
    std::string Manufacturer;  // "FTDI", or ""
    std::string Driver;        // "ftdi_sio", "cdc_acm", or ""
};

// One line of the list.
struct TSerialPortInfo {
    std::string Path;         // what the user recognises: "/dev/ttyUSB0", "COM3"
    std::string StablePath;   // "" when the device has none
    std::string Description;  // "FT232R USB UART (FTDI)", "" when nothing is known
    bool IsComName = false;   // a COMn name of the probe, not a device the system reported

    // What the options file keeps for it: the stable path when there is one.
    const std::string& StoredName() const { return StablePath.empty() ? Path : StablePath; }
    // "/dev/ttyUSB0 — FT232R USB UART (FTDI)"; just the path when there is no description.
    std::string Caption() const;
    // Whether `name` (a stored or typed port name) means this device.
    bool Names(const std::string& name) const;
};

// "FT232R USB UART (FTDI)" from what the system knows; the driver's name when that is all.
std::string DescribeDevice(const TSerialDeviceEntry& entry);

// The reported devices in natural order (ttyACM0, ttyUSB0, ttyUSB2, ttyUSB10), then "COM1".."COM255"
// for which `comExists` says yes, in number order. A reported device whose path is also what
// a COMn name reaches appears once, as the device.
std::vector<TSerialPortInfo> BuildPortList(
    const std::vector<TSerialDeviceEntry>& devices,
    const std::function<bool(const std::string&)>& comExists);

// The pluggable serial devices present on this computer (adapters, modems), without the
// built-in UARTs that the COMn names reach. Platform file.
std::vector<TSerialDeviceEntry> SystemSerialDevices();

// BuildPortList over SystemSerialDevices and TCommPort::PortExists.
std::vector<TSerialPortInfo> ListSerialPorts();

// The line of `ports` that `name` means, if any.
std::optional<TSerialPortInfo> FindPort(const std::vector<TSerialPortInfo>& ports,
                                        const std::string& name);

// The stable path of the device `path` reaches, or "" when it has none. Platform file.
std::string StablePathOf(const std::string& path);

// How the current user stands with a device: whether it can be opened for reading and
// writing now. Platform file.
bool CanOpenForReadWrite(const std::string& path);

#ifndef _WIN32
// Where the Linux half looks: normally "/sys/class/tty", "/dev" and "/dev/serial/by-id"; tests
// build a tree of their own. A tty counts when its sysfs entry has a "device" link (virtual
// consoles and pseudo-terminals have none) and it is not a built-in UART (ttyS*).
struct TSysTtyRoots {
    std::string ClassTty = "/sys/class/tty";
    std::string Dev = "/dev";
    std::string ById = "/dev/serial/by-id";
};
std::vector<TSerialDeviceEntry> SerialDevicesUnder(const TSysTtyRoots& roots);
std::string StablePathUnder(const std::string& byIdDir, const std::string& path);
#endif

}  // namespace zarnik
