#include "flows/offline_constructor.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(VersionBytes("23.8"), (TBytes{0x38, 0x02}));
    // A version the rule cannot turn into two bytes of digits.
    for (const char* bad : {"", "24.75", "2", "2.4", "24", "2x.7", "24.a", "...."})
        EXPECT_FALSE(VersionBytes(bad).has_value()) << bad;
}

TEST(OfflineConstructorDraft, CedarCompositionWithoutTheSecondUnit) {
    const TConstructorDraft draft =
        Draft("Cedar", "24.7", {"Kama", "Don", "", "Volga", "Neva", "Onega"});
    EXPECT_FALSE(draft.SecondUnit());
    const std::vector<std::uint8_t> expected{1,   3,   255, 11,  2,   10,  255, 255, 255,
                                             255, 255, 255, 255, 255, 255, 255, 6};
    EXPECT_EQ(draft.CompositionBytes(), expected);
}

TEST(OfflineConstructorDraft, SecondUnitFollowsItsSlots) {
    TConstructorDraft draft = Draft("Cedar", "24.7", {"Kama"});
    EXPECT_TRUE(draft.SecondUnitEnabled());
    EXPECT_TRUE(draft.SetBoard(7, "Neva"));
    EXPECT_TRUE(draft.SecondUnit());
    EXPECT_TRUE(draft.SetSecondUnit(false));  // undone while slot 7 holds a board
    const std::vector<std::uint8_t> codes = draft.CompositionBytes();
    ASSERT_EQ(codes.size(), 17u);
    EXPECT_EQ(codes[9], 2);  // slot 7 sits after the two unused places
    EXPECT_EQ(codes[14], 255);
    EXPECT_EQ(codes[15], 7);
    EXPECT_EQ(codes[16], 6);

    EXPECT_TRUE(draft.SetBoard(7, ""));
    EXPECT_TRUE(draft.SecondUnit());  // emptying the slot leaves the tick alone
    EXPECT_FALSE(draft.SetSecondUnit(false));
    EXPECT_EQ(draft.CompositionBytes()[15], 255);
    EXPECT_TRUE(draft.SetSecondUnit(true));
    EXPECT_EQ(draft.CompositionBytes()[15], 7);

    // Only Cedar has the box; a board in a high slot elsewhere ticks nothing.
    TConstructorDraft dogwood = Draft("Dogwood", "24.7");
    EXPECT_TRUE(dogwood.SetBoard(9, "Kama"));
    EXPECT_FALSE(dogwood.SecondUnitEnabled());
    EXPECT_FALSE(dogwood.SetSecondUnit(true));
    EXPECT_EQ(dogwood.CompositionBytes().size(), 15u);
}

TEST(OfflineConstructorDraft, SlotsFollowTheModel) {
    TConstructorDraft draft = Draft("Alder", "24.7", {"Oka", "Lena"});
    EXPECT_EQ(draft.Boards().size(), 6u);
    EXPECT_EQ(draft.CompositionBytes(), (std::vector<std::uint8_t>{1, 7, 255, 255, 255, 255}));
    EXPECT_FALSE(draft.SetBoard(6, "Oka"));   // Alder has six slots
    EXPECT_FALSE(draft.SetBoard(0, "Kama"));  // a ten-port board
    EXPECT_TRUE(draft.SetModel("Alder"));
    EXPECT_EQ(draft.Boards()[0], "Oka");  // the same model keeps the slots
    EXPECT_TRUE(draft.SetModel("Birch"));
    EXPECT_EQ(draft.Boards(), std::vector<std::string>(10, ""));
    EXPECT_FALSE(draft.SetModel("Elm"));
    EXPECT_EQ(draft.Model(), "Birch");

    TConstructorDraft noVersion;
    noVersion.SetModel("Cedar");
    EXPECT_FALSE(noVersion.SetBoard(0, "Kama"));
}

