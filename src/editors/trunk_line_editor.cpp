#include "editors/trunk_line_editor.h"

#include <algorithm>
#include <charconv>

#include "codecs/trunk_line_codec.h"
#include "editors/door_phone_editor.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

// Column 1 + index in the record.
constexpr std::array<bool TSL::*, kTrunkSwitches> kSwitchFields{
    &TSL::SL_OutgoingCall,
    &TSL::SL_AutoOFFSL,
    &TSL::SL_FAX,
    &TSL::SL_TarINCall,
    &TSL::SL_ToneDial,
    &TSL::SL_ReplacementSignal,
    &TSL::SL_RetreatInCall,
    &TSL::SL_DISA,
    &TSL::SL_NotInterCityTar,
    &TSL::SL_OFFDISAForRetreatSignal,
    &TSL::SL_SignalToSLForDISA,
    &TSL::SL_ActivePauseAfter8,
    &TSL::SL_Dir01,
    &TSL::SL_Dir02,
    &TSL::SL_Dir03,
    &TSL::SL_Dir04,
    &TSL::SL_Dir05,
    &TSL::SL_Dir9,
};

constexpr std::array<const char*, kTrunkColumns> kCaptions{
    "",
    "Запрет исходящей связи по СЛ",
    "Разрешение автоотключения СЛ",
    "Режим \"Факс\"",
    "Разрешение тарификации вх. соединений",
    "Разрешение тонального набора",
    "Разрешение замещения сигнала",
    "Разрешение отбоя вх. вызова",
    "Режим DISA",
    "Запрет тариф. немеждугородних исх. соединений",
    "Запрет откл. DISA при обнаружении сигнала \"Отбой\"",
    "Разрешение подачи сигнала в СЛ при вкл. DISA",
    "Запрет паузы после цифры межгорода при автонаборе",
    "Направление 01",
    "Направление 02",
    "Направление 03",
    "Направление 04",
    "Направление 05",
    "Направление 9",
    "Цифра межгорода",
    "Тип СЛ",
    "Автонабор",
    "Дневная таблица наведения",
    "Ночная таблица наведения",
    "Номер сблокированной СЛ",
};

constexpr int kTrunkTypes = 4;

bool IsSwitchColumn(int column) {
    return column >= kTrunkFirstSwitchColumn && column <= kTrunkLastSwitchColumn;
}

std::string OnOff(bool on) {
    return on ? kTrunkOn : "";
}

std::string NumberOrEmpty(std::int32_t value) {
    return value < 0 ? std::string{} : std::to_string(value);
}

std::optional<std::int32_t> NumberOf(const std::string& text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || at != end || value < 0) return std::nullopt;
    return value;
}

std::optional<std::int32_t> NumberOrNone(const std::string& text) {
    if (text.empty()) return -1;
    return NumberOf(text);
}

std::vector<TTrunkPartner> PartnersOf(const std::vector<int>& ports,
                                      const std::vector<std::string>& cells) {
    std::vector<TTrunkPartner> lines;
    for (std::size_t i = 0; i < ports.size(); ++i)
        lines.push_back({ports[i], NumberOrNone(cells[i]).value_or(-1)});
    return lines;
}

TTrunkPartner* LineOf(std::vector<TTrunkPartner>& lines, int port) {
    const auto it = std::find_if(lines.begin(), lines.end(),
                                 [port](const TTrunkPartner& l) { return l.Port == port; });
    return it == lines.end() ? nullptr : &*it;
}

std::string AutoDialAllowed(const std::string& version) {
    return AutoDialKeyAccepted('#', version)
               ? "В номере автонабора допустимы только цифры и знаки *, #, A, P, T."
               : "В номере автонабора допустимы только цифры.";
}

}  // namespace

int TrunkColumnWidth(int column) {
    if (column == kTrunkPortColumn) return 60;
    if (column >= 13 && column <= kTrunkLastSwitchColumn) return 30;
    if (column == kTrunkAutoDialColumn) return 80;
    if (column == kTrunkDayColumn || column == kTrunkNightColumn) return 35;
    if (column == kTrunkBlockColumn) return 64;
    return 25;
}

std::string TrunkColumnCaption(int column) {
    if (column < 0 || column >= kTrunkColumns) return {};
    return kCaptions[static_cast<std::size_t>(column)];
}

std::string TrunkColumnLegend(int column) {
    if (column <= kTrunkPortColumn || column >= kTrunkColumns) return {};
    return std::to_string(column) + " - " + TrunkColumnCaption(column);
}

bool& TrunkSwitch(TSL& record, int index) {
    return record.*kSwitchFields.at(static_cast<std::size_t>(index));
}

bool TrunkSwitch(const TSL& record, int index) {
    return record.*kSwitchFields.at(static_cast<std::size_t>(index));
}

