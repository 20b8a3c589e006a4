#include "model/names_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "support/file_test_helpers.h"

namespace zarnik {
namespace {

using test::EntriesOf;
using test::ReadBytes;
using test::TScratchDir;
using test::WriteBytes;

std::string EmptyLines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "\r\n";
    return s;
}

TEST(NamesListNew, CreatesTheDirectoryAndAllFilesWithTheirEmptyNames) {
    TScratchDir base;
    TNamesList names(base.Path);
    EXPECT_FALSE(names.GetIoFailed());
    EXPECT_EQ(EntriesOf(base.Path), std::set<std::string>{"dat"});

    std::set<std::string> expected = {"port.nms",           "ggs.nms",     "df.nms",  "group.nms",
                                      "global_ext_num.nms", "naveden.nms", "conf.nms"};
    for (int b = 0; b < 20; ++b) expected.insert("group_ext_num" + std::to_string(b) + ".nms");
    const std::string dat = base / "dat";
    EXPECT_EQ(EntriesOf(dat), expected);
    EXPECT_EQ(expected.size(), 27u);

    const std::pair<const char*, int> sizes[] = {{"port.nms", 150},
                                                 {"ggs.nms", 10},
                                                 {"df.nms", 10},
                                                 {"group.nms", 60},
                                                 {"global_ext_num.nms", 30},
                                                 {"group_ext_num0.nms", 20},
                                                 {"group_ext_num19.nms", 20},
                                                 {"naveden.nms", 100},
                                                 {"conf.nms", 60}};
    for (const auto& [file, count] : sizes) {
        EXPECT_EQ(ReadBytes(dat + "/" + file), EmptyLines(count)) << file;
    }

    // The lists are exactly as long as their files: the last index takes a name, the next not.
    EXPECT_EQ(names.SetPortName(149, "last"), 0);
    EXPECT_EQ(names.SetPortName(150, "beyond"), -1);
}

TEST(NamesListRead, AnExistingDATDirectoryAndItsFilesAreUsedWhateverTheirCase) {
    TScratchDir base;
    ASSERT_TRUE(MakeDirectory(base / "DAT"));
    WriteBytes(base / "DAT/PORT.NMS", "\xC8\xE2\xE0\xED\r\n\r\nBob\r\n");
    TNamesList names(base.Path);
    EXPECT_EQ(EntriesOf(base.Path), std::set<std::string>{"DAT"});
    EXPECT_EQ(names.GetPortName(0), "\xC8\xE2\xE0\xED");
    EXPECT_EQ(names.GetPortName(1), "");
    EXPECT_EQ(names.GetPortName(2), "Bob");
    EXPECT_EQ(names.SetPortName(1, "Ann"), 0);
    EXPECT_EQ(ReadBytes(base / "DAT/PORT.NMS"), "\xC8\xE2\xE0\xED\r\nAnn\r\nBob\r\n");
    EXPECT_FALSE(PathExists(base / "DAT/port.nms"));
}

TEST(NamesListRead, AShortFileGivesAShortListThatNeverGrows) {
    TScratchDir base;
    ASSERT_TRUE(MakeDirectory(base / "dat"));
    const std::string ggs = base / "dat/ggs.nms";
    WriteBytes(ggs, "one\r\ntwo\r\nthree\r\n");
    TNamesList names(base.Path);
    EXPECT_EQ(names.GetGgsName(0), "one");
    EXPECT_EQ(names.GetGgsName(2), "three");
    EXPECT_EQ(names.GetGgsName(3), "");
    EXPECT_EQ(names.GetGgsName(5), "");
    EXPECT_EQ(names.GetGgsName(-1), "");
    EXPECT_EQ(names.SetGgsName(5, "five"), -1);
    EXPECT_EQ(names.SetGgsName(-1, "minus"), -1);
    EXPECT_EQ(names.SetGgsName(3, "four"), -1);
    EXPECT_EQ(ReadBytes(ggs), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(names.GetGgsName(3), "");
}

TEST(NamesListRead, LineEndsAreLfWithAnOptionalCrAndTheLastLineNeedsNone) {
    TScratchDir base;
    ASSERT_TRUE(MakeDirectory(base / "dat"));
    const std::string df = base / "dat/df.nms";
    WriteBytes(df, "one\ntwo\r\nth\rree");
    TNamesList names(base.Path);
    EXPECT_EQ(names.GetDfName(0), "one");
    EXPECT_EQ(names.GetDfName(1), "two");
    EXPECT_EQ(names.GetDfName(2), "th\rree");  // only a CR right before the line end goes
    EXPECT_EQ(names.GetDfName(3), "");
    EXPECT_EQ(names.SetDfName(0, "uno"), 0);
    EXPECT_EQ(ReadBytes(df), "uno\r\ntwo\r\nth\rree\r\n");

    WriteBytes(base / "dat/conf.nms", "");  // an empty file is an empty list
    WriteBytes(base / "dat/group.nms", "a\r\nb\r");
    TNamesList again(base.Path);
    EXPECT_EQ(again.SetConfName(0, "x"), -1);
    EXPECT_EQ(again.GetGroupName(1), "b");
    EXPECT_EQ(again.GetGroupName(2), "");
}

TEST(NamesListWrite, SetRewritesTheWholeFileWithCrLf) {
    TScratchDir base;
    TNamesList names(base.Path);
    EXPECT_EQ(names.SetGgsName(1, "Цех"), 0);
    EXPECT_EQ(names.SetGgsName(9, "Склад"), 0);
    EXPECT_EQ(ReadBytes(base / "dat/ggs.nms"), "\r\nЦех\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nСклад\r\n");
    EXPECT_EQ(names.GetGgsName(1), "Цех");

    TNamesList reread(base.Path);
    EXPECT_EQ(reread.GetGgsName(9), "Склад");
}

TEST(NamesListWrite, ALineBreakInANameDoesNotShiftTheNamesAfterIt) {
    TScratchDir base;
    TNamesList names(base.Path);
    ASSERT_EQ(names.SetGroupName(0, "first\r\nsecond\n"), 0);
    ASSERT_EQ(names.SetGroupName(1, "next"), 0);
    TNamesList reread(base.Path);
    EXPECT_EQ(reread.GetGroupName(0), "first  second ");
    EXPECT_EQ(reread.GetGroupName(1), "next");
    EXPECT_EQ(reread.SetGroupName(59, "x"), 0);
    EXPECT_EQ(reread.SetGroupName(60, "x"), -1);
}

TEST(NamesListWrite, GroupPhoneBooksComeFirstAndHaveTheirOwnFiles) {
    TScratchDir base;
    TNamesList names(base.Path);
    EXPECT_EQ(names.SetGroupExtNumName(19, 3, "Info"), 0);
    EXPECT_EQ(names.GetGroupExtNumName(19, 3), "Info");
    EXPECT_EQ(names.GetGroupExtNumName(3, 19), "");
    EXPECT_EQ(ReadBytes(base / "dat/group_ext_num19.nms"), EmptyLines(3) + "Info" + EmptyLines(17));
    EXPECT_EQ(ReadBytes(base / "dat/group_ext_num3.nms"), EmptyLines(20));
    EXPECT_EQ(names.SetGroupExtNumName(20, 0, "x"), -1);
    EXPECT_EQ(names.SetGroupExtNumName(-1, 0, "x"), -1);
    EXPECT_EQ(names.SetGroupExtNumName(0, 20, "x"), -1);
}

TEST(NamesListWrite, SetWritesUnderTheBaseDirectoryAfterTheCurrentDirectoryMoved) {
    TScratchDir base;
    TScratchDir elsewhere;
    test::TKeepCurrentDir keep;
    std::filesystem::current_path(base.Path);
    TNamesList names(".");  // a relative base is fixed at construction
    EXPECT_EQ(names.GetBaseDir(), base.Path);

    std::filesystem::current_path(elsewhere.Path);
    EXPECT_EQ(names.SetPortName(0, "Reception"), 0);
    EXPECT_EQ(ReadBytes(base / "dat/port.nms"), "Reception" + EmptyLines(150));
    EXPECT_TRUE(EntriesOf(elsewhere.Path).empty());
}

TEST(NamesListFailure, AFileThatCannotBeReadGivesAnEmptyListAndSpoilsNoOther) {
    TScratchDir base;
    ASSERT_TRUE(MakeDirectory(base / "dat"));
    ASSERT_TRUE(MakeDirectory(base / "dat/port.nms"));  // opens as no file can
    TNamesList names(base.Path);
    EXPECT_TRUE(names.GetIoFailed());
    EXPECT_EQ(names.GetPortName(0), "");
    EXPECT_EQ(names.SetPortName(0, "x"), -1);
    EXPECT_TRUE(DirectoryExists(base / "dat/port.nms"));
    // The failure belongs to port.nms; a good write elsewhere is reported as one.
    EXPECT_EQ(names.SetGgsName(0, "ok"), 0);
    EXPECT_FALSE(names.GetIoFailed());
}

TEST(NamesListFailure, AFailedWriteKeepsTheNameForTheNextGoodWrite) {
    TScratchDir base;
    TNamesList names(base.Path);
    const std::string ggs = base / "dat/ggs.nms";
    std::filesystem::remove(ggs);
    ASSERT_TRUE(MakeDirectory(ggs));  // the next write cannot replace it
    EXPECT_EQ(names.SetGgsName(0, "kept"), -1);
    EXPECT_EQ(names.GetGgsName(0), "kept");

    std::filesystem::remove(ggs);
    EXPECT_EQ(names.SetGgsName(1, "later"), 0);
    EXPECT_EQ(ReadBytes(ggs), "kept\r\nlater" + EmptyLines(9));
}

TEST(NamesListFailure, AnInterruptedWriteLosesNoName) {
    TScratchDir base;
    TNamesList names(base.Path);
    ASSERT_EQ(names.SetPortName(0, "Reception"), 0);
    const std::string before = ReadBytes(base / "dat/port.nms");
    {
        test::TFileSizeLimit full(10);
        EXPECT_EQ(names.SetPortName(1, "Accounts"), -1);
    }
    EXPECT_EQ(ReadBytes(base / "dat/port.nms"), before);
    EXPECT_EQ(EntriesOf(base / "dat").size(), 27u);  // no temporary left behind
}

}  // namespace
}  // namespace zarnik
