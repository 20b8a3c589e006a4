#pragma once
// The whole store as JSON, and a readable text form of that JSON, for zarnik-cli's dump.
//
// One key per chosen table (the codec's key), plus the station's identity, composition, ports
// and default timers. Record fields carry the store's own member names; each record of a list
// also carries its 0-based "Index" and, where it belongs to a line, its "Port" number and the
// user's "Name" for it. Store texts are Windows-1251 and become UTF-8 here. Only the entries
// the station's counts put in use are listed.
//
// Kept header-only: the test binary does not build the command-line sources.

#include <algorithm>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "codecs/quick_conference_codec.h"
#include "codecs/table_codec.h"
#include "codecs/time_settings_codec.h"
#include "link/main_class.h"
#include "model/broadcaster.h"
#include "model/data_stream.h"
#include "platform/text_1251.h"

namespace zarnik::cli {

namespace store_json {

using nlohmann::json;

inline std::string Utf8(const std::string& cp1251) {
    return Cp1251ToUtf8(cp1251);
}

// A count from the store or the session, never past the array it counts in.
inline std::size_t InUse(long long count, std::size_t capacity) {
    if (count <= 0) return 0;
    return std::min(static_cast<std::size_t>(count), capacity);
}

inline std::string TimeOfDayText(const TSwitchTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{t.Hours}, unsigned{t.Minutes},
                  unsigned{t.Seconds});
    return text;
}

inline std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    char cell[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X", unsigned{b});
        if (!text.empty()) text += ' ';
        text += cell;
    }
    return text;
}

template <std::size_t N>
json FirstFlags(const std::array<bool, N>& flags, std::size_t count) {
    json list = json::array();
    for (std::size_t i = 0; i < std::min(count, N); ++i) list.push_back(flags[i]);
    return list;
}

// The user's name of the line on that port: the names list is kept by line number.
inline std::string LineName(const TDataStream& store, const std::string& model, int port) {
    if (!store.Names) return "";
    const int line = TBroadcaster::GetLineNumFromPortNum(model, std::to_string(port));
    return line > 0 ? Utf8(store.Names->GetPortName(line - 1)) : "";
}

inline bool KnownFamily(const std::string& model) {
    return TBroadcaster::IsLargeModel(model) || TBroadcaster::IsSmallModel(model);
}

inline std::size_t SubscriberLines(const TMainClass& s) {
    return InUse(s.Identity.SubscriberLineCount, kMaxSubscriberLines);
}
inline std::size_t TrunkLines(const TMainClass& s) {
    return InUse(s.Identity.TrunkLineCount, kMaxTrunkLines);
}

// ---------------------------------------------------------------- station

inline json IdentityJson(const TMainClass& session) {
    const TIdentity& id = session.Identity;
    return {{"ModelName", Utf8(id.ModelName)},
            {"Version", Utf8(id.Version)},
            {"UnitCount", id.UnitCount},
            {"SerialNumber", Utf8(id.SerialNumber)},
            {"StationName", Utf8(id.StationName)},
            {"SubscriberLineCount", id.SubscriberLineCount},
            {"TrunkLineCount", id.TrunkLineCount},
            {"StaCount", id.StaCount},
            {"DoorPhoneCount", id.DoorPhoneCount},
            {"LoudspeakerCount", id.LoudspeakerCount},
            {"RoutingTableCount", id.RoutingTableCount},
            {"ConferenceCount", ConferenceCount(session)},
            {"TimeUnit", id.TimeUnit}};
}

inline json CompositionJson(const TDataStream& store) {
    json list = json::array();
    for (std::size_t i = 0; i < InUse(store.CompositionCount, kMaxCompositionSlots); ++i) {
        const TCompositionEntry& e = store.Composition[i];
        list.push_back({{"Index", i},
                        {"BoardType", Utf8(e.BoardType)},
                        {"Serial", Utf8(e.Serial)},
                        {"Version", Utf8(e.Version)},
                        {"FirmwareDate", Utf8(e.FirmwareDate)}});
    }
    return list;
}

