#pragma once
// Helpers for tests that touch real files: a scratch directory removed afterwards, a guard
// that returns to the current directory, a process file-size limit that makes writes fail
// the way a full disk does, and small readers.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace zarnik::test {

class TScratchDir {
  public:
    TScratchDir() {
        const auto made = MakeTemporaryDirectory("zarnik");
        if (!made) ADD_FAILURE() << "no temporary directory";
        Path = made.value_or("");
    }
    ~TScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return Path + "/" + name; }
    std::string Path;
};

class TKeepCurrentDir {
  public:
    TKeepCurrentDir() : Saved(std::filesystem::current_path()) {}
    ~TKeepCurrentDir() { std::filesystem::current_path(Saved); }
    TKeepCurrentDir(const TKeepCurrentDir&) = delete;
    TKeepCurrentDir& operator=(const TKeepCurrentDir&) = delete;

  private:
    std::filesystem::path Saved;
};

#ifndef _WIN32
// While alive, no file of this process may grow beyond `bytes`: a write past it fails with
// EFBIG (the signal that would otherwise end the process is ignored).
class TFileSizeLimit {
  public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = Saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, OldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  private:
    rlimit Saved{};
    void (*OldHandler)(int) = SIG_DFL;
};
#endif

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::set<std::string> EntriesOf(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

}  // namespace zarnik::test
