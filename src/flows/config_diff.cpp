#include "flows/config_diff.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>

#include "codecs/quick_conference_codec.h"
#include "codecs/system_settings_codec.h"
#include "codecs/table_codec.h"
#include "codecs/time_settings_codec.h"
#include "editors/main_window_rules.h"
#include "editors/phone_book_editor.h"
#include "editors/settings_editing.h"
#include "files/config_flows.h"
#include "files/file_list.h"
#include "flows/read_write_all.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"
#include "report/config_report.h"

namespace zarnik {

namespace {

// The one line setting the report leaves without a number, and the few fields no window or
// report sheet captions on its own.
constexpr const char* kAdapterCaption = "Аппаратная поддержка адаптера МБ и ТЧ";
constexpr const char* kForbiddenTrunksCaption = "Запрещенные СЛ";
constexpr const char* kForbiddenTrunksOwnCaption = "Запрещенные СЛ: свои установки";
constexpr const char* kLineGroupCaption = "Группа";
constexpr const char* kRecordField = "Запись";
constexpr const char* kRedirectionField = "Переадресация";
constexpr const char* kBoardField = "Тип платы";
constexpr const char* kPortField = "Тип порта";

std::string Utf8(const std::string& cp1251) {
    return Cp1251ToUtf8(cp1251);
}

std::string YesNo(bool on) {
    return on ? "да" : "нет";
}

// A line's setting: its own value, or the group's when the line follows its group.
std::string LineSetting(bool on, bool own) {
    return own ? YesNo(on) : "как в группе (" + YesNo(on) + ")";
}

std::string NumberOrEmpty(std::int64_t value) {
    return value < 0 ? "" : std::to_string(value);
}

std::string PositiveOrEmpty(std::int64_t value) {
    return value > 0 ? std::to_string(value) : "";
}

// "2 - Разрешение DTMF набора" -> "Разрешение DTMF набора".
std::string LegendCaption(std::string_view item) {
    const std::size_t dash = item.find(" - ");
    const bool numbered = dash != std::string_view::npos && dash > 0 &&
                          std::all_of(item.begin(), item.begin() + static_cast<long>(dash),
                                      [](char c) { return c >= '0' && c <= '9'; });
    return std::string(numbered ? item.substr(dash + 3) : item);
}

// "Время перехода на дневной режим :" -> "Время перехода на дневной режим".
std::string LabelCaption(std::string_view label) {
    while (!label.empty() && (label.back() == ' ' || label.back() == ':')) label.remove_suffix(1);
    return std::string(label);
}

std::string TimeOfDay(const TSwitchTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{t.Hours}, unsigned{t.Minutes},
                  unsigned{t.Seconds});
    return text;
}

std::string TwoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& p : parts) text += (text.empty() ? "" : ", ") + p;
    return text;
}

std::size_t Clamped(long long count, std::size_t capacity) {
    return count <= 0 ? 0 : std::min(static_cast<std::size_t>(count), capacity);
}

// Bytes of the two areas that differ: slot by slot, a byte one side lacks counts as differing.
int DifferingBytes(const TRawArea& a, const TRawArea& b) {
    int count = 0;
    const std::size_t slots = std::max(a.Slots.size(), b.Slots.size());
    for (std::size_t s = 0; s < slots; ++s) {
        const auto x = s < a.Slots.size() ? a.Slots[s].Valid() : std::span<const std::uint8_t>{};
        const auto y = s < b.Slots.size() ? b.Slots[s].Valid() : std::span<const std::uint8_t>{};
        const std::size_t common = std::min(x.size(), y.size());
        for (std::size_t i = 0; i < common; ++i) count += x[i] != y[i] ? 1 : 0;
        count += static_cast<int>(std::max(x.size(), y.size()) - common);
    }
    return count;
}

std::string Named(const std::string& record, const std::string& name) {
    return name.empty() ? record : record + " " + name;
}

class TComparer {
  public:
    TComparer(const TDiffSide& left, const TDiffSide& right, TConfigDiff& out)
        : L(left), R(right), Out(out), Model(left.Session.Identity.ModelName) {}

    void Identity();
    void Composition();
    void Ports();
    void Table(ETable t);

  private:
    const TDiffSide& L;
    const TDiffSide& R;
    TConfigDiff& Out;
    const std::string& Model;

    EDiffPart Part = EDiffPart::Identity;
    ETable CurrentTable = ETable::TimeSettings;
    std::string Section;

