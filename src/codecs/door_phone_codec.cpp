#include "codecs/door_phone_codec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr std::uint8_t kReadCode = 0x54;
constexpr std::uint8_t kWriteCode = 0xD4;
constexpr std::size_t kCodeOffset = 4;  // the open code's digits follow the four fixed bytes
constexpr std::array<int, 3> kFlagBits{0, 1, 2};

int Clamped(int count, const TMainClass& session) {
    const auto slots = static_cast<int>(session.Area(ETable::DoorPhones).Slots.size());
    return std::clamp(count, 0, std::min(slots, static_cast<int>(kMaxDoorPhones)));
}

int StationCount(const TMainClass& session) {
    return Clamped(session.Identity.DoorPhoneCount, session);
}

std::string NumberText(int value) {
    return value == 0 ? std::string() : std::to_string(value);
}

// A decimal text as one block byte; "" stands for 0.
std::optional<std::uint8_t> ByteOf(const std::string& text) {
    if (text.empty()) return 0;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < 0 || value > 0xFF) return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// The open code as the decode shows it: the code bytes in hexadecimal, one trailing filler
// nibble dropped, the nibble A read as the digit 0.
std::string OpenCodeText(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    if (!text.empty() && text.back() == '0') text.pop_back();
    std::replace(text.begin(), text.end(), 'A', '0');
    return text;
}

// Encodes one door phone into a copy of its block; nullopt when a value does not fit.
std::optional<TRawSlot> EncodeOne(const TRawSlot& old, const TDf& df, const std::string& model) {
    TRawSlot slot = old;
    std::uint8_t& flags = slot.Bytes[0];
    const std::array<bool, 3> on{df.AllALOpening, df.ResetInCall, df.DTMFOpening};
    for (std::size_t k = 0; k < on.size(); ++k) {
        if (on[k])
            TBroadcaster::SetBit(flags, kFlagBits[k]);
        else
            TBroadcaster::ClearBit(flags, kFlagBits[k]);
    }
    const std::optional<std::uint8_t> day = ByteOf(df.DayTable);
    const std::optional<std::uint8_t> night = ByteOf(df.NightTable);
    if (!day || !night) return std::nullopt;
    slot.Bytes[1] = *day;
    slot.Bytes[2] = *night;
    std::uint8_t line = 0;
    if (!df.LinkPort.empty()) {
        const int l = TBroadcaster::GetLineNumFromPortNum(model, df.LinkPort);
        if (l < 1 || l > 0xFF) return std::nullopt;
        line = static_cast<std::uint8_t>(l);
    }
    slot.Bytes[3] = line;
    int codeBytes = 0;
    if (!df.OpenCode.empty()) {
        codeBytes = TBroadcaster::DigitsToBytes(df.OpenCode,
                                                std::span(slot.Bytes).subspan(kCodeOffset), false);
        if (codeBytes < 0) return std::nullopt;
    }
    slot.Length = static_cast<std::uint16_t>(kCodeOffset + static_cast<std::size_t>(codeBytes));
    return slot;
}

std::vector<std::uint8_t> PackDoorPhones(const TMainClass& session) {
    return PackBlocks(session.Area(ETable::DoorPhones), StationCount(session));
}

// The file's identification is already the session's: its door-phone count shapes the record.
bool UnpackDoorPhones(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackBlocks(session.Area(ETable::DoorPhones), record, StationCount(session));
}

void BlankDoorPhones(TMainClass& session) {
    TRawArea& area = session.Area(ETable::DoorPhones);
    area.Clear();
    area.Count = 0;
}

