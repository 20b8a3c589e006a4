// zarnik-cli commands that make configurations without a station: new and clear.

#include <iostream>
#include <memory>
#include <vector>

#include "cli/cli_commands.h"
#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "flows/clear_settings.h"
#include "flows/offline_constructor.h"
#include "model/broadcaster.h"

namespace zarnik::cli {

namespace {

constexpr const char* kLowestSupportedVersion = "22,9";

struct TNewArgs {
    std::string Model;
    std::string Version;
    std::string Boards;
    bool SecondUnit = false;
    std::string Output;
};

struct TClearArgs {
    std::string Input;
    std::string Tables;
    std::string Output;
};

TTableTicks AllTables() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

// "Kama,Don,,Volga": one entry per slot from slot 0, an empty entry for an empty slot.
std::vector<std::string> SplitBoards(const std::string& list) {
    std::vector<std::string> boards;
    if (list.empty()) return boards;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        boards.push_back(list.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) return boards;
        start = comma + 1;
    }
}

std::string OfferedBoardList(const std::string& model) {
    std::string text;
    for (const TBoardChoice& choice : OfferedBoards(model)) {
        if (*choice.Name == '\0') continue;
        text += text.empty() ? "" : ", ";
        text += choice.Name;
    }
    return text;
}

// The window's choices from the arguments; false (message on stderr) when they do not fit.
// "" when the version can be built, else what is wrong with it: empty, not written as "24.7",
// or older than the program works with.
std::string VersionProblem(const std::string& version) {
    if (version.empty()) return "не указана версия рабочей программы (--version, например 24.7)";
    if (!VersionBytes(version))
        return "версия рабочей программы \"" + version + "\" записывается в виде 24.7";
    // The digits as the identification holds them: three before the comma, one after.
    std::string digits;
    for (char c : version)
        if (c != '.' && c != ',') digits += c;
    if (digits.size() == 3) digits.insert(digits.begin(), '0');
    const std::string text = digits.substr(0, 3) + "," + digits.substr(3);
    if (TBroadcaster::CompareVersions(text, kLowestSupportedVersion) == 0)
        return "версия рабочей программы " + version +
               " не поддерживается: Zarnik_M работает с версиями от 22.9 и выше";
    return "";
}

bool FillDraft(const TNewArgs& args, TConstructorDraft& draft) {
    if (const std::string problem = VersionProblem(args.Version); !problem.empty()) {
        std::cerr << "new: " << problem << "\n";
        return false;
    }
    draft.SetModel(args.Model);
    draft.SetVersion(args.Version);
    const std::vector<std::string> boards = SplitBoards(args.Boards);
    const int slots = ConstructorSlotCount(args.Model);
    if (static_cast<int>(boards.size()) > slots) {
        std::cerr << "new: у АТС " << args.Model << " " << slots << " мест для плат, указано "
                  << boards.size() << "\n";
        return false;
    }
    for (std::size_t slot = 0; slot < boards.size(); ++slot) {
        if (!draft.SetBoard(static_cast<int>(slot), boards[slot])) {
            std::cerr << "new: плата \"" << boards[slot] << "\" не ставится в АТС " << args.Model
                      << " (можно: " << OfferedBoardList(args.Model) << ")\n";
            return false;
        }
    }
    if (args.SecondUnit) {
        if (!draft.SecondUnitEnabled()) {
            std::cerr << "new: второй блок бывает только у АТС Cedar\n";
            return false;
        }
        draft.SetSecondUnit(true);
    }
    return true;
}

int RunNew(TCliContext& context, const TNewArgs& args) {
    TConstructorDraft draft;
    if (!FillDraft(args, draft)) return kExitUsage;
    TMainClass& session = context.Session(false);
    TDataStream& store = context.Store();
    const EConstructResult built = BuildOfflineStation(session, store, draft);
    if (built != EConstructResult::Built) return kExitUsage;
    TFileList file;
    if (!SaveConfiguration(session, store, file, AllTables(), args.Output)) {
        context.Dialogs().Message("Файл " + args.Output + " не записан.", "Ошибка");
        return kExitFailure;
    }
    const TIdentity& id = session.Identity;
    std::cout << "Создана АТС " << id.ModelName << ", версия " << id.Version << ": плат "
              << store.CompositionCount << ", портов " << store.Ports.size() << ", АЛ "
              << id.SubscriberLineCount << ", СЛ " << id.TrunkLineCount << ", СТА " << id.StaCount
              << "; записано в " << args.Output << "\n";
    return kExitOk;
}

std::string KeysOf(const std::vector<ETable>& tables) {
    std::string text;
    for (ETable t : tables) {
        const TTableCodec* codec = FindCodec(t);
        text += text.empty() ? "" : ",";
        text += codec != nullptr ? codec->Key : std::to_string(SelectionIndex(t));
    }
    return text;
}

int RunClear(TCliContext& context, const TClearArgs& args) {
    const auto ticks = ParseTableList(args.Tables);
    if (!ticks) return kExitUsage;
    TMainClass& session = context.Session(false);
    TDataStream& store = context.Store();
    TFileList input;
    if (!LoadConfiguration(session, store, input, AllTables(), args.Input)) return kExitFailure;
    const TClearResult result = ClearSettings(session, store, *ticks);
    if (!result.NoCodec.empty()) {
        context.Dialogs().Message(
            "Не удалось очистить таблицы: " + KeysOf(result.NoCodec) + ". Файл не записан.",
            "Ошибка");
        return kExitFailure;
    }
    TFileList output;
    if (!SaveConfiguration(session, store, output, AllTables(), args.Output)) {
        context.Dialogs().Message("Файл " + args.Output + " не записан.", "Ошибка");
        return kExitFailure;
    }
    std::cout << "Очищено таблиц: " << result.Cleared.size();
    if (!result.Cleared.empty()) std::cout << " (" << KeysOf(result.Cleared) << ")";
    if (!result.Unsupported.empty())
        std::cout << ", пропущены, нет в рабочей программе " << session.Identity.Version << ": "
                  << KeysOf(result.Unsupported);
    std::cout << "; записано в " << args.Output << "\n";
    return kExitOk;
}

}  // namespace

