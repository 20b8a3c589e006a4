#include "editors/cross_connect.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <variant>

#include "codecs/program_number_codec.h"
#include "codecs/quick_conference_codec.h"
#include "codecs/sta_button_codec.h"
#include "codecs/table_codec.h"
#include "flows/config_snapshot.h"
#include "model/broadcaster.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr const char* kArrow = " → ";
constexpr const char* kNamesWhere = "Имена линий";
constexpr const char* kNone = "нет";

// ---------------------------------------------------------------- the two ports

struct TPair {
    ECrossKind Kind = ECrossKind::Line;
    int A = 0, B = 0;            // port numbers
    int LineA = -1, LineB = -1;  // 0-based line indexes (Line - 1)
    int StaA = -1, StaB = -1;    // system-phone indexes
    int TrunkA = -1, TrunkB = -1;
    int Map(int port) const { return port == A ? B : port == B ? A : port; }
};

const std::string& ModelOf(const TMainClass& session) {
    return session.Identity.ModelName;
}

int Clamp(int count, const TRawArea& area, std::size_t capacity) {
    return std::max(
        0, std::min({count, static_cast<int>(area.Slots.size()), static_cast<int>(capacity)}));
}

int LineCount(const TMainClass& s) {
    return Clamp(s.Identity.SubscriberLineCount, s.Area(ETable::SubscriberLines),
                 kMaxSubscriberLines);
}
int TrunkCount(const TMainClass& s) {
    return Clamp(s.Identity.TrunkLineCount, s.Area(ETable::TrunkLines), kMaxTrunkLines);
}
int GroupCount(const TMainClass& s) {
    return Clamp(kGroupCount, s.Area(ETable::Groups), kMaxGroups);
}
int DoorCount(const TMainClass& s, const TDataStream& store) {
    return Clamp(store.DoorPhoneCount, s.Area(ETable::DoorPhones), kMaxDoorPhones);
}
int ChannelCount(const TMainClass& s) {
    return Clamp(s.Identity.LoudspeakerCount, s.Area(ETable::Loudspeakers), kMaxLoudspeakers);
}
int RedirectionCount(const TMainClass& s) {
    const auto capacity = s.Area(ETable::Redirections).Slots.empty()
                              ? 0
                              : s.Area(ETable::Redirections).Slots[0].Capacity();
    return std::max(0, std::min({static_cast<int>(s.Identity.SubscriberLineCount),
                                 static_cast<int>(kMaxRedirections), static_cast<int>(capacity)}));
}
int RoutingCount(const TMainClass& s) {
    return Clamp(s.Identity.RoutingTableCount, s.Area(ETable::RoutingTables), kMaxRoutingTables);
}
int PhoneCount(const TMainClass& s) {
    return Clamp(s.Identity.StaCount, s.Area(ETable::StaButtons), kMaxStaPhones);
}

// Forbidden trunk lines a line block carries: 24 on the eight-port family, 64 on Cedar and 75
// on Dogwood; a group block carries 24 or 75.
int LineTrunkFlags(const std::string& model) {
    if (!TBroadcaster::IsLargeModel(model)) return 24;
    return model.find("Dogwood") != std::string::npos ? 75 : 64;
}
int GroupTrunkFlags(const std::string& model) {
    return TBroadcaster::IsLargeModel(model) ? 75 : 24;
}

// Whether the program number of a port has an entry in the station's program number blocks.
bool HasProgramEntry(const TMainClass& s, const TPort& port) {
    const std::string& model = ModelOf(s);
    if (TBroadcaster::IsLargeModel(model)) {
        const bool dogwood = model.find("Dogwood") != std::string::npos;
        const int entries =
            static_cast<int>(kPrgNumEntries1 + (dogwood ? kPrgNumEntries2 : std::size_t{0}));
        const int k = port.Number - 200;
        return k >= 0 && k < entries;
    }
    const int k = port.Line - 1;
    const int lines = std::min<int>(s.Identity.SubscriberLineCount, kPrgNumEntries1);
    return k >= 0 && k < lines;
}

// A port given to a door phone or a loudspeaker channel keeps the place its board gave it:
// trunk lines sit on these positions.
bool TrunkPosition(const std::string& model, const std::string& board, int position) {
    if (TBroadcaster::IsLargeModel(model)) {
        if (board == "Kama") return position % 2 == 0;
        if (board == "Don") return position == 0 || position == 2 || position == 4;
        if (board == "Volga") return position == 0 || position == 2;
        return false;
    }
    if (board == "Oka") return position == 0 || position == 2;
    if (board == "Ural") return position == 0;
    return false;
}

