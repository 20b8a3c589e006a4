// zarnik-cli diff: what differs between two configuration files, or between a file and the
// station on the port.

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "codecs/table_codec.h"
#include "flows/config_diff.h"

namespace zarnik::cli {

namespace {

// diff exits 1 when the configurations differ, so a file that cannot be compared says so
// with the code of bad arguments, as diff(1) does, never as "different".
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitCannotCompare = kExitUsage;

constexpr const char* kDiffExitHelp =
    "Exit codes of diff:\n"
    "  0  the configurations are equal\n"
    "  1  they differ (or a chosen table of the station could not be read)\n"
    "  2  bad arguments, or a file that cannot be loaded\n"
    "  3  no link with the station (--station)\n"
    "  4  the station's working program is not supported (--station)\n"
    "Differences are printed on stdout, by table in the order of the panels; messages go to\n"
    "stderr.";

struct TDiffArgs {
    std::vector<std::string> Files;
    bool Station = false;
    std::string Tables;
    bool Json = false;
};

std::string PartKey(const TDiffItem& item) {
    switch (item.Part) {
        case EDiffPart::Identity:
            return "identity";
        case EDiffPart::Composition:
            return "composition";
        case EDiffPart::Ports:
            return "ports";
        case EDiffPart::Table:
            break;
    }
    const TTableCodec* codec = FindCodec(item.Table);
    return codec != nullptr ? codec->Key : std::to_string(SelectionIndex(item.Table));
}

nlohmann::json DiffJson(const TConfigDiff& diff, const std::string& left,
                        const std::string& right) {
    nlohmann::json items = nlohmann::json::array();
    for (const TDiffItem& item : diff.Items) {
        nlohmann::json one{{"table", PartKey(item)}, {"section", item.Section},
                           {"record", item.Record},  {"field", item.Field},
                           {"left", item.Left},      {"right", item.Right}};
        if (item.ByteCount > 0) one["bytes"] = item.ByteCount;
        items.push_back(std::move(one));
    }
    nlohmann::json root{{"left", left},
                        {"right", right},
                        {"equal", diff.Equal()},
                        {"differences", std::move(items)}};
    if (!diff.TablesNotCompared.empty()) root["tables_not_compared"] = diff.TablesNotCompared;
    return root;
}

int Report(const TConfigDiff& diff, const TDiffArgs& args, const std::string& left,
           const std::string& right) {
    if (args.Json)
        std::cout << DiffJson(diff, left, right)
                         .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                  << "\n";
    else
        std::cout << DiffText(diff, left, right);
    return diff.Equal() ? kExitOk : kExitDiffers;
}

TDiffTables Both(const TDiffTables& a, const TDiffTables& b) {
    TDiffTables out{};
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = a[i] && b[i];
    return out;
}

int RunFiles(TCliContext& context, const TDiffArgs& args, const TDiffTables& tables) {
    const std::string& base = context.Options().BaseDir;
    const auto left = LoadConfigForDiff(context.Dialogs(), base, args.Files[0]);
    if (!left) return kExitCannotCompare;
    const auto right = LoadConfigForDiff(context.Dialogs(), base, args.Files[1]);
    if (!right) return kExitCannotCompare;
    const TConfigDiff diff =
        CompareConfigurations({*left->Session, *left->Store, left->Held},
                              {*right->Session, *right->Store, right->Held}, tables);
    return Report(diff, args, args.Files[0], args.Files[1]);
}

int RunStation(TCliContext& context, const TDiffArgs& args, const TDiffTables& tables) {
    // The file first: a file that cannot be loaded needs no exchange with the station.
    const auto file =
        LoadConfigForDiff(context.Dialogs(), context.Options().BaseDir, args.Files[0]);
    if (!file) return kExitCannotCompare;
    context.Store().TransferFlags = tables;
    std::vector<ETable> failed;
    if (const int code = ReadStationForCli(context, &failed); code != kExitOk) return code;
    if (const int units = RefuseSeveralUnits(context); units != kExitOk) return units;
    if (!failed.empty()) {
        context.Dialogs().Message(
            "Не считаны таблицы: " + TableNames(failed) + ". Сравнение с файлом не выполнено.",
            "Ошибка");
        return kExitFailure;
    }
    TMainClass& session = context.Session();
    const TDiffTables held = Both(TablesInHand(session), tables);
    const TConfigDiff diff = CompareConfigurations(
        {session, context.Store(), held}, {*file->Session, *file->Store, file->Held}, tables);
    return Report(diff, args, "АТС (" + session.PortName + ")", args.Files[0]);
}

int RunDiff(TCliContext& context, const TDiffArgs& args) {
    const std::size_t wanted = args.Station ? 1 : 2;
    if (args.Files.size() != wanted) {
        std::cerr << (args.Station ? "diff --station: укажите один файл конфигурации.\n"
                                   : "diff: укажите два файла конфигурации или --station и "
                                     "один файл.\n");
        return kExitUsage;
    }
    const auto tables = ParseTableList(args.Tables);
    if (!tables) return kExitUsage;
    return args.Station ? RunStation(context, args, *tables) : RunFiles(context, args, *tables);
}

}  // namespace

void RegisterDiffCommands(CLI::App& app, TCommandBody& body) {
    auto args = std::make_shared<TDiffArgs>();
    auto* diff = app.add_subcommand(
        "diff",
        "compare two configuration files (diff A.ats B.ats), or a file with the station on "
        "the port (diff --station A.ats, reading only the chosen tables)");
    diff->footer(kDiffExitHelp);
    diff->add_option("files", args->Files,
                     "configuration files (.ats): two, or one with --station");
    diff->add_flag("--station", args->Station, "compare the file with the station on the port");
    diff->add_option("--tables", args->Tables, TableListHelp());
    diff->add_flag("--json", args->Json, "print one JSON object per difference (UTF-8)");
    diff->callback(
        [&body, args] { body = [args](TCliContext& context) { return RunDiff(context, *args); }; });
}

}  // namespace zarnik::cli
