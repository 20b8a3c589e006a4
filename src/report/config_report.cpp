#include "report/config_report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <span>
#include <string_view>
#include <vector>

#include "editors/settings_editing.h"
#include "codecs/time_settings_codec.h"
#include "model/broadcaster.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

// ---- Cells ---------------------------------------------------------------------------------

// Column number (A = 1) of a column name.
consteval int Col(std::string_view letters) {
    int n = 0;
    for (const char c : letters) n = n * 26 + (c - 'A' + 1);
    return n;
}

// One worksheet, addressed as the spreadsheet counts: rows and columns from 1.
class TSheet {
  public:
    TSheet(ExcelApp& excel, int index) : X(excel) { X.SelectSheet(index); }

    // Texts here are UTF-8; store texts are converted before they get here.
    void Text(int column, int row, const std::string& text) {
        X.SetText(column - 1, row - 1, text);
    }
    void TextIfAny(int column, int row, const std::string& text) {
        if (!text.empty()) Text(column, row, text);
    }
    void Value(int column, int row, const std::string& text) {
        X.SetValue(column - 1, row - 1, text);
    }
    void Width(int column, double width) { X.SetColumnWidth(1, column, width); }
    void Widths(int first, int last, double width) {
        for (int c = first; c <= last; ++c) Width(c, width);
    }
    void Height(int row, double height) { X.SetRowHeight(row, 1, height); }
    void Frame(int firstColumn, int firstRow, int lastColumn, int lastRow) {
        X.FrameRange(firstColumn - 1, firstRow - 1, lastColumn - 1, lastRow - 1);
    }
    // Captions down column A from `firstRow`.
    void Legend(int firstRow, std::span<const char* const> items) {
        for (std::size_t i = 0; i < items.size(); ++i)
            Text(1, firstRow + static_cast<int>(i), items[i]);
    }
    // The column numbers "1".."count" from column B.
    void NumberHeads(int row, int count) {
        for (int n = 1; n <= count; ++n) Text(1 + n, row, std::to_string(n));
    }

  private:
    ExcelApp& X;
};

std::string Utf8(const std::string& cp1251) {
    return Cp1251ToUtf8(cp1251);
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out += separator;
        out += part;
    }
    return out;
}

std::string Mark(bool on) {
    return on ? "X" : "";
}

// ---- What the sheets look up -----------------------------------------------------------------

// Everything a sheet reads, with the lookups several sheets share.
struct TReportData {
    const TMainClass& Session;
    const TDataStream& Store;

    const std::string& Model() const { return Store.Model; }

    // Ports of subscriber lines and system phones, in port order.
    std::vector<TPortPtr> LinePorts() const {
        std::vector<TPortPtr> ports;
        for (const TPortPtr& p : Store.Ports) {
            if (p && (p->Type == kPortTypeSta || p->Type == kPortTypeSubscriber))
                ports.push_back(p);
        }
        return ports;
    }

    // 0-based line index of a port, or -1 when it has none in the store.
    int LineIndex(const TPort& port) const {
        const int line = TBroadcaster::GetLineNumFromPortNum(Model(), std::to_string(port.Number));
        return line >= 1 && line <= static_cast<int>(kMaxSubscriberLines) ? line - 1 : -1;
    }

    const TAL* LineRecord(const TPort& port) const {
        const int index = LineIndex(port);
        return index < 0 ? nullptr : &Store.Lines[static_cast<std::size_t>(index)];
    }

    std::string LineName(const TPort& port) const {
        const int index = LineIndex(port);
        return index < 0 || !Store.Names ? "" : Utf8(Store.Names->GetPortName(index));
    }

    // The program number of the line with that port number, "" when there is no such line.
    std::string ProgramNumber(int portNumber) const {
        const TPortPtr port = FindPort(Store, portNumber);
        return port && port->AlData ? Utf8(port->AlData->AL_PrgNum) : "";
    }

    // "205(201)": a port number with its line's program number.
    std::string PortWithProgramNumber(int portNumber) const {
        return std::to_string(portNumber) + "(" + ProgramNumber(portNumber) + ")";
    }

    // The port numbers of the set entries of a trunk-line mask, joined by ", ".
    template <std::size_t N>
    std::string TrunkPorts(const std::array<bool, N>& mask) const {
        std::vector<std::string> ports;
        for (std::size_t k = 0; k < N; ++k) {
            if (mask[k]) {
                ports.push_back(std::to_string(
                    TBroadcaster::GetPortNumFromSLIndex(Model(), static_cast<int>(k))));
            }
        }
        return Join(ports, ", ");
    }

    template <typename Getter>
    std::string Name(Getter getter, int index) const {
        return Store.Names ? Utf8(((*Store.Names).*getter)(index)) : "";
    }
};

int Clamp(int count, std::size_t capacity) {
    return std::clamp(count, 0, static_cast<int>(capacity));
}

// ---- Sheet names and captions --------------------------------------------------------------

constexpr std::array<const char*, kReportSheetCount> kSheetNames{
    "Состав АТС",
    "АЛ",
    "Установки АЛ",
    "СЛ",
    "Группы",
    "Наведение",
    "Общесистемные",
    "Домофоны",
    "ГГС",
    "Переадресация",
    "Общая_зап._книжка",
    "Гр._зап._книжки",
    "Конференции",
    "Временные_установки",
    "Черно-белые_списки",
};

