// The file system layer on Windows: UTF-8 names through the wide calls, the atomic save with
// the system's own replace, both kinds of slash, and names matched without regard to case.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/file_system.h"
#include "platform/wide_text.h"
#include "support/temp_dir.h"

namespace zarnik {
namespace {

// What the system itself sees under `path`, read with the wide calls only.
std::string ReadNatively(const std::string& path) {
    const HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content(4096, '\0');
    DWORD n = 0;
    ReadFile(h, content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
    CloseHandle(h);
    content.resize(n);
    return content;
}

TEST(WindowsFileSystem, CyrillicNamesReachTheSystemAsTheyAre) {
    test::TTempDir dir;
    ASSERT_FALSE(dir.Path.empty());
    const std::string folder = dir.Path + "/Конфигурации АТС";
    ASSERT_TRUE(MakeDirectory(folder));
    EXPECT_TRUE(DirectoryExists(folder));
    const std::string file = folder + "/Офис №2.ats";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file, std::string("\x01\x00\xFF", 3), &error)) << error;

    EXPECT_EQ(ReadNatively(file), std::string("\x01\x00\xFF", 3));
    EXPECT_EQ(ReadWholeFile(file), std::string("\x01\x00\xFF", 3));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    // The listing gives the name back in UTF-8, and no temporary was left beside it.
    EXPECT_EQ(DirectoryEntries(folder), std::vector<std::string>{"Офис №2.ats"});
}

TEST(WindowsFileSystem, AtomicSaveReplacesAnExistingFileAndLeavesNothingBehind) {
    test::TTempDir dir;
    const std::string file = dir.Path + "/station.ats";
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    ASSERT_TRUE(WriteFileAtomically(file, "new and longer"));
    EXPECT_EQ(ReadNatively(file), "new and longer");
    EXPECT_EQ(DirectoryEntries(dir.Path), std::vector<std::string>{"station.ats"});

    // The two halves: the temporary is complete before it replaces anything.
    const auto temp = WriteTemporaryBeside(file, "third");
    ASSERT_TRUE(temp.has_value());
    EXPECT_EQ(ReadNatively(file), "new and longer");
    EXPECT_EQ(ReadNatively(*temp), "third");
    ASSERT_TRUE(CommitTemporary(*temp, file));
    EXPECT_EQ(ReadNatively(file), "third");
    EXPECT_EQ(DirectoryEntries(dir.Path).size(), 1u);
}

TEST(WindowsFileSystem, AFailedSaveSaysWhyAndChangesNothing) {
    test::TTempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.Path + "/no such folder/x.ats", "data", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(DirectoryEntries(dir.Path).empty());

    // A folder in the file's place is refused before anything is written.
    ASSERT_TRUE(MakeDirectory(dir.Path + "/taken.ats"));
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(dir.Path + "/taken.ats", "data", &error));
    EXPECT_NE(error.find("is a directory"), std::string::npos);
    EXPECT_EQ(DirectoryEntries(dir.Path), std::vector<std::string>{"taken.ats"});
}

TEST(WindowsFileSystem, BackslashPathsKeepTheTemporaryInTheFilesFolder) {
    test::TTempDir dir;
    ASSERT_TRUE(MakeDirectory(dir.Path + "/dat"));
    std::string native = dir.Path + "\\dat\\backup.ats";
    for (char& c : native)
        if (c == '/') c = '\\';
    // Were the temporary made by the folder part before the last '/', it would land in the
    // parent folder, and the replace would cross folders.
    const auto temp = WriteTemporaryBeside(native, "x");
    ASSERT_TRUE(temp.has_value());
    EXPECT_NE(temp->find("\\dat\\."), std::string::npos) << *temp;
    ASSERT_TRUE(CommitTemporary(*temp, native));
    EXPECT_EQ(DirectoryEntries(dir.Path + "/dat"), std::vector<std::string>{"backup.ats"});
    EXPECT_EQ(JoinPath(dir.Path + "\\dat\\", "x"), dir.Path + "\\dat\\x");
}

TEST(WindowsFileSystem, DatFolderIsFoundInAnyLetterCase) {
    test::TTempDir dir;
    ASSERT_TRUE(MakeDirectory(dir.Path + "/DAT"));
    // The system matches without regard to case: the existing folder is used, not a second.
    const auto dat = EnsureDatDirectory(dir.Path);
    ASSERT_TRUE(dat.has_value());
    ASSERT_TRUE(WriteFileAtomically(JoinPath(*dat, "port.nms"), "names"));
    EXPECT_EQ(DirectoryEntries(dir.Path), std::vector<std::string>{"DAT"});
    EXPECT_EQ(ReadWholeFile(dir.Path + "/DAT/PORT.NMS"), "names");
}

TEST(WindowsFileSystem, WritableFoldersAndTheCurrentDirectory) {
    test::TTempDir dir;
    EXPECT_TRUE(DirectoryWritable(dir.Path));
    EXPECT_FALSE(DirectoryWritable(dir.Path + "/missing"));
    EXPECT_TRUE(DirectoryEntries(dir.Path).empty());  // the probe file is gone again

    const std::string folder = dir.Path + "/Рабочая папка";
    ASSERT_TRUE(MakeDirectory(folder));
    const std::string before = CurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectoryW(WideFromUtf8(folder).c_str()));
    const std::string now = CurrentDirectory();
    SetCurrentDirectoryW(WideFromUtf8(before).c_str());
    EXPECT_NE(now.find("Рабочая папка"), std::string::npos) << now;
    EXPECT_TRUE(DirectoryExists(now));
}

TEST(WindowsFileSystem, RemoveFileAndFlushToDisk) {
    test::TTempDir dir;
    const std::string file = dir.Path + "/report.xlsx";
    ASSERT_TRUE(WriteFileAtomically(file, "x"));
    EXPECT_TRUE(FlushFileToDisk(file));
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(PathExists(file));
    EXPECT_TRUE(RemoveFile(file));  // gone already: still gone
    EXPECT_FALSE(FlushFileToDisk(file));
}

}  // namespace
}  // namespace zarnik
