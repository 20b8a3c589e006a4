// One table's raw area filled from the input, as a read from a station could leave it, then
// decode, encode, pack and unpack, on a station of each model as the simulator builds it.
//
// Input: byte 0 chooses the table (among the registered codecs), byte 1 the model; then slot
// by slot a length (one byte, two when the slot holds more than 255) taken modulo the slot's
// capacity plus one, and that many bytes. Slots the input does not reach stay as the
// station had them.
//
// Checks, besides the sanitizers: a second decode and encode of what an encode gave changes
// nothing (reading back what was written is no edit), and a table record the program packs
// unpacks again and packs to the same bytes (a save then a load loses nothing).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "flows/station_status.h"
#include "fuzz/fuzz_support.h"
#include "model/port.h"
#include "sim/builtin_stations.h"
#include "sim/station_images.h"

namespace {

using namespace zarnik;

// A built-in station of the model read into a session, as after reading every table.
void TakeBuiltinStation(const std::string& model, TMainClass& session, TDataStream& store) {
    session.Identity.ModelName = model;
    store.Model = model;
    const sim::TSimStation station = sim::MakeBuiltinStation(model, model == "Cedar");
    sim::StationToSession(station, session);
    sim::ImagesToAreas(station, session);
    session.VerFlags = session.BuildVerFlags();
    DecodeStationStatus(session, store, false, false);
    DecodeTimeDefaults(session, store);
    DecodeComposition(session, store);
    BuildPorts(store);
    for (ETable t : LoadOrder()) {
        const TTableCodec* codec = FindCodec(t);
        if (codec != nullptr) codec->Decode(session, store);
    }
    session.ChangeFlags.fill(false);
    session.Identified = true;
    session.DataPresent = true;
}

struct TState {
    fuzz::TScratchFolder Folder;
    std::vector<std::unique_ptr<fuzz::TFuzzSession>> Stations;
    TState() {
        for (const char* model : fuzz::kModels) {
            auto s = std::make_unique<fuzz::TFuzzSession>(Folder.Path);
            TakeBuiltinStation(model, s->Session, *s->Store);
            s->Keep();
            Stations.push_back(std::move(s));
        }
    }
};

TState& State() {
    static TState state;
    return state;
}

class TInput {
  public:
    TInput(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
    bool Empty() const { return Pos >= Size; }
    std::uint8_t Next() { return Pos < Size ? Data[Pos++] : 0; }

  private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Pos = 0;
};

void FillArea(TRawArea& area, TInput& in) {
    for (TRawSlot& slot : area.Slots) {
        if (in.Empty()) return;
        std::size_t length = in.Next();
        if (slot.Capacity() > 255) length = length << 8 | in.Next();
        length %= slot.Capacity() + 1;
        std::vector<std::uint8_t> bytes(length);
        for (auto& b : bytes) b = in.Next();
        slot.Assign(bytes);
    }
}

std::vector<std::vector<std::uint8_t>> SlotBytes(const TRawArea& area) {
    std::vector<std::vector<std::uint8_t>> all;
    for (const TRawSlot& slot : area.Slots)
        all.emplace_back(slot.Valid().begin(), slot.Valid().end());
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    TState& state = State();
    const auto& codecs = RegisteredCodecs();
    const TTableCodec& codec = *codecs[data[0] % codecs.size()];
    fuzz::TFuzzSession& station = *state.Stations[data[1] % state.Stations.size()];
    station.Reset();
    TMainClass& session = station.Session;
    TDataStream& store = *station.Store;

    TInput in(data + 2, size - 2);
    FillArea(session.Area(codec.Table), in);

    codec.Decode(session, store);
    // An encode may refuse what the store holds (a number too long for the station); the table
    // then stays as it was, which is no encoded image to compare with.
    if (codec.Encode(session, store) >= 0) {
        const auto encoded = SlotBytes(session.Area(codec.Table));
        codec.Decode(session, store);
        codec.Encode(session, store);
        if (SlotBytes(session.Area(codec.Table)) != encoded)
            fuzz::Fail("decoding and encoding what an encode gave changed the table");
    }
    const std::vector<std::uint8_t> record = codec.Pack(session);
    if (!codec.Unpack(session, record)) fuzz::Fail("a packed table does not unpack");
    if (codec.Pack(session) != record) fuzz::Fail("pack, unpack, pack changed the record");
    return 0;
}
