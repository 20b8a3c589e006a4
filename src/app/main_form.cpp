#include "app/main_form.h"

#include "app/window_table.h"
#include "app/archive_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "editors/options_editing.h"
#include "flows/config_snapshot.h"
#include "flows/read_write_all.h"
#include "flows/station_archive.h"
#include "flows/station_journal.h"
#include "flows/status_lines.h"
#include "flows/verified_write.h"
#include "model/program_options.h"
#include "platform/file_system.h"

namespace zarnik::app {

namespace {

constexpr const char* kConfigFilter = "Файлы конфигурации мини-АТС|*.ats";

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TMainForm::TMainForm(TMainFormOptions options, QWidget* parent)
    : QMainWindow(parent), Options(std::move(options)) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setAccessibleName(windowTitle());
    QtDialogs = std::make_unique<TQtDialogs>(this);
    Ctx.Dialogs = Options.Dialogs != nullptr ? Options.Dialogs : QtDialogs.get();
    Ctx.Worker = &Worker;
    BuildMenus();
    BuildToolbar();
    BuildCentre();
    // Labels that show a value keep no accessible name of their own: a screen reader then
    // announces their whole current text ("Порт: COM3"), not a caption.
    PortText = new QLabel(this);
    PortText->setObjectName(QStringLiteral("Порт"));
    statusBar()->addPermanentWidget(PortText);
    UpdateCommands();
    resize(820, 600);
}

TMainForm::~TMainForm() {
    // The session closes the port; a flow still waiting cannot be running here, since closing
    // is refused while the worker is busy.
    if (Session) Session->OpenClockWindow = nullptr;
}

QAction* TMainForm::AddCommand(QMenu* menu, ECommand c, const QString& caption) {
    auto* a = menu->addAction(caption);
    a->setObjectName(caption.trimmed());
    connect(a, &QAction::triggered, this, [this, c] { Run(c); });
    Actions[c] = a;
    return a;
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setAccessibleName(QStringLiteral("Меню"));
    QMenu* files = bar->addMenu(QStringLiteral("Файлы и АТС        "));
    AddCommand(files, ECommand::CreateFile, QStringLiteral("Создать файл"))
        ->setShortcut(QKeySequence::New);
    AddCommand(files, ECommand::LoadFile, QStringLiteral("Загрузить из файла"))
        ->setShortcut(QKeySequence::Open);
    AddCommand(files, ECommand::SaveFile, QStringLiteral("Записать в файл"))
        ->setShortcut(QKeySequence::Save);
    AddCommand(files, ECommand::ReadStation, QStringLiteral("Считать из АТС"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    AddCommand(files, ECommand::WriteStation, QStringLiteral("Записать в АТС"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    AddCommand(files, ECommand::Report, QStringLiteral("Выдать отчет о конфигурации в файл"));
    AddCommand(files, ECommand::CompareFile, QStringLiteral("Сравнить с файлом..."));
    AddCommand(files, ECommand::DirectoryExport, QStringLiteral("Экспорт справочника..."));
    AddCommand(files, ECommand::DirectoryImport, QStringLiteral("Импорт справочника..."));
    AddCommand(files, ECommand::Archive, QStringLiteral("Архив станций"));
    files->addSeparator();
    AddCommand(files, ECommand::Exit, QStringLiteral("Выход"))->setShortcut(QKeySequence::Quit);

    QMenu* lines = bar->addMenu(QStringLiteral("АЛ и СЛ        "));
    AddCommand(lines, ECommand::GroupsLines, QStringLiteral("Группы, АЛ и СЛ"));
    AddCommand(lines, ECommand::TrunksBulk, QStringLiteral("Одновременное программирование СЛ"));
    AddCommand(lines, ECommand::ProgramNumbers, QStringLiteral("Программные номера"));
    AddCommand(lines, ECommand::Redirections, QStringLiteral("Таблица переадресаций"));
    AddCommand(lines, ECommand::RoutingTables, QStringLiteral("Таблицы наведения"));
    AddCommand(lines, ECommand::CrossConnect, QStringLiteral("Программная перекроссировка АЛ и СЛ"));

    QMenu* devices = bar->addMenu(QStringLiteral("ГГС, СТА, Домофоны        "));
    AddCommand(devices, ECommand::Loudspeakers, QStringLiteral("ГГС"));
    AddCommand(devices, ECommand::DoorPhones, QStringLiteral("Домофоны"));
    AddCommand(devices, ECommand::StaButtons, QStringLiteral("Программирование кнопок СТА"));
    AddCommand(devices, ECommand::Conferences, QStringLiteral("Программирование конференций"));

    QMenu* misc = bar->addMenu(QStringLiteral("Разное        "));
    AddCommand(misc, ECommand::SystemSettings, QStringLiteral("Общесистемные установки"));
    AddCommand(misc, ECommand::TimeSettings, QStringLiteral("Временные установки"));
    AddCommand(misc, ECommand::StationClock, QStringLiteral("Установка времени и даты"));
    AddCommand(misc, ECommand::GlobalPhoneBook, QStringLiteral("Общая записная книжка"));
    AddCommand(misc, ECommand::GroupPhoneBooks, QStringLiteral("Групповые записные книжки"));
    AddCommand(misc, ECommand::BlackWhiteLists, QStringLiteral("Черные и белые списки"));
    AddCommand(misc, ECommand::Clearing, QStringLiteral("Чистка установок"));
    AddCommand(misc, ECommand::Composition, QStringLiteral("Состав АТС"));

    QMenu* settings = bar->addMenu(QStringLiteral("Настройки"));
    AddCommand(settings, ECommand::Options, QStringLiteral("Опции программы"));

    QMenu* help = bar->addMenu(QStringLiteral("     Помощь"));
    AddCommand(help, ECommand::About, QStringLiteral("О программе"));
    AddCommand(help, ECommand::Help, QStringLiteral("Справка"))->setShortcut(QKeySequence::HelpContents);

    for (QMenu* m : {files, lines, devices, misc, settings, help}) {
        m->setAccessibleName(m->title());
        m->setToolTipsVisible(true);
        connect(m, &QMenu::aboutToShow, this, &TMainForm::UpdateCommands);
    }
    // F10 opens the menu bar, as in other desktop programs.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this, files] {
        menuBar()->setFocus();
        menuBar()->setActiveAction(files->menuAction());
    });
}

QAction* TMainForm::ToolAction(ECommand c) const {
    const auto it = ToolActions.find(c);
    return it == ToolActions.end() ? nullptr : it->second;
}

void TMainForm::BuildToolbar() {
    QToolBar* tools = addToolBar(QStringLiteral("Панель инструментов"));
    tools->setAccessibleName(tools->windowTitle());
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonIconOnly);
    struct TTool {
        ECommand Command;
        QStyle::StandardPixmap Icon;
    };
    const TTool kTools[] = {
        {ECommand::CreateFile, QStyle::SP_FileIcon},
        {ECommand::LoadFile, QStyle::SP_DialogOpenButton},
        {ECommand::SaveFile, QStyle::SP_DialogSaveButton},
        {ECommand::ReadStation, QStyle::SP_ArrowDown},
        {ECommand::WriteStation, QStyle::SP_ArrowUp},
        {ECommand::GroupsLines, QStyle::SP_FileDialogDetailedView},
        {ECommand::TrunksBulk, QStyle::SP_FileDialogListView},
    };
    for (const TTool& t : kTools) {
        const QString caption = Actions.at(t.Command)->text();
        auto* a = tools->addAction(style()->standardIcon(t.Icon), caption);
        a->setToolTip(caption);
        connect(a, &QAction::triggered, this, [this, c = t.Command] { Run(c); });
        ToolActions[t.Command] = a;
        if (QWidget* w = tools->widgetForAction(a)) w->setAccessibleName(caption);
    }
}

void TMainForm::BuildCentre() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* lines = new QFrame(central);
    lines->setFrameShape(QFrame::StyledPanel);
    auto* linesLayout = new QVBoxLayout(lines);
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        Lines[i] = new QLabel(lines);
        Lines[i]->setObjectName(QStringLiteral("Строка состояния %1").arg(i + 1));
        Lines[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        linesLayout->addWidget(Lines[i]);
    }
    layout->addWidget(lines);
    ClearStatusLines();

    Stack = new QStackedWidget(central);
    auto* summary = new QLabel(Stack);
    summary->setWordWrap(true);
    summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setMargin(8);
    summary->setObjectName(QStringLiteral("Сводка"));
    Home = summary;
    Stack->addWidget(Home);
    ReadPnl = new TTablePanel({QStringLiteral("Чтение данных из АТС"),
                               QStringLiteral("Считать из АТС"), true, false},
                              Stack);
    WritePnl = new TTablePanel({QStringLiteral("Запись данных в АТС"),
                                QStringLiteral("Записать в АТС"), true, false},
                               Stack);
    LoadPnl = new TTablePanel({QStringLiteral("Чтение данных из файла"),
                               QStringLiteral("Прочитать файл"), false, true},
                              Stack);
    SavePnl = new TTablePanel({QStringLiteral("Запись данных в файл"),
                               QStringLiteral("Записать в файл"), false, false},
                              Stack);
    for (TTablePanel* p : {ReadPnl, WritePnl, LoadPnl, SavePnl}) {
        Stack->addWidget(p);
        connect(p, &TTablePanel::leaveRequested, this, &TMainForm::HidePanels);
        if (p->CancelButton() != nullptr) {
            Worker.AllowDuringJob(p->CancelButton());
            connect(p, &TTablePanel::cancelRequested, this, [this] { Worker.RequestCancel(); });
        }
    }
    connect(ReadPnl, &TTablePanel::actionRequested, this, [this] { Guarded([this] { OnRead(); }); });
    connect(WritePnl, &TTablePanel::actionRequested, this,
            [this] { Guarded([this] { OnWrite(); }); });
    connect(LoadPnl, &TTablePanel::actionRequested, this, [this] { Guarded([this] { OnLoad(); }); });
    connect(SavePnl, &TTablePanel::actionRequested, this, [this] { Guarded([this] { OnSave(); }); });
    layout->addWidget(Stack, 1);
    setCentralWidget(central);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Started) QTimer::singleShot(0, this, &TMainForm::Start);
}

