// Saving survives being killed at any moment: a child process saves a configuration, a names
// file and the options file over and over, and is killed (SIGKILL) at random points. Each file
// must then be the old one or the new one, complete, and "ats.bak" the configuration before.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "files/config_flows.h"
#include "model/names_list.h"
#include "model/program_options.h"
#include "platform/dialogs_stream.h"
#include "support/file_test_helpers.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

constexpr std::size_t kFileHeader = 200;
constexpr std::uint8_t kSystemSettingsId = 2;
constexpr std::size_t kGroupNames = 60;

// The save counter is kept in the first two bytes of the system-wide settings.
void SetMarker(TMainClass& session, int marker) {
    TRawSlot& slot = session.Area(ETable::SystemSettings).Slots[0];
    slot.Bytes[0] = static_cast<std::uint8_t>(marker & 0xFF);
    slot.Bytes[1] = static_cast<std::uint8_t>(marker >> 8);
}

// The counter of a configuration file, or -1 when the file holds no settings record.
int MarkerOf(const std::string& bytes) {
    for (std::size_t at = kFileHeader; at + 3 <= bytes.size();) {
        const std::size_t length = static_cast<std::uint8_t>(bytes[at]) |
                                   static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8;
        if (static_cast<std::uint8_t>(bytes[at + 2]) == kSystemSettingsId && length >= 2 &&
            at + 3 + length <= bytes.size())
            return static_cast<std::uint8_t>(bytes[at + 3]) |
                   static_cast<std::uint8_t>(bytes[at + 4]) << 8;
        at += 3 + length;
    }
    return -1;
}

std::string NamesContent(int marker) {
    std::string content = "g" + std::to_string(marker) + "\r\n";
    for (std::size_t i = 1; i < kGroupNames; ++i) content += "\r\n";
    return content;
}

struct TSaveRig {
    TSaveRig() : Station("Cedar") {
        TTableTicks all{};
        all.fill(true);
        Station.Store->TransferFlags = all;
        Config = Station.Dir.Path + "/dat/office.ats";
        Backup = Station.Dir.Path + "/ats.bak";
        Names = Station.Dir.Path + "/dat/group.nms";
        Options = Station.Dir.Path + "/" + kOptionsFileName;
    }

    // What a save with the counter writes.
    std::string ConfigBytes(int marker) {
        SetMarker(Station.Session, marker);
        const auto bytes = test::SavedBytes(Station.Session);
        return {bytes.begin(), bytes.end()};
    }

    // The child: saves all three files, counter after counter, until it is killed.
    [[noreturn]] void SaveForever() {
        TStreamDialogs dialogs(std::cerr, true);  // the options' messages, should there be any
        TTableTicks all{};
        all.fill(true);
        const auto current = test::ReadBytes(Config);
        for (int marker = std::max(0, MarkerOf(current)) + 1;; ++marker) {
            SetMarker(Station.Session, marker);
            TFileList file;
            // The session's own dialogs answer "Файл уже существует, перезаписать его?" OK.
            if (std::filesystem::exists(Config))
                Station.Dialogs.ExpectQuestion("Файл уже существует, перезаписать его?",
                                               TAnswer::Ok);
            if (!SaveConfiguration(Station.Session, *Station.Store, file, all, Config)) _exit(3);
            if (Station.Store->Names->SetGroupName(0, "g" + std::to_string(marker)) != 0) _exit(4);
            if (!SaveOptions(Station.Dir.Path, static_cast<std::uint8_t>(marker % 200 + 1), dialogs))
                _exit(5);
            if (!SaveSafetyOptions(Station.Dir.Path, {marker % 2 == 0, marker % 3 != 0, false},
                                   dialogs))
                _exit(6);
        }
    }

    test::TLoadedStation Station;
    std::string Config, Backup, Names, Options;
};

TEST(CrashSafeSave, KilledAtRandomEveryFileIsTheOldOrTheNewOneWhole) {
    TSaveRig rig;
    std::mt19937 random(20261209);
    // A round of saving flushes five files to the disk: tens of milliseconds on a busy machine.
    std::uniform_int_distribution<int> pause(2, 150);
    std::set<int> seen;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) rig.SaveForever();
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself: "
                                         << WEXITSTATUS(status);
        if (!std::filesystem::exists(rig.Config)) continue;  // killed before the first save

        const std::string config = test::ReadBytes(rig.Config);
        const int marker = MarkerOf(config);
        ASSERT_GT(marker, 0) << "round " << round;
        EXPECT_EQ(config, rig.ConfigBytes(marker)) << "round " << round;
        seen.insert(marker);
        // "ats.bak" is the configuration saved before this one, or already this one when the
        // kill came between the backup and the rename of the next save.
        if (marker > 1) {
            const std::string backup = test::ReadBytes(rig.Backup);
            const int previous = MarkerOf(backup);
            EXPECT_TRUE(previous == marker - 1 || previous == marker)
                << "round " << round << ": " << previous << " before " << marker;
            EXPECT_EQ(backup, rig.ConfigBytes(previous)) << "round " << round;
        }
        // The names file: whole, with the name of this save or of an earlier one (a child
        // killed between the configuration and the names leaves them one save behind, and the
        // next child goes on from the configuration's count).
        if (std::filesystem::exists(rig.Names)) {
            const std::string names = test::ReadBytes(rig.Names);
            const std::string untouched = [] {
                std::string empty;
                for (std::size_t i = 0; i < kGroupNames; ++i) empty += "\r\n";
                return empty;
            }();
            const std::size_t end = names.find("\r\n");
            const int named = names.size() > 1 && names[0] == 'g' && end != std::string::npos
                                  ? std::atoi(names.substr(1, end - 1).c_str())
                                  : -1;
            EXPECT_TRUE(names == untouched ||
                        (named > 0 && named <= marker && names == NamesContent(named)))
                << "round " << round << ": " << names.substr(0, 20);
        }
        // The options file: two bytes, or two bytes and a whole switch record.
        if (std::filesystem::exists(rig.Options)) {
            const std::string options = test::ReadBytes(rig.Options);
            EXPECT_TRUE(options.size() == 2 || options.size() == 9) << options.size();
            test::TScriptedDialogs dialogs(true);
            const TProgramOptions read = LoadOrCreateOptions(rig.Station.Dir.Path, dialogs);
            EXPECT_EQ(read.Source, TOptionsSource::Read);
        }
    }
    // The kills fell at many different points of the saving.
    EXPECT_GT(seen.size(), 2u);
}

}  // namespace
}  // namespace zarnik
