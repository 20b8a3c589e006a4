// A station built in the constructor window, saved by the main window, served by zarnik-sim
// from that file and read back by the main window: the same header and the same tables.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <memory>

#include "app/constructor_form.h"
#include "app/main_form.h"
#include "editors/constructor_editor.h"
#include "gui/constructor_test_support.h"
#include "support/ats_compare.h"
#include "support/file_test_helpers.h"
#include "support/scripted_dialogs.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace zarnik {
namespace {

using Form = app::TConstructorForm;

struct TBuild {
    const char* Model;
    std::vector<const char*> Boards;
};

using test::PutBoard;

class ConstructorRoundTrip : public ::testing::TestWithParam<TBuild> {};

TEST_P(ConstructorRoundTrip, BuiltSavedServedAndReadBackGivesTheSameTables) {
    const TBuild b = GetParam();
    ConstructorWindowDraft() = TConstructorDraft{};
    test::TTempDir dir;
    const std::string made = dir.Path + "/dat/made.ats";
    const std::string read = dir.Path + "/dat/read.ats";
    test::TScriptedDialogs dialogs;
    app::TMainFormOptions o;
    o.BaseDir = dir.Path;
    o.PortOverride = dir.Path + "/no-port";
    o.StartChoice = app::EStartChoice::Files;
    o.Dialogs = &dialogs;
    {
        test::TScriptedDialogs opening(false);  // the port that is not there is only recorded
        o.Dialogs = &opening;
        app::TMainForm w(o);
        w.show();
        w.Start();
        bool built = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            form->ModelList()->setCurrentText(QString::fromUtf8(b.Model));
            form->VersionList()->setCurrentText(QStringLiteral("24.7"));
            for (std::size_t slot = 0; slot < b.Boards.size(); ++slot)
                PutBoard(*form, static_cast<int>(slot), QString::fromUtf8(b.Boards[slot]));
            QTest::mouseClick(form->BuildButton(), Qt::LeftButton);
            built = form->result() == QDialog::Accepted;
        });
        w.Run(ECommand::CreateFile);
        ASSERT_TRUE(built);
        EXPECT_EQ(w.StatusLine(0)->text().toStdString(), std::string("Название АТС : ") + b.Model);
        EXPECT_FALSE(w.HasUnsavedEdits());
        opening.ExpectSave(made);
        w.Run(ECommand::SaveFile);
        w.SavePanel()->ActionButton()->click();
    }
    ASSERT_TRUE(std::filesystem::exists(made));

    test::TSimProcess sim({"--from", made});
    setenv("ZARNIK_SERIAL_DIR", sim.Dir().c_str(), 1);
    o.PortOverride = "COM3";
    o.StartChoice = app::EStartChoice::Station;
    o.Dialogs = &dialogs;
    {
        app::TMainForm w(o);
        w.show();
        w.Start();
        ASSERT_TRUE(w.Context().S().DataPresent);
        dialogs.ExpectSave(read);
        w.Run(ECommand::SaveFile);
        w.SavePanel()->ActionButton()->click();
    }
    unsetenv("ZARNIK_SERIAL_DIR");
    const std::string before = test::ReadBytes(made);
    const std::string after = test::ReadBytes(read);
    ASSERT_GT(before.size(), kFileHeaderSize);
    test::ExpectSameBytes(test::WithoutClock(before.substr(0, kFileHeaderSize)),
                          test::WithoutClock(after.substr(0, kFileHeaderSize)), "the header");
    test::ExpectSameLoadedTables(made, read);
    EXPECT_TRUE(dialogs.AllSeen());
}

INSTANTIATE_TEST_SUITE_P(AllModels, ConstructorRoundTrip,
                         ::testing::Values(TBuild{"Alder", {"Oka", "Ural", "Lena"}},
                                           TBuild{"Birch", {"Oka", "Ural", "Svir", "Lena"}},
                                           TBuild{"Cedar", {"Kama", "Don", "", "Volga"}},
                                           TBuild{"Dogwood", {"Kama", "Don", "Volga", "Neva"}}),
                         [](const auto& info) { return std::string(info.param.Model); });

}  // namespace
}  // namespace zarnik
