#include "platform/console.h"

namespace zarnik {

std::vector<std::string> PrepareConsole(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace zarnik