void TMainForm::Start() {
    if (Started) return;
    Started = true;
    TSessionSetup setup;
    setup.BaseDir = Options.BaseDir;
    setup.PortOverride = Options.PortOverride;
    try {
        Session = std::make_unique<TMainClass>(*Ctx.Dialogs, setup);
    } catch (const TExitProgram& e) {
        // Without its "dat" directory the program cannot keep anything: it ends here.
        QTimer::singleShot(0, qApp, [code = e.Code] { QCoreApplication::exit(code); });
        return;
    }
    Session->Frames.CancelFlag = Worker.CancelFlag();
    Session->JournalProgram = "zarnik";
    // The exchange trace switched on in the options window runs from the start.
    if (LoadSafetyOptions(Session->BaseDir).TraceExchange &&
        !ApplyTraceSwitch(*Session, true, Session->BaseDir))
        Ctx.Dlg().Message("Не могу создать файл трассировки " + TraceFilePath(Session->BaseDir) +
                              ".",
                          "Ошибка");
    Session->OpenClockWindow = [this](TMainClass&) {
        // Asked by the read on the worker: the window opens on the window thread.
        if (QThread::currentThread() == thread())
            OpenClockWindow(false);
        else
            QMetaObject::invokeMethod(this, [this] { OpenClockWindow(false); },
                                      Qt::BlockingQueuedConnection);
    };
    File = std::make_unique<TFileList>();
    Ctx.Session = Session.get();
    Ctx.StartDir = Session->BaseDir;
    Ctx.Store = std::make_shared<TDataStream>(Session->BaseDir);
    ShowPortName();
    setWindowTitle(QString::fromUtf8(kAppTitle));
    // The adapter the options name is not plugged in (already said): ask for a port.
    if (Session->StoredPortMissing && !Options.StartChoice) {
        OpenWindow(ECommand::Options);
        try {
            Session->OpenPort();  // the port chosen there, for the read that follows
        } catch (const ECommError&) {
            // Not there either: the read below says there is no link.
        }
    }

    if (!Options.OpenFile.empty()) {
        // Opened with a file (from the file manager): no question; a file that cannot be
        // loaded has said why, and the program starts empty.
        WorkWithFiles();
        TTableTicks all{};
        all.fill(true);
        Guarded([this, &all] { LoadFile(Options.OpenFile, all); });
        Q_EMIT startFinished();
        return;
    }
    EStartChoice choice = EStartChoice::Station;
    if (Options.StartChoice) {
        choice = *Options.StartChoice;
    } else {
        TStartupChoiceForm form(this);
        form.exec();
        choice = form.Choice();
    }
    if (choice == EStartChoice::Files)
        WorkWithFiles();
    else
        StartupRead();
    Q_EMIT startFinished();
}