    void Begin(EDiffPart part, const std::string& section, ETable t = ETable::TimeSettings) {
        Part = part;
        Section = section;
        CurrentTable = t;
    }
    void Add(const std::string& record, const std::string& field, const std::string& left,
             const std::string& right, int bytes = 0) {
        if (left == right && bytes == 0) return;
        Out.Items.push_back({Part, CurrentTable, Section, record, field, left, right, bytes});
    }
    // A record in use on one side only: one difference, and its fields are not compared.
    bool OnBothSides(const std::string& record, std::size_t index, std::size_t leftCount,
                     std::size_t rightCount) {
        const bool l = index < leftCount;
        const bool r = index < rightCount;
        if (l == r) return l;
        Add(record, kRecordField, l ? kDiffTablePresent : kDiffTableAbsent,
            r ? kDiffTablePresent : kDiffTableAbsent);
        return false;
    }

    // Names, by the left side's model; the names list is the same for both sides.
    std::string NameOf(std::string (TNamesList::*getter)(int) const, int index) const {
        return L.Store.Names ? Utf8(((*L.Store.Names).*getter)(index)) : "";
    }
    std::string PortRecord(int port) const { return DiffPortRecord(L.Store, Model, port); }
    template <std::size_t N>
    std::string TrunkPorts(const std::array<bool, N>& mask, std::size_t trunks) const {
        std::vector<std::string> ports;
        for (std::size_t k = 0; k < std::min(N, trunks); ++k)
            if (mask[k])
                ports.push_back(std::to_string(
                    TBroadcaster::GetPortNumFromSLIndex(Model, static_cast<int>(k))));
        return Joined(ports);
    }
    std::size_t Trunks() const {
        return Clamped(
            std::max(L.Session.Identity.TrunkLineCount, R.Session.Identity.TrunkLineCount),
            kAlTrunkLineSlots);
    }

    void SubscriberLines();
    void TrunkLines();
    void Groups();
    void RoutingTables();
    void SystemSettings();
    void DoorPhones();
    void Loudspeakers();
    void Redirections();
    void GlobalPhoneBook();
    void GroupPhoneBooks();
    void ProgramNumbers();
    void Conferences();
    void StaButtons();
    void TimeSettings();
    void BlackWhiteLists();
};

void TComparer::Identity() {
    Begin(EDiffPart::Identity, "АТС");
    const TIdentity& a = L.Session.Identity;
    const TIdentity& b = R.Session.Identity;
    Add("", "Модель", Utf8(a.ModelName), Utf8(b.ModelName));
    Add("", "Версия рабочей программы", Utf8(a.Version), Utf8(b.Version));
    Add("", "Заводской номер", Utf8(a.SerialNumber), Utf8(b.SerialNumber));
    // No station name: a file never keeps one.
    Add("", "Число блоков", std::to_string(a.UnitCount), std::to_string(b.UnitCount));
    Add("", "Число АЛ", std::to_string(a.SubscriberLineCount),
        std::to_string(b.SubscriberLineCount));
    Add("", "Число СЛ", std::to_string(a.TrunkLineCount), std::to_string(b.TrunkLineCount));
    Add("", "Число СТА", std::to_string(a.StaCount), std::to_string(b.StaCount));
    Add("", "Число домофонов", std::to_string(a.DoorPhoneCount), std::to_string(b.DoorPhoneCount));
    Add("", "Число каналов ГГС", std::to_string(a.LoudspeakerCount),
        std::to_string(b.LoudspeakerCount));
    Add("", "Число таблиц наведения", std::to_string(a.RoutingTableCount),
        std::to_string(b.RoutingTableCount));
    Add("", "Число конференций", std::to_string(L.Session.ConferenceParams[0]),
        std::to_string(R.Session.ConferenceParams[0]));
    Add("", "Мест в конференции", std::to_string(L.Session.ConferenceParams[1]),
        std::to_string(R.Session.ConferenceParams[1]));
}

void TComparer::Composition() {
    Begin(EDiffPart::Composition, "Состав АТС");
    const std::size_t a = Clamped(L.Store.CompositionCount, kMaxCompositionSlots);
    const std::size_t b = Clamped(R.Store.CompositionCount, kMaxCompositionSlots);
    // Only the board types: a file keeps no serial numbers or versions of the boards.
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        Add("Плата № " + std::to_string(i + 1), kBoardField,
            i < a ? Utf8(L.Store.Composition[i].BoardType) : kDiffTableAbsent,
            i < b ? Utf8(R.Store.Composition[i].BoardType) : kDiffTableAbsent);
    }
}

