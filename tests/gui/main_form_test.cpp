// The main window against a simulated station: start-up, the four panels, the unsaved-edit
// question, a read stopped half-way, and one whole session from read to write.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "app/clock_form.h"
#include "app/system_settings_form.h"
#include "cli/store_json.h"
#include "flows/config_snapshot.h"
#include "gui/main_window_rig.h"
#include "link/station_clock.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

using app::EStartChoice;
using app::TMainForm;
using test::TGuiDialogs;
using test::TMainWindowRig;
using test::TScriptedDialogs;
using test::TSeenDialog;
using test::WithModal;
using zarnik::ECommand;

// Everything a read may change, in a form a test can compare.
std::string ConfigurationText(const TMainClass& session, const TDataStream& store) {
    nlohmann::json j;
    j["identity"] = cli::store_json::IdentityJson(session);
    j["composition"] = cli::store_json::CompositionJson(store);
    j["ports"] = cli::store_json::PortsJson(store);
    for (const ETable t : kAllTables)
        j["tables"][std::to_string(SelectionIndex(t))] =
            cli::store_json::TableJson(t, session, store);
    j["fingerprint"] = ConfigFingerprint(session);
    j["flags"] = {session.Identified, session.DataPresent};
    j["changed"] = session.ChangeFlags;
    return j.dump();
}

TEST(MainWindow, WorkingWithFilesLeavesEditingOffUntilAFileIsLoaded) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    ASSERT_TRUE(rig.Session().DataPresent);
    EXPECT_EQ(rig.Line(0), "Название АТС : " + Cp1251ToUtf8(rig.Store().StationName));
    const std::string file = rig.Dir.Path + "/dat/office.ats";
    rig.Dialogs.ExpectSave(file);
    w.Run(ECommand::SaveFile);
    w.SavePanel()->ActionButton()->click();
    ASSERT_TRUE(std::filesystem::exists(file));
    rig.Form.reset();

    TMainForm& files = rig.Open(EStartChoice::Files);
    files.UpdateCommands();
    for (const ECommand c :
         {ECommand::SaveFile, ECommand::WriteStation, ECommand::Report, ECommand::SystemSettings,
          ECommand::TimeSettings, ECommand::StationClock, ECommand::Composition})
        EXPECT_FALSE(files.Action(c)->isEnabled()) << files.Action(c)->text().toStdString();
    for (const ECommand c : {ECommand::LoadFile, ECommand::ReadStation, ECommand::Options,
                             ECommand::About, ECommand::Help, ECommand::Exit})
        EXPECT_TRUE(files.Action(c)->isEnabled()) << files.Action(c)->text().toStdString();
    EXPECT_FALSE(files.ToolAction(ECommand::SaveFile)->isEnabled());

    rig.Dialogs.ExpectOpen(file);
    files.Run(ECommand::LoadFile);
    ASSERT_EQ(files.ShownPanel(), files.LoadPanel());
    files.LoadPanel()->ActionButton()->click();
    EXPECT_EQ(files.ShownPanel(), nullptr);
    EXPECT_EQ(rig.Line(3), "Буфер тарификации соединений. Заполнено ");
    EXPECT_EQ(rig.Line(0), "Название АТС : Dogwood");
    files.UpdateCommands();
    EXPECT_TRUE(files.Action(ECommand::SystemSettings)->isEnabled());
    EXPECT_TRUE(files.ToolAction(ECommand::SaveFile)->isEnabled());
    EXPECT_FALSE(files.ToolAction(ECommand::WriteStation)->isEnabled());  // not identified
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

