#include "support/tool_paths.h"

namespace zarnik::test {
const char* SimPath() { return ZARNIK_TOOL_SIM; }
const char* CliPath() { return ZARNIK_TOOL_CLI; }
}  // namespace zarnik::test
