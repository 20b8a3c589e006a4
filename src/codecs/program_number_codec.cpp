#include "codecs/program_number_codec.h"

#include <algorithm>
#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

constexpr std::uint8_t kSubTableRead = 0x40;
constexpr std::uint8_t kSubTableWrite = 0xC0;
constexpr std::array<std::uint8_t, 2> kSubCodes{0x01, 0x11};
constexpr std::size_t kDigitsAfterOne = 3;
constexpr int kFirstPort = 200;

bool IsDogwood(const std::string& model) {
    return model.find("Dogwood") != std::string::npos;
}

std::size_t BlockCount(const TMainClass& session) {
    return IsDogwood(session.Identity.ModelName) ? 2 : 1;
}

constexpr std::size_t BlockBytes(std::size_t block) {
    return 2 * (block == 0 ? kPrgNumEntries1 : kPrgNumEntries2);
}

int NibbleOf(char c) {
    if (c == '0') return 0xA;
    if (c >= '1' && c <= '9') return c - '0';
    // Other hexadecimal letters come back from the station as they are and go out the same.
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The entries of both blocks, built whole before any byte of the area changes.
struct TBlocks {
    std::array<std::array<std::uint8_t, 2 * kPrgNumEntries1>, 2> Bytes{};
    std::array<std::uint16_t, 2> Length{};
    int BadPort = 0;  // the port whose number did not fit, 0 when all did
};

// Entry of block, index within it; false when the port's number does not fit.
bool PutEntry(TBlocks& blocks, std::size_t block, std::size_t index, const TPortPtr& port) {
    std::uint16_t entry = 0;
    if (port) {
        const std::optional<std::uint16_t> e = EntryOfProgramNumber(port->AlData->AL_PrgNum);
        if (!e) {
            blocks.BadPort = port->Number;
            return false;
        }
        entry = *e;
    }
    TBroadcaster::SplitWord(entry, blocks.Bytes[block][2 * index],
                            blocks.Bytes[block][2 * index + 1]);
    return true;
}

// Large models: entry k of the first block is port 200 + k, of the second port 320 + k.
bool BuildLarge(TBlocks& blocks, const TMainClass& session, const TDataStream& store) {
    for (std::size_t block = 0; block < BlockCount(session); ++block) {
        const std::size_t entries = BlockBytes(block) / 2;
        const int first = kFirstPort + (block == 0 ? 0 : static_cast<int>(kPrgNumEntries1));
        for (std::size_t k = 0; k < entries; ++k)
            if (!PutEntry(blocks, block, k, FindPort(store, first + static_cast<int>(k))))
                return false;
        blocks.Length[block] = static_cast<std::uint16_t>(BlockBytes(block));
    }
    return true;
}

// Small models: one entry per subscriber line, as many as the first block holds.
bool BuildSmall(TBlocks& blocks, const TMainClass& session, const TDataStream& store) {
    const std::size_t lines =
        std::min<std::size_t>(session.Identity.SubscriberLineCount, kPrgNumEntries1);
    const std::string& model = session.Identity.ModelName;
    for (std::size_t k = 0; k < lines; ++k) {
        const int port = TBroadcaster::GetPortNumFromIndex(model, static_cast<int>(k));
        if (!PutEntry(blocks, 0, k, FindPort(store, port))) return false;
    }
    blocks.Length[0] = static_cast<std::uint16_t>(2 * lines);
    return true;
}

void DecodeBlock(const TRawSlot& slot, std::size_t entries, std::size_t firstIndex,
                 const std::string& model, TDataStream& store) {
    for (std::size_t k = 0; k < entries; ++k) {
        const int number =
            TBroadcaster::GetPortNumFromIndex(model, static_cast<int>(firstIndex + k));
        const TPortPtr port = FindPort(store, number);
        if (!port) continue;
        const std::uint16_t entry =
            TBroadcaster::MakeWord(slot.Bytes[2 * k], slot.Bytes[2 * k + 1]);
        port->AlData->AL_PrgNum = ProgramNumberOfEntry(entry);
    }
}

std::vector<std::uint8_t> PackProgramNumbers(const TMainClass& session) {
    const TRawArea& area = session.Area(ETable::ProgramNumbers);
    std::vector<std::uint8_t> out;
    for (std::size_t block = 0; block < BlockCount(session); ++block) {
        const auto& bytes = area.Slots[block].Bytes;
        out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<long>(BlockBytes(block)));
    }
    return out;
}

// Each block is taken whole when the record reaches that far; a record cut short leaves the
// missing block empty, and bytes after the expected blocks are ignored.
bool UnpackProgramNumbers(TMainClass& session, std::span<const std::uint8_t> record) {
    TRawArea& area = session.Area(ETable::ProgramNumbers);
    area.Clear();
    std::size_t offset = 0;
    for (std::size_t block = 0; block < BlockCount(session); ++block) {
        const std::size_t size = BlockBytes(block);
        if (offset + size > record.size()) break;
        area.Slots[block].Assign(record.subspan(offset, size));
        offset += size;
    }
    area.Count = static_cast<std::uint16_t>(BlockCount(session));
    return true;
}

