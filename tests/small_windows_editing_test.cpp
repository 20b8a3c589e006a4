// The rules behind the options, clock and help windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "editors/clock_editing.h"
#include "editors/help_location.h"
#include "editors/options_editing.h"
#include "support/file_test_helpers.h"
#include "support/offline_session.h"
#include "support/pty_station.h"

namespace zarnik {
namespace {

using test::TScratchDir;

TEST(OptionsEditing, OffersOnlyThePortsThatExistInNumberOrder) {
    std::set<std::string> asked;
    const auto names = AvailablePortNames([&asked](const std::string& n) {
        asked.insert(n);
        return n == "COM255" || n == "COM3" || n == "COM12";
    });
    EXPECT_EQ(names, (std::vector<std::string>{"COM3", "COM12", "COM255"}));
    EXPECT_EQ(asked.size(), 255u);
    EXPECT_FALSE(asked.contains("COM0"));
    EXPECT_FALSE(asked.contains("COM256"));
}

TEST(OptionsEditing, AcceptClosesThePortAndTakesOnlyAGoodName) {
    test::TOfflineSession s;
    test::TPtyPair pty;
    s.Session.PortName = pty.SlavePath;
    s.Session.OpenPort();
    ASSERT_TRUE(s.Session.Port.IsOpen());

    // A refused text: the port is closed all the same, the name and the file stay.
    test::TScriptedDialogs refused;
    refused.ExpectMessage("Некорректный номер СОм-порта.");
    EXPECT_FALSE(AcceptPortChoice(s.Session, "com3", s.Dir.Path, refused));
    EXPECT_FALSE(s.Session.Port.IsOpen());
    EXPECT_EQ(s.Session.PortName, pty.SlavePath);
    EXPECT_FALSE(std::filesystem::exists(s.Dir.Path + "/Zarnik_M.cfg"));
    EXPECT_TRUE(refused.AllSeen());

    test::TScriptedDialogs quiet;
    EXPECT_EQ(AcceptPortChoice(s.Session, "COM07", s.Dir.Path, quiet), "COM7");
    EXPECT_EQ(s.Session.PortName, "COM7");
    std::ifstream file(s.Dir.Path + "/Zarnik_M.cfg", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes, std::string("\x07\x00", 2));
}

TEST(OptionsEditing, AStartDirectoryThatIsGoneStillTakesThePortAndGoesOn) {
    test::TOfflineSession s;
    test::TScriptedDialogs dialogs;
    dialogs.ExpectMessage("Не могу перейти в базовую директорию.");
    EXPECT_EQ(AcceptPortChoice(s.Session, "COM4", s.Dir.Path + "/gone", dialogs), "COM4");
    EXPECT_EQ(s.Session.PortName, "COM4");
    EXPECT_TRUE(dialogs.AllSeen());
}

// A device path is taken when it opens as a serial device, and kept after the two bytes; one
// that does not open is refused with its reason and changes nothing.
TEST(OptionsEditing, ADevicePathIsTakenOnlyWhenItOpensAsASerialPort) {
    test::TOfflineSession s;
    test::TPtyPair pty;
    const std::string file = s.Dir.Path + "/Zarnik_M.cfg";

    test::TScriptedDialogs refused;
    const std::string notSerial = s.Dir.Path + "/not-a-tty";
    std::ofstream(notSerial) << "x";
    refused.ExpectMessage("Устройство " + notSerial +
                          " не открывается как последовательный порт. Причина: это не "
                          "последовательный порт.");
    refused.ExpectMessage(
        "Устройство /dev/zarnik-no-such-tty не открывается как "
        "последовательный порт. Причина: нет такого устройства.");
    EXPECT_FALSE(AcceptPortChoice(s.Session, notSerial, s.Dir.Path, refused));
    EXPECT_FALSE(AcceptPortChoice(s.Session, "/dev/zarnik-no-such-tty", s.Dir.Path, refused));
    EXPECT_TRUE(refused.AllSeen());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(s.Session.PortName, "COM1");

    test::TScriptedDialogs quiet;
    EXPECT_EQ(AcceptPortChoice(s.Session, pty.SlavePath, s.Dir.Path, quiet), pty.SlavePath);
    EXPECT_EQ(s.Session.PortName, pty.SlavePath);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, std::string("\x01\x00ZXP", 5) + static_cast<char>(pty.SlavePath.size()) +
                         pty.SlavePath);
    // The probe let go of the device: the session opens it at once.
    s.Session.OpenPort();
    EXPECT_TRUE(s.Session.Port.IsOpen());
}

TEST(OptionsEditing, TheFieldsTextMeansTheLineItShowsAndThePortIsShownByItsDevice) {
    const std::vector<TSerialPortInfo> ports{
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_X-if00-port0", "FT232R USB UART (FTDI)",
         false},
        {"COM3", "", "", true},
    };
    EXPECT_EQ(PortNameFromText("/dev/ttyUSB0 — FT232R USB UART (FTDI)", ports),
              "/dev/serial/by-id/usb-FTDI_X-if00-port0");
    EXPECT_EQ(PortNameFromText("  /dev/ttyUSB0 — whatever was pasted ", ports),
              "/dev/serial/by-id/usb-FTDI_X-if00-port0");
    EXPECT_EQ(PortNameFromText("/dev/ttyACM3 — old caption", ports), "/dev/ttyACM3");
    EXPECT_EQ(PortNameFromText(" COM3 ", ports), "COM3");
    EXPECT_EQ(PortNameFromText("com3", ports), "com3");  // the number rules judge it
    EXPECT_EQ(PortCaption("/dev/serial/by-id/usb-FTDI_X-if00-port0", ports),
              "/dev/ttyUSB0 — FT232R USB UART (FTDI)");
    EXPECT_EQ(PortCaption("/dev/ttyUSB7", ports), "/dev/ttyUSB7");
    EXPECT_TRUE(IsDevicePathText("/dev/ttyUSB0"));
    EXPECT_FALSE(IsDevicePathText("COM3"));
}