// The kind of port the composition gives. A door phone or a loudspeaker channel attached to a
// subscriber line comes from those tables, not from the boards, and is compared there.
std::string PortKind(const TPort& port) {
    switch (port.Type) {
        case kPortTypeSubscriber:
        case kPortTypeAttachedDoorPhone:
        case kPortTypeAttachedLoudspeaker:
            return "АЛ";
        case kPortTypeTrunk:
            return "СЛ";
        case kPortTypeSta:
            return "СТА";
        case kPortTypeDoorPhone:
            return "домофон";
        case kPortTypeEmpty:
            return "пусто";
        default:
            return std::to_string(port.Type);
    }
}

void TComparer::Ports() {
    Begin(EDiffPart::Ports, "Порты");
    std::map<int, std::pair<std::string, std::string>> kinds;
    for (const TPortPtr& p : L.Store.Ports)
        if (p) kinds[p->Number].first = PortKind(*p);
    for (const TPortPtr& p : R.Store.Ports)
        if (p) kinds[p->Number].second = PortKind(*p);
    for (const auto& [number, kind] : kinds)
        Add("Порт " + std::to_string(number), kPortField,
            kind.first.empty() ? kDiffTableAbsent : kind.first,
            kind.second.empty() ? kDiffTableAbsent : kind.second);
}

void TComparer::SubscriberLines() {
    const std::size_t a = Clamped(L.Session.Identity.SubscriberLineCount, kMaxSubscriberLines);
    const std::size_t b = Clamped(R.Session.Identity.SubscriberLineCount, kMaxSubscriberLines);
    const auto legend = ReportLineLegend();
    const auto reported = ReportedLineSettings();
    const std::size_t trunks = Trunks();
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        const std::string record =
            PortRecord(TBroadcaster::GetPortNumFromIndex(Model, static_cast<int>(i)));
        if (!OnBothSides(record, i, a, b)) continue;
        const TAL& x = L.Store.Lines[i];
        const TAL& y = R.Store.Lines[i];
        const auto setting = [&](int index, const std::string& caption) {
            const auto k = static_cast<std::size_t>(index);
            Add(record, caption, LineSetting(x.Setting(index), x.AL_Own[k]),
                LineSetting(y.Setting(index), y.AL_Own[k]));
        };
        for (std::size_t n = 0; n < reported.size(); ++n)
            setting(reported[n], LegendCaption(legend[n]));
        setting(al_setting::mBAdapter_ON, kAdapterCaption);
        Add(record, LegendCaption(legend[25]), std::to_string(x.ALPriority),
            std::to_string(y.ALPriority));
        Add(record, LegendCaption(legend[26]), std::to_string(x.ALGGS), std::to_string(y.ALGGS));
        Add(record, LegendCaption(legend[27]), Utf8(x.ALDirectCall), Utf8(y.ALDirectCall));
        const auto group = [](std::int32_t g) {
            return g >= 0 ? std::to_string(g + kFirstGroupNumber) : std::string();
        };
        Add(record, kLineGroupCaption, group(x.ALGroup), group(y.ALGroup));
        Add(record, kForbiddenTrunksCaption, TrunkPorts(x.ALSL_OFF, trunks),
            TrunkPorts(y.ALSL_OFF, trunks));
        Add(record, kForbiddenTrunksOwnCaption, TrunkPorts(x.ALSL_OFF_Own, trunks),
            TrunkPorts(y.ALSL_OFF_Own, trunks));
    }
}