constexpr std::array<const char*, kReportTickCount> kTickCaptions{
    "Установки АЛ",
    "Установки СЛ",
    "Установки групп",
    "Таблицы наведения",
    "Общесистемные установки",
    "Таблицы домофонов",
    "Таблицы ГГС",
    "Таблица переадресаций",
    "Общая записная книжка",
    "Групповые записные книжки",
    "Быстрый сбор конференции",
    "Временные установки",
    "Черно-белая книжка",
};

constexpr std::array<ETable, kReportTickCount> kTickTables{
    ETable::SubscriberLines, ETable::TrunkLines,       ETable::Groups,
    ETable::RoutingTables,   ETable::SystemSettings,   ETable::DoorPhones,
    ETable::Loudspeakers,    ETable::Redirections,     ETable::GlobalPhoneBook,
    ETable::GroupPhoneBooks, ETable::QuickConferences, ETable::TimeSettings,
    ETable::BlackWhiteLists,
};

// Legend items 1..28 of the line and group sheets.
constexpr std::array<const char*, 28> kLineLegend{
    "1 - Запрет инициирования второго соединения",
    "2 - Разрешение DTMF набора",
    "3 - Запрет сигналов \"Требование соединения\"",
    "4 - Запрет переадресации",
    "5 - Разрешение включения режима \"Не беспокоить\"",
    "6 - Запрет включения ГГС",
    "7 - Запрет использования заказа соединения",
    "8 - Запрет перехвата неопределенного вызова",
    "9 - Разрешение вызова всех ГГС",
    "10 - Ограничение выхода на все СЛ",
    "11 - Ограничение выхода на междугороднюю связь",
    "12 - Ограничение выхода на международную связь",
    "13 - Запрет использования автодозвона",
    "14 - Режим \"Факс\"",
    "15 - Русификация СТА",
    "16 - Доступ к 1-й секции белой книжки",
    "17 - Доступ ко 2-й секции белой книжки",
    "18 - Доступ к 3-й секции белой книжки",
    "19 - Доступ к 4-й секции белой книжки",
    "20 - Доступ к 5-й секции белой книжки",
    "21 - Доступ к черной книжке",
    "22 - Домофон 1",
    "23 - Домофон 2",
    "24 - Домофон 3",
    "25 - Домофон 4",
    "26 - Приоритет",
    "27 - Номер ГГС",
    "28 - Прямой вызов",
};

constexpr std::array<const char*, 4> kGroupLegendTail{
    "29 - Группы для дополнительного перехвата",
    "30 - Строка группового вызов",
    "31 - Таблицы наведения группового вызова",
    "32 - Запрещенные СЛ группы",
};

// Report numbers 1..25 of the on/off settings, as setting indexes of the line record. The
// hardware adapter setting has no number in the report.
constexpr std::array<int, 25> kReportedSettings{
    al_setting::SecondJoining,
    al_setting::DTMF,
    al_setting::RequiresCallSignal,
    al_setting::Redirect,
    al_setting::NonWorry,
    al_setting::GGSUse,
    al_setting::UsePipeOfOrder,
    al_setting::InterceptVoidCall,
    al_setting::AllGGSUse,
    al_setting::SLOutput,
    al_setting::MGOutput,
    al_setting::MNOutput,
    al_setting::AutoDialer,
    al_setting::FAXRegime,
    al_setting::RusSTA,
    al_setting::w_extnum_1th,
    al_setting::w_extnum_1th + 1,
    al_setting::w_extnum_1th + 2,
    al_setting::w_extnum_1th + 3,
    al_setting::w_extnum_1th + 4,
    al_setting::b_extnum,
    al_setting::Df01,
    al_setting::Df01 + 1,
    al_setting::Df01 + 2,
    al_setting::Df01 + 3,
};

constexpr std::array<const char*, 25> kTrunkLegend{
    "1 - Запрет исходящей связи по СЛ",
    "2 - Разрешение автоотключения СЛ",
    "3 - Режим \"Факс\"",
    "4 - Разрешение тарификации вх. соединений",
    "5 - Разрешение тонального набора",
    "6 - Разрешение замещения сигнала",
    "7 - Разрешение отбоя вх. вызова",
    "8 - Режим DISA",
    "9 - Запрет тариф. немеждугородних исх. соединений",
    "10 - Запрет откл. DISA при обнаружении сигнала \"Отбой\"",
    "11 - Разрешение подачи сигнала в СЛ при вкл. DISA",
    "12 - Запрет паузы после цифры межгорода при автонаборе",
    "13 - Направление 01",
    "14 - Направление 02",
    "15 - Направление 03",
    "16 - Направление 04",
    "17 - Направление 05",
    "18 - Направление 9",
    "19 - Дневная таблица наведения",
    "20 - Ночная таблица наведения",
    "21 - Тип СЛ",
    "22 - Цифра межгорода",
    "23 - Автонабор",
    "24 - Номер сблокированной СЛ",
    "25 - Имя СЛ",
};