bool PauseAfter8Carried(const std::string& version) {
    return TBroadcaster::CompareVersions(version, "24,4") >= 1;
}

bool AutoDialKeyAccepted(char typed, const std::string& version) {
    return IsAutoDialSymbol(typed, version);
}

std::optional<std::string> AutoDialProblem(const std::string& number, const std::string& version) {
    for (char c : number)
        if (!AutoDialKeyAccepted(c, version)) return AutoDialAllowed(version);
    if (number.size() > kTrunkAutoDialLength)
        return "Номер автонабора длиннее " + std::to_string(kTrunkAutoDialLength) + " знаков.";
    return std::nullopt;
}

int TrunkRecordIndex(const TMainClass& session, int port) {
    const int index =
        TBroadcaster::GetSLIndexFromPortNum(session.Identity.ModelName, std::to_string(port));
    const auto slots = static_cast<int>(session.Area(ETable::TrunkLines).Slots.size());
    const int count = std::min({static_cast<int>(session.Identity.TrunkLineCount), slots,
                                static_cast<int>(kMaxTrunkLines)});
    return index >= 0 && index < count ? index : -1;
}

std::vector<int> TrunkPorts(const TMainClass& session, const TDataStream& store) {
    std::vector<int> ports;
    for (const TPortPtr& p : store.Ports)
        if (p && p->Type == kPortTypeTrunk && TrunkRecordIndex(session, p->Number) >= 0)
            ports.push_back(p->Number);
    return ports;
}

bool HasTrunkLines(const TMainClass& session, const TDataStream& store) {
    return !TrunkPorts(session, store).empty();
}

std::vector<std::string> MGDigitChoices() {
    std::vector<std::string> choices;
    for (int d = 0; d <= 9; ++d) choices.push_back(std::to_string(d));
    return choices;
}

std::vector<std::string> TrunkTypeChoices() {
    std::vector<std::string> choices;
    for (int t = 1; t <= kTrunkTypes; ++t) choices.push_back(std::to_string(t));
    return choices;
}

std::vector<std::string> TrunkRoutingChoices(const TMainClass& session) {
    return RoutingTableChoices(session, "");
}

std::vector<std::string> BlockChoices(const TMainClass& session, const TDataStream& store) {
    std::vector<std::string> choices{""};
    for (int port : TrunkPorts(session, store)) choices.push_back(std::to_string(port));
    return choices;
}

TTrunkRow TrunkRowOf(const TSL& record, int port, const std::string& version) {
    TTrunkRow row;
    row[kTrunkPortColumn] = std::to_string(port);
    for (int i = 0; i < kTrunkSwitches; ++i)
        row[static_cast<std::size_t>(kTrunkFirstSwitchColumn + i)] = OnOff(TrunkSwitch(record, i));
    if (!PauseAfter8Carried(version)) row[kTrunkPauseColumn] = kTrunkNotCarried;
    row[kTrunkMGDigitColumn] = std::to_string(record.SL_MGDigit);
    row[kTrunkTypeColumn] = std::to_string(record.SL_Type);
    row[kTrunkAutoDialColumn] = Cp1251ToUtf8(record.SL_AutoDial);
    row[kTrunkDayColumn] = NumberOrEmpty(record.SL_DayNaveden);
    row[kTrunkNightColumn] = NumberOrEmpty(record.SL_NightNaveden);
    row[kTrunkBlockColumn] = NumberOrEmpty(record.SL_Block);
    return row;
}

bool ApplyTrunkRow(const TTrunkRow& row, TSL& record, const std::string& version) {
    const auto mg = NumberOf(row[kTrunkMGDigitColumn]);
    const auto type = NumberOf(row[kTrunkTypeColumn]);
    const auto day = NumberOrNone(row[kTrunkDayColumn]);
    const auto night = NumberOrNone(row[kTrunkNightColumn]);
    const auto block = NumberOrNone(row[kTrunkBlockColumn]);
    if (!mg || !type || !day || !night || !block) return false;
    // Each of them travels in one byte.
    if (*mg > 9 || *type < 1 || *type > 256 || *day > 255 || *night > 255) return false;
    TSL next = record;
    for (int i = 0; i < kTrunkSwitches; ++i) {
        const int column = kTrunkFirstSwitchColumn + i;
        if (column == kTrunkPauseColumn && !PauseAfter8Carried(version)) continue;
        TrunkSwitch(next, i) = row[static_cast<std::size_t>(column)] == kTrunkOn;
    }
    next.SL_MGDigit = *mg;
    next.SL_Type = *type;
    next.SL_AutoDial = Utf8ToCp1251(row[kTrunkAutoDialColumn]);
    next.SL_DayNaveden = *day;
    next.SL_NightNaveden = *night;
    next.SL_Block = *block;
    record = next;
    return true;
}

