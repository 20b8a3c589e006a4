// zarnik-cli export and import: the office directory (lines, phone books, white and black
// lists) to and from spreadsheet sheets in CSV.

#include <cctype>
#include <filesystem>
#include <iostream>

#include "cli/cli_commands.h"
#include "files/config_flows.h"
#include "flows/directory_sheets.h"
#include "platform/file_system.h"

namespace zarnik::cli {

namespace {

constexpr const char* kSheetHelp =
    "sheet: lines (port, kind, program number, name, group), book (common phone book),\n"
    "groupbooks (group phone books), bwlist (white and black lists)";

struct TExportArgs {
    std::string Input;
    std::string Sheet;
    std::string Output;
    std::string Encoding = "utf8";
    std::string Separator = ";";
};

struct TImportArgs {
    std::string Input;
    std::string Csv;
    std::string Sheet;
    std::string Output;
};

bool EndsWithAts(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".ats";
}

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec);
}

// Loads every table of the file into the context's session and store.
bool LoadInput(TCliContext& context, const std::string& path) {
    TTableTicks all{};
    all.fill(true);
    TFileList file;
    return LoadConfiguration(context.Session(false), context.Store(), file, all, path);
}

int RunExport(TCliContext& context, const TExportArgs& args) {
    const auto sheet = SheetByKey(args.Sheet);
    const auto encoding = CsvEncodingByName(args.Encoding);
    const auto separator = CsvSeparatorByName(args.Separator);
    if (!sheet || !encoding || !separator) {
        std::cerr << "export: неизвестный лист, кодировка или разделитель; см. export --help\n";
        return kExitUsage;
    }
    if (EndsWithAts(args.Output)) {
        std::cerr << "export: лист не записывается в файл конфигурации (.ats): выберите другое "
                     "имя\n";
        return kExitUsage;
    }
    if (!LoadInput(context, args.Input)) return kExitFailure;
    if (const std::string why = SheetUnavailable(context.Session(false), *sheet); !why.empty()) {
        context.Dialogs().Message(
            "Лист " + std::string(SheetInfo(*sheet).Key) + " не выгружен: " + why + ".", "Ошибка");
        return kExitFailure;
    }
    const std::string bytes = ExportSheet(context.Store(), *sheet, {*encoding, *separator});
    std::string why;
    if (!WriteFileAtomically(args.Output, bytes, &why)) {
        context.Dialogs().Message("Не могу записать " + args.Output + ": " + why, "Ошибка");
        return kExitFailure;
    }
    std::cout << "Лист " << SheetInfo(*sheet).Key << " (" << SheetInfo(*sheet).Caption
              << ") записан в " << args.Output << "\n";
    return kExitOk;
}

int RunImport(TCliContext& context, const TImportArgs& args) {
    const auto sheet = SheetByKey(args.Sheet);
    if (!sheet) {
        std::cerr << "import: неизвестный лист \"" << args.Sheet << "\"; см. import --help\n";
        return kExitUsage;
    }
    const bool apply = context.Options().Yes;
    if (apply && args.Output.empty()) {
        std::cerr << "import: с --yes нужен -o: файл, в который записать новую конфигурацию\n";
        return kExitUsage;
    }
    if (!args.Output.empty() && SamePath(args.Output, args.Input)) {
        std::cerr << "import: исходный файл не изменяется: укажите в -o другой файл\n";
        return kExitUsage;
    }
    if (!LoadInput(context, args.Input)) return kExitFailure;
    TMainClass& session = context.Session(false);
    TDataStream& store = context.Store();
    const TDirectoryImport plan = PlanImportFile(session, store, *sheet, args.Csv);
    const std::string text = ImportText(plan);
    if (!plan.Ok()) {
        std::cerr << text;
        return kExitFailure;
    }
    std::cout << text;
    if (!apply) {
        if (plan.Changes.empty()) return kExitOk;
        std::cout << "Изменения не применены: чтобы применить их и записать конфигурацию, "
                     "повторите команду с --yes и -o.\n";
        return kExitOk;
    }
    if (!ApplyImport(session, store, plan, context.Dialogs())) return kExitFailure;
    TFileList output;
    if (!SaveConfiguration(session, store, output, TablesInHand(session), args.Output)) {
        context.Dialogs().Message("Файл " + args.Output + " не записан.", "Ошибка");
        return kExitFailure;
    }
    std::cout << "Изменения применены; конфигурация записана в " << args.Output << "\n";
    return kExitOk;
}

}  // namespace

void RegisterDirectoryCommands(CLI::App& app, TCommandBody& body) {
    auto exportArgs = std::make_shared<TExportArgs>();
    auto* exporter = app.add_subcommand(
        "export", "write one sheet of the office directory of a configuration file as CSV");
    exporter->footer(kExitCodesHelp);
    exporter->add_option("file", exportArgs->Input, "configuration file (.ats)")->required();
    exporter->add_option("--sheet", exportArgs->Sheet, kSheetHelp)
        ->required()
        ->check(CLI::IsMember({"lines", "book", "groupbooks", "bwlist"}));
    exporter->add_option("-o,--output", exportArgs->Output, "CSV file to write")->required();
    exporter
        ->add_option("--encoding", exportArgs->Encoding,
                     "utf8 (with a byte-order mark, the default) or cp1251")
        ->check(CLI::IsMember({"utf8", "cp1251"}));
    exporter
        ->add_option("--separator", exportArgs->Separator,
                     "field separator: ';' (the default), ',' or tab")
        ->check(CLI::IsMember({";", ",", "tab"}));
    exporter->callback([&body, exportArgs] {
        body = [exportArgs](TCliContext& context) { return RunExport(context, *exportArgs); };
    });

    auto importArgs = std::make_shared<TImportArgs>();
    auto* importer = app.add_subcommand(
        "import",
        "check a CSV sheet of the office directory against a configuration file and list what "
        "it changes; with --yes apply it and write the result to -o (the input file is never "
        "changed; names go to the names files under --dir)");
    importer->footer(std::string(kExitCodesHelp) +
                     "\nA file with any bad row is refused whole: each bad row is named by its "
                     "line, nothing is applied, exit code 1.");
    importer->add_option("file", importArgs->Input, "configuration file (.ats)")->required();
    importer
        ->add_option("csv", importArgs->Csv, "CSV sheet (UTF-8 or Windows-1251; ';' ',' or tab)")
        ->required();
    importer->add_option("--sheet", importArgs->Sheet, kSheetHelp)
        ->required()
        ->check(CLI::IsMember({"lines", "book", "groupbooks", "bwlist"}));
    importer->add_option("-o,--output", importArgs->Output,
                         "configuration file to write with the changes (.ats), needed with --yes");
    importer->callback([&body, importArgs] {
        body = [importArgs](TCliContext& context) { return RunImport(context, *importArgs); };
    });
}

}  // namespace zarnik::cli