// Door phones on the first subscriber lines, with their own open codes.
void FillDoorPhoneDemo(const TMainClass& session, TDataStream& store) {
    static const std::array<const char*, 4> kCodes{"105", "2468", "90", "7"};
    std::vector<int> lines;
    for (const TPortPtr& p : store.Ports)
        if (p->Type == kPortTypeSubscriber) lines.push_back(p->Number);
    const int count = StationCount(session);
    const bool nightTable = session.Identity.RoutingTableCount >= 2;
    for (int i = 0; i < count; ++i) {
        TDf& df = store.DoorPhones[static_cast<std::size_t>(i)];
        df = TDf{};
        df.AllALOpening = i % 2 == 0;
        df.ResetInCall = i == 0;
        df.DTMFOpening = i % 3 == 1;
        df.DayTable = "1";
        df.NightTable = nightTable ? "2" : "";
        if (static_cast<std::size_t>(i) < lines.size())
            df.LinkPort = std::to_string(lines[static_cast<std::size_t>(i)]);
        df.OpenCode = kCodes[static_cast<std::size_t>(i) % kCodes.size()];
    }
    store.DoorPhoneCount = static_cast<std::uint16_t>(count);
}

}  // namespace

int ReadDfTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = StationCount(session);
    if (count == 0) return -2;
    session.Port.PurgeInput();
    TRawArea& area = session.Area(ETable::DoorPhones);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    TIndexedRead spec;
    spec.Code = kReadCode;
    spec.Count = count;
    spec.OnFailure = EReadFailure::ClearThisSlot;
    return ReadIndexed(session, area, spec);
}

int WriteDfTable(TMainClass& session) {
    const int count = StationCount(session);
    if (count == 0) return -1;
    if (session.CheckLink() < 0) return -2;
    TIndexedWrite spec;
    spec.Code = kWriteCode;
    spec.Count = count;
    return WriteIndexed(session, session.Area(ETable::DoorPhones), spec);
}

int DecodeDfTable(TMainClass& session, TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    std::fill(store.DoorPhones.begin(), store.DoorPhones.end(), TDf{});
    store.DoorPhoneCount = static_cast<std::uint16_t>(StationCount(session));
    const TRawArea& area = session.Area(ETable::DoorPhones);
    const std::string kind = Utf8ToCp1251("Дф");
    const int count = Clamped(area.Count, session);
    for (int i = 0; i < count; ++i) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        TDf& df = store.DoorPhones[static_cast<std::size_t>(i)];
        const std::uint8_t flags = slot.Bytes[0];
        df.AllALOpening = TBroadcaster::TestBit(flags, kFlagBits[0]) != 0;
        df.ResetInCall = TBroadcaster::TestBit(flags, kFlagBits[1]) != 0;
        df.DTMFOpening = TBroadcaster::TestBit(flags, kFlagBits[2]) != 0;
        df.DayTable = NumberText(slot.Bytes[1]);
        df.NightTable = NumberText(slot.Bytes[2]);
        const auto valid = slot.Valid();
        if (valid.size() > kCodeOffset) df.OpenCode = OpenCodeText(valid.subspan(kCodeOffset));
        if (slot.Bytes[3] == 0) continue;
        const int port = TBroadcaster::GetPortNumFromIndex(model, slot.Bytes[3] - 1);
        df.LinkPort = std::to_string(port);
        if (const TPortPtr attached = FindPort(store, port)) {
            attached->Type = kPortTypeAttachedDoorPhone;
            attached->Kind = kind;
        }
    }
    return 1;
}

int EncodeDfTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::DoorPhones);
    TRawArea& area = session.Area(ETable::DoorPhones);
    const int count = Clamped(store.DoorPhoneCount, session);
    int result = 1;
    for (int i = 0; i < count; ++i) {
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        const std::optional<TRawSlot> encoded = EncodeOne(
            slot, store.DoorPhones[static_cast<std::size_t>(i)], session.Identity.ModelName);
        if (!encoded) {
            result = -1;
            continue;
        }
        slot = *encoded;
    }
    area.Count = static_cast<std::uint16_t>(count);
    return result;
}

const TTableCodec* DoorPhoneCodec() {
    static const TTableCodec kCodec{
        ETable::DoorPhones,
        "Таблицы домофонов",
        "doors",
        "Не могу прочитать таблицу домофонов. Выход по time-out",
        ReadDfTable,
        WriteDfTable,
        DecodeDfTable,
        EncodeDfTable,
        PackDoorPhones,
        UnpackDoorPhones,
        BlankDoorPhones,
        FillDoorPhoneDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
