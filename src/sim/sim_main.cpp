// zarnik-sim: a simulated station on a pseudo-terminal, for demonstrations, training and the
// end-to-end tests. The program connects to the link path as it would to a serial port.

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "platform/text_1251.h"
#include "sim/builtin_stations.h"
#include "sim/sim_server.h"
#include "sim/sim_station.h"

namespace {

using zarnik::sim::TServerOptions;
using zarnik::sim::TSimStation;

struct TStationOptions {
    std::string Model = "Cedar";
    bool SecondUnit = false;
    std::optional<std::string> Version;
    std::optional<int> Serial;
    std::optional<std::string> Name;
    std::optional<int> Key;
    std::optional<int> TimeUnit;
    std::optional<int> Units;
    bool Silent = false;
    std::optional<int> ProbeAnswer;
    double Corrupt = 0.0;
    int RefuseAcks = 0;
};

void AddStationOptions(CLI::App& app, TStationOptions& s) {
    app.add_option("--model", s.Model, "station model")
        ->check(CLI::IsMember({"Alder", "Birch", "Cedar", "Dogwood"}))
        ->capture_default_str();
    app.add_flag("--second-unit", s.SecondUnit, "Cedar: fit boards in the second unit's slots");
    app.add_option("--version", s.Version, "working-program version, e.g. 24,8")
        ->check([](const std::string& text) {
            std::uint8_t major = 0;
            std::uint8_t minor = 0;
            return zarnik::sim::ParseVersionText(text, major, minor)
                       ? std::string()
                       : std::string("expected digits, a comma and one digit, e.g. 24,8");
        });
    app.add_option("--serial", s.Serial, "serial number")->check(CLI::Range(0, 65535));
    app.add_option("--name", s.Name, "station name (UTF-8, stored as Windows-1251)");
    app.add_option("--key", s.Key, "session key byte (decimal or 0x..)")->check(CLI::Range(0, 255));
    app.add_option("--time-unit", s.TimeUnit, "seconds per clock tick (0 means 6)")
        ->check(CLI::Range(0, 255));
    app.add_option("--units", s.Units, "number of units")->check(CLI::Range(1, 3));
}

void AddFaultOptions(CLI::App& app, TStationOptions& s, TServerOptions& server) {
    app.add_option("--seed", server.Seed, "seed of the fault generators");
    app.add_flag("--silent", s.Silent, "never answer anything");
    app.add_option("--probe-answer", s.ProbeAnswer, "answer the probe with this byte")
        ->check(CLI::Range(0, 255));
    app.add_option("--drop", server.DropProbability, "probability of losing each outgoing byte")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--corrupt", s.Corrupt, "probability of a wrong checksum in a read answer")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--refuse-acks", s.RefuseAcks, "refuse the next N table writes")
        ->check(CLI::NonNegativeNumber);
}

std::uint8_t UnitBits(int units) {
    // Bit 0 is the first unit; bits 1 and 2 each add one.
    if (units >= 3) return 0x07;
    if (units == 2) return 0x03;
    return 0x01;
}

TSimStation BuildStation(const TStationOptions& s, std::uint32_t seed) {
    TSimStation station = zarnik::sim::MakeBareBuiltinStation(s.Model, s.SecondUnit);
    zarnik::sim::TSimIdentity& id = station.Identity;
    if (s.Version) zarnik::sim::ParseVersionText(*s.Version, id.VersionMajor, id.VersionMinorByte);
    if (s.Serial) id.Serial = static_cast<std::uint16_t>(*s.Serial);
    if (s.Name) {
        id.Name = zarnik::Utf8ToCp1251(*s.Name);
        if (id.Name.size() > TSimStation::kMaxNameBytes)
            std::cerr << "zarnik-sim: the name is cut to " << TSimStation::kMaxNameBytes
                      << " bytes\n";
    }
    if (s.Key) id.Key = static_cast<std::uint8_t>(*s.Key);
    if (s.TimeUnit) id.TimeUnit = static_cast<std::uint8_t>(*s.TimeUnit);
    if (s.Units) id.UnitBits = UnitBits(*s.Units);

    // Blocks whose shape follows the identity are rebuilt for the identity now in force.
    zarnik::sim::FitTimeDefaultsToVersion(station);
    zarnik::sim::AddTableImages(station);

    station.Faults.Silent = s.Silent;
    if (s.ProbeAnswer) station.Faults.ProbeAnswer = static_cast<std::uint8_t>(*s.ProbeAnswer);
    station.Faults.CorruptChecksum = s.Corrupt;
    station.Faults.RefuseAcks = s.RefuseAcks;
    station.Faults.Seed = seed;
    station.Reseed();
    return station;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"zarnik-sim: a simulated station on a pseudo-terminal"};
    TServerOptions server;
    TStationOptions stationOptions;
    app.add_option("--link", server.LinkPath, "symlink to create to the pty slave")->required();
    app.add_flag("--wire-rate", server.WireRate, "pace bytes as a 19200 baud line does");
    app.add_option("--trace", server.TraceFile, "write a timestamped hex trace of every byte");
    app.add_option("--stats", server.StatsFile, "write request and byte counts on exit");
    AddStationOptions(app, stationOptions);
    AddFaultOptions(app, stationOptions, server);
    CLI11_PARSE(app, argc, argv);

    TSimStation station = BuildStation(stationOptions, server.Seed);
    return zarnik::sim::RunServer(station, server, std::cout);
}
