#pragma once
// TMainClass: the station session. It owns the serial port, the exchange key, the identity of
// the connected station, the station's status blocks and one raw area per table.

#include <array>
#include <chrono>
#include <functional>
#include <cstdint>
#include <memory>
#include <string>

#include "link/comm_port.h"
#include "link/frame_engine.h"
#include "link/raw_area.h"
#include "model/table_ids.h"
#include "model/table_ver_rw_flags.h"
#include "platform/user_dialogs.h"

namespace zarnik {

struct TIdentity {
    std::string ModelName;  // "Cedar", "Dogwood", "Alder", "Birch"
    std::int16_t UnitCount = 1;
    std::array<bool, 3> UnitFlags{};
    std::string Version;  // "24,8"
    std::uint16_t TrunkLineCount = 0;
    std::uint16_t SubscriberLineCount = 0;
    std::uint8_t TimeUnit = 6;
    std::string SerialNumber;
    std::string StationName;  // CP1251
    std::uint16_t DoorPhoneCount = 0;
    std::uint16_t RoutingTableCount = 0;
    std::uint16_t LoudspeakerCount = 0;
    std::uint16_t StaCount = 0;
};

// A calendar date and time of day, as the station clock and the clock window hold it.
struct TStationDateTime {
    int Year = 1980, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
    bool operator==(const TStationDateTime&) const = default;
};

// Capacities of the session's areas; counts from the station are clamped to them.
inline constexpr std::size_t kIdBufferSize = 256;
inline constexpr std::size_t kStatusBlockSize = 100;
inline constexpr std::size_t kHwListSize = 256;
inline constexpr std::size_t kHwRecordCount = 254;
inline constexpr std::size_t kHwRecordData = 12;  // byte 12 of a record holds its length

// Where the configuration in hand came from.
enum class EConfigOrigin { None, Station, File, Constructor };

struct TSessionSetup {
    std::string BaseDir;      // working directory; "dat" and the options file live here
    bool OpenPort = true;     // read the options file and open the port
    std::string PortOverride; // non-empty: use this port name instead of the options file
};

class TMainClass {
public:
    TMainClass(TUserDialogs& dialogs, const TSessionSetup& setup);
    ~TMainClass();
    TMainClass(const TMainClass&) = delete;
    TMainClass& operator=(const TMainClass&) = delete;

    // Link and identification. The block has no checksum, so one answer proves nothing: the
    // exchange is repeated until two answers agree (IdentificationsAgree), at most
    // kIdentifyExchanges times. A block with a byte missing is no answer. Only an agreed block
    // replaces the identification buffer and the key; false leaves both as they were.
    static constexpr int kIdentifyExchanges = 10;
    int CheckLink() { return Frames.CheckLink(); }
    bool ReadIdentification(bool openPort);
    void DecodeIdentification(bool applyKey);
    // Opens the port under the session's port name (used before each read or write).
    void OpenPort();

    // Status reads.
    int ReadCallAccountingStatus();
    int ReadTimeDefaults();
    int ReadConferenceParameters();
    int ReadHardwareConfiguration();

    // Per-table raw areas and change flags.
    TRawArea& Area(ETable t) { return Areas[static_cast<std::size_t>(SelectionIndex(t))]; }
    const TRawArea& Area(ETable t) const {
        return Areas[static_cast<std::size_t>(SelectionIndex(t))];
    }
    // An encode marks its table changed: the table then holds what the user built, no longer
    // the blank image of a file that lacked it.
    void SetChanged(ETable t, bool v = true) {
        ChangeFlags[static_cast<std::size_t>(ChangeIndex(t))] = v;
        if (v) LoadedBlank[static_cast<std::size_t>(SelectionIndex(t))] = false;
    }
    bool Changed(ETable t) const { return ChangeFlags[static_cast<std::size_t>(ChangeIndex(t))]; }
    void ClearAllAreas();

    // Capability record built afresh from the current identity.
    TTableVerRWFlagsPtr BuildVerFlags() const;
    bool IsCedarOrDogwood() const {
        return Identity.ModelName == "Cedar" || Identity.ModelName == "Dogwood";
    }
    // Size factor of a quick-conference member entry.
    std::uint8_t ConferenceCount() const { return ConferenceParams[0]; }
    std::uint8_t ConferenceSizeFactor() const { return ConferenceParams[2]; }

