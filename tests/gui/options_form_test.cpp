// The options window: which ports it offers, which texts it refuses, and what it writes.
#include "app/options_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "editors/options_editing.h"
#include "gui/window_test_support.h"
#include "link/byte_trace.h"
#include "model/program_options.h"
#include "support/offline_session.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

// ZARNIK_SERIAL_DIR pointed at a folder of the test for as long as it lives.
class TSerialDir {
  public:
    explicit TSerialDir(const std::string& dir) {
        if (const char* old = std::getenv("ZARNIK_SERIAL_DIR")) Old = old;
        setenv("ZARNIK_SERIAL_DIR", dir.c_str(), 1);
    }
    ~TSerialDir() {
        if (Old)
            setenv("ZARNIK_SERIAL_DIR", Old->c_str(), 1);
        else
            unsetenv("ZARNIK_SERIAL_DIR");
    }

  private:
    std::optional<std::string> Old;
};

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct TOptionsWindow {
    TOptionsWindow() {
        std::filesystem::create_directory(Ports);
        std::filesystem::create_symlink(Free.SlavePath, Ports + "/COM3");
        std::filesystem::create_symlink(InUse.SlavePath, Ports + "/COM12");
        std::filesystem::create_symlink("/nonexistent/tty", Ports + "/COM5");  // unplugged
        Offline.Session.PortName = "COM12";
        Offline.Session.OpenPort();
        Form = std::make_unique<app::TOptionsForm>(Ctx());
        Form->show();
    }
    app::TAppContext Ctx() {
        return test::ContextOf(Offline.Session, Offline.Store, Dialogs, nullptr, Offline.Dir.Path);
    }
    void Choose(const QString& text) {
        QLineEdit* edit = Form->PortList()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    std::string OptionsFile() const { return Offline.Dir.Path + "/Zarnik_M.cfg"; }

    test::TOfflineSession Offline;
    std::string Ports = Offline.Dir.Path + "/ports";
    TSerialDir Serial{Ports};
    test::TPtyPair Free;
    test::TPtyPair InUse;  // held by the session: listed all the same
    test::TScriptedDialogs Dialogs;
    std::unique_ptr<app::TOptionsForm> Form;
};

TEST(OptionsForm, ListsThePortsThatOpenAndStartsOnTheOneInUse) {
    TOptionsWindow w;
    QComboBox* list = w.Form->PortList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "COM3");
    EXPECT_EQ(list->itemText(1), "COM12");
    EXPECT_EQ(list->currentText(), "COM12");
    EXPECT_EQ(w.Form->CurrentPortLabel()->text(), "COM12");
    EXPECT_EQ(w.Form->windowTitle(), "Настройки программы Zarnik");
    test::ExpectUsableByKeyboardAndReader(*w.Form);
}