EPairing ChooseBlockPartner(std::vector<TTrunkPartner>& lines, int port, int partner, int* holder) {
    TTrunkPartner* line = LineOf(lines, port);
    if (line == nullptr) return EPairing::Unchanged;
    if (partner < 0) {
        line->Partner = -1;
        for (TTrunkPartner& l : lines)
            if (l.Partner == port) l.Partner = -1;
        return EPairing::Cleared;
    }
    if (partner == port) return EPairing::Unchanged;
    TTrunkPartner* other = LineOf(lines, partner);
    if (other == nullptr) return EPairing::Unchanged;
    for (const TTrunkPartner& l : lines)
        if (l.Port != port && l.Partner == partner) {
            if (holder != nullptr) *holder = l.Port;
            return EPairing::Taken;
        }
    // The line's former partner no longer names it.
    for (TTrunkPartner& l : lines)
        if (l.Port != partner && l.Partner == port) l.Partner = -1;
    line->Partner = partner;
    other->Partner = port;
    return EPairing::Paired;
}

// --- the grid ---------------------------------------------------------------------------

TTrunkGrid::TTrunkGrid(const TMainClass& session, const TDataStream& store) {
    Load(session, store);
}

void TTrunkGrid::Load(const TMainClass& session, const TDataStream& store) {
    Version = session.Identity.Version;
    Ports = TrunkPorts(session, store);
    Rows.clear();
    for (int port : Ports)
        Rows.push_back(
            TrunkRowOf(store.TrunkLines[static_cast<std::size_t>(TrunkRecordIndex(session, port))],
                       port, Version));
}

bool TTrunkGrid::Toggle(int row, int column) {
    if (row < 0 || row >= RowCount() || !IsSwitchColumn(column)) return false;
    if (column == kTrunkPauseColumn && !PauseAfter8Carried(Version)) return false;
    std::string& cell = Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    cell = cell == kTrunkOn ? "" : kTrunkOn;
    return true;
}

bool TTrunkGrid::Choose(int row, int column, const std::string& entry) {
    if (row < 0 || row >= RowCount()) return false;
    switch (column) {
        case kTrunkMGDigitColumn:
        case kTrunkTypeColumn:
        case kTrunkDayColumn:
        case kTrunkNightColumn: {
            std::string& cell =
                Rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            if (cell == entry) return false;
            cell = entry;
            return true;
        }
        case kTrunkBlockColumn:
            break;
        default:
            return false;
    }
    std::vector<std::string> cells;
    for (const TTrunkRow& r : Rows) cells.push_back(r[kTrunkBlockColumn]);
    std::vector<TTrunkPartner> lines = PartnersOf(Ports, cells);
    const auto partner = NumberOrNone(entry);
    if (!partner) return false;
    const EPairing result = ChooseBlockPartner(lines, PortOfRow(row), *partner);
    if (result == EPairing::Unchanged || result == EPairing::Taken) return false;
    bool changed = false;
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        std::string next = NumberOrEmpty(lines[i].Partner);
        if (Rows[i][kTrunkBlockColumn] != next) changed = true;
        Rows[i][kTrunkBlockColumn] = std::move(next);
    }
    return changed;
}

std::optional<std::string> TTrunkGrid::SetAutoDial(int row, const std::string& number) {
    if (row < 0 || row >= RowCount()) return std::nullopt;
    std::string& cell = Rows[static_cast<std::size_t>(row)][kTrunkAutoDialColumn];
    // A number kept from a file is not refused for standing as it was.
    if (cell == number) return std::nullopt;
    if (auto problem = AutoDialProblem(number, Version)) return problem;
    cell = number;
    return std::nullopt;
}

bool TTrunkGrid::Dirty(const TMainClass& session, const TDataStream& store) const {
    return TTrunkGrid(session, store).Rows != Rows;
}

bool TTrunkGrid::Save(TMainClass& session, TDataStream& store, TUserDialogs& dialogs) const {
    // Every row is checked before any record changes.
    std::vector<std::pair<std::size_t, TSL>> records;
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        const int index = TrunkRecordIndex(session, Ports[i]);
        if (index < 0) continue;
        TSL record = store.TrunkLines[static_cast<std::size_t>(index)];
        if (!ApplyTrunkRow(Rows[i], record, session.Identity.Version)) {
            dialogs.Message(kBadInputMessage, kEditErrorCaption);
            return false;
        }
        records.emplace_back(static_cast<std::size_t>(index), record);
    }
    for (auto& [index, record] : records) store.TrunkLines[index] = std::move(record);
    EncodeSlTable(session, store);
    return true;
}

// --- the panel --------------------------------------------------------------------------