std::optional<ECrossKind> KindIn(const TDataStream& store, const TPort& port) {
    if (port.Type == kPortTypeAttachedDoorPhone || port.Type == kPortTypeAttachedLoudspeaker) {
        const bool slotKnown = port.Slot >= 0 && port.Slot < store.CompositionCount &&
                               static_cast<std::size_t>(port.Slot) < store.Composition.size();
        if (slotKnown &&
            TrunkPosition(store.Model,
                          store.Composition[static_cast<std::size_t>(port.Slot)].BoardType,
                          port.Number - 200 - 10 * port.Slot))
            return ECrossKind::Trunk;
        return ECrossKind::Line;
    }
    return CrossKindOf(port);
}

std::string Yes(bool v) {
    return v ? "да" : kNone;
}

std::string PortText(int port) {
    return port > 0 ? std::to_string(port) : kNone;
}

// Port numbers of a list, up to its first 0 entry; "нет" for none.
template <class TRange>
std::string PortList(const TRange& ports, std::size_t count) {
    std::string text;
    std::size_t n = 0;
    for (auto p : ports) {
        if (n++ >= count || p == 0) break;
        text += (text.empty() ? "" : ", ") + std::to_string(p);
    }
    return text.empty() ? kNone : text;
}

// Forbidden trunk lines as their port numbers.
std::string TrunkFlagList(const std::string& model, const std::array<bool, kAlTrunkLineSlots>& f) {
    std::string text;
    for (std::size_t k = 0; k < f.size(); ++k)
        if (f[k])
            text += (text.empty() ? "" : ", ") +
                    std::to_string(TBroadcaster::GetPortNumFromSLIndex(model, static_cast<int>(k)));
    return text.empty() ? kNone : text;
}

std::string Utf8(const std::string& cp1251) {
    return Cp1251ToUtf8(cp1251);
}

// ---------------------------------------------------------------- what a table shows

using TFields = std::vector<std::pair<std::string, std::string>>;

struct TRecordView {
    std::string Record;
    TFields Fields;
};

struct TTableView {
    std::optional<ETable> Table;
    std::string Where;
    std::vector<TRecordView> Records;
};

struct TTrunkSetting {
    bool TSL::*Member;
    const char* Caption;
};
constexpr std::array<TTrunkSetting, 18> kTrunkSettings{{
    {&TSL::SL_OutgoingCall, "Запрет исходящей связи по СЛ"},
    {&TSL::SL_AutoOFFSL, "Разрешение автоотключения СЛ"},
    {&TSL::SL_FAX, "Режим \"Факс\""},
    {&TSL::SL_TarINCall, "Разрешение тарификации вх. соединений"},
    {&TSL::SL_ToneDial, "Разрешение тонального набора"},
    {&TSL::SL_ReplacementSignal, "Разрешение замещения сигнала"},
    {&TSL::SL_RetreatInCall, "Разрешение отбоя вх. вызова"},
    {&TSL::SL_DISA, "Режим DISA"},
    {&TSL::SL_NotInterCityTar, "Запрет тариф. немеждугородних исх. соединений"},
    {&TSL::SL_OFFDISAForRetreatSignal, "Запрет откл. DISA при обнаружении сигнала \"Отбой\""},
    {&TSL::SL_SignalToSLForDISA, "Разрешение подачи сигнала в СЛ при вкл. DISA"},
    {&TSL::SL_ActivePauseAfter8, "Запрет паузы после цифры межгорода при автонаборе"},
    {&TSL::SL_Dir01, "Направление 01"},
    {&TSL::SL_Dir02, "Направление 02"},
    {&TSL::SL_Dir03, "Направление 03"},
    {&TSL::SL_Dir04, "Направление 04"},
    {&TSL::SL_Dir05, "Направление 05"},
    {&TSL::SL_Dir9, "Направление 9"},
}};

