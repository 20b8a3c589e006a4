#include "codecs/black_white_list_codec.h"

#include <algorithm>
#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "codecs/phone_number_coding.h"

namespace zarnik {

namespace {

TRawSlot& ListSlot(TMainClass& session) {
    return session.Area(ETable::BlackWhiteLists).Slots.at(0);
}

void FillDemoLists(const TMainClass& session, TDataStream& store) {
    TBlackWhiteList& list = store.BlackWhiteList;
    list.Reset();
    if (!session.BuildVerFlags()->BlackWhiteLists()) return;
    list.Entries[0] = "8800";  // section 1: toll-free numbers
    list.Entries[1] = "112";
    list.Entries[2] = "8495*";
    list.Entries[10] = "84951234";  // section 2: one full-width number
    list.Entries[11] = "9P01";
    list.Entries[kBwBlackSection * kBwSectionEntries] = "8809";  // black book: premium lines
    list.Entries[kBwBlackSection * kBwSectionEntries + 1] = "810#";
}

}  // namespace

int ReadBwTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TRawSlot& slot = ListSlot(session);
    slot.Clear();
    TReadOptions options;
    options.Attempts = kBwListReadAttempts;
    const std::array<std::uint8_t, 2> request{0x40, kBwListSubCode};
    const int n = ReadSingle(session, slot, request, options);
    if (n < 0) {
        slot.Clear();
        return -5;
    }
    return n;
}

int WriteBwTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TWriteOptions options;
    options.PurgeBeforeAck = true;
    const std::array<std::uint8_t, 2> header{0xC0, kBwListSubCode};
    return WriteSingle(session, ListSlot(session), header, options) < 0 ? -5 : 1;
}

int DecodeBwTable(TMainClass& session, TDataStream& store) {
    TBlackWhiteList& list = store.BlackWhiteList;
    list.Reset();
    // Entries past the sixtieth have no section and are not kept.
    const auto texts = DecodeListBlock(ListSlot(session).Valid(), kBwListEntries);
    std::copy(texts.begin(), texts.end(), list.Entries.begin());
    return 0;
}

int EncodeBwTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::BlackWhiteLists);
    std::vector<std::uint8_t> block;
    for (std::size_t i = 0; i < kBwListEntries; ++i)
        AppendEntry(block, store.BlackWhiteList.Entries[i], kListEntryBytes);
    ListSlot(session).Assign(block);  // at most 60 x 4 bytes, always within the slot
    return 1;
}

const TTableCodec* BlackWhiteListCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::BlackWhiteLists,
        .Caption = "Черно-белая книжка",
        .Key = "bwlist",
        .ReadTimeout = "Не могу прочитать таблицы черно-белых книжек. Выход по time-out",
        .Read = ReadBwTable,
        .Write = WriteBwTable,
        .Decode = DecodeBwTable,
        .Encode = EncodeBwTable,
        // Files hold the block's length byte and its bytes.
        .Pack = [](const TMainClass& s) { return PackBlocks(s.Area(ETable::BlackWhiteLists), 1); },
        .Unpack =
            [](TMainClass& s, std::span<const std::uint8_t> record) {
                return UnpackBlocks(s.Area(ETable::BlackWhiteLists), record, 1);
            },
        .Blank = [](TMainClass& s) { ListSlot(s).Clear(); },
        .FillDemo = FillDemoLists,
    };
    return &kCodec;
}

}  // namespace zarnik