// Trunk-line settings 1..18 in report order.
constexpr std::array<bool TSL::*, 18> kTrunkSettings{
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

struct TSystemRow {
    const char* Caption;
    bool TSystemSettings::*Field;
};

constexpr std::array<TSystemRow, 7> kSystemRows{{
    {"Равномерная загрузка СЛ", &TSystemSettings::SYS_UniformSLLoading},
    {"Глобальное разрешение тарификации входящих соединений", &TSystemSettings::SYS_TarINCall},
    {"Глобальное разрешение тонального набора", &TSystemSettings::SYS_ToneDial},
    {"Глобальный запрет тарификации немеждугородних исходящих соединений",
     &TSystemSettings::SYS_NotInterCityTar},
    {"Запрет программирования с ТА основным способом", &TSystemSettings::SYS_TAProgrammingOFF},
    {"Разрешение автоматического стирания старых записей тарификации",
     &TSystemSettings::SYS_AutoEraseTar},
    {"Глобальное разрешение подачи сигнала в СЛ при включении DISA",
     &TSystemSettings::SYS_SignalToSLForDISA},
}};

constexpr std::array<const char*, 6> kBwSections{
    "1-я секция белого списка", "2-я секция белого списка", "3-я секция белого списка",
    "4-я секция белого списка", "5-я секция белого списка", "Черный список",
};

// The door phone's fields: its three switches, then its link port, open code and day and night
// routing tables.
constexpr std::array<const char*, 7> kDoorPhoneCaptions{
    "Разрешение включения замка всем АЛ",
    "Разрешение отбоя входящего вызова при невозможности его приема",
    "Использование тонального набора для открывания",
    "Порт приписки домофона",
    "Код открывания",
    "Дневная таблица наведения",
    "Ночная таблица наведения",
};

// The loudspeaker channel's switch, then its link port.
constexpr std::array<const char*, 2> kLoudspeakerCaptions{
    "Запрет автоматического отключения ГГС",
    "Порт приписки канала ГГС",
};

// ---- Sheet 1: heading and composition heads -------------------------------------------------

void FillCompositionSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, ReportHeading(data.Session, data.Session.Now()));
    sheet.Text(1, 4, "СОСТАВ АТС");
    const std::array<const char*, 4> heads{"Тип платы", "Зав. номер", "Версия ПО", "Дата прошивки"};
    for (int c = 0; c < 4; ++c) sheet.Text(1 + c, 6, heads[static_cast<std::size_t>(c)]);
    sheet.Widths(Col("A"), Col("C"), 12);
    sheet.Width(Col("D"), 15);
}

// ---- Sheet 2: list of subscriber lines ---------------------------------------------------------

void FillLineListSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 3, "СПИСОК АЛ");
    const std::array<const char*, 4> heads{"Апп.номер", "Прг. номер", "Группа", "Имя АЛ"};
    for (int c = 0; c < 4; ++c) sheet.Text(1 + c, 4, heads[static_cast<std::size_t>(c)]);
    sheet.Height(4, 25);
    sheet.Widths(Col("A"), Col("C"), 10);
    sheet.Width(Col("D"), 40);
    int row = 5;
    for (const TPortPtr& port : data.LinePorts()) {
        const TAL* line = data.LineRecord(*port);
        sheet.Text(1, row, std::to_string(port->Number));
        sheet.Text(2, row, port->AlData ? Utf8(port->AlData->AL_PrgNum) : "");
        const bool grouped = line != nullptr && line->ALGroup >= 0;
        sheet.Text(3, row, grouped ? std::to_string(line->ALGroup + kFirstGroupNumber) : "");
        sheet.Text(4, row, data.LineName(*port));
        ++row;
    }
    sheet.Frame(Col("A"), 4, Col("D"), row);
}

// ---- Sheet 3: subscriber line settings ---------------------------------------------------------

// "->" when the line follows its group, then "X" when its own value is on.
std::string LineSettingCell(const TAL& line, int index) {
    const bool own = line.AL_Own[static_cast<std::size_t>(index)];
    return std::string(own ? "" : "->") + Mark(line.Setting(index));
}

void FillLineSettingsRow(TSheet& sheet, const TReportData& data, const TPort& port, int row) {
    sheet.Text(1, row, data.PortWithProgramNumber(port.Number));
    if (const TAL* line = data.LineRecord(port)) {
        for (std::size_t n = 0; n < kReportedSettings.size(); ++n)
            sheet.TextIfAny(2 + static_cast<int>(n), row,
                            LineSettingCell(*line, kReportedSettings[n]));
        sheet.Text(Col("AA"), row, std::to_string(line->ALPriority));
        sheet.Text(Col("AB"), row, std::to_string(line->ALGGS));
        sheet.Text(Col("AC"), row, Utf8(line->ALDirectCall));
        sheet.TextIfAny(Col("AD"), row, data.TrunkPorts(line->ALSL_OFF));
    }
    sheet.Text(Col("AE"), row, data.LineName(port));
}

void FillLineSettingsSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "     УСТАНОВКИ АЛ");
    sheet.Legend(3, kLineLegend);
    sheet.Text(1, 31, "29 - Запрещенные СЛ");
    sheet.Text(1, 33, "Номер АЛ");
    sheet.NumberHeads(33, 29);
    sheet.Widths(Col("B"), Col("AD"), 3);
    sheet.Width(Col("A"), 10);
    sheet.Width(Col("AC"), 6);
    sheet.Width(Col("AD"), 12);
    sheet.Width(Col("AE"), 35);
    int row = 34;
    for (const TPortPtr& port : data.LinePorts()) FillLineSettingsRow(sheet, data, *port, row++);
    sheet.Frame(Col("A"), 33, Col("AE"), row);
}

// ---- Sheet 4: trunk lines --------------------------------------------------------------------

std::string NumberOrEmpty(std::int32_t value) {
    return value < 0 ? "" : std::to_string(value);
}

void FillTrunkRow(TSheet& sheet, const TReportData& data, const TPort& port, int row) {
    sheet.Text(1, row, std::to_string(port.Number));
    const int index =
        TBroadcaster::GetSLIndexFromPortNum(data.Model(), std::to_string(port.Number));
    if (index >= 0 && index < static_cast<int>(kMaxTrunkLines)) {
        const TSL& sl = data.Store.TrunkLines[static_cast<std::size_t>(index)];
        for (std::size_t n = 0; n < kTrunkSettings.size(); ++n)
            sheet.TextIfAny(2 + static_cast<int>(n), row, Mark(sl.*kTrunkSettings[n]));
        sheet.TextIfAny(Col("T"), row, NumberOrEmpty(sl.SL_DayNaveden));
        sheet.TextIfAny(Col("U"), row, NumberOrEmpty(sl.SL_NightNaveden));
        sheet.Text(Col("V"), row, std::to_string(sl.SL_Type));
        sheet.Text(Col("W"), row, std::to_string(sl.SL_MGDigit));
        sheet.Text(Col("X"), row, Utf8(sl.SL_AutoDial));
        sheet.TextIfAny(Col("Y"), row, NumberOrEmpty(sl.SL_Block));
    }
    sheet.Text(Col("Z"), row, data.LineName(port));
}

void FillTrunkSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  УСТАНОВКИ СЛ");
    sheet.Legend(3, kTrunkLegend);
    sheet.Text(1, 29, "Номер СЛ");
    sheet.NumberHeads(29, 25);
    sheet.Widths(Col("B"), Col("Z"), 3);
    sheet.Width(Col("X"), 10);
    sheet.Width(Col("Y"), 6);
    sheet.Width(Col("Z"), 35);
    int row = 30;
    for (const TPortPtr& port : data.Store.Ports) {
        if (port && port->Type == kPortTypeTrunk) FillTrunkRow(sheet, data, *port, row++);
    }
    // The frame ends with the table's last column (the name).
    sheet.Frame(Col("A"), 29, Col("Z"), row);
}

// ---- Sheet 5: groups -------------------------------------------------------------------------

std::string InterceptGroups(const TGroup& group) {
    std::vector<std::string> parts;
    const auto count = std::min<std::size_t>(group.GR_AdditionalInterceptCount,
                                             group.GR_AdditionalIntercept.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (group.GR_AdditionalIntercept[i] > 0)
            parts.push_back(std::to_string(group.GR_AdditionalIntercept[i]));
    }
    return Join(parts, ",");
}

std::string GroupCallPorts(const TGroup& group) {
    std::vector<std::string> parts;
    for (const std::int32_t port : group.GR_GroupCall) {
        if (port > 0) parts.push_back(std::to_string(port));
    }
    return Join(parts, ",");
}

// "x" when the group call has lines, then the day and night tables ("--" for none).
std::string GroupRoutingCell(const TGroup& group) {
    const bool hasCall = std::any_of(group.GR_GroupCall.begin(), group.GR_GroupCall.end(),
                                     [](std::int32_t p) { return p > 0; });
    const auto table = [](std::uint8_t t) {
        return t == 0 ? std::string("--") : std::to_string(t);
    };
    return std::string(hasCall ? "x" : "") + table(group.GR_DayNaveden) + ", " +
           table(group.GR_NightNaveden);
}

void FillGroupRow(TSheet& sheet, const TReportData& data, int index, int row) {
    const TGroup& group = data.Store.Groups[static_cast<std::size_t>(index)];
    sheet.Text(1, row, std::to_string(index + kFirstGroupNumber));
    for (std::size_t n = 0; n < kReportedSettings.size(); ++n)
        sheet.TextIfAny(2 + static_cast<int>(n), row, Mark(group.Setting(kReportedSettings[n])));
    sheet.Text(Col("AA"), row, std::to_string(group.GR_Priority));
    sheet.Text(Col("AB"), row, std::to_string(group.GR_GGS));
    sheet.Text(Col("AC"), row, Utf8(group.GR_DirectCall));
    sheet.Text(Col("AD"), row, InterceptGroups(group));
    sheet.Text(Col("AE"), row, GroupCallPorts(group));
    sheet.Text(Col("AF"), row, GroupRoutingCell(group));
    sheet.TextIfAny(Col("AG"), row, data.TrunkPorts(group.GR_SLOFF));
    sheet.Text(Col("AH"), row, data.Name(&TNamesList::GetGroupName, index));
}

void FillGroupSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  УСТАНОВКИ ГРУПП");
    sheet.Legend(3, kLineLegend);
    sheet.Legend(3 + static_cast<int>(kLineLegend.size()), kGroupLegendTail);
    sheet.Text(1, 36, "Номер Группы");
    sheet.NumberHeads(36, 33);
    sheet.Widths(Col("B"), Col("AH"), 2);
    sheet.Width(Col("A"), 10);
    sheet.Width(Col("AC"), 6);
    sheet.Width(Col("AD"), 15);
    sheet.Width(Col("AE"), 20);
    sheet.Width(Col("AF"), 8);
    sheet.Width(Col("AG"), 12);
    sheet.Width(Col("AH"), 35);
    for (int g = 0; g < kGroupCount; ++g) FillGroupRow(sheet, data, g, 37 + g);
    sheet.Frame(Col("A"), 36, Col("AH"), 37 + kGroupCount);
}

// ---- Sheet 6: incoming routing tables ----------------------------------------------------------

void FillRoutingBlock(TSheet& sheet, const TReportData& data, int table, int column, int row) {
    sheet.Text(column, row,
               "Таблица " + std::to_string(table + 1) + " : " +
                   data.Name(&TNamesList::GetNavedenName, table));
    const TNavedenRecord& record = data.Store.RoutingTables[static_cast<std::size_t>(table)];
    for (std::size_t r = 0; r < kRoutingRows; ++r) {
        for (std::size_t p = 0; p < kRoutingRowEntries; ++p) {
            const std::int32_t entry = record.Rows[r][p];
            if (entry < 1) continue;
            sheet.Text(column + static_cast<int>(p), row + 1 + static_cast<int>(r),
                       data.PortWithProgramNumber(entry));
        }
    }
    sheet.Frame(column, row + 1, column + 4, row + 4);
}

void FillRoutingSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  ТАБЛИЦЫ НАВЕДЕНИЯ");
    sheet.Widths(Col("A"), Col("Q"), 8);
    const int count = Clamp(data.Session.Identity.RoutingTableCount, kMaxRoutingTables);
    int column = Col("A");
    int row = 3;
    for (int t = 0; t < count; ++t) {
        FillRoutingBlock(sheet, data, t, column, row);
        // Three blocks side by side, at A, G and M.
        if (column < Col("M")) {
            column += 6;
        } else {
            column = Col("A");
            row += 6;
        }
    }
}

// ---- Sheet 7: system-wide settings -------------------------------------------------------------

std::string TimeOfDayText(const TSwitchTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{t.Hours}, unsigned{t.Minutes},
                  unsigned{t.Seconds});
    return text;
}

void FillSystemSheet(TSheet& sheet, const TReportData& data) {
    const TSystemSettings& s = data.Store.SystemSettings;
    sheet.Text(1, 1, "  ОБЩЕСИСТЕМНЫЕ УСТАНОВКИ");
    sheet.Width(Col("A"), 70);
    sheet.Width(Col("B"), 7);
    for (std::size_t i = 0; i < kSystemRows.size(); ++i) {
        const int row = 3 + static_cast<int>(i);
        sheet.Text(1, row, kSystemRows[i].Caption);
        sheet.TextIfAny(2, row, Mark(s.*kSystemRows[i].Field));
    }
    sheet.Text(1, 10, "Время перехода на дневной режим");
    sheet.Text(2, 10, TimeOfDayText(s.SYS_DayTime));
    sheet.Text(1, 11, "Время перехода на ночной режим");
    sheet.Text(2, 11, TimeOfDayText(s.SYS_NightTime));
    sheet.Frame(Col("A"), 3, Col("B"), 11);
}

// ---- Sheet 8: door phones ----------------------------------------------------------------------

void FillDoorPhoneBlock(TSheet& sheet, const TReportData& data, int index, int row) {
    const TDf& df = data.Store.DoorPhones[static_cast<std::size_t>(index)];
    sheet.Text(
        1, row,
        "Домофон " + std::to_string(index + 1) + " : " + data.Name(&TNamesList::GetDfName, index));
    const std::array<std::pair<const char*, bool>, 3> flags{{
        {kDoorPhoneCaptions[0], df.AllALOpening},
        {kDoorPhoneCaptions[1], df.ResetInCall},
        {kDoorPhoneCaptions[2], df.DTMFOpening},
    }};
    const std::array<std::pair<const char*, const std::string*>, 4> values{{
        {kDoorPhoneCaptions[3], &df.LinkPort},
        {kDoorPhoneCaptions[4], &df.OpenCode},
        {kDoorPhoneCaptions[5], &df.DayTable},
        {kDoorPhoneCaptions[6], &df.NightTable},
    }};
    int r = row + 1;
    for (const auto& [caption, on] : flags) {
        sheet.Text(1, r, caption);
        sheet.TextIfAny(2, r++, Mark(on));
    }
    for (const auto& [caption, value] : values) {
        sheet.Text(1, r, caption);
        sheet.TextIfAny(2, r++, Utf8(*value));
    }
    sheet.Frame(Col("A"), row + 1, Col("B"), row + 7);
}

void FillDoorPhoneSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  УСТАНОВКИ ДОМОФОНОВ");
    sheet.Width(Col("A"), 70);
    sheet.Width(Col("B"), 8);
    const int count = Clamp(data.Store.DoorPhoneCount, kMaxDoorPhones);
    for (int i = 0; i < count; ++i) FillDoorPhoneBlock(sheet, data, i, 3 + 9 * i);
}

// ---- Sheet 9: loudspeaker channels -------------------------------------------------------------

void FillLoudspeakerSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  УСТАНОВКИ ГГС");
    sheet.Width(Col("A"), 50);
    sheet.Width(Col("B"), 8);
    const int count = Clamp(data.Store.LoudspeakerCount, kMaxLoudspeakers);
    for (int i = 0; i < count; ++i) {
        const TGGS& ggs = data.Store.Loudspeakers[static_cast<std::size_t>(i)];
        const int row = 3 + 4 * i;
        sheet.Text(1, row,
                   "ГГС " + std::to_string(i + 1) + " : " + data.Name(&TNamesList::GetGgsName, i));
        sheet.Text(1, row + 1, kLoudspeakerCaptions[0]);
        sheet.TextIfAny(2, row + 1, Mark(ggs.AutoOff));
        sheet.Text(1, row + 2, kLoudspeakerCaptions[1]);
        sheet.TextIfAny(2, row + 2, Utf8(ggs.LinkPort));
        sheet.Frame(Col("A"), row + 1, Col("B"), row + 2);
    }
}

// ---- Sheet 10: redirections --------------------------------------------------------------------

// "205->" for a line without redirection, "205->210" for one redirected to 210.
std::string RedirectionCell(const TReportData& data, int index) {
    const TRedirectRecord& r = data.Store.Redirections[static_cast<std::size_t>(index)];
    const int port = TBroadcaster::GetPortNumFromIndex(data.Model(), index);
    std::string text = std::to_string(port) + "->";
    // A target of 0 is how the store says "not redirected".
    if (r.Target > 0 && r.Target != port) text += std::to_string(r.Target);
    return text;
}

void FillRedirectionSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  ТАБЛИЦА ПЕРЕАДРЕСАЦИЙ");
    const int perRow = TBroadcaster::IsSmallModel(data.Model()) ? 8 : 10;
    const int count = Clamp(data.Store.RedirectionCount, kMaxRedirections);
    for (int i = 0; i < count; ++i)
        sheet.Text(1 + i % perRow, 3 + i / perRow, RedirectionCell(data, i));
    sheet.Frame(Col("A"), 3, perRow, 3 + count / perRow);
}

// ---- Sheets 11 and 12: phone books -------------------------------------------------------------

// Cell numbers as the users dial them: "070", "071", ...
std::string BookCellNumber(int index) {
    return "0" + std::to_string(70 + index);
}

void FillGlobalBookSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "   ОБЩАЯ ЗАПИСНАЯ КНИЖКА");
    sheet.Text(1, 3, "Ячейка");
    sheet.Text(2, 3, "Номер");
    sheet.Text(3, 3, "Имя");
    sheet.Width(Col("B"), 20);
    sheet.Width(Col("C"), 40);
    const TGlobalExtNum* book = data.Store.GlobalExtNum.get();
    const int count = book == nullptr ? 0 : Clamp(book->Count, kPhoneBookTexts);
    for (int i = 0; i < count; ++i) {
        const int row = 4 + i;
        sheet.Text(1, row, BookCellNumber(i));
        sheet.TextIfAny(2, row, Utf8(book->Entries[static_cast<std::size_t>(i)]));
        const std::string name = data.Name(&TNamesList::GetGlobalExtNumName, i);
        if (!name.empty()) sheet.Value(3, row, name);
    }
    sheet.Frame(Col("A"), 3, Col("C"), 3 + count);
}

void FillGroupBookBlock(TSheet& sheet, const TReportData& data, int book) {
    const int column = 1 + 4 * book;
    const TGroupExternNum& entries = data.Store.GroupExtNums[static_cast<std::size_t>(book)];
    sheet.Text(column, 3, "ГРУППА " + std::to_string(book + kFirstGroupNumber));
    sheet.Text(column, 4, "Ячейка");
    sheet.Text(column + 1, 4, "Номер");
    sheet.Text(column + 2, 4, "Имя");
    for (int k = 0; k < static_cast<int>(kGroupBookEntries); ++k) {
        const int row = 5 + k;
        sheet.Text(column, row, BookCellNumber(k));
        sheet.TextIfAny(column + 1, row, Utf8(entries.Entries[static_cast<std::size_t>(k)]));
        if (data.Store.Names)
            sheet.TextIfAny(column + 2, row, Utf8(data.Store.Names->GetGroupExtNumName(book, k)));
    }
    sheet.Width(column + 1, 18);
    sheet.Width(column + 2, 30);
    sheet.Frame(column, 4, column + 2, 25);
}

void FillGroupBookSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  ГРУППОВЫЕ ЗАПИСНЫЕ КНИЖКИ");
    for (int book = 0; book < static_cast<int>(kGroupPhoneBooks); ++book)
        FillGroupBookBlock(sheet, data, book);
}

// ---- Sheet 13: quick conferences ---------------------------------------------------------------

// Members are port numbers of lines; anything else stays an empty place.
constexpr std::int32_t kMemberLimit = 350;

void FillConferenceSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  УСТАНОВКИ КОНФЕРЕНЦИЙ");
    const int count = Clamp(data.Session.ConferenceParams[0], kMaxConferences);
    const int places = Clamp(data.Session.ConferenceParams[1], kMaxConferenceMembers);
    for (int i = 0; i < count; ++i) {
        const int column = 1 + 2 * i;
        const TConfRecord& conf = data.Store.Conferences[static_cast<std::size_t>(i)];
        sheet.Text(column, 3, "Конференция " + std::to_string(i));
        for (int j = 0; j < places; ++j) {
            const std::int32_t v = conf.Members[static_cast<std::size_t>(j)];
            if (v > 0 && v < kMemberLimit) sheet.Text(column, 4 + j, data.PortWithProgramNumber(v));
        }
        if (places > 0) sheet.Frame(column, 4, column, 3 + places);
    }
}

// ---- Sheet 14: time settings -------------------------------------------------------------------

void FillTimeSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  ВРЕМЕННЫЕ УСТАНОВКИ");
    sheet.Width(Col("A"), 91);
    for (std::size_t k = 0; k < kTimerCount; ++k) {
        const int row = 3 + static_cast<int>(k);
        sheet.Text(1, row, kTimers[k].Description);
        sheet.Text(2, row, FormatSeconds(data.Store.TimeSettings.Values[k]));
    }
    sheet.Frame(Col("A"), 3, Col("B"), 2 + static_cast<int>(kTimerCount));
}

// ---- Sheet 15: black and white lists -----------------------------------------------------------

void FillBlackWhiteSheet(TSheet& sheet, const TReportData& data) {
    sheet.Text(1, 1, "  ЧЕРНО-БЕЛЫЕ СПИСКИ");
    for (std::size_t s = 0; s < kBwSections.size(); ++s) {
        const int column = 1 + 3 * static_cast<int>(s);
        sheet.Text(column, 3, kBwSections[s]);
        for (std::size_t k = 0; k < kBwSectionEntries; ++k) {
            const std::string& entry = data.Store.BlackWhiteList.Entries[s * kBwSectionEntries + k];
            sheet.Text(column, 4 + static_cast<int>(k), Utf8(entry));
        }
        sheet.Frame(column, 4, column, 4 + static_cast<int>(kBwSectionEntries));
    }
}

// ---- The workbook --------------------------------------------------------------------------

using TSheetFiller = void (*)(TSheet&, const TReportData&);

// The fillers of sheets 3..15, in check-box order.
constexpr std::array<TSheetFiller, kReportTickCount> kTickFillers{
    FillLineSettingsSheet, FillTrunkSheet,     FillGroupSheet,       FillRoutingSheet,
    FillSystemSheet,       FillDoorPhoneSheet, FillLoudspeakerSheet, FillRedirectionSheet,
    FillGlobalBookSheet,   FillGroupBookSheet, FillConferenceSheet,  FillTimeSheet,
    FillBlackWhiteSheet,
};

// A new workbook has three sheets; twelve more make the fifteen the report names.
constexpr int kStartingSheets = 3;

void PrepareSheets(ExcelApp& excel) {
    for (int i = kStartingSheets; i < kReportSheetCount; ++i) excel.AddSheet();
    for (int i = 0; i < kReportSheetCount; ++i)
        excel.NameSheet(kSheetNames[static_cast<std::size_t>(i)], i + 1);
}

void StartProgress(TProgress& progress) {
    progress.SetMinimum(0);
    progress.SetMaximum(100);
    progress.SetStep(100 / kReportSheetCount);
    progress.SetPosition(0);
}

bool HasXlsxExtension(const std::string& name) {
    constexpr std::string_view ext = ".xlsx";
    if (name.size() < ext.size()) return false;
    return std::equal(
        ext.begin(), ext.end(), name.end() - static_cast<long>(ext.size()),
        [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::string WithExtension(const std::string& name) {
    return HasXlsxExtension(name) ? name : name + ".xlsx";
}

// Longest file name the file systems here take, in bytes.
constexpr std::size_t kMaxFileName = 255;

}  // namespace

const std::array<const char*, kReportSheetCount>& ReportSheetNames() {
    return kSheetNames;
}
const std::array<const char*, kReportTickCount>& ReportTickCaptions() {
    return kTickCaptions;
}
const std::array<ETable, kReportTickCount>& ReportTickTables() {
    return kTickTables;
}

std::span<const char* const> ReportLineLegend() {
    return kLineLegend;
}
std::span<const char* const> ReportGroupLegendTail() {
    return kGroupLegendTail;
}
std::span<const int> ReportedLineSettings() {
    return kReportedSettings;
}
std::span<const char* const> ReportTrunkLegend() {
    return kTrunkLegend;
}
std::span<bool TSL::* const> ReportedTrunkSwitches() {
    return kTrunkSettings;
}
std::span<const char* const> ReportBwSections() {
    return kBwSections;
}
std::span<const char* const, 7> ReportDoorPhoneCaptions() {
    return kDoorPhoneCaptions;
}
std::span<const char* const, 2> ReportLoudspeakerCaptions() {
    return kLoudspeakerCaptions;
}

TReportTicks ReportTicksForTables(const std::array<bool, kTableCount>& tables) {
    TReportTicks ticks{};
    for (std::size_t i = 0; i < kTickTables.size(); ++i)
        ticks[i] = tables[static_cast<std::size_t>(SelectionIndex(kTickTables[i]))];
    return ticks;
}

std::string ReportHeading(const TMainClass& session, std::chrono::system_clock::time_point now) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const std::tm local = LocalTime(t);
    char date[16];
    char time[16];
    std::strftime(date, sizeof date, "%d.%m.%Y", &local);
    std::strftime(time, sizeof time, "%H:%M", &local);
    return "  Программные установки АТС " + Utf8(session.Identity.ModelName) +
           ". Заводской номер АТС: " + Utf8(session.Identity.SerialNumber) +
           ". Дата отчета: " + date + "  " + time;
}

std::string ReportNameProblem(const std::string& name) {
    if (name.empty()) return kReportNoName;
    const bool hasPath = name.find_first_of("/\\") != std::string::npos;
    if (hasPath || name == "." || name == "..") {
        return "Имя отчета не может содержать путь к файлу (\"/\", \"\\\", \"..\"): отчет "
               "записывается в каталог dat. Укажите только имя файла.";
    }
    const bool badCharacter = std::any_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F ||
               std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
    });
    if (badCharacter) {
        return "Недопустимое имя отчета: имя файла не может содержать управляющие символы и "
               "символы < > : \" | ? *";
    }
    if (WithExtension(name).size() > kMaxFileName) return "Слишком длинное имя отчета";
    return "";
}