void TComparer::TrunkLines() {
    const std::size_t a = Clamped(L.Session.Identity.TrunkLineCount, kMaxTrunkLines);
    const std::size_t b = Clamped(R.Session.Identity.TrunkLineCount, kMaxTrunkLines);
    const auto legend = ReportTrunkLegend();
    const auto switches = ReportedTrunkSwitches();
    for (std::size_t j = 0; j < std::max(a, b); ++j) {
        const std::string record =
            PortRecord(TBroadcaster::GetPortNumFromSLIndex(Model, static_cast<int>(j)));
        if (!OnBothSides(record, j, a, b)) continue;
        const TSL& x = L.Store.TrunkLines[j];
        const TSL& y = R.Store.TrunkLines[j];
        for (std::size_t n = 0; n < switches.size(); ++n)
            Add(record, LegendCaption(legend[n]), YesNo(x.*switches[n]), YesNo(y.*switches[n]));
        const std::size_t v = switches.size();
        Add(record, LegendCaption(legend[v]), NumberOrEmpty(x.SL_DayNaveden),
            NumberOrEmpty(y.SL_DayNaveden));
        Add(record, LegendCaption(legend[v + 1]), NumberOrEmpty(x.SL_NightNaveden),
            NumberOrEmpty(y.SL_NightNaveden));
        Add(record, LegendCaption(legend[v + 2]), std::to_string(x.SL_Type),
            std::to_string(y.SL_Type));
        Add(record, LegendCaption(legend[v + 3]), std::to_string(x.SL_MGDigit),
            std::to_string(y.SL_MGDigit));
        Add(record, LegendCaption(legend[v + 4]), Utf8(x.SL_AutoDial), Utf8(y.SL_AutoDial));
        Add(record, LegendCaption(legend[v + 5]), NumberOrEmpty(x.SL_Block),
            NumberOrEmpty(y.SL_Block));
    }
}

void TComparer::Groups() {
    const auto legend = ReportLineLegend();
    const auto tail = ReportGroupLegendTail();
    const auto reported = ReportedLineSettings();
    const std::size_t trunks = Trunks();
    const auto list = [](const auto& values, std::size_t count) {
        std::vector<std::string> parts;
        for (std::size_t i = 0; i < std::min(count, values.size()); ++i)
            if (values[i] > 0) parts.push_back(std::to_string(values[i]));
        return Joined(parts);
    };
    const auto tables = [](const TGroup& g) {
        const auto one = [](std::uint8_t t) {
            return t == 0 ? std::string("--") : std::to_string(t);
        };
        return one(g.GR_DayNaveden) + ", " + one(g.GR_NightNaveden);
    };
    for (int g = 0; g < kGroupCount; ++g) {
        const std::string record = Named("Группа " + std::to_string(g + kFirstGroupNumber),
                                         NameOf(&TNamesList::GetGroupName, g));
        const TGroup& x = L.Store.Groups[static_cast<std::size_t>(g)];
        const TGroup& y = R.Store.Groups[static_cast<std::size_t>(g)];
        for (std::size_t n = 0; n < reported.size(); ++n)
            Add(record, LegendCaption(legend[n]), YesNo(x.Setting(reported[n])),
                YesNo(y.Setting(reported[n])));
        Add(record, kAdapterCaption, YesNo(x.GR_mBAdapter_ON), YesNo(y.GR_mBAdapter_ON));
        Add(record, LegendCaption(legend[25]), std::to_string(x.GR_Priority),
            std::to_string(y.GR_Priority));
        Add(record, LegendCaption(legend[26]), std::to_string(x.GR_GGS), std::to_string(y.GR_GGS));
        Add(record, LegendCaption(legend[27]), Utf8(x.GR_DirectCall), Utf8(y.GR_DirectCall));
        Add(record, LegendCaption(tail[0]),
            list(x.GR_AdditionalIntercept, x.GR_AdditionalInterceptCount),
            list(y.GR_AdditionalIntercept, y.GR_AdditionalInterceptCount));
        Add(record, LegendCaption(tail[1]), list(x.GR_GroupCall, x.GR_GroupCall.size()),
            list(y.GR_GroupCall, y.GR_GroupCall.size()));
        Add(record, LegendCaption(tail[2]), tables(x), tables(y));
        Add(record, LegendCaption(tail[3]), TrunkPorts(x.GR_SLOFF, trunks),
            TrunkPorts(y.GR_SLOFF, trunks));
    }
}

void TComparer::RoutingTables() {
    const std::size_t a = Clamped(L.Session.Identity.RoutingTableCount, kMaxRoutingTables);
    const std::size_t b = Clamped(R.Session.Identity.RoutingTableCount, kMaxRoutingTables);
    for (std::size_t t = 0; t < std::max(a, b); ++t) {
        const std::string record = Named("Таблица наведения " + TwoDigits(static_cast<int>(t) + 1),
                                         NameOf(&TNamesList::GetNavedenName, static_cast<int>(t)));
        if (!OnBothSides(record, t, a, b)) continue;
        for (std::size_t r = 0; r < kRoutingRows; ++r)
            for (std::size_t c = 0; c < kRoutingRowEntries; ++c)
                Add(record, "Строка " + std::to_string(r + 1) + ", место " + std::to_string(c + 1),
                    PositiveOrEmpty(L.Store.RoutingTables[t].Rows[r][c]),
                    PositiveOrEmpty(R.Store.RoutingTables[t].Rows[r][c]));
    }
}

