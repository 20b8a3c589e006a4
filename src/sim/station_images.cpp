#include "sim/station_images.h"

#include <filesystem>
#include <functional>
#include <sstream>

#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "flows/station_status.h"
#include "model/port.h"
#include "platform/dialogs_stream.h"
#include "platform/file_system.h"

namespace zarnik::sim {

namespace {

// Capacity 2000 records, both counters at 0.
const TBytes kEmptyCallAccounting{0xD0, 0x07, 0, 0, 0, 0};

// Which image each slot of a table travels as.
struct TSlotImage {
    std::size_t Slot;
    TImageKey Key;
};

std::vector<TSlotImage> SlotImages(const TMainClass& session, ETable t) {
    const TIdentity& id = session.Identity;
    std::vector<TSlotImage> out;
    auto indexed = [&](std::uint8_t code, int count) {
        for (int i = 0; i < count; ++i) out.push_back({static_cast<std::size_t>(i), {code, i}});
    };
    switch (t) {
        case ETable::TimeSettings: out.push_back({0, {0x09, -1}}); break;
        case ETable::SystemSettings: out.push_back({0, {0x0A, -1}}); break;
        case ETable::GlobalPhoneBook:
            for (std::uint8_t i = 0; i < 3; ++i) out.push_back({i, {static_cast<std::uint8_t>(0x0C + i), -1}});
            break;
        case ETable::Redirections: out.push_back({0, {0x40, 0x00}}); break;
        case ETable::ProgramNumbers:
            out.push_back({0, {0x40, 0x01}});
            if (id.ModelName == "Dogwood") out.push_back({1, {0x40, 0x11}});
            break;
        case ETable::Flash: out.push_back({0, {0x40, 0x02}}); break;
        case ETable::RoutingTables: indexed(0x44, id.RoutingTableCount); break;
        case ETable::TrunkLines: indexed(0x48, id.TrunkLineCount); break;
        case ETable::SubscriberLines: indexed(0x4C, id.SubscriberLineCount); break;
        case ETable::Groups: indexed(0x50, 20); break;
        case ETable::DoorPhones: indexed(0x54, id.DoorPhoneCount); break;
        case ETable::GroupPhoneBooks:
            for (int g = 0; g < 20; ++g) {
                out.push_back({static_cast<std::size_t>(2 * g), {0x58, g}});
                out.push_back({static_cast<std::size_t>(2 * g + 1), {0x58, g | 0x20}});
            }
            break;
        case ETable::Loudspeakers: indexed(0x5C, id.LoudspeakerCount); break;
        case ETable::StaButtons: indexed(0x60, id.StaCount); break;
        case ETable::QuickConferences:
            if (session.IsCedarOrDogwood())
                indexed(0x64, std::min<int>(session.ConferenceCount(),
                                            static_cast<int>(session.Area(t).Slots.size())));
            break;
        case ETable::BlackWhiteLists: out.push_back({0, {0x40, 0x13}}); break;
    }
    return out;
}

TBytes ConferenceImage(const TRawSlot& slot, std::uint8_t factor) {
    if (slot.Length == 0) return {};
    const std::size_t n = std::min<std::size_t>(1 + std::size_t{slot.Bytes[0]} * factor, slot.Capacity());
    return TBytes(slot.Bytes.begin(), slot.Bytes.begin() + static_cast<long>(n));
}

// A scratch working directory for the names list an offline store insists on.
class TScratchDir {
public:
    TScratchDir() {
        Path = MakeTemporaryDirectory("zarnik-sim").value_or("");
    }
    ~TScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string Path;
};

void DecodeHeader(TMainClass& session, TDataStream& store) {
    DecodeStationStatus(session, store, false, false);
    DecodeTimeDefaults(session, store);
    DecodeComposition(session, store);
    BuildPorts(store);
}

}  // namespace

void AreasToImages(const TMainClass& session, TSimStation& station) {
    for (ETable t : kAllTables) {
        const TRawArea& area = session.Area(t);
        for (const TSlotImage& s : SlotImages(session, t)) {
            if (s.Slot >= area.Slots.size()) continue;
            const TRawSlot& slot = area.Slots[s.Slot];
            if (t == ETable::QuickConferences) {
                station.Images[s.Key] = ConferenceImage(slot, session.ConferenceSizeFactor());
                continue;
            }
            const auto valid = slot.Valid();
            station.Images[s.Key] = TBytes(valid.begin(), valid.end());
        }
    }
}

void ImagesToAreas(const TSimStation& station, TMainClass& session) {
    for (ETable t : kAllTables) {
        TRawArea& area = session.Area(t);
        area.Clear();
        const auto slots = SlotImages(session, t);
        area.Count = static_cast<std::uint16_t>(slots.size());
        for (const TSlotImage& s : slots) {
            const TBytes* image = station.Image(s.Key);
            if (image == nullptr || s.Slot >= area.Slots.size()) continue;
            TRawSlot& slot = area.Slots[s.Slot];
            slot.Assign(*image);
            if (t == ETable::QuickConferences && !image->empty())
                slot.Length = static_cast<std::uint16_t>((*image)[0] + 1);
        }
    }
}

void StationToSession(const TSimStation& station, TMainClass& session) {
    const TBytes wire = station.IdentificationWire();
    session.IdBuffer.fill(0);
    std::copy_n(wire.begin(), std::min(wire.size(), session.IdBuffer.size()), session.IdBuffer.begin());
    session.IdRawLength = static_cast<std::uint16_t>(wire.size());
    session.Key = session.IdBuffer[11];
    session.DecodeIdentification(true);
    session.VerFlags = session.BuildVerFlags();
    session.TimeDefaultsRaw.fill(0);
    session.TimeDefaultsLength = static_cast<std::uint16_t>(
        std::min(station.TimeDefaults.size(), session.TimeDefaultsRaw.size()));
    std::copy_n(station.TimeDefaults.begin(), session.TimeDefaultsLength, session.TimeDefaultsRaw.begin());
    session.HwList.fill(0);
    session.HwListLength = static_cast<std::uint16_t>(std::min(station.HardwareList.size(), kHwRecordCount));
    std::copy_n(station.HardwareList.begin(), session.HwListLength, session.HwList.begin());
    for (std::size_t i = 0; i < kHwRecordCount; ++i) {
        auto& r = session.HwRecords[i];
        r.fill(0);
        if (i >= station.HardwareRecords.size()) continue;
        const TBytes& src = station.HardwareRecords[i];
        const std::size_t n = std::min(src.size(), kHwRecordData);
        std::copy_n(src.begin(), n, r.begin());
        r[kHwRecordData] = static_cast<std::uint8_t>(n);
    }
    session.ConferenceParams.fill(0);
    std::copy_n(station.ConferenceParameters.begin(),
                std::min<std::size_t>(station.ConferenceParameters.size(), 5),
                session.ConferenceParams.begin());
}

void SessionToStation(const TMainClass& session, TSimStation& station) {
    const auto& b = session.IdBuffer;
    TSimIdentity& id = station.Identity;
    id.UnitBits = b[4];
    id.DeviceCode = b[5];
    id.VersionMinorByte = b[6];
    id.VersionMajor = b[7];
    id.TrunkLines = b[8];
    id.SubscriberLines = b[9];
    id.Byte10 = b[10];
    id.Key = b[11];  // travels in the clear, so the file keeps the station's own
    id.Byte12 = b[12];
    id.TimeUnit = b[13];
    id.Serial = static_cast<std::uint16_t>(b[14] | (b[15] << 8));
    id.DoorPhones = b[16];
    id.RoutingTables = b[17];
    id.LoudspeakerChannels = b[18];
    id.StaCount = b[19];
    station.TimeDefaults.assign(session.TimeDefaultsRaw.begin(),
                                session.TimeDefaultsRaw.begin() + session.TimeDefaultsLength);
    station.HardwareList.assign(session.HwList.begin(), session.HwList.begin() + session.HwListLength);
    // A file carries no board details; describe each fitted board plausibly.
    station.HardwareRecords.clear();
    for (std::size_t i = 0; i < station.HardwareList.size(); ++i) {
        if (station.HardwareList[i] == 0xFF) {
            station.HardwareRecords.push_back({0xFF});  // an empty slot has no details
            continue;
        }
        const std::uint16_t serial = static_cast<std::uint16_t>(1000 + 17 * i);
        station.HardwareRecords.push_back({station.HardwareList[i], 1, 4, 0xCD, 0x2F,
                                           static_cast<std::uint8_t>(serial & 0xFF),
                                           static_cast<std::uint8_t>(serial >> 8)});
    }
    if (session.IsCedarOrDogwood())
        station.ConferenceParameters.assign(session.ConferenceParams.begin(),
                                            session.ConferenceParams.end());
    else
        station.ConferenceParameters.clear();
    station.Images.clear();
    AreasToImages(session, station);
}

void FillDemoImages(TSimStation& station) {
    TScratchDir dir;
    std::ostringstream quiet;
    TStreamDialogs dialogs(quiet, true);
    TMainClass session(dialogs, TSessionSetup{dir.Path, false, ""});
    StationToSession(station, session);
    TDataStream store(dir.Path);
    DecodeHeader(session, store);
    for (const TTableCodec* codec : RegisteredCodecs()) {
        if (codec->FillDemo) codec->FillDemo(session, store);
        codec->Encode(session, store);
    }
    AreasToImages(session, station);
}

bool LoadStationFromFile(const std::string& path, TSimStation& station, std::string* error) {
    TScratchDir dir;
    std::ostringstream messages;
    TStreamDialogs dialogs(messages, true);
    TMainClass session(dialogs, TSessionSetup{dir.Path, false, ""});
    TDataStream store(dir.Path);
    TFileList file;
    TTableTicks all;
    all.fill(true);
    try {
        if (!LoadConfiguration(session, store, file, all, path)) {
            if (error) *error = messages.str();
            return false;
        }
    } catch (const TExitProgram&) {
        if (error) *error = messages.str();
        return false;
    }
    SessionToStation(session, station);
    // Nor does it carry the call-accounting buffer: a station fresh from a file has an empty one.
    if (station.CallAccountingStatus.empty()) station.CallAccountingStatus = kEmptyCallAccounting;
    return true;
}

bool SaveStationToFile(const TSimStation& station, const std::string& path, std::string* error) {
    TScratchDir dir;
    std::ostringstream messages;
    TStreamDialogs dialogs(messages, true);
    TMainClass session(dialogs, TSessionSetup{dir.Path, false, ""});
    StationToSession(station, session);
    ImagesToAreas(station, session);
    TDataStream store(dir.Path);
    TFileList file;
    TTableTicks all;
    all.fill(true);
    // Written under a fresh name beside the target and renamed over it: the previous file
    // stays whole until the new one is complete.
    const std::string temp = path + ".saving" + std::to_string(ProcessId());
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    if (!SaveConfiguration(session, store, file, all, temp)) {
        std::filesystem::remove(temp, ec);
        if (error) *error = messages.str();
        return false;
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        if (error) *error = "cannot rename " + temp + " to " + path + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace zarnik::sim
