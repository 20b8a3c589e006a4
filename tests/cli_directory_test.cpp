// zarnik-cli export and import as a technician runs them: the list of changes first, the new
// configuration only with --yes, and the input file never touched.

#include <gtest/gtest.h>

#include <filesystem>

#include "flows/directory_csv.h"
#include "platform/text_1251.h"
#include "support/file_test_helpers.h"
#include "support/run_program.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

class CliDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
        ASSERT_EQ(Cli({"new", "--model", "Dogwood", "--version", "24.7", "--boards", "Kama,Don",
                       "-o", Dir / "a.ats"})
                      .ExitCode,
                  0);
    }
    test::TProgramRun Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {ZARNIK_CLI_PATH, "--dir", Dir.Path});
        return test::RunProgram(args);
    }
    test::TScratchDir Dir;
};

TEST_F(CliDirectory, ImportListsFirstAndWritesANewFileOnlyWithYes) {
    ASSERT_EQ(Cli({"export", Dir / "a.ats", "--sheet", "lines", "-o", Dir / "lines.csv"}).ExitCode,
              0);
    const std::string exported = test::ReadBytes(Dir / "lines.csv");
    ASSERT_TRUE(exported.starts_with("\xEF\xBB\xBFПорт;Тип;Программный номер;Имя;Группа\r\n"));
    TCsvTable table = ReadCsv(exported);
    ASSERT_TRUE(table.Ok());
    std::vector<std::vector<std::string>> rows;
    for (const TCsvRow& r : table.Rows) rows.push_back(r.Fields);
    const std::string port = rows[1][0];
    rows[1][2] = "1901";
    rows[1][3] = "Приёмная, 1 этаж";
    test::WriteBytes(Dir / "edited.csv", WriteCsv(rows, {ECsvEncoding::Cp1251, ','}));
    const std::string input = test::ReadBytes(Dir / "a.ats");
    const std::string names = test::ReadBytes(Dir / "dat/port.nms");

    const auto listed = Cli({"import", Dir / "a.ats", Dir / "edited.csv", "--sheet", "lines"});
    EXPECT_EQ(listed.ExitCode, 0) << listed.Output;
    EXPECT_NE(listed.Output.find(port + ": Программный номер: — → 1901"), std::string::npos)
        << listed.Output;
    EXPECT_NE(listed.Output.find(port + ": Имя: — → Приёмная, 1 этаж"), std::string::npos);
    EXPECT_NE(listed.Output.find("Изменения не применены"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(Dir / "dat/port.nms"), names);

    EXPECT_EQ(
        Cli({"import", Dir / "a.ats", Dir / "edited.csv", "--sheet", "lines", "--yes"}).ExitCode,
        2);
    EXPECT_EQ(Cli({"import", Dir / "a.ats", Dir / "edited.csv", "--sheet", "lines", "--yes", "-o",
                   Dir / "../" + std::filesystem::path(Dir.Path).filename().string() + "/a.ats"})
                  .ExitCode,
              2);
    const auto applied = Cli({"import", Dir / "a.ats", Dir / "edited.csv", "--sheet", "lines",
                              "--yes", "-o", Dir / "b.ats"});
    EXPECT_EQ(applied.ExitCode, 0) << applied.Output;
    EXPECT_EQ(test::ReadBytes(Dir / "a.ats"), input);
    EXPECT_NE(test::ReadBytes(Dir / "dat/port.nms").find(Utf8ToCp1251("Приёмная, 1 этаж\r\n")),
              std::string::npos);
    ASSERT_EQ(Cli({"export", Dir / "b.ats", "--sheet", "lines", "-o", Dir / "b.csv", "--encoding",
                   "cp1251", "--separator", "tab"})
                  .ExitCode,
              0);
    EXPECT_NE(
        test::ReadBytes(Dir / "b.csv").find(Utf8ToCp1251(port + "\tАЛ\t1901\tПриёмная, 1 этаж\t")),
        std::string::npos)
        << Cp1251ToUtf8(test::ReadBytes(Dir / "b.csv").substr(0, 200));
    // Exported again and imported, nothing changes.
    const auto again = Cli({"import", Dir / "b.ats", Dir / "b.csv", "--sheet", "lines"});
    EXPECT_NE(again.Output.find("Изменений нет"), std::string::npos) << again.Output;
}

TEST_F(CliDirectory, ABadSheetFailsWithItsLinesAndWritesNothing) {
    test::WriteBytes(Dir / "bad.csv", "Запись;Номер\n1;12-3\n40;1\n");
    const auto run = Cli({"import", Dir / "a.ats", Dir / "bad.csv", "--sheet", "book", "--yes",
                          "-o", Dir / "b.ats"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Output.find("Строка 2: номер «12-3»"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("Строка 3: номер записи «40» не от 1 до 30"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Dir / "b.ats"));
    EXPECT_EQ(Cli({"export", Dir / "a.ats", "--sheet", "book", "-o", Dir / "x.ats"}).ExitCode, 2);
}

}  // namespace
}  // namespace zarnik
