#include "codecs/group_codec.h"

#include <algorithm>
#include <string>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "codecs/subscriber_line_codec.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

using namespace line_block;

constexpr std::uint8_t kReadCode = 0x50;
constexpr std::uint8_t kWriteCode = 0xD0;
constexpr int kReadAttempts = 4;

constexpr std::size_t kTrunksLow = 3;  // forbidden trunk lines 0..23
constexpr std::size_t kPriority = 6;
constexpr std::size_t kLoudspeaker = 7;
constexpr std::size_t kCallLow = 8;
constexpr std::size_t kCallHigh = 9;
constexpr std::size_t kLists = 10;          // the group-call list starts here
constexpr std::size_t kMidTrunkBytes = 5;   // entries 24..63, ten-port family
constexpr std::size_t kHighTrunkBytes = 2;  // entries 64..79 (64..74 read back)
// The longest block: head, two full lists, every ten-port field and the books.
constexpr std::size_t kLongestBlock =
    kLists + 2 * kGroupListEntries + kMidTrunkBytes + 2 + kHighTrunkBytes + 1;

TRawArea& GroupArea(TMainClass& session) {
    return session.Area(ETable::Groups);
}
const TRawArea& GroupArea(const TMainClass& session) {
    return session.Area(ETable::Groups);
}

int GroupSlots(const TMainClass& session) {
    return std::min<int>(kGroupCount, static_cast<int>(GroupArea(session).Slots.size()));
}

int TrunkCount(const TMainClass& session) {
    return static_cast<int>(
        std::min(std::size_t{session.Identity.TrunkLineCount}, kAlTrunkLineSlots));
}

bool IsLarge(const TMainClass& session) {
    return TBroadcaster::IsLargeModel(session.Identity.ModelName);
}

// Walks a block from the lists on; every offset stays below kLongestBlock.
template <class TByte>
struct TCursor {
    std::span<TByte> Bytes;
    std::size_t Pos = kLists;
    TByte& Next() { return Bytes[Pos++]; }
    std::span<TByte> Take(std::size_t n) {
        const auto part = Bytes.subspan(Pos, n);
        Pos += n;
        return part;
    }
};

// Up to five entries, a 0 byte ending a shorter list.
template <class TEntry, class TConvert>
std::uint16_t ReadList(TCursor<const std::uint8_t>& c,
                       std::array<TEntry, kGroupListEntries>& entries, TConvert convert) {
    entries.fill(0);
    std::uint16_t count = 0;
    for (int k = 0; k < kGroupListEntries; ++k) {
        const std::uint8_t b = c.Next();
        if (b == 0) break;
        entries[count++] = static_cast<TEntry>(convert(b));
    }
    return count;
}

// Writes entries up to the first 0 one (and the 0 byte), or all five. An entry that would
// travel as 0 or not fit a byte ends the list there, so that it cannot cut the list short and
// shift every later field.
template <class TEntry, class TConvert>
void WriteList(TCursor<std::uint8_t>& c, const std::array<TEntry, kGroupListEntries>& entries,
               TConvert convert) {
    for (const TEntry entry : entries) {
        const int value = entry == 0 ? 0 : convert(entry);
        if (value <= 0 || value > 0xFF) {
            c.Next() = 0;
            return;
        }
        c.Next() = static_cast<std::uint8_t>(value);
    }
}

void DecodeGroup(const TRawSlot& slot, TGroup& group, const TMainClass& session) {
    const std::string& model = session.Identity.ModelName;
    TCursor<const std::uint8_t> c{slot.Bytes};
    const auto& b = slot.Bytes;
    GetHeadSettings(std::span(b).first(3), group, HasRussianSetting(session));
    group.GR_Priority = b[kPriority];
    group.GR_GGS = b[kLoudspeaker];
    const std::array<std::uint8_t, 2> call{b[kCallLow], b[kCallHigh]};
    group.GR_DirectCall = TBroadcaster::BytesToDigits(call, 1);  // byte 9 first
    std::fill_n(group.GR_SLOFF.begin(), TrunkCount(session), false);
    GetFlags(std::span(b).subspan(kTrunksLow, 3), group.GR_SLOFF, 0, 24);
    group.GR_GroupCallCount =
        static_cast<std::uint8_t>(ReadList(c, group.GR_GroupCall, [&model](std::uint8_t v) {
            return TBroadcaster::GetPortNumFromIndex(model, v - 1);
        }));
    group.GR_AdditionalInterceptCount = ReadList(
        c, group.GR_AdditionalIntercept, [](std::uint8_t v) { return v + kFirstGroupNumber - 1; });
    const bool large = IsLarge(session);
    if (large) GetFlags(c.Take(kMidTrunkBytes), group.GR_SLOFF, 24, 40);
    group.GR_DayNaveden = c.Next();
    group.GR_NightNaveden = c.Next();
    if (large) GetFlags(c.Take(kHighTrunkBytes), group.GR_SLOFF, 64, 11);
    if (HasBookSettings(session)) GetBookSettings(c.Next(), group);
}