void TComparer::SystemSettings() {
    const TSystemSettings& x = L.Store.SystemSettings;
    const TSystemSettings& y = R.Store.SystemSettings;
    for (const TSystemSwitch& s : kSystemSwitches)
        Add("", s.Caption, YesNo(x.*s.Field), YesNo(y.*s.Field));
    Add("", LabelCaption(kDayTimeCaption), TimeOfDay(x.SYS_DayTime), TimeOfDay(y.SYS_DayTime));
    Add("", LabelCaption(kNightTimeCaption), TimeOfDay(x.SYS_NightTime),
        TimeOfDay(y.SYS_NightTime));
}

void TComparer::DoorPhones() {
    const std::size_t a = Clamped(L.Store.DoorPhoneCount, kMaxDoorPhones);
    const std::size_t b = Clamped(R.Store.DoorPhoneCount, kMaxDoorPhones);
    const auto captions = ReportDoorPhoneCaptions();
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        const std::string record = Named("Домофон № " + std::to_string(i + 1),
                                         NameOf(&TNamesList::GetDfName, static_cast<int>(i)));
        if (!OnBothSides(record, i, a, b)) continue;
        const TDf& x = L.Store.DoorPhones[i];
        const TDf& y = R.Store.DoorPhones[i];
        Add(record, captions[0], YesNo(x.AllALOpening), YesNo(y.AllALOpening));
        Add(record, captions[1], YesNo(x.ResetInCall), YesNo(y.ResetInCall));
        Add(record, captions[2], YesNo(x.DTMFOpening), YesNo(y.DTMFOpening));
        Add(record, captions[3], Utf8(x.LinkPort), Utf8(y.LinkPort));
        Add(record, captions[4], Utf8(x.OpenCode), Utf8(y.OpenCode));
        Add(record, captions[5], Utf8(x.DayTable), Utf8(y.DayTable));
        Add(record, captions[6], Utf8(x.NightTable), Utf8(y.NightTable));
    }
}

void TComparer::Loudspeakers() {
    const std::size_t a = Clamped(L.Store.LoudspeakerCount, kMaxLoudspeakers);
    const std::size_t b = Clamped(R.Store.LoudspeakerCount, kMaxLoudspeakers);
    const auto captions = ReportLoudspeakerCaptions();
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        const std::string record = Named("ГГС № " + std::to_string(i + 1),
                                         NameOf(&TNamesList::GetGgsName, static_cast<int>(i)));
        if (!OnBothSides(record, i, a, b)) continue;
        const TGGS& x = L.Store.Loudspeakers[i];
        const TGGS& y = R.Store.Loudspeakers[i];
        Add(record, captions[0], YesNo(x.AutoOff), YesNo(y.AutoOff));
        Add(record, captions[1], Utf8(x.LinkPort), Utf8(y.LinkPort));
    }
}

void TComparer::Redirections() {
    const std::size_t a = Clamped(L.Store.RedirectionCount, kMaxRedirections);
    const std::size_t b = Clamped(R.Store.RedirectionCount, kMaxRedirections);
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        const int port = TBroadcaster::GetPortNumFromIndex(Model, static_cast<int>(i));
        const std::string record = PortRecord(port);
        if (!OnBothSides(record, i, a, b)) continue;
        // A target of 0, or the line itself, is no redirection.
        const auto target = [port](const TRedirectRecord& r) {
            return r.Target > 0 && r.Target != port ? std::to_string(r.Target) : std::string();
        };
        Add(record, kRedirectionField, target(L.Store.Redirections[i]),
            target(R.Store.Redirections[i]));
    }
}

void TComparer::GlobalPhoneBook() {
    const TGlobalExtNum* x = L.Store.GlobalExtNum.get();
    const TGlobalExtNum* y = R.Store.GlobalExtNum.get();
    const std::size_t a = x == nullptr ? 0 : Clamped(x->Count, kPhoneBookTexts);
    const std::size_t b = y == nullptr ? 0 : Clamped(y->Count, kPhoneBookTexts);
    for (std::size_t k = 0; k < std::max(a, b); ++k) {
        const std::string record = DiffBookCellRecord(L.Store, k);
        Add(record, kDiffBookNumberField, k < a ? Utf8(x->Entries[k]) : "",
            k < b ? Utf8(y->Entries[k]) : "");
    }
}

