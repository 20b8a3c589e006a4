#pragma once
// What the fuzz targets share: a session that asks nobody anything, a scratch folder for the
// session's "dat", a station of each model, and a way back to a saved state between inputs.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "flows/config_snapshot.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/file_system.h"
#include "platform/silent_dialogs.h"
#include "platform/user_dialogs.h"

namespace zarnik::fuzz {

inline constexpr std::array<const char*, 4> kModels{"Cedar", "Dogwood", "Alder", "Birch"};

// A temporary folder for the whole run, removed at exit.
class TScratchFolder {
  public:
    TScratchFolder() {
        const auto made = MakeTemporaryDirectory("zarnik-fuzz");
        if (!made) std::abort();
        Path = *made;
    }
    ~TScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    std::string Path;
};

// A session without a port and its store, with the state they were given once set up, so that
// every input starts from the same place.
struct TFuzzSession {
    explicit TFuzzSession(const std::string& dir)
        : Session(Dialogs, TSessionSetup{dir, false, ""}),
          Store(std::make_unique<TDataStream>(dir)) {}
    void Keep() { Saved = std::make_unique<TConfigSnapshot>(Session, *Store); }
    void Reset() {
        Saved->Restore(Session, *Store);
        Session.Frames.Stats = {};
    }
    TSilentDialogs Dialogs{TAnswer::Ok};  // a user clicking through every question
    TMainClass Session;
    std::unique_ptr<TDataStream> Store;
    std::unique_ptr<TConfigSnapshot> Saved;
};

// Fails the run loudly: libFuzzer and the replay driver both treat an abort as a finding.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace zarnik::fuzz
