// The simulated station's per-request faults, and what a station loaded from a configuration
// file holds, without a pseudo-terminal.

#include <gtest/gtest.h>

#include "files/config_flows.h"
#include "sim/builtin_stations.h"
#include "sim/sim_station.h"
#include "sim/station_images.h"
#include "support/sim_feed.h"
#include "support/file_test_helpers.h"
#include "support/live_station.h"
#include "support/offline_session.h"

namespace zarnik::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimRequestKey, HexCodesAndSubCodesAsTheStatisticsNameThem) {
    EXPECT_EQ(ParseRequestKey("08"), 0x08);
    EXPECT_EQ(ParseRequestKey("4c"), 0x4C);
    EXPECT_EQ(ParseRequestKey("0x58"), 0x58);
    EXPECT_EQ(ParseRequestKey("40.09"), 0x4009);
    EXPECT_EQ(ParseRequestKey("C0.0A"), 0xC00A);
    EXPECT_EQ(ParseRequestKey("0x40.0x12"), 0x4012);
    for (const char* bad : {"", "40", "C0", "08.01", "1FF", "40.", ".09", "xyz", "40.123", "4 0"})
        EXPECT_EQ(ParseRequestKey(bad), std::nullopt) << bad;
}

class SimRequestFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        Station.Identity.Key = 0;
        Station.SetImage({0x0A, -1}, {1, 2, 3});
        Station.SetImage({0x40, 0x00}, {4, 5});
    }
    TBytes Send(const TBytes& request) { return test::FeedBytes(Station, Now, request); }
    TSimStation Station;
    TSimTime Now{};
};

TEST_F(SimRequestFaults, SilenceForOneRequestLeavesTheOthersAnswered) {
    Station.Faults.SilentFor = {0x4000};
    EXPECT_TRUE(Send({0x40, 0x00}).empty());
    EXPECT_EQ(Send({0x0A}), (TBytes{3, 1, 2, 3, 6}));
    // A silenced write is still taken in whole, so the next request is understood.
    Station.Faults.SilentFor = {0x8A};
    EXPECT_TRUE(Send({0x8A, 2, 9, 9, 18}).empty());
    EXPECT_EQ(Send({0x40, 0x00}), (TBytes{2, 4, 5, 9}));
    EXPECT_TRUE(Station.Idle());
    EXPECT_EQ(Station.Stats().Requests.at(0x4000), 2);
}

TEST_F(SimRequestFaults, CorruptionForOneRequestSpoilsOnlyItsChecksum) {
    Station.Faults.CorruptFor = {0x0A};
    EXPECT_EQ(Send({0x0A}), (TBytes{3, 1, 2, 3, 7}));
    EXPECT_EQ(Send({0x40, 0x00}), (TBytes{2, 4, 5, 9}));
    EXPECT_EQ(Station.Stats().ChecksumsCorrupted, 1);
}

TEST(SimStationFile, HoldsTheFilesIdentificationAndSavesItBack) {
    test::TScratchDir dir;
    // A file as a read of some station left it: a key of its own and bytes 10 and 12 set.
    // Dogwood: a small model's program numbers fill less than the 240 bytes a file carries.
    TSimStation built = MakeBuiltinStation("Dogwood", false);
    built.Identity.Key = 0x37;
    built.Identity.Byte10 = 0x11;
    built.Identity.Byte12 = 0x22;
    built.Identity.Serial = 4321;
    const std::string path = dir / "station.ats";
    std::string why;
    ASSERT_TRUE(SaveStationToFile(built, path, &why)) << why;

    TSimStation loaded;
    ASSERT_TRUE(LoadStationFromFile(path, loaded, &why)) << why;
    EXPECT_EQ(loaded.Identity.Key, 0x37);
    EXPECT_EQ(loaded.Identity.Byte10, 0x11);
    EXPECT_EQ(loaded.Identity.Byte12, 0x22);
    EXPECT_EQ(loaded.Identity.Serial, 4321);
    EXPECT_EQ(loaded.Identity.DeviceCode, built.Identity.DeviceCode);
    EXPECT_EQ(loaded.TimeDefaults, built.TimeDefaults);
    EXPECT_EQ(loaded.HardwareList, built.HardwareList);
    test::ExpectSameImages(built.Images, loaded.Images);
    EXPECT_FALSE(loaded.CallAccountingStatus.empty());  // answered, so a read need not wait
    EXPECT_EQ(loaded.ConferenceParameters, built.ConferenceParameters);
    ASSERT_EQ(loaded.HardwareRecords.size(), loaded.HardwareList.size());
    for (std::size_t i = 0; i < loaded.HardwareList.size(); ++i)
        EXPECT_EQ(loaded.HardwareRecords[i][0], loaded.HardwareList[i]);

    // Saving again replaces the file whole, and leaves nothing else beside it.
    loaded.Identity.Serial = 1234;
    ASSERT_TRUE(SaveStationToFile(loaded, path, &why)) << why;
    TSimStation again;
    ASSERT_TRUE(LoadStationFromFile(path, again, &why)) << why;
    EXPECT_EQ(again.Identity.Serial, 1234);
    EXPECT_EQ(test::EntriesOf(dir.Path), std::set<std::string>{"station.ats"});
}

TEST(SimStationFile, RefusedFileLeavesTheStationAsItWas) {
    test::TScratchDir dir;
    test::WriteBytes(dir / "short.ats", std::string(120, '\0'));
    TSimStation station = MakeBareBuiltinStation("Cedar", false);
    const TSimIdentity before = station.Identity;
    const TBytes defaults = station.TimeDefaults;
    std::string why;
    EXPECT_FALSE(LoadStationFromFile(dir / "short.ats", station, &why));
    EXPECT_NE(why.find("Файл конфигурации не прочитан"), std::string::npos) << why;
    EXPECT_EQ(station.Identity.Serial, before.Serial);
    EXPECT_EQ(station.Identity.DeviceCode, before.DeviceCode);
    EXPECT_EQ(station.TimeDefaults, defaults);
    EXPECT_FALSE(SaveStationToFile(station, dir / "no/such/dir/x.ats", &why));
}

}  // namespace
}  // namespace zarnik::sim
