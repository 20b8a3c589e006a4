// The program-number window's grid going into the store and the names list.

#include <gtest/gtest.h>

#include <string>

#include "codecs/program_number_codec.h"
#include "model/names_list.h"
#include "model/port.h"
#include "platform/text_1251.h"
#include "support/file_test_helpers.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

const TProgramNumberRow kHeading{"Апп.номер", "", "Прогр. номер", ""};

void Compose(test::TOfflineSession& s, std::initializer_list<const char*> boards) {
    s.Store->CompositionCount = 0;
    for (const char* b : boards) s.Store->Composition[s.Store->CompositionCount++].BoardType = b;
    ASSERT_EQ(BuildPorts(*s.Store), 1);
}

std::string& Number(test::TOfflineSession& s, int port) {
    return FindPort(*s.Store, port)->AlData->AL_PrgNum;
}

std::string PortFile(const test::TOfflineSession& s) {
    return test::ReadBytes(s.Dir.Path + "/dat/port.nms");
}

// The n-th line of a names file (0-based), without its CR LF.
std::string LineOf(const std::string& content, int n) {
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) start = content.find("\r\n", start) + 2;
    return content.substr(start, content.find("\r\n", start) - start);
}

TEST(SaveProgramNumbers, TenPortRowsGoToTheirPortsAndLineNames) {
    test::TOfflineSession s("Cedar", "24,8");
    Compose(s, {"Kama", "Volga"});
    const std::string ivanov = Utf8ToCp1251("Иванов");
    Number(s, 203) = "177";  // a number the grid no longer holds is cleared
    const TProgramNumberGrid grid{kHeading,
                                  {"201", "11", "15", ivanov},
                                  {"203", "", "", ""},
                                  {"214", "", "1234", "СТА"},
                                  {"999", "", "105", "nobody"},  // no such port
                                  {"", "", "106", "nobody"}};
    EXPECT_EQ(s.Store->Names->SaveProgramNumbers(*s.Store, grid), 1);

    EXPECT_EQ(Number(s, 201), "15");
    EXPECT_EQ(Number(s, 203), "");
    EXPECT_EQ(Number(s, 214), "1234");  // a system phone's row like a line's
    // Ten-port numbering: port 200 + k is line k + 1.
    EXPECT_EQ(s.Store->Names->GetPortName(1), ivanov);
    EXPECT_EQ(s.Store->Names->GetPortName(14), "СТА");
    const std::string file = PortFile(s);
    EXPECT_EQ(LineOf(file, 1), ivanov);
    EXPECT_EQ(LineOf(file, 14), "СТА");
    EXPECT_EQ(file.size(), 2 * 150 + ivanov.size() + std::string("СТА").size());  // nothing else
    EXPECT_FALSE(s.Store->Names->GetIoFailed());

    // What was saved is what the encode sends.
    ASSERT_EQ(EncodePrgNumTable(s.Session, *s.Store), 1);
    const auto& bytes = s.Session.Area(ETable::ProgramNumbers).Slots[0].Bytes;
    EXPECT_EQ(bytes[2], 0x05);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(bytes[6], 0x00);
    EXPECT_EQ(bytes[28], 0x34);
    EXPECT_EQ(bytes[29], 0x02);
}

TEST(SaveProgramNumbers, EightPortNumberingAndTheHeadingRow) {
    test::TOfflineSession s("Alder", "24,8");
    Compose(s, {"Oka", "Svir"});
    // The heading row is never taken, even when it looks like a line's row.
    const TProgramNumberGrid grid{{"201", "", "19", "heading"}, {"213", "", "140", "Petrov"}};
    s.Store->Names->SaveProgramNumbers(*s.Store, grid);
    EXPECT_EQ(Number(s, 201), "");
    EXPECT_EQ(Number(s, 213), "140");
    // Eight-port numbering: port 213 is line 8 + 3 + 1 = 12, not line 14.
    EXPECT_EQ(s.Store->Names->GetPortName(11), "Petrov");
    EXPECT_EQ(s.Store->Names->GetPortName(13), "");
    EXPECT_EQ(s.Store->Names->GetPortName(1), "");
}

TEST(SaveProgramNumbers, NamesOutsideAShortListAndLineBreaksChangeNoOtherLine) {
    test::TOfflineSession s("Cedar", "24,8");
    Compose(s, {"Neva"});
    const std::string path = s.Dir.Path + "/dat/port.nms";
    test::WriteBytes(path, "a\r\nb\r\nc\r\n");
    s.Store->Names = std::make_shared<TNamesList>(s.Dir.Path);

    // Line 6 lies beyond the three names: its number is kept, its name is not, the file stays.
    s.Store->Names->SaveProgramNumbers(*s.Store, {kHeading, {"205", "", "16", "far"}});
    EXPECT_EQ(Number(s, 205), "16");
    EXPECT_EQ(s.Store->Names->GetPortName(5), "");
    EXPECT_EQ(test::ReadBytes(path), "a\r\nb\r\nc\r\n");

    // A name typed with a line break stays one line of the file.
    s.Store->Names->SaveProgramNumbers(*s.Store, {kHeading, {"201", "", "12", "x\r\ny"}});
    EXPECT_EQ(test::ReadBytes(path), "a\r\nx  y\r\nc\r\n");
    TNamesList again(s.Dir.Path);
    EXPECT_EQ(again.GetPortName(2), "c");
}

TEST(SaveProgramNumbers, AFileThatCannotBeWrittenKeepsTheNamesInMemory) {
    test::TOfflineSession s("Cedar", "24,8");
    Compose(s, {"Neva"});
    // A directory in the file's place makes every write of it fail, whoever runs the test.
    const std::string path = s.Dir.Path + "/dat/port.nms";
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    s.Store->Names->SaveProgramNumbers(*s.Store, {kHeading, {"200", "", "15", "kept"}});
    EXPECT_TRUE(s.Store->Names->GetIoFailed());
    EXPECT_EQ(s.Store->Names->GetPortName(0), "kept");
    EXPECT_EQ(Number(s, 200), "15");
    // The next good write stores it.
    std::filesystem::remove(path);
    EXPECT_EQ(s.Store->Names->SetPortName(1, "next"), 0);
    EXPECT_EQ(LineOf(PortFile(s), 0), "kept");
    EXPECT_EQ(LineOf(PortFile(s), 1), "next");
}

}  // namespace
}  // namespace zarnik
