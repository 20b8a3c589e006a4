// zarnik-cli commands that move configurations between the station and files: read and write.

#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "cli/cli_commands.h"
#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "flows/read_write_all.h"
#include "flows/verified_write.h"

namespace zarnik::cli {

namespace {

std::string KnownKeys() {
    std::string keys;
    for (const TTableCodec* c : RegisteredCodecs())
        keys += (keys.empty() ? "" : ", ") + std::string(c->Key);
    return keys;
}

struct TReadArgs {
    std::string Output;
    std::string Tables;
    bool NoBackup = false;
};

struct TWriteArgs {
    std::string Input;
    std::string Tables;
    bool NoBackup = false;
    bool Verify = false;
};

// Why a configuration file cannot be created under `path`, or "" when it can: checked before
// the station is read, so that a read of many seconds is not thrown away.
std::string OutputProblem(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return "это каталог";
    const fs::path parent = fs::path(path).parent_path();
    const fs::path dir = parent.empty() ? fs::path(".") : parent;
    if (!fs::exists(dir, ec)) return "нет каталога " + dir.string();
    if (!fs::is_directory(dir, ec)) return dir.string() + " не является каталогом";
    if (::access(dir.c_str(), W_OK) != 0) return "нет прав на запись в каталог " + dir.string();
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec)) return "это не обычный файл";
    return "";
}

int RunRead(TCliContext& context, const TReadArgs& args) {
    const auto ticks = ParseTableList(args.Tables);
    if (!ticks) return kExitUsage;
    if (const std::string problem = OutputProblem(args.Output); !problem.empty()) {
        context.Dialogs().Message(
            "Файл " + args.Output + " не может быть создан: " + problem + ". АТС не считывалась.",
            "Ошибка");
        return kExitFailure;
    }
    context.Store().TransferFlags = *ticks;
    std::vector<ETable> failed;
    const int code = ReadStationForCli(context, &failed, !args.NoBackup);
    if (code != kExitOk) return code;
    if (const int units = RefuseSeveralUnits(context); units != kExitOk) return units;
    // A table that did not come is held cleared; saved, it would clear the station's table on
    // the next write.
    if (!failed.empty()) {
        context.Dialogs().Message(
            "Не считаны таблицы: " + TableNames(failed) + ". Файл не записан.", "Ошибка");
        return kExitFailure;
    }
    TFileList file;
    if (!SaveConfiguration(context.Session(), context.Store(), file, *ticks, args.Output)) {
        context.Dialogs().Message("Файл " + args.Output + " не записан.", "Ошибка");
        return kExitFailure;
    }
    PrintSummary(std::cout, context.Session(), context.Store());
    std::cout << "Записано в " << args.Output << "\n";
    return kExitOk;
}

// Without --tables a write sends what the file holds, never the blank image of a table it
// lacks; with --tables the user chose, and is told which of the chosen tables go out empty.
bool ChooseTablesToWrite(TCliContext& context, const TFileList& file, const TTableTicks& ticks,
                         bool explicitChoice) {
    TDataStream& store = context.Store();
    if (explicitChoice) {
        const std::string warning =
            BlankTablesWarning(BlankTablesForWrite(context.Session(), ticks));
        if (!warning.empty())
            context.Dialogs().Message(warning + " Они выбраны в --tables и записываются.",
                                      "Предупреждение");
        store.TransferFlags = ticks;
        return true;
    }
    bool any = false;
    for (ETable t : kAllTables) {
        const auto i = static_cast<std::size_t>(SelectionIndex(t));
        store.TransferFlags[i] = ticks[i] && file.Holds(t);
        any = any || store.TransferFlags[i];
    }
    return any;
}

