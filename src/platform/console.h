#pragma once
// What a terminal program needs from the system before it reads its arguments or prints.

#include <string>
#include <vector>

namespace zarnik {

// Makes the process's console show our UTF-8 texts (Russian messages) as they are and keeps the
// standard streams byte for byte, and returns the program's arguments in UTF-8. On POSIX the
// arguments already are what the terminal typed; on Windows they are taken from the wide
// command line, so names in any script survive.
std::vector<std::string> PrepareConsole(int argc, char** argv);

}  // namespace zarnik
