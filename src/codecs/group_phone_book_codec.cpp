#include "codecs/group_phone_book_codec.h"

#include <algorithm>

#include "codecs/codecs.h"
#include "codecs/phone_number_coding.h"

namespace zarnik {

namespace {

TRawArea& HalvesArea(TMainClass& session) {
    return session.Area(ETable::GroupPhoneBooks);
}

int HalfCount(const TRawArea& area) {
    return std::min<int>(kGroupBookHalves, static_cast<int>(area.Slots.size()));
}

// Files carry a 21st position after the groups, written empty and skipped when read.
std::vector<std::uint8_t> PackHalves(const TMainClass& session) {
    std::vector<std::uint8_t> record =
        PackBlocks(session.Area(ETable::GroupPhoneBooks), kGroupBookHalves);
    record.push_back(0);
    record.push_back(0);
    return record;
}

void FillDemoBooks(const TMainClass&, TDataStream& store) {
    for (auto& book : store.GroupExtNums) book.Reset();
    TGroupExternNum& sales = store.GroupExtNums[0];
    sales.Entries[0] = "84953334455";
    sales.Entries[1] = "88005553535";
    sales.Entries[2] = "9810495123456789";  // a full entry, followed directly by the next
    sales.Entries[3] = "9P2201";
    sales.Entries[12] = "*50#";
    TGroupExternNum& service = store.GroupExtNums[1];
    service.Entries[0] = "84997001020";
    service.Entries[10] = "9T0";
    store.GroupExtNums[5].Entries[19] = "103";
}

}  // namespace

std::uint8_t GroupBookSelector(int slot) {
    const auto group = static_cast<std::uint8_t>(slot / 2);
    return slot % 2 == 0 ? group : static_cast<std::uint8_t>(group | 0x20);
}

TIndexedRead GroupBookReadSpec() {
    TIndexedRead spec;
    spec.Code = kGroupBookReadCode;
    spec.Count = kGroupBookHalves;
    spec.OnFailure = EReadFailure::ClearAll;
    spec.Options.PurgeAfterRequest = true;
    spec.Selector = GroupBookSelector;
    return spec;
}

TIndexedWrite GroupBookWriteSpec() {
    TIndexedWrite spec;
    spec.Code = kGroupBookWriteCode;
    spec.Count = kGroupBookHalves;
    spec.Selector = GroupBookSelector;
    spec.OptionsFor = [](int slot) {
        TWriteOptions options;
        // The second half goes out on a drained line, with the input purged behind its header.
        if (slot % 2 == 1) {
            options.FlushFirst = true;
            options.PurgeAfterHeader = true;
        }
        return options;
    };
    return spec;
}

int ReadGroupExtNumTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TRawArea& area = HalvesArea(session);
    area.Clear();
    TIndexedRead spec = GroupBookReadSpec();
    spec.Count = HalfCount(area);
    return ReadIndexed(session, area, spec) < 0 ? -5 : 1;
}

int WriteGroupExtNumTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const TRawArea& area = session.Area(ETable::GroupPhoneBooks);
    TIndexedWrite spec = GroupBookWriteSpec();
    spec.Count = HalfCount(area);
    return WriteIndexed(session, area, spec) < 0 ? -5 : 1;
}

int DecodeGroupExtNumTable(TMainClass& session, TDataStream& store) {
    const TRawArea& area = HalvesArea(session);
    for (std::size_t g = 0; g < store.GroupExtNums.size(); ++g) {
        TGroupExternNum& book = store.GroupExtNums[g];
        book.Reset();
        for (std::size_t half = 0; half < 2; ++half) {
            const std::size_t slot = 2 * g + half;
            if (slot >= area.Slots.size()) break;
            // Entries beyond a half's ten are not kept (they would fall on the other half).
            const auto texts = DecodeBookBlock(area.Slots[slot].Valid(), kBookBlockEntries);
            std::copy(texts.begin(), texts.end(),
                      book.Entries.begin() + static_cast<std::ptrdiff_t>(half * kBookBlockEntries));
        }
        book.Count = kGroupBookEntries;
    }
    return 1;
}

int EncodeGroupExtNumTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::GroupPhoneBooks);
    TRawArea& area = HalvesArea(session);
    for (std::size_t g = 0; g < store.GroupExtNums.size(); ++g) {
        for (std::size_t half = 0; half < 2; ++half) {
            const std::size_t slot = 2 * g + half;
            if (slot >= area.Slots.size()) break;
            const std::span<const std::string> entries(
                store.GroupExtNums[g].Entries.data() + half * kBookBlockEntries, kBookBlockEntries);
            area.Slots[slot].Assign(EncodeBookBlock(entries));
        }
    }
    return 1;
}

const TTableCodec* GroupPhoneBookCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::GroupPhoneBooks,
        .Caption = "Групповые записные книжки",
        .Key = "groupbooks",
        .ReadTimeout = "Не могу прочитать групповые таблицы внешних номеров . Выход по time-out",
        .Read = ReadGroupExtNumTable,
        .Write = WriteGroupExtNumTable,
        .Decode = DecodeGroupExtNumTable,
        .Encode = EncodeGroupExtNumTable,
        .Pack = PackHalves,
        .Unpack =
            [](TMainClass& s, std::span<const std::uint8_t> record) {
                return UnpackBlocks(HalvesArea(s), record, kGroupBookHalves);
            },
        .Blank = [](TMainClass& s) { HalvesArea(s).Clear(); },
        .FillDemo = FillDemoBooks,
    };
    return &kCodec;
}

}  // namespace zarnik
