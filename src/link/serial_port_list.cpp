#include "link/serial_port_list.h"

#include <algorithm>
#include <cctype>

#include "link/comm_port.h"
#include "link/comm_port_detail.h"

namespace zarnik {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The run of digits from `at` without its leading zeros; `at` moves past the run.
std::string NumberRun(const std::string& s, std::size_t& at) {
    const std::size_t start = at;
    while (at < s.size() && IsDigit(s[at])) ++at;
    const std::string run = s.substr(start, at - start);
    const std::size_t first = run.find_first_not_of('0');
    return first == std::string::npos ? std::string() : run.substr(first);
}

// "ttyUSB10" after "ttyUSB2": runs of digits compare as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string na = NumberRun(a, i);
            const std::string nb = NumberRun(b, j);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

std::string TSerialPortInfo::Caption() const {
    return Description.empty() ? Path : Path + " — " + Description;
}

bool TSerialPortInfo::Names(const std::string& name) const {
    if (name.empty()) return false;
    if (name == Path || (!StablePath.empty() && name == StablePath)) return true;
    // A COMn name in another letter case is the same name.
    const auto n = comm_detail::ComNumber(name);
    return IsComName && n && comm_detail::ComNumber(Path) == n;
}

std::string DescribeDevice(const TSerialDeviceEntry& entry) {
    if (entry.Product.empty()) return entry.Manufacturer.empty() ? entry.Driver : entry.Manufacturer;
    // Some makers repeat their name in the product's ("FTDI FT232R"): said once is enough.
    if (entry.Manufacturer.empty() || entry.Product.find(entry.Manufacturer) != std::string::npos)
        return entry.Product;
    return entry.Product + " (" + entry.Manufacturer + ")";
}

std::vector<TSerialPortInfo> BuildPortList(
    const std::vector<TSerialDeviceEntry>& devices,
    const std::function<bool(const std::string&)>& comExists) {
    std::vector<TSerialPortInfo> list;
    for (const TSerialDeviceEntry& d : devices) {
        if (d.Path.empty()) continue;
        const bool seen = std::any_of(list.begin(), list.end(),
                                      [&](const TSerialPortInfo& p) { return p.Path == d.Path; });
        if (!seen) list.push_back({d.Path, d.StablePath, DescribeDevice(d), false});
    }
    std::sort(list.begin(), list.end(), [](const TSerialPortInfo& a, const TSerialPortInfo& b) {
        return NaturalLess(a.Path, b.Path);
    });
    for (unsigned n = 1; n <= 255; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (!comExists(name)) continue;
        // On Windows the system reports COM5 itself; it is not offered twice.
        const std::string reaches = ResolvePortName(name);
        const bool reported = std::any_of(list.begin(), list.end(), [&](const TSerialPortInfo& p) {
            return !p.IsComName && (p.Path == name || p.Path == reaches);
        });
        if (!reported) list.push_back({name, "", "", true});
    }
    return list;
}

std::vector<TSerialPortInfo> ListSerialPorts() {
    return BuildPortList(SystemSerialDevices(), &TCommPort::PortExists);
}

std::optional<TSerialPortInfo> FindPort(const std::vector<TSerialPortInfo>& ports,
                                        const std::string& name) {
    for (const TSerialPortInfo& p : ports)
        if (p.Names(name)) return p;
    return std::nullopt;
}

}  // namespace zarnik
