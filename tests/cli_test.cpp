// zarnik-cli as a technician runs it: the real binary against the real simulator.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ats_compare.h"
#include "support/file_test_helpers.h"
#include "support/sim_process.h"

#include "support/tool_paths.h"

namespace zarnik {
namespace {

const std::vector<std::string> kTableKeys{
    "time",  "system", "book",  "redirect",   "progn", "flash",   "routing", "trunks",
    "lines", "groups", "doors", "groupbooks", "ggs",   "buttons", "conf",    "bwlist"};

struct TRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

std::string Quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs zarnik-cli with the working directory `dir` (the --dir of the program) and the port.
TRun Cli(const test::TScratchDir& dir, const std::string& port,
         const std::vector<std::string>& args) {
    std::string command = std::string(ZARNIK_CLI_PATH) + " --dir " + Quoted(dir.Path);
    if (!port.empty()) command += " --port " + Quoted(port);
    for (const std::string& a : args) command += " " + Quoted(a);
    command += " >" + Quoted(dir / "out.txt") + " 2>" + Quoted(dir / "err.txt");
    const int status = std::system(command.c_str());
    TRun run;
    run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = test::ReadBytes(dir / "out.txt");
    run.Err = test::ReadBytes(dir / "err.txt");
    return run;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A message as the terminal shows it: caption, colon, text.
bool HasMessage(const std::string& err, const std::string& caption, const std::string& text) {
    return Has(err, caption + ": " + text + "\n");
}

bool IsCyrillicUtf8(const std::string& text) {
    // Lead bytes 0xD0 and 0xD1 carry the Russian letters.
    return text.find('\xD0') != std::string::npos || text.find('\xD1') != std::string::npos;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
    }
    test::TScratchDir Dir;
};

TEST_F(CliTest, HelpOfEveryCommandGivesItsTableKeysAndTheExitCodes) {
    for (const char* command : {"info", "read", "write", "dump", "clear", "report"}) {
        const TRun run = Cli(Dir, "", {command, "--help"});
        EXPECT_EQ(run.Code, 0) << command;
        for (const std::string& key : kTableKeys)
            EXPECT_TRUE(Has(run.Out, "  " + key + " - ")) << command << " lacks " << key;
        for (const char* code : {"  0  done", "  1  the operation failed", "  2  bad arguments",
                                 "  3  no link", "  4  the station's working program"})
            EXPECT_TRUE(Has(run.Out, code)) << command << " lacks " << code;
    }
    for (const char* command : {"clock", "new"}) {
        const TRun run = Cli(Dir, "", {command, "--help"});
        EXPECT_EQ(run.Code, 0) << command;
        EXPECT_TRUE(Has(run.Out, "  3  no link")) << command;
    }
    const TRun top = Cli(Dir, "", {"--help"});
    EXPECT_EQ(top.Code, 0);
    EXPECT_TRUE(Has(top.Out, "Exit codes:"));
}

TEST_F(CliTest, BadArgumentsEndWithTwoBeforeAnyPortIsTouched) {
    const std::string nowhere = Dir / "no-such-port";
    // A missing command, an unknown one, a missing file name, an unknown option.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"fetch"}, {"read"}, {"write"}, {"info", "--colour"}}) {
        const TRun run = Cli(Dir, nowhere, args);
        EXPECT_EQ(run.Code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_TRUE(Has(run.Err, "Ошибка в аргументах командной строки")) << run.Err;
    }
    // Unknown table keys, anywhere in the list, are named; nothing is written.
    for (const char* list : {"lines,nosuch", "nosuch", "lines,", "Lines"}) {
        const TRun run = Cli(Dir, nowhere, {"read", "-o", Dir / "x.ats", "--tables", list});
        EXPECT_EQ(run.Code, 2) << list;
        EXPECT_TRUE(Has(run.Err, "неизвестная таблица")) << run.Err;
        EXPECT_TRUE(Has(run.Err, "lines, trunks, groups") || Has(run.Err, "time, system"))
            << "the known keys are listed: " << run.Err;
        EXPECT_TRUE(run.Out.empty());
    }
    EXPECT_EQ(Cli(Dir, nowhere, {"info", "--tables", "bogus"}).Code, 2);
    EXPECT_EQ(Cli(Dir, nowhere, {"write", Dir / "x.ats", "--tables", "bogus"}).Code, 2);
    EXPECT_FALSE(std::filesystem::exists(Dir / "x.ats"));
    // Dates the station's clock cannot hold.
    for (const char* when : {"2023-02-29 10:00:00", "2024-04-31 10:00:00", "2023-01-01 24:00:00",
                             "1979-12-31 23:59:59", "2159-12-31 00:00:00", "2023-01-01 10:00",
                             "2023-01-01 10:00:00x"}) {
        const TRun run = Cli(Dir, nowhere, {"clock", "--set", when});
        EXPECT_EQ(run.Code, 2) << when;
        EXPECT_TRUE(IsCyrillicUtf8(run.Err)) << run.Err;
    }
    EXPECT_EQ(Cli(Dir, nowhere, {"clock"}).Code, 2);
}

TEST_F(CliTest, NoStationEndsWithThreeAndARussianMessage) {
    const std::string nowhere = Dir / "no-such-port";
    const std::string file = Dir / "never.ats";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"info"},
                                               {"info", "--tables"},
                                               {"read", "-o", file},
                                               {"write", file},
                                               {"clock", "--set-now"},
                                               {"clock", "--set", "2024-02-29 12:00:00"}}) {
        const TRun run = Cli(Dir, nowhere, args);
        EXPECT_EQ(run.Code, 3) << args[0];
        EXPECT_TRUE(HasMessage(run.Err, "Zarnik", nowhere + " : нет связи с АТС.")) << run.Err;
        EXPECT_TRUE(run.Out.empty()) << run.Out;
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

// One simulated station for the tests that only read it or write back what they read.
class CliStationTest : public CliTest {
  protected:
    static void SetUpTestSuite() {
        Sim = std::make_unique<test::TSimProcess>(
            std::vector<std::string>{"--model", "Cedar", "--serial", "4321", "--key", "0x5A"});
    }
    static void TearDownTestSuite() { Sim.reset(); }
    static std::string Port() { return Sim->LinkPath(); }
    static std::unique_ptr<test::TSimProcess> Sim;
};

std::unique_ptr<test::TSimProcess> CliStationTest::Sim;

TEST_F(CliStationTest, InfoShowsTheStationAndWithTablesReadsThem) {
    TRun run = Cli(Dir, Port(), {"clock", "--set", "2024-02-29 12:00:05"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Время в АТС установлено: 2024-02-29 12:00:05\n");

    run = Cli(Dir, Port(), {"info"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    // Six-second ticks: the seconds are cut to a tick; the station's clock has run on since.
    EXPECT_TRUE(Has(run.Out, "Время в АТС: 2024-02-29 12:0")) << run.Out;
    EXPECT_TRUE(Has(run.Err, "Время в АТС заметно отличается")) << run.Err;
    for (const char* line :
         {"Название АТС : ", "Версия рабочей программы: ", "Заводской номер : 4321\n",
          "Буфер тарификации соединений. Заполнено ", "Время в АТС: ", "\nCостав АТС\n", "Порты ("})
        EXPECT_TRUE(Has(run.Out, line)) << line << "\n" << run.Out;
    // Columns line up by characters, not bytes.
    EXPECT_TRUE(Has(run.Out, "№   Тип платы  Зав. номер  Версия ПО  Дата прошивки\n")) << run.Out;
    EXPECT_TRUE(Has(run.Out, "\n1   Kama       ")) << "the composition rows: " << run.Out;
    EXPECT_TRUE(Has(run.Out, "201 AL  ")) << "the port list: " << run.Out;
    EXPECT_FALSE(Has(run.Out, "[lines]")) << "info alone reads no table";

    // Only the chosen tables are read and printed.
    run = Cli(Dir, Port(), {"info", "--tables", "progn,lines"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Out, "Заводской номер : 4321\n"));
    EXPECT_TRUE(Has(run.Out, "\n[progn] Программные номера\n"));
    EXPECT_TRUE(Has(run.Out, "\n[lines] Установки АЛ\n"));
    EXPECT_FALSE(Has(run.Out, "[trunks]"));
    EXPECT_TRUE(Has(run.Out, "Port=201")) << run.Out;

    // --tables alone reads all sixteen.
    run = Cli(Dir, Port(), {"info", "--tables"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    for (const std::string& key : kTableKeys) EXPECT_TRUE(Has(run.Out, "\n[" + key + "] ")) << key;
    EXPECT_FALSE(Has(run.Out, "(нет в этой АТС)")) << "a Cedar of 24,8 has every table";

    run = Cli(Dir, Port(), {"clock", "--set-now"});
    EXPECT_EQ(run.Code, 0) << run.Err;
}

TEST_F(CliStationTest, ReadAsksBeforeOverwritingAndWriteSendsTheFileBack) {
    const std::string file = Dir / "station.ats";
    TRun run = Cli(Dir, Port(), {"read", "-o", file});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Out, "Модель: Cedar"));
    EXPECT_TRUE(Has(run.Out, "Записано в " + file));
    const std::string first = test::ReadBytes(file);
    ASSERT_GT(first.size(), 200u);

    // Without --yes the question is answered Cancel, and nothing changes.
    run = Cli(Dir, Port(), {"read", "-o", file, "--tables", "lines"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(Has(run.Err, "Предупреждение: Файл уже существует, перезаписать его? [Отмена]\n"))
        << run.Err;
    EXPECT_TRUE(HasMessage(run.Err, "Ошибка", "Файл " + file + " не записан.")) << run.Err;
    EXPECT_EQ(test::ReadBytes(file), first);
    EXPECT_FALSE(std::filesystem::exists(Dir / "ats.bak"));

    run = Cli(Dir, Port(), {"--yes", "read", "-o", file, "--tables", "lines"});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Err, "перезаписать его? [OK]"));
    EXPECT_EQ(test::ReadBytes(Dir / "ats.bak"), first);
    EXPECT_LT(test::ReadBytes(file).size(), first.size());

    // The full file goes back; the station takes every table.
    run = Cli(Dir, Port(), {"write", Dir / "ats.bak"});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Out, "Записано в АТС: "));
    EXPECT_FALSE(Has(run.Err, "Ошибка")) << run.Err;

    // A file that cannot be loaded writes nothing.
    run = Cli(Dir, Port(), {"write", Dir / "missing.ats"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(HasMessage(run.Err, "Ошибка", "Не смогли открыть файл.")) << run.Err;
    EXPECT_FALSE(Has(run.Out, "Записано"));
}

TEST_F(CliTest, ATableTheStationRefusesIsNamedAndFailsTheWrite) {
    const std::string file = Dir / "cedar.ats";
    ASSERT_EQ(Cli(Dir, "",
                  {"new", "--model", "Cedar", "--version", "24.8", "--boards", "Kama", "-o", file})
                  .Code,
              0);
    test::TSimProcess sim({"--model", "Cedar", "--refuse-acks", "5"});
    TRun run = Cli(Dir, sim.LinkPath(), {"write", file, "--tables", "time"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(
        HasMessage(run.Err, "Ошибка", "Не могу записать временные установки, нет связи с АТС."))
        << run.Err;
    EXPECT_TRUE(
        HasMessage(run.Err, "Ошибка", "АТС не приняла таблицы: Временные установки (time)."))
        << run.Err;
    EXPECT_FALSE(Has(run.Out, "Записано"));
    // The refusals are used up: the same write now goes through.
    run = Cli(Dir, sim.LinkPath(), {"write", file, "--tables", "time"});
    EXPECT_EQ(run.Code, 0) << run.Err;
}

TEST_F(CliTest, ATableThatIsNotReadIsNamedAndNoFileIsWritten) {
    // Every answer to the time settings' request (0x09) carries a wrong checksum.
    test::TSimProcess sim({"--model", "Cedar", "--corrupt-for", "09"});
    const std::string file = Dir / "partial.ats";
    TRun run = Cli(Dir, sim.LinkPath(), {"read", "-o", file, "--tables", "time,system"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(HasMessage(run.Err, "Ошибка",
                           "Не могу прочитать таблицу временных установок. Выход по time-out"))
        << run.Err;
    EXPECT_TRUE(HasMessage(run.Err, "Ошибка",
                           "Не считаны таблицы: Временные установки (time). Файл не записан."))
        << run.Err;
    EXPECT_FALSE(std::filesystem::exists(file));
    // info prints what did come, and fails as well.
    run = Cli(Dir, sim.LinkPath(), {"info", "--tables", "time,system"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(Has(run.Out, "\n[system] ")) << run.Out;
    EXPECT_TRUE(HasMessage(run.Err, "Ошибка", "Не считаны таблицы: Временные установки (time)."))
        << run.Err;
}

TEST_F(CliTest, AStationOfTwoUnitsIsShownButNotRead) {
    test::TSimProcess sim({"--model", "Cedar", "--units", "2"});
    EXPECT_EQ(Cli(Dir, sim.LinkPath(), {"info"}).Code, 0);
    const TRun run = Cli(Dir, sim.LinkPath(), {"read", "-o", Dir / "two.ats"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(
        HasMessage(run.Err, "Ошибка", "АТС состоит из 2 блоков: таблицы такой АТС не считываются."))
        << run.Err;
    EXPECT_FALSE(std::filesystem::exists(Dir / "two.ats"));
}

TEST_F(CliTest, AnUnsupportedWorkingProgramEndsWithFour) {
    test::TSimProcess sim({"--model", "Cedar", "--version", "23,1"});
    TRun run = Cli(Dir, sim.LinkPath(), {"read", "-o", Dir / "old.ats"});
    EXPECT_EQ(run.Code, 4);
    EXPECT_TRUE(HasMessage(run.Err, "Zarnik",
                           "Zarnik_M работает с версиями рабочей программы от 22.9 и выше."))
        << run.Err;
    EXPECT_FALSE(std::filesystem::exists(Dir / "old.ats"));
    // Nothing is written to it either: the file is not even opened.
    run = Cli(Dir, sim.LinkPath(), {"write", Dir / "missing.ats"});
    EXPECT_EQ(run.Code, 4);
    EXPECT_FALSE(Has(run.Err, "Не смогли открыть файл."));
}

// ---------------------------------------------------------------- faults and bad input

// Seconds since 1980-01-01 of the station clock held in a configuration file's identification.
long FileClockSeconds(const std::string& file) {
    const std::string b = test::ReadBytes(file);
    if (b.size() < 21) return -1;
    const auto at = [&b](std::size_t i) {
        return static_cast<long>(static_cast<unsigned char>(b[i]));
    };
    const long unit = at(14) == 0 ? 6 : at(14);
    return (at(1) | at(2) << 8) * 86400L + (at(3) | at(4) << 8) * unit;
}

long StationSeconds(int year, int month, int day, int hour, int minute, int second) {
    long days = 0;
    for (int y = 1980; y < year; ++y) days += y % 4 == 0 ? 366 : 365;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m < month; ++m) days += m == 2 && year % 4 == 0 ? 29 : kDays[m - 1];
    return (days + day - 1) * 86400L + hour * 3600L + minute * 60L + second;
}

// A noisy line loses bytes of the identification, which carries no checksum: the program must
// never set the clock with a key taken from a damaged block and call it done.
TEST_F(CliTest, ANoisyLineNeverSetsAWrongClockAndCallsItDone) {
    for (const char* seed : {"7", "12"}) {
        SCOPED_TRACE(seed);
        const std::string state = Dir / (std::string("clock-") + seed + ".ats");
        test::TSimProcess sim(
            {"--model", "Dogwood", "--drop", "0.05", "--seed", seed, "--save-on-exit", state});
        const TRun run = Cli(Dir, sim.LinkPath(), {"clock", "--set", "2031-05-17 10:20:30"});
        sim.Stop();
        if (run.Code != 0) {
            EXPECT_FALSE(Has(run.Out, "установлено")) << run.Out;
            EXPECT_TRUE(IsCyrillicUtf8(run.Err)) << run.Err;
            continue;
        }
        EXPECT_TRUE(Has(run.Out, "Время в АТС установлено: 2031-05-17 10:20:30")) << run.Out;
        // The station's clock has run on for the moments since: a tick below, a little above.
        const long held = FileClockSeconds(state) - StationSeconds(2031, 5, 17, 10, 20, 30);
        EXPECT_GE(held, -6);
        EXPECT_LE(held, 15);
    }
}

// A read over a line that loses one byte in a hundred either saves what the station holds or
// says it failed; it never saves another serial number or an empty table as a success.
TEST_F(CliTest, ANoisyReadSavesTheStationOrNothing) {
    test::TSimProcess clean({"--model", "Alder"});
    const std::string reference = Dir / "reference.ats";
    ASSERT_EQ(
        Cli(Dir, clean.LinkPath(), {"read", "-o", reference, "--tables", "system,lines"}).Code, 0);
    for (const char* seed : {"3", "5"}) {
        SCOPED_TRACE(seed);
        test::TSimProcess noisy({"--model", "Alder", "--drop", "0.01", "--seed", seed});
        const std::string file = Dir / (std::string("noisy-") + seed + ".ats");
        const TRun run =
            Cli(Dir, noisy.LinkPath(), {"read", "-o", file, "--tables", "system,lines"});
        if (run.Code != 0) {
            EXPECT_FALSE(std::filesystem::exists(file));
            EXPECT_TRUE(IsCyrillicUtf8(run.Err)) << run.Err;
            continue;
        }
        test::ExpectSameBytes(test::WithoutClock(test::ReadBytes(reference)),
                              test::WithoutClock(test::ReadBytes(file)), "noisy read");
    }
}

// A file that lacks tables never empties them in the station: without --tables a write sends
// what the file holds, and a header without tables sends nothing.
TEST_F(CliTest, AFileWithoutATableNeverEmptiesItInTheStation) {
    test::TSimProcess sim({"--model", "Cedar"});
    const std::string full = Dir / "full.ats";
    const std::string part = Dir / "part.ats";
    ASSERT_EQ(Cli(Dir, sim.LinkPath(), {"read", "-o", full}).Code, 0);
    ASSERT_EQ(Cli(Dir, sim.LinkPath(), {"read", "-o", part, "--tables", "lines"}).Code, 0);

    TRun run = Cli(Dir, sim.LinkPath(), {"write", part});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_FALSE(Has(run.Err, "нет таблиц")) << run.Err;
    const std::string after = Dir / "after.ats";
    ASSERT_EQ(Cli(Dir, sim.LinkPath(), {"read", "-o", after}).Code, 0);
    test::ExpectSameBytes(test::WithoutClock(test::ReadBytes(full)),
                          test::WithoutClock(test::ReadBytes(after)), "station after the write");

    const std::string header = Dir / "header.ats";
    test::WriteBytes(header, test::ReadBytes(part).substr(0, 200));
    run = Cli(Dir, sim.LinkPath(), {"write", header});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(Has(run.Err, "нет ни одной из выбранных таблиц")) << run.Err;
    EXPECT_FALSE(Has(run.Out, "Записано"));

    // Chosen by name, a table the file lacks goes out blank, and the user is told so.
    run = Cli(Dir, sim.LinkPath(), {"write", part, "--tables", "lines,doors"});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Err, "нет таблиц: «Таблицы домофонов»")) << run.Err;
}

// The cable comes out in the middle of a write: the technician is told which tables reached
// the station and which did not, not only the port's error code.
TEST_F(CliTest, AWriteCutOffByThePortNamesWhatReachedTheStation) {
    const std::string file = Dir / "cedar.ats";
    {
        test::TSimProcess source({"--model", "Cedar"});
        ASSERT_EQ(Cli(Dir, source.LinkPath(), {"read", "-o", file}).Code, 0);
    }
    test::TSimProcess sim({"--model", "Cedar", "--wire-rate"});
    TRun run;
    std::filesystem::remove(Dir / "err.txt");
    std::thread writer([&] { run = Cli(Dir, sim.LinkPath(), {"write", file}); });
    // One dot per table: sixteen for the identifying read, then one as each table of the write
    // starts. The cable comes out as the tenth table of the write begins.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string err = test::ReadBytes(Dir / "err.txt");
        if (std::count(err.begin(), err.end(), '.') >= 16 + 10) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    sim.Stop();
    writer.join();
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(Has(run.Err, "Запись в АТС прервана ошибкой COM-порта. Записаны в АТС: "))
        << run.Err;
    EXPECT_TRUE(Has(run.Err, "Теперь в АТС часть таблиц новые, часть прежние.")) << run.Err;
    EXPECT_TRUE(Has(run.Err, "Ошибка COM-порта (код ")) << run.Err;
    EXPECT_FALSE(Has(run.Out, "Записано"));
}

// A composition list whose length never comes cannot be read as an empty station.
TEST_F(CliTest, ACompositionThatDoesNotComeSavesNothing) {
    test::TSimProcess sim({"--model", "Cedar", "--silent-for", "40.09"});
    const TRun run = Cli(Dir, sim.LinkPath(), {"read", "-o", Dir / "hw.ats"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(HasMessage(run.Err, "Ошибка",
                           "Таблица апп. конфигурации АТС имеет подозрительно большую длину!"))
        << run.Err;
    EXPECT_TRUE(Has(run.Err, "Не могу прочитать таблицу состава АТС")) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(Dir / "hw.ats"));
}

// A report replaces only a workbook, and only when the user agrees.
TEST_F(CliTest, AReportNeverReplacesAConfigurationAndAsksBeforeAWorkbook) {
    const std::string file = Dir / "same.ats";
    ASSERT_EQ(Cli(Dir, "",
                  {"new", "--model", "Cedar", "--version", "24.8", "--boards", "Kama", "-o", file})
                  .Code,
              0);
    const std::string before = test::ReadBytes(file);
    TRun run = Cli(Dir, "", {"report", file, "-o", file});
    EXPECT_NE(run.Code, 0);
    EXPECT_TRUE(Has(run.Err, "не является отчетом")) << run.Err;
    EXPECT_EQ(test::ReadBytes(file), before);

    const std::string book = Dir / "book.xlsx";
    ASSERT_EQ(Cli(Dir, "", {"report", file, "-o", book}).Code, 0);
    const std::string first = test::ReadBytes(book);
    run = Cli(Dir, "", {"report", file, "-o", book});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(Has(run.Err, "уже существует, заменить его? [Отмена]")) << run.Err;
    EXPECT_EQ(test::ReadBytes(book), first);
    EXPECT_EQ(Cli(Dir, "", {"report", file, "-o", book, "--yes"}).Code, 0);
}

// An output that cannot be created is found before the station is read: with no station at
// all the answer is about the file, not the link.
TEST_F(CliTest, AnOutputThatCannotBeCreatedIsRefusedBeforeReading) {
    const std::string nowhere = Dir / "no-such-port";
    for (const std::string& output : {Dir / "missing/x.ats", Dir.Path}) {
        const TRun run = Cli(Dir, nowhere, {"read", "-o", output});
        EXPECT_EQ(run.Code, 1) << output;
        EXPECT_TRUE(Has(run.Err, "не может быть создан")) << run.Err;
        EXPECT_FALSE(Has(run.Err, "нет связи")) << run.Err;
    }
}

// The system's reason for a port that does not open is added to the message.
TEST_F(CliTest, APortThatDoesNotOpenSaysWhy) {
    TRun run = Cli(Dir, Dir / "no-such-port", {"info"});
    EXPECT_EQ(run.Code, 3);
    EXPECT_TRUE(Has(run.Err, "Проверьте номер СОМ-порта. Причина: нет такого устройства."))
        << run.Err;
    run = Cli(Dir, Dir.Path, {"info"});
    EXPECT_TRUE(Has(run.Err, "Причина: это не последовательный порт.")) << run.Err;
}

// Versions and dates are taken only in their one written form, and the message names the field.
TEST_F(CliTest, VersionsAndDatesAreStrict) {
    const std::string out = Dir / "v.ats";
    TRun run =
        Cli(Dir, "", {"new", "--model", "Cedar", "--version", "", "--boards", "Kama", "-o", out});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(Has(run.Err, "не указана версия")) << run.Err;
    run = Cli(Dir, "",
              {"new", "--model", "Cedar", "--version", "22.8", "--boards", "Kama", "-o", out});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(Has(run.Err, "22.9")) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(Cli(Dir, "",
                  {"new", "--model", "Cedar", "--version", "22.9", "--boards", "Kama", "-o", out})
                  .Code,
              0);

    run = Cli(Dir, Dir / "no-such-port", {"clock", "--set", "+2023-+06-+15 +1:+2:+3"});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(Has(run.Err, "ГГГГ-ММ-ДД ЧЧ:ММ:СС")) << run.Err;
    run = Cli(Dir, Dir / "no-such-port", {"clock", "--set", "2023-13-01 10:00:00"});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(Has(run.Err, "месяц")) << run.Err;
}

// The command line never sets the clock unasked, --yes or not; the global options may follow
// the command.
TEST_F(CliStationTest, InfoTellsHowFarTheClockIsOffAndGlobalOptionsGoAnywhere) {
    ASSERT_EQ(Cli(Dir, Port(), {"clock", "--set", "2024-02-29 12:00:05"}).Code, 0);
    TRun run = Cli(Dir, Port(), {"--yes", "info"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Err, "АТС отстает на ")) << run.Err;
    EXPECT_TRUE(Has(run.Err, "zarnik-cli clock --set-now")) << run.Err;
    EXPECT_FALSE(Has(run.Err, "[OK]")) << run.Err;
    EXPECT_TRUE(Has(run.Out, "Время в АТС: 2024-02-29 12:0")) << "the clock was not set";

    const std::string file = Dir / "late.ats";
    run = Cli(Dir, "", {"read", "-o", file, "--tables", "system", "--yes", "--port", Port()});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(std::filesystem::exists(file));
    ASSERT_EQ(Cli(Dir, Port(), {"clock", "--set-now"}).Code, 0);
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// `ports`: one port a line, four tab-separated fields; the COMn names that open say where they
// lead; exit 0 whatever is found.
TEST_F(CliTest, PortsListsOnePortALineWithWhereItLeadsAndWhetherItOpens) {
    test::TSimProcess sim({"--model", "Cedar"});
    const char* old = std::getenv("ZARNIK_SERIAL_DIR");
    const std::string kept = old != nullptr ? old : "";
    setenv("ZARNIK_SERIAL_DIR", sim.Dir().c_str(), 1);
    const TRun run = Cli(Dir, "", {"ports"});
    if (old != nullptr)
        setenv("ZARNIK_SERIAL_DIR", kept.c_str(), 1);
    else
        unsetenv("ZARNIK_SERIAL_DIR");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(Has(run.Out, "COM3\t-\t" + sim.LinkPath() + "\tдоступен\n")) << run.Out;
    std::istringstream lines(run.Out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
}

}  // namespace
}  // namespace zarnik