inline json PortsJson(const TDataStream& store) {
    json list = json::array();
    for (const TPortPtr& p : store.Ports) {
        if (!p) continue;
        list.push_back({{"Number", p->Number},
                        {"Kind", Utf8(p->Kind)},
                        {"Line", p->Line},
                        {"Type", p->Type},
                        {"Slot", p->Slot}});
    }
    return list;
}

// Timers the station has: T10..T33 always, T34 with quick conferences, T35 from the extended
// time table on.
inline std::vector<std::size_t> TimersInUse(const TMainClass& session) {
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    std::vector<std::size_t> timers;
    for (std::size_t k = 0; k < kConferenceTimer; ++k) timers.push_back(k);
    if (flags && flags->QuickConferences()) timers.push_back(kConferenceTimer);
    if (flags && flags->ExtendedTimeTable()) timers.push_back(kPassivePauseTimer);
    return timers;
}

inline json TimeDefaultsJson(const TMainClass& session, const TDataStream& store) {
    json timers = json::object();
    for (std::size_t k : TimersInUse(session))
        timers[kTimers[k].Name] = {{"Code", store.TimeDefaults.Codes[k]},
                                   {"Value", store.TimeDefaults.Values[k]}};
    return timers;
}

// ---------------------------------------------------------------- tables

inline json TimeSettingsJson(const TMainClass& session, const TDataStream& store) {
    json timers = json::object();
    for (std::size_t k : TimersInUse(session))
        timers[kTimers[k].Name] = store.TimeSettings.Values[k];
    return timers;
}

inline json SystemSettingsJson(const TDataStream& store) {
    const TSystemSettings& s = store.SystemSettings;
    return {{"SYS_UniformSLLoading", s.SYS_UniformSLLoading},
            {"SYS_TarINCall", s.SYS_TarINCall},
            {"SYS_ToneDial", s.SYS_ToneDial},
            {"SYS_NotInterCityTar", s.SYS_NotInterCityTar},
            {"SYS_TAProgrammingOFF", s.SYS_TAProgrammingOFF},
            {"SYS_AutoEraseTar", s.SYS_AutoEraseTar},
            {"SYS_SignalToSLForDISA", s.SYS_SignalToSLForDISA},
            {"SYS_MGDigit0", s.SYS_MGDigit0},
            {"SYS_DayTime", TimeOfDayText(s.SYS_DayTime)},
            {"SYS_NightTime", TimeOfDayText(s.SYS_NightTime)}};
}

// A phone book's entries in use, each with the user's name for it.
template <class TBook, class TNameOf>
json BookJson(const TBook& book, TNameOf nameOf) {
    json entries = json::array();
    for (std::size_t k = 0; k < InUse(book.Count, kPhoneBookTexts); ++k)
        entries.push_back(
            {{"Index", k}, {"Entry", Utf8(book.Entries[k])}, {"Name", Utf8(nameOf(k))}});
    return {{"Count", book.Count}, {"Entries", entries}};
}

inline json GlobalBookJson(const TDataStream& store) {
    if (!store.GlobalExtNum) return json::object();
    return BookJson(*store.GlobalExtNum, [&store](std::size_t k) {
        return store.Names ? store.Names->GetGlobalExtNumName(static_cast<int>(k)) : "";
    });
}

inline json GroupBooksJson(const TDataStream& store) {
    json list = json::array();
    for (std::size_t b = 0; b < kGroupPhoneBooks; ++b) {
        json book = BookJson(store.GroupExtNums[b], [&store, b](std::size_t k) {
            return store.Names
                       ? store.Names->GetGroupExtNumName(static_cast<int>(b), static_cast<int>(k))
                       : "";
        });
        book["Index"] = b;
        list.push_back(std::move(book));
    }
    return list;
}

