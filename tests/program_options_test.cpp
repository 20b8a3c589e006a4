#include "model/program_options.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "support/file_test_helpers.h"
#include "support/scripted_dialogs.h"

namespace zarnik {
namespace {

using test::ReadBytes;
using test::TScratchDir;
using test::TScriptedDialogs;
using test::WriteBytes;

const std::string kBadNumber = "Некорректный номер СОM-порта.";
const std::string kBadPrefix = "Некорректный номер СОм-порта.";

TEST(ProgramOptionsLoad, NoFileGivesCom1AndWritesOneOne) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    const TProgramOptions options = LoadOrCreateOptions(base.Path, dialogs);
    EXPECT_EQ(options.PortName, "COM1");
    EXPECT_EQ(options.Source, TOptionsSource::Created);
    EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x01\x01", 2));
    EXPECT_TRUE(dialogs.Seen.empty());
    EXPECT_EQ(PortOpenFailureText(options.Source),
              "Исключение! Непонятная ошибка при открытии СОМ-порта.  Проверьте номер "
              "СОМ-порта. (1)");
}

TEST(ProgramOptionsLoad, ATwoByteFileNamesThePortAndIgnoresItsSecondByte) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    WriteBytes(base / "Zarnik_M.cfg", std::string("\x03\x00", 2));
    TProgramOptions options = LoadOrCreateOptions(base.Path, dialogs);
    EXPECT_EQ(options.PortName, "COM3");
    EXPECT_EQ(options.Source, TOptionsSource::Read);
    EXPECT_EQ(PortOpenFailureText(options.Source),
              "Исключение! Непонятная ошибка при открытии СОМ-порта. Проверьте номер СОМ-порта.");

    WriteBytes(base / "Zarnik_M.cfg", "\xFF\x07");
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, "COM255");
    EXPECT_TRUE(dialogs.Seen.empty());
}

TEST(ProgramOptionsLoad, AFileInAnotherCaseIsTheSameFile) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    WriteBytes(base / "ZARNIK_M.CFG", std::string("\x07\x00", 2));
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, "COM7");
    EXPECT_FALSE(PathExists(base / "Zarnik_M.cfg"));
}

TEST(ProgramOptionsLoad, AFileOfTheWrongSizeIsReportedAndNotUsed) {
    for (const std::string& content :
         {std::string("\x03\x00\x00", 3), std::string(), std::string("\x05")}) {
        TScratchDir base;
        TScriptedDialogs dialogs;
        dialogs.ExpectMessage("Ошибочный формат файла(размер!=2).");
        WriteBytes(base / "Zarnik_M.cfg", content);
        const TProgramOptions options = LoadOrCreateOptions(base.Path, dialogs);
        EXPECT_EQ(options.PortName, "COM");
        EXPECT_EQ(options.Source, TOptionsSource::Malformed);
        EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), content);
        ASSERT_EQ(dialogs.Seen.size(), 1u);
        EXPECT_EQ(dialogs.Seen[0].Caption, "Ошибка");
        EXPECT_TRUE(dialogs.AllSeen());
    }
}

TEST(ProgramOptionsLoad, AFileThatCannotBeCreatedIsReportedAndCom1StillUsed) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    dialogs.ExpectMessage("Не могу записать данные в файл конфигурации(002).");
    const TProgramOptions options = LoadOrCreateOptions(base / "missing", dialogs);
    EXPECT_EQ(options.PortName, "COM1");
    EXPECT_EQ(options.Source, TOptionsSource::Created);
    EXPECT_TRUE(dialogs.AllSeen());
}

struct TPortTextCase {
    std::string Text;
    int Port;  // 0: refused
    std::string Message;
};

TEST(ProgramOptionsPortText, AcceptsComOneToNinetyNineAndRefusesTheRestWithItsMessage) {
    const TPortTextCase cases[] = {
        {"COM1", 1, ""},           {"COM3", 3, ""},           {"COM99", 99, ""},
        {"COM07", 7, ""},          {"COM100", 0, kBadNumber},  // too long
        {"COM256", 0, kBadNumber}, {"COM", 0, kBadNumber},    {"", 0, kBadNumber},
        {"COM0", 0, kBadNumber},  // port 0 does not exist
        {"COM00", 0, kBadNumber},  {"COMX", 0, kBadNumber},   {"COM-1", 0, kBadNumber},
        {"COM 3", 0, kBadNumber},  {"com3", 0, kBadPrefix},   {"CXM12", 0, kBadPrefix},
        {"СОМ3", 0, kBadPrefix},  // Cyrillic letters: four characters, wrong prefix
    };
    for (const auto& c : cases) {
        TScriptedDialogs dialogs;
        if (!c.Message.empty()) dialogs.ExpectMessage(c.Message);
        const auto port = ValidatePortText(c.Text, dialogs);
        if (c.Port == 0) {
            EXPECT_FALSE(port.has_value()) << c.Text;
            ASSERT_EQ(dialogs.Seen.size(), 1u) << c.Text;
            EXPECT_EQ(dialogs.Seen[0].Caption, "Ошибка");
        } else {
            EXPECT_EQ(port, c.Port) << c.Text;
            EXPECT_TRUE(dialogs.Seen.empty()) << c.Text;
        }
        EXPECT_TRUE(dialogs.AllSeen()) << c.Text;
    }
    EXPECT_EQ(PortNameFor(3), "COM3");
}

