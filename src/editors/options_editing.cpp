#include "editors/options_editing.h"

#include "link/byte_trace.h"
#include "model/program_options.h"
#include "platform/file_system.h"

namespace zarnik {

std::vector<std::string> AvailablePortNames(const std::function<bool(const std::string&)>& exists) {
    std::vector<std::string> names;
    for (const TSerialPortInfo& p : BuildPortList({}, exists)) names.push_back(p.Path);
    return names;
}

std::vector<TSerialPortInfo> OfferedPorts(const TMainClass& session) {
    // The port this program holds open cannot be opened a second time, yet it is there.
    const bool holding = session.Port.IsOpen();
    return BuildPortList(SystemSerialDevices(), [&](const std::string& n) {
        return (holding && n == session.PortName) || TCommPort::PortExists(n);
    });
}

std::string PortCaption(const std::string& portName, const std::vector<TSerialPortInfo>& ports) {
    const auto port = FindPort(ports, portName);
    return port ? port->Caption() : portName;
}

std::string PortCaption(const std::string& portName) {
    return PortCaption(portName,
                       BuildPortList(SystemSerialDevices(), [](const std::string&) { return false; }));
}

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The name kept for a device path that opens (its stable link when it has one); nullopt,
// after the message saying why, for one that does not.
std::optional<std::string> TakeDevicePath(const std::string& path, TUserDialogs& dialogs) {
    TCommPort probe;
    try {
        probe.Open(path);
    } catch (const ECommError& e) {
        dialogs.Message(WithPortOpenReason("Устройство " + path +
                                               " не открывается как последовательный порт.",
                                           e, probe.DevicePath()),
                        "Ошибка");
        return std::nullopt;
    }
    try {
        probe.Close();
    } catch (const ECommError&) {
        // It opened; that is what was asked.
    }
    const std::string stable = StablePathOf(path);
    return stable.empty() ? path : stable;
}

}  // namespace

std::string PortNameFromText(const std::string& text, const std::vector<TSerialPortInfo>& ports) {
    const std::string trimmed = Trimmed(text);
    for (const TSerialPortInfo& p : ports)
        if (p.Caption() == trimmed) return p.StoredName();
    // A caption typed or pasted by hand: the device is what comes before the dash.
    const auto dash = trimmed.find(" — ");
    if (dash != std::string::npos && IsDevicePathText(trimmed)) {
        const std::string device = Trimmed(trimmed.substr(0, dash));
        const auto port = FindPort(ports, device);
        return port ? port->StoredName() : device;
    }
    return trimmed;
}

bool IsDevicePathText(const std::string& text) {
    return !text.empty() && (text.front() == '/' || text.rfind("\\\\.\\", 0) == 0);
}

std::optional<std::string> AcceptPortChoice(TMainClass& session, const std::string& text,
                                            const std::string& startDir, TUserDialogs& dialogs) {
    if (session.Port.IsOpen()) {
        try {
            session.Port.Close();
        } catch (const ECommError&) {
            // The descriptor is gone either way; the next exchange opens the port afresh.
        }
    }
    if (IsDevicePathText(text)) {
        const std::optional<std::string> device = TakeDevicePath(text, dialogs);
        if (!device) return std::nullopt;
        session.PortName = *device;
        SaveDevicePath(startDir, *device, dialogs);
        return session.PortName;
    }
    const std::optional<std::uint8_t> number = ValidatePortText(text, dialogs);
    if (!number) return std::nullopt;
    session.PortName = PortNameFor(*number);
    SaveOptions(startDir, *number, dialogs);
    return session.PortName;
}

std::string TraceFilePath(const std::string& baseDir) {
    return JoinPath(baseDir, kTraceFileName);
}

bool ApplyTraceSwitch(TMainClass& session, bool on, const std::string& baseDir) {
    if (!on) {
        session.Port.SetTrace(nullptr);
        return true;
    }
    if (session.Port.Trace()) return true;
    auto trace = std::make_shared<TByteTrace>(TraceFilePath(baseDir));
    if (!trace->Good()) return false;
    session.Port.SetTrace(std::move(trace));
    return true;
}

std::optional<std::string> AcceptOptions(TMainClass& session, const std::string& text,
                                         const TSafetyOptions& safety, const std::string& startDir,
                                         TUserDialogs& dialogs) {
    std::optional<std::string> taken = AcceptPortChoice(session, text, startDir, dialogs);
    if (!taken) return taken;
    // A base directory that is gone has been reported by the port's save already.
    if (LoadSafetyOptions(startDir) != safety && DirectoryExists(startDir))
        SaveSafetyOptions(startDir, safety, dialogs);
    return taken;
}

}  // namespace zarnik
