#include "platform/base_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace zarnik {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "zarnik";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool SameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    if (!ec) return same;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

// Where a desktop launcher starts programs: nobody keeps station files there on purpose.
bool IsLauncherFolder(const TBaseFolderFacts& facts) {
    if (SameFolder(facts.Current, facts.Home)) return true;
    const fs::path current(facts.Current);
    return !current.empty() && current.lexically_normal() == current.root_path() &&
           current.has_root_directory();
}

}  // namespace

bool HoldsProgramFiles(const std::string& dir) {
    if (dir.empty()) return false;
    const std::string dat = ResolveCaseInsensitive(dir, "dat");
    if (DirectoryExists(JoinPath(dir, dat))) return true;
    const std::string options = ResolveCaseInsensitive(dir, "Zarnik_M.cfg");
    return FileExists(JoinPath(dir, options));
}

std::string DataHomeFolder(const TBaseFolderFacts& facts) {
    if (!facts.DataHome.empty() && fs::path(facts.DataHome).is_absolute())
        return (fs::path(facts.DataHome) / kFolderName).lexically_normal().string();
    if (!facts.Home.empty())
        return (fs::path(facts.Home) / ".local" / "share" / kFolderName).lexically_normal().string();
    return "";
}

TBaseFolderChoice ChooseBaseFolder(const TBaseFolderFacts& facts) {
    if (!facts.DirOption.empty()) return {facts.DirOption, false};
    if (!IsLauncherFolder(facts) || HoldsProgramFiles(facts.Current)) return {facts.Current, false};
    const std::string dataHome = DataHomeFolder(facts);
    if (dataHome.empty()) return {facts.Current, false};
    return {dataHome, true};
}

TBaseFolderFacts BaseFolderFactsFromEnvironment(const std::string& dirOption) {
    TBaseFolderFacts facts;
    facts.DirOption = dirOption;
    std::error_code ec;
    facts.Current = fs::current_path(ec).string();
    facts.Home = Env("HOME");
    facts.DataHome = Env("XDG_DATA_HOME");
    return facts;
}

std::optional<std::string> PrepareBaseFolder(const TBaseFolderChoice& choice, std::string* error) {
    if (!choice.InDataHome) return choice.Path;
    std::error_code ec;
    fs::create_directories(choice.Path, ec);
    if (DirectoryExists(choice.Path)) return choice.Path;
    if (error != nullptr)
        *error = "не удалось создать папку " + choice.Path + (ec ? ": " + ec.message() : "");
    return std::nullopt;
}

}  // namespace zarnik
