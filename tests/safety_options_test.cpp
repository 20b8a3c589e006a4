// The safety switches in the options file: an old two-byte file loads as it always did, the
// switch record after it is read and kept, and anything else after the two bytes is refused.

#include <gtest/gtest.h>

#include "model/program_options.h"
#include "support/file_test_helpers.h"
#include "support/scripted_dialogs.h"

namespace zarnik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

TEST(SafetyOptions, OldFilesLoadUnchangedAndTheRecordTravelsWithThePort) {
    test::TScratchDir base;
    test::TScriptedDialogs dialogs;
    const std::string file = base / "Zarnik_M.cfg";
    EXPECT_EQ(LoadSafetyOptions(base.Path), TSafetyOptions{});  // no file: the defaults
    WriteBytes(file, std::string("\x07\x00", 2));
    EXPECT_EQ(LoadSafetyOptions(base.Path), TSafetyOptions{});

    ASSERT_TRUE(SaveSafetyOptions(base.Path, {false, true, true}, dialogs));
    EXPECT_EQ(ReadBytes(file), std::string("\x07\x00ZXO\x03\x00\x01\x01", 9));
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, "COM7");
    EXPECT_EQ(LoadSafetyOptions(base.Path), (TSafetyOptions{false, true, true}));

    // The port window keeps the switches; the defaults again give the two-byte file.
    ASSERT_TRUE(SaveOptions(base.Path, 3, dialogs));
    EXPECT_EQ(ReadBytes(file), std::string("\x03\x00ZXO\x03\x00\x01\x01", 9));
    ASSERT_TRUE(SaveSafetyOptions(base.Path, {}, dialogs));
    EXPECT_EQ(ReadBytes(file), std::string("\x03\x00", 2));

    // A later program's extra switches are kept unread; the known ones still count.
    WriteBytes(file, std::string("\x05\x00ZXO\x04\x01\x00\x00\x01", 10));
    EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).PortName, "COM5");
    EXPECT_EQ(LoadSafetyOptions(base.Path), (TSafetyOptions{true, false, false}));

    // No switch file without a port: COM1 and the byte the session writes.
    test::TScratchDir fresh;
    ASSERT_TRUE(SaveSafetyOptions(fresh.Path, {true, false, false}, dialogs));
    EXPECT_EQ(ReadBytes(fresh / "Zarnik_M.cfg"), std::string("\x01\x01ZXO\x03\x01\x00\x00", 9));
    EXPECT_TRUE(dialogs.Seen.empty());
}

TEST(SafetyOptions, AnythingElseAfterTheTwoBytesIsRefusedAsBefore) {
    const std::string broken[] = {
        std::string("\x03\x00ZXO", 5),                  // no count
        std::string("\x03\x00ZXO\x03\x01\x01", 7),      // cut short
        std::string("\x03\x00ZXO\x03\x01\x01\x01\x01", 10),  // longer than its count
        std::string("\x03\x00ZXO\x03\x02\x01\x01", 8),  // a switch that is neither 0 nor 1
        std::string("\x03\x00XYZ\x03\x01\x01\x01", 9),  // another signature
    };
    for (const std::string& content : broken) {
        test::TScratchDir base;
        test::TScriptedDialogs dialogs;
        dialogs.ExpectMessage("Ошибочный формат файла(размер!=2).");
        WriteBytes(base / "Zarnik_M.cfg", content);
        EXPECT_EQ(LoadOrCreateOptions(base.Path, dialogs).Source, TOptionsSource::Malformed);
        EXPECT_EQ(LoadSafetyOptions(base.Path), TSafetyOptions{});
        EXPECT_TRUE(dialogs.AllSeen());
    }
}

}  // namespace
}  // namespace zarnik
