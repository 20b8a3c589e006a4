#pragma once
// Each group of zarnik-cli's commands registers itself on the application.

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/cli_context.h"

namespace zarnik::cli {

// A command's body: runs with the parsed global options and returns the exit code.
using TCommandBody = std::function<int(TCliContext&)>;

// Identifies the station and reads the tables selected in the store: 0 or an exit code.
int ReadStationForCli(TCliContext& context);

void RegisterStationCommands(CLI::App& app, TCommandBody& body);  // info, clock

}  // namespace zarnik::cli