void TMainForm::WorkWithFiles() {
    Session->DataPresent = false;
    ClearStatusLines();
    UpdateCommands();
}

void TMainForm::StartupRead() {
    if (!Session->Port.IsOpen()) {
        // The port named in the options could not be opened (already said): nothing to read.
        Ctx.Dlg().Message("Нет связи со станцией.", "");
        WorkWithFiles();
        return;
    }
    TReadingProgressForm progressForm(this);
    Worker.AllowDuringJob(progressForm.CancelButton());
    connect(&progressForm, &TReadingProgressForm::cancelRequested, this,
            [this] { Worker.RequestCancel(); });
    progressForm.show();
    Ctx.D().TransferFlags.fill(true);
    TBarProgress progress(progressForm.Bar());
    const std::optional<int> result = ReadStation(progress);
    progressForm.close();
    if (!result) {
        WorkWithFiles();
        return;
    }
    if (*result == -1) {
        Session->DataPresent = false;
        Ctx.Dlg().Message("Нет связи со станцией.", "");
        UpdateCommands();
        return;
    }
    if (*result == -2) {
        Ctx.Dlg().Message("Zarnik_M работает с версиями рабочей программы от 22.9 и выше.", "");
        WorkWithFiles();
        return;
    }
    if (*result < 0) {
        Ctx.Dlg().Message("Неизвестная ошибка при чтении АТС.", "");
        WorkWithFiles();
        return;
    }
    Session->DataPresent = true;
    FillStatusLines();
    MarkClean();
    SaveReadBackup();
    UpdateCommands();
}

