#pragma once
// TSimStation: the station side of the exchange, as a pure byte machine. The serve loop feeds it
// one byte at a time with the moment the byte arrived and sends back whatever it answers; no I/O
// happens here, so the whole protocol can be driven from unit tests.
//
// Table images hold plain bytes; the session key is applied only on the wire.

#include <array>
#include <chrono>
#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zarnik::sim {

using TSimTime = std::chrono::steady_clock::time_point;
using TBytes = std::vector<std::uint8_t>;

// Where an image lives: the READ code, and the index, selector or sub-code byte that follows it
// (-1 for one-byte requests). Sub-tables use Code 0x40 with Index = sub-code.
struct TImageKey {
    std::uint8_t Code = 0;
    int Index = -1;
    auto operator<=>(const TImageKey&) const = default;
};

struct TSimIdentity {
    std::uint8_t DeviceCode = 4;  // 4 Cedar, 6 Dogwood, 7 Alder, 8 Birch
    std::uint8_t UnitBits = 0;
    std::uint8_t VersionMajor = 2;         // byte 7
    std::uint8_t VersionMinorByte = 0x48;  // byte 6: with byte 7 = 2 this reads "24,8"
    std::uint8_t TrunkLines = 0;
    std::uint8_t SubscriberLines = 0;
    std::uint8_t Key = 0x5A;
    std::uint8_t Byte10 = 0;    // not interpreted by the program, kept as a file gave it
    std::uint8_t Byte12 = 0;    // likewise
    std::uint8_t TimeUnit = 6;  // seconds per clock tick; 0 is taken as 6
    std::uint16_t Serial = 0;
    std::string Name;  // CP1251, no zero byte
    std::uint8_t DoorPhones = 0;
    std::uint8_t RoutingTables = 0;
    std::uint8_t LoudspeakerChannels = 0;
    std::uint8_t StaCount = 0;
};

// Named failure modes, so a test can ask for exactly the misbehaviour it wants to survive.
struct TSimFaults {
    bool Silent = false;                      // never answer anything
    std::optional<std::uint8_t> ProbeAnswer;  // answer the probe with this byte instead of 0x00
    double CorruptChecksum = 0.0;  // probability that a read answer carries a wrong checksum
    int RefuseAcks = 0;            // the next N table writes are refused although well formed
    // Requests that are taken in whole but never answered, keyed as TSimStats::Requests: the
    // request code, or code << 8 | sub-code for 0x40 and 0xC0 requests.
    std::set<std::uint16_t> SilentFor;
    // Requests whose read answers always carry a wrong checksum, keyed the same way.
    std::set<std::uint16_t> CorruptFor;
    // Answers this many requests (the probe included), then never anything again.
    std::optional<int> SilentAfter;
    // Requests whose read answers carry a length byte of 0xFF, whatever follows it.
    std::set<std::uint16_t> OversizeFor;
    // The station goes away in the middle of its VanishAt-th answer to this request: half the
    // answer is sent, then nothing, ever.
    std::optional<std::uint16_t> VanishIn;
    int VanishAt = 1;
    std::uint32_t Seed = 1;
};

// "CODE" or "CODE@N" of --vanish-in: the request key and the answer (counted from 1) in which
// the station goes away; nullopt when malformed.
std::optional<std::pair<std::uint16_t, int>> ParseVanishSpec(const std::string& text);

// "08", "4C", "40.09", "C0.0A" (hex, an optional 0x before each part) as a request key of
// TSimStats::Requests; nullopt for anything else. The sub-code form is for 0x40 and 0xC0 only.
std::optional<std::uint16_t> ParseRequestKey(const std::string& text);

struct TSimStats {
    // Key: the request code, or code << 8 | sub-code for 0x40 and 0xC0 requests.
    std::map<std::uint16_t, int> Requests;
    int WritesAccepted = 0;
    int WritesRejected = 0;  // bad checksum or not writable
    int AcksRefused = 0;     // refused on purpose (TSimFaults::RefuseAcks)
    int ChecksumsCorrupted = 0;
    int RequestsAbandoned = 0;  // bytes stopped coming in the middle of a request
    int UnknownRequests = 0;
    std::uint64_t BytesIn = 0;
    std::uint64_t BytesOut = 0;
};

// What one fed byte produced.
struct TSimAnswer {
    bool RequestStart = false;  // the byte was the first byte of a request
    TBytes Bytes;               // to send to the master, in order
};

// Local civil time of the host, in seconds since 1980-01-01 00:00:00.
using THostClock = std::function<std::int64_t()>;
std::int64_t HostLocalSeconds();

// Day number since 1980-01-01 with every fourth year a leap year, as the station counts.
int StationDayNumber(int year, int month, int day);

class TSimStation {
  public:
    // A request whose bytes stop coming for longer than this is dropped.
    static constexpr std::chrono::milliseconds kAbandonAfter{1000};
    static constexpr std::size_t kMaxNameBytes = 32;
    static constexpr std::size_t kMinIdentificationLength = 44;