void TComparer::GroupPhoneBooks() {
    for (std::size_t book = 0; book < kGroupPhoneBooks; ++book) {
        const TGroupExternNum& x = L.Store.GroupExtNums[book];
        const TGroupExternNum& y = R.Store.GroupExtNums[book];
        const std::size_t a = Clamped(x.Count, kPhoneBookTexts);
        const std::size_t b = Clamped(y.Count, kPhoneBookTexts);
        for (std::size_t k = 0; k < std::max(a, b); ++k) {
            const std::string record = DiffGroupBookCellRecord(L.Store, book, k);
            Add(record, kDiffBookNumberField, k < a ? Utf8(x.Entries[k]) : "",
                k < b ? Utf8(y.Entries[k]) : "");
        }
    }
}

void TComparer::ProgramNumbers() {
    // Program numbers live on the line ports, as the table carries them: one entry per port
    // that has a line, whatever its kind.
    std::map<int, std::pair<std::optional<std::string>, std::optional<std::string>>> numbers;
    const auto collect = [&numbers](const TDataStream& store, bool left) {
        for (const TPortPtr& p : store.Ports) {
            if (!p || !p->AlData || !IsLinePort(*p)) continue;
            auto& slot = numbers[p->Number];
            (left ? slot.first : slot.second) = Utf8(p->AlData->AL_PrgNum);
        }
    };
    collect(L.Store, true);
    collect(R.Store, false);
    for (const auto& [port, pair] : numbers) {
        const std::string record = PortRecord(port);
        if (!pair.first || !pair.second) {
            Add(record, kRecordField, pair.first ? kDiffTablePresent : kDiffTableAbsent,
                pair.second ? kDiffTablePresent : kDiffTableAbsent);
            continue;
        }
        Add(record, kDiffProgramNumberField, *pair.first, *pair.second);
    }
}

void TComparer::Conferences() {
    const std::size_t a = Clamped(ConferenceCount(L.Session), kMaxConferences);
    const std::size_t b = Clamped(ConferenceCount(R.Session), kMaxConferences);
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        // Conferences are numbered from 0, as the conference window lists them.
        const std::string record = Named("Конференция " + std::to_string(i),
                                         NameOf(&TNamesList::GetConfName, static_cast<int>(i)));
        if (!OnBothSides(record, i, a, b)) continue;
        const TConfRecord& x = L.Store.Conferences[i];
        const TConfRecord& y = R.Store.Conferences[i];
        const std::size_t nx = Clamped(x.MemberCount, kMaxConferenceMembers);
        const std::size_t ny = Clamped(y.MemberCount, kMaxConferenceMembers);
        for (std::size_t m = 0; m < std::max(nx, ny); ++m)
            Add(record, "Участник " + std::to_string(m + 1),
                m < nx ? PositiveOrEmpty(x.Members[m]) : "",
                m < ny ? PositiveOrEmpty(y.Members[m]) : "");
    }
}

void TComparer::StaButtons() {
    const std::size_t a = Clamped(L.Session.Identity.StaCount, kMaxStaPhones);
    const std::size_t b = Clamped(R.Session.Identity.StaCount, kMaxStaPhones);
    for (std::size_t i = 0; i < std::max(a, b); ++i) {
        const std::string record =
            "СТА " + PortRecord(TBroadcaster::GetSTANumFromLogNum(Model, static_cast<int>(i) + 1));
        if (!OnBothSides(record, i, a, b)) continue;
        const TSTAButtonTable& x = L.Store.StaButtons[i];
        const TSTAButtonTable& y = R.Store.StaButtons[i];
        Add(record, "Число кнопок", std::to_string(x.ButtonCount), std::to_string(y.ButtonCount));
        Add(record, "Связанная СТА", NumberOrEmpty(x.LinkedSta), NumberOrEmpty(y.LinkedSta));
        const std::size_t nx = Clamped(x.ButtonCount, kStaButtonTexts);
        const std::size_t ny = Clamped(y.ButtonCount, kStaButtonTexts);
        for (std::size_t k = 0; k < std::max(nx, ny); ++k)
            Add(record, "Кнопка " + std::to_string(k + 1), k < nx ? Utf8(x.Buttons[k]) : "",
                k < ny ? Utf8(y.Buttons[k]) : "");
    }
}