std::optional<int> TMainForm::ReadStation(TProgress& progress) {
    const TConfigSnapshot before(*Session, Ctx.D());
    int result = 0;
    try {
        Worker.Run([&] { result = ReadAll(*Session, progress, Ctx.D(), &ReadFailed); });
        return result;
    } catch (const ECancelled&) {
        before.Restore(*Session, Ctx.D());
        Ctx.Dlg().Message("Чтение прервано. Данные в программе остались прежними.",
                          "Уведомление");
    } catch (const TExitProgram&) {
        // The station stopped answering a status table; its message has been shown. Ending
        // the program would throw away the configuration in hand, so it stays as it was.
        before.Restore(*Session, Ctx.D());
    } catch (const ECommError& e) {
        before.Restore(*Session, Ctx.D());
        ShowPortFailure("Нет связи со станцией.", e);
    }
    return std::nullopt;
}

void TMainForm::SaveReadBackup() {
    const bool backup = LoadSafetyOptions(Session->BaseDir).AutoBackup;
    const TBackupOutcome saved = FinishStationRead(*Session, Ctx.D(), Backups, ReadFailed, backup);
    if (saved.Kind == TBackupOutcome::EKind::Failed)
        Ctx.Dlg().Message("Резервная копия конфигурации АТС не сохранена: " + saved.Why + ".",
                          "Предупреждение");
}

void TMainForm::ShowPortFailure(const std::string& message, const ECommError& e) {
    if (e.Gone) {
        // The device went away: let go of it, so that the next action opens it afresh once
        // it is back (under the same stable path, however the system numbers it).
        ReleaseGonePort();
        Ctx.Dlg().Message(PortGoneText(e, Session->Port.DevicePath()), "Ошибка");
        return;
    }
    std::string text = WithPortOpenReason(message, e, Session->Port.DevicePath());
    if (text == message) text += " (ошибка COM-порта, код " + std::to_string(e.Code) + ")";
    Ctx.Dlg().Message(text, "Ошибка");
}

// --- commands -------------------------------------------------------------------------

void TMainForm::UpdateCommands() {
    RefreshSummary();
    for (auto& [c, a] : Actions) {
        const bool on = Session && MenuEnabled(c, *Session);
        a->setEnabled(on);
    }
    for (auto& [c, a] : ToolActions)
        a->setEnabled(Session && ToolbarEnabled(c, *Session));
}

void TMainForm::RefreshSummary() {
    if (!Session) return;
    QString text;
    for (const std::string& line : ConfigurationSummary(*Session, Ctx.D()))
        text += Q(line) + QLatin1Char('\n');
    text += QStringLiteral("\nКоманды — в меню и на панели инструментов: \"Считать из АТС\", "
                           "\"Записать в АТС\", \"Загрузить из файла\", \"Записать в файл\".");
    static_cast<QLabel*>(Home)->setText(text);
}

