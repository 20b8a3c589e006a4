#pragma once
// TMainForm: the main window. It owns the session, the file buffer and the store, shows the
// identity of the configuration in hand, and offers every command through the menus, the
// toolbar and four task panels (read from the station, write to it, load a file, save a file).

#include <QLabel>
#include <QMainWindow>
#include <QStackedWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/app_context.h"
#include "app/qt_dialogs.h"
#include "app/startup_form.h"
#include "app/station_worker.h"
#include "app/table_panel.h"
#include "editors/main_window_rules.h"
#include "files/file_list.h"
#include "flows/auto_backup.h"

namespace zarnik::app {

struct TArchiveRequest;

struct TMainFormOptions {
    std::string BaseDir;       // working directory: "dat", names, options; "" the current one
    std::string PortOverride;  // a port to use instead of the options file (--demo, --port)
    // Skips the start-up choice window (scripted runs and tests).
    std::optional<EStartChoice> StartChoice;
    // A configuration file to load at start instead of asking (the program's FILE argument).
    std::string OpenFile;
    TUserDialogs* Dialogs = nullptr;  // null: Qt message boxes
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(TMainFormOptions options, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Creates session, file buffer and store and runs the start-up choice. Runs by itself when
    // the window is first shown; a second call does nothing.
    void Start();

    const TAppContext& Context() const { return Ctx; }
    QAction* Action(ECommand c) const { return Actions.at(c); }
    QAction* ToolAction(ECommand c) const;
    TTablePanel* ReadPanel() const { return ReadPnl; }
    TTablePanel* WritePanel() const { return WritePnl; }
    TTablePanel* LoadPanel() const { return LoadPnl; }
    TTablePanel* SavePanel() const { return SavePnl; }
    TTablePanel* ShownPanel() const;
    QLabel* StatusLine(int i) const { return Lines[static_cast<std::size_t>(i)]; }
    QLabel* PortLabel() const { return PortText; }

    // Edits neither saved to a file nor written to the station since the last read, load,
    // save or write.
    bool HasUnsavedEdits() const;
    // Enabling of the menu entries and toolbar buttons, as when a menu opens.
    void UpdateCommands();

    // The commands, as the menu and the toolbar run them.
    void Run(ECommand c);

Q_SIGNALS:
    // The start-up choice and its read are over; the window is ready for the user.
    void startFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Guarded(const std::function<void()>& action);
    void BuildMenus();
    void BuildToolbar();
    void BuildCentre();
    QAction* AddCommand(QMenu* menu, ECommand c, const QString& caption);

    // Start-up.
    void StartupRead();
    void WorkWithFiles();

    // Panels and their flows.
    void ShowPanel(TTablePanel* panel);
    void HidePanels();
    void OnRead();
    void OnWrite();
    void OnLoad();
    // The load flow of "Загрузить из файла" once the file and its tables are chosen: true when
    // the file is in hand; otherwise its message was shown and nothing changed.
    bool LoadFile(const std::string& name, const TTableTicks& ticks);
    // "Архив станций": opening a file shows the load panel with it; restoring loads the file
    // and writes what it holds to its station, after checking that station is on the line.
    void OpenArchive();
    void RestoreFromArchive(const TArchiveRequest& request);
    void OnSave();
    void OpenWritePanel();
    void ChooseFileToLoad();
    // Reopens the port and checks the link before a read or write; false after the message.
    bool PrepareLink(bool forWrite, TTablePanel* panel);
    // ReadAll on the worker: the configuration in hand is kept whole when the read is stopped
    // or ends the way the program used to end. Returns ReadAll's result, or nullopt then.
    std::optional<int> ReadStation(TProgress& progress);

    // Unsaved edits: true when the action may go on (saved or discarded), false to stop.
    bool ConfirmDiscard();
    bool SaveEverything();
    void MarkClean();

    // After a read: its backup under "dat/auto" (when switched on) and its journal record.
    void SaveReadBackup();

    void FillStatusLines();
    void RefreshSummary();
    void ShowPortName();
    void ReleaseGonePort();
    void ClearStatusLines();
    void OpenClockWindow(bool calendarToday);
    void OpenWindow(ECommand c);
    void ShowPortFailure(const std::string& message, const ECommError& e);

    TMainFormOptions Options;
    std::unique_ptr<TQtDialogs> QtDialogs;
    TStationWorker Worker;
    std::unique_ptr<TMainClass> Session;
    std::unique_ptr<TFileList> File;
    TAppContext Ctx;
    bool Started = false;
    std::uint64_t CleanFingerprint = 0;
    TBackupRecord Backups;            // what this run has backed up, station by station
    std::vector<ETable> ReadFailed;  // tables the last read did not get

    std::map<ECommand, QAction*> Actions;
    std::map<ECommand, QAction*> ToolActions;
    std::array<QLabel*, 4> Lines{};
    QLabel* PortText = nullptr;
    QStackedWidget* Stack = nullptr;
    QWidget* Home = nullptr;
    TTablePanel* ReadPnl = nullptr;
    TTablePanel* WritePnl = nullptr;
    TTablePanel* LoadPnl = nullptr;
    TTablePanel* SavePnl = nullptr;
};

}  // namespace zarnik::app
