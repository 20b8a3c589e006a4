#pragma once
// A session without a port and a store in a temporary directory, for codec tests.

#include <memory>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zarnik::test {

struct TOfflineSession {
    explicit TOfflineSession(const std::string& model = "Cedar", const std::string& version = "24,8")
        : Dialogs(false),
          Session(Dialogs, TSessionSetup{Dir.Path, false, ""}),
          Store(std::make_shared<TDataStream>(Dir.Path)) {
        SetModel(model, version);
    }
    void SetModel(const std::string& model, const std::string& version) {
        Session.Identity.ModelName = model;
        Session.Identity.Version = version;
        Store->Model = model;
        Session.VerFlags = Session.BuildVerFlags();
    }
    TTempDir Dir;
    TScriptedDialogs Dialogs;
    TMainClass Session;
    TDataStreamPtr Store;
};

}  // namespace zarnik::test