void TMainForm::Run(ECommand c) {
    if (Worker.Busy()) return;
    if (!Session && c != ECommand::Exit) return;
    // Enabling is recomputed when a menu opens; a shortcut may come before that.
    if (c != ECommand::Exit && !MenuEnabled(c, *Session)) return;
    Guarded([this, c] {
        switch (c) {
            case ECommand::LoadFile:
                ChooseFileToLoad();
                break;
            case ECommand::SaveFile:
                SavePnl->SetStatus({});
                ShowPanel(SavePnl);
                break;
            case ECommand::ReadStation:
                ReadPnl->Bar()->setValue(0);
                ReadPnl->SetStatus({});
                ShowPanel(ReadPnl);
                break;
            case ECommand::WriteStation:
                OpenWritePanel();
                break;
            case ECommand::Archive:
                OpenArchive();
                break;
            case ECommand::Exit:
                close();
                break;
            default:
                OpenWindow(c);
                break;
        }
    });
}

void TMainForm::Guarded(const std::function<void()>& action) {
    // Whatever an action throws ends here, never in the event loop; the configuration in hand
    // is worth more than the action, so the program goes on.
    try {
        action();
    } catch (const TExitProgram&) {
        // Its message has been shown.
    } catch (const ECommError& e) {
        ShowPortFailure("Ошибка COM-порта.", e);
    } catch (const std::exception& e) {
        Ctx.Dlg().Message(e.what(), "Ошибка");
    }
    UpdateCommands();
}

void TMainForm::OpenWindow(ECommand c) {
    switch (c) {
        case ECommand::StationClock:
            OpenClockWindow(true);
            return;
        case ECommand::Options:
            OpenCommandWindow(c, Ctx, this);
            ShowPortName();
            return;
        case ECommand::CreateFile:
            // A new configuration replaces the one in hand.
            if (!ConfirmDiscard()) return;
            if (OpenCommandWindow(c, Ctx, this)) {
                // A built station has no name and no call-accounting buffer, as a file has not.
                const auto lines = LoadedStatusLines(Ctx.D());
                for (std::size_t i = 0; i < Lines.size(); ++i) Lines[i]->setText(Q(lines[i]));
                MarkClean();
            }
            return;
        default:
            OpenCommandWindow(c, Ctx, this);
            return;
    }
}

void TMainForm::OpenClockWindow(bool calendarToday) { OpenStationClockWindow(Ctx, calendarToday, this); }

// --- panels -----------------------------------------------------------------------------

void TMainForm::ShowPanel(TTablePanel* panel) {
    Stack->setCurrentWidget(panel);
    panel->Box(0)->setFocus();
}

void TMainForm::HidePanels() {
    Stack->setCurrentWidget(Home);
    UpdateCommands();
}

TTablePanel* TMainForm::ShownPanel() const {
    QWidget* w = Stack->currentWidget();
    return w == Home ? nullptr : static_cast<TTablePanel*>(w);
}

void TMainForm::OpenWritePanel() {
    WritePnl->SetTicks(TicksFromChangeFlags(*Session));
    WritePnl->Bar()->setValue(0);
    WritePnl->SetStatus({});
    ShowPanel(WritePnl);
}

void TMainForm::ChooseFileToLoad() {
    const std::string dat =
        Session->BaseDir + "/" + ResolveCaseInsensitive(Session->BaseDir, "dat");
    const std::optional<std::string> name =
        Ctx.Dlg().OpenFile("Открытие файла конфигурации мини-АТС", kConfigFilter, dat);
    if (!name) return;
    LoadPnl->SetFileName(Q(*name));
    LoadPnl->SetStatus({});
    ShowPanel(LoadPnl);
}

