// The archive from a technician's terminal: two reads of a simulated station, a write of an
// edited file, a restore of the oldest backup and a clock set, each found again on the
// station's timeline with what it did; the backups compare as the edit says, and the restore brings the station
// back to what the first read saw.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/file_test_helpers.h"
#include "support/sim_process.h"
#include "support/tool_paths.h"

namespace zarnik {
namespace {

using nlohmann::json;

struct TRun {
    int Code = -1;
    std::string Out;
};

std::string Quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a command line and keeps what it printed, stderr after stdout.
TRun Shell(const std::string& command) {
    TRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Out.append(buffer, n);
    const int status = pclose(pipe);
    run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class CliArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
        Sim = std::make_unique<test::TSimProcess>(
            std::vector<std::string>{"--model", "Dogwood", "--stopped-clock"});
    }
    TRun Cli(const std::vector<std::string>& args) {
        std::string command = std::string(ZARNIK_CLI_PATH) + " --dir " + Quoted(Dir.Path) +
                              " --port " + Quoted(Sim->LinkPath());
        for (const std::string& a : args) command += " " + Quoted(a);
        return Shell(command);
    }
    json Timeline(const std::string& serial) {
        const TRun run = Cli({"archive", serial, "--json"});
        EXPECT_EQ(run.Code, 0) << run.Out;
        return json::parse(run.Out, nullptr, false);
    }
    test::TScratchDir Dir;
    std::unique_ptr<test::TSimProcess> Sim;
};

std::vector<json> OfKind(const json& timeline, const std::string& kind) {
    std::vector<json> found;
    for (const json& ev : timeline["events"])
        if (ev["kind"] == kind) found.push_back(ev);
    return found;
}

std::string BackupPath(const json& timeline, const std::string& name) {
    for (const json& ev : OfKind(timeline, "backup"))
        if (ev["result_text"] == name) return ev["path"].get<std::string>();
    return "";
}

TEST_F(CliArchiveTest, ReadsAWriteAndARestoreAreOnTheTimelineWithWhatTheyDid) {
    const std::string first = Dir / "first.ats", changed = Dir / "changed.ats";
    const std::string sheet = Dir / "lines.csv";
    // Started without a login environment, the program still knows whose account it runs in.
    const std::string account = Shell("id -un").Out;
    ASSERT_EQ(Shell("env -u USER -u USERNAME " + std::string(ZARNIK_CLI_PATH) + " --dir " +
                    Quoted(Dir.Path) + " --port " + Quoted(Sim->LinkPath()) + " read -o " +
                    Quoted(first))
                  .Code,
              0);

    // The technician edits the office directory in a spreadsheet and writes the result.
    ASSERT_EQ(Cli({"export", first, "--sheet", "lines", "-o", sheet}).Code, 0);
    std::string csv = test::ReadBytes(sheet);
    const std::string row = "\n211;АЛ;135;;11";
    ASSERT_NE(csv.find(row), std::string::npos) << csv.substr(0, 200);
    csv.replace(csv.find(row), row.size(), "\n211;АЛ;1901;Приемная;11");
    test::WriteBytes(sheet, csv);
    ASSERT_EQ(Cli({"import", first, sheet, "--sheet", "lines", "--yes", "-o", changed}).Code, 0);
    TRun run = Cli({"write", changed});
    ASSERT_EQ(run.Code, 0) << run.Out;
    ASSERT_EQ(Cli({"read", "-o", Dir / "second.ats"}).Code, 0);

    run = Cli({"archive"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_NE(run.Out.find("6105       Офис                 Dogwood  24,8   "), std::string::npos)
        << run.Out;
    json timeline = Timeline("6105");
    EXPECT_EQ(timeline["station"]["backups"], 3);
    EXPECT_TRUE(timeline["station"]["journal"].get<bool>());
    ASSERT_EQ(OfKind(timeline, "read").size(), 2u);
    ASSERT_EQ(OfKind(timeline, "write").size(), 1u);
    ASSERT_EQ(OfKind(timeline, "backup").size(), 3u);
    EXPECT_EQ(timeline["events"][0]["kind"], "read") << "newest first";

    // The write's record: the tables the file held, all taken, from which file, and the
    // backup of the station's tables taken just before.
    const json write = OfKind(timeline, "write")[0]["record"];
    EXPECT_EQ(write["program"], "zarnik-cli");
    EXPECT_EQ(write["port"], Sim->LinkPath());
    EXPECT_EQ(write["result"], "written");
    EXPECT_EQ(write["tables"].size(), 16u);
    EXPECT_EQ(write["reached"].size(), 16u);
    EXPECT_EQ(write["source_file"], changed);
    const TRun sum = Shell("sha256sum " + Quoted(changed));
    EXPECT_EQ(sum.Out.substr(0, 64), write["source_sha256"].get<std::string>());
    const std::string beforeWrite = BackupPath(timeline, write["backup"].get<std::string>());
    ASSERT_FALSE(beforeWrite.empty()) << "the backup a write names is on the timeline";

    // The reads name their backups; the older against the newer shows exactly the edit.
    const std::vector<json> reads = OfKind(timeline, "read");
    EXPECT_EQ(reads[1]["record"]["user"].get<std::string>() + "\n", account);
    const std::string newest = BackupPath(timeline, reads[0]["record"]["backup"]);
    const std::string oldest = BackupPath(timeline, reads[1]["record"]["backup"]);
    ASSERT_FALSE(newest.empty());
    ASSERT_FALSE(oldest.empty());
    run = Cli({"diff", oldest, newest});
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Out.find("211 Приемная: Программный номер: 135 | 1901"), std::string::npos)
        << run.Out;
    EXPECT_EQ(Cli({"diff", oldest, beforeWrite}).Code, 0) << "nothing changed before the write";

    // Restoring the oldest backup puts the station back, and the journal says so.
    run = Cli({"write", "--verify", oldest});
    ASSERT_EQ(run.Code, 0) << run.Out;
    timeline = Timeline("6105");
    ASSERT_EQ(OfKind(timeline, "write").size(), 2u);
    const json restore = timeline["events"][0];
    ASSERT_EQ(restore["kind"], "write") << "the restore is the newest event";
    EXPECT_EQ(restore["record"]["source_file"], oldest);
    EXPECT_EQ(restore["record"]["result"], "written");
    EXPECT_EQ(restore["record"]["verified"], "yes");
    EXPECT_FALSE(BackupPath(timeline, restore["record"]["backup"]).empty());
    run = Cli({"diff", "--station", oldest});
    EXPECT_EQ(run.Code, 0) << run.Out;

    // A clock set is an exchange that changes the station too.
    ASSERT_EQ(Cli({"clock", "--set", "2024-02-29 12:00:05"}).Code, 0);
    timeline = Timeline("6105");
    ASSERT_EQ(timeline["events"][0]["kind"], "clock");
    EXPECT_EQ(timeline["events"][0]["record"]["clock_set_to"], "2024-02-29 12:00:05");
    EXPECT_EQ(timeline["events"][0]["record"]["result"], "set");

    run = Cli({"archive", "6105"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_NE(run.Out.find("Запись          16 таблиц     записано"), std::string::npos) << run.Out;
    run = Cli({"archive", "9999"});
    EXPECT_EQ(run.Code, 2);
    EXPECT_NE(run.Out.find("АТС с заводским номером 9999 в архиве нет."), std::string::npos);
}

}  // namespace
}  // namespace zarnik
