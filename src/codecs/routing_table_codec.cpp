#include "codecs/routing_table_codec.h"

#include <algorithm>
#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

TRawArea& RoutingArea(TMainClass& session) {
    return session.Area(ETable::RoutingTables);
}

int TableCount(const TMainClass& session) {
    return std::min<int>(session.Identity.RoutingTableCount,
                         static_cast<int>(session.Area(ETable::RoutingTables).Slots.size()));
}

// Puts lines[from], lines[from + 1] ... into a row, as many as exist and fit.
void FillRow(std::array<std::int32_t, kRoutingRowEntries>& row,
             const std::vector<std::int32_t>& lines, std::size_t from, std::size_t count) {
    for (std::size_t p = 0; p < count && p < row.size() && from + p < lines.size(); ++p)
        row[p] = lines[from + p];
}

// Whole blocks (length byte and its bytes) at the start of a record, at most `limit`.
int BlocksIn(std::span<const std::uint8_t> record, int limit) {
    int blocks = 0;
    for (std::size_t pos = 0; blocks < limit && pos < record.size(); ++blocks) {
        const std::size_t end = pos + 1 + record[pos];
        if (end > record.size()) break;
        pos = end;
    }
    return blocks;
}

void FillDemoRouting(const TMainClass& session, TDataStream& store) {
    for (auto& table : store.RoutingTables) table.Clear();
    std::vector<std::int32_t> lines;
    for (const TPortPtr& port : store.Ports)
        if (port && port->Type == kPortTypeSubscriber) lines.push_back(port->Number);
    const int tables =
        std::min<int>(TableCount(session), static_cast<int>(store.RoutingTables.size()));
    if (lines.empty() || tables == 0) return;
    // Table 1: a full first row (on stations with five lines or more), a short row behind it.
    FillRow(store.RoutingTables[0].Rows[0], lines, 0, kRoutingRowEntries);
    FillRow(store.RoutingTables[0].Rows[1], lines, kRoutingRowEntries, 2);
    if (tables < 2) return;
    // Table 2: the operator's line first, two more lines as the second choice.
    FillRow(store.RoutingTables[1].Rows[0], lines, 0, 1);
    FillRow(store.RoutingTables[1].Rows[1], lines, 1, 2);
    if (tables < 3) return;
    FillRow(store.RoutingTables[2].Rows[0], lines, lines.size() - 1, 1);
}

}  // namespace

std::vector<std::uint8_t> EncodeNavedenBlock(const TNavedenRecord& record,
                                             const std::string& model) {
    std::vector<std::uint8_t> block;
    for (const auto& row : record.Rows) {
        std::size_t written = 0;
        for (std::int32_t port : row) {
            if (port == 0) break;
            const int line = TBroadcaster::GetLineNumFromPortNum(model, std::to_string(port));
            // A port that maps to no line number a byte can carry is left out of the row.
            if (line < 1 || line > 255) continue;
            block.push_back(static_cast<std::uint8_t>(line));
            ++written;
        }
        if (written < kRoutingRowEntries) block.push_back(0);
    }
    return block;
}

TNavedenRecord DecodeNavedenBlock(std::span<const std::uint8_t> block, const std::string& model) {
    TNavedenRecord record;
    std::size_t row = 0;
    std::size_t position = 0;
    for (std::uint8_t b : block) {
        if (row >= kRoutingRows) break;  // nothing past the fourth row has a place
        if (b == 0) {
            ++row;
            position = 0;
            continue;
        }
        record.Rows[row][position] = TBroadcaster::GetPortNumFromIndex(model, b - 1);
        // A full row carries no closing 0: the next byte already belongs to the next row.
        if (++position == kRoutingRowEntries) {
            ++row;
            position = 0;
        }
    }
    return record;
}

int ReadNavedenTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = TableCount(session);
    if (count == 0) return -2;
    TRawArea& area = RoutingArea(session);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    TIndexedRead spec;
    spec.Code = kRoutingReadCode;
    spec.Count = count;
    if (ReadIndexed(session, area, spec) < 0) {
        area.Count = 0;
        return -5;
    }
    return 1;
}

int WriteNavedenTable(TMainClass& session) {
    const int count = TableCount(session);
    if (count == 0) return -1;
    if (session.CheckLink() < 0) return -2;
    TIndexedWrite spec;
    spec.Code = kRoutingWriteCode;
    spec.Count = count;
    return WriteIndexed(session, RoutingArea(session), spec) < 0 ? -5 : 1;
}

int DecodeNavedenTable(TMainClass& session, TDataStream& store) {
    for (auto& table : store.RoutingTables) table.Clear();
    const TRawArea& area = RoutingArea(session);
    const int count =
        std::min<int>(TableCount(session), static_cast<int>(store.RoutingTables.size()));
    for (int t = 0; t < count; ++t)
        store.RoutingTables[static_cast<std::size_t>(t)] = DecodeNavedenBlock(
            area.Slots[static_cast<std::size_t>(t)].Valid(), session.Identity.ModelName);
    return 1;
}

int EncodeNavedenTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::RoutingTables);
    TRawArea& area = RoutingArea(session);
    const int count =
        std::min<int>(TableCount(session), static_cast<int>(store.RoutingTables.size()));
    for (int t = 0; t < count; ++t)
        area.Slots[static_cast<std::size_t>(t)].Assign(EncodeNavedenBlock(
            store.RoutingTables[static_cast<std::size_t>(t)], session.Identity.ModelName));
    // The encoded tables are what a file should now carry, also after a clearing or a failed
    // read left the read count at 0.
    area.Count = static_cast<std::uint16_t>(count);
    return 1;
}

const TTableCodec* RoutingTableCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::RoutingTables,
        .Caption = "Таблицы наведения",
        .Key = "routing",
        .ReadTimeout = "Не могу прочитать таблицы наведения. Выход по time-out",
        .Read = ReadNavedenTable,
        .Write = WriteNavedenTable,
        .Decode = DecodeNavedenTable,
        .Encode = EncodeNavedenTable,
        .Pack =
            [](const TMainClass& s) {
                const TRawArea& area = s.Area(ETable::RoutingTables);
                return PackBlocks(area, area.Count);
            },
        // The record holds no count: the number of tables comes from the file's identification,
        // which the session already holds. The area then covers the blocks the record brought,
        // as pack writes exactly the area's blocks: a file saved before the tables were read
        // (no block) loads and saves again as it was, not as the station's 48 empty blocks.
        .Unpack =
            [](TMainClass& s, std::span<const std::uint8_t> record) {
                TRawArea& area = RoutingArea(s);
                if (!UnpackBlocks(area, record, TableCount(s))) return false;
                area.Count = static_cast<std::uint16_t>(BlocksIn(record, TableCount(s)));
                return true;
            },
        .Blank =
            [](TMainClass& s) {
                RoutingArea(s).Clear();
                RoutingArea(s).Count = 0;
            },
        .FillDemo = FillDemoRouting,
    };
    return &kCodec;
}

}  // namespace zarnik
