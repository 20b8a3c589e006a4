// zarnik-cli: the configurator's engine from a terminal.

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_commands.h"
#include "link/comm_port.h"
#include "platform/console.h"
#include "platform/user_dialogs.h"

namespace {

using namespace zarnik;
using namespace zarnik::cli;

// What a serial port error code says, for the technician.
const char* PortStepText(std::uint8_t code) {
    static constexpr std::array<const char*, 18> kTexts{
        "неизвестная ошибка порта",
        "не удалось задать скорость",
        "неизвестная ошибка порта",
        "не удалось задать стоповые биты",
        "не удалось задать четность",
        "не удалось задать размер байта",
        "имя порта нельзя сменить, пока порт открыт",
        "порт не открыт",
        "порт не открывается",
        "ошибка записи в порт",
        "ошибка чтения из порта",
        "ошибка закрытия порта",
        "не удалось очистить очередь приема",
        "не удалось дождаться передачи",
        "не удалось прочитать настройки линии",
        "не удалось применить настройки линии",
        "не удалось задать размеры очередей",
        "не удалось задать тайм-ауты",
    };
    return code < kTexts.size() ? kTexts[code] : kTexts[0];
}

std::string PortErrorText(const ECommError& e) {
    std::string text =
        "Ошибка COM-порта (код " + std::to_string(e.Code) + "): " + PortStepText(e.Code);
    if (e.LastError != 0) text += std::string(" (") + kLastErrorName + " " + std::to_string(e.LastError) + ")";
    return WithPortOpenReason(text + ".", e);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = PrepareConsole(argc, argv);
    std::vector<char*> argPointers;
    for (std::string& a : args) argPointers.push_back(a.data());
    CLI::App app{"Zarnik: configurator of the office telephone station, from a terminal"};
    app.footer(
        std::string("Run zarnik-cli COMMAND --help for a command's options and table keys.\n") +
        kExitCodesHelp);
    TCliOptions options;
    app.add_option("--port", options.Port, "COMn or a device path (default: Zarnik_M.cfg)");
    app.add_flag("-y,--yes", options.Yes, "answer OK to every question");
    app.add_option("--dir", options.BaseDir, "working directory (default: current)");
    app.add_option("--trace", options.TraceFile,
                   "write a timestamped hex trace of every byte exchanged with the station "
                   "(the file keeps at most the newest 10 MB)");
#ifdef ZARNIK_VERSION
    app.set_version_flag("--version", std::string("zarnik-cli ") + ZARNIK_VERSION,
                         "print the program's version and exit");
#endif
    app.require_subcommand(1);
    // The global options may also follow the command: "read -o x.ats --yes".
    app.fallthrough();
    TCommandBody body;
    RegisterStationCommands(app, body);
    RegisterFileCommands(app, body);
    RegisterReportCommands(app, body);
    RegisterDumpCommands(app, body);
    RegisterBuildCommands(app, body);
    RegisterDiffCommands(app, body);
    RegisterDirectoryCommands(app, body);
    RegisterPortsCommands(app, body);
    RegisterArchiveCommands(app, body);
    try {
        app.parse(static_cast<int>(argPointers.size()), argPointers.data());
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        if (code == 0) return kExitOk;  // --help
        std::cerr << "Ошибка в аргументах командной строки; см. zarnik-cli --help.\n";
        return kExitUsage;
    }
    if (!body) return kExitUsage;
    try {
        TCliContext context(options);
        try {
            return body(context);
        } catch (const ECommError& e) {
            context.Terminal().EndLine();
            // Said first and plainly; the technical line follows.
            if (e.Gone && !context.PortGoneSaid)
                std::cerr << PortGoneText(e, context.PortDevice()) << "\n";
            throw;
        } catch (...) {
            context.Terminal().EndLine();
            throw;
        }
    } catch (const TExitProgram& e) {
        // The program ends after its message; a status table that timed out ends the desktop
        // program with 0, but a script must see that nothing was done.
        return e.Code == 0 ? kExitFailure : e.Code;
    } catch (const ECommError& e) {
        std::cerr << PortErrorText(e) << "\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << "Ошибка: " << e.what() << "\n";
        return kExitFailure;
    }
}