// Every field of a line record the line table carries (the program number is not one of them).
TFields LineFields(const std::string& model, const TAL& line) {
    TFields f;
    for (int k = 0; k < kAlSettingCount; ++k) {
        const bool v = line.Setting(k);
        const bool own = line.AL_Own[static_cast<std::size_t>(k)];
        f.emplace_back(kAlSettingCaptions[static_cast<std::size_t>(k)],
                       own ? Yes(v) : (v ? "по группе (да)" : "по группе"));
    }
    f.emplace_back("Запрещенные СЛ", TrunkFlagList(model, line.ALSL_OFF));
    f.emplace_back("Запрещенные СЛ, свои установки", TrunkFlagList(model, line.ALSL_OFF_Own));
    f.emplace_back("Приоритет", std::to_string(line.ALPriority));
    f.emplace_back("Номер ГГС", std::to_string(line.ALGGS));
    f.emplace_back("Прямой вызов", line.ALDirectCall.empty() ? kNone : Utf8(line.ALDirectCall));
    f.emplace_back("Группа", line.ALGroup < 0 ? kNone : std::to_string(line.ALGroup + 10));
    return f;
}

TFields TrunkFields(const TSL& sl) {
    TFields f;
    for (const TTrunkSetting& s : kTrunkSettings) f.emplace_back(s.Caption, Yes(sl.*s.Member));
    f.emplace_back("Дневная таблица наведения", PortText(sl.SL_DayNaveden));
    f.emplace_back("Ночная таблица наведения", PortText(sl.SL_NightNaveden));
    f.emplace_back("Тип СЛ", std::to_string(sl.SL_Type));
    f.emplace_back("Цифра межгорода", std::to_string(sl.SL_MGDigit));
    f.emplace_back("Автонабор", sl.SL_AutoDial.empty() ? kNone : Utf8(sl.SL_AutoDial));
    f.emplace_back("Номер сблокированной СЛ", PortText(sl.SL_Block));
    return f;
}

std::string PortRecord(int port) {
    return "порт " + std::to_string(port);
}

std::string Caption(ETable t) {
    const TTableCodec* codec = FindCodec(t);
    return codec != nullptr ? codec->Caption : "";
}

