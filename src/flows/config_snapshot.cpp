#include "flows/config_snapshot.h"

namespace zarnik {

namespace {

// Replaces the shared ports of `copy` (as a plain copy of `original` holds them) by copies.
void DetachPorts(const TDataStream& original, TDataStream& copy) {
    copy.CurrentPort.reset();
    for (std::size_t i = 0; i < copy.Ports.size(); ++i) {
        if (!copy.Ports[i]) continue;
        copy.Ports[i] = std::make_shared<TPort>(*copy.Ports[i]);
        if (original.CurrentPort && original.Ports[i] == original.CurrentPort)
            copy.CurrentPort = copy.Ports[i];
    }
    if (original.CurrentPort && !copy.CurrentPort)
        copy.CurrentPort = std::make_shared<TPort>(*original.CurrentPort);
}

class TFnv {
public:
    void Add(std::uint8_t b) {
        Hash ^= b;
        Hash *= 0x100000001b3ULL;
    }
    void Add16(std::uint16_t v) {
        Add(static_cast<std::uint8_t>(v));
        Add(static_cast<std::uint8_t>(v >> 8));
    }
    template <typename Range>
    void AddAll(const Range& r) {
        for (const auto b : r) Add(b);
    }
    std::uint64_t Hash = 0xcbf29ce484222325ULL;
};

}  // namespace

std::uint64_t ConfigFingerprint(const TMainClass& session) {
    TFnv h;
    // The identification is left out: it changes only with a read or a load, which start a
    // clean configuration anyway, and its clock bytes move whenever the station is asked.
    for (const TRawArea& area : session.Areas) {
        h.Add16(area.Count);
        for (const TRawSlot& slot : area.Slots) {
            h.Add16(slot.Length);
            h.AddAll(slot.Bytes);
        }
    }
    return h.Hash;
}

std::unique_ptr<TDataStream> CloneStore(const TDataStream& store) {
    auto copy = std::make_unique<TDataStream>(store);
    DetachPorts(store, *copy);
    return copy;
}

void CopyStoreInto(const TDataStream& from, TDataStream& to) {
    to = from;
    DetachPorts(from, to);
}

TConfigSnapshot::TConfigSnapshot(const TMainClass& s, const TDataStream& store)
    : Key(s.Key),
      Identity(s.Identity),
      VerFlags(s.VerFlags),
      IdBuffer(s.IdBuffer),
      IdRawLength(s.IdRawLength),
      IdDecodedLength(s.IdDecodedLength),
      Identified(s.Identified),
      DataPresent(s.DataPresent),
      ChangeFlags(s.ChangeFlags),
      CallAccounting(s.CallAccounting),
      CallAccountingLength(s.CallAccountingLength),
      TimeDefaultsRaw(s.TimeDefaultsRaw),
      TimeDefaultsLength(s.TimeDefaultsLength),
      ConferenceParams(s.ConferenceParams),
      HwList(s.HwList),
      HwListLength(s.HwListLength),
      HwRecords(s.HwRecords),
      Areas(s.Areas),
      StationClock(s.StationClock),
      Origin(s.Origin),
      OriginModel(s.OriginModel),
      OriginSerial(s.OriginSerial),
      LoadedBlank(s.LoadedBlank),
      Store(CloneStore(store)) {}

void TConfigSnapshot::Restore(TMainClass& s, TDataStream& store) const {
    s.Key = Key;
    s.Identity = Identity;
    s.VerFlags = VerFlags;
    s.IdBuffer = IdBuffer;
    s.IdRawLength = IdRawLength;
    s.IdDecodedLength = IdDecodedLength;
    s.Identified = Identified;
    s.DataPresent = DataPresent;
    s.ChangeFlags = ChangeFlags;
    s.CallAccounting = CallAccounting;
    s.CallAccountingLength = CallAccountingLength;
    s.TimeDefaultsRaw = TimeDefaultsRaw;
    s.TimeDefaultsLength = TimeDefaultsLength;
    s.ConferenceParams = ConferenceParams;
    s.HwList = HwList;
    s.HwListLength = HwListLength;
    s.HwRecords = HwRecords;
    s.Areas = Areas;
    s.StationClock = StationClock;
    s.Origin = Origin;
    s.OriginModel = OriginModel;
    s.OriginSerial = OriginSerial;
    s.LoadedBlank = LoadedBlank;
    CopyStoreInto(*Store, store);
}

}  // namespace zarnik