TEST(MainWindow, AFileOfAnUnknownStationIsRefusedAndTheProgramGoesOn) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    const std::string file = rig.Dir.Path + "/dat/odd.ats";
    rig.Dialogs.ExpectSave(file);
    w.Run(ECommand::SaveFile);
    w.SavePanel()->ActionButton()->click();
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes[1 + 5] = 5;  // a device code no model has
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    const std::string before = ConfigurationText(rig.Session(), rig.Store());
    rig.Dialogs.ExpectOpen(file);
    w.Run(ECommand::LoadFile);
    rig.Dialogs.ExpectMessage();
    w.LoadPanel()->ActionButton()->click();
    ASSERT_FALSE(rig.Dialogs.Seen.empty());
    EXPECT_EQ(rig.Dialogs.Seen.back().Text.rfind("Ошибка чтения кода устройства", 0), 0U);
    EXPECT_EQ(ConfigurationText(rig.Session(), rig.Store()), before);
    EXPECT_EQ(w.ShownPanel(), w.LoadPanel());
    EXPECT_TRUE(w.isVisible());
}

TEST(MainWindow, PanelsTickTheirBoxesAsTheFlowsNeed) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    // Right after a read nothing is changed, so the write panel offers nothing.
    w.Run(ECommand::WriteStation);
    ASSERT_EQ(w.ShownPanel(), w.WritePanel());
    for (int i = 0; i < kTableCount; ++i) EXPECT_FALSE(w.WritePanel()->Box(i)->isChecked()) << i;
    rig.Dialogs.ExpectMessage(
        "Не отмечено ни одной таблицы или АТС сменили во время работы с программой");
    w.WritePanel()->ActionButton()->click();
    EXPECT_EQ(w.ShownPanel(), w.WritePanel());  // the panel stays

    // "Отметить все": the first box decides.
    app::TTablePanel& read = *w.ReadPanel();
    w.Run(ECommand::ReadStation);
    read.SetAll(false);
    read.Box(0)->setChecked(true);
    read.ToggleButton()->click();
    for (int i = 0; i < kTableCount; ++i) EXPECT_FALSE(read.Box(i)->isChecked()) << i;
    read.Box(5)->setChecked(true);
    read.ToggleButton()->click();
    for (int i = 0; i < kTableCount; ++i) EXPECT_TRUE(read.Box(i)->isChecked()) << i;
    read.ToggleButton()->click();

    // A read with no box ticked changes nothing.
    const std::string before = ConfigurationText(rig.Session(), rig.Store());
    rig.Dialogs.ExpectMessage("Не отмечено ни одной таблицы.");
    read.ActionButton()->click();
    EXPECT_EQ(ConfigurationText(rig.Session(), rig.Store()), before);
    read.LeaveButton()->click();
    EXPECT_EQ(w.ShownPanel(), nullptr);
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

TEST(MainWindow, SilentStationOnAClosedPortIsNamedByItsPort) {
    TMainWindowRig rig({"--silent"});
    TMainForm& w = rig.Open(EStartChoice::Files);
    rig.Session().Port.Close();  // as the options window leaves it
    w.Run(ECommand::ReadStation);
    rig.Dialogs.ExpectMessage("COM3 : нет связи с АТС.");
    w.ReadPanel()->ActionButton()->click();
    EXPECT_EQ(w.ShownPanel(), w.ReadPanel());
    EXPECT_FALSE(rig.Session().DataPresent);
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

TEST(MainWindow, StartUpWithAPortThatWouldNotOpenGoesOnWithFiles) {
    test::TTempDir dir;
    TGuiDialogs dialogs(false);  // the session's own open failure message is recorded only
    app::TMainFormOptions o;
    o.BaseDir = dir.Path;
    o.PortOverride = dir.Path + "/no-such-port";
    o.StartChoice = EStartChoice::Station;
    o.Dialogs = &dialogs;
    TMainForm w(o);
    w.show();
    w.Start();
    ASSERT_FALSE(dialogs.Seen.empty());
    EXPECT_EQ(dialogs.Seen.back().Text, "Нет связи со станцией.");
    EXPECT_FALSE(w.Context().S().DataPresent);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Action(ECommand::LoadFile)->isEnabled());
}

