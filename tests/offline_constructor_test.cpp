#include "flows/offline_constructor.h"

#include <gtest/gtest.h>

#include "support/tool_paths.h"
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "files/config_flows.h"
#include "support/file_test_helpers.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

using test::TOfflineSession;

TConstructorDraft Draft(const std::string& model, const std::string& version,
                        const std::vector<std::string>& boards = {}) {
    TConstructorDraft draft;
    draft.SetModel(model);
    draft.SetVersion(version);
    for (std::size_t i = 0; i < boards.size(); ++i)
        EXPECT_TRUE(draft.SetBoard(static_cast<int>(i), boards[i])) << boards[i];
    return draft;
}

TTableTicks All() {
    TTableTicks ticks;
    ticks.fill(true);
    return ticks;
}

TEST(OfflineConstructorVersion, DigitsBecomeTheTwoIdentificationBytes) {
    using TBytes = std::array<std::uint8_t, 2>;
    EXPECT_EQ(VersionBytes("24.7"), (TBytes{0x47, 0x02}));
    EXPECT_EQ(VersionBytes("24,7"), (TBytes{0x47, 0x02}));
    EXPECT_EQ(VersionBytes("247"), (TBytes{0x47, 0x02}));
    for (const char* bad : {"", "24.75", "2", "2.4", "2x.7", "24.a"})
        EXPECT_FALSE(VersionBytes(bad).has_value()) << bad;
}

TEST(OfflineConstructorDraft, CedarCompositionAndItsSecondUnit) {
    TConstructorDraft draft = Draft("Cedar", "24.7", {"Kama", "Don", "", "Volga", "Neva", "Onega"});
    EXPECT_FALSE(draft.SecondUnit());
    EXPECT_EQ(draft.CompositionBytes(),
              (std::vector<std::uint8_t>{1, 3, 255, 11, 2, 10, 255, 255, 255, 255, 255, 255, 255,
                                         255, 255, 255, 6}));

    EXPECT_TRUE(draft.SetBoard(7, "Neva"));
    EXPECT_TRUE(draft.SecondUnit());
    EXPECT_TRUE(draft.SetSecondUnit(false));  // undone while slot 7 holds a board
    const std::vector<std::uint8_t> codes = draft.CompositionBytes();
    EXPECT_EQ(codes[9], 2);  // slot 7 sits after the two unused places
    EXPECT_EQ(codes[15], 7);
    EXPECT_TRUE(draft.SetBoard(7, ""));
    EXPECT_FALSE(draft.SetSecondUnit(false));
    EXPECT_EQ(draft.CompositionBytes()[15], 255);
    TConstructorDraft dogwood = Draft("Dogwood", "24.7");
    EXPECT_FALSE(dogwood.SetSecondUnit(true));  // only Cedar has the box
    EXPECT_EQ(dogwood.CompositionBytes(), std::vector<std::uint8_t>(15, 255));
}

TEST(OfflineConstructorDraft, SlotsFollowTheModel) {
    TConstructorDraft draft = Draft("Alder", "24.7", {"Oka", "Lena"});
    EXPECT_EQ(draft.CompositionBytes(), (std::vector<std::uint8_t>{1, 7, 255, 255, 255, 255}));
    EXPECT_FALSE(draft.SetBoard(6, "Oka"));   // Alder has six slots
    EXPECT_FALSE(draft.SetBoard(0, "Kama"));  // a ten-port board
    EXPECT_TRUE(draft.SetModel("Alder"));
    EXPECT_EQ(draft.Boards()[0], "Oka");  // the same model keeps the slots
    EXPECT_TRUE(draft.SetModel("Birch"));
    EXPECT_EQ(draft.Boards(), std::vector<std::string>(10, ""));
    EXPECT_FALSE(Draft("Cedar", "").SetBoard(0, "Kama"));
}

