#pragma once
// A copy of everything a read from the station may change, in the session and in the store,
// so that a read the user stops leaves the configuration in hand exactly as it was.

#include <array>
#include <memory>

#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

class TConfigSnapshot {
public:
    TConfigSnapshot(const TMainClass& session, const TDataStream& store);
    // Puts session and store back as they were when the snapshot was taken. The port, its name
    // and the names list are not part of a configuration and are left alone.
    void Restore(TMainClass& session, TDataStream& store) const;

private:
    std::uint8_t Key;
    TIdentity Identity;
    TTableVerRWFlagsPtr VerFlags;
    std::array<std::uint8_t, kIdBufferSize> IdBuffer;
    std::uint16_t IdRawLength;
    std::uint8_t IdDecodedLength;
    bool Identified;
    bool DataPresent;
    std::array<bool, kTableCount> ChangeFlags;
    std::array<std::uint8_t, kStatusBlockSize> CallAccounting;
    std::uint16_t CallAccountingLength;
    std::array<std::uint8_t, kStatusBlockSize> TimeDefaultsRaw;
    std::uint16_t TimeDefaultsLength;
    std::array<std::uint8_t, 5> ConferenceParams;
    std::array<std::uint8_t, kHwListSize> HwList;
    std::uint16_t HwListLength;
    std::array<std::array<std::uint8_t, kHwRecordData + 1>, kHwRecordCount> HwRecords;
    std::array<TRawArea, kTableCount> Areas;
    TStationDateTime StationClock;
    EConfigOrigin Origin;
    std::string OriginModel;
    std::string OriginSerial;
    std::array<bool, kTableCount> LoadedBlank;
    std::unique_ptr<TDataStream> Store;
};

// What the encodes of a commit may change (the raw areas and their change and blank marks),
// to put back when one of them refuses.
struct TAreaSnapshot {
    std::array<TRawArea, kTableCount> Areas;
    std::array<bool, kTableCount> ChangeFlags;
    std::array<bool, kTableCount> LoadedBlank;
    explicit TAreaSnapshot(const TMainClass& s)
        : Areas(s.Areas), ChangeFlags(s.ChangeFlags), LoadedBlank(s.LoadedBlank) {}
    void Restore(TMainClass& s) const {
        s.Areas = Areas;
        s.ChangeFlags = ChangeFlags;
        s.LoadedBlank = LoadedBlank;
    }
    // A table whose bytes came out the same is not offered for writing because of this.
    void KeepFlagIfUnchanged(TMainClass& s, ETable t) const {
        const auto i = static_cast<std::size_t>(SelectionIndex(t));
        if (!(SameArea(s.Areas[i], Areas[i]))) return;
        const auto c = static_cast<std::size_t>(ChangeIndex(t));
        s.ChangeFlags[c] = ChangeFlags[c];
        s.LoadedBlank[i] = LoadedBlank[i];
    }
    static bool SameArea(const TRawArea& x, const TRawArea& y) {
        if (x.Count != y.Count || x.Slots.size() != y.Slots.size()) return false;
        for (std::size_t k = 0; k < x.Slots.size(); ++k)
            if (x.Slots[k].Length != y.Slots[k].Length || x.Slots[k].Bytes != y.Slots[k].Bytes)
                return false;
        return true;
    }
};

// A copy of the store that shares nothing it could change: the ports are copied too (the copy's
// current port is the copy of the original's); the names list, kept on disk, stays shared.
// A digest of every table's raw bytes: a configuration whose digest is
// unchanged holds no edit (a window's commit that changes nothing re-encodes the same bytes).
std::uint64_t ConfigFingerprint(const TMainClass& session);

std::unique_ptr<TDataStream> CloneStore(const TDataStream& store);
void CopyStoreInto(const TDataStream& from, TDataStream& to);

}  // namespace zarnik