bool TMainForm::PrepareLink(bool forWrite, TTablePanel* panel) {
    const bool wasOpen = Session->Port.IsOpen();
    try {
        if (wasOpen) Session->Port.Close();
        Session->Port.SetPortName(Session->PortName);
        Session->Port.Open(Session->PortName);
    } catch (const ECommError& e) {
        // The program used to end here; the configuration in hand is worth more than that.
        std::string text;
        if (forWrite)
            text = wasOpen ? "Исключение! Какая-то ...проблема при открытии СОМ-порта (3)."
                           : "Исключение! Какая-то проблема при открытии СОМ-порта.(2)";
        else
            text = wasOpen ? "Исключение! Возникла проблема при открытии СОМ-порта. Проверьте "
                             "номер СОМ-порта и не открыт-ли он другой программой. (3)."
                           : "Исключение! Возникла проблема при открытии СОМ-порта. Проверьте "
                             "номер СОМ-порта и не открыт-ли он другой программой. (2)";
        Ctx.Dlg().Message(WithPortOpenReason(text, e, Session->Port.DevicePath()), "");
        panel->SetStatus(QStringLiteral("Порт %1 не открыт.").arg(Q(Session->PortName)));
        return false;
    }
    if (wasOpen) return true;
    int link = -1;
    Worker.Run([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        link = Session->CheckLink();
    });
    if (link > 0) return true;
    Ctx.Dlg().Message(Session->PortName + " : нет связи с АТС.", "");
    panel->SetStatus(QStringLiteral("Нет связи с АТС."));
    return false;
}

void TMainForm::OnRead() {
    const TTableTicks ticks = ReadPnl->Ticks();
    if (std::none_of(ticks.begin(), ticks.end(), [](bool b) { return b; })) {
        Ctx.Dlg().Message("Не отмечено ни одной таблицы.", "");
        return;
    }
    if (!ConfirmDiscard()) return;
    Ctx.D().TransferFlags = ticks;
    ReadPnl->SetBusy(true);
    const auto done = [this] { ReadPnl->SetBusy(false); };
    try {
        if (!PrepareLink(false, ReadPnl)) {
            done();
            return;
        }
    } catch (const ECancelled&) {
        done();
        return;
    }
    ReadPnl->Bar()->setValue(0);
    TBarProgress progress(ReadPnl->Bar());
    const std::optional<int> result = ReadStation(progress);
    done();
    if (!result) {
        ReadPnl->SetStatus(QStringLiteral("Чтение не выполнено."));
        return;
    }
    if (*result < 0) {
        Ctx.Dlg().Message("Нет связи со станцией.", "");
        ReadPnl->SetStatus(QStringLiteral("Нет связи со станцией."));
        return;
    }
    Session->DataPresent = true;
    FillStatusLines();
    MarkClean();
    SaveReadBackup();
    HidePanels();
}