TEST(MainWindow, StoppedReadLeavesTheConfigurationAsItWas) {
    TMainWindowRig rig({"--model", "Dogwood", "--wire-rate"});
    TMainForm& w = rig.Open(EStartChoice::Files);
    const std::string before = ConfigurationText(rig.Session(), rig.Store());
    w.Run(ECommand::ReadStation);
    rig.Dialogs.ExpectMessage("Чтение прервано. Данные в программе остались прежними.");
    // Identification, status blocks and a few tables go by in the first second and a half.
    QTimer::singleShot(1500, w.ReadPanel()->CancelButton(), [&] {
        EXPECT_TRUE(w.ReadPanel()->CancelButton()->isEnabled());
        QTest::mouseClick(w.ReadPanel()->CancelButton(), Qt::LeftButton);
    });
    const auto started = std::chrono::steady_clock::now();
    w.ReadPanel()->ActionButton()->click();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_GT(w.ReadPanel()->Bar()->value(), 0);  // it had really begun
    EXPECT_EQ(ConfigurationText(rig.Session(), rig.Store()), before);
    EXPECT_EQ(rig.Line(0), "Название АТС : ");
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

TEST(MainWindow, UnsavedEditsAreAskedAboutAndNoOpCommitsAreNot) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    EXPECT_FALSE(w.HasUnsavedEdits());
    // "Внести данные" with nothing changed.
    WithModal<app::TSystemSettingsForm>([&] { w.Run(ECommand::SystemSettings); },
                                        [](app::TSystemSettingsForm& f) { f.accept(); });
    EXPECT_FALSE(w.HasUnsavedEdits());
    rig.Store().SystemSettings.SYS_ToneDial = !rig.Store().SystemSettings.SYS_ToneDial;
    WithModal<app::TSystemSettingsForm>([&] { w.Run(ECommand::SystemSettings); },
                                        [](app::TSystemSettingsForm& f) {
                                            auto* box = f.findChild<QCheckBox*>(
                                                QString(), Qt::FindChildrenRecursively);
                                            ASSERT_NE(box, nullptr);
                                            box->toggle();
                                            for (auto* b : f.findChildren<QPushButton*>())
                                                if (b->text() == QStringLiteral("Внести данные"))
                                                    b->click();
                                        });
    ASSERT_TRUE(w.HasUnsavedEdits());

    rig.Dialogs.SaveAnswers = {TSaveAnswer::Cancel};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    // Saving from the question clears it, and the read goes on.
    const std::string file = rig.Dir.Path + "/dat/edits.ats";
    rig.Dialogs.SaveAnswers = {TSaveAnswer::Save};
    rig.Dialogs.ExpectSave(file);
    w.Run(ECommand::ReadStation);
    w.ReadPanel()->SetAll(false);
    w.ReadPanel()->Box(4)->setChecked(true);
    w.ReadPanel()->ActionButton()->click();
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(rig.Dialogs.SaveQuestions.size(), 2U);
    EXPECT_FALSE(w.HasUnsavedEdits());
    EXPECT_TRUE(w.close());
}

