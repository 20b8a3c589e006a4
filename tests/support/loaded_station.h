#pragma once
// A session and a store holding a whole built-in station as a read from it leaves them, the
// configuration file such a station saves, and fingerprints of a session and a store that show
// whether an operation changed anything.

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/store_json.h"
#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "flows/station_status.h"
#include "model/port.h"
#include "sim/builtin_stations.h"
#include "sim/station_images.h"
#include "support/offline_session.h"

namespace zarnik::test {

inline TTableTicks AllTicks() {
    TTableTicks ticks{};
    ticks.fill(true);
    return ticks;
}

inline TTableTicks OnlyTicks(std::initializer_list<ETable> chosen) {
    TTableTicks ticks{};
    for (ETable t : chosen) ticks[static_cast<std::size_t>(SelectionIndex(t))] = true;
    return ticks;
}

// The station's blocks and every table decoded into the store, as after a read of all tables.
inline void TakeStation(const sim::TSimStation& station, TMainClass& session, TDataStream& store) {
    sim::StationToSession(station, session);
    sim::ImagesToAreas(station, session);
    DecodeStationStatus(session, store, false, false);
    DecodeTimeDefaults(session, store);
    DecodeComposition(session, store);
    BuildPorts(store);
    for (ETable t : LoadOrder()) {
        const TTableCodec* codec = FindCodec(t);
        if (codec != nullptr && t != ETable::Flash) codec->Decode(session, store);
    }
    session.ChangeFlags.fill(false);
    session.Identified = true;
    session.DataPresent = true;
}

// A fully populated built-in station of the model, read into an offline session.
struct TLoadedStation : TOfflineSession {
    explicit TLoadedStation(const std::string& model) : TOfflineSession(model) {
        TakeStation(sim::MakeBuiltinStation(model, model == "Cedar"), Session, *Store);
    }
};

// One fully populated station of each model for the whole test run, built when first asked
// for (a session costs noticeable time). Shared: tests only read it.
inline const TLoadedStation& BuiltinStation(const std::string& model) {
    static std::map<std::string, std::unique_ptr<TLoadedStation>> stations;
    std::unique_ptr<TLoadedStation>& s = stations[model];
    if (!s) s = std::make_unique<TLoadedStation>(model);
    return *s;
}

// The bytes a save of every table of the session writes.
inline std::vector<std::uint8_t> SavedBytes(const TMainClass& session,
                                            const TTableTicks& ticks = AllTicks()) {
    TFileList file;
    file.CopyHeaderToFile(session);
    for (ETable t : kAllTables)
        if (ticks[static_cast<std::size_t>(SelectionIndex(t))]) {
            EXPECT_TRUE(file.CopyToFile(session, t, nullptr));
        }
    return file.Serialise(ticks);
}

// The file a save of every table of the model's built-in station writes.
inline const std::vector<std::uint8_t>& BuiltinFile(const std::string& model) {
    static std::map<std::string, std::vector<std::uint8_t>> files;
    std::vector<std::uint8_t>& bytes = files[model];
    if (bytes.empty()) {
        const TLoadedStation& s = BuiltinStation(model);
        bytes = SavedBytes(s.Session);
    }
    return bytes;
}

// One table record of a file: where it starts, its id and its data length.
struct TRecordAt {
    std::size_t Offset = 0;
    std::uint8_t Id = 0;
    std::size_t Length = 0;
    std::size_t End() const { return Offset + 3 + Length; }
};

// The records of a well-formed file, in file order.
inline std::vector<TRecordAt> RecordsOf(const std::vector<std::uint8_t>& b) {
    std::vector<TRecordAt> records;
    for (std::size_t pos = kFileHeaderSize; pos + 3 <= b.size();) {
        const TRecordAt r{pos, b[pos + 2], std::size_t{b[pos]} | std::size_t{b[pos + 1]} << 8};
        records.push_back(r);
        pos = r.End();
    }
    return records;
}

// A record as a file carries it: 16-bit length, id, data.
inline std::vector<std::uint8_t> RecordBytes(std::uint8_t id, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(data.size() & 0xFF),
                                  static_cast<std::uint8_t>(data.size() >> 8), id};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

inline std::vector<std::uint8_t> RecordData(const std::vector<std::uint8_t>& b,
                                            const TRecordAt& r) {
    return {b.begin() + static_cast<long>(r.Offset + 3), b.begin() + static_cast<long>(r.End())};
}

// Everything of the session that a load may change, as one byte string.
inline std::string SessionPrint(const TMainClass& s) {
    std::string out;
    out.reserve(1 << 17);
    auto bytes = [&out](const auto& range) {
        static_assert(sizeof(*std::data(range)) == 1);
        out.append(reinterpret_cast<const char*>(std::data(range)), std::size(range));
        out.push_back('|');
    };
    auto number = [&out](unsigned long long n) { out += std::to_string(n) + ' '; };
    bytes(s.IdBuffer);
    number(s.IdRawLength);
    number(s.IdDecodedLength);
    const TIdentity& id = s.Identity;
    out += id.ModelName + '|' + id.Version + '|' + id.SerialNumber + '|' + id.StationName + '|';
    for (unsigned long long n :
         {static_cast<unsigned long long>(id.UnitCount), 0ull + id.TrunkLineCount,
          0ull + id.SubscriberLineCount, 0ull + id.TimeUnit, 0ull + id.DoorPhoneCount,
          0ull + id.RoutingTableCount, 0ull + id.LoudspeakerCount, 0ull + id.StaCount})
        number(n);
    bytes(s.TimeDefaultsRaw);
    number(s.TimeDefaultsLength);
    bytes(s.HwList);
    number(s.HwListLength);
    bytes(s.ConferenceParams);
    for (const TRawArea& area : s.Areas) {
        number(area.Count);
        for (const TRawSlot& slot : area.Slots) {
            number(slot.Length);
            bytes(slot.Bytes);
        }
    }
    bytes(s.ChangeFlags);
    number(s.DataPresent);
    number(s.Identified);
    number(reinterpret_cast<std::uintptr_t>(s.VerFlags.get()));
    return out;
}

// What of the store any step of a load touches first: the selection, the identity texts, the
// counts, the composition and the very port objects with their program numbers. Cheap enough
// to take after every refused file; StorePrint adds every table.
inline std::string QuickStorePrint(const TDataStream& store) {
    std::ostringstream out;
    for (bool f : store.TransferFlags) out << f;
    out << '|' << store.StationName << '|' << store.VersionText << '|' << store.SerialText << '|'
        << store.Model << '|' << store.BufferText << '|' << store.CompositionCount << ' '
        << store.DoorPhoneCount << ' ' << store.LoudspeakerCount << ' ' << store.RedirectionCount;
    for (std::size_t i = 0; i < store.CompositionCount && i < store.Composition.size(); ++i)
        out << ' ' << store.Composition[i].BoardType;
    for (const TPortPtr& p : store.Ports)
        out << ' ' << static_cast<const void*>(p.get()) << p->Type << p->AlData->AL_PrgNum;
    return out.str();
}

// Everything of the store: every table as the dump shows it, the selection, the identity texts
// and the very port objects (a refused load must not rebuild them).
inline std::string StorePrint(const TMainClass& session, const TDataStream& store) {
    std::ostringstream out;
    out << cli::StoreToJson(session, store, AllTicks())
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out << QuickStorePrint(store);
    return out.str();
}

}  // namespace zarnik::test
