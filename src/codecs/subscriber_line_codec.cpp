#include "codecs/subscriber_line_codec.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

using namespace line_block;

constexpr std::uint8_t kReadCode = 0x4C;
constexpr std::uint8_t kWriteCode = 0xCC;
constexpr int kReadAttempts = 4;

// Block offsets shared by both board families.
constexpr int kTrunksLow = 3;  // forbidden trunk lines 0..23
constexpr int kPriority = 6;
constexpr int kLoudspeaker = 7;
constexpr int kCallLow = 8;   // direct call: digits 3 and 4
constexpr int kCallHigh = 9;  // direct call: digits 1 and 2, or a "00x" marker
constexpr int kGroup = 10;
constexpr int kOwnHead = 11;
constexpr int kOwnTrunksLow = 14;

// Eight-port family continues with the books.
constexpr int kSmallBooks = 17;
constexpr int kSmallOwnBooks = 18;
constexpr std::uint16_t kSmallLength = 17;

// Ten-port family continues with 51 more forbidden trunk lines, then the books.
constexpr int kLargeTrunksMid = 17;  // entries 24..63
constexpr int kLargeOwnTrunksMid = 22;
constexpr int kLargeTrunksHigh = 27;  // entries 64..74
constexpr int kLargeOwnTrunksHigh = 29;
constexpr int kLargeBooks = 31;
constexpr int kLargeOwnBooks = 32;
constexpr std::uint16_t kLargeLength = 31;

constexpr std::uint8_t kMarker002 = 0xAB;
constexpr std::uint8_t kMarker003 = 0xAC;
constexpr int kGroups = 20;

// The own flags seen through the same index accessor as the settings.
template <class TFlags>
struct TOwnFlags {
    TFlags& Flags;
    auto& Setting(int i) const { return Flags[static_cast<std::size_t>(i)]; }
};
template <class TFlags>
TOwnFlags<TFlags> OwnFlags(TFlags& flags) {
    return {flags};
}

TRawArea& LineArea(TMainClass& session) {
    return session.Area(ETable::SubscriberLines);
}
const TRawArea& LineArea(const TMainClass& session) {
    return session.Area(ETable::SubscriberLines);
}

int LineCount(const TMainClass& session) {
    const std::size_t slots = LineArea(session).Slots.size();
    return static_cast<int>(
        std::min({std::size_t{session.Identity.SubscriberLineCount}, slots, kMaxSubscriberLines}));
}

int TrunkCount(const TMainClass& session) {
    return static_cast<int>(
        std::min(std::size_t{session.Identity.TrunkLineCount}, kAlTrunkLineSlots));
}

bool IsLarge(const TMainClass& session) {
    return TBroadcaster::IsLargeModel(session.Identity.ModelName);
}

bool IsDogwood(const TMainClass& session) {
    return session.Identity.ModelName.find("Dogwood") != std::string::npos;
}

std::span<const std::uint8_t> At(const TRawSlot& slot, int offset, int count) {
    return std::span<const std::uint8_t>(slot.Bytes)
        .subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
}
std::span<std::uint8_t> At(TRawSlot& slot, int offset, int count) {
    return std::span<std::uint8_t>(slot.Bytes)
        .subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
}

std::string DecodeDirectCall(std::uint8_t low, std::uint8_t high) {
    const std::array<std::uint8_t, 1> last{low};
    if (high == kMarker002) return "002" + TBroadcaster::BytesToDigits(last, 1);
    if (high == kMarker003) return "003" + TBroadcaster::BytesToDigits(last, 1);
    const std::array<std::uint8_t, 2> both{low, high};
    return TBroadcaster::BytesToDigits(both, 1);  // byte 9 first
}

// Five characters are the "002xx" / "003xx" forms; longer numbers travel as no number.
void EncodeDirectCall(const std::string& number, std::uint8_t& low, std::uint8_t& high) {
    low = 0;
    high = 0;
    if (number.size() > 5) return;
    if (number.size() < 5) {
        PackShortNumber(number, low, high);
        // Packed from the left, a number starting "0B" or "0C" would begin with a marker byte
        // and come back as "002..." or "003...". Such numbers come only from the station (the
        // keys give digits), which sent them behind a filler nibble: put the filler back.
        if ((high == kMarker002 || high == kMarker003) && number.size() < 4) {
            const unsigned shifted = (unsigned{high} << 8 | low) >> 4;
            high = static_cast<std::uint8_t>(shifted >> 8);
            low = static_cast<std::uint8_t>(shifted & 0xFF);
        }
        return;
    }
    if (number[2] == '2') high = kMarker002;
    if (number[2] == '3') high = kMarker003;
    std::array<std::uint8_t, 1> tail{};
    if (TBroadcaster::DigitsToBytes(number.substr(3), tail, false) == 1) low = tail[0];
}