void TMainForm::OnWrite() {
    TTableTicks ticks = WritePnl->Ticks();
    if (std::none_of(ticks.begin(), ticks.end(), [](bool b) { return b; })) {
        Ctx.Dlg().Message("Не отмечено ни одной таблицы или АТС сменили во время работы с "
                          "программой",
                          "Предупреждение");
        return;
    }
    // A table the loaded file did not hold would go out as a blank image and empty the
    // station's table: only on an explicit yes.
    const std::vector<ETable> blank = BlankTablesForWrite(*Session, ticks);
    if (!blank.empty() &&
        Ctx.Dlg().Question(BlankTablesQuestion(blank), "Предупреждение") != TAnswer::Ok) {
        for (const ETable t : blank) ticks[static_cast<std::size_t>(SelectionIndex(t))] = false;
        WritePnl->SetTicks(ticks);
        if (std::none_of(ticks.begin(), ticks.end(), [](bool b) { return b; })) return;
    }
    Ctx.D().TransferFlags = ticks;
    WritePnl->SetBusy(true);
    const auto done = [this] { WritePnl->SetBusy(false); };
    try {
        if (!PrepareLink(true, WritePnl)) {
            done();
            return;
        }
    } catch (const ECancelled&) {
        done();
        return;
    }
    WritePnl->Bar()->setValue(0);
    TBarProgress progress(WritePnl->Bar());
    std::vector<ETable> failed;
    std::vector<ETable> written;
    std::vector<ETable> chosen;
    int result = 0;
    EWriteEnd end = EWriteEnd::Completed;
    bool stoppedBeforeTables = false;
    std::string gone;  // what happened to the port, said before what reached the station
    const TSafetyOptions options = LoadSafetyOptions(Session->BaseDir);
    TSafeWriteOutcome safety;
    try {
        Worker.Run([&] {
            chosen = TablesWriteAllSends(*Session, Ctx.D());
            result = WriteAllSafely(*Session, progress, Ctx.D(),
                                    {options.AutoBackup, options.VerifyWrites, &Backups}, safety,
                                    &failed, &written);
        });
        if (result == kWriteCancelled) end = EWriteEnd::Cancelled;
    } catch (const ECommError& e) {
        end = EWriteEnd::PortFailed;
        gone = PortGoneText(e, Session->Port.DevicePath());
        if (e.Gone) ReleaseGonePort();
    } catch (const ECancelled&) {
        stoppedBeforeTables = true;
    }
    done();
    if (stoppedBeforeTables) {
        Ctx.Dlg().Message("Запись прервана до передачи таблиц: в АТС ничего не записано.",
                          "Уведомление");
        WritePnl->SetStatus(QStringLiteral("Запись прервана."));
        return;
    }
    if (end != EWriteEnd::Completed) {
        const std::string text =
            (gone.empty() ? "" : gone + " ") + WriteEndedEarlyText(end, chosen, written);
        Ctx.Dlg().Message(text, end == EWriteEnd::PortFailed ? "Ошибка" : "Уведомление");
        // What did not go out stays ticked for the next try.
        for (const ETable t : written) ticks[static_cast<std::size_t>(SelectionIndex(t))] = false;
        WritePnl->SetTicks(ticks);
        WritePnl->SetStatus(Q(text));
        return;
    }
    if (result == kWriteNoBackup) {
        WritePnl->SetStatus(QStringLiteral("Запись не выполнена: нет резервной копии таблиц АТС."));
        return;
    }
    const std::string verifyText = VerifyReportText(safety.Verify);
    if (!verifyText.empty()) Ctx.Dlg().Message(verifyText, "Ошибка");
    if (result == kWriteOtherStation) {
        // Its message has been shown; nothing was sent.
        WritePnl->SetStatus(QStringLiteral("Запись не выполнена: на линии другая АТС."));
        return;
    }
    if (result != 1) {
        Ctx.Dlg().Message("Нет связи с АТС", "Ошибка");
        WritePnl->SetStatus(QStringLiteral("Запись не выполнена полностью."));
        HidePanels();
        return;
    }
    if (!verifyText.empty()) {
        // What did not read back as sent stays ticked for the next try.
        WritePnl->SetTicks(TicksFromChangeFlags(*Session));
        WritePnl->SetStatus(Q(verifyText));
        return;
    }
    const bool anyChanged = std::any_of(kAllTables.begin(), kAllTables.end(),
                                        [this](ETable t) { return Session->Changed(t); });
    if (!anyChanged) MarkClean();
    HidePanels();
}

void TMainForm::OnLoad() {
    const TTableTicks ticks = LoadPnl->Ticks();
    if (std::none_of(ticks.begin(), ticks.end(), [](bool b) { return b; })) {
        Ctx.Dlg().Message("Не отмечено ни одной таблицы.", "");
        return;
    }
    if (!ConfirmDiscard()) return;
    if (!LoadFile(LoadPnl->FileName().toStdString(), ticks)) {
        LoadPnl->SetStatus(QStringLiteral("Файл не прочитан."));
        return;
    }
    HidePanels();
    UpdateCommands();
}

bool TMainForm::LoadFile(const std::string& name, const TTableTicks& ticks) {
    const TConfigSnapshot before(*Session, Ctx.D());
    bool loaded = false;
    try {
        loaded = LoadConfiguration(*Session, Ctx.D(), *File, ticks, name);
    } catch (const TExitProgram&) {
        // A file of an unknown station ended the program once; the configuration in hand stays.
        before.Restore(*Session, Ctx.D());
    }
    if (!loaded) return false;
    const auto lines = LoadedStatusLines(Ctx.D());
    for (std::size_t i = 0; i < Lines.size(); ++i) Lines[i]->setText(Q(lines[i]));
    Session->DataPresent = true;
    MarkClean();
    UpdateCommands();
    return true;
}

void TMainForm::OpenArchive() {
    std::optional<TArchiveRequest> request;
    {
        TArchiveForm form(Ctx, this);
        form.exec();
        request = form.Request();
    }
    if (!request) return;
    if (request->Action == TArchiveRequest::EAction::Open) {
        // The load panel with the file chosen: the tables to take and the questions as always.
        LoadPnl->SetFileName(Q(request->Path));
        LoadPnl->SetStatus({});
        ShowPanel(LoadPnl);
        return;
    }
    RestoreFromArchive(*request);
}