inline json RedirectionsJson(const TMainClass& session, const TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    json list = json::array();
    for (std::size_t i = 0; i < InUse(store.RedirectionCount, kMaxRedirections); ++i) {
        const TRedirectRecord& r = store.Redirections[i];
        json record{
            {"Index", i}, {"State", r.State}, {"Target", r.Target}, {"Reserved", r.Reserved}};
        if (KnownFamily(model))
            record["Port"] = TBroadcaster::GetPortNumFromIndex(model, static_cast<int>(i));
        list.push_back(std::move(record));
    }
    return list;
}

// Program numbers live on the subscriber-line and system-phone ports.
inline json ProgramNumbersJson(const TMainClass& session, const TDataStream& store) {
    json list = json::array();
    for (const TPortPtr& p : store.Ports) {
        if (!p || (p->Type != kPortTypeSubscriber && p->Type != kPortTypeSta)) continue;
        list.push_back({{"Port", p->Number},
                        {"AL_PrgNum", Utf8(p->AlData->AL_PrgNum)},
                        {"Name", LineName(store, session.Identity.ModelName, p->Number)}});
    }
    return list;
}

inline json FlashJson(const TMainClass& session) {
    const TRawArea& area = session.Area(ETable::Flash);
    if (area.Slots.empty()) return {{"Length", 0}, {"Bytes", ""}};
    const TRawSlot& slot = area.Slots[0];
    return {{"Length", slot.Valid().size()}, {"Bytes", HexBytes(slot.Valid())}};
}

inline json RoutingTablesJson(const TMainClass& session, const TDataStream& store) {
    json list = json::array();
    const std::size_t count = InUse(session.Identity.RoutingTableCount, kMaxRoutingTables);
    for (std::size_t t = 0; t < count; ++t) {
        const std::string name =
            store.Names ? store.Names->GetNavedenName(static_cast<int>(t)) : "";
        list.push_back({{"Index", t}, {"Name", Utf8(name)}, {"Rows", store.RoutingTables[t].Rows}});
    }
    return list;
}

inline json TrunkLineJson(const TSL& sl) {
    return {{"SL_OutgoingCall", sl.SL_OutgoingCall},
            {"SL_AutoOFFSL", sl.SL_AutoOFFSL},
            {"SL_FAX", sl.SL_FAX},
            {"SL_TarINCall", sl.SL_TarINCall},
            {"SL_ToneDial", sl.SL_ToneDial},
            {"SL_ReplacementSignal", sl.SL_ReplacementSignal},
            {"SL_RetreatInCall", sl.SL_RetreatInCall},
            {"SL_DISA", sl.SL_DISA},
            {"SL_NotInterCityTar", sl.SL_NotInterCityTar},
            {"SL_OFFDISAForRetreatSignal", sl.SL_OFFDISAForRetreatSignal},
            {"SL_SignalToSLForDISA", sl.SL_SignalToSLForDISA},
            {"SL_ActivePauseAfter8", sl.SL_ActivePauseAfter8},
            {"SL_Dir01", sl.SL_Dir01},
            {"SL_Dir02", sl.SL_Dir02},
            {"SL_Dir03", sl.SL_Dir03},
            {"SL_Dir04", sl.SL_Dir04},
            {"SL_Dir05", sl.SL_Dir05},
            {"SL_Dir9", sl.SL_Dir9},
            {"SL_DayNaveden", sl.SL_DayNaveden},
            {"SL_NightNaveden", sl.SL_NightNaveden},
            {"SL_Type", sl.SL_Type},
            {"SL_MGDigit", sl.SL_MGDigit},
            {"SL_AutoDial", Utf8(sl.SL_AutoDial)},
            {"SL_Block", sl.SL_Block}};
}

inline json TrunkLinesJson(const TMainClass& session, const TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    json list = json::array();
    for (std::size_t j = 0; j < TrunkLines(session); ++j) {
        json record = TrunkLineJson(store.TrunkLines[j]);
        record["Index"] = j;
        if (KnownFamily(model)) {
            const int port = TBroadcaster::GetPortNumFromSLIndex(model, static_cast<int>(j));
            record["Port"] = port;
            record["Name"] = LineName(store, model, port);
        }
        list.push_back(std::move(record));
    }
    return list;
}