void DecodeLine(const TRawSlot& slot, TAL& line, const TMainClass& session) {
    const bool russian = HasRussianSetting(session);
    const auto& b = slot.Bytes;
    const auto own = OwnFlags(line.AL_Own);
    GetHeadSettings(At(slot, 0, 3), line, russian);
    const int trunks = TrunkCount(session);
    std::fill_n(line.ALSL_OFF.begin(), trunks, false);
    GetFlags(At(slot, kTrunksLow, 3), line.ALSL_OFF, 0, 24);
    line.ALPriority = b[kPriority];
    line.ALGGS = b[kLoudspeaker];
    line.ALDirectCall = DecodeDirectCall(b[kCallLow], b[kCallHigh]);
    line.ALGroup = b[kGroup] < kGroups ? b[kGroup] : -1;
    GetHeadSettings(At(slot, kOwnHead, 3), own, russian);
    GetFlags(At(slot, kOwnTrunksLow, 3), line.ALSL_OFF_Own, 0, 24);
    const bool large = IsLarge(session);
    if (large) {
        GetFlags(At(slot, kLargeTrunksMid, 5), line.ALSL_OFF, 24, 40);
        GetFlags(At(slot, kLargeOwnTrunksMid, 5), line.ALSL_OFF_Own, 24, 40);
        GetFlags(At(slot, kLargeTrunksHigh, 2), line.ALSL_OFF, 64, 11);
        GetFlags(At(slot, kLargeOwnTrunksHigh, 2), line.ALSL_OFF_Own, 64, 11);
    }
    if (HasBookSettings(session)) {
        GetBookSettings(b[large ? kLargeBooks : kSmallBooks], line);
        GetBookSettings(b[large ? kLargeOwnBooks : kSmallOwnBooks], own);
    }
}

void EncodeLine(const TAL& line, TRawSlot& slot, const TMainClass& session) {
    slot.Clear();
    auto& b = slot.Bytes;
    const auto own = OwnFlags(line.AL_Own);
    PutHeadSettings(At(slot, 0, 3), line);
    PutFlags(At(slot, kTrunksLow, 3), line.ALSL_OFF, 0, 24);
    b[kPriority] = line.ALPriority;
    b[kLoudspeaker] = line.ALGGS;
    EncodeDirectCall(line.ALDirectCall, b[kCallLow], b[kCallHigh]);
    b[kGroup] = static_cast<std::uint8_t>(line.ALGroup);  // -1 travels as 0xFF
    PutHeadSettings(At(slot, kOwnHead, 3), own);
    PutFlags(At(slot, kOwnTrunksLow, 3), line.ALSL_OFF_Own, 0, 24);
    const bool books = HasBookSettings(session);
    if (!IsLarge(session)) {
        slot.Length = kSmallLength;
        if (books) {
            PutBookSettings(b[kSmallBooks], line);
            PutBookSettings(b[kSmallOwnBooks], own);
            slot.Length = kSmallLength + 2;
        }
        return;
    }
    PutFlags(At(slot, kLargeTrunksMid, 5), line.ALSL_OFF, 24, 40);
    PutFlags(At(slot, kLargeOwnTrunksMid, 5), line.ALSL_OFF_Own, 24, 40);
    // Only Dogwood takes trunk lines past the 64th; Cedar gets zeros there.
    if (IsDogwood(session)) {
        PutFlags(At(slot, kLargeTrunksHigh, 2), line.ALSL_OFF, 64, 11);
        PutFlags(At(slot, kLargeOwnTrunksHigh, 2), line.ALSL_OFF_Own, 64, 11);
    }
    slot.Length = kLargeLength;
    if (books) {
        PutBookSettings(b[kLargeBooks], line);
        PutBookSettings(b[kLargeOwnBooks], own);
        slot.Length = kLargeLength + 2;
    }
}