std::vector<TTableView> Describe(const TMainClass& s, const TDataStream& store) {
    const std::string& model = ModelOf(s);
    std::vector<TTableView> views;
    views.reserve(kTableCount);  // each table's view is filled through a reference to it
    auto table = [&views](ETable t) -> TTableView& {
        views.push_back({t, Caption(t), {}});
        return views.back();
    };

    TTableView& lines = table(ETable::SubscriberLines);
    for (int i = 0; i < LineCount(s); ++i)
        lines.Records.push_back({PortRecord(TBroadcaster::GetPortNumFromIndex(model, i)),
                                 LineFields(model, store.Lines[static_cast<std::size_t>(i)])});

    TTableView& trunks = table(ETable::TrunkLines);
    for (int k = 0; k < TrunkCount(s); ++k)
        trunks.Records.push_back({PortRecord(TBroadcaster::GetPortNumFromSLIndex(model, k)),
                                  TrunkFields(store.TrunkLines[static_cast<std::size_t>(k)])});

    TTableView& groups = table(ETable::Groups);
    for (int g = 0; g < GroupCount(s); ++g) {
        const TGroup& group = store.Groups[static_cast<std::size_t>(g)];
        groups.Records.push_back(
            {"группа " + std::to_string(g + 10),
             {{"Строка группового вызова", PortList(group.GR_GroupCall, kGroupListEntries)},
              {"Запрещенные СЛ группы", TrunkFlagList(model, group.GR_SLOFF)}}});
    }

    TTableView& doors = table(ETable::DoorPhones);
    for (int d = 0; d < DoorCount(s, store); ++d) {
        const std::string& port = store.DoorPhones[static_cast<std::size_t>(d)].LinkPort;
        doors.Records.push_back({"домофон " + std::to_string(d + 1),
                                 {{"Порт приписки домофона", port.empty() ? kNone : Utf8(port)}}});
    }

    TTableView& channels = table(ETable::Loudspeakers);
    for (int c = 0; c < ChannelCount(s); ++c) {
        const std::string& port = store.Loudspeakers[static_cast<std::size_t>(c)].LinkPort;
        channels.Records.push_back(
            {"канал ГГС " + std::to_string(c + 1),
             {{"Порт приписки канала ГГС", port.empty() ? kNone : Utf8(port)}}});
    }

    TTableView& redirections = table(ETable::Redirections);
    for (int i = 0; i < RedirectionCount(s); ++i)
        redirections.Records.push_back(
            {PortRecord(TBroadcaster::GetPortNumFromIndex(model, i)),
             {{"Переадресация",
               PortText(store.Redirections[static_cast<std::size_t>(i)].Target)}}});

    TTableView& routing = table(ETable::RoutingTables);
    for (int t = 0; t < RoutingCount(s); ++t) {
        TRecordView r{"таблица наведения " + std::to_string(t + 1), {}};
        const TNavedenRecord& rec = store.RoutingTables[static_cast<std::size_t>(t)];
        for (std::size_t row = 0; row < kRoutingRows; ++row)
            r.Fields.emplace_back("строка " + std::to_string(row + 1),
                                  PortList(rec.Rows[row], kRoutingRowEntries));
        routing.Records.push_back(std::move(r));
    }

    TTableView& conferences = table(ETable::QuickConferences);
    for (int c = 0; c < ConferenceCount(s); ++c) {
        const TConfRecord& conf = store.Conferences[static_cast<std::size_t>(c)];
        const auto members = static_cast<std::size_t>(
            std::clamp<int>(conf.MemberCount, 0, static_cast<int>(kMaxConferenceMembers)));
        std::string list;
        for (std::size_t m = 0; m < members; ++m)
            list += (list.empty() ? "" : ", ") + std::to_string(conf.Members[m]);
        conferences.Records.push_back(
            {"конференция " + std::to_string(c + 1), {{"Участники", list.empty() ? kNone : list}}});
    }

    TTableView& phones = table(ETable::StaButtons);
    const int buttons = StaButtonCountFor(s.Identity.Version);
    for (int i = 0; i < PhoneCount(s); ++i) {
        const TSTAButtonTable& phone = store.StaButtons[static_cast<std::size_t>(i)];
        TRecordView r{"СТА " + PortRecord(TBroadcaster::GetSTANumFromLogNum(model, i + 1)), {}};
        const int used = std::min<int>(phone.ButtonCount, buttons);
        for (int j = 0; j < used; ++j) {
            const std::string& text = phone.Buttons[static_cast<std::size_t>(j)];
            r.Fields.emplace_back("кнопка " + std::to_string(j + 1),
                                  text.empty() ? kNone : Utf8(text));
        }
        r.Fields.emplace_back("Связанный СТА", PortText(phone.LinkedSta));
        phones.Records.push_back(std::move(r));
    }

    TTableView& numbers = table(ETable::ProgramNumbers);
    for (const TPortPtr& port : store.Ports) {
        if (!IsLinePort(*port) || !HasProgramEntry(s, *port)) continue;
        const std::string& number = port->AlData->AL_PrgNum;
        numbers.Records.push_back({PortRecord(port->Number),
                                   {{"Программный номер", number.empty() ? kNone : Utf8(number)}}});
    }
    return views;
}

// ---------------------------------------------------------------- the exchange itself

// "SLxy" names port 2xy (the eight-port family's trunk places 0 and 2), "SL2xy" and "SL3xy"
// name ports 2xy and 3xy.
std::optional<int> TrunkButtonPort(const std::string& text, bool& shortForm) {
    if (!text.starts_with("SL")) return std::nullopt;
    const std::string digits = text.substr(2);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    shortForm = digits.size() == 2;
    if (shortForm && (digits[1] == '0' || digits[1] == '2')) return 200 + std::stoi(digits);
    if (digits.size() == 3 && (digits[0] == '2' || digits[0] == '3')) return std::stoi(digits);
    return std::nullopt;
}

std::string TrunkButtonText(int port, bool shortForm) {
    const int d = port - 200;
    if (shortForm && d >= 0 && d < 100 && (d % 10 == 0 || d % 10 == 2)) {
        const std::string two = std::to_string(d);
        return "SL" + std::string(2 - two.size(), '0') + two;
    }
    return "SL" + std::to_string(port);
}

void MapText(std::string& portText, const TPair& p) {
    if (portText.empty()) return;
    const std::string a = std::to_string(p.A);
    const std::string b = std::to_string(p.B);
    if (portText == a)
        portText = b;
    else if (portText == b)
        portText = a;
}