// Each refusal keeps the window open and writes nothing; the port is closed all the same,
// for the main window opens it again before its next exchange.
TEST(OptionsForm, RefusesWhatNamesNoPortAndKeepsTheWindowOpen) {
    TOptionsWindow w;
    const std::vector<std::pair<QString, std::string>> refused{
        {"COM256", "Некорректный номер СОM-порта."},  // 256 is port 0
        {"COM100", "Некорректный номер СОM-порта."},  // too long
        {"com3", "Некорректный номер СОм-порта."},
        {"", "Некорректный номер СОM-порта."},
    };
    for (const auto& [text, message] : refused) {
        w.Choose(text);
        w.Dialogs.ExpectMessage(message);
        QTest::mouseClick(w.Form->AcceptButton(), Qt::LeftButton);
        EXPECT_TRUE(w.Form->isVisible()) << text.toStdString();
        EXPECT_NE(w.Form->result(), QDialog::Accepted);
        EXPECT_EQ(w.Offline.Session.PortName, "COM12");
        EXPECT_FALSE(std::filesystem::exists(w.OptionsFile()));
        EXPECT_FALSE(w.Offline.Session.Port.IsOpen());
    }
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(OptionsForm, ChoosingCom3WritesItAndTheSessionTakesIt) {
    TOptionsWindow w;
    w.Form->PortList()->setCurrentIndex(0);
    QApplication::setActiveWindow(w.Form.get());
    w.Form->PortList()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // on to the button, by keyboard
    ASSERT_EQ(QApplication::focusWidget(), w.Form->AcceptButton());
    QTest::keyClick(w.Form->AcceptButton(), Qt::Key_Space);
    EXPECT_EQ(w.Form->result(), QDialog::Accepted);
    EXPECT_FALSE(w.Form->isVisible());
    EXPECT_EQ(FileBytes(w.OptionsFile()), std::string("\x03\x00", 2));
    EXPECT_EQ(w.Offline.Session.PortName, "COM3");
    EXPECT_EQ(w.Form->CurrentPortLabel()->text(), "COM3");
    EXPECT_FALSE(w.Offline.Session.Port.IsOpen());
}

// The start directory is gone: the port is taken, the file cannot be, and the program goes on.
TEST(OptionsForm, AStartDirectoryThatIsGoneIsReportedAndTheWindowCloses) {
    TOptionsWindow w;
    app::TAppContext ctx = w.Ctx();
    ctx.StartDir = w.Offline.Dir.Path + "/gone";
    app::TOptionsForm form(ctx);
    form.show();
    form.PortList()->setCurrentIndex(0);
    w.Dialogs.ExpectMessage("Не могу перейти в базовую директорию.");
    QTest::mouseClick(form.AcceptButton(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(w.Offline.Session.PortName, "COM3");
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// The safety switches: shown as the options file holds them, written beside the port number
// only when changed, and the trace switch starts and stops the trace of the session's port.
TEST(OptionsForm, SafetySwitchesAreShownWrittenAndTheTraceFollowsItsSwitch) {
    TOptionsWindow w;
    EXPECT_TRUE(w.Form->BackupBox()->isChecked());
    EXPECT_TRUE(w.Form->VerifyBox()->isChecked());
    EXPECT_FALSE(w.Form->TraceBox()->isChecked());

    w.Form->PortList()->setCurrentIndex(0);
    w.Form->VerifyBox()->setChecked(false);
    w.Form->TraceBox()->setChecked(true);
    QTest::mouseClick(w.Form->AcceptButton(), Qt::LeftButton);
    EXPECT_EQ(w.Form->result(), QDialog::Accepted);
    EXPECT_EQ(FileBytes(w.OptionsFile()), std::string("\x03\x00ZXO\x03\x01\x00\x01", 9));
    const TSafetyOptions read = LoadSafetyOptions(w.Offline.Dir.Path);
    EXPECT_TRUE(read.AutoBackup);
    EXPECT_FALSE(read.VerifyWrites);
    EXPECT_TRUE(read.TraceExchange);
    ASSERT_NE(w.Offline.Session.Port.Trace(), nullptr);
    EXPECT_EQ(w.Offline.Session.Port.Trace()->Path(), TraceFilePath(w.Offline.Dir.Path));
    EXPECT_TRUE(std::filesystem::exists(w.Offline.Dir.Path + "/zarnik_trace.txt"));

    // A second window starts from what the file holds; back to the defaults, the file is the
    // two bytes an older program reads, and the trace stops.
    app::TOptionsForm again(w.Ctx());
    again.show();
    EXPECT_FALSE(again.VerifyBox()->isChecked());
    EXPECT_TRUE(again.TraceBox()->isChecked());
    again.PortList()->setCurrentIndex(0);
    again.VerifyBox()->setChecked(true);
    again.TraceBox()->setChecked(false);
    QTest::mouseClick(again.AcceptButton(), Qt::LeftButton);
    EXPECT_EQ(FileBytes(w.OptionsFile()), std::string("\x03\x00", 2));
    EXPECT_EQ(w.Offline.Session.Port.Trace(), nullptr);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

// A refused port text writes no switch either.
TEST(OptionsForm, ARefusedPortKeepsTheSwitchesUnwritten) {
    TOptionsWindow w;
    w.Form->BackupBox()->setChecked(false);
    w.Choose("com3");
    w.Dialogs.ExpectMessage("Некорректный номер СОм-порта.");
    QTest::mouseClick(w.Form->AcceptButton(), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(w.OptionsFile()));
    EXPECT_TRUE(LoadSafetyOptions(w.Offline.Dir.Path).AutoBackup);
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// A device path typed into the field: refused with its reason while it does not open as a
// serial port (the window stays open), taken and kept after the two bytes once it does, and
// shown as the port in use by the next window.
TEST(OptionsForm, ATypedDevicePathIsTakenWhenItOpensAndShownNextTime) {
    TOptionsWindow w;
    const std::string notSerial = w.Offline.Dir.Path + "/plain-file";
    std::ofstream(notSerial) << "x";
    w.Choose(QString::fromStdString(notSerial));
    w.Dialogs.ExpectMessage("Устройство " + notSerial +
                            " не открывается как последовательный порт. Причина: это не "
                            "последовательный порт.");
    QTest::mouseClick(w.Form->AcceptButton(), Qt::LeftButton);
    EXPECT_TRUE(w.Form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(w.OptionsFile()));

    w.Choose(QString::fromStdString(w.Free.SlavePath));
    QTest::mouseClick(w.Form->AcceptButton(), Qt::LeftButton);
    EXPECT_EQ(w.Form->result(), QDialog::Accepted);
    EXPECT_EQ(w.Offline.Session.PortName, w.Free.SlavePath);
    EXPECT_EQ(FileBytes(w.OptionsFile()), std::string("\x01\x00ZXP", 5) +
                                              static_cast<char>(w.Free.SlavePath.size()) +
                                              w.Free.SlavePath);
    EXPECT_TRUE(w.Dialogs.AllSeen());

    app::TOptionsForm again(w.Ctx());
    again.show();
    EXPECT_EQ(again.CurrentPortLabel()->text().toStdString(), w.Free.SlavePath);
    EXPECT_EQ(again.PortList()->currentText().toStdString(), w.Free.SlavePath);
}

}  // namespace
}  // namespace zarnik