void TComparer::TimeSettings() {
    // T10..T33 always; T34 and T35 where either station has them.
    const auto has = [this](std::size_t timer) {
        if (timer < kConferenceTimer) return true;
        for (const TDiffSide* side : {&L, &R}) {
            const TTableVerRWFlagsPtr flags = side->Session.BuildVerFlags();
            if (!flags) continue;
            if (timer == kConferenceTimer && flags->QuickConferences()) return true;
            if (timer == kPassivePauseTimer && flags->ExtendedTimeTable()) return true;
        }
        return false;
    };
    for (std::size_t k = 0; k < kTimerCount; ++k) {
        if (!has(k)) continue;
        Add(kTimers[k].Name, kTimers[k].Description,
            FormatSeconds(L.Store.TimeSettings.Values[k]) + " с",
            FormatSeconds(R.Store.TimeSettings.Values[k]) + " с");
    }
}

void TComparer::BlackWhiteLists() {
    const TBlackWhiteList& x = L.Store.BlackWhiteList;
    const TBlackWhiteList& y = R.Store.BlackWhiteList;
    const std::size_t a = Clamped(x.Count, kBwListTexts);
    const std::size_t b = Clamped(y.Count, kBwListTexts);
    for (std::size_t e = 0; e < std::max(a, b); ++e) {
        Add(DiffBwRecord(e), DiffBwField(e), e < a ? Utf8(x.Entries[e]) : "",
            e < b ? Utf8(y.Entries[e]) : "");
    }
}

void TComparer::Table(ETable t) {
    Begin(EDiffPart::Table, DiffTableSection(t), t);
    const auto i = static_cast<std::size_t>(SelectionIndex(t));
    if (L.Held[i] != R.Held[i]) {
        Add("", kDiffTableField, L.Held[i] ? kDiffTablePresent : kDiffTableAbsent,
            R.Held[i] ? kDiffTablePresent : kDiffTableAbsent);
        return;
    }
    if (!L.Held[i]) return;
    const std::size_t before = Out.Items.size();
    switch (t) {
        case ETable::SubscriberLines:
            SubscriberLines();
            break;
        case ETable::TrunkLines:
            TrunkLines();
            break;
        case ETable::Groups:
            Groups();
            break;
        case ETable::RoutingTables:
            RoutingTables();
            break;
        case ETable::SystemSettings:
            SystemSettings();
            break;
        case ETable::DoorPhones:
            DoorPhones();
            break;
        case ETable::Loudspeakers:
            Loudspeakers();
            break;
        case ETable::Redirections:
            Redirections();
            break;
        case ETable::GlobalPhoneBook:
            GlobalPhoneBook();
            break;
        case ETable::GroupPhoneBooks:
            GroupPhoneBooks();
            break;
        case ETable::ProgramNumbers:
            ProgramNumbers();
            break;
        case ETable::QuickConferences:
            Conferences();
            break;
        case ETable::StaButtons:
            StaButtons();
            break;
        case ETable::TimeSettings:
            TimeSettings();
            break;
        case ETable::BlackWhiteLists:
            BlackWhiteLists();
            break;
        case ETable::Flash:
            break;  // no field of it is known: bytes only
    }
    // Bytes that no field explains (the flash settings, a kept reserve, a count behind the
    // last entry) still make a difference.
    if (Out.Items.size() != before) return;
    const int bytes = DifferingBytes(L.Session.Area(t), R.Session.Area(t));
    if (bytes > 0) Add("", kDiffBytesField, "", "", bytes);
}

}  // namespace

std::string DiffTableSection(ETable t) {
    for (const TPanelBox& box : PanelBoxes())
        if (box.Table == t) return box.Caption;
    return std::to_string(SelectionIndex(t));
}

std::string DiffPortRecord(const TDataStream& store, const std::string& model, int port) {
    const int line = TBroadcaster::GetLineNumFromPortNum(model, std::to_string(port));
    const std::string name =
        line > 0 && store.Names ? Utf8(store.Names->GetPortName(line - 1)) : std::string();
    return Named(std::to_string(port), name);
}

std::string DiffBookCellRecord(const TDataStream& store, std::size_t cell) {
    const std::string name =
        store.Names ? Utf8(store.Names->GetGlobalExtNumName(static_cast<int>(cell))) : "";
    return Named("Ячейка " + BookCellCode(cell), name);
}