void TMainForm::RestoreFromArchive(const TArchiveRequest& request) {
    // A file goes back only to the station it was taken from; nothing changes until that is
    // known.
    if (!ConfirmDiscard()) return;
    OpenWritePanel();
    try {
        if (!PrepareLink(true, WritePnl)) return;
        std::optional<std::string> serial;
        Worker.Run([&] { serial = SerialOnLine(*Session, Ctx.D()); });
        if (!serial) {
            Ctx.Dlg().Message("Нет связи с АТС", "Ошибка");
            WritePnl->SetStatus(QStringLiteral("Нет связи с АТС."));
            return;
        }
        if (*serial != request.Serial) {
            const std::string text = OtherStationOnLineText(request.Serial, *serial);
            Ctx.Dlg().Message(text, "Ошибка");
            WritePnl->SetStatus(Q(text));
            return;
        }
    } catch (const ECancelled&) {
        return;
    }
    TTableTicks all{};
    all.fill(true);
    if (!LoadFile(request.Path, all)) {
        WritePnl->SetStatus(QStringLiteral("Файл не прочитан, в АТС ничего не записано."));
        return;
    }
    // The load marked the tables the file holds as changed: those are the ones written.
    OpenWritePanel();
    OnWrite();
}

void TMainForm::OnSave() {
    const TTableTicks ticks = SavePnl->Ticks();
    if (std::none_of(ticks.begin(), ticks.end(), [](bool b) { return b; })) {
        Ctx.Dlg().Message("Не выбрано ни одной таблицы.", "Уведомление");
        return;
    }
    const std::string dat =
        Session->BaseDir + "/" + ResolveCaseInsensitive(Session->BaseDir, "dat");
    const std::optional<std::string> name =
        Ctx.Dlg().SaveFile("Запись файла конфигурации мини-АТС", kConfigFilter, dat);
    if (!name) return;
    if (!SaveConfiguration(*Session, Ctx.D(), *File, ticks, *name)) {
        SavePnl->SetStatus(QStringLiteral("Файл не записан."));
        return;
    }
    if (std::all_of(ticks.begin(), ticks.end(), [](bool b) { return b; })) MarkClean();
    HidePanels();
}

// --- unsaved edits ----------------------------------------------------------------------

bool TMainForm::HasUnsavedEdits() const {
    return Session && Session->DataPresent && ConfigFingerprint(*Session) != CleanFingerprint;
}

void TMainForm::MarkClean() {
    if (Session) CleanFingerprint = ConfigFingerprint(*Session);
}

bool TMainForm::SaveEverything() {
    const std::string dat =
        Session->BaseDir + "/" + ResolveCaseInsensitive(Session->BaseDir, "dat");
    const std::optional<std::string> name =
        Ctx.Dlg().SaveFile("Запись файла конфигурации мини-АТС", kConfigFilter, dat);
    if (!name) return false;
    TTableTicks all{};
    all.fill(true);
    if (!SaveConfiguration(*Session, Ctx.D(), *File, all, *name)) return false;
    MarkClean();
    return true;
}

bool TMainForm::ConfirmDiscard() {
    if (!HasUnsavedEdits()) return true;
    switch (Ctx.Dlg().AskSave(kUnsavedQuestion, "Предупреждение")) {
        case TSaveAnswer::Save:
            return SaveEverything();
        case TSaveAnswer::Discard:
            return true;
        case TSaveAnswer::Cancel:
            return false;
    }
    return false;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (Worker.Busy() || !ConfirmDiscard()) {
        event->ignore();
        return;
    }
    event->accept();
}

// --- status lines -----------------------------------------------------------------------

void TMainForm::ShowPortName() {
    PortText->setText(QStringLiteral("Порт: ") + Q(PortCaption(Session->PortName)));
    // A screen reader hears the port itself, not just the word.
    PortText->setAccessibleName(PortText->text());
}

void TMainForm::ReleaseGonePort() {
    try {
        Session->Port.Close();
    } catch (const ECommError&) {
        // The device is gone either way.
    }
    ShowPortName();
}

void TMainForm::FillStatusLines() {
    const auto lines = StatusLines(Ctx.D());
    for (std::size_t i = 0; i < Lines.size(); ++i) Lines[i]->setText(Q(lines[i]));
}

void TMainForm::ClearStatusLines() {
    const auto lines = BareStatusLines();
    for (std::size_t i = 0; i < Lines.size(); ++i) Lines[i]->setText(Q(lines[i]));
}

}  // namespace zarnik::app