// Setting names without their prefix, in the shared index order of lines and groups.
inline constexpr std::array<const char*, kAlSettingCount> kSettingNames{
    "SecondJoining", "DTMF",           "RequiresCallSignal",
    "Df01",          "Df02",           "Df03",
    "Df04",          "Redirect",       "NonWorry",
    "GGSUse",        "UsePipeOfOrder", "InterceptVoidCall",
    "AllGGSUse",     "SLOutput",       "MGOutput",
    "MNOutput",      "AutoDialer",     "FAXRegime",
    "mBAdapter_ON",  "RusSTA",         "w_extnum_1th",
    "w_extnum_2th",  "w_extnum_3th",   "w_extnum_4th",
    "w_extnum_5th",  "b_extnum"};

inline std::string AlSettingName(int index) {
    return std::string("AL_") + kSettingNames[static_cast<std::size_t>(index)];
}

inline json SubscriberLineJson(const TAL& al, std::size_t trunks) {
    json record = json::object();
    json own = json::object();
    for (int k = 0; k < kAlSettingCount; ++k) {
        record[AlSettingName(k)] = al.Setting(k);
        own[AlSettingName(k)] = al.AL_Own[static_cast<std::size_t>(k)];
    }
    record["AL_Own"] = std::move(own);
    record["ALSL_OFF"] = FirstFlags(al.ALSL_OFF, trunks);
    record["ALSL_OFF_Own"] = FirstFlags(al.ALSL_OFF_Own, trunks);
    record["ALPriority"] = al.ALPriority;
    record["ALGGS"] = al.ALGGS;
    record["ALDirectCall"] = Utf8(al.ALDirectCall);
    record["ALGroup"] = al.ALGroup;
    return record;
}

inline json SubscriberLinesJson(const TMainClass& session, const TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    json list = json::array();
    for (std::size_t i = 0; i < SubscriberLines(session); ++i) {
        json record = SubscriberLineJson(store.Lines[i], TrunkLines(session));
        record["Index"] = i;
        if (KnownFamily(model)) {
            const int port = TBroadcaster::GetPortNumFromIndex(model, static_cast<int>(i));
            record["Port"] = port;
            record["Name"] = LineName(store, model, port);
        }
        list.push_back(std::move(record));
    }
    return list;
}

template <class T, std::size_t N>
json FirstValues(const std::array<T, N>& values, long long count) {
    json list = json::array();
    for (std::size_t i = 0; i < InUse(count, N); ++i) list.push_back(values[i]);
    return list;
}

inline json GroupJson(const TGroup& g, std::size_t trunks) {
    json record = json::object();
    for (int k = 0; k < kAlSettingCount; ++k) {
        if (k >= al_setting::Df01 && k < al_setting::Df01 + 4) continue;
        record[std::string("GR_") + kSettingNames[static_cast<std::size_t>(k)]] = g.Setting(k);
    }
    record["GR_Df"] = g.GR_Df;
    record["GR_Priority"] = g.GR_Priority;
    record["GR_GGS"] = g.GR_GGS;
    record["GR_DirectCall"] = Utf8(g.GR_DirectCall);
    record["GR_AdditionalInterceptCount"] = g.GR_AdditionalInterceptCount;
    record["GR_AdditionalIntercept"] =
        FirstValues(g.GR_AdditionalIntercept, g.GR_AdditionalInterceptCount);
    record["GR_GroupCallCount"] = g.GR_GroupCallCount;
    record["GR_GroupCall"] = FirstValues(g.GR_GroupCall, g.GR_GroupCallCount);
    record["GR_DayNaveden"] = g.GR_DayNaveden;
    record["GR_NightNaveden"] = g.GR_NightNaveden;
    record["GR_SLOFF"] = FirstFlags(g.GR_SLOFF, trunks);
    return record;
}