std::string DiffGroupBookCellRecord(const TDataStream& store, std::size_t book, std::size_t cell) {
    const std::string name =
        store.Names
            ? Utf8(store.Names->GetGroupExtNumName(static_cast<int>(book), static_cast<int>(cell)))
            : "";
    return Named(
        "Группа " + std::to_string(book + kFirstGroupNumber) + ", ячейка " + BookCellCode(cell),
        name);
}

std::string DiffBwRecord(std::size_t entry) {
    const auto sections = ReportBwSections();
    const std::size_t s = entry / kBwSectionEntries;
    return s < sections.size() ? sections[s] : "Запись " + std::to_string(entry + 1);
}

std::string DiffBwField(std::size_t entry) {
    return "Номер " + std::to_string(entry % kBwSectionEntries + 1);
}

TDiffTables TablesInHand(const TMainClass& session) {
    TDiffTables held{};
    if (!session.DataPresent) return held;
    for (ETable t : kAllTables) {
        const auto i = static_cast<std::size_t>(SelectionIndex(t));
        held[i] = ReadAllCovers(session, t) && !session.LoadedBlank[i];
    }
    return held;
}

TConfigDiff CompareConfigurations(const TDiffSide& left, const TDiffSide& right,
                                  const TDiffTables& tables) {
    TConfigDiff diff;
    TComparer compare(left, right, diff);
    compare.Identity();
    compare.Composition();
    const std::string& a = left.Session.Identity.ModelName;
    const std::string& b = right.Session.Identity.ModelName;
    if (a != b) {
        diff.TablesNotCompared = "Модели АТС различаются (" + Utf8(a) + " и " + Utf8(b) +
                                 "): порты и таблицы разных моделей устроены по-разному, поэтому "
                                 "сравниваются только данные АТС и состав.";
        return diff;
    }
    compare.Ports();
    for (const TPanelBox& box : PanelBoxes())
        if (tables[static_cast<std::size_t>(SelectionIndex(box.Table))]) compare.Table(box.Table);
    return diff;
}

std::vector<TDiffSection> GroupBySection(const TConfigDiff& diff) {
    std::vector<TDiffSection> sections;
    for (const TDiffItem& item : diff.Items) {
        if (sections.empty() || sections.back().Section != item.Section)
            sections.push_back({item.Section, {}});
        sections.back().Items.push_back(&item);
    }
    return sections;
}

std::string CountWithWord(std::size_t count, const char* one, const char* few, const char* many) {
    const std::size_t last2 = count % 100;
    const std::size_t last = count % 10;
    const char* word = many;
    if (last2 < 11 || last2 > 14) {
        if (last == 1)
            word = one;
        else if (last >= 2 && last <= 4)
            word = few;
    }
    return std::to_string(count) + " " + word;
}

std::string DifferenceCount(std::size_t count) {
    return CountWithWord(count, "различие", "различия", "различий");
}

std::string DiffText(const TConfigDiff& diff, const std::string& leftName,
                     const std::string& rightName) {
    const auto shown = [](const std::string& v) { return v.empty() ? std::string("—") : v; };
    std::string text = "Сравнение: " + leftName + " | " + rightName + "\n";
    if (diff.Equal()) return text + "Конфигурации совпадают.\n";
    for (const TDiffSection& section : GroupBySection(diff)) {
        text += "\n[" + section.Section + "] " + DifferenceCount(section.Items.size()) + "\n";
        for (const TDiffItem* item : section.Items) {
            text += "  ";
            if (!item->Record.empty()) text += item->Record + ": ";
            text += item->Field;
            if (item->ByteCount > 0)
                text += " (" + std::to_string(item->ByteCount) + " байт)";
            else
                text += ": " + shown(item->Left) + " | " + shown(item->Right);
            text += "\n";
        }
    }
    if (!diff.TablesNotCompared.empty()) text += "\n" + diff.TablesNotCompared + "\n";
    return text;
}

std::optional<TLoadedConfig> LoadConfigForDiff(TUserDialogs& dialogs, const std::string& baseDir,
                                               const std::string& path) {
    TLoadedConfig config;
    config.Session = std::make_unique<TMainClass>(dialogs, TSessionSetup{baseDir, false, ""});
    config.Store = std::make_shared<TDataStream>(baseDir);
    TFileList file;
    TTableTicks ticks{};
    ticks.fill(true);
    if (!LoadConfiguration(*config.Session, *config.Store, file, ticks, path)) return std::nullopt;
    config.Held = TablesInHand(*config.Session);
    return config;
}

}  // namespace zarnik