TEST(MainWindow, WholeSessionReadEditWriteReachesTheStation) {
    test::TTempDir out;
    const std::string saved = out.Path + "/after.ats";
    TMainWindowRig rig({"--model", "Dogwood", "--save-on-exit", saved});
    TMainForm& w = rig.Open(EStartChoice::Station);
    const bool before = rig.Store().SystemSettings.SYS_UniformSLLoading;
    test::ToggleUniformLoading(w);
    w.Run(ECommand::WriteStation);
    // Only the edited table is offered.
    for (int i = 0; i < kTableCount; ++i)
        EXPECT_EQ(w.WritePanel()->Box(i)->isChecked(), i == 4) << i;
    w.WritePanel()->ActionButton()->click();
    EXPECT_EQ(w.ShownPanel(), nullptr);
    EXPECT_FALSE(w.HasUnsavedEdits());
    rig.Form.reset();
    rig.Sim->Stop();

    TScriptedDialogs quiet(false);
    TMainClass session(quiet, {out.Path, false, ""});
    TDataStream store(out.Path);
    TFileList file;
    TTableTicks all{};
    all.fill(true);
    ASSERT_TRUE(LoadConfiguration(session, store, file, all, saved));
    EXPECT_EQ(store.SystemSettings.SYS_UniformSLLoading, !before);
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

// The read asks about the clock from the station thread; the clock window opens on the window
// thread and sets the clock over the line the paused read holds, then the read goes on.
TEST(MainWindow, ClockQuestionDuringAReadOpensTheClockWindow) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Files);
    const auto ahead = std::chrono::hours(3);
    rig.Session().Now = [ahead] { return std::chrono::system_clock::now() + ahead; };
    rig.Dialogs.ExpectQuestion(
        "Время в АТС заметно отличается от времени в Вашем компьютере, "
        "переустановим время в АТС?",
        TAnswer::Ok);
    bool clockWindowSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* clock = qobject_cast<app::TClockForm*>(QApplication::activeModalWidget());
        if (clock == nullptr || clockWindowSeen) return;
        clockWindowSeen = true;
        clock->SetFromComputerButton()->click();
        clock->accept();
    });
    poll.start(20);
    w.Run(ECommand::ReadStation);
    w.ReadPanel()->ActionButton()->click();
    poll.stop();
    EXPECT_TRUE(clockWindowSeen);
    EXPECT_TRUE(rig.Session().DataPresent);
    EXPECT_EQ(w.ShownPanel(), nullptr);
    // The station now runs three hours ahead of the host, as the "computer" said.
    ASSERT_TRUE(rig.Session().ReadIdentification(false));
    rig.Session().DecodeIdentification(true);
    const double off = SecondsBetween(LocalDateTime(std::chrono::system_clock::now()),
                                      StationClockFromIdentification(rig.Session()));
    EXPECT_NEAR(off, 3 * 3600.0, 30.0);
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

// A file that lacks a table leaves a blank image of it; the write panel does not offer it, and
// ticking it anyway asks first. Cancel leaves it out of the write.
TEST(MainWindow, WritingATableTheFileDidNotHoldAsksFirst) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    const std::string file = rig.Dir.Path + "/dat/lines.ats";
    w.Run(ECommand::SaveFile);
    w.SavePanel()->SetAll(false);
    w.SavePanel()->Box(0)->setChecked(true);  // "Установки АЛ" only
    rig.Dialogs.ExpectSave(file);
    w.SavePanel()->ActionButton()->click();
    rig.Dialogs.ExpectOpen(file);
    w.Run(ECommand::LoadFile);
    w.LoadPanel()->SetAll(true);
    w.LoadPanel()->ActionButton()->click();
    ASSERT_EQ(w.ShownPanel(), nullptr);
    w.Run(ECommand::WriteStation);
    for (int i = 0; i < kTableCount; ++i)
        EXPECT_EQ(w.WritePanel()->Box(i)->isChecked(), i == 0) << i;
    w.WritePanel()->Box(4)->setChecked(true);  // "Общесистемные установки": blank after the load
    rig.Dialogs.ExpectQuestion("", TAnswer::Cancel);
    w.WritePanel()->ActionButton()->click();
    ASSERT_EQ(rig.Dialogs.Seen.back().Kind, "question");
    EXPECT_NE(rig.Dialogs.Seen.back().Text.find("Общесистемные установки"), std::string::npos)
        << rig.Dialogs.Seen.back().Text;
    EXPECT_EQ(w.ShownPanel(), nullptr);  // the lines went out
    EXPECT_TRUE(rig.Session().LoadedBlank[SelectionIndex(ETable::SystemSettings)]);
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

