#pragma once
// Which folder the desktop program keeps its files in ("dat", the name files, Zarnik_M.cfg).
//
// A folder given with --dir, or a current folder that already holds the program's files, is
// used as it stands. Started from a desktop menu the current folder is the home folder (or,
// with some launchers, the root folder): the files then go to the per-user data folder
// $XDG_DATA_HOME/zarnik (by default ~/.local/share/zarnik) instead of cluttering the home.

#include <optional>
#include <string>

namespace zarnik {

// What the choice depends on, gathered by BaseFolderFactsFromEnvironment or given by a test.
struct TBaseFolderFacts {
    std::string DirOption;  // --dir as given; "" when not given
    std::string Current;    // the current folder
    std::string Home;       // $HOME; "" when unknown
    std::string DataHome;   // $XDG_DATA_HOME; "" when unset
};

struct TBaseFolderChoice {
    std::string Path;
    bool InDataHome = false;  // the per-user data folder: created when missing
};

// Zarnik_M.cfg or a "dat" folder, in any letter case.
bool HoldsProgramFiles(const std::string& dir);

// The per-user data folder: $XDG_DATA_HOME/zarnik when that is an absolute path (a relative
// one is invalid and ignored), else $HOME/.local/share/zarnik; "" without either.
std::string DataHomeFolder(const TBaseFolderFacts& facts);

TBaseFolderChoice ChooseBaseFolder(const TBaseFolderFacts& facts);

// The facts of this process: its current folder and environment.
TBaseFolderFacts BaseFolderFactsFromEnvironment(const std::string& dirOption);

// Creates the chosen folder when it is the per-user data folder (with its parents); nullopt
// and *error when it cannot be created. A folder chosen otherwise is returned as it stands.
std::optional<std::string> PrepareBaseFolder(const TBaseFolderChoice& choice,
                                             std::string* error = nullptr);

}  // namespace zarnik