// Everything the table carries back to its empty state; the program number stays with the
// record because it belongs to another table.
void ResetLine(TAL& line) {
    TAL fresh;
    fresh.AL_PrgNum = std::move(line.AL_PrgNum);
    line = std::move(fresh);
}

void SetAllOwn(TAL& line, bool own) {
    line.AL_Own.fill(own);
    line.ALSL_OFF_Own.fill(own);
}

// The k-th subscriber-line port of the demo office.
void FillDemoLine(TAL& line, int ordinal) {
    using namespace al_setting;
    line.ALGroup = DemoGroupOfLine(ordinal);
    if (line.ALGroup < 0) {
        // Lines outside any group use their own values throughout.
        SetAllOwn(line, true);
        line.AL_DTMF = true;
        line.AL_NonWorry = true;
        line.AL_RusSTA = true;
        line.AL_w_extnum_1th = true;
        line.ALPriority = ordinal == 0 ? 3 : 1;  // the operator's line comes first
        line.AL_AllGGSUse = ordinal == 0;
        line.AL_Df01 = ordinal == 0;
        line.AL_Df02 = ordinal == 0;
        return;
    }
    SetAllOwn(line, false);
    switch (ordinal) {
        case 2:  // the office fax: its own fax mode, no door phones, one trunk line barred
            line.AL_Own[FAXRegime] = true;
            line.AL_FAXRegime = true;
            line.AL_Own[Df01] = true;
            line.ALSL_OFF_Own[0] = true;
            line.ALSL_OFF[0] = true;
            break;
        case 3:  // lifting the handset rings the operator
            line.ALDirectCall = "100";
            break;
        case 6:  // the buyer may call long distance although the group may not
            line.AL_Own[MGOutput] = true;
            line.AL_MGOutput = false;
            line.ALPriority = 1;
            break;
        default:
            break;
    }
}

bool AtLeast(const TMainClass& session, const char* reference) {
    const int r = TBroadcaster::CompareVersions(session.Identity.Version, reference);
    return r == 1 || r == 2;
}

bool AtLeast(const std::string& version, const char* reference) {
    const int r = TBroadcaster::CompareVersions(version, reference);
    return r == 1 || r == 2;
}

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// ---------------------------------------------------------------- shared block pieces

namespace line_block {

bool HasRussianSetting(const TMainClass& session) {
    return AtLeast(session, "24,3");
}
bool HasBookSettings(const TMainClass& session) {
    return AtLeast(session, "24,4");
}

void GetFlags(std::span<const std::uint8_t> bytes, std::span<bool> flags, int first, int count) {
    for (int k = 0; k < count; ++k)
        flags[static_cast<std::size_t>(first + k)] =
            Bit(bytes[static_cast<std::size_t>(k / 8)], k % 8);
}

void PutFlags(std::span<std::uint8_t> bytes, std::span<const bool> flags, int first, int count) {
    for (int k = 0; k < count; ++k)
        PutBit(bytes[static_cast<std::size_t>(k / 8)], k % 8,
               flags[static_cast<std::size_t>(first + k)]);
}

bool PackShortNumber(const std::string& digits, std::uint8_t& byte8, std::uint8_t& byte9) {
    byte8 = 0;
    byte9 = 0;
    std::array<std::uint8_t, 2> packed{};
    const int n = TBroadcaster::DigitsToBytes(digits, packed, false);
    if (n < 0) return false;
    byte9 = packed[0];
    byte8 = packed[1];
    return true;
}

}  // namespace line_block

// ---------------------------------------------------------------- table operations

int ReadAlTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = LineCount(session);
    if (count == 0) return -2;
    session.Port.PurgeInput();
    TRawArea& area = LineArea(session);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    TIndexedRead spec;
    spec.Code = kReadCode;
    spec.Count = count;
    spec.OnFailure = EReadFailure::ClearAll;
    spec.Options.Attempts = kReadAttempts;
    return ReadIndexed(session, area, spec);
}

int WriteAlTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TIndexedWrite spec;
    spec.Code = kWriteCode;
    spec.Count = LineCount(session);
    return WriteIndexed(session, LineArea(session), spec);
}

