#include "platform/base_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;
using test::TTempDir;

// A home folder with a current folder inside it, as a launcher or a terminal leaves them.
struct THome {
    TTempDir Dir;
    std::string Home = Dir.Path + "/home";
    THome() { fs::create_directories(Home); }
    TBaseFolderFacts At(const std::string& current, const std::string& dataHome = "") const {
        return {"", current, Home, dataHome};
    }
};

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(BaseFolder, AnEmptyHomeFolderSendsTheFilesToTheDataFolder) {
    const THome h;
    const TBaseFolderChoice c = ChooseBaseFolder(h.At(h.Home));
    EXPECT_TRUE(c.InDataHome);
    EXPECT_EQ(c.Path, h.Home + "/.local/share/zarnik");
    // The same home written differently (a trailing slash, a dot) is still the home.
    EXPECT_TRUE(ChooseBaseFolder(h.At(h.Home + "/")).InDataHome);
    EXPECT_TRUE(ChooseBaseFolder(h.At(h.Home + "/.")).InDataHome);
}

TEST(BaseFolder, XdgDataHomeIsUsedOnlyWhenAbsolute) {
    const THome h;
    EXPECT_EQ(ChooseBaseFolder(h.At(h.Home, "/srv/data")).Path, "/srv/data/zarnik");
    EXPECT_EQ(ChooseBaseFolder(h.At(h.Home, "/srv/data/")).Path, "/srv/data/zarnik");
    // A relative value is invalid and falls back to the default under the home.
    EXPECT_EQ(ChooseBaseFolder(h.At(h.Home, "data")).Path, h.Home + "/.local/share/zarnik");
}

TEST(BaseFolder, AHomeThatHoldsTheProgramsFilesKeepsThem) {
    for (const char* entry : {"dat", "DAT", "Dat"}) {
        const THome h;
        fs::create_directory(h.Home + "/" + entry);
        const TBaseFolderChoice c = ChooseBaseFolder(h.At(h.Home));
        EXPECT_FALSE(c.InDataHome) << entry;
        EXPECT_EQ(c.Path, h.Home) << entry;
    }
    for (const char* entry : {"Zarnik_M.cfg", "ZARNIK_M.CFG"}) {
        const THome h;
        Touch(h.Home + "/" + entry);
        EXPECT_EQ(ChooseBaseFolder(h.At(h.Home)).Path, h.Home) << entry;
    }
    // A file called "dat" is no folder of configurations, and a folder called Zarnik_M.cfg no
    // options file: neither keeps the home as the base folder.
    const THome h;
    Touch(h.Home + "/dat");
    fs::create_directory(h.Home + "/Zarnik_M.cfg");
    EXPECT_TRUE(ChooseBaseFolder(h.At(h.Home)).InDataHome);
}

TEST(BaseFolder, AnyOtherFolderAndDirAreUsedAsTheyStand) {
    const THome h;
    const std::string project = h.Home + "/station";
    fs::create_directory(project);
    // An empty folder that is not the home: the program creates its files there, as always.
    EXPECT_EQ(ChooseBaseFolder(h.At(project)).Path, project);
    EXPECT_FALSE(ChooseBaseFolder(h.At(project)).InDataHome);
    // --dir wins even when started in the home.
    TBaseFolderFacts f = h.At(h.Home);
    f.DirOption = project;
    EXPECT_EQ(ChooseBaseFolder(f).Path, project);
    EXPECT_FALSE(ChooseBaseFolder(f).InDataHome);
}

TEST(BaseFolder, TheRootFolderCountsAsALauncherFolder) {
    const THome h;
    if (HoldsProgramFiles("/")) GTEST_SKIP() << "this machine keeps the files in /";
    EXPECT_TRUE(ChooseBaseFolder(h.At("/")).InDataHome);
}

TEST(BaseFolder, WithoutHomeOrDataHomeTheCurrentFolderStays) {
    const TBaseFolderChoice c = ChooseBaseFolder({"", "/", "", ""});
    EXPECT_FALSE(c.InDataHome);
    EXPECT_EQ(c.Path, "/");
}

TEST(BaseFolder, TheDataFolderIsCreatedWithItsParents) {
    const THome h;
    const TBaseFolderChoice c = ChooseBaseFolder(h.At(h.Home));
    const std::optional<std::string> made = PrepareBaseFolder(c);
    ASSERT_TRUE(made.has_value());
    EXPECT_TRUE(fs::is_directory(*made));
    // A second start finds it there.
    EXPECT_EQ(PrepareBaseFolder(c), made);
    // Blocked by a file where a folder must go: refused with the reason, nothing thrown.
    Touch(h.Dir.Path + "/blocked");
    std::string why;
    EXPECT_FALSE(PrepareBaseFolder({h.Dir.Path + "/blocked/zarnik", true}, &why).has_value());
    EXPECT_NE(why.find("blocked/zarnik"), std::string::npos) << why;
    // A folder not chosen as the data folder is never created here.
    EXPECT_EQ(PrepareBaseFolder({h.Dir.Path + "/elsewhere", false}), h.Dir.Path + "/elsewhere");
    EXPECT_FALSE(fs::exists(h.Dir.Path + "/elsewhere"));
}

}  // namespace
}  // namespace zarnik