TEST(ProgramOptionsSave, WritesThePortAndAZeroAndIsReadBack) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    EXPECT_TRUE(SaveOptions(base.Path, 3, dialogs));
    EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x03\x00", 2));

    // A file the session refused as malformed becomes a good one again.
    WriteBytes(base / "Zarnik_M.cfg", std::string("\x01\x01\x01", 3));
    EXPECT_TRUE(SaveOptions(base.Path, 12, dialogs));
    EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x0C\x00", 2));
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, "COM12");
    EXPECT_TRUE(dialogs.Seen.empty());
}

TEST(ProgramOptionsSave, FailedWritesAreReportedByWhetherTheFileExisted) {
    {
        TScratchDir base;
        TScriptedDialogs dialogs;
        dialogs.ExpectMessage("Не могу создать файл конфигурации.(1)");
        test::TFileSizeLimit full(1);
        EXPECT_FALSE(SaveOptions(base.Path, 3, dialogs));
        EXPECT_TRUE(dialogs.AllSeen());
    }
    {
        TScratchDir base;
        TScriptedDialogs dialogs;
        WriteBytes(base / "Zarnik_M.cfg", std::string("\x05\x00", 2));
        dialogs.ExpectMessage("Не могу записать в файл конфигурации.");
        {
            test::TFileSizeLimit full(1);
            EXPECT_FALSE(SaveOptions(base.Path, 3, dialogs));
        }
        EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x05\x00", 2));
        EXPECT_TRUE(dialogs.AllSeen());
    }
}

TEST(ProgramOptionsSave, AMissingBaseDirectoryIsReportedAndNothingIsWritten) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    dialogs.ExpectMessage("Не могу перейти в базовую директорию.");
    EXPECT_FALSE(SaveOptions(base / "gone", 3, dialogs));  // no TExitProgram either
    EXPECT_FALSE(std::filesystem::exists(base / "gone"));
    EXPECT_TRUE(dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik

namespace zarnik {
namespace {

// A device path chosen in place of a COMn name is kept after the two bytes and the switches.
TEST(ProgramOptionsDevice, APathIsKeptAfterTheSwitchesAndWinsOverThePortNumber) {
    TScratchDir base;
    TScriptedDialogs dialogs;
    const std::string device = base / "ttyUSB0";
    WriteBytes(device, "");
    WriteBytes(base / "Zarnik_M.cfg", std::string("\x03\x00", 2));
    ASSERT_TRUE(SaveSafetyOptions(base.Path, {false, true, false}, dialogs));
    ASSERT_TRUE(SaveDevicePath(base.Path, device, dialogs));
    EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x03\x00ZXO\x03\x00\x01\x00ZXP", 12) +
                                                    static_cast<char>(device.size()) + device);
    TProgramOptions options = LoadOrCreateOptions(base.Path, dialogs);
    EXPECT_EQ(options.PortName, device);
    EXPECT_EQ(options.Source, TOptionsSource::Read);
    EXPECT_EQ(StoredDevicePath(base.Path), device);

    // The switches change, the path stays; a COMn choice then replaces the path.
    ASSERT_TRUE(SaveSafetyOptions(base.Path, {}, dialogs));
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, device);
    ASSERT_TRUE(SaveOptions(base.Path, 5, dialogs));
    EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x05\x00", 2));
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, "COM5");
    EXPECT_TRUE(dialogs.Seen.empty());

    // A path too long for its length byte is refused and nothing is written.
    dialogs.ExpectMessage();
    EXPECT_FALSE(SaveDevicePath(base.Path, "/" + std::string(300, 'x'), dialogs));
    EXPECT_EQ(ReadBytes(base / "Zarnik_M.cfg"), std::string("\x05\x00", 2));
}

TEST(ProgramOptionsDevice, AnAdapterNotPluggedInIsNamedAndThePortIsNotOpened) {
    TScratchDir base;
    const std::string device = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_GONE-if00-port0";
    WriteBytes(base / "Zarnik_M.cfg",
               std::string("\x02\x00ZXP", 5) + static_cast<char>(device.size()) + device);
    TScriptedDialogs dialogs;
    dialogs.ExpectMessage("Последовательный порт " + device +
                          " не найден (адаптер не подключен?). Подключите его или выберите порт "
                          "в окне «Настройки программы Zarnik».");
    const TProgramOptions options = LoadOrCreateOptions(base.Path, dialogs);
    EXPECT_EQ(options.Source, TOptionsSource::MissingDevice);
    EXPECT_EQ(options.PortName, device);  // kept: the adapter is found again once it is back
    EXPECT_TRUE(dialogs.AllSeen());
}

TEST(ProgramOptionsDevice, BrokenPathRecordsAreRefusedAsAnyOtherTail) {
    const std::string broken[] = {
        std::string("\x03\x00ZXP\x00", 6),                // an empty path
        std::string("\x03\x00ZXP\x05/dev", 9),            // cut short
        std::string("\x03\x00ZXP\x02/aZXP\x02/b", 14),    // two paths
        std::string("\x03\x00ZXP\x02/aZXO\x01\x01", 13),  // switches after the path
        std::string("\x03\x00ZXP\x03/a\x00", 9),          // a zero byte inside
    };
    for (const std::string& content : broken) {
        TScratchDir base;
        TScriptedDialogs dialogs;
        dialogs.ExpectMessage("Ошибочный формат файла(размер!=2).");
        WriteBytes(base / "Zarnik_M.cfg", content);
        EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).Source, TOptionsSource::Malformed);
        EXPECT_FALSE(StoredDevicePath(base.Path));
        EXPECT_TRUE(dialogs.AllSeen());
    }
}

}  // namespace
}  // namespace zarnik
