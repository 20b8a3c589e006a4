#pragma once
// A fresh temporary directory for one test, removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_system.h"

namespace zarnik::test {

class TTempDir {
public:
    TTempDir() {
        Path = MakeTemporaryDirectory("zarnik").value_or("");
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