int RunWrite(TCliContext& context, const TWriteArgs& args) {
    const auto ticks = ParseTableList(args.Tables);
    if (!ticks) return kExitUsage;
    // The station is identified first, as the program does at start, so that the load asks
    // before a file of another model goes out, and an unsupported station is never written.
    context.Store().TransferFlags.fill(false);
    if (const int code = ReadStationForCli(context); code != kExitOk) return code;
    if (const int units = RefuseSeveralUnits(context); units != kExitOk) return units;
    TMainClass& session = context.Session();
    TFileList file;
    if (!LoadConfiguration(session, context.Store(), file, *ticks, args.Input)) {
        context.Dialogs().Message("Файл " + args.Input + " не загружен, в АТС ничего не записано.",
                                  "Ошибка");
        return kExitFailure;
    }
    if (!ChooseTablesToWrite(context, file, *ticks, !args.Tables.empty())) {
        context.Dialogs().Message(
            "В файле " + args.Input +
                " нет ни одной из выбранных таблиц, в АТС ничего не записано.",
            "Ошибка");
        return kExitFailure;
    }
    TTerminalProgress progress(context);
    std::vector<ETable> failed;
    std::vector<ETable> written;
    const std::vector<ETable> chosen = TablesWriteAllSends(session, context.Store());
    int result = 0;
    bool verifiedBad = false;
    try {
        result = WriteStationForCli(context, progress, {!args.NoBackup, args.Verify}, &failed,
                                    &written, verifiedBad);
    } catch (const ECommError& e) {
        context.Terminal().EndLine();
        const std::string accounting = WriteEndedEarlyText(EWriteEnd::PortFailed, chosen, written);
        if (e.Gone) {
            // What happened first, then what the station now holds; that is all there is to say.
            context.Dialogs().Message(PortGoneText(e, context.PortDevice()) + " " + accounting,
                                      "Ошибка");
            return kExitFailure;
        }
        context.Dialogs().Message(accounting, "Ошибка");
        throw;
    }
    context.Terminal().EndLine();
    if (result == kWriteNoBackup) return kExitFailure;
    if (result == 1 && failed.empty()) {
        std::cout << "Записано в АТС: " << args.Input << "\n";
        return verifiedBad ? kExitFailure : kExitOk;
    }
    if (result == kWriteOtherStation) return kExitFailure;
    if (!failed.empty())
        context.Dialogs().Message("АТС не приняла таблицы: " + TableNames(failed) + ".", "Ошибка");
    if (session.CheckLink() < 0 || (result == -1 && failed.empty() && written.empty())) {
        context.Dialogs().Message("Нет связи с АТС", "Ошибка");
        return kExitNoLink;
    }
    return kExitFailure;
}

}  // namespace

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
            std::cerr << "Ошибка: неизвестная таблица \"" << key
                      << "\" в --tables. Таблицы: " << KnownKeys() << " (или all).\n";
            return std::nullopt;
        }
        ticks[static_cast<std::size_t>(SelectionIndex(found->Table))] = true;
        start = comma + 1;
    }
    return ticks;
}

std::string TableListHelp(const std::string& lead) {
    std::string help = lead;
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
    auto readArgs = std::make_shared<TReadArgs>();
    auto* read = app.add_subcommand("read",
                                    "read the station and save it to a configuration file; "
                                    "the file is written only when every chosen table was read");
    read->footer(kExitCodesHelp);
    read->add_option("-o,--output", readArgs->Output, "configuration file (.ats)")->required();
    read->add_option("--tables", readArgs->Tables, TableListHelp());
    read->add_flag("--no-backup", readArgs->NoBackup,
                   "do not keep a copy of a whole-station read under dat/auto");
    read->callback([&body, readArgs] {
        body = [readArgs](TCliContext& context) { return RunRead(context, *readArgs); };
    });

    auto writeArgs = std::make_shared<TWriteArgs>();
    auto* write = app.add_subcommand("write",
                                     "identify the station, load a configuration file and "
                                     "write the chosen tables to the station");
    write->footer(kExitCodesHelp);
    write->add_option("file", writeArgs->Input, "configuration file (.ats)")->required();
    write->add_option("--tables", writeArgs->Tables,
                      TableListHelp("comma-separated tables (default: every table the file "
                                    "holds; a chosen table the file lacks is written empty):"));
    write->add_flag("--no-backup", writeArgs->NoBackup,
                    "do not read and keep the station's tables under dat/auto before writing");
    write->add_flag("--verify", writeArgs->Verify,
                    "read the written tables back and compare them with what was sent");
    write->callback([&body, writeArgs] {
        body = [writeArgs](TCliContext& context) { return RunWrite(context, *writeArgs); };
    });
}

}  // namespace zarnik::cli
