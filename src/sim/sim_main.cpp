// zarnik-sim: a simulated station on a pseudo-terminal, for demonstrations, training and the
// end-to-end tests. The program connects to the link path as it would to a serial port.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_1251.h"
#include "sim/builtin_stations.h"
#include "sim/sim_server.h"
#include "sim/sim_station.h"
#include "sim/station_images.h"

namespace {

using zarnik::sim::TServerOptions;
using zarnik::sim::TSimStation;

struct TStationOptions {
    std::string From;  // a configuration file to serve instead of a built-in station
    std::string SaveOnExit;
    std::string Model = "Cedar";
    bool SecondUnit = false;
    std::optional<std::string> Version;
    std::optional<int> Serial;
    std::optional<std::string> Name;
    std::optional<int> Key;
    std::optional<int> TimeUnit;
    std::optional<int> Units;
    bool StoppedClock = false;
    bool Silent = false;
    std::optional<int> ProbeAnswer;
    double Corrupt = 0.0;
    int RefuseAcks = 0;
    std::vector<std::string> SilentFor;
    std::vector<std::string> CorruptFor;
    std::optional<int> SilentAfter;
    std::vector<std::string> OversizeFor;
    std::string VanishIn;
};

void AddStationOptions(CLI::App& app, TStationOptions& s) {
    auto* from = app.add_option("--from", s.From,
                                "serve the configuration in this .ats file: its identification,\n"
                                "time defaults, composition, conference parameters and tables;\n"
                                "--serial, --name, --key, --time-unit and --units apply on top");
    app.add_option("--save-on-exit", s.SaveOnExit,
                   "on SIGINT or SIGTERM, write what the station holds to this .ats\n"
                   "file (written beside it, then renamed into place)");
    app.add_option("--model", s.Model, "station model")
        ->check(CLI::IsMember({"Alder", "Birch", "Cedar", "Dogwood"}))
        ->capture_default_str()
        ->excludes(from);
    app.add_flag("--second-unit", s.SecondUnit, "Cedar: fit boards in the second unit's slots")
        ->excludes(from);
    app.add_option("--version", s.Version, "working-program version, e.g. 24,8")
        ->excludes(from)
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
    app.add_flag("--stopped-clock", s.StoppedClock,
                 "the station clock stands still at the start time (a clock command still\n"
                 "sets it): two reads at different moments give the same bytes");
}

const CLI::Validator kRequestCode(
    [](const std::string& text) {
        return zarnik::sim::ParseRequestKey(text)
                   ? std::string()
                   : std::string("expected a request code in hex, e.g. 08, 4C or 40.09");
    },
    "CODE");

// "CODE" or "CODE@N": a request code and which of its requests (counted from 1).
const CLI::Validator kRequestAtCount(
    [](const std::string& text) {
        return zarnik::sim::ParseVanishSpec(text)
                   ? std::string()
                   : std::string("expected CODE or CODE@N, e.g. 4C@3");
    },
    "CODE[@N]");

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
    app.add_option("--silent-for", s.SilentFor,
                   "take requests of CODE whole but never answer them; CODE in hex\n"
                   "as the statistics name it: 08, 4C, 40.09, C0.0A. Repeatable")
        ->check(kRequestCode);
    app.add_option("--corrupt-for", s.CorruptFor,
                   "answer requests of CODE (as for --silent-for) always with a\n"
                   "wrong checksum. Repeatable")
        ->check(kRequestCode);
    app.add_option("--silent-after", s.SilentAfter,
                   "answer this many requests (probes included), then nothing more")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--oversize-for", s.OversizeFor,
                   "answer read requests of CODE (as for --silent-for) with a length\n"
                   "byte of FF, whatever follows it. Repeatable")
        ->check(kRequestCode);
    app.add_option("--vanish-in", s.VanishIn,
                   "CODE or CODE@N: go away in the middle of the N-th (default first)\n"
                   "answer to CODE: half of it is sent, then nothing, ever")
        ->check(kRequestAtCount);
}

// The USB-serial adapter between the program and the station: its receive timing, and the
// cable pulled out (and plugged in again).
void AddAdapterOptions(CLI::App& app, TServerOptions& server, std::string& unplug) {
    app.add_option("--adapter-latency", server.AdapterLatencyMs,
                   "model a USB-serial adapter in front of the computer: answer bytes are\n"
                   "handed over when 62 have gathered or MS ms after the first of them\n"
                   "(FTDI: 16 by default, 1 with the driver's low-latency flag)")
        ->check(CLI::Range(0, 10000));
    app.add_option("--unplug-in", unplug,
                   "CODE or CODE@N: pull the cable out when the N-th (default first)\n"
                   "request of CODE begins: the pty closes and the link goes away")
        ->check(kRequestAtCount);
    app.add_option("--replug-after", server.ReplugAfterMs,
                   "after --unplug-in, plug in again after MS ms: a new pty under the same\n"
                   "link, as an adapter comes back under its /dev/serial/by-id name")
        ->check(CLI::Range(0, 600000));
}

