#include "codecs/trunk_line_codec.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

constexpr std::uint8_t kReadCode = 0x48;
constexpr std::uint8_t kWriteCode = 0xC8;
constexpr std::uint16_t kBlockLength = 12;
constexpr std::size_t kAutoDialOffset = 6;
constexpr int kActivePauseBit = 2;  // of byte 10, carried from 24,4 on
constexpr std::uint8_t kDefaultMGDigit = 8;

struct TSlBit {
    std::size_t Byte;
    int Bit;
    bool TSL::*Field;
};

// Every switch with its place in the block. Byte 0 bit 5 and byte 10 bits 3-7 have no field
// and are never touched.
constexpr std::array<TSlBit, 18> kBits{{
    {0, 0, &TSL::SL_Dir01},
    {0, 1, &TSL::SL_Dir02},
    {0, 2, &TSL::SL_Dir03},
    {0, 3, &TSL::SL_Dir04},
    {0, 4, &TSL::SL_Dir05},
    {0, 6, &TSL::SL_OutgoingCall},
    {0, 7, &TSL::SL_Dir9},
    {1, 0, &TSL::SL_AutoOFFSL},
    {1, 1, &TSL::SL_FAX},
    {1, 2, &TSL::SL_TarINCall},
    {1, 3, &TSL::SL_ToneDial},
    {1, 4, &TSL::SL_ReplacementSignal},
    {1, 5, &TSL::SL_RetreatInCall},
    {1, 6, &TSL::SL_DISA},
    {1, 7, &TSL::SL_NotInterCityTar},
    {10, 0, &TSL::SL_OFFDISAForRetreatSignal},
    {10, 1, &TSL::SL_SignalToSLForDISA},
    {10, kActivePauseBit, &TSL::SL_ActivePauseAfter8},  // last: only from 24,4 on
}};
constexpr std::size_t kAlwaysBits = kBits.size() - 1;

int StationCount(const TMainClass& session) {
    const auto slots = static_cast<int>(session.Area(ETable::TrunkLines).Slots.size());
    return std::clamp<int>(session.Identity.TrunkLineCount, 0,
                           std::min(slots, static_cast<int>(kMaxTrunkLines)));
}

bool AtLeast(const std::string& version, const char* reference) {
    return TBroadcaster::CompareVersions(version, reference) >= 1;
}

std::size_t BitCount(const std::string& version) {
    return AtLeast(version, "24,4") ? kAlwaysBits + 1 : kAlwaysBits;
}

// Auto-dial symbols and their nibbles; 0 is no symbol.
int NibbleOf(char c) {
    switch (c) {
        case '0':
            return 0xA;
        case '*':
        case 'B':
        case 'b':
            return 0xB;
        case '#':
        case 'C':
        case 'c':
            return 0xC;
        case 'P':
        case 'p':
        case 'D':
        case 'd':
            return 0xD;
        case 'A':
        case 'a':
        case 'E':
        case 'e':
            return 0xE;
        case 'T':
        case 't':
        case 'F':
        case 'f':
            return 0xF;
        default:
            break;
    }
    if (c >= '1' && c <= '9') return c - '0';
    return -1;
}

char SymbolOf(int nibble) {
    static constexpr char kSymbols[] =
        "\0"
        "123456789"
        "0*#PAT";
    return kSymbols[nibble & 0x0F];
}

std::uint8_t TableByte(std::int32_t table) {
    return table < 0 ? 0 : static_cast<std::uint8_t>(table);
}

std::int32_t TableOf(std::uint8_t b) {
    return b == 0 ? -1 : b;
}

std::int32_t MGDigitOf(std::uint8_t b) {
    if (b == 0) return kDefaultMGDigit;
    return b >= 10 ? 0 : b;
}

std::uint8_t BlockByte(std::int32_t port, const std::string& model) {
    if (port < 0) return 0;
    const int index = TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(port));
    return index < 0 ? 0 : static_cast<std::uint8_t>(index + 1);
}

void DecodeOne(const TRawSlot& slot, TSL& sl, const TMainClass& session) {
    const auto& b = slot.Bytes;
    const std::string& model = session.Identity.ModelName;
    for (std::size_t k = 0; k < BitCount(session.Identity.Version); ++k)
        sl.*kBits[k].Field = TBroadcaster::TestBit(b[kBits[k].Byte], kBits[k].Bit) != 0;
    sl.SL_DayNaveden = TableOf(b[2]);
    sl.SL_NightNaveden = TableOf(b[3]);
    sl.SL_MGDigit = MGDigitOf(b[4]);
    sl.SL_Type = b[5] + 1;
    // No number on the wire is no number in the record, not the one an earlier read left.
    sl.SL_AutoDial = AutoDialFromBytes(std::span<const std::uint8_t, 4>(&b[kAutoDialOffset], 4));
    sl.SL_Block = b[11] == 0 ? -1 : TBroadcaster::GetPortNumFromSLIndex(model, b[11] - 1);
}

void EncodeOne(const TSL& sl, TRawSlot& slot, const TMainClass& session) {
    auto& b = slot.Bytes;
    const std::string& model = session.Identity.ModelName;
    for (std::size_t k = 0; k < BitCount(session.Identity.Version); ++k) {
        std::uint8_t& target = b[kBits[k].Byte];
        if (sl.*kBits[k].Field)
            TBroadcaster::SetBit(target, kBits[k].Bit);
        else
            TBroadcaster::ClearBit(target, kBits[k].Bit);
    }
    b[2] = TableByte(sl.SL_DayNaveden);
    b[3] = TableByte(sl.SL_NightNaveden);
    b[4] = static_cast<std::uint8_t>(sl.SL_MGDigit == 0 ? 10 : sl.SL_MGDigit);
    b[5] = static_cast<std::uint8_t>(sl.SL_Type - 1);
    AutoDialToBytes(sl.SL_AutoDial, std::span<std::uint8_t, 4>(&b[kAutoDialOffset], 4));
    b[11] = BlockByte(sl.SL_Block, model);
    slot.Length = kBlockLength;
}

