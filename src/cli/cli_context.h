#pragma once
// What every command of zarnik-cli shares: global options, the session, exit codes, printing.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "flows/progress.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/dialogs_stream.h"

namespace zarnik::cli {

// Exit codes of zarnik-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoLink = 3;
inline constexpr int kExitUnsupported = 4;

// The exit codes as --help of every command states them.
inline constexpr const char* kExitCodesHelp =
    "Exit codes:\n"
    "  0  done\n"
    "  1  the operation failed: a table not read or not taken by the station, a file not\n"
    "     loaded or not saved, a serial port error, or a condition that ends the program\n"
    "     (a status table of the station timed out, an unknown device code)\n"
    "  2  bad arguments (an unknown table key, a malformed date, a missing file name)\n"
    "  3  no link with the station (the port cannot be opened or the station is silent)\n"
    "  4  the station's working program is not supported\n"
    "Messages go to stderr, in Russian, as the program's windows show them; questions are\n"
    "answered OK with --yes and Cancel without it. "
#ifdef _WIN32
    "COMn names are the devices\n"
    "\\\\.\\COMn themselves.";
#else
    "COMn names resolve to\n"
    "$ZARNIK_SERIAL_DIR/COMn when that variable is set, else to /dev/ttyS<n-1>.";
#endif

struct TCliOptions {
    std::string Port;     // COMn or a device path; empty: the options file decides
    bool Yes = false;     // answer OK to every question
    std::string BaseDir;  // working directory ("dat", names, options file)
    std::string TraceFile;  // non-empty: a hex trace of every byte exchanged with the station
};

// stderr as the progress dots and the messages share it: a message never starts in the middle
// of a line of dots.
class TTerminal {
  public:
    void Dot(bool last);
    void EndLine();

  private:
    bool LineOpen = false;
};

class TCliDialogs : public TStreamDialogs {
  public:
    TCliDialogs(TTerminal& terminal, bool answerOk)
        : TStreamDialogs(std::cerr, answerOk), Terminal(terminal) {}
    void Message(const std::string& text, const std::string& caption) override {
        Terminal.EndLine();
        TStreamDialogs::Message(text, caption);
    }
    TAnswer Question(const std::string& text, const std::string& caption) override {
        Terminal.EndLine();
        return TStreamDialogs::Question(text, caption);
    }

  private:
    TTerminal& Terminal;
};

// A session and store for one command.
class TCliContext {
  public:
    explicit TCliContext(const TCliOptions& options);
    // Opens the session; with openPort false no port is touched (file-only commands).
    TMainClass& Session(bool openPort = true);
    TDataStream& Store();
    TUserDialogs& Dialogs() { return Dlg; }
    TTerminal& Terminal() { return Term; }
    const TCliOptions& Options() const { return Opts; }
    // A message has already said that the port's device went away.
    bool PortGoneSaid = false;
    // The device the session's port reaches (or was asked to), for messages.
    std::string PortDevice() const {
        return SessionPtr ? SessionPtr->Port.DevicePath() : Opts.Port;
    }

  private:
    TCliOptions Opts;
    TTerminal Term;
    TCliDialogs Dlg;
    std::unique_ptr<TMainClass> SessionPtr;
    TDataStreamPtr StorePtr;
};

// A progress bar on stderr: one dot per step.
class TTerminalProgress : public TCountingProgress {
  public:
    explicit TTerminalProgress(TCliContext& context) : Terminal(context.Terminal()) {}
    void SetPosition(int v) override;

  private:
    TTerminal& Terminal;
};

// Prints the identity, composition and port list of the store.
void PrintStation(std::ostream& out, const TMainClass& session, const TDataStream& store);

// A UTF-8 text padded to a width in characters (at least one blank after it): the stream's
// setw counts bytes, and a Cyrillic letter takes two of them.
std::string Padded(const std::string& utf8, std::size_t width);

// "Установки АЛ (lines), Установка СЛ (trunks)": the tables as a message names them.
std::string TableNames(const std::vector<ETable>& tables);

}  // namespace zarnik::cli
