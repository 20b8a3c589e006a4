#pragma once
// Each group of zarnik-cli's commands registers itself on the application.

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <vector>

#include "cli/cli_context.h"

namespace zarnik::cli {

// A command's body: runs with the parsed global options and returns the exit code.
using TCommandBody = std::function<int(TCliContext&)>;

// Checks the link as the read and write panels do before they start: 0, or kExitNoLink after
// naming the port that does not answer.
int CheckStationLink(TCliContext& context);

// Identifies the station and reads the tables selected in the store: 0 or an exit code. When
// `failed` is given it receives the tables whose read failed. With `backup`, a read of the
// whole station is also saved under "dat/auto" (a failed backup is reported, the read stands).
int ReadStationForCli(TCliContext& context, std::vector<ETable>* failed = nullptr,
                      bool backup = false);

// The safety nets of a write from the command line.
struct TCliSafety {
    bool Backup = true;   // --no-backup switches it off
    bool Verify = false;  // --verify
};

// WriteAll with the automatic backup before it and, with Verify, the read back after it; says
// where the backup went and what the read back found. Returns WriteAll's result, or
// kWriteNoBackup (nothing was sent, after its message). `verifiedBad` is set when a written
// table read back differently or could not be read back (after the message naming them).
int WriteStationForCli(TCliContext& context, TProgress& progress, const TCliSafety& safety,
                       std::vector<ETable>* failed, std::vector<ETable>* written,
                       bool& verifiedBad);

// A station of more than one unit is identified, but its tables are never read: 0 for a
// station of one unit, else kExitFailure after saying so.
int RefuseSeveralUnits(TCliContext& context);

void RegisterStationCommands(CLI::App& app, TCommandBody& body);  // info, clock
void RegisterFileCommands(CLI::App& app, TCommandBody& body);     // read, write
void RegisterBuildCommands(CLI::App& app, TCommandBody& body);    // new, clear
void RegisterDumpCommands(CLI::App& app, TCommandBody& body);     // dump
void RegisterReportCommands(CLI::App& app, TCommandBody& body);   // report
void RegisterDiffCommands(CLI::App& app, TCommandBody& body);     // diff
void RegisterDirectoryCommands(CLI::App& app, TCommandBody& body);  // export, import
void RegisterPortsCommands(CLI::App& app, TCommandBody& body);    // ports
void RegisterArchiveCommands(CLI::App& app, TCommandBody& body);  // archive

// Table keys of --tables: all sixteen when empty or "all"; nullopt (message shown) when a key
// is unknown.
std::optional<std::array<bool, kTableCount>> ParseTableList(const std::string& list);
// The keys, one per line, after a lead line.
std::string TableListHelp(const std::string& lead = "comma-separated tables (default all):");
void PrintSummary(std::ostream& out, const TMainClass& session, const TDataStream& store);

}  // namespace zarnik::cli
