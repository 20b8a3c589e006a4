#pragma once
// A session connected to a simulated station started for one test.

#include <cstdlib>
#include <memory>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "support/scripted_dialogs.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace zarnik::test {

struct TSimSession {
    explicit TSimSession(std::vector<std::string> simArgs, bool strictDialogs = false)
        : Sim(std::move(simArgs)), Dialogs(strictDialogs) {
        Connect(Sim.LinkPath());
    }
    // (Re)connects the session to a link path.
    void Connect(const std::string& link) {
        if (!Session) {
            Session = std::make_unique<TMainClass>(Dialogs, TSessionSetup{Work.Path, true, link});
            Store = std::make_shared<TDataStream>(Work.Path);
            return;
        }
        Session->Port.Close();
        Session->PortName = link;
        Session->OpenPort();
    }
    TTempDir Work;
    TSimProcess Sim;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TMainClass> Session;
    TDataStreamPtr Store;
};

}  // namespace zarnik::test
