#include <windows.h>

#include <algorithm>

#include "link/comm_port.h"
#include "link/serial_port_list.h"
#include "platform/wide_text.h"

// The Windows half of the port list: the system keeps every serial port it has a driver for
// under HARDWARE\DEVICEMAP\SERIALCOMM, one value per port, its name the driver's device
// ("\Device\VCP0", "\Device\Silabser0", "\Device\Serial0") and its data the COM name.

namespace zarnik {

namespace {

// "VCP0" of "\Device\VCP0": the driver's own name of the device, which tells the kind of
// adapter (VCP: FTDI, Silabser: Silicon Labs, USBSER: CDC-ACM, Serial: a built-in port).
std::string DriverDeviceName(const std::wstring& valueName) {
    const auto slash = valueName.find_last_of(L'\\');
    return Utf8FromWide(slash == std::wstring::npos ? valueName : valueName.substr(slash + 1));
}

}  // namespace

std::vector<TSerialDeviceEntry> SystemSerialDevices() {
    std::vector<TSerialDeviceEntry> found;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return found;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[256];
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG r = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &dataBytes);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';  // the system does not promise the end mark
        TSerialDeviceEntry entry;
        entry.Path = Utf8FromWide(data);
        entry.Driver = DriverDeviceName(std::wstring(name, nameLength));
        if (!entry.Path.empty()) found.push_back(std::move(entry));
    }
    RegCloseKey(key);
    return found;
}

// A COM name follows its adapter on Windows (the system remembers it by the adapter's serial
// number), so there is nothing steadier to keep than the name itself.
std::string StablePathOf(const std::string& /*path*/) { return ""; }

bool CanOpenForReadWrite(const std::string& path) { return TCommPort::PortExists(path); }

}  // namespace zarnik
