// zarnik-cli command that shows a configuration file: dump, as text or as JSON.

#include <iostream>

#include "cli/cli_commands.h"
#include "cli/store_json.h"
#include "files/config_flows.h"

namespace zarnik::cli {

namespace {

struct TDumpArgs {
    std::string Input;
    std::string Tables;
    bool Json = false;
};

int RunDump(TCliContext& context, const TDumpArgs& args) {
    const auto ticks = ParseTableList(args.Tables);
    if (!ticks) return kExitUsage;
    TMainClass& session = context.Session(false);
    TDataStream& store = context.Store();
    TFileList file;
    if (!LoadConfiguration(session, store, file, *ticks, args.Input)) return kExitFailure;
    const nlohmann::json dump = StoreToJson(session, store, *ticks);
    if (args.Json) {
        std::cout << dump.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return kExitOk;
    }
    for (const std::string& line : LoadedStatusLines(store)) std::cout << line << "\n";
    std::cout << "\n";
    PrintStoreText(std::cout, dump);
    return kExitOk;
}

}  // namespace

void RegisterDumpCommands(CLI::App& app, TCommandBody& body) {
    auto args = std::make_shared<TDumpArgs>();
    auto* dump = app.add_subcommand("dump",
                                    "load a configuration file and print every chosen "
                                    "table, as text or as JSON");
    dump->footer(kExitCodesHelp);
    dump->add_option("file", args->Input, "configuration file (.ats)")->required();
    dump->add_flag("--json", args->Json, "print JSON (UTF-8) instead of text");
    dump->add_option("--tables", args->Tables, TableListHelp());
    dump->callback(
        [&body, args] { body = [args](TCliContext& context) { return RunDump(context, *args); }; });
}

}  // namespace zarnik::cli