TEST(OfflineConstructorBuild, AlderHasItsCountsAndNoConferences) {
    TOfflineSession s("Cedar", "24,8");
    s.Session.ConferenceParams = {10, 30, 1, 200, 0};
    s.Session.Identified = true;
    const auto flags = s.Session.ChangeFlags;

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
    EXPECT_EQ(id.RoutingTableCount, 50);
    EXPECT_EQ(id.TimeUnit, 4);
    EXPECT_EQ(id.SerialNumber, "0");
    EXPECT_EQ(s.Session.ConferenceParams, (std::array<std::uint8_t, 5>{}));
    EXPECT_EQ(s.Session.IdRawLength, 22);
    EXPECT_EQ(s.Session.IdDecodedLength, 20);
    EXPECT_EQ(s.Session.Key, 0);
    EXPECT_FALSE(s.Session.Identified);
    EXPECT_TRUE(s.Session.DataPresent);
    EXPECT_EQ(s.Session.ChangeFlags, flags);
    EXPECT_FALSE(s.Session.VerFlags->QuickConferences());

    EXPECT_EQ(s.Store->Model, "Alder");
    EXPECT_EQ(s.Store->VersionText, "ZN 5.5 / 24,7");
    ASSERT_EQ(s.Store->CompositionCount, 6);
    EXPECT_EQ(s.Store->Composition[0].BoardType, "Oka");
    EXPECT_EQ(s.Store->Composition[1].BoardType, "Lena");
    EXPECT_EQ(s.Store->Composition[2].BoardType, "Clear");
    EXPECT_EQ(s.Store->Ports.size(), 48u);
    EXPECT_EQ(s.Session.Area(ETable::Redirections).Slots[0].Length, 48);
}

TEST(OfflineConstructorBuild, CedarGetsItsIdentityStatusBlocksAndBlankTables) {
    TOfflineSession s("Alder", "24,8");
    s.Session.Area(ETable::TrunkLines).Slots[0].Assign(std::vector<std::uint8_t>(12, 0x77));
    TConstructorDraft draft = Draft("Cedar", "24.7", {"Kama", "Don", "", "Volga"});
    ASSERT_TRUE(draft.SetBoard(6, "Neva"));

    ASSERT_EQ(BuildOfflineStation(s.Session, *s.Store, draft), EConstructResult::Built);
    const std::array<std::uint8_t, 20> id{0,    0, 0, 0, 1, 4, 0x47, 0x02, 60, 120,
                                          0,    0, 0, 4, 0, 0, 4,    50,   6,  36};
    EXPECT_TRUE(std::equal(id.begin(), id.end(), s.Session.IdBuffer.begin()));
    EXPECT_EQ(s.Session.ConferenceParams, (std::array<std::uint8_t, 5>{10, 30, 1, 200, 0}));
    ASSERT_EQ(s.Session.TimeDefaultsLength, 52);
    EXPECT_EQ(s.Session.TimeDefaultsRaw[51], 96);
    // Entry 0 is the word 0x4014: multiplier 4, step 20 quarters.
    EXPECT_EQ(s.Store->TimeDefaults.Codes[0], 4);
    EXPECT_FLOAT_EQ(s.Store->TimeDefaults.Values[0], 5.0f);

    // Six first-unit slots, six second-unit slots and the second unit's own place.
    ASSERT_EQ(s.Store->CompositionCount, 13);
    EXPECT_EQ(s.Store->Composition[3].BoardType, "Volga");
    EXPECT_EQ(s.Store->Composition[6].BoardType, "Neva");
    EXPECT_EQ(s.Store->Composition[12].BoardType, "Double");
    EXPECT_EQ(s.Store->Ports.front()->Number, 200);
    EXPECT_EQ(s.Store->Ports.size(), 120u);

    const TRawSlot& trunk = s.Session.Area(ETable::TrunkLines).Slots[0];
    EXPECT_EQ(trunk.Length, 5);
    EXPECT_EQ(trunk.Bytes[4], 8);
    EXPECT_EQ(trunk.Bytes[5], 0);
    EXPECT_EQ(s.Session.Area(ETable::TimeSettings).Slots[0].Length, 52);
    EXPECT_EQ(s.Session.Area(ETable::Redirections).Slots[0].Length, 120);
    EXPECT_EQ(s.Session.Area(ETable::QuickConferences).Count, 10);

    TOfflineSession d("Cedar", "24,8");
    ASSERT_EQ(BuildOfflineStation(d.Session, *d.Store, Draft("Dogwood", "24.7")),
              EConstructResult::Built);
    EXPECT_EQ(d.Session.ConferenceParams[1], 60);
    EXPECT_EQ(d.Session.Identity.StaCount, 45);
    EXPECT_EQ(d.Session.HwListLength, 15);
}

