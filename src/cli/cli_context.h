#pragma once
// What every command of zarnik-cli shares: global options, the session, exit codes, printing.

#include <iostream>
#include <memory>
#include <string>

#include "flows/progress.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/dialogs_stream.h"

namespace zarnik::cli {

// Exit codes of zarnik-cli (besides the program's own codes for fatal conditions, 0 and 1).
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoLink = 3;
inline constexpr int kExitUnsupported = 4;

struct TCliOptions {
    std::string Port;     // COMn or a device path; empty: the options file decides
    bool Yes = false;     // answer OK to every question
    std::string BaseDir;  // working directory ("dat", names, options file)
};

// A session and store for one command.
class TCliContext {
public:
    explicit TCliContext(const TCliOptions& options);
    // Opens the session; with openPort false no port is touched (file-only commands).
    TMainClass& Session(bool openPort = true);
    TDataStream& Store();
    TStreamDialogs& Dialogs() { return Dlg; }
    const TCliOptions& Options() const { return Opts; }

private:
    TCliOptions Opts;
    TStreamDialogs Dlg;
    std::unique_ptr<TMainClass> SessionPtr;
    TDataStreamPtr StorePtr;
};

// A progress bar on stderr: one dot per step.
class TTerminalProgress : public TCountingProgress {
public:
    void SetPosition(int v) override;
};

// Prints the identity, composition and port list of the store.
void PrintStation(std::ostream& out, const TMainClass& session, const TDataStream& store);

}  // namespace zarnik::cli