// Every reference to either port, in every table that names a port, turned to the other one.
void MapReferences(TDataStream& store, const TPair& p) {
    for (TSL& sl : store.TrunkLines) sl.SL_Block = p.Map(sl.SL_Block);
    for (TDf& d : store.DoorPhones) MapText(d.LinkPort, p);
    for (TGGS& g : store.Loudspeakers) MapText(g.LinkPort, p);
    for (TRedirectRecord& r : store.Redirections) r.Target = p.Map(r.Target);
    for (TNavedenRecord& t : store.RoutingTables)
        for (auto& row : t.Rows)
            for (std::int32_t& port : row) port = p.Map(port);
    for (TConfRecord& c : store.Conferences)
        for (std::int32_t& port : c.Members) port = p.Map(port);
    for (TGroup& g : store.Groups)
        for (std::int32_t& port : g.GR_GroupCall) port = p.Map(port);
    for (TSTAButtonTable& phone : store.StaButtons) {
        phone.LinkedSta = p.Map(phone.LinkedSta);
        for (std::string& text : phone.Buttons) {
            bool shortForm = false;
            const std::optional<int> port = TrunkButtonPort(text, shortForm);
            if (port && (*port == p.A || *port == p.B))
                text = TrunkButtonText(p.Map(*port), shortForm);
        }
    }
}

template <class T>
void SwapAt(T& items, int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    const auto ua = static_cast<std::size_t>(a);
    const auto ub = static_cast<std::size_t>(b);
    if (ua >= items.size() || ub >= items.size()) return;
    using std::swap;
    swap(items[ua], items[ub]);
}

void SwapLineRecords(TDataStream& store, const TPair& p) {
    if (p.LineA < 0 || p.LineB < 0) return;
    TAL& a = store.Lines[static_cast<std::size_t>(p.LineA)];
    TAL& b = store.Lines[static_cast<std::size_t>(p.LineB)];
    // The program number lives on the port; the record's copy stays where it is.
    std::string numberA = std::move(a.AL_PrgNum);
    std::string numberB = std::move(b.AL_PrgNum);
    std::swap(a, b);
    a.AL_PrgNum = std::move(numberA);
    b.AL_PrgNum = std::move(numberB);
}

// Everything set up on the two ports, exchanged in `store`; the ports are looked up in it.
void Exchange(TDataStream& store, const TPair& p) {
    const TPortPtr a = FindPort(store, p.A);
    const TPortPtr b = FindPort(store, p.B);
    if (p.Kind == ECrossKind::Trunk) {
        SwapAt(store.TrunkLines, p.TrunkA, p.TrunkB);
        for (TAL& line : store.Lines) {
            SwapAt(line.ALSL_OFF, p.TrunkA, p.TrunkB);
            SwapAt(line.ALSL_OFF_Own, p.TrunkA, p.TrunkB);
        }
        for (TGroup& g : store.Groups) SwapAt(g.GR_SLOFF, p.TrunkA, p.TrunkB);
    } else {
        SwapLineRecords(store, p);
        SwapAt(store.Redirections, p.LineA, p.LineB);
        if (p.Kind == ECrossKind::SystemPhone) SwapAt(store.StaButtons, p.StaA, p.StaB);
    }
    if (a && b) {
        std::swap(a->AlData->AL_PrgNum, b->AlData->AL_PrgNum);
        // A door phone or loudspeaker channel given to one port now belongs to the other.
        std::swap(a->Type, b->Type);
        std::swap(a->Kind, b->Kind);
    }
    MapReferences(store, p);
}

// ---------------------------------------------------------------- refusals

bool SameFields(const TFields& a, const TFields& b) {
    return a == b;
}

// Data that would have to move between a place the station keeps and one it does not.
std::string Stranded(const char* what, int portKept, int portLost) {
    return std::string(what) + " порта " + std::to_string(portKept) +
           " некуда перенести: у порта " + std::to_string(portLost) +
           " нет такой записи в таблицах АТС. Обмен не выполнен.";
}

