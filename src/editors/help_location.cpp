#include "editors/help_location.h"

#include <filesystem>
#include <fstream>

namespace zarnik {

std::vector<std::string> HelpFileCandidates(const std::string& installed, const std::string& source,
                                            const std::string& programDir,
                                            const std::string& startDir) {
    std::vector<std::string> paths;
    for (const std::string& p : {installed, source})
        if (!p.empty()) paths.push_back(p);
    if (!programDir.empty()) {
        const std::filesystem::path beside =
            std::filesystem::path(programDir) / ".." / "share" / "zarnik" / kHelpFileName;
        paths.push_back(beside.lexically_normal().string());
    }
    if (!startDir.empty())
        paths.push_back((std::filesystem::path(startDir) / kHelpFileName).string());
    return paths;
}

std::optional<std::string> FindHelpFile(const std::vector<std::string>& candidates) {
    for (const std::string& p : candidates) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(p, ec)) continue;
        if (std::ifstream(p).good()) return p;
    }
    return std::nullopt;
}

}  // namespace zarnik