TEST(OfflineConstructorBuild, AlderHasItsCountsAndNoConferences) {
    TOfflineSession s;
    s.Session.ConferenceParams = {10, 30, 1, 200, 0};
    s.Session.Identified = true;
    ASSERT_EQ(BuildOfflineStation(s.Session, *s.Store, Draft("Alder", "24.7", {"Oka", "Lena"})),
              EConstructResult::Built);
    const TIdentity& id = s.Session.Identity;
    EXPECT_EQ(id.ModelName, "Alder");
    EXPECT_EQ(id.Version, "24,7");
    EXPECT_EQ(id.SubscriberLineCount, 48);
    EXPECT_EQ(id.TrunkLineCount, 12);
    EXPECT_EQ(id.DoorPhoneCount, 2);
    EXPECT_EQ(id.LoudspeakerCount, 2);
    EXPECT_EQ(id.StaCount, 24);
    EXPECT_EQ(s.Session.ConferenceParams, (std::array<std::uint8_t, 5>{}));
    EXPECT_FALSE(s.Session.Identified);
    EXPECT_TRUE(s.Session.DataPresent);
    EXPECT_EQ(s.Session.ChangeFlags, decltype(s.Session.ChangeFlags){});
    EXPECT_EQ(s.Store->VersionText, "ZN 5.5 / 24,7");
    EXPECT_EQ(s.Store->CompositionCount, 6);
    EXPECT_EQ(s.Store->Ports.size(), 48u);
}

TEST(OfflineConstructorBuild, CedarGetsItsIdentityStatusBlocksAndBlankTables) {
    TOfflineSession s("Alder", "24,8");
    s.Session.Area(ETable::TrunkLines).Slots[0].Assign(std::vector<std::uint8_t>(12, 0x77));
    TConstructorDraft draft = Draft("Cedar", "24.7", {"Kama", "Don", "", "Volga"});
    ASSERT_TRUE(draft.SetBoard(6, "Neva"));

    ASSERT_EQ(BuildOfflineStation(s.Session, *s.Store, draft), EConstructResult::Built);
    const std::array<std::uint8_t, 20> id{0, 0, 0, 0, 1, 4, 0x47, 0x02, 60, 120,
                                          0, 0, 0, 4, 0, 0, 4,    50,   6,  36};
    EXPECT_TRUE(std::equal(id.begin(), id.end(), s.Session.IdBuffer.begin()));
    EXPECT_EQ(s.Session.ConferenceParams, (std::array<std::uint8_t, 5>{10, 30, 1, 200, 0}));
    ASSERT_EQ(s.Session.TimeDefaultsLength, 52);
    // Entry 0 is the word 0x4014: multiplier 4, step 20 quarters.
    EXPECT_EQ(s.Store->TimeDefaults.Codes[0], 4);
    EXPECT_FLOAT_EQ(s.Store->TimeDefaults.Values[0], 5.0f);
    // Six first-unit slots, six second-unit slots and the second unit's own place.
    ASSERT_EQ(s.Store->CompositionCount, 13);
    EXPECT_EQ(s.Store->Composition[6].BoardType, "Neva");
    EXPECT_EQ(s.Store->Composition[12].BoardType, "Double");
    EXPECT_EQ(s.Store->Ports.size(), 120u);

    const TRawSlot& trunk = s.Session.Area(ETable::TrunkLines).Slots[0];
    EXPECT_EQ(trunk.Length, 5);
    EXPECT_EQ(s.Session.Area(ETable::Redirections).Slots[0].Length, 120);
    EXPECT_EQ(s.Session.Area(ETable::QuickConferences).Count, 10);
}

TEST(OfflineConstructorBuild, NothingChosenOrABadVersionBuildsNothing) {
    TOfflineSession s("Birch", "24,8");
    const auto idBefore = s.Session.IdBuffer;
    const auto trunkBefore = s.Session.Area(ETable::TrunkLines).Slots[0].Bytes;
    EXPECT_EQ(BuildOfflineStation(s.Session, *s.Store, Draft("", "24.7")),
              EConstructResult::NotChosen);
    EXPECT_EQ(BuildOfflineStation(s.Session, *s.Store, Draft("Cedar", "")),
              EConstructResult::NotChosen);
    EXPECT_TRUE(s.Dialogs.Seen.empty());

    EXPECT_EQ(BuildOfflineStation(s.Session, *s.Store, Draft("Cedar", "24.75")),
              EConstructResult::BadVersion);
    ASSERT_EQ(s.Dialogs.Seen.size(), 1u);
    EXPECT_EQ(s.Dialogs.Seen[0].Caption, "Ошибка");
    EXPECT_EQ(s.Session.IdBuffer, idBefore);
    EXPECT_EQ(s.Session.Identity.ModelName, "Birch");
    EXPECT_EQ(s.Session.Area(ETable::TrunkLines).Slots[0].Bytes, trunkBefore);
    EXPECT_FALSE(s.Session.DataPresent);
}

