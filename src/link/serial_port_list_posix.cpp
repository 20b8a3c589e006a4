#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "link/serial_port_list.h"

// The Linux half of the port list: what the kernel says of each tty in /sys/class/tty, and the
// links udev keeps in /dev/serial/by-id, which keep their names when an adapter is plugged in
// again under another number.

namespace zarnik {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute, without its newline; "" when there is none.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return "";
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// The USB device above a tty's device: the first folder up the tree that has a "product" or
// an "idVendor" (a USB-serial port sits two levels below it, a CDC-ACM interface one).
fs::path UsbDeviceAbove(const fs::path& device) {
    std::error_code ec;
    fs::path at = fs::canonical(device, ec);
    if (ec) return {};
    for (int up = 0; up < 4 && !at.empty() && at != at.root_path(); ++up) {
        if (fs::exists(at / "product", ec) || fs::exists(at / "idVendor", ec)) return at;
        at = at.parent_path();
    }
    return {};
}

// Built-in UARTs are reached through the COMn names (COM1 is ttyS0).
bool IsBuiltInUart(const std::string& name) { return name.rfind("ttyS", 0) == 0; }

}  // namespace

std::string StablePathUnder(const std::string& byIdDir, const std::string& path) {
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (ec) return "";
    std::string best;
    for (const auto& link : fs::directory_iterator(byIdDir, ec)) {
        std::error_code linkEc;
        if (!link.is_symlink(linkEc)) continue;
        if (fs::canonical(link.path(), linkEc) != target || linkEc) continue;
        // Several links to one device (a modem's interfaces): the same one every time.
        const std::string candidate = link.path().string();
        if (best.empty() || candidate < best) best = candidate;
    }
    return best;
}

std::vector<TSerialDeviceEntry> SerialDevicesUnder(const TSysTtyRoots& roots) {
    std::vector<TSerialDeviceEntry> found;
    std::error_code ec;
    for (const auto& tty : fs::directory_iterator(roots.ClassTty, ec)) {
        const std::string name = tty.path().filename().string();
        const fs::path device = tty.path() / "device";
        std::error_code devEc;
        if (IsBuiltInUart(name) || !fs::exists(device, devEc)) continue;
        TSerialDeviceEntry entry;
        entry.Path = (fs::path(roots.Dev) / name).string();
        if (!fs::exists(entry.Path, devEc)) continue;  // not (or no longer) a node
        entry.StablePath = StablePathUnder(roots.ById, entry.Path);
        const fs::path driver = fs::read_symlink(device / "driver", devEc);
        if (!devEc) entry.Driver = driver.filename().string();
        const fs::path usb = UsbDeviceAbove(device);
        if (!usb.empty()) {
            entry.Product = Attribute(usb / "product");
            entry.Manufacturer = Attribute(usb / "manufacturer");
        }
        found.push_back(std::move(entry));
    }
    return found;
}

std::vector<TSerialDeviceEntry> SystemSerialDevices() { return SerialDevicesUnder({}); }

std::string StablePathOf(const std::string& path) {
    return StablePathUnder(TSysTtyRoots{}.ById, path);
}

bool CanOpenForReadWrite(const std::string& path) {
    return ::access(path.c_str(), R_OK | W_OK) == 0;
}

}  // namespace zarnik