void RegisterBuildCommands(CLI::App& app, TCommandBody& body) {
    auto newArgs = std::make_shared<TNewArgs>();
    auto* create = app.add_subcommand("new",
                                      "build a blank configuration without a station and "
                                      "save it to a configuration file");
    create->footer(kExitCodesHelp);
    create->add_option("--model", newArgs->Model, "station model")
        ->required()
        ->check(CLI::IsMember({"Dogwood", "Cedar", "Birch", "Alder"}));
    create->add_option("--version", newArgs->Version, "working-program version, e.g. 24.7")
        ->required();
    create->add_option("--boards", newArgs->Boards,
                       "boards by slot from slot 0, comma-separated, empty for an empty slot:\n"
                       "  Cedar, Dogwood: Kama, Don, Volga, Neva, Onega\n"
                       "  Alder, Birch: Oka, Ural, Svir, Lena, LenaN");
    create->add_flag("--second-unit", newArgs->SecondUnit, "Cedar: the second unit is fitted");
    create->add_option("-o,--output", newArgs->Output, "configuration file (.ats)")->required();
    create->callback([&body, newArgs] {
        body = [newArgs](TCliContext& context) { return RunNew(context, *newArgs); };
    });

    auto clearArgs = std::make_shared<TClearArgs>();
    auto* clear = app.add_subcommand("clear",
                                     "reset chosen tables of a configuration file to "
                                     "their blank state and save the result");
    clear->footer(kExitCodesHelp);
    clear->add_option("file", clearArgs->Input, "configuration file (.ats)")->required();
    clear->add_option("--tables", clearArgs->Tables, TableListHelp());
    clear->add_option("-o,--output", clearArgs->Output, "configuration file to write (.ats)")
        ->required();
    clear->callback([&body, clearArgs] {
        body = [clearArgs](TCliContext& context) { return RunClear(context, *clearArgs); };
    });
}

}  // namespace zarnik::cli