    TUserDialogs& Dialogs;
    std::string BaseDir;
    std::string PortName = "COM1";
    TCommPort Port;
    std::uint8_t Key = 0;
    TFrameEngine Frames{Port, Key};

    TIdentity Identity;
    TTableVerRWFlagsPtr VerFlags;

    std::array<std::uint8_t, kIdBufferSize> IdBuffer{};
    std::uint16_t IdRawLength = 0;
    std::uint8_t IdDecodedLength = 0;

    bool Identified = false;
    bool DataPresent = false;
    // The options file names a device that was not there at start (reported): the port is
    // closed and the desktop program asks for one.
    bool StoredPortMissing = false;
    std::array<bool, kTableCount> ChangeFlags{};

    std::array<std::uint8_t, kStatusBlockSize> CallAccounting{};
    std::uint16_t CallAccountingLength = 0;
    std::array<std::uint8_t, kStatusBlockSize> TimeDefaultsRaw{};
    std::uint16_t TimeDefaultsLength = 0;
    std::array<std::uint8_t, 5> ConferenceParams{};
    std::array<std::uint8_t, kHwListSize> HwList{};
    std::uint16_t HwListLength = 0;
    std::array<std::array<std::uint8_t, kHwRecordData + 1>, kHwRecordCount> HwRecords{};

    std::array<TRawArea, kTableCount> Areas;

    // Where the configuration in hand came from; for a read from the station, which station
    // (a write checks that it still talks to the same one).
    EConfigOrigin Origin = EConfigOrigin::None;
    std::string OriginModel;
    std::string OriginSerial;
    // The file the configuration in hand was last loaded from and the SHA-256 of its bytes
    // (meaningful while Origin is File): a station's journal names them for a write.
    std::string OriginFile;
    std::string OriginFileSha256;
    // The program as a station's journal names it ("zarnik 1.38"); empty: no journal is kept
    // (tests and tools that talk to a station without being the program).
    std::string JournalProgram;
    // By selection index: the table's area holds the blank image a load gave it because the
    // file did not hold the table. A read of the table, the constructor, a clearing or an
    // encode ends that.
    std::array<bool, kTableCount> LoadedBlank{};
    // The configuration now in hand was read from the connected station.
    void MarkReadFromStation();

    // The station clock as estimated from the last identification.
    TStationDateTime StationClock;
    // The computer's clock; replaceable where a test needs a fixed "now".
    std::function<std::chrono::system_clock::time_point()> Now = [] {
        return std::chrono::system_clock::now();
    };
    // Opens the clock window modally when the user agrees to set the station clock; the
    // desktop program sets it, elsewhere nothing opens.
    std::function<void(TMainClass&)> OpenClockWindow;
    // Set where nobody can be asked (the command line): told how far the station clock is off
    // (station minus computer, in seconds) instead of the question.
    std::function<void(TMainClass&, double)> ClockDiffers;

private:
    void OpenConfiguredPort(bool optionsJustCreated);
    // One identification exchange into `block`: its length, or -1 (refused, silent, or a byte
    // of the block did not come).
    int ExchangeIdentification(std::array<std::uint8_t, kIdBufferSize>& block);
};

// Whether two raw identification blocks of `length` bytes, answered `secondsApart` apart,
// describe the same station: every byte from 4 on equal, and the clocks of bytes 0-3 apart by
// that time give or take two seconds (or one tick of the station clock, when that is longer).
bool IdentificationsAgree(const std::array<std::uint8_t, kIdBufferSize>& a,
                          const std::array<std::uint8_t, kIdBufferSize>& b, int length,
                          double secondsApart = 0.0);

// The working-program version ("24,8") from bytes 6 and 7 of the identification, and the
// serial number from bytes 14 and 15 (low byte first).
std::string VersionFromIdentification(std::uint8_t byte6, std::uint8_t byte7);
std::string SerialFromIdentification(std::uint8_t byte14, std::uint8_t byte15);

// Model name for a device code of the identification, or "" when the code is unknown.
std::string ModelNameForDeviceCode(std::uint8_t code);
// The message for a device code that names no model, with the code's value.
std::string UnknownDeviceCodeText(std::uint8_t code);

}  // namespace zarnik
