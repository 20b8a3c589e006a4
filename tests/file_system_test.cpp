#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/file_test_helpers.h"

namespace zarnik {
namespace {

using test::EntriesOf;
using test::ReadBytes;
using test::TScratchDir;
using test::WriteBytes;

TEST(FileSystemAtomicWrite, ReplacesTheFileAndLeavesNoTemporary) {
    TScratchDir dir;
    const std::string path = dir / "names.nms";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    ASSERT_TRUE(WriteFileAtomically(path, std::string("new\0bytes", 9)));
    EXPECT_EQ(ReadBytes(path), std::string("new\0bytes", 9));
    EXPECT_EQ(EntriesOf(dir.Path), std::set<std::string>{"names.nms"});
}

TEST(FileSystemAtomicWrite, KeepsThePermissionsOfTheFileItReplaces) {
    TScratchDir dir;
    const std::string path = dir / "Zarnik_M.cfg";
    WriteBytes(path, "ab");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "cd"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(FileSystemAtomicWrite, AWriteCutShortLeavesTheOldFileWhole) {
    TScratchDir dir;
    const std::string path = dir / "port.nms";
    WriteBytes(path, "first\r\n");
    std::string error;
    {
        test::TFileSizeLimit full(4);  // the disk "fills up" after 4 bytes
        EXPECT_FALSE(WriteFileAtomically(path, std::string(100, 'x'), &error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), "first\r\n");
    EXPECT_EQ(EntriesOf(dir.Path), std::set<std::string>{"port.nms"});
}

TEST(FileSystemAtomicWrite, RefusesMissingFoldersAndDirectoriesInThePlaceOfTheFile) {
    TScratchDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir / "missing/x.nms", "a", &error));
    EXPECT_FALSE(error.empty());

    ASSERT_TRUE(MakeDirectory(dir / "port.nms"));
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(dir / "port.nms", "a", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(DirectoryExists(dir / "port.nms"));
    EXPECT_EQ(EntriesOf(dir.Path), std::set<std::string>{"port.nms"});
}

TEST(FileSystemRead, WholeFilesOnlyFromThingsThatCanBeRead) {
    TScratchDir dir;
    WriteBytes(dir / "a.bin", std::string("\x00\xFF\r\n", 4));
    EXPECT_EQ(ReadWholeFile(dir / "a.bin"), std::string("\x00\xFF\r\n", 4));
    WriteBytes(dir / "empty", "");
    EXPECT_EQ(ReadWholeFile(dir / "empty"), std::string());
    EXPECT_FALSE(ReadWholeFile(dir / "missing").has_value());
    EXPECT_FALSE(ReadWholeFile(dir.Path).has_value());
}

TEST(FileSystemQueries, MakeDirectoryAcceptsAnExistingDirectoryButNotAFile) {
    TScratchDir dir;
    EXPECT_TRUE(MakeDirectory(dir / "sub"));
    EXPECT_TRUE(MakeDirectory(dir / "sub"));
    WriteBytes(dir / "file", "x");
    EXPECT_FALSE(MakeDirectory(dir / "file"));
    EXPECT_TRUE(FileExists(dir / "file"));
    EXPECT_FALSE(FileExists(dir / "sub"));
}

TEST(FileSystemCase, NamesResolveToTheExistingEntryWhateverItsCase) {
    TScratchDir dir;
    EXPECT_EQ(ResolveCaseInsensitive(dir.Path, "Zarnik_M.cfg"), "Zarnik_M.cfg");
    WriteBytes(dir / "ZARNIK_M.CFG", "x");
    EXPECT_EQ(ResolveCaseInsensitive(dir.Path, "Zarnik_M.cfg"), "ZARNIK_M.CFG");
    WriteBytes(dir / "Zarnik_M.cfg", "x");
    EXPECT_EQ(ResolveCaseInsensitive(dir.Path, "Zarnik_M.cfg"), "Zarnik_M.cfg");  // exact first
    EXPECT_EQ(ResolveCaseInsensitive(dir / "none", "a"), "a");
}

TEST(FileSystemCase, DatAndDATAreOneDirectory) {
    TScratchDir upper;
    ASSERT_TRUE(MakeDirectory(upper / "DAT"));
    EXPECT_EQ(EnsureDatDirectory(upper.Path), upper / "DAT");
    EXPECT_EQ(EntriesOf(upper.Path), std::set<std::string>{"DAT"});

    TScratchDir none;
    EXPECT_EQ(EnsureDatDirectory(none.Path), none / "dat");
    EXPECT_TRUE(DirectoryExists(none / "dat"));
    EXPECT_EQ(DatDirectoryPath(none.Path), none / "dat");

    TScratchDir blocked;
    WriteBytes(blocked / "dat", "a file, not a directory");
    EXPECT_FALSE(EnsureDatDirectory(blocked.Path).has_value());
}

}  // namespace
}  // namespace zarnik
