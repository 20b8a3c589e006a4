#pragma once
// A fresh temporary directory for one test, removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zarnik::test {

class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarnik-XXXXXX").string();
        Path = mkdtemp(pattern.data());
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string Path;
};

}  // namespace zarnik::test
