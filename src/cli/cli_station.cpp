// zarnik-cli commands that talk to the station: info and clock.

#include <cstdio>

#include "cli/cli_commands.h"
#include "flows/read_write_all.h"
#include "link/station_clock.h"

namespace zarnik::cli {

namespace {

// Runs the read-all sequence; returns 0 or the exit code for its failure.
int ReadStation(TCliContext& context) {
    TMainClass& session = context.Session();
    if (!session.Port.IsOpen()) {
        context.Dialogs().Message("Нет связи со станцией.", "Ошибка");
        return kExitNoLink;
    }
    TTerminalProgress progress;
    const int result = ReadAll(session, progress, context.Store());
    if (result == -1) {
        context.Dialogs().Message("Нет связи со станцией.", "Ошибка");
        return kExitNoLink;
    }
    if (result == -2) {
        context.Dialogs().Message("Zarnik_M работает с версиями рабочей программы от 22.9 и выше.", "");
        return kExitUnsupported;
    }
    return kExitOk;
}

bool ParseDateTime(const std::string& text, TStationDateTime& t) {
    char tail = 0;
    return std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &t.Year, &t.Month, &t.Day, &t.Hour,
                       &t.Minute, &t.Second, &tail) == 6 &&
           t.Year >= 1980 && t.Year <= 2159 && t.Month >= 1 && t.Month <= 12 && t.Day >= 1 &&
           t.Day <= 31 && t.Hour >= 0 && t.Hour < 24 && t.Minute >= 0 && t.Minute < 60 &&
           t.Second >= 0 && t.Second < 60;
}

}  // namespace

int ReadStationForCli(TCliContext& context) { return ReadStation(context); }

void RegisterStationCommands(CLI::App& app, TCommandBody& body) {
    auto* info = app.add_subcommand("info", "identify the station and show its status, "
                                            "composition and ports");
    info->callback([&body] {
        body = [](TCliContext& context) {
            context.Store().TransferFlags.fill(false);
            const int code = ReadStation(context);
            if (code != kExitOk) return code;
            PrintStation(std::cout, context.Session(), context.Store());
            return kExitOk;
        };
    });

    auto* clock = app.add_subcommand("clock", "set the station clock");
    auto now = std::make_shared<bool>(false);
    auto when = std::make_shared<std::string>();
    auto* setNow = clock->add_flag("--set-now", *now, "set it to the computer's clock");
    auto* setAt = clock->add_option("--set", *when, "set it to \"YYYY-MM-DD HH:MM:SS\"");
    setNow->excludes(setAt);
    clock->callback([&body, now, when] {
        body = [now, when](TCliContext& context) {
            TStationDateTime t;
            if (*now) {
                t = LocalDateTime(std::chrono::system_clock::now());
            } else if (when->empty() || !ParseDateTime(*when, t)) {
                std::cerr << "clock: give --set-now or --set \"YYYY-MM-DD HH:MM:SS\"\n";
                return kExitUsage;
            }
            TMainClass& session = context.Session();
            if (!session.Port.IsOpen() || !SetStationClock(session, t)) {
                context.Dialogs().Message("Нет связи со станцией.", "Ошибка");
                return kExitNoLink;
            }
            std::printf("%04d-%02d-%02d %02d:%02d:%02d\n", t.Year, t.Month, t.Day, t.Hour,
                        t.Minute, t.Second);
            return kExitOk;
        };
    });
}

}  // namespace zarnik::cli