std::string ReportFilePath(const std::string& baseDir, const std::string& name) {
    const std::string dat = DatDirectoryPath(baseDir);
    return JoinPath(dat, ResolveCaseInsensitive(dat, WithExtension(name)));
}

void WriteConfigurationReport(ExcelApp& excel, const TMainClass& session, const TDataStream& store,
                              const TReportTicks& ticks, const std::string& caption,
                              TProgress& progress) {
    const TReportData data{session, store};
    excel.Open(caption, 1, 1);
    PrepareSheets(excel);
    progress.StepIt();
    {
        TSheet composition(excel, 1);
        FillCompositionSheet(composition, data);
        TSheet lines(excel, 2);
        FillLineListSheet(lines, data);
    }
    progress.StepIt();
    for (std::size_t i = 0; i < kTickFillers.size(); ++i) {
        if (ticks[i]) {
            TSheet sheet(excel, 3 + static_cast<int>(i));
            kTickFillers[i](sheet, data);
        }
        progress.StepIt();
    }
    try {
        excel.Show();
    } catch (const EExcelError& e) {
        throw EReportFileError(e.what());
    }
    excel.Detach();
    progress.SetPosition(0);
}

bool IsWorkbookFile(const std::string& path) {
    if (!FileExists(path)) return false;
    const std::optional<std::string> bytes = ReadWholeFile(path);
    // A zip package whose directory names the workbook part.
    return bytes && bytes->rfind("PK\x03\x04", 0) == 0 &&
           bytes->find("xl/workbook.xml") != std::string::npos;
}

EReportResult MakeConfigurationReport(const TMainClass& session, const TDataStream& store,
                                      const TReportTicks& ticks, const TReportRequest& request,
                                      TProgress& progress, TUserDialogs& dialogs,
                                      std::string* writtenPath) {
    StartProgress(progress);
    std::string path = request.ChosenPath;
    if (path.empty()) {
        if (const std::string problem = ReportNameProblem(request.Name); !problem.empty()) {
            dialogs.Message(problem, "Ошибка");
            return EReportResult::Refused;
        }
        if (!EnsureDatDirectory(session.BaseDir)) {
            dialogs.Message("Не могу создать каталог dat для отчета", "Ошибка");
            return EReportResult::Refused;
        }
        path = ReportFilePath(session.BaseDir, request.Name);
    } else if (request.Name.empty()) {
        dialogs.Message(kReportNoName, "Ошибка");
        return EReportResult::Refused;
    }

    if (PathExists(path) && !IsWorkbookFile(path)) {
        // A configuration file or anything else under the report's name stays as it is.
        dialogs.Message("Файл " + path +
                            " уже существует и не является отчетом (книгой .xlsx): отчет не "
                            "записан, файл не изменен.",
                        "Ошибка");
        return EReportResult::Refused;
    }

    ExcelApp excel;
    excel.SetOutputPath(path);
    excel.SetOpenInViewer(request.OpenInViewer);
    try {
        WriteConfigurationReport(excel, session, store, ticks, request.Name, progress);
        if (writtenPath != nullptr) *writtenPath = path;
        return EReportResult::Written;
    } catch (const TExitProgram&) {
        throw;
    } catch (const EReportFileError&) {
        // Unlike a spreadsheet left open on the screen, a file that was never written leaves
        // the user nothing to look at, so say so.
        dialogs.Message("Не могу записать отчет в файл " + path, "Ошибка");
    } catch (const std::exception&) {
        // Anything else, the workbook that could not be started included, ends the report
        // without a word.
    }
    progress.SetPosition(0);
    return EReportResult::Failed;
}

}  // namespace zarnik