TEST(OfflineConstructorFile, SavedAndLoadedBackGivesTheSameRawAreas) {
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases{
        {"Cedar", {"Kama", "Don", "", "Volga", "", "", "Onega"}},
        {"Dogwood", {"Neva", "Volga"}},
        {"Alder", {"Oka", "Ural", "Lena"}},
        {"Birch", {"Svir", "LenaN"}}};
    for (const auto& [model, boards] : cases) {
        SCOPED_TRACE(model);
        TOfflineSession built;
        ASSERT_EQ(BuildOfflineStation(built.Session, *built.Store, Draft(model, "24.7", boards)),
                  EConstructResult::Built);
        const std::string name = built.Dir.Path + "/blank.ats";
        TFileList out;
        ASSERT_TRUE(SaveConfiguration(built.Session, *built.Store, out, All(), name));
        TOfflineSession loaded;
        TFileList in;
        ASSERT_TRUE(LoadConfiguration(loaded.Session, *loaded.Store, in, All(), name));

        const TMainClass& a = built.Session;
        const TMainClass& b = loaded.Session;
        EXPECT_TRUE(std::equal(a.IdBuffer.begin(), a.IdBuffer.begin() + 20, b.IdBuffer.begin()));
        EXPECT_EQ(b.TimeDefaultsRaw, a.TimeDefaultsRaw);
        EXPECT_EQ(b.HwListLength, a.HwListLength);
        EXPECT_EQ(b.HwList, a.HwList);
        EXPECT_EQ(b.ConferenceParams, a.ConferenceParams);
        for (ETable t : kAllTables) {
            const auto& x = a.Area(t).Slots;
            const auto& y = b.Area(t).Slots;
            // A file carries only the station's own trunk lines.
            const std::size_t n = t == ETable::TrunkLines ? a.Identity.TrunkLineCount : x.size();
            for (std::size_t i = 0; i < n; ++i) {
                EXPECT_EQ(x[i].Bytes, y[i].Bytes) << SelectionIndex(t) << " slot " << i;
                // Program numbers always travel in files as whole parts of zero bytes.
                if (t == ETable::ProgramNumbers) continue;
                EXPECT_EQ(x[i].Length, y[i].Length) << SelectionIndex(t) << " slot " << i;
            }
        }
        EXPECT_EQ(loaded.Store->Ports.size(), built.Store->Ports.size());
    }
}

// zarnik-cli as a user runs it; the exit status.
int RunCli(const std::string& dir, const std::string& args) {
    const std::string command =
        std::string(ZARNIK_CLI_PATH) + " --dir '" + dir + "' " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OfflineConstructorCli, NewAndClearWriteFilesAndReportBadArguments) {
    if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
    test::TScratchDir dir;
    const std::string blank = dir / "blank.ats";
    const std::string cedar = "new --model Cedar --version 24.7 --boards Kama,Don,,Volga ";
    EXPECT_EQ(RunCli(dir.Path, cedar + "-o " + blank), 0);
    EXPECT_EQ(RunCli(dir.Path, cedar + "-o " + blank), 1);  // the overwrite was not answered
    EXPECT_EQ(RunCli(dir.Path, "-y " + cedar + "--second-unit -o " + blank), 0);
    EXPECT_EQ(RunCli(dir.Path, "new --model Cedar --version 24.7 --boards Oka -o x.ats"), 2);
    EXPECT_EQ(RunCli(dir.Path, "new --model Alder --version 24.7 --second-unit -o x.ats"), 2);
    EXPECT_EQ(RunCli(dir.Path, "new --model Alder --version 24.75 -o x.ats"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ats"));

    const std::string cleared = dir / "cleared.ats";
    EXPECT_EQ(RunCli(dir.Path, "clear " + blank + " --tables trunks,redirect -o " + cleared), 0);
    EXPECT_EQ(RunCli(dir.Path, "clear " + blank + " --tables nosuch -o " + cleared), 2);
    EXPECT_EQ(RunCli(dir.Path, "clear " + (dir / "missing.ats") + " -o " + (dir / "y.ats")), 1);
    TOfflineSession s;
    TFileList file;
    ASSERT_TRUE(LoadConfiguration(s.Session, *s.Store, file, All(), cleared));
    EXPECT_EQ(s.Session.HwList[15], 7);  // the second unit
    EXPECT_EQ(s.Session.Area(ETable::TrunkLines).Slots[59].Bytes[4], 8);
}

}  // namespace
}  // namespace zarnik