TTrunkLineView TrunkLineView(const TMainClass& session, const TDataStream& store, int port) {
    TTrunkLineView view;
    const int index = TrunkRecordIndex(session, port);
    if (index < 0) return view;
    const TSL& record = store.TrunkLines[static_cast<std::size_t>(index)];
    const TTrunkRow row = TrunkRowOf(record, port, session.Identity.Version);
    for (int i = 0; i < kTrunkSwitches; ++i)
        view.Switches[static_cast<std::size_t>(i)] = TrunkSwitch(record, i);
    view.MGDigit = row[kTrunkMGDigitColumn];
    view.Type = row[kTrunkTypeColumn];
    view.AutoDial = row[kTrunkAutoDialColumn];
    view.Day = row[kTrunkDayColumn];
    view.Night = row[kTrunkNightColumn];
    view.Block = row[kTrunkBlockColumn];
    const TPortPtr p = FindPort(store, port);
    if (p && store.Names) view.Name = Cp1251ToUtf8(store.Names->GetPortName(p->Line - 1));
    return view;
}

bool CommitTrunkLine(TMainClass& session, TDataStream& store, int port, const TTrunkLineView& view,
                     TUserDialogs& dialogs) {
    const int index = TrunkRecordIndex(session, port);
    const TPortPtr p = FindPort(store, port);
    if (index < 0 || !p || p->Type != kPortTypeTrunk) return false;
    const std::string& version = session.Identity.Version;
    const TSL& stored = store.TrunkLines[static_cast<std::size_t>(index)];

    // Everything is checked first; the store changes only when nothing is refused.
    const TNameCheck name = CheckName(view.Name);
    if (!name.Ok()) {
        dialogs.Message(name.Error, kEditErrorCaption);
        return false;
    }
    if (view.AutoDial != Cp1251ToUtf8(stored.SL_AutoDial)) {
        if (auto problem = AutoDialProblem(view.AutoDial, version)) {
            dialogs.Message(*problem, kEditErrorCaption);
            return false;
        }
    }
    TTrunkRow row = TrunkRowOf(stored, port, version);
    for (int i = 0; i < kTrunkSwitches; ++i)
        row[static_cast<std::size_t>(kTrunkFirstSwitchColumn + i)] =
            OnOff(view.Switches[static_cast<std::size_t>(i)]);
    row[kTrunkMGDigitColumn] = view.MGDigit;
    row[kTrunkTypeColumn] = view.Type;
    row[kTrunkAutoDialColumn] = view.AutoDial;
    row[kTrunkDayColumn] = view.Day;
    row[kTrunkNightColumn] = view.Night;
    row[kTrunkBlockColumn] = NumberOrEmpty(stored.SL_Block);  // the pairing rule sets it
    TSL record = stored;
    const auto partner = NumberOrNone(view.Block);
    if (!ApplyTrunkRow(row, record, version) || !partner) {
        dialogs.Message(kBadInputMessage, kEditErrorCaption);
        return false;
    }

    // The partner only when it was changed: a line blocked as it was stays so.
    const std::vector<int> ports = TrunkPorts(session, store);
    std::vector<TTrunkPartner> lines;
    for (int other : ports)
        lines.push_back(
            {other, store.TrunkLines[static_cast<std::size_t>(TrunkRecordIndex(session, other))]
                        .SL_Block});
    if (*partner != stored.SL_Block) {
        int holder = -1;
        switch (ChooseBlockPartner(lines, port, *partner, &holder)) {
            case EPairing::Taken:
                dialogs.Message("СЛ " + std::to_string(*partner) + " уже сблокирована с СЛ " +
                                    std::to_string(holder) + ". Данные не внесены.",
                                kEditErrorCaption);
                return false;
            case EPairing::Unchanged:
                dialogs.Message(
                    *partner == port
                        ? "СЛ не может быть сблокирована сама с собой. Данные не внесены."
                        : kBadInputMessage,
                    kEditErrorCaption);
                return false;
            default:
                break;
        }
    }

    // The name: a line the names file has no place for is refused before anything changes.
    TNamesList* names = store.Names.get();
    const int nameIndex = p->Line - 1;
    if (names != nullptr && names->GetPortName(nameIndex) != name.Cp1251 &&
        names->SetPortName(nameIndex, name.Cp1251) < 0) {
        if (names->GetPortName(nameIndex) != name.Cp1251) {
            dialogs.Message("В файле имён нет места для имени линии " + std::to_string(p->Line) +
                                ". Данные не внесены.",
                            kEditErrorCaption);
            return false;
        }
        dialogs.Message(kNamesNotWritten, kEditErrorCaption);
    }

    store.TrunkLines[static_cast<std::size_t>(index)] = record;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        TSL& r = store.TrunkLines[static_cast<std::size_t>(TrunkRecordIndex(session, ports[i]))];
        r.SL_Block = lines[i].Partner;
    }
    EncodeSlTable(session, store);
    return true;
}

}  // namespace zarnik