void EncodeGroup(const TGroup& group, TRawSlot& slot, const TMainClass& session) {
    const std::string& model = session.Identity.ModelName;
    auto& b = slot.Bytes;
    TCursor<std::uint8_t> c{b};
    PutHeadSettings(std::span(b).first(3), group);
    PutFlags(std::span(b).subspan(kTrunksLow, 3), group.GR_SLOFF, 0, 24);
    b[kPriority] = group.GR_Priority;
    b[kLoudspeaker] = group.GR_GGS;
    PackShortNumber(group.GR_DirectCall, b[kCallLow], b[kCallHigh]);
    WriteList(c, group.GR_GroupCall, [&model](std::int32_t port) {
        return TBroadcaster::GetLineNumFromPortNum(model, std::to_string(port));
    });
    WriteList(c, group.GR_AdditionalIntercept,
              [](std::int16_t number) { return number - (kFirstGroupNumber - 1); });
    const bool large = IsLarge(session);
    if (large) PutFlags(c.Take(kMidTrunkBytes), group.GR_SLOFF, 24, 40);
    c.Next() = group.GR_DayNaveden;
    c.Next() = group.GR_NightNaveden;
    if (large) PutFlags(c.Take(kHighTrunkBytes), group.GR_SLOFF, 64, 16);
    slot.Length = static_cast<std::uint16_t>(c.Pos);
    if (!HasBookSettings(session)) return;
    PutBookSettings(c.Next(), group);
    slot.Length = static_cast<std::uint16_t>(c.Pos);
}

// The demo office's groups: 10 the office, 11 purchasing, 12 the warehouse.
void FillDemoGroup(TGroup& g, int index, const TMainClass& session) {
    const TIdentity& id = session.Identity;
    switch (index) {
        case 0:
            g.GR_DTMF = g.GR_NonWorry = g.GR_RusSTA = g.GR_w_extnum_1th = true;
            g.GR_Df[0] = g.GR_Df[1] = true;
            g.GR_Priority = 1;
            g.GR_AdditionalIntercept = {11, 0, 0, 0, 0};
            g.GR_AdditionalInterceptCount = 1;
            if (id.RoutingTableCount >= 1) g.GR_DayNaveden = 1;
            if (id.RoutingTableCount >= 2) g.GR_NightNaveden = 2;
            break;
        case 1:
            g.GR_DTMF = g.GR_MGOutput = g.GR_MNOutput = g.GR_RusSTA = true;
            g.GR_Priority = 2;
            g.GR_AdditionalIntercept = {10, 12, 0, 0, 0};
            g.GR_AdditionalInterceptCount = 2;
            break;
        case 2:
            g.GR_SLOutput = g.GR_AutoDialer = g.GR_Redirect = true;
            g.GR_SLOFF[0] = id.TrunkLineCount > 0;
            if (id.LoudspeakerCount > 0) g.GR_GGS = 1;
            break;
        default:
            break;
    }
}

}  // namespace

int ReadGroupTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    session.Port.PurgeInput();
    TRawArea& area = GroupArea(session);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(GroupSlots(session));
    TIndexedRead spec;
    spec.Code = kReadCode;
    spec.Count = GroupSlots(session);
    spec.OnFailure = EReadFailure::ClearAll;
    spec.Options.Attempts = kReadAttempts;
    return ReadIndexed(session, area, spec);
}

int WriteGroupTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TIndexedWrite spec;
    spec.Code = kWriteCode;
    spec.Count = GroupSlots(session);
    return WriteIndexed(session, GroupArea(session), spec);
}

int DecodeGroupTable(TMainClass& session, TDataStream& store) {
    static_assert(kLongestBlock <= 255);
    const TRawArea& area = GroupArea(session);
    for (int g = 0; g < GroupSlots(session); ++g) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(g)];
        if (slot.Capacity() < kLongestBlock) continue;  // never a shape this table is built with
        DecodeGroup(slot, store.Groups[static_cast<std::size_t>(g)], session);
    }
    return 1;
}

int EncodeGroupTable(TMainClass& session, TDataStream& store) {
    TRawArea& area = GroupArea(session);
    for (int g = 0; g < GroupSlots(session); ++g) {
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(g)];
        if (slot.Capacity() < kLongestBlock) continue;  // never a shape this table is built with
        EncodeGroup(store.Groups[static_cast<std::size_t>(g)], slot, session);
    }
    session.SetChanged(ETable::Groups);
    return 1;
}

std::vector<std::uint8_t> PackGroupTable(const TMainClass& session) {
    return PackBlocks(GroupArea(session), GroupSlots(session));
}

bool UnpackGroupTable(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackBlocks(GroupArea(session), record, GroupSlots(session));
}

void BlankGroupTable(TMainClass& session) {
    TRawArea& area = GroupArea(session);
    area.Clear();
    area.Count = 0;
}

void FillGroupDemo(const TMainClass& session, TDataStream& store) {
    const int groups = GroupSlots(session);
    for (int g = 0; g < groups; ++g) {
        TGroup& group = store.Groups[static_cast<std::size_t>(g)];
        group = TGroup{};
        FillDemoGroup(group, g, session);
    }
    // Each group calls the lines the subscriber-line demo puts in it, in port order.
    int ordinal = 0;
    for (const TPortPtr& port : store.Ports) {
        if (port->Type != kPortTypeSubscriber) continue;
        const int g = DemoGroupOfLine(ordinal++);
        if (g < 0 || g >= groups) continue;
        TGroup& group = store.Groups[static_cast<std::size_t>(g)];
        if (group.GR_GroupCallCount >= kGroupListEntries) continue;
        group.GR_GroupCall[group.GR_GroupCallCount++] = port->Number;
    }
}

const TTableCodec* GroupCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::Groups,
        .Caption = "Установки групп",
        .Key = "groups",
        .ReadTimeout = "Не могу прочитать таблицы групп. Выход по time-out",
        .Read = ReadGroupTable,
        .Write = WriteGroupTable,
        .Decode = DecodeGroupTable,
        .Encode = EncodeGroupTable,
        .Pack = PackGroupTable,
        .Unpack = UnpackGroupTable,
        .Blank = BlankGroupTable,
        .FillDemo = FillGroupDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