inline json GroupsJson(const TMainClass& session, const TDataStream& store) {
    json list = json::array();
    for (std::size_t g = 0; g < static_cast<std::size_t>(kGroupCount); ++g) {
        json record = GroupJson(store.Groups[g], TrunkLines(session));
        record["Index"] = g;
        record["Number"] = static_cast<int>(g) + kFirstGroupNumber;
        record["Name"] = store.Names ? Utf8(store.Names->GetGroupName(static_cast<int>(g))) : "";
        list.push_back(std::move(record));
    }
    return list;
}

inline json DoorPhonesJson(const TDataStream& store) {
    json list = json::array();
    for (std::size_t i = 0; i < InUse(store.DoorPhoneCount, kMaxDoorPhones); ++i) {
        const TDf& d = store.DoorPhones[i];
        list.push_back(
            {{"Index", i},
             {"Name", store.Names ? Utf8(store.Names->GetDfName(static_cast<int>(i))) : ""},
             {"AllALOpening", d.AllALOpening},
             {"ResetInCall", d.ResetInCall},
             {"DTMFOpening", d.DTMFOpening},
             {"DayTable", Utf8(d.DayTable)},
             {"NightTable", Utf8(d.NightTable)},
             {"LinkPort", Utf8(d.LinkPort)},
             {"OpenCode", Utf8(d.OpenCode)}});
    }
    return list;
}

inline json LoudspeakersJson(const TDataStream& store) {
    json list = json::array();
    for (std::size_t i = 0; i < InUse(store.LoudspeakerCount, kMaxLoudspeakers); ++i) {
        const TGGS& c = store.Loudspeakers[i];
        list.push_back(
            {{"Index", i},
             {"Name", store.Names ? Utf8(store.Names->GetGgsName(static_cast<int>(i))) : ""},
             {"LinkPort", Utf8(c.LinkPort)},
             {"AutoOff", c.AutoOff}});
    }
    return list;
}

inline json StaButtonsJson(const TMainClass& session, const TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    json list = json::array();
    for (std::size_t i = 0; i < InUse(session.Identity.StaCount, kMaxStaPhones); ++i) {
        const TSTAButtonTable& phone = store.StaButtons[i];
        json buttons = json::array();
        for (std::size_t b = 0; b < InUse(phone.ButtonCount, kStaButtonTexts); ++b)
            buttons.push_back(Utf8(phone.Buttons[b]));
        json record{{"Index", i},
                    {"ButtonCount", phone.ButtonCount},
                    {"Buttons", std::move(buttons)},
                    {"LinkedSta", phone.LinkedSta}};
        if (KnownFamily(model))
            record["Port"] = TBroadcaster::GetSTANumFromLogNum(model, static_cast<int>(i) + 1);
        list.push_back(std::move(record));
    }
    return list;
}

inline json ConferencesJson(const TMainClass& session, const TDataStream& store) {
    json list = json::array();
    for (std::size_t i = 0; i < InUse(ConferenceCount(session), kMaxConferences); ++i) {
        const TConfRecord& c = store.Conferences[i];
        list.push_back(
            {{"Index", i},
             {"Name", store.Names ? Utf8(store.Names->GetConfName(static_cast<int>(i))) : ""},
             {"MemberCount", c.MemberCount},
             {"Members", FirstValues(c.Members, c.MemberCount)}});
    }
    return list;
}

inline json BlackWhiteListJson(const TDataStream& store) {
    const TBlackWhiteList& l = store.BlackWhiteList;
    json entries = json::array();
    for (std::size_t k = 0; k < InUse(l.Count, kBwListTexts); ++k)
        entries.push_back(Utf8(l.Entries[k]));
    return {{"Count", l.Count}, {"Entries", std::move(entries)}, {"ListData", l.ListData}};
}

