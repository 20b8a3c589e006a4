// zarnik-cli command that lists the serial ports: ports.

#include <iostream>

#include "cli/cli_commands.h"
#include "link/comm_port.h"
#include "link/serial_port_list.h"

namespace zarnik::cli {

namespace {

// One port a line, fields apart by tabs so a script can cut them: the path, the stable path,
// what the system knows of the device, and whether this user may open it. "-" for a field
// with nothing to say.
std::string PortLine(const TSerialPortInfo& port) {
    const std::string device = port.IsComName ? ResolvePortName(port.Path) : port.Path;
    std::string description = port.Description;
    // A COMn name says nothing of itself: where it leads does.
    if (port.IsComName && device != port.Path) description = device;
    const auto field = [](const std::string& s) { return s.empty() ? std::string("-") : s; };
    return port.Path + "\t" + field(port.StablePath) + "\t" + field(description) + "\t" +
           (CanOpenForReadWrite(device) ? "доступен" : "нет прав");
}

int RunPorts() {
    const std::vector<TSerialPortInfo> ports = ListSerialPorts();
    for (const TSerialPortInfo& port : ports) std::cout << PortLine(port) << "\n";
    if (ports.empty()) std::cerr << "Последовательные порты не найдены.\n";
    return kExitOk;
}

}  // namespace

void RegisterPortsCommands(CLI::App& app, TCommandBody& body) {
    auto* ports = app.add_subcommand(
        "ports",
        "list the serial ports: adapters by name first, then the COMn names that open.\n"
        "One a line, tab-separated: path, stable path (/dev/serial/by-id/...), description,\n"
        "and whether this user may open it (\"доступен\" or \"нет прав\"); \"-\" for none.\n"
        "Exit code 0, also when there is no port.");
    ports->footer(kExitCodesHelp);
    ports->callback([&body] { body = [](TCliContext&) { return RunPorts(); }; });
}

}  // namespace zarnik::cli
