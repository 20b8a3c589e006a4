// zarnik-cli report: the configuration report of a configuration file, as a workbook.

#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli_commands.h"
#include "files/config_flows.h"
#include "report/config_report.h"

namespace zarnik::cli {

namespace {

struct TReportArgs {
    std::string Input;
    std::string Output;
    std::string Tables;
};

TTableTicks AllTables() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

// -o names the file itself; without it the report goes to "dat" under its default name.
TReportRequest RequestFor(const TReportArgs& args) {
    TReportRequest request;
    request.OpenInViewer = false;
    if (!args.Output.empty()) {
        request.ChosenPath = args.Output;
        request.Name = std::filesystem::path(args.Output).stem().string();
        if (request.Name.empty()) request.Name = kReportDefaultName;
    }
    return request;
}

int RunReport(TCliContext& context, const TReportArgs& args) {
    const auto tables = ParseTableList(args.Tables);
    if (!tables) return kExitUsage;
    TMainClass& session = context.Session(false);
    TFileList file;
    if (!LoadConfiguration(session, context.Store(), file, AllTables(), args.Input))
        return kExitFailure;
    // An existing workbook is replaced only when the user agrees (--yes); anything else under
    // the name is refused by the report itself.
    const TReportRequest request = RequestFor(args);
    const std::string target = request.ChosenPath.empty()
                                   ? ReportFilePath(context.Options().BaseDir, request.Name)
                                   : request.ChosenPath;
    if (ReportNameProblem(request.Name).empty() || !request.ChosenPath.empty()) {
        if (IsWorkbookFile(target) &&
            context.Dialogs().Question("Отчет " + target + " уже существует, заменить его?",
                                       "Предупреждение") != TAnswer::Ok) {
            context.Dialogs().Message("Отчет не сформирован.", "Ошибка");
            return kExitFailure;
        }
    }
    TTerminalProgress progress(context);
    std::string path;
    const EReportResult result =
        MakeConfigurationReport(session, context.Store(), ReportTicksForTables(*tables), request,
                                progress, context.Dialogs(), &path);
    context.Terminal().EndLine();
    if (result == EReportResult::Refused)
        return std::filesystem::exists(target) ? kExitFailure : kExitUsage;
    if (result == EReportResult::Failed) {
        context.Dialogs().Message("Отчет не сформирован.", "Ошибка");
        return kExitFailure;
    }
    std::cout << "Отчет записан в " << path << "\n";
    return kExitOk;
}

}  // namespace

void RegisterReportCommands(CLI::App& app, TCommandBody& body) {
    auto args = std::make_shared<TReportArgs>();
    auto* report = app.add_subcommand(
        "report", "write the configuration report of a configuration file as a workbook (.xlsx)");
    report->footer(kExitCodesHelp);
    report->add_option("file", args->Input, "configuration file (.ats)")->required();
    report->add_option("-o,--output", args->Output,
                       "workbook to write, any path (default: report.xlsx in the dat\n"
                       "directory); an existing workbook is replaced only with --yes, any\n"
                       "other existing file never");
    report->add_option("--tables", args->Tables,
                       TableListHelp() +
                           "\n(the list of lines and the composition are always "
                           "reported)");
    report->callback([&body, args] {
        body = [args](TCliContext& context) { return RunReport(context, *args); };
    });
}

}  // namespace zarnik::cli
