// zarnik-cli commands that talk to the station: info and clock, and the read shared with read.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "cli/cli_commands.h"
#include "cli/store_json.h"
#include "files/config_flows.h"
#include "flows/auto_backup.h"
#include "flows/read_write_all.h"
#include "flows/station_journal.h"
#include "flows/verified_write.h"
#include "link/station_clock.h"

namespace zarnik::cli {

namespace {

struct TInfoArgs {
    std::string Tables;
    CLI::Option* TablesOption = nullptr;
};

// The station's calendar counts every year divisible by 4 as a leap year.
int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && year % 4 == 0 ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Days since 1980-01-01 on the station's calendar.
long DayNumber(const TStationDateTime& t) {
    long days = 0;
    for (int y = 1980; y < t.Year; ++y) days += y % 4 == 0 ? 366 : 365;
    for (int m = 1; m < t.Month; ++m) days += DaysInMonth(t.Year, m);
    return days + t.Day - 1;
}

// Reads exactly `width` decimal digits at `at`: no sign, no blank, nothing else.
bool Digits(const std::string& text, std::size_t at, std::size_t width, int& value) {
    if (at + width > text.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// "YYYY-MM-DD HH:MM:SS" of a date the station's clock can hold (its day number has 16 bits):
// "" when it is one, else what is wrong, naming the field.
std::string DateTimeProblem(const std::string& text, TStationDateTime& t) {
    static constexpr const char* kShape = "ГГГГ-ММ-ДД ЧЧ:ММ:СС";
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
        return std::string("дата и время должны иметь вид ") + kShape;
    struct TField {
        std::size_t At, Width;
        int* Value;
        const char* Name;
    };
    const TField fields[] = {{0, 4, &t.Year, "год"},       {5, 2, &t.Month, "месяц"},
                             {8, 2, &t.Day, "день"},       {11, 2, &t.Hour, "час"},
                             {14, 2, &t.Minute, "минута"}, {17, 2, &t.Second, "секунда"}};
    for (const TField& f : fields)
        if (!Digits(text, f.At, f.Width, *f.Value))
            return std::string("поле \"") + f.Name + "\": только цифры (вид " + kShape + ")";
    if (t.Year < 1980 || t.Year > 2159) return "год: от 1980 до 2159";
    if (t.Month < 1 || t.Month > 12) return "месяц: от 01 до 12";
    if (t.Day < 1 || t.Day > DaysInMonth(t.Year, t.Month))
        return "день: в этом месяце от 01 до " + std::to_string(DaysInMonth(t.Year, t.Month));
    if (t.Hour > 23) return "час: от 00 до 23";
    if (t.Minute > 59) return "минута: от 00 до 59";
    if (t.Second > 59) return "секунда: от 00 до 59";
    if (DayNumber(t) > 0xFFFF) return "дата позже 2159-06-05, ее не хранят часы АТС";
    return "";
}

// The chosen tables as they were read, in selection order; a chosen table the station does not
// have (the read-all sequence skips it) is named as such rather than shown empty.
void PrintReadTables(std::ostream& out, const TMainClass& session, const TDataStream& store,
                     const TTableTicks& chosen) {
    for (const TTableCodec* codec : RegisteredCodecs()) {
        if (!chosen[static_cast<std::size_t>(SelectionIndex(codec->Table))]) continue;
        if (!ReadAllCovers(session, codec->Table)) {
            PrintTableText(out, *codec, nullptr);
            continue;
        }
        const nlohmann::json table = store_json::TableJson(codec->Table, session, store);
        PrintTableText(out, *codec, &table);
    }
}

bool AnyTicked(const TTableTicks& ticks) {
    return std::find(ticks.begin(), ticks.end(), true) != ticks.end();
}

int RunInfo(TCliContext& context, const TInfoArgs& args) {
    TTableTicks ticks{};
    if (args.TablesOption != nullptr && args.TablesOption->count() > 0) {
        const auto parsed = ParseTableList(args.Tables);
        if (!parsed) return kExitUsage;
        ticks = *parsed;
    }
    context.Store().TransferFlags = ticks;
    std::vector<ETable> failed;
    const int code = ReadStationForCli(context, &failed, true);
    if (code != kExitOk) return code;
    TMainClass& session = context.Session();
    TDataStream& store = context.Store();
    PrintStation(std::cout, session, store);
    if (!AnyTicked(ticks)) return kExitOk;
    if (const int units = RefuseSeveralUnits(context); units != kExitOk) return units;
    PrintReadTables(std::cout, session, store, ticks);
    if (!failed.empty()) {
        context.Dialogs().Message("Не считаны таблицы: " + TableNames(failed) + ".", "Ошибка");
        return kExitFailure;
    }
    return kExitOk;
}

int RunClock(TCliContext& context, bool now, const std::string& when) {
    TStationDateTime t;
    if (now) {
        t = LocalDateTime(std::chrono::system_clock::now());
    } else if (when.empty()) {
        std::cerr << "clock: укажите --set-now или --set \"ГГГГ-ММ-ДД ЧЧ:ММ:СС\" (дата от "
                     "1980-01-01 до 2159-06-05)\n";
        return kExitUsage;
    } else if (const std::string problem = DateTimeProblem(when, t); !problem.empty()) {
        std::cerr << "clock: неверная дата \"" << when << "\": " << problem
                  << " (дата от 1980-01-01 до 2159-06-05)\n";
        return kExitUsage;
    }
    if (const int link = CheckStationLink(context); link != kExitOk) return link;
    if (!SetStationClockRecorded(context.Session(), t)) {
        context.Dialogs().Message("Нет связи со станцией.", "Ошибка");
        return kExitNoLink;
    }
    std::printf("Время в АТС установлено: %04d-%02d-%02d %02d:%02d:%02d\n", t.Year, t.Month, t.Day,
                t.Hour, t.Minute, t.Second);
    return kExitOk;
}

}  // namespace

int CheckStationLink(TCliContext& context) {
    TMainClass& session = context.Session();
    if (session.Port.IsOpen()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (session.CheckLink() > 0) return kExitOk;
    }
    context.Dialogs().Message(session.PortName + " : нет связи с АТС.", "");
    return kExitNoLink;
}

// "на 3 ч 12 мин 5 с": a clock difference as a technician reads it.
std::string Duration(double seconds) {
    long s = std::lround(std::fabs(seconds));
    const long days = s / 86400;
    s %= 86400;
    std::string text;
    if (days > 0) text += std::to_string(days) + " дн ";
    if (days > 0 || s >= 3600) text += std::to_string(s / 3600) + " ч ";
    text += std::to_string(s % 3600 / 60) + " мин " + std::to_string(s % 60) + " с";
    return text;
}

// The command line never sets the clock unasked, --yes or not: it says how far off it is and
// which command sets it.
void TellClockDifference(TCliContext& context, double seconds) {
    context.Dialogs().Message(
        "Время в АТС заметно отличается от времени в Вашем компьютере: АТС " +
            std::string(seconds > 0 ? "спешит" : "отстает") + " на " + Duration(seconds) +
            ". Установить время АТС по компьютеру: zarnik-cli clock --set-now",
        "Предупреждение");
}

int ReadStationForCli(TCliContext& context, std::vector<ETable>* failed, bool backup) {
    if (const int link = CheckStationLink(context); link != kExitOk) return link;
    TMainClass& session = context.Session();
    session.ClockDiffers = [&context](TMainClass&, double seconds) {
        TellClockDifference(context, seconds);
    };
    TTerminalProgress progress(context);
    std::vector<ETable> own;
    std::vector<ETable>& notRead = failed != nullptr ? *failed : own;
    const int result = ReadAll(session, progress, context.Store(), &notRead);
    context.Terminal().EndLine();
    if (result == -1) {
        context.Dialogs().Message("Нет связи со станцией.", "");
        return kExitNoLink;
    }
    if (result == -2) {
        context.Dialogs().Message("Zarnik_M работает с версиями рабочей программы от 22.9 и выше.",
                                  "");
        return kExitUnsupported;
    }
    if (result < 0) {
        context.Dialogs().Message("Неизвестная ошибка при чтении АТС.", "");
        return kExitFailure;
    }
    TBackupRecord record;
    const TBackupOutcome saved =
        FinishStationRead(session, context.Store(), record, notRead, backup);
    if (saved.Kind == TBackupOutcome::EKind::Saved)
        std::cerr << "Резервная копия конфигурации АТС: " << saved.Path << "\n";
    if (saved.Kind == TBackupOutcome::EKind::Failed)
        context.Dialogs().Message(
            "Резервная копия конфигурации АТС не сохранена: " + saved.Why + ".",
            "Предупреждение");
    return kExitOk;
}

int WriteStationForCli(TCliContext& context, TProgress& progress, const TCliSafety& safety,
                       std::vector<ETable>* failed, std::vector<ETable>* written,
                       bool& verifiedBad) {
    TMainClass& session = context.Session();
    TBackupRecord record;  // one command, one program run: nothing was backed up before it
    TSafeWriteOutcome outcome;
    const int result = WriteAllSafely(session, progress, context.Store(),
                                      {safety.Backup, safety.Verify, &record}, outcome, failed,
                                      written);
    context.Terminal().EndLine();
    if (outcome.Backup.Kind == TBackupOutcome::EKind::Saved)
        std::cerr << "Резервная копия таблиц АТС перед записью: " << outcome.Backup.Path << "\n";
    if (result == kWriteNoBackup) {
        context.Dialogs().Message("В АТС ничего не записано.", "Ошибка");
        return result;
    }
    if (const std::string text = VerifyReportText(outcome.Verify); !text.empty()) {
        context.Dialogs().Message(text, "Ошибка");
        verifiedBad = true;
    } else if (outcome.Verify.Ran) {
        std::cout << "Проверено чтением из АТС: записанные таблицы совпадают с отправленными.\n";
    }
    return result;
}

int RefuseSeveralUnits(TCliContext& context) {
    const int units = context.Session().Identity.UnitCount;
    if (units == 1) return kExitOk;
    context.Dialogs().Message(
        "АТС состоит из " + std::to_string(units) + " блоков: таблицы такой АТС не считываются.",
        "Ошибка");
    return kExitFailure;
}

void RegisterStationCommands(CLI::App& app, TCommandBody& body) {
    auto args = std::make_shared<TInfoArgs>();
    auto* info = app.add_subcommand("info",
                                    "identify the station and show its status, clock, "
                                    "composition and ports; with --tables also read and "
                                    "print the chosen tables");
    info->footer(kExitCodesHelp);
    args->TablesOption = info->add_option("--tables", args->Tables,
                                          TableListHelp("comma-separated tables to read and print; "
                                                        "--tables alone: all sixteen:"))
                             ->expected(0, 1);
    info->callback(
        [&body, args] { body = [args](TCliContext& context) { return RunInfo(context, *args); }; });

    auto* clock = app.add_subcommand("clock", "set the station clock");
    clock->footer(kExitCodesHelp);
    auto now = std::make_shared<bool>(false);
    auto when = std::make_shared<std::string>();
    auto* setNow = clock->add_flag("--set-now", *now, "set it to the computer's clock");
    auto* setAt = clock->add_option("--set", *when, "set it to \"YYYY-MM-DD HH:MM:SS\"");
    setNow->excludes(setAt);
    clock->callback([&body, now, when] {
        body = [now, when](TCliContext& context) { return RunClock(context, *now, *when); };
    });
}

}  // namespace zarnik::cli