TEST(OfflineConstructorBuild, NothingChosenOrABadVersionBuildsNothing) {
    TOfflineSession s("Birch", "24,8");
    s.Session.IdBuffer[5] = 8;
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
    struct TCase {
        const char* Model;
        std::vector<std::string> Boards;
    };
    const std::vector<TCase> cases{{"Cedar", {"Kama", "Don", "", "Volga", "", "", "Onega"}},
                                   {"Dogwood", {"Neva", "Volga"}},
                                   {"Alder", {"Oka", "Ural", "Lena"}},
                                   {"Birch", {"Svir", "LenaN"}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Model);
        TOfflineSession built("Cedar", "24,8");
        ASSERT_EQ(BuildOfflineStation(built.Session, *built.Store,
                                      Draft(c.Model, "24.7", c.Boards)),
                  EConstructResult::Built);
        const std::string name = built.Dir.Path + "/blank.ats";
        TFileList out;
        ASSERT_TRUE(SaveConfiguration(built.Session, *built.Store, out, All(), name));

        TOfflineSession loaded("Cedar", "24,8");
        TFileList in;
        ASSERT_TRUE(LoadConfiguration(loaded.Session, *loaded.Store, in, All(), name));
        const TMainClass& a = built.Session;
        const TMainClass& b = loaded.Session;
        EXPECT_TRUE(std::equal(a.IdBuffer.begin(), a.IdBuffer.begin() + 20, b.IdBuffer.begin()));
        EXPECT_EQ(b.Identity.ModelName, c.Model);
        EXPECT_EQ(b.TimeDefaultsLength, a.TimeDefaultsLength);
        EXPECT_EQ(b.TimeDefaultsRaw, a.TimeDefaultsRaw);
        EXPECT_EQ(b.HwListLength, a.HwListLength);
        EXPECT_EQ(b.HwList, a.HwList);
        EXPECT_EQ(b.ConferenceParams, a.ConferenceParams);
        for (ETable t : kAllTables) {
            const TRawArea& x = a.Area(t);
            const TRawArea& y = b.Area(t);
            ASSERT_EQ(x.Slots.size(), y.Slots.size());
            for (std::size_t i = 0; i < x.Slots.size(); ++i) {
                EXPECT_EQ(x.Slots[i].Length, y.Slots[i].Length)
                    << "table " << SelectionIndex(t) << " slot " << i;
                EXPECT_EQ(x.Slots[i].Bytes, y.Slots[i].Bytes)
                    << "table " << SelectionIndex(t) << " slot " << i;
            }
        }
        EXPECT_EQ(loaded.Store->CompositionCount, built.Store->CompositionCount);
        EXPECT_EQ(loaded.Store->Ports.size(), built.Store->Ports.size());
    }
}

// zarnik-cli new and clear, run as a user runs them.
int RunCli(const std::string& dir, const std::string& args) {
    const std::string command = std::string(ZARNIK_CLI_PATH) + " --dir '" + dir + "' " + args +
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OfflineConstructorCli, NewAndClearWriteFilesAndReportBadArguments) {
    if (!std::filesystem::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
    test::TScratchDir dir;
    const std::string blank = dir / "blank.ats";
    EXPECT_EQ(RunCli(dir.Path, "new --model Cedar --version 24.7 --boards Kama,Don,,Volga -o " +
                                   blank),
              0);
    ASSERT_TRUE(std::filesystem::exists(blank));
    // An existing file is replaced only when the question is answered.
    EXPECT_EQ(RunCli(dir.Path, "new --model Cedar --version 24.7 -o " + blank), 1);
    EXPECT_EQ(RunCli(dir.Path, "-y new --model Cedar --version 24.7 --second-unit --boards "
                               "Kama,Don,,Volga -o " + blank),
              0);
    EXPECT_EQ(RunCli(dir.Path, "new --model Cedar --version 24.7 --boards Kama,Oka -o x.ats"), 2);
    EXPECT_EQ(RunCli(dir.Path, "new --model Alder --version 24.7 --second-unit -o x.ats"), 2);
    EXPECT_EQ(RunCli(dir.Path, "new --model Alder --version 24.75 -o x.ats"), 2);
    EXPECT_EQ(RunCli(dir.Path, "new --model Elm --version 24.7 -o x.ats"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ats"));

    const std::string cleared = dir / "cleared.ats";
    EXPECT_EQ(RunCli(dir.Path, "clear " + blank + " --tables trunks,redirect -o " + cleared), 0);
    EXPECT_EQ(RunCli(dir.Path, "clear " + blank + " --tables nosuch -o " + cleared), 2);
    EXPECT_EQ(RunCli(dir.Path, "clear " + (dir / "missing.ats") + " -o " + (dir / "y.ats")), 1);

    TOfflineSession s("Cedar", "24,8");
    TFileList file;
    ASSERT_TRUE(LoadConfiguration(s.Session, *s.Store, file, All(), cleared));
    EXPECT_EQ(s.Session.Identity.ModelName, "Cedar");
    EXPECT_EQ(s.Session.HwList[15], 7);  // the second unit
    EXPECT_EQ(s.Session.Area(ETable::TrunkLines).Slots[59].Bytes[4], 8);
}

}  // namespace
}  // namespace zarnik