std::vector<std::uint8_t> PackTrunkLines(const TMainClass& session) {
    return PackBlocks(session.Area(ETable::TrunkLines), StationCount(session));
}

// A loaded file replaces the blocks whole: what an earlier station left in the slots must not
// show through a shorter block.
bool UnpackTrunkLines(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackBlocks(session.Area(ETable::TrunkLines), record, StationCount(session));
}

// Every line a 5-byte block with only the long-distance digit 8.
void BlankTrunkLines(TMainClass& session) {
    for (TRawSlot& slot : session.Area(ETable::TrunkLines).Slots) {
        slot.Clear();
        slot.Bytes[4] = kDefaultMGDigit;
        slot.Length = 5;
    }
}

// Directions and routing on every line, an auto-dial number on the first, the first two
// lines blocked with each other.
void FillTrunkLineDemo(const TMainClass& session, TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    const int tables = session.Identity.RoutingTableCount;
    const int count = StationCount(session);
    for (int i = 0; i < count; ++i) {
        TSL sl;
        sl.SL_Dir01 = true;
        sl.SL_Dir9 = i % 2 == 0;
        sl.SL_ToneDial = true;
        sl.SL_TarINCall = i % 3 == 0;
        sl.SL_AutoOFFSL = true;
        sl.SL_DISA = i == 2;
        sl.SL_SignalToSLForDISA = i == 2;
        if (tables > 0) sl.SL_DayNaveden = 1 + i % tables;
        if (tables > 1) sl.SL_NightNaveden = 1 + (i + 1) % tables;
        sl.SL_Type = 1 + i % 2;
        sl.SL_MGDigit = 8;
        store.TrunkLines[static_cast<std::size_t>(i)] = sl;
    }
    if (count > 0)
        store.TrunkLines[0].SL_AutoDial = AtLeast(session.Identity.Version, "24,3") ? "8*0P" : "80";
    if (count > 1) {
        store.TrunkLines[0].SL_Block = TBroadcaster::GetPortNumFromSLIndex(model, 1);
        store.TrunkLines[1].SL_Block = TBroadcaster::GetPortNumFromSLIndex(model, 0);
    }
}

}  // namespace

std::string AutoDialFromBytes(std::span<const std::uint8_t, 4> bytes) {
    std::string number;
    for (std::uint8_t b : bytes) {
        if (b < 0x10) break;
        for (int nibble : {b >> 4, b & 0x0F})
            if (nibble != 0) number += SymbolOf(nibble);
    }
    return number;
}

void AutoDialToBytes(const std::string& number, std::span<std::uint8_t, 4> bytes) {
    std::fill(bytes.begin(), bytes.end(), 0);
    std::size_t symbols = 0;
    for (char c : number) {
        const int nibble = NibbleOf(c);
        if (nibble < 0) continue;
        if (symbols == 2 * bytes.size()) break;
        std::uint8_t& b = bytes[symbols / 2];
        b = static_cast<std::uint8_t>(symbols % 2 == 0 ? nibble << 4 : b | nibble);
        ++symbols;
    }
}

bool IsAutoDialSymbol(char c, const std::string& version) {
    if (c >= '0' && c <= '9') return true;
    static constexpr std::string_view kExtended = "#*PpTtAa";
    return kExtended.find(c) != std::string_view::npos && AtLeast(version, "24,3");
}

int ReadSlTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = StationCount(session);
    if (count == 0) return -2;
    session.Port.PurgeInput();
    TRawArea& area = session.Area(ETable::TrunkLines);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    TIndexedRead spec;
    spec.Code = kReadCode;
    spec.Count = count;
    spec.OnFailure = EReadFailure::ClearAll;
    spec.Options.Attempts = 5;
    return ReadIndexed(session, area, spec);
}

int WriteSlTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TIndexedWrite spec;
    spec.Code = kWriteCode;
    spec.Count = StationCount(session);
    spec.Options.Attempts = 5;
    return WriteIndexed(session, session.Area(ETable::TrunkLines), spec);
}

int DecodeSlTable(TMainClass& session, TDataStream& store) {
    const TRawArea& area = session.Area(ETable::TrunkLines);
    const int count = StationCount(session);
    for (int i = 0; i < count; ++i)
        DecodeOne(area.Slots[static_cast<std::size_t>(i)],
                  store.TrunkLines[static_cast<std::size_t>(i)], session);
    return 1;
}

int EncodeSlTable(TMainClass& session, TDataStream& store) {
    TRawArea& area = session.Area(ETable::TrunkLines);
    const int count = StationCount(session);
    for (int i = 0; i < count; ++i)
        EncodeOne(store.TrunkLines[static_cast<std::size_t>(i)],
                  area.Slots[static_cast<std::size_t>(i)], session);
    session.SetChanged(ETable::TrunkLines);
    return 1;
}

const TTableCodec* TrunkLineCodec() {
    static const TTableCodec kCodec{
        ETable::TrunkLines, "Установка СЛ",
        "trunks",           "Не могу прочитать таблицы СЛ. Выход по time-out",
        ReadSlTable,        WriteSlTable,
        DecodeSlTable,      EncodeSlTable,
        PackTrunkLines,     UnpackTrunkLines,
        BlankTrunkLines,    FillTrunkLineDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