std::string CheckCarried(const TMainClass& s, const TDataStream& store, const TPair& p,
                         const TPort& a, const TPort& b) {
    const std::string& model = ModelOf(s);
    auto oneSided = [](bool inA, bool inB) { return inA != inB; };
    auto kept = [&p](bool inA) { return inA ? p.A : p.B; };
    auto lost = [&p](bool inA) { return inA ? p.B : p.A; };

    if (a.AlData->AL_PrgNum != b.AlData->AL_PrgNum) {
        const bool inA = HasProgramEntry(s, a);
        if (oneSided(inA, HasProgramEntry(s, b)))
            return Stranded("Программный номер", kept(inA), lost(inA));
    }
    if (p.Kind == ECrossKind::Trunk) {
        const int count = TrunkCount(s);
        const bool inA = p.TrunkA < count;
        if (oneSided(inA, p.TrunkB < count) &&
            !(store.TrunkLines[static_cast<std::size_t>(p.TrunkA)] ==
              store.TrunkLines[static_cast<std::size_t>(p.TrunkB)]))
            return Stranded("Настройки СЛ", kept(inA), lost(inA));
        const auto ua = static_cast<std::size_t>(p.TrunkA);
        const auto ub = static_cast<std::size_t>(p.TrunkB);
        const bool lineA = p.TrunkA < LineTrunkFlags(model);
        if (oneSided(lineA, p.TrunkB < LineTrunkFlags(model)))
            for (int i = 0; i < LineCount(s); ++i) {
                const TAL& l = store.Lines[static_cast<std::size_t>(i)];
                if (l.ALSL_OFF[ua] != l.ALSL_OFF[ub] || l.ALSL_OFF_Own[ua] != l.ALSL_OFF_Own[ub])
                    return Stranded("Запрет АЛ на выход в СЛ", kept(lineA), lost(lineA));
            }
        const bool groupA = p.TrunkA < GroupTrunkFlags(model);
        if (oneSided(groupA, p.TrunkB < GroupTrunkFlags(model)))
            for (int g = 0; g < GroupCount(s); ++g) {
                const TGroup& gr = store.Groups[static_cast<std::size_t>(g)];
                if (gr.GR_SLOFF[ua] != gr.GR_SLOFF[ub])
                    return Stranded("Запрет группы на выход в СЛ", kept(groupA), lost(groupA));
            }
        return "";
    }
    const int lines = LineCount(s);
    const bool inA = p.LineA < lines;
    if (oneSided(inA, p.LineB < lines) &&
        !SameFields(LineFields(model, store.Lines[static_cast<std::size_t>(p.LineA)]),
                    LineFields(model, store.Lines[static_cast<std::size_t>(p.LineB)])))
        return Stranded("Настройки АЛ", kept(inA), lost(inA));
    const int redirections = RedirectionCount(s);
    const bool redA = p.LineA < redirections;
    if (oneSided(redA, p.LineB < redirections) &&
        store.Redirections[static_cast<std::size_t>(p.LineA)].Target !=
            store.Redirections[static_cast<std::size_t>(p.LineB)].Target)
        return Stranded("Переадресацию", kept(redA), lost(redA));
    if (p.Kind == ECrossKind::SystemPhone) {
        const int phones = PhoneCount(s);
        const bool staA = p.StaA < phones;
        if (oneSided(staA, p.StaB < phones) &&
            !(store.StaButtons[static_cast<std::size_t>(p.StaA)] ==
              store.StaButtons[static_cast<std::size_t>(p.StaB)]))
            return Stranded("Кнопки СТА", kept(staA), lost(staA));
    }
    // A conference member byte names lines 1..150 only.
    constexpr int kHighestConferenceLine = 150;
    const bool aFits = p.LineA + 1 <= kHighestConferenceLine;
    const bool bFits = p.LineB + 1 <= kHighestConferenceLine;
    if (aFits != bFits)
        for (int c = 0; c < ConferenceCount(s); ++c) {
            const TConfRecord& conf = store.Conferences[static_cast<std::size_t>(c)];
            const int members = std::clamp<int>(conf.MemberCount, 0, kMaxConferenceMembers);
            for (int m = 0; m < members; ++m) {
                const int port = conf.Members[static_cast<std::size_t>(m)];
                if (port == (aFits ? p.A : p.B))
                    return "Порт " + std::to_string(aFits ? p.B : p.A) +
                           " не может быть участником быстрой конференции, а порт " +
                           std::to_string(port) + " в ней участвует. Обмен не выполнен.";
            }
        }
    return "";
}