// The session of a program whose options name an adapter that is not plugged in: it says so,
// keeps the name and leaves the port closed.
TEST(OptionsEditing, ASessionWhoseAdapterIsMissingStartsWithThePortClosed) {
    TScratchDir dir;
    const std::string device = dir.Path + "/serial/by-id/usb-gone";
    std::ofstream(dir.Path + "/Zarnik_M.cfg", std::ios::binary)
        << std::string("\x01\x00ZXP", 5) << static_cast<char>(device.size()) << device;
    test::TScriptedDialogs dialogs;
    dialogs.ExpectMessage(MissingDeviceText(device));
    TMainClass session(dialogs, TSessionSetup{dir.Path, true, ""});
    EXPECT_TRUE(session.StoredPortMissing);
    EXPECT_EQ(session.PortName, device);
    EXPECT_FALSE(session.Port.IsOpen());
    EXPECT_FALSE(session.DataPresent);
    EXPECT_TRUE(dialogs.AllSeen());
}

TEST(ClockEditing, TheStationClockRunsOnAcrossDaysMonthsAndYears) {
    EXPECT_EQ(AdvanceStationClock({2013, 7, 3, 12, 0, 5}, 1),
              (TStationDateTime{2013, 7, 3, 12, 0, 6}));
    EXPECT_EQ(AdvanceStationClock({2013, 7, 3, 23, 59, 59}, 1),
              (TStationDateTime{2013, 7, 4, 0, 0, 0}));
    EXPECT_EQ(AdvanceStationClock({2024, 2, 28, 23, 59, 59}, 1),
              (TStationDateTime{2024, 2, 29, 0, 0, 0}));
    EXPECT_EQ(AdvanceStationClock({2023, 2, 28, 23, 59, 59}, 1),
              (TStationDateTime{2023, 3, 1, 0, 0, 0}));
    EXPECT_EQ(AdvanceStationClock({2026, 12, 31, 23, 59, 59}, 1),
              (TStationDateTime{2027, 1, 1, 0, 0, 0}));
    EXPECT_EQ(AdvanceStationClock({1980, 1, 1, 0, 0, 0}, -1),
              (TStationDateTime{1979, 12, 31, 23, 59, 59}));
    // A whole day of ticks lands on the same time the next day.
    EXPECT_EQ(AdvanceStationClock({2013, 7, 3, 12, 0, 0}, 86400),
              (TStationDateTime{2013, 7, 4, 12, 0, 0}));
    // A clock that names no day is left as it is rather than guessed at.
    const TStationDateTime broken{2013, 2, 30, 1, 2, 3};
    EXPECT_EQ(AdvanceStationClock(broken, 1), broken);
}

TEST(HelpLocation, TheInstalledPageWinsThenTheSourceThenBesideTheProgram) {
    TScratchDir dir;
    const std::string installed = dir / "installed.html";
    const std::string source = dir / "source.html";
    std::filesystem::create_directories(dir.Path + "/share/zarnik");
    std::filesystem::create_directories(dir.Path + "/bin");
    const auto candidates = HelpFileCandidates(installed, source, dir / "bin", dir / "start");
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[2], dir / "share/zarnik/zarnik_help.html");
    EXPECT_EQ(candidates[3], dir / "start/zarnik_help.html");

    EXPECT_FALSE(FindHelpFile(candidates));
    std::ofstream(candidates[2]) << "<html></html>";
    EXPECT_EQ(FindHelpFile(candidates), candidates[2]);
    std::ofstream(source) << "<html></html>";
    EXPECT_EQ(FindHelpFile(candidates), source);
    std::ofstream(installed) << "<html></html>";
    EXPECT_EQ(FindHelpFile(candidates), installed);
    // A directory of that name is no page.
    std::filesystem::remove(installed);
    std::filesystem::create_directory(installed);
    EXPECT_EQ(FindHelpFile(candidates), source);

    EXPECT_EQ(HelpFileCandidates("", "", "", "").size(), 0u);
}

}  // namespace
}  // namespace zarnik
