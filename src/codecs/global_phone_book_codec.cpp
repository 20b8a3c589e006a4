#include "codecs/global_phone_book_codec.h"

#include <algorithm>
#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "codecs/phone_number_coding.h"

namespace zarnik {

namespace {

TRawArea& BookArea(TMainClass& session) {
    return session.Area(ETable::GlobalPhoneBook);
}

int BlockCount(const TRawArea& area) {
    return std::min<int>(kGlobalBookBlocks, static_cast<int>(area.Slots.size()));
}

void FillDemoBook(const TMainClass&, TDataStream& store) {
    TGlobalExtNum& book = *store.GlobalExtNum;
    book.Reset();
    book.Entries[0] = "84957223311";
    book.Entries[1] = "9P88002000600";
    book.Entries[2] = "*21#";
    book.Entries[3] = "9810495123456789";  // a full 16-symbol entry
    book.Entries[4] = "9T104";
    book.Entries[11] = "84991234560";
    book.Entries[29] = "112";
}

}  // namespace

int ReadGlobExtNumTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TRawArea& area = BookArea(session);
    area.Clear();
    for (int b = 0; b < BlockCount(area); ++b) {
        const std::array<std::uint8_t, 1> request{
            static_cast<std::uint8_t>(kGlobalBookReadCode + b)};
        if (ReadSingle(session, area.Slots[static_cast<std::size_t>(b)], request) < 0) {
            area.Clear();
            return -5;
        }
    }
    return 1;
}

int WriteGlobExtNumTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    session.Port.Flush();
    const TRawArea& area = BookArea(session);
    TWriteOptions options;
    options.PurgeBeforeAck = true;
    for (int b = 0; b < BlockCount(area); ++b) {
        const std::array<std::uint8_t, 1> header{
            static_cast<std::uint8_t>((kGlobalBookReadCode + b) | 0x80)};
        if (WriteSingle(session, area.Slots[static_cast<std::size_t>(b)], header, options) < 0)
            return -5;
    }
    return 0;
}

int DecodeGlobExtNumTable(TMainClass& session, TDataStream& store) {
    TGlobalExtNum& book = *store.GlobalExtNum;
    book.Reset();
    const TRawArea& area = BookArea(session);
    // A block that holds more than its ten entries keeps only the first ten: the rest would
    // belong to the next block's places, which that block's own entries fill.
    for (int b = 0; b < BlockCount(area); ++b) {
        const auto texts =
            DecodeBookBlock(area.Slots[static_cast<std::size_t>(b)].Valid(), kBookBlockEntries);
        std::copy(texts.begin(), texts.end(),
                  book.Entries.begin() + static_cast<std::ptrdiff_t>(b * kBookBlockEntries));
    }
    book.Count = kGlobalBookEntries;
    return 1;
}

int EncodeGlobExtNumTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::GlobalPhoneBook);
    const TGlobalExtNum& book = *store.GlobalExtNum;
    TRawArea& area = BookArea(session);
    const std::size_t count = std::min<std::size_t>(book.Count, kGlobalBookEntries);
    for (int b = 0; b < BlockCount(area); ++b) {
        const std::size_t first = static_cast<std::size_t>(b) * kBookBlockEntries;
        const std::size_t last = std::clamp(count, first, first + kBookBlockEntries);
        const std::span<const std::string> entries(book.Entries.data() + first, last - first);
        area.Slots[static_cast<std::size_t>(b)].Assign(EncodeBookBlock(entries));
    }
    return 1;
}

const TTableCodec* GlobalPhoneBookCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::GlobalPhoneBook,
        .Caption = "Общая записная книжка",
        .Key = "book",
        .ReadTimeout = "Не могу прочитать глобальную таблицу внешних номеров. Выход по time-out",
        .Read = ReadGlobExtNumTable,
        .Write = WriteGlobExtNumTable,
        .Decode = DecodeGlobExtNumTable,
        .Encode = EncodeGlobExtNumTable,
        .Pack =
            [](const TMainClass& s) {
                return PackBlocks(s.Area(ETable::GlobalPhoneBook), kGlobalBookBlocks);
            },
        .Unpack =
            [](TMainClass& s, std::span<const std::uint8_t> record) {
                return UnpackBlocks(s.Area(ETable::GlobalPhoneBook), record, kGlobalBookBlocks);
            },
        .Blank = [](TMainClass& s) { BookArea(s).Clear(); },
        .FillDemo = FillDemoBook,
    };
    return &kCodec;
}

}  // namespace zarnik