// The station goes away in the middle of a write: the message says what reached it.
TEST(MainWindow, WriteCutOffByThePortSaysWhatReachedTheStation) {
    TMainWindowRig rig({"--model", "Dogwood", "--wire-rate"});
    TMainForm& w = rig.Open(EStartChoice::Station);
    w.Run(ECommand::WriteStation);
    w.WritePanel()->SetAll(true);
    rig.Dialogs.ExpectMessage();
    QTimer::singleShot(1200, [&] { rig.Sim->Stop(); });
    w.WritePanel()->ActionButton()->click();
    ASSERT_EQ(rig.Dialogs.Seen.size(), 1U);
    const TSeenDialog& seen = rig.Dialogs.Seen.front();
    EXPECT_EQ(seen.Caption, "Ошибка");
    // The line went away with the simulator: that is said first, then what reached the
    // station, and the port is let go so the next action opens it afresh.
    const std::string device = rig.Session().Port.DevicePath();
    EXPECT_EQ(seen.Text.rfind("Последовательный порт " + device +
                                  " отключен (устройство извлечено?). Запись в АТС прервана "
                                  "ошибкой COM-порта.",
                              0),
              0U)
        << seen.Text;
    EXPECT_FALSE(rig.Session().Port.IsOpen());
    EXPECT_NE(seen.Text.find("Записаны в АТС: "), std::string::npos) << seen.Text;
    EXPECT_NE(seen.Text.find("часть таблиц новые, часть прежние"), std::string::npos);
    EXPECT_EQ(w.ShownPanel(), w.WritePanel());
    // The tables that did not go out stay offered.
    int offered = 0;
    for (int i = 0; i < kTableCount; ++i) offered += w.WritePanel()->Box(i)->isChecked() ? 1 : 0;
    EXPECT_GT(offered, 0);
    EXPECT_LT(offered, kTableCount);
}

// The adapter is pulled out during a read: the message names the device, the program lets go
// of the port and is ready again; plugged back in under the same path, the next read works.
TEST(MainWindow, AnAdapterPulledOutMidReadIsNamedAndTheNextReadWorksWhenItIsBack) {
    TMainWindowRig rig({"--model", "Cedar", "--unplug-in", "4C", "--replug-after", "400"});
    TMainForm& w = rig.Open(EStartChoice::Files);
    // The status bar shows the port, and a screen reader hears it.
    EXPECT_EQ(w.PortLabel()->text(), "Порт: COM3");
    EXPECT_EQ(w.PortLabel()->accessibleName(), w.PortLabel()->text());
    const std::string device = rig.Session().Port.DevicePath();
    w.Run(ECommand::ReadStation);
    w.ReadPanel()->SetAll(true);
    rig.Dialogs.ExpectMessage("Последовательный порт " + device +
                              " отключен (устройство извлечено?).");
    w.ReadPanel()->ActionButton()->click();
    EXPECT_TRUE(rig.Dialogs.AllSeen());
    EXPECT_FALSE(rig.Session().Port.IsOpen());
    EXPECT_FALSE(rig.Session().DataPresent);
    EXPECT_EQ(w.ShownPanel(), w.ReadPanel());

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(rig.Sim->LinkPath()) &&
           std::chrono::steady_clock::now() < until)
        QTest::qWait(20);
    w.ReadPanel()->ActionButton()->click();
    EXPECT_TRUE(rig.Session().DataPresent);
    EXPECT_EQ(w.ShownPanel(), nullptr);
    EXPECT_TRUE(rig.Dialogs.AllSeen());
}

TEST(MainWindow, EveryCommandIsNamedAndOpensAWindowOfItsOwn) {
    TMainWindowRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    w.UpdateCommands();
    for (int c = 0; c <= static_cast<int>(ECommand::Archive); ++c) {
        QAction* a = w.Action(static_cast<ECommand>(c));
        ASSERT_NE(a, nullptr) << c;
        EXPECT_FALSE(a->text().trimmed().isEmpty()) << c;
        EXPECT_FALSE(a->toolTip().isEmpty()) << a->text().toStdString();
        // With a whole station read, every command but those a capability entry turns off is on.
        if (static_cast<ECommand>(c) != ECommand::Conferences &&
            static_cast<ECommand>(c) != ECommand::BlackWhiteLists) {
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
        }
    }
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Zarnik 1.38"));
    for (app::TTablePanel* p : {w.ReadPanel(), w.WritePanel(), w.LoadPanel(), w.SavePanel()})
        for (auto* b : p->findChildren<QAbstractButton*>()) {
            EXPECT_EQ(b->accessibleName(), b->text());
            EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << b->text().toStdString();
        }
    EXPECT_LE(w.frameGeometry().width(), 1366);
    EXPECT_LE(w.frameGeometry().height(), 768);
}

}  // namespace
}  // namespace zarnik
