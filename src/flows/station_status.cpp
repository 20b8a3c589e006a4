#include "flows/station_status.h"

#include <cmath>
#include <cstdio>

#include "link/station_clock.h"
#include "model/broadcaster.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

std::string FormatFree(double free) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", free);
    return buf;
}

void DecodeBuffer(const TMainClass& session, TDataStream& store) {
    const auto& b = session.CallAccounting;
    store.BufferCapacity = TBroadcaster::MakeWord(b[0], b[1]);
    store.BufferUsed = static_cast<std::uint16_t>(TBroadcaster::MakeWord(b[2], b[3]) -
                                                  TBroadcaster::MakeWord(b[4], b[5]));
}

}  // namespace

int DecodeStationStatus(TMainClass& session, TDataStream& store, bool full, bool checkClock) {
    if (full) DecodeBuffer(session, store);
    store.StationName = session.Identity.StationName;
    store.VersionText = "ZN 5.5 / " + session.Identity.Version;
    store.SerialText = session.Identity.SerialNumber;
    if (full) {
        double free = 100.0;
        if (store.BufferCapacity == 0) {
            // Nothing sensible can be computed; the share shown stays at "all free".
            session.Dialogs.Message("Неправильно считаны данные состояния буфера тарификации.",
                                    "Ошибка.");
        } else {
            free = 100.0 - static_cast<double>(store.BufferUsed) / store.BufferCapacity * 100.0;
        }
        store.BufferText = Utf8ToCp1251(std::to_string(store.BufferUsed) + " из " +
                                        std::to_string(store.BufferCapacity) + ". Cвободно " +
                                        FormatFree(free) + "%");
    }
    store.ReservedText.clear();
    if (full) {
        const TStationDateTime t = StationClockFromIdentification(session);
        store.StationTime = {t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second};
        session.StationClock = t;
        if (checkClock) CompareStationClock(session, t);
    }
    store.Model = session.Identity.ModelName;
    const auto& id = session.IdBuffer;
    store.IdValues = {id[19], static_cast<std::uint16_t>(id[17] == 0 ? 48 : id[17]), id[9], id[8]};
    return 1;
}

int DecodeTimeDefaults(const TMainClass& session, TDataStream& store) {
    const auto& raw = session.TimeDefaultsRaw;
    const unsigned length = session.TimeDefaultsLength;
    auto decode = [&](int i, bool code) {
        const std::uint16_t w = TBroadcaster::MakeWord(raw[static_cast<std::size_t>(2 * i)],
                                                       raw[static_cast<std::size_t>(2 * i + 1)]);
        if (code) store.TimeDefaults.Codes[static_cast<std::size_t>(i)] = w >> 12;
        store.TimeDefaults.Values[static_cast<std::size_t>(i)] = static_cast<float>(w & 0x0FFF) * 0.25f;
    };
    for (int i = 0; i < 24; ++i) decode(i, true);
    if (length > 48) decode(24, true);
    if (length > 50) {
        const TTableVerRWFlags flags(session.Identity.ModelName, session.Identity.Version);
        decode(25, flags.ExtendedTimeTable());
    }
    return 1;
}

std::string BoardForCode(const std::string& model, std::uint8_t code, int slot) {
    const bool cedar = model == "Cedar";
    const bool dogwood = model == "Dogwood";
    const bool small = model == "Alder" || model == "Birch";
    if (!cedar && !dogwood && !small) return "";
    switch (code) {
        case 1: return small ? "Oka" : "Kama";
        case 2: return small ? "Ural" : "Neva";
        case 3: return small ? "Svir" : "Don";
        case 4: return small ? "" : "Onega";
        case 7: return cedar ? "Double" : (small ? "Lena" : "");
        case 9: return small ? "Oka" : "";
        case 10: return small ? "Ural" : "Onega";
        case 11: return small ? "Svir" : "Volga";
        case 12: return small ? "LenaN" : "";
        case 0xFF:
            // Cedar leaves these slot numbers unused; they add no entry at all.
            if (cedar && (slot == 6 || slot == 7 || slot == 14)) return "";
            return "Clear";
        default: return "";
    }
}

int DecodeComposition(const TMainClass& session, TDataStream& store) {
    for (auto& e : store.Composition) e = {};
    store.CompositionCount = 0;
    const std::string& model = session.Identity.ModelName;
    if (model != "Dogwood" && model != "Cedar" && model != "Alder" && model != "Birch") return 1;
    const auto months = TTableVerRWFlags(model, session.Identity.Version).MonthLengths();
    const std::size_t limit = model == "Alder" ? 6 : (model == "Birch" ? 10 : store.Composition.size());
    int result = 0;
    const int codes = std::min<int>(session.HwListLength, static_cast<int>(kHwRecordCount));
    for (int i = 0; i < codes; ++i) {
        const std::uint8_t code = session.HwList[static_cast<std::size_t>(i)];
        const std::string board = BoardForCode(model, code, i);
        if (board.empty()) continue;
        if (store.CompositionCount >= store.Composition.size()) break;
        TCompositionEntry& entry = store.Composition[store.CompositionCount++];
        entry.BoardType = board;
        const auto& r = session.HwRecords[static_cast<std::size_t>(i)];
        if (r[0] != code) {
            result = 1;
            continue;
        }
        const std::uint8_t format = r[kHwRecordData];
        if (format != 7 && format != 6) continue;
        const unsigned serial = format == 7 ? TBroadcaster::MakeWord(r[5], r[6]) : r[5] * 256u;
        entry.Serial = std::to_string(serial);
        entry.Version = std::to_string(r[1]) + "." + std::to_string(r[2]);
        TCalendarDate date;
        TTimeOfDay time;
        TBroadcaster::SecondsToDateTime(months, TBroadcaster::MakeWord(r[3], r[4]) * 86400u, date,
                                        time);
        entry.FirmwareDate = std::to_string(date.Day) + "." + std::to_string(date.Month) + "." +
                             std::to_string(date.Year);
        if ((model == "Alder" || model == "Birch") && store.CompositionCount > limit) break;
    }
    return result;
}

}  // namespace zarnik