std::uint8_t UnitBits(int units) {
    // Bit 0 is the first unit; bits 1 and 2 each add one.
    if (units >= 3) return 0x07;
    if (units == 2) return 0x03;
    return 0x01;
}

void ApplyIdentityOverrides(const TStationOptions& s, TSimStation& station) {
    zarnik::sim::TSimIdentity& id = station.Identity;
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
}

void ApplyFaults(const TStationOptions& s, std::uint32_t seed, TSimStation& station) {
    station.Faults.Silent = s.Silent;
    if (s.ProbeAnswer) station.Faults.ProbeAnswer = static_cast<std::uint8_t>(*s.ProbeAnswer);
    station.Faults.CorruptChecksum = s.Corrupt;
    station.Faults.RefuseAcks = s.RefuseAcks;
    for (const std::string& code : s.SilentFor)
        station.Faults.SilentFor.insert(*zarnik::sim::ParseRequestKey(code));
    for (const std::string& code : s.CorruptFor)
        station.Faults.CorruptFor.insert(*zarnik::sim::ParseRequestKey(code));
    station.Faults.SilentAfter = s.SilentAfter;
    for (const std::string& code : s.OversizeFor)
        station.Faults.OversizeFor.insert(*zarnik::sim::ParseRequestKey(code));
    if (!s.VanishIn.empty()) {
        const auto vanish = *zarnik::sim::ParseVanishSpec(s.VanishIn);
        station.Faults.VanishIn = vanish.first;
        station.Faults.VanishAt = vanish.second;
    }
    station.Faults.Seed = seed;
    station.Reseed();
}

TSimStation BuildStation(const TStationOptions& s) {
    TSimStation station = zarnik::sim::MakeBareBuiltinStation(s.Model, s.SecondUnit);
    if (s.Version)
        zarnik::sim::ParseVersionText(*s.Version, station.Identity.VersionMajor,
                                      station.Identity.VersionMinorByte);
    ApplyIdentityOverrides(s, station);
    // Blocks whose shape follows the identity are rebuilt for the identity now in force.
    zarnik::sim::FitTimeDefaultsToVersion(station);
    zarnik::sim::AddTableImages(station);
    return station;
}

// The first line of what the load flow said, for a one-line complaint.
std::string FirstLine(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "the file was refused" : line;
}

// A station from a configuration file; nullopt (message on stderr) when the file is refused.
std::optional<TSimStation> StationFromFile(const TStationOptions& s) {
    TSimStation station;
    std::string why;
    if (!zarnik::sim::LoadStationFromFile(s.From, station, &why)) {
        std::cerr << "zarnik-sim: cannot serve " << s.From << ": " << FirstLine(why) << '\n';
        return std::nullopt;
    }
    // The overrides change the identity only; the tables stay exactly as the file holds them.
    ApplyIdentityOverrides(s, station);
    return station;
}

bool SaveDirectoryExists(const std::string& path) {
    const std::filesystem::path dir = std::filesystem::path(path).parent_path();
    std::error_code ec;
    return dir.empty() || std::filesystem::is_directory(dir, ec);
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
    std::string unplug;
    AddAdapterOptions(app, server, unplug);
    AddStationOptions(app, stationOptions);
    AddFaultOptions(app, stationOptions, server);
    app.footer(
        "Examples:\n"
        "  zarnik-sim --link /tmp/zarnik/COM3 --model Dogwood\n"
        "  zarnik-sim --link /tmp/zarnik/COM3 --from dat/office.ats --save-on-exit dat/after.ats\n"
        "It serves until SIGINT or SIGTERM and then exits with 0. Exit code 1: the station\n"
        "could not start (a refused --from file, no directory for --save-on-exit, no link) or\n"
        "--save-on-exit could not be written; bad arguments give CLI11's own non-zero codes.");
    CLI11_PARSE(app, argc, argv);
    if (!unplug.empty()) {
        const auto spec = *zarnik::sim::ParseVanishSpec(unplug);
        server.UnplugIn = spec.first;
        server.UnplugAt = spec.second;
    }

    // Every refusal comes before the link exists, so nobody connects to a station that is
    // about to go away.
    if (!stationOptions.SaveOnExit.empty() && !SaveDirectoryExists(stationOptions.SaveOnExit)) {
        std::cerr << "zarnik-sim: no directory to write " << stationOptions.SaveOnExit << " into\n";
        return 1;
    }
    std::optional<TSimStation> station = stationOptions.From.empty()
                                             ? BuildStation(stationOptions)
                                             : StationFromFile(stationOptions);
    if (!station) return 1;
    ApplyFaults(stationOptions, server.Seed, *station);
    if (stationOptions.StoppedClock) {
        const std::int64_t start = station->HostClock();
        station->HostClock = [start] { return start; };
    }

    const int code = zarnik::sim::RunServer(*station, server, std::cout);
    if (code != 0 || stationOptions.SaveOnExit.empty()) return code;
    std::string why;
    if (!zarnik::sim::SaveStationToFile(*station, stationOptions.SaveOnExit, &why)) {
        std::cerr << "zarnik-sim: cannot write " << stationOptions.SaveOnExit << ": "
                  << FirstLine(why) << '\n';
        return 1;
    }
    return 0;
}
