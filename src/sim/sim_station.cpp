#include "sim/sim_station.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <stdexcept>
#include <string_view>

#include "platform/local_time.h"

namespace zarnik::sim {

namespace {

constexpr std::uint8_t kProbe = 0x00;
constexpr std::uint8_t kIdentify = 0x01;
constexpr std::uint8_t kSubTableRead = 0x40;
constexpr std::uint8_t kSubTableWrite = 0xC0;
constexpr std::uint8_t kQuerySubCode = 0x0A;
constexpr std::uint8_t kModeCommand = 0x84;
constexpr std::uint8_t kClockCommand = 0x85;
constexpr std::uint8_t kConferenceRead = 0x64;
constexpr std::uint8_t kConferenceWrite = 0xE4;
constexpr std::uint8_t kTimeDefaults = 0x08;
constexpr std::uint8_t kAccepted = 0x00;
constexpr std::uint8_t kRefused = 0xFF;
constexpr std::size_t kMaxFrame = 255;

bool IsOneByteRead(std::uint8_t code) {
    return code == 0x08 || code == 0x09 || code == 0x0A || code == 0x0C || code == 0x0D ||
           code == 0x0E;
}

bool IsOneByteWrite(std::uint8_t code) {
    return code != 0x88 && IsOneByteRead(static_cast<std::uint8_t>(code & 0x7F)) &&
           (code & 0x80) != 0;
}

bool IsIndexed(std::uint8_t code) {
    const std::uint8_t read = code & 0x7F;
    return read >= 0x44 && read <= 0x64 && read % 4 == 0;
}

void PutWord(TBytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

std::uint8_t WireSum(const TBytes& bytes) {
    unsigned sum = 0;
    for (const std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

// Call accounting, hardware list and conference parameters are the station's own report.
bool IsReadOnlySubTable(std::uint8_t subCode) {
    return subCode == 0x03 || subCode == 0x09 || subCode == 0x12;
}

std::optional<std::uint16_t> ParseRequestKey(const std::string& text) {
    const auto hexByte = [](std::string_view part) -> std::optional<std::uint8_t> {
        if (part.size() > 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X'))
            part.remove_prefix(2);
        if (part.empty() || part.size() > 2) return std::nullopt;
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(part.data(), part.data() + part.size(), value, 16);
        if (error != std::errc() || end != part.data() + part.size()) return std::nullopt;
        return static_cast<std::uint8_t>(value);
    };
    const auto dot = text.find('.');
    const std::string_view whole(text);
    const auto code = hexByte(whole.substr(0, dot));
    if (!code) return std::nullopt;
    if (dot == std::string::npos) {
        // 0x40 and 0xC0 alone are no request: the sub-code says which.
        if (*code == kSubTableRead || *code == kSubTableWrite) return std::nullopt;
        return *code;
    }
    const auto sub = hexByte(whole.substr(dot + 1));
    if (!sub || (*code != kSubTableRead && *code != kSubTableWrite)) return std::nullopt;
    return static_cast<std::uint16_t>(*code << 8 | *sub);
}

std::optional<std::pair<std::uint16_t, int>> ParseVanishSpec(const std::string& text) {
    const auto at = text.find('@');
    const auto key = ParseRequestKey(text.substr(0, at));
    if (!key) return std::nullopt;
    if (at == std::string::npos) return std::make_pair(*key, 1);
    const std::string count = text.substr(at + 1);
    int n = 0;
    const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), n);
    if (error != std::errc() || end != count.data() + count.size() || n < 1) return std::nullopt;
    return std::make_pair(*key, n);
}

int StationDayNumber(int year, int month, int day) {
    static constexpr std::array<int, 12> kMonthDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int years = year - 1980;
    int days = 365 * years + (years + 3) / 4;
    for (int m = 1; m < month && m <= 12; ++m) {
        days += kMonthDays[static_cast<std::size_t>(m - 1)];
        if (m == 2 && year % 4 == 0) ++days;
    }
    return days + day - 1;
}

std::int64_t HostLocalSeconds() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTime(now);
    const std::int64_t day =
        StationDayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return day * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

TSimStation::TSimStation() : Rng(Faults.Seed) {}

const TBytes* TSimStation::Image(TImageKey key) const {
    const auto it = Images.find(key);
    return it == Images.end() ? nullptr : &it->second;
}

void TSimStation::SetImage(TImageKey key, TBytes bytes) {
    // A quick conference body is sized by its member count, every other table by a length byte.
    if (key.Code != kConferenceRead && bytes.size() > kMaxFrame)
        throw std::invalid_argument("table image longer than one frame");
    Images[key] = std::move(bytes);
}

std::array<std::uint8_t, 4> TSimStation::ClockBytes() const {
    const std::int64_t seconds = std::max<std::int64_t>(0, StationSeconds());
    const auto day = static_cast<std::uint16_t>((seconds / 86400) & 0xFFFF);
    const auto ticks = static_cast<std::uint16_t>((seconds % 86400) / TickSeconds());
    return {static_cast<std::uint8_t>(day & 0xFF), static_cast<std::uint8_t>(day >> 8),
            static_cast<std::uint8_t>(ticks & 0xFF), static_cast<std::uint8_t>(ticks >> 8)};
}

void TSimStation::SetClock(std::uint16_t day, std::uint16_t ticks) {
    const std::int64_t seconds =
        static_cast<std::int64_t>(day) * 86400 + static_cast<std::int64_t>(ticks) * TickSeconds();
    ClockOffset = seconds - HostClock();
}

TBytes TSimStation::IdentificationPlain() const {
    TBytes block(16, 0);
    const auto clock = ClockBytes();
    std::copy(clock.begin(), clock.end(), block.begin());
    block[4] = Identity.UnitBits;
    block[5] = Identity.DeviceCode;
    block[6] = Identity.VersionMinorByte;
    block[7] = Identity.VersionMajor;
    block[8] = Identity.TrunkLines;
    block[9] = Identity.SubscriberLines;
    block[10] = Identity.Byte10;
    block[11] = Identity.Key;
    block[12] = Identity.Byte12;
    block[13] = Identity.TimeUnit;
    PutWord(block, 14, Identity.Serial);

    // The name ends at its first zero byte, so a zero inside it would cut it short anyway.
    const std::string& name = Identity.Name;
    const std::size_t nameLength = std::min(
        {name.find('\0') == std::string::npos ? name.size() : name.find('\0'), kMaxNameBytes});
    block.insert(block.end(), name.begin(), name.begin() + static_cast<long>(nameLength));
    block.push_back(0);
    block.push_back(Identity.DoorPhones);
    block.push_back(Identity.RoutingTables);
    block.push_back(Identity.LoudspeakerChannels);
    block.push_back(Identity.StaCount);
    // The decoder moves the 20 bytes after the name's zero, so at least that many follow it.
    const std::size_t wanted = std::max(kMinIdentificationLength, 16 + nameLength + 1 + 20);
    block.resize(wanted, 0);
    return block;
}

TBytes TSimStation::IdentificationWire() const {
    TBytes block = IdentificationPlain();
    for (std::size_t i = 0; i < block.size(); ++i)
        if (i != 11) block[i] ^= Identity.Key;
    return block;
}

TSimAnswer TSimStation::Feed(std::uint8_t byte, TSimTime now) {
    TSimAnswer answer;
    ++Counters.BytesIn;
    if (State != TState::Idle && LastByte && now - *LastByte > kAbandonAfter) {
        ++Counters.RequestsAbandoned;
        Reset();
    }
    LastByte = now;

    switch (State) {
        case TState::Idle:
            answer.RequestStart = true;
            StartRequest(byte, answer.Bytes);
            break;
        case TState::SubCode:
            OnSubCode(byte, answer.Bytes);
            break;
        case TState::Index:
            OnIndex(byte, answer.Bytes);
            break;
        case TState::Length:
            OnLength(byte);
            break;
        case TState::ConfCount:
            OnConfCount(byte);
            break;
        case TState::Data:
            OnBodyByte(byte);
            break;
        case TState::Checksum:
            OnChecksum(byte, answer.Bytes);
            break;
        case TState::ModeFlag:
        case TState::ModeValue:
        case TState::ModeChecksum:
            OnModeByte(byte, answer.Bytes);
            break;
    }

    if (Faults.Silent || Faults.SilentFor.contains(CurrentRequest)) answer.Bytes.clear();
    if (answer.RequestStart) ++RequestsStarted;
    if (Faults.SilentAfter && RequestsStarted > *Faults.SilentAfter) answer.Bytes.clear();
    if (Vanished) {
        answer.Bytes.clear();
    } else if (Faults.VanishIn && CurrentRequest == *Faults.VanishIn && !answer.Bytes.empty() &&
               Counters.Requests[CurrentRequest] >= Faults.VanishAt) {
        answer.Bytes.resize(std::max<std::size_t>(1, answer.Bytes.size() / 2));
        Vanished = true;
    }
    Counters.BytesOut += answer.Bytes.size();
    return answer;
}

void TSimStation::Reset() {
    State = TState::Idle;
    Kind = TKind::None;
    Index = -1;
    Expected = 0;
    Body.clear();
}

void TSimStation::StartRequest(std::uint8_t byte, TBytes& out) {
    Reset();
    Code = byte;
    CurrentRequest = byte;
    if (byte == kSubTableRead || byte == kSubTableWrite) {
        State = TState::SubCode;  // counted with its sub-code
        return;
    }
    Count(byte);
    if (byte == kProbe) {
        out.push_back(Faults.ProbeAnswer.value_or(0x00));
        return;
    }
    if (byte == kIdentify) {
        const TBytes block = IdentificationWire();
        out.push_back(static_cast<std::uint8_t>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
        return;
    }
    if (IsOneByteRead(byte)) {
        AnswerRead({byte, -1}, out);
        return;
    }
    if (IsIndexed(byte)) {
        State = TState::Index;
        return;
    }
    if (IsOneByteWrite(byte)) {
        Kind = TKind::TableWrite;
        State = TState::Length;
        return;
    }
    if (byte == kModeCommand) {
        State = TState::ModeFlag;
        return;
    }
    if (byte == kClockCommand) {
        Kind = TKind::Clock;
        State = TState::Length;
        return;
    }
    ++Counters.UnknownRequests;  // silence: the master's next frame starts afresh
}

void TSimStation::OnSubCode(std::uint8_t byte, TBytes& out) {
    Index = byte;
    Count(static_cast<std::uint16_t>(Code << 8 | byte));
    if (Code == kSubTableRead) {
        AnswerRead({kSubTableRead, byte}, out);
        Reset();
        return;
    }
    if (byte == kQuerySubCode)
        Kind = TKind::Query;
    else if (IsReadOnlySubTable(byte))
        Kind = TKind::ReadOnlyWrite;
    else
        Kind = TKind::TableWrite;
    State = TState::Length;
}

void TSimStation::OnIndex(std::uint8_t byte, TBytes& out) {
    Index = byte;
    if ((Code & 0x80) == 0) {
        if (Code == kConferenceRead)
            AnswerConference(byte, out);
        else
            AnswerRead({Code, byte}, out);
        Reset();
        return;
    }
    Kind = Code == kConferenceWrite ? TKind::ConfWrite : TKind::TableWrite;
    State = TState::Length;
}

void TSimStation::OnLength(std::uint8_t byte) {
    Body.clear();
    if (Kind == TKind::ConfWrite && byte != 0) {
        State = TState::ConfCount;
        return;
    }
    // A quick conference of length 0 has neither count nor members: its checksum follows.
    Expected = Kind == TKind::ConfWrite ? 0 : byte;
    State = Expected == 0 ? TState::Checksum : TState::Data;
}

void TSimStation::OnConfCount(std::uint8_t byte) {
    Body.push_back(byte);
    // The member bytes are counted from the member count, never from the length byte.
    Expected = 1 + static_cast<std::size_t>(Unkey(byte)) * ConferenceFactor();
    State = Expected == 1 ? TState::Checksum : TState::Data;
}

void TSimStation::OnBodyByte(std::uint8_t byte) {
    Body.push_back(byte);
    if (Body.size() >= Expected) State = TState::Checksum;
}

void TSimStation::OnChecksum(std::uint8_t byte, TBytes& out) {
    const bool good = WireSum(Body) == byte;
    switch (Kind) {
        case TKind::TableWrite:
            FinishTableWrite(good, out);
            break;
        case TKind::ConfWrite:
            FinishConfWrite(good, out);
            break;
        case TKind::ReadOnlyWrite:
            ++Counters.WritesRejected;
            out.push_back(kRefused);
            break;
        case TKind::Clock:
            if (good && Body.size() == 4) {
                SetClock(static_cast<std::uint16_t>(Unkey(Body[0]) | Unkey(Body[1]) << 8),
                         static_cast<std::uint16_t>(Unkey(Body[2]) | Unkey(Body[3]) << 8));
                out.push_back(kAccepted);
            } else {
                out.push_back(kRefused);
            }
            break;
        case TKind::Query:
            // A garbled query gets no answer; the master asks again.
            if (good && Body.size() == 1) AnswerRecord(Unkey(Body[0]), out);
            break;
        case TKind::None:
            break;
    }
    Reset();
}

void TSimStation::FinishTableWrite(bool good, TBytes& out) {
    if (!good) {
        ++Counters.WritesRejected;
        out.push_back(kRefused);
        return;
    }
    if (TakeRefusal()) {
        out.push_back(kRefused);
        return;
    }
    TBytes plain(Body.size());
    std::transform(Body.begin(), Body.end(), plain.begin(),
                   [this](std::uint8_t b) { return Unkey(b); });
    Images[{static_cast<std::uint8_t>(Code & 0x7F), Index}] = std::move(plain);
    ++Counters.WritesAccepted;
    out.push_back(kAccepted);
}

void TSimStation::FinishConfWrite(bool good, TBytes& out) {
    // The master repeats a conference only after a 1 followed by two bytes that differ.
    static const TBytes kConfRefusal{0x01, 0x00, 0xFF};
    if (!good) {
        ++Counters.WritesRejected;
        out.insert(out.end(), kConfRefusal.begin(), kConfRefusal.end());
        return;
    }
    if (TakeRefusal()) {
        out.insert(out.end(), kConfRefusal.begin(), kConfRefusal.end());
        return;
    }
    TBytes plain(Body.size());
    std::transform(Body.begin(), Body.end(), plain.begin(),
                   [this](std::uint8_t b) { return Unkey(b); });
    Images[{kConferenceRead, Index}] = std::move(plain);
    ++Counters.WritesAccepted;
    out.push_back(kAccepted);
}

void TSimStation::OnModeByte(std::uint8_t byte, TBytes& out) {
    if (State == TState::ModeFlag) {
        if (byte == 0x00) {
            PendingMode = 0;
            State = TState::ModeChecksum;
        } else if (byte == 0x01) {
            State = TState::ModeValue;
        } else {
            Reset();  // no such mode frame
        }
        return;
    }
    if (State == TState::ModeValue) {
        PendingMode = Unkey(byte);
        State = TState::ModeChecksum;
        return;
    }
    // The mode checksum is the value itself, in the clear.
    if (byte == PendingMode) {
        ModeValue = PendingMode;
        out.push_back(kAccepted);
    } else {
        out.push_back(kRefused);
    }
    Reset();
}

std::optional<TBytes> TSimStation::ReadData(TImageKey key) const {
    const TBytes* block = nullptr;
    if (key.Code == kTimeDefaults && key.Index == -1) block = &TimeDefaults;
    if (key.Code == kSubTableRead && key.Index == 0x03) block = &CallAccountingStatus;
    if (key.Code == kSubTableRead && key.Index == 0x09) block = &HardwareList;
    if (key.Code == kSubTableRead && key.Index == 0x12) block = &ConferenceParameters;
    if (block != nullptr) {
        if (block->empty()) return std::nullopt;
        return *block;
    }
    const TBytes* image = Image(key);
    if (image == nullptr) return std::nullopt;
    return *image;
}

void TSimStation::AnswerRead(TImageKey key, TBytes& out) {
    const auto data = ReadData(key);
    if (data) AppendFrame(*data, out);
}

void TSimStation::AnswerRecord(std::uint8_t number, TBytes& out) {
    if (number < HardwareRecords.size()) AppendFrame(HardwareRecords[number], out);
}

void TSimStation::AppendFrame(const TBytes& plain, TBytes& out) {
    // A block that cannot fit one length byte is not answered rather than sent cut short.
    if (plain.size() > kMaxFrame) return;
    out.push_back(Faults.OversizeFor.contains(CurrentRequest)
                      ? std::uint8_t{0xFF}
                      : static_cast<std::uint8_t>(plain.size()));
    unsigned sum = 0;
    for (const std::uint8_t b : plain) {
        const std::uint8_t keyed = b ^ Identity.Key;
        out.push_back(keyed);
        sum += keyed;
    }
    out.push_back(MaybeCorrupt(static_cast<std::uint8_t>(sum & 0xFF)));
}

void TSimStation::AnswerConference(int index, TBytes& out) {
    const TBytes* image = Image({kConferenceRead, index});
    if (image == nullptr) return;
    if (image->empty()) {
        out.push_back(0);
        out.push_back(MaybeCorrupt(0));
        return;
    }
    const std::uint8_t count = (*image)[0];
    out.push_back(static_cast<std::uint8_t>(std::min(count + 1, 255)));
    const std::size_t members = static_cast<std::size_t>(count) * ConferenceFactor();
    unsigned sum = 0;
    for (std::size_t i = 0; i <= members; ++i) {
        const std::uint8_t plain = i < image->size() ? (*image)[i] : 0;
        const std::uint8_t keyed = plain ^ Identity.Key;
        out.push_back(keyed);
        sum += keyed;
    }
    out.push_back(MaybeCorrupt(static_cast<std::uint8_t>(sum & 0xFF)));
}

std::uint8_t TSimStation::MaybeCorrupt(std::uint8_t checksum) {
    const bool always = Faults.CorruptFor.contains(CurrentRequest);
    if (!always) {
        if (Faults.CorruptChecksum <= 0.0) return checksum;
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        if (chance(Rng) >= Faults.CorruptChecksum) return checksum;
    }
    ++Counters.ChecksumsCorrupted;
    return static_cast<std::uint8_t>(checksum + 1);
}

bool TSimStation::TakeRefusal() {
    if (Faults.Silent || Faults.RefuseAcks <= 0) return false;
    --Faults.RefuseAcks;
    ++Counters.AcksRefused;
    return true;
}

std::uint8_t TSimStation::ConferenceFactor() const {
    return ConferenceParameters.size() > 2 ? ConferenceParameters[2] : 1;
}

}  // namespace zarnik::sim
