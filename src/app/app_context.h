#pragma once
// What every window of the desktop program is handed when it opens: the session, the store,
// the dialogs and the worker that runs station exchanges off the window thread.

#include <string>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik::app {

class TStationWorker;

struct TAppContext {
    TMainClass* Session = nullptr;  // owned by the main window; null before its first showing
    TDataStreamPtr Store;           // shared with every window that edits it
    TUserDialogs* Dialogs = nullptr;
    TStationWorker* Worker = nullptr;
    std::string StartDir;  // the working directory at start: "dat", options, help

    TMainClass& S() const { return *Session; }
    TDataStream& D() const { return *Store; }
    TUserDialogs& Dlg() const { return *Dialogs; }
};

// The program's title, as every window and message without a caption of its own shows it.
inline constexpr const char* kAppTitle = "Zarnik 1.38";

}  // namespace zarnik::app