inline json TableJson(ETable t, const TMainClass& session, const TDataStream& store) {
    switch (t) {
        case ETable::TimeSettings:
            return TimeSettingsJson(session, store);
        case ETable::SystemSettings:
            return SystemSettingsJson(store);
        case ETable::GlobalPhoneBook:
            return GlobalBookJson(store);
        case ETable::Redirections:
            return RedirectionsJson(session, store);
        case ETable::ProgramNumbers:
            return ProgramNumbersJson(session, store);
        case ETable::Flash:
            return FlashJson(session);
        case ETable::RoutingTables:
            return RoutingTablesJson(session, store);
        case ETable::TrunkLines:
            return TrunkLinesJson(session, store);
        case ETable::SubscriberLines:
            return SubscriberLinesJson(session, store);
        case ETable::Groups:
            return GroupsJson(session, store);
        case ETable::DoorPhones:
            return DoorPhonesJson(store);
        case ETable::GroupPhoneBooks:
            return GroupBooksJson(store);
        case ETable::Loudspeakers:
            return LoudspeakersJson(store);
        case ETable::StaButtons:
            return StaButtonsJson(session, store);
        case ETable::QuickConferences:
            return ConferencesJson(session, store);
        case ETable::BlackWhiteLists:
            return BlackWhiteListJson(store);
    }
    return json::object();
}

// ---------------------------------------------------------------- text form

// Fields that say which record a line is about come first.
inline constexpr std::array<const char*, 4> kLeadKeys{"Index", "Number", "Port", "Name"};

inline bool IsLeadKey(const std::string& key) {
    return std::find(kLeadKeys.begin(), kLeadKeys.end(), key) != kLeadKeys.end();
}

inline bool IsListOfObjects(const json& value) {
    return value.is_array() && !value.empty() && value.front().is_object();
}

inline bool AllBooleans(const json& value) {
    return std::all_of(value.begin(), value.end(), [](const json& v) { return v.is_boolean(); });
}

inline std::string Inline(const json& value);
inline std::string InlineArray(const json& value);

// key=value, or just the key of a switch that is on; nothing for a switch that is off, an
// empty text or an empty list, so that a line shows only what is set.
inline std::string Field(const std::string& key, const json& value) {
    if (value.is_boolean()) return value.get<bool>() ? key : "";
    if (value.is_string() && value.get_ref<const std::string&>().empty()) return "";
    const std::string text = Inline(value);
    return text.empty() ? "" : key + "=" + text;
}

inline std::string Fields(const json& object, bool skipLists) {
    std::string line;
    auto add = [&line](const std::string& field) {
        if (field.empty()) return;
        line += line.empty() ? "" : " ";
        line += field;
    };
    for (const char* key : kLeadKeys)
        if (object.contains(key)) add(Field(key, object.at(key)));
    for (const auto& [key, value] : object.items()) {
        if (IsLeadKey(key) || (skipLists && IsListOfObjects(value))) continue;
        add(Field(key, value));
    }
    return line;
}

// Lists of switches and of texts show only their entries that are set: the index of a switch
// that is on, index:"text" for a text that is not empty.
inline std::string InlineArray(const json& value) {
    const bool flags = AllBooleans(value);
    const bool texts =
        std::all_of(value.begin(), value.end(), [](const json& v) { return v.is_string(); });
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const json& v = value[i];
        if ((flags && !v.get<bool>()) || (texts && v.get_ref<const std::string&>().empty()))
            continue;
        text += text.empty() ? "" : ",";
        if (flags)
            text += std::to_string(i);
        else if (texts)
            text += std::to_string(i) + ":" + Inline(v);
        else
            text += Inline(v);
    }
    return text.empty() ? "" : "[" + text + "]";
}

// A switch object shows the names of the switches that are on.
inline std::string Inline(const json& value) {
    if (value.is_string()) return value.dump(-1, ' ', false, json::error_handler_t::replace);
    if (value.is_object()) {
        if (!value.empty() && AllBooleans(value)) {
            std::string on;
            for (const auto& [key, v] : value.items())
                if (v.get<bool>()) on += (on.empty() ? "" : ",") + key;
            return on.empty() ? "" : "{" + on + "}";
        }
        return "{" + Fields(value, false) + "}";
    }
    if (value.is_array()) return InlineArray(value);
    return value.dump();
}

