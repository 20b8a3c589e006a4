#pragma once
// Where the help page is looked for: the installed copy first, then the one in the source tree
// (a program run from its build directory), then one beside the program (a relocated install),
// last a copy in the start directory.

#include <optional>
#include <string>
#include <vector>

namespace zarnik {

inline constexpr const char* kHelpFileName = "zarnik_help.html";

// The candidate paths in the order they are tried. `programDir` is the directory holding the
// running program. Empty arguments add no candidate.
std::vector<std::string> HelpFileCandidates(const std::string& installed, const std::string& source,
                                            const std::string& programDir,
                                            const std::string& startDir);

// The first candidate that is a readable file.
std::optional<std::string> FindHelpFile(const std::vector<std::string>& candidates);

}  // namespace zarnik