// The pair, or the reason it cannot be exchanged.
std::variant<TPair, std::string> MakePair(const TMainClass& s, const TDataStream& store, int portA,
                                          int portB) {
    if (portA == portB) return std::string("Выберите два разных порта.");
    const TPortPtr a = FindPort(store, portA);
    const TPortPtr b = FindPort(store, portB);
    if (!a) return "Порт " + std::to_string(portA) + " не является линией станции.";
    if (!b) return "Порт " + std::to_string(portB) + " не является линией станции.";
    const std::optional<ECrossKind> ka = KindIn(store, *a);
    const std::optional<ECrossKind> kb = KindIn(store, *b);
    if (!ka || !kb) return std::string("Обменять можно только АЛ, СТА или СЛ.");
    if (*ka != *kb)
        return "Порт " + std::to_string(portA) + " (" + CrossKindName(*ka) + ") и порт " +
               std::to_string(portB) + " (" + CrossKindName(*kb) +
               ") разного типа. Обменять можно только два порта одного типа: две АЛ, две СТА "
               "или две СЛ.";
    const std::string& model = ModelOf(s);
    TPair p;
    p.Kind = *ka;
    p.A = portA;
    p.B = portB;
    p.LineA = a->Line - 1;
    p.LineB = b->Line - 1;
    const auto inStore = [](int i, std::size_t capacity) {
        return i >= 0 && static_cast<std::size_t>(i) < capacity;
    };
    if (p.Kind == ECrossKind::Trunk) {
        p.TrunkA = TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(portA));
        p.TrunkB = TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(portB));
        if (!inStore(p.TrunkA, kMaxTrunkLines) || !inStore(p.TrunkB, kMaxTrunkLines))
            return std::string("Номер СЛ одного из портов вне таблицы СЛ.");
    } else if (!inStore(p.LineA, kMaxSubscriberLines) || !inStore(p.LineB, kMaxSubscriberLines)) {
        return std::string("Номер линии одного из портов вне таблицы АЛ.");
    }
    if (p.Kind == ECrossKind::SystemPhone) {
        p.StaA = TBroadcaster::GetLogSTA(model, portA, s.Dialogs);
        p.StaB = TBroadcaster::GetLogSTA(model, portB, s.Dialogs);
        if (!inStore(p.StaA, kMaxStaPhones) || !inStore(p.StaB, kMaxStaPhones))
            return std::string("Номер СТА одного из портов вне таблицы кнопок СТА.");
    }
    if (std::string why = CheckCarried(s, store, p, *a, *b); !why.empty()) return why;
    return p;
}

// The names of the two ports exchanged, as the names list would hold them.
struct TNames {
    std::string A, B;
};

TNames NamesOf(const TDataStream& store, const TPair& p) {
    if (!store.Names) return {};
    return {store.Names->GetPortName(p.LineA), store.Names->GetPortName(p.LineB)};
}

std::vector<TCrossChange> Diff(const std::vector<TTableView>& before,
                               const std::vector<TTableView>& after) {
    std::vector<TCrossChange> changes;
    for (std::size_t t = 0; t < before.size() && t < after.size(); ++t)
        for (std::size_t r = 0; r < before[t].Records.size() && r < after[t].Records.size(); ++r) {
            const TRecordView& old = before[t].Records[r];
            const TRecordView& now = after[t].Records[r];
            for (std::size_t f = 0; f < old.Fields.size() && f < now.Fields.size(); ++f)
                if (old.Fields[f].second != now.Fields[f].second)
                    changes.push_back({before[t].Table, before[t].Where, old.Record,
                                       old.Fields[f].first, old.Fields[f].second,
                                       now.Fields[f].second});
        }
    return changes;
}

struct TPrepared {
    TCrossPlan Plan;
    std::optional<TPair> Pair;
    std::unique_ptr<TDataStream> Next;  // the store after the exchange
};

TPrepared Prepare(const TMainClass& s, const TDataStream& store, int portA, int portB) {
    TPrepared out;
    out.Plan.PortA = portA;
    out.Plan.PortB = portB;
    auto pair = MakePair(s, store, portA, portB);
    if (auto* why = std::get_if<std::string>(&pair)) {
        out.Plan.Refusal = *why;
        return out;
    }
    const TPair p = std::get<TPair>(pair);
    out.Pair = p;
    out.Next = CloneStore(store);
    Exchange(*out.Next, p);
    out.Plan.Changes = Diff(Describe(s, store), Describe(s, *out.Next));
    for (const TCrossChange& c : out.Plan.Changes)
        if (c.Table && std::find(out.Plan.Tables.begin(), out.Plan.Tables.end(), *c.Table) ==
                           out.Plan.Tables.end())
            out.Plan.Tables.push_back(*c.Table);
    std::sort(out.Plan.Tables.begin(), out.Plan.Tables.end(),
              [](ETable x, ETable y) { return SelectionIndex(x) < SelectionIndex(y); });
    const TNames names = NamesOf(store, p);
    if (names.A != names.B) {
        const std::string a = names.A.empty() ? kNone : Utf8(names.A);
        const std::string b = names.B.empty() ? kNone : Utf8(names.B);
        out.Plan.Changes.push_back({std::nullopt, kNamesWhere, PortRecord(p.A), "Имя", a, b});
        out.Plan.Changes.push_back({std::nullopt, kNamesWhere, PortRecord(p.B), "Имя", b, a});
    }
    return out;
}

}  // namespace

