#pragma once
// Resetting chosen tables to their blank state ("Чистка всех установок"): each table's raw area
// gets its codec's blank image, the image is decoded into the store and the table is marked
// changed, so that the next write sends it. Nothing goes to the station here.

#include <array>
#include <vector>

#include "files/config_flows.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

// One check box of the clearing window: its table, caption and the capability entry that
// enables it.
struct TClearStep {
    ETable Table;
    const char* Caption;  // UTF-8, as the window shows it
    int Entry;
};

// The check boxes in the order the clearing handles them.
const std::array<TClearStep, kTableCount>& ClearingOrder();

// The boxes the window enables for the session's current identity, by selection index.
TTableTicks ClearableTables(const TMainClass& session);

// The table's blank image into its raw area and its decode into the store (the flash settings
// have no decoded form). No capability entry is tested and no change flag is set. false when
// the table has no codec.
bool BlankTable(TMainClass& session, TDataStream& store, ETable t);

struct TClearResult {
    std::vector<ETable> Cleared;      // in clearing order
    std::vector<ETable> Unsupported;  // ticked, but the working program has no such table
    std::vector<ETable> NoCodec;      // ticked and supported, but nothing knows its blank image
};

// "Обнулить таблицы": clears every ticked table (ticks by selection index) that the working
// program supports and marks it changed; there is no question and no message.
TClearResult ClearSettings(TMainClass& session, TDataStream& store, const TTableTicks& ticks);

}  // namespace zarnik