inline void PrintRecord(std::ostream& out, const json& record, const std::string& indent);

// An unused entry of an inner list (an empty phone-book entry) is left out of the text.
inline bool NothingButIndex(const json& element) {
    if (!element.is_object()) return false;
    json rest = element;
    rest.erase("Index");
    return Fields(rest, false).empty();
}

inline void PrintList(std::ostream& out, const std::string& title, const json& list,
                      const std::string& indent) {
    out << indent << title << " (" << list.size() << "):\n";
    for (const json& element : list)
        if (!NothingButIndex(element)) PrintRecord(out, element, indent + "  ");
}

// One line for the record's own fields, then its lists of records, one line each.
inline void PrintRecord(std::ostream& out, const json& record, const std::string& indent) {
    if (!record.is_object()) {
        out << indent << Inline(record) << "\n";
        return;
    }
    out << indent << Fields(record, true) << "\n";
    for (const auto& [key, value] : record.items())
        if (IsListOfObjects(value)) PrintList(out, key, value, indent + "  ");
}

}  // namespace store_json

// The chosen tables (by selection index) and the station's identity, composition and ports.
inline nlohmann::json StoreToJson(const TMainClass& session, const TDataStream& store,
                                  const std::array<bool, kTableCount>& tables) {
    using namespace store_json;
    json root = {{"StationName", Utf8(store.StationName)},
                 {"VersionText", Utf8(store.VersionText)},
                 {"SerialText", Utf8(store.SerialText)},
                 {"Model", Utf8(store.Model)},
                 {"IdValues", store.IdValues},
                 {"Identity", IdentityJson(session)},
                 {"CompositionCount", store.CompositionCount},
                 {"Composition", CompositionJson(store)},
                 {"Ports", PortsJson(store)},
                 {"TimeDefaults", TimeDefaultsJson(session, store)}};
    for (const TTableCodec* codec : RegisteredCodecs())
        if (tables[static_cast<std::size_t>(SelectionIndex(codec->Table))])
            root[codec->Key] = TableJson(codec->Table, session, store);
    return root;
}

// One table of StoreToJson under its key and caption, one line per record. Without a table
// (the station has none) the heading says so.
inline void PrintTableText(std::ostream& out, const TTableCodec& codec,
                           const nlohmann::json* table) {
    using namespace store_json;
    out << "\n[" << codec.Key << "] " << codec.Caption << "\n";
    if (table == nullptr) {
        out << "  (нет в этой АТС)\n";
    } else if (table->is_array()) {
        for (const json& record : *table) PrintRecord(out, record, "  ");
        if (table->empty()) out << "  (нет записей)\n";
    } else {
        PrintRecord(out, *table, "  ");
    }
}

// The tables held in the JSON of StoreToJson, in selection order.
inline void PrintTablesText(std::ostream& out, const nlohmann::json& dump) {
    for (const TTableCodec* codec : RegisteredCodecs())
        if (dump.contains(codec->Key)) PrintTableText(out, *codec, &dump.at(codec->Key));
}

// The JSON of StoreToJson as text: the identity first, then each table under its key and
// caption, one line per record.
inline void PrintStoreText(std::ostream& out, const nlohmann::json& dump) {
    using namespace store_json;
    for (const char* key : {"StationName", "VersionText", "SerialText", "Model", "IdValues"})
        if (dump.contains(key)) out << key << ": " << Inline(dump.at(key)) << "\n";
    if (dump.contains("Identity"))
        out << "Identity: " << Fields(dump.at("Identity"), false) << "\n";
    if (dump.contains("CompositionCount"))
        out << "CompositionCount: " << Inline(dump.at("CompositionCount")) << "\n";
    for (const char* key : {"Composition", "Ports"})
        if (dump.contains(key)) PrintList(out, key, dump.at(key), "");
    if (dump.contains("TimeDefaults"))
        out << "TimeDefaults: " << Fields(dump.at("TimeDefaults"), false) << "\n";
    PrintTablesText(out, dump);
}

}  // namespace zarnik::cli