std::optional<ECrossKind> CrossKindOf(const TPort& port) {
    switch (port.Type) {
        case kPortTypeSubscriber:
        case kPortTypeAttachedDoorPhone:
        case kPortTypeAttachedLoudspeaker:
            return ECrossKind::Line;
        case kPortTypeSta:
            return ECrossKind::SystemPhone;
        case kPortTypeTrunk:
            return ECrossKind::Trunk;
        default:
            return std::nullopt;
    }
}

const char* CrossKindName(ECrossKind kind) {
    switch (kind) {
        case ECrossKind::Line:
            return "АЛ";
        case ECrossKind::SystemPhone:
            return "СТА";
        case ECrossKind::Trunk:
            return "СЛ";
    }
    return "";
}

std::vector<TCrossPortChoice> CrossPortChoices(const TDataStream& store, ECrossKind kind) {
    std::vector<TCrossPortChoice> out;
    for (const TPortPtr& port : store.Ports) {
        if (!IsLinePort(*port) || KindIn(store, *port) != kind) continue;
        std::string caption = std::to_string(port->Number);
        if (!port->AlData->AL_PrgNum.empty()) caption += " (" + Utf8(port->AlData->AL_PrgNum) + ")";
        const std::string name = store.Names ? store.Names->GetPortName(port->Line - 1) : "";
        if (!name.empty()) caption += " " + Utf8(name);
        out.push_back({port->Number, caption});
    }
    return out;
}

std::string TCrossChange::Text() const {
    return Where + "; " + Record + "; " + Field + ": " + Old + kArrow + New;
}

std::vector<std::string> TCrossPlan::Lines() const {
    if (!Ok()) return {Refusal};
    if (Changes.empty())
        return {"Порты " + std::to_string(PortA) + " и " + std::to_string(PortB) +
                " настроены одинаково: менять нечего."};
    std::vector<std::string> lines;
    lines.reserve(Changes.size());
    for (const TCrossChange& c : Changes) lines.push_back(c.Text());
    return lines;
}

TCrossPlan PlanCrossConnect(const TMainClass& session, const TDataStream& store, int portA,
                            int portB) {
    return Prepare(session, store, portA, portB).Plan;
}

std::string CrossConnectQuestion(const TCrossPlan& plan) {
    return "Обменять порты " + std::to_string(plan.PortA) + " и " + std::to_string(plan.PortB) +
           "? Будет изменено значений: " + std::to_string(plan.Changes.size()) + ".";
}

TCrossPlan ApplyCrossConnect(TMainClass& session, TDataStream& store, int portA, int portB) {
    TPrepared prepared = Prepare(session, store, portA, portB);
    TCrossPlan& plan = prepared.Plan;
    if (!plan.Ok()) return plan;
    const TPair& p = *prepared.Pair;

    const TAreaSnapshot before(session);
    for (ETable t : plan.Tables) {
        const TTableCodec* codec = FindCodec(t);
        if (codec != nullptr && codec->Encode(session, *prepared.Next) >= 0) continue;
        before.Restore(session);
        plan.Refusal =
            "Таблица \"" + Caption(t) + "\" не принимает данные после обмена. Обмен не выполнен.";
        return plan;
    }

    const TNames names = NamesOf(store, p);
    if (names.A != names.B) {
        const bool stored = store.Names->SetPortName(p.LineA, names.B) == 0 &&
                            store.Names->SetPortName(p.LineB, names.A) == 0;
        if (!stored) {
            store.Names->SetPortName(p.LineA, names.A);
            store.Names->SetPortName(p.LineB, names.B);
            before.Restore(session);
            plan.Refusal = "Имена портов не удалось записать в файл имен. Обмен не выполнен.";
            return plan;
        }
    }

    for (ETable t : plan.Tables) before.KeepFlagIfUnchanged(session, t);
    Exchange(store, p);
    return plan;
}

}  // namespace zarnik
