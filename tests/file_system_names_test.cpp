// The file system layer's names on every platform: long names in any script, the temporaries
// beside a file, folder listings and scratch folders.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace zarnik {
namespace {

// Whether `s` is well-formed UTF-8 (no sequence cut short).
bool WellFormedUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i++]);
        std::size_t extra = 0;
        if (lead >= 0xF0) {
            extra = 3;
        } else if (lead >= 0xE0) {
            extra = 2;
        } else if (lead >= 0xC0) {
            extra = 1;
        } else if (lead >= 0x80) {
            return false;  // a continuation byte without its lead
        }
        for (; extra > 0; --extra, ++i)
            if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return false;
    }
    return true;
}

TEST(FileSystemNames, TemporaryOfALongCyrillicNameIsWholeUtf8InTheSameFolder) {
    test::TTempDir dir;
    // 40 two-byte letters: the temporary borrows only the start of the name, and must not cut
    // a letter in half (Windows would turn the half into another character, and the name
    // would no longer be the one this process made).
    std::string name;
    for (int i = 0; i < 40; ++i) name += "Ж";
    name = "a" + name + ".ats";  // one ASCII byte first, so a 64-byte cut lands mid-letter
    const std::string path = JoinPath(dir.Path, name);
    const auto temp = WriteTemporaryBeside(path, "bytes");
    ASSERT_TRUE(temp.has_value());
    EXPECT_TRUE(WellFormedUtf8(*temp)) << *temp;
    EXPECT_EQ(temp->rfind(dir.Path, 0), 0u);
    EXPECT_LT(temp->size(), path.size() + 20);
    ASSERT_TRUE(CommitTemporary(*temp, path));
    EXPECT_EQ(ReadWholeFile(path), "bytes");
    EXPECT_EQ(DirectoryEntries(dir.Path), std::vector<std::string>{name});
}

TEST(FileSystemNames, ListingsScratchFoldersAndRemoval) {
    test::TTempDir dir;
    EXPECT_TRUE(DirectoryEntries(dir.Path).empty());  // no "." or ".."
    EXPECT_TRUE(DirectoryEntries(JoinPath(dir.Path, "missing")).empty());
    ASSERT_TRUE(MakeDirectory(JoinPath(dir.Path, "sub")));
    ASSERT_TRUE(WriteFileAtomically(JoinPath(dir.Path, "b.txt"), ""));
    auto entries = DirectoryEntries(dir.Path);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"b.txt", "sub"}));

    const auto a = MakeTemporaryDirectory("zarnik-names");
    const auto b = MakeTemporaryDirectory("zarnik-names");
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_TRUE(DirectoryExists(*a) && DirectoryExists(*b));
    EXPECT_TRUE(DirectoryWritable(*a));
    EXPECT_TRUE(RemoveFile(JoinPath(dir.Path, "b.txt")));
    EXPECT_FALSE(FileExists(JoinPath(dir.Path, "b.txt")));
    EXPECT_NE(ProcessId(), 0u);
    for (const auto& d : {*a, *b}) std::filesystem::remove_all(d);
}

}  // namespace
}  // namespace zarnik
