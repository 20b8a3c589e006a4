// The safety nets in the main window: the backup of every whole read under "dat/auto", no
// second backup before writing to the station read in this run, the switches of the options
// file, and a write read back without a word when the station took it as sent.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "app/main_form.h"
#include "flows/auto_backup.h"
#include "model/program_options.h"
#include "support/scripted_dialogs.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace zarnik {
namespace {

using app::EStartChoice;
using app::TMainForm;

struct TSafetyRig {
    explicit TSafetyRig(std::vector<std::string> simArgs) {
        Sim = std::make_unique<test::TSimProcess>(std::move(simArgs));
        setenv("ZARNIK_SERIAL_DIR", Sim->Dir().c_str(), 1);
    }
    ~TSafetyRig() {
        Form.reset();
        unsetenv("ZARNIK_SERIAL_DIR");
    }
    TMainForm& Open(EStartChoice choice) {
        app::TMainFormOptions o;
        o.BaseDir = Dir.Path;
        o.PortOverride = "COM3";
        o.StartChoice = choice;
        o.Dialogs = &Dialogs;
        Form = std::make_unique<TMainForm>(o);
        Form->show();
        Form->Start();
        return *Form;
    }
    std::vector<std::string> Backups() const {
        return AutoBackupsOf(Dir.Path + "/dat/auto", "4242");
    }
    test::TTempDir Dir;
    std::unique_ptr<test::TSimProcess> Sim;
    test::TScriptedDialogs Dialogs;
    std::unique_ptr<TMainForm> Form;
};

TEST(SafetyNets, AWholeReadIsBackedUpAndItsStationIsNotReadAgainBeforeAWrite) {
    TSafetyRig rig({"--model", "Dogwood", "--serial", "4242"});
    TMainForm& w = rig.Open(EStartChoice::Station);
    ASSERT_EQ(rig.Backups().size(), 1u);

    // A read of part of the station is no backup.
    w.Run(ECommand::ReadStation);
    w.ReadPanel()->SetAll(false);
    w.ReadPanel()->Box(0)->setChecked(true);
    w.ReadPanel()->ActionButton()->click();
    EXPECT_EQ(rig.Backups().size(), 1u);

    // The edited table goes out, is read back as sent, and nothing is asked or said.
    w.Context().S().SetChanged(ETable::SystemSettings);
    w.Run(ECommand::WriteStation);
    w.WritePanel()->ActionButton()->click();
    EXPECT_EQ(w.ShownPanel(), nullptr);
    EXPECT_FALSE(w.Context().S().Changed(ETable::SystemSettings));
    EXPECT_EQ(rig.Backups().size(), 1u);
    EXPECT_TRUE(rig.Dialogs.Seen.empty());
}

// Only part of the station was read in this run: before a write the tables about to be
// overwritten are read and kept first; with the backups switched off in the options file,
// nothing is read or kept.
TEST(SafetyNets, AWriteOfTablesNotKeptInThisRunKeepsThemFirstUnlessSwitchedOff) {
    TSafetyRig rig({"--model", "Dogwood", "--serial", "4242"});
    TMainForm& w = rig.Open(EStartChoice::Files);
    const auto readOnly = [&w](int box) {
        w.Run(ECommand::ReadStation);
        w.ReadPanel()->SetAll(false);
        w.ReadPanel()->Box(box)->setChecked(true);
        w.ReadPanel()->ActionButton()->click();
    };
    const auto writeEdited = [&w](ETable t) {
        w.Context().S().SetChanged(t);
        w.Run(ECommand::WriteStation);
        w.WritePanel()->ActionButton()->click();
        EXPECT_EQ(w.ShownPanel(), nullptr);
    };
    readOnly(2);  // "Установки групп"
    ASSERT_TRUE(rig.Backups().empty());
    writeEdited(ETable::Groups);
    EXPECT_EQ(rig.Backups().size(), 1u);
    writeEdited(ETable::Groups);  // kept once in this run
    EXPECT_EQ(rig.Backups().size(), 1u);

    test::TScriptedDialogs quiet;
    ASSERT_TRUE(SaveSafetyOptions(rig.Dir.Path, {false, true, false}, quiet));
    readOnly(0);  // "Установки АЛ"
    writeEdited(ETable::SubscriberLines);
    EXPECT_EQ(rig.Backups().size(), 1u);
    EXPECT_TRUE(rig.Dialogs.Seen.empty());
}

}  // namespace
}  // namespace zarnik
