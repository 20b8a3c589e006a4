// zarnik-cli commands that move configurations between the station and files: read and write.

#include <iostream>

#include "cli/cli_commands.h"
#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "flows/read_write_all.h"

namespace zarnik::cli {

std::optional<TTableTicks> ParseTableList(const std::string& list) {
    TTableTicks ticks{};
    if (list.empty() || list == "all") {
        ticks.fill(true);
        return ticks;
    }
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string key = list.substr(start, comma - start);
        const TTableCodec* found = nullptr;
        for (const TTableCodec* c : RegisteredCodecs())
            if (key == c->Key) found = c;
        if (found == nullptr) {
            std::cerr << "неизвестная таблица: \"" << key << "\"\n";
            return std::nullopt;
        }
        ticks[static_cast<std::size_t>(SelectionIndex(found->Table))] = true;
        start = comma + 1;
    }
    return ticks;
}

std::string TableListHelp() {
    std::string help = "comma-separated tables (default all):";
    for (const TTableCodec* c : RegisteredCodecs())
        help += std::string("\n  ") + c->Key + " - " + c->Caption;
    return help;
}

void PrintSummary(std::ostream& out, const TMainClass& session, const TDataStream& store) {
    const TIdentity& id = session.Identity;
    out << "Модель: " << id.ModelName << ", версия " << id.Version << ", заводской номер "
        << id.SerialNumber << "\n";
    out << "АЛ " << id.SubscriberLineCount << ", СЛ " << id.TrunkLineCount << ", СТА "
        << id.StaCount << ", домофонов " << id.DoorPhoneCount << ", ГГС " << id.LoudspeakerCount
        << ", таблиц наведения " << id.RoutingTableCount << ", конференций "
        << int{session.ConferenceCount()} << ", плат " << store.CompositionCount << ", портов "
        << store.Ports.size() << "\n";
}

void RegisterFileCommands(CLI::App& app, TCommandBody& body) {
    auto tables = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    auto* read = app.add_subcommand("read", "read the station and save it to a configuration file");
    read->add_option("-o,--output", *output, "configuration file (.ats)")->required();
    read->add_option("--tables", *tables, TableListHelp());
    read->callback([&body, tables, output] {
        body = [tables, output](TCliContext& context) {
            const auto ticks = ParseTableList(*tables);
            if (!ticks) return kExitUsage;
            context.Store().TransferFlags = *ticks;
            const int code = ReadStationForCli(context);
            if (code != kExitOk) return code;
            TFileList file;
            if (!SaveConfiguration(context.Session(), context.Store(), file, *ticks, *output))
                return kExitFailure;
            PrintSummary(std::cout, context.Session(), context.Store());
            std::cout << "Записано в " << *output << "\n";
            return kExitOk;
        };
    });

    auto wtables = std::make_shared<std::string>();
    auto input = std::make_shared<std::string>();
    auto* write = app.add_subcommand("write", "load a configuration file and write it to the station");
    write->add_option("file", *input, "configuration file (.ats)")->required();
    write->add_option("--tables", *wtables, TableListHelp());
    write->callback([&body, wtables, input] {
        body = [wtables, input](TCliContext& context) {
            const auto ticks = ParseTableList(*wtables);
            if (!ticks) return kExitUsage;
            TMainClass& session = context.Session();
            TFileList file;
            if (!LoadConfiguration(session, context.Store(), file, *ticks, *input))
                return kExitFailure;
            if (!session.Port.IsOpen()) {
                context.Dialogs().Message("Нет связи со станцией.", "Ошибка");
                return kExitNoLink;
            }
            TTerminalProgress progress;
            const int result = WriteAll(session, progress, context.Store());
            if (result == -1 && session.CheckLink() < 0) {
                context.Dialogs().Message("Нет связи со станцией.", "Ошибка");
                return kExitNoLink;
            }
            if (result < 0) return kExitFailure;
            std::cout << "Записано в АТС: " << *input << "\n";
            return kExitOk;
        };
    });
}

}  // namespace zarnik::cli
