#pragma once
// Each group of zarnik-cli's commands registers itself on the application.

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>

#include "cli/cli_context.h"

namespace zarnik::cli {

// A command's body: runs with the parsed global options and returns the exit code.
using TCommandBody = std::function<int(TCliContext&)>;

// Identifies the station and reads the tables selected in the store: 0 or an exit code.
int ReadStationForCli(TCliContext& context);

void RegisterStationCommands(CLI::App& app, TCommandBody& body);  // info, clock
void RegisterFileCommands(CLI::App& app, TCommandBody& body);     // read, write
void RegisterBuildCommands(CLI::App& app, TCommandBody& body);    // new, clear
void RegisterDumpCommands(CLI::App& app, TCommandBody& body);     // dump
void RegisterReportCommands(CLI::App& app, TCommandBody& body);   // report

// Table keys of --tables: all sixteen when empty or "all"; nullopt (message shown) when a key
// is unknown.
std::optional<std::array<bool, kTableCount>> ParseTableList(const std::string& list);
std::string TableListHelp();
void PrintSummary(std::ostream& out, const TMainClass& session, const TDataStream& store);

}  // namespace zarnik::cli
