#pragma once
// Where the built zarnik-sim and zarnik-cli are. The paths are compiled into one small object
// (tool_paths.cpp) so the test sources themselves do not depend on the build folder.

namespace zarnik::test {
const char* SimPath();
const char* CliPath();
}  // namespace zarnik::test

#define ZARNIK_SIM_PATH (::zarnik::test::SimPath())
#define ZARNIK_CLI_PATH (::zarnik::test::CliPath())