void BlankProgramNumbers(TMainClass& session) {
    session.Area(ETable::ProgramNumbers).Clear();
}

// The first subscriber lines get 15, 105 and 1234, a few more 133, 134, ...
void FillProgramNumberDemo(const TMainClass&, TDataStream& store) {
    static const std::array<const char*, 3> kFirst{"15", "105", "1234"};
    constexpr std::size_t kNumbered = 8;
    std::size_t n = 0;
    for (const TPortPtr& p : store.Ports) {
        if (p->Type != kPortTypeSubscriber) continue;
        if (n >= kNumbered) {
            p->AlData->AL_PrgNum.clear();
            continue;
        }
        p->AlData->AL_PrgNum = n < kFirst.size() ? kFirst[n] : "1" + std::to_string(30 + n);
        ++n;
    }
}

}  // namespace

std::string ProgramNumberOfEntry(std::uint16_t entry) {
    std::string digits = TBroadcaster::BytesToDigits(
        std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(entry >> 8),
                                    static_cast<std::uint8_t>(entry & 0xFF)},
        0);
    return digits.empty() ? digits : "1" + digits;
}

std::optional<std::uint16_t> EntryOfProgramNumber(const std::string& number) {
    if (number.empty()) return 0;
    const std::string rest = number.substr(1);  // the leading "1" is not stored
    if (rest.size() > kDigitsAfterOne) return std::nullopt;
    std::uint16_t entry = 0;
    for (char c : rest) {
        const int nibble = NibbleOf(c);
        if (nibble < 0) return std::nullopt;
        entry = static_cast<std::uint16_t>(entry << 4 | nibble);
    }
    return entry;
}

int ReadPrgNumTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    if (session.Identity.SubscriberLineCount == 0) return -2;
    TRawArea& area = session.Area(ETable::ProgramNumbers);
    area.Clear();
    int total = 0;
    for (std::size_t block = 0; block < BlockCount(session); ++block) {
        const std::array<std::uint8_t, 2> request{kSubTableRead, kSubCodes[block]};
        const int n = ReadSingle(session, area.Slots[block], request);
        if (n < 0) {
            area.Clear();
            return -5;
        }
        total += n;
    }
    area.Count = static_cast<std::uint16_t>(BlockCount(session));
    return total;
}

int WritePrgNumTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const TRawArea& area = session.Area(ETable::ProgramNumbers);
    TWriteOptions options;
    options.PurgeBeforeAck = true;
    for (std::size_t block = 0; block < BlockCount(session); ++block) {
        const std::array<std::uint8_t, 2> header{kSubTableWrite, kSubCodes[block]};
        if (WriteSingle(session, area.Slots[block], header, options) < 0) return -5;
    }
    return 1;
}

int DecodePrgNumTable(TMainClass& session, TDataStream& store) {
    const TRawArea& area = session.Area(ETable::ProgramNumbers);
    const std::string& model = session.Identity.ModelName;
    // Models without the second block have no ports at its entries (or a zero block).
    DecodeBlock(area.Slots[0], kPrgNumEntries1, 0, model, store);
    DecodeBlock(area.Slots[1], kPrgNumEntries2, kPrgNumEntries1, model, store);
    return 1;
}

int EncodePrgNumTable(TMainClass& session, TDataStream& store) {
    TBlocks blocks;
    const bool fits = TBroadcaster::IsLargeModel(session.Identity.ModelName)
                          ? BuildLarge(blocks, session, store)
                          : BuildSmall(blocks, session, store);
    if (!fits) {
        // A half-built table must never reach the station: everything stays as it was.
        session.Dialogs.Message("Неправильный программный номер порта " +
                                    std::to_string(blocks.BadPort) +
                                    ": допускается не более 4 цифр. Таблица программных номеров "
                                    "не изменена.",
                                "Ошибка");
        return -1;
    }
    TRawArea& area = session.Area(ETable::ProgramNumbers);
    for (std::size_t block = 0; block < blocks.Bytes.size(); ++block) {
        TRawSlot& slot = area.Slots[block];
        // Entries past the block's length (small models) keep what they held.
        std::copy_n(blocks.Bytes[block].begin(), blocks.Length[block], slot.Bytes.begin());
        slot.Length = blocks.Length[block];
    }
    session.SetChanged(ETable::ProgramNumbers);
    return 1;
}

const TTableCodec* ProgramNumberCodec() {
    static const TTableCodec kCodec{
        ETable::ProgramNumbers,
        "Программные номера",
        "progn",
        "Не могу прочитать таблицу программных номеров. Выход по time-out",
        ReadPrgNumTable,
        WritePrgNumTable,
        DecodePrgNumTable,
        EncodePrgNumTable,
        PackProgramNumbers,
        UnpackProgramNumbers,
        BlankProgramNumbers,
        FillProgramNumberDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
