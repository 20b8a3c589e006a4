// zarnik-cli: the configurator's engine from a terminal.

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_commands.h"
#include "link/comm_port.h"
#include "platform/user_dialogs.h"

int main(int argc, char** argv) {
    using namespace zarnik;
    using namespace zarnik::cli;
    CLI::App app{"Zarnik: configurator of the office telephone station, from a terminal"};
    app.footer(
        "Exit codes: 0 done; 1 the operation failed (or the program's own fatal condition);\n"
        "2 bad arguments; 3 no link with the station; 4 the station's working program is\n"
        "not supported. Messages go to stderr, in Russian, as the windows show them.\n"
        "COMn names resolve to $ZARNIK_SERIAL_DIR/COMn when that variable is set.");
    TCliOptions options;
    app.add_option("--port", options.Port, "COMn or a device path (default: Zarnik_M.cfg)");
    app.add_flag("-y,--yes", options.Yes, "answer OK to every question");
    app.add_option("--dir", options.BaseDir, "working directory (default: current)");
    app.require_subcommand(1);
    TCommandBody body;
    RegisterStationCommands(app, body);
    RegisterFileCommands(app, body);
    RegisterReportCommands(app, body);
    RegisterDumpCommands(app, body);
    RegisterBuildCommands(app, body);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kExitUsage;
    }
    if (!body) return kExitUsage;
    try {
        TCliContext context(options);
        return body(context);
    } catch (const TExitProgram& e) {
        return e.Code;
    } catch (const ECommError& e) {
        std::cerr << "Ошибка порта: " << e.What() << "\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << "Ошибка: " << e.what() << "\n";
        return kExitFailure;
    }
}