    TSimStation();

    TSimIdentity Identity;
    TSimFaults Faults;

    // Status blocks the station hands out but never takes; an empty block is not answered.
    TBytes CallAccountingStatus;  // 0x40 0x03: capacity, two counters (16-bit LE)
    TBytes TimeDefaults;          // 0x08: one word per timer
    TBytes HardwareList;          // 0x40 0x09: one board code per slot
    // Answered to the query 0xC0 0x0A, n. The reply's length tells the record's format.
    std::vector<TBytes> HardwareRecords;
    TBytes ConferenceParameters;  // 0x40 0x12, Cedar and Dogwood only (empty: not answered)

    // The sixteen tables. A missing key is not answered; an empty vector is answered with
    // length 0. Quick conferences (0x64) hold [member count, member bytes...].
    std::map<TImageKey, TBytes> Images;

    // Throws std::invalid_argument for a block that cannot travel in one frame.
    void SetImage(TImageKey key, TBytes bytes);
    const TBytes* Image(TImageKey key) const;

    // The clock runs from the host clock plus an offset that the clock command moves.
    THostClock HostClock = HostLocalSeconds;
    std::int64_t ClockOffset = 0;
    std::int64_t StationSeconds() const { return HostClock() + ClockOffset; }
    std::array<std::uint8_t, 4> ClockBytes() const;  // day LE, time of day in ticks LE
    void SetClock(std::uint16_t day, std::uint16_t ticks);
    int TickSeconds() const { return Identity.TimeUnit == 0 ? 6 : Identity.TimeUnit; }

    // The identification block in plain form and as it travels (all but byte 11 keyed).
    TBytes IdentificationPlain() const;
    TBytes IdentificationWire() const;

    std::optional<std::uint8_t> Mode() const { return ModeValue; }
    const TSimStats& Stats() const { return Counters; }
    bool Idle() const { return State == TState::Idle; }

    // Restart the fault generator after Faults.Seed was changed.
    void Reseed() { Rng.seed(Faults.Seed); }

    TSimAnswer Feed(std::uint8_t byte, TSimTime now);
    // The line was cut: a request half taken is forgotten.
    void LineReset() {
        Reset();
        LastByte.reset();
    }

  private:
    enum class TState {
        Idle,
        SubCode,    // 0x40 or 0xC0 seen
        Index,      // an indexed read or write seen
        Length,     // a write frame: its length byte
        ConfCount,  // quick-conference write: the member count, which sizes the body
        Data,       // a write frame: its data bytes
        Checksum,   // a write frame: its checksum
        ModeFlag,   // 0x84: 0x00, or 0x01 and a value
        ModeValue,
        ModeChecksum,
    };
    enum class TKind { None, TableWrite, ConfWrite, Clock, Query, ReadOnlyWrite };

    TState State = TState::Idle;
    TKind Kind = TKind::None;
    std::uint8_t Code = 0;
    int Index = -1;
    std::size_t Expected = 0;
    TBytes Body;  // wire bytes of the frame body (still keyed)
    std::optional<std::uint8_t> ModeValue;
    std::uint8_t PendingMode = 0;
    std::optional<TSimTime> LastByte;
    std::uint16_t CurrentRequest = 0;  // the request being taken, for the per-request faults
    int RequestsStarted = 0;           // for TSimFaults::SilentAfter
    bool Vanished = false;             // TSimFaults::VanishIn has happened
    TSimStats Counters;
    std::mt19937 Rng;

    void Reset();
    void Count(std::uint16_t key) {
        CurrentRequest = key;
        ++Counters.Requests[key];
    }
    void StartRequest(std::uint8_t byte, TBytes& out);
    void OnSubCode(std::uint8_t byte, TBytes& out);
    void OnIndex(std::uint8_t byte, TBytes& out);
    void OnLength(std::uint8_t byte);
    void OnConfCount(std::uint8_t byte);
    void OnBodyByte(std::uint8_t byte);
    void OnChecksum(std::uint8_t byte, TBytes& out);
    void OnModeByte(std::uint8_t byte, TBytes& out);
    void FinishTableWrite(bool good, TBytes& out);
    void FinishConfWrite(bool good, TBytes& out);

    std::optional<TBytes> ReadData(TImageKey key) const;
    void AnswerRead(TImageKey key, TBytes& out);
    void AnswerConference(int index, TBytes& out);
    void AnswerRecord(std::uint8_t number, TBytes& out);
    void AppendFrame(const TBytes& plain, TBytes& out);
    std::uint8_t MaybeCorrupt(std::uint8_t checksum);
    bool TakeRefusal();
    std::uint8_t ConferenceFactor() const;
    std::uint8_t Unkey(std::uint8_t b) const { return b ^ Identity.Key; }
};

bool IsReadOnlySubTable(std::uint8_t subCode);
std::uint8_t WireSum(const TBytes& bytes);

}  // namespace zarnik::sim
