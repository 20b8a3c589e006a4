#pragma once
// One descriptor per table: what the read-all, write-all, save, load and clearing sequences need
// to know about it. Each codec file defines its descriptor; codec_registry.cpp lists them.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/table_ids.h"

namespace zarnik {

struct TTableCodec {
    ETable Table;
    const char* Caption;      // check-box caption, UTF-8
    const char* Key;          // short name for the command line and JSON
    const char* ReadTimeout;  // message after a read that failed every attempt

    // Station -> raw area. -1 no link, -2 none of the items, -5 all attempts failed.
    std::function<int(TMainClass&)> Read;
    // Raw area -> station. Results as each table defines them.
    std::function<int(TMainClass&)> Write;
    // Raw area -> store.
    std::function<int(TMainClass&, TDataStream&)> Decode;
    // Store -> raw area; sets the table's change flag.
    std::function<int(TMainClass&, TDataStream&)> Encode;
    // Raw area -> the table's record in a configuration file.
    std::function<std::vector<std::uint8_t>(const TMainClass&)> Pack;
    // A file record -> raw area. The session already holds the file's identification.
    // Returns false, having changed nothing, when a block does not fit its slot.
    std::function<bool(TMainClass&, std::span<const std::uint8_t>)> Unpack;
    // The blank image that "clearing settings" puts into the raw area (sized to the session's
    // counts, never past the area); the caller then decodes it and sets the change flag.
    std::function<void(TMainClass&)> Blank;
    // A plausible configuration of this table in the store, for the simulated station's
    // built-in stations; the caller encodes it afterwards. Ports and counts are already set.
    std::function<void(const TMainClass&, TDataStream&)> FillDemo;
};

// The registered codecs, in selection order; a table whose codec has not been built yet is absent.
const std::vector<const TTableCodec*>& RegisteredCodecs();
const TTableCodec* FindCodec(ETable t);

}  // namespace zarnik