int DecodeAlTable(TMainClass& session, TDataStream& store) {
    const TRawArea& area = LineArea(session);
    const int count = LineCount(session);
    for (int i = 0; i < count; ++i)
        DecodeLine(area.Slots[static_cast<std::size_t>(i)],
                   store.Lines[static_cast<std::size_t>(i)], session);
    return 1;
}

int EncodeAlTable(TMainClass& session, TDataStream& store) {
    TRawArea& area = LineArea(session);
    const int count = LineCount(session);
    for (int i = 0; i < count; ++i)
        EncodeLine(store.Lines[static_cast<std::size_t>(i)],
                   area.Slots[static_cast<std::size_t>(i)], session);
    session.SetChanged(ETable::SubscriberLines);
    return 1;
}

std::vector<std::uint8_t> PackAlTable(const TMainClass& session) {
    return PackBlocks(LineArea(session), LineCount(session));
}

bool UnpackAlTable(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackBlocks(LineArea(session), record, LineCount(session));
}

void BlankAlTable(TMainClass& session) {
    TRawArea& area = LineArea(session);
    area.Clear();
    area.Count = 0;
}

int DemoGroupOfLine(int ordinal) {
    // The operator (0) and everyone past the tenth line stand alone.
    if (ordinal >= 1 && ordinal <= 4) return 0;  // office
    if (ordinal >= 5 && ordinal <= 7) return 1;  // purchasing
    if (ordinal >= 8 && ordinal <= 9) return 2;  // warehouse
    return -1;
}

void FillAlDemo(const TMainClass& session, TDataStream& store) {
    const int count = LineCount(session);
    for (int i = 0; i < count; ++i) ResetLine(store.Lines[static_cast<std::size_t>(i)]);
    int ordinal = 0;
    for (const TPortPtr& port : store.Ports) {
        if (port->Type != kPortTypeSubscriber) continue;
        const int index = port->Line - 1;
        const int k = ordinal++;  // counted as the group demo counts, whatever the index
        if (index < 0 || index >= count) continue;
        FillDemoLine(store.Lines[static_cast<std::size_t>(index)], k);
    }
}

// ---------------------------------------------------------------- subscriber-line panel

bool AlSettingShown(const std::string& /*model*/, const std::string& version, int index) {
    if (index == al_setting::RusSTA) return AtLeast(version, "24,3");
    if (index == al_setting::mBAdapter_ON) return AtLeast(version, "28,6");
    return index >= 0 && index < kAlSettingCount;
}

bool AlSettingSaved(const std::string& model, const std::string& version, int index) {
    if (!AlSettingShown(model, version, index)) return false;
    if (index >= kFirstBookSetting) return AtLeast(version, "24,4");
    // Eight-port stations have two door phones per line.
    const bool laterDoorPhone = index == al_setting::Df01 + 2 || index == al_setting::Df01 + 3;
    if (laterDoorPhone) return !TBroadcaster::IsSmallModel(model);
    return true;
}

bool DirectCallKeyAccepted(const std::string& text, char key) {
    if (key == '\b') return true;
    if (key < '0' || key > '9') return false;
    if (text.size() < 4) return true;
    return text.size() == 4 && text[1] == '0';
}

bool DirectCallNumberValid(const std::string& model, const std::string& number) {
    if (!AllDigits(number)) return false;
    if (number.size() <= 4) return true;
    return number.size() == 5 && TBroadcaster::IsLargeModel(model) && number.starts_with("00") &&
           (number[2] == '2' || number[2] == '3');
}

void CommitAlSetting(TAL& line, int index, bool checked, bool own) {
    line.Setting(index) = own && checked;
    line.AL_Own[static_cast<std::size_t>(index)] = own;
}

const TTableCodec* SubscriberLineCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::SubscriberLines,
        .Caption = "Установки АЛ",
        .Key = "lines",
        .ReadTimeout = "Не могу прочитать таблицы АЛ. Выход по time-out",
        .Read = ReadAlTable,
        .Write = WriteAlTable,
        .Decode = DecodeAlTable,
        .Encode = EncodeAlTable,
        .Pack = PackAlTable,
        .Unpack = UnpackAlTable,
        .Blank = BlankAlTable,
        .FillDemo = FillAlDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
