#pragma once
// What the subscriber line panel ("Программирование АЛ") and the line-and-group window do
// besides showing widgets: which rows a station gets, the switch rule between a line's own value
// and its group's, what the panel shows for a port, the commit, and the list of lines, trunk
// lines and groups the window offers. Texts here are UTF-8 as the widgets show them; they reach
// the store as Windows-1251.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr const char* kLinePanelCaption = "Программирование АЛ";
inline constexpr const char* kLineNameCaption = "Имя АЛ: ";
inline constexpr const char* kLineGroupValuePrefix = "Группа: ";
// Shown when the line's port lies beyond the lines the station's table carries: its settings
// could never reach the station or a file, so the commit refuses them.
inline constexpr const char* kLineNotInTableMessage =
    "Эта АЛ не входит в таблицу АЛ станции: её установки нельзя внести.";
// Shown when the names file keeps no name for the line's number.
inline constexpr const char* kLineNameNoRoomMessage =
    "Для этой АЛ в файле имён нет места: имя не может быть сохранено. Данные не внесены.";

// One check box row: the setting's index (TAL order) and caption. A row that is not Editable is
// shown with the record's values but a commit leaves that setting as it was.
struct TLineSettingRow {
    int Setting = 0;
    std::string Caption;
    bool Editable = true;
};

// Rows of "Триггерные установки АЛ" for a station of that model and working-program version.
std::vector<TLineSettingRow> LineSettingRows(const std::string& model, const std::string& version);
// Rows of "Домофонов": "Домофон 01" .. "Домофон 04", on the eight-port family the first two.
std::vector<TLineSettingRow> LineDoorPhoneRows(const std::string& model);

// One row of "Закрытые СЛ": a trunk line port and its 0-based trunk line index.
struct TLineTrunkRow {
    int Port = 0;
    int SlIndex = 0;
};
// Every trunk line port of the station in port order.
std::vector<TLineTrunkRow> LineTrunkRows(const TDataStream& store);

// Whether a port is a subscriber line / a trunk line. A port given to a door phone or a
// loudspeaker channel keeps the kind its board gave it.
bool IsSubscriberLinePort(const TDataStream& store, const TPort& port);
bool IsTrunkLinePort(const TDataStream& store, const TPort& port);

// The 0-based index of the line's record in the table, or -1 when the port is not a subscriber
// line or lies beyond the lines the table carries.
int LineRecordIndex(const TMainClass& session, const TDataStream& store, int port);

// The switch label's two texts: the line follows its group ("->") or uses its own value.
inline constexpr const char* kFollowGroupSwitch = "->";
inline constexpr const char* kOwnValueSwitch = "  ";
inline const char* SwitchText(bool own) {
    return own ? kOwnValueSwitch : kFollowGroupSwitch;
}
// A double click on the label: the row switches between following and its own value; a row
// that starts to follow its group loses its own check.
void ToggleSwitch(bool& own, bool& checked);
// The own box may be checked only where the line does not follow its group.
inline bool OwnBoxMayBeChecked(bool own) {
    return own;
}

// The direct-call field's text as the key rule lets it be typed: digits, four of them, a fifth
// only when the second digit is "0". Pasted text is held to the same rule.
bool DirectCallTextAccepted(std::string_view text);

// What the panel's editable controls hold for one line.
struct TLineView {
    std::string Name;
    std::array<bool, kAlSettingCount> Value{};
    std::array<bool, kAlSettingCount> Own{};
    std::vector<bool> TrunkValue;  // by row of LineTrunkRows
    std::vector<bool> TrunkOwn;
    int Priority = 0;
    int Loudspeaker = 0;
    std::string DirectCall;
    bool operator==(const TLineView&) const = default;
};

// The group's values shown beside the line's own (read-only). Number is the group number
// 10..29, or 0 when the line is in no group (then every value is off and empty).
struct TLineGroupView {
    int Number = 0;
    std::array<bool, kAlSettingCount> Value{};
    std::vector<bool> Trunk;
    std::string Priority;
    std::string Loudspeaker;
    std::string DirectCall;
};

TLineView LineView(const TMainClass& session, const TDataStream& store, int port,
                   const std::vector<TLineTrunkRow>& trunks);
TLineGroupView LineGroupView(const TMainClass& session, const TDataStream& store, int port,
                             const std::vector<TLineTrunkRow>& trunks);

// Choices of the priority and loudspeaker lists: 0..9 and 0..the station's channel count, each
// with the stored value added when it lies beyond them, so showing a line never changes it.
std::vector<int> PriorityChoices(int current);
std::vector<int> LoudspeakerChoices(const TMainClass& session, int current);

// "Внести данные": the direct-call number checked ("Неправильный номер прямого вызова"), the
// name checked and stored, then the settings of the editable rows, the trunk line rows, the
// priority, the loudspeaker number and the direct call into the line's record, and the table
// encoded when the record changed. A refused commit shows its message and changes nothing.
bool CommitLine(TMainClass& session, TDataStream& store, int port,
                const std::vector<TLineTrunkRow>& trunks, const TLineView& view,
                TUserDialogs& dialogs);

// ---------------------------------------------------------------- the window's list

enum class EGroupsLinesKind { Line, Trunk, Group };

struct TGroupsLinesItem {
    EGroupsLinesKind Kind = EGroupsLinesKind::Line;
    int Item = 0;  // port number of a line or trunk line, record index of a group
    std::string Text;
    bool operator==(const TGroupsLinesItem&) const = default;
};

// The station's subscriber lines and trunk lines in port order ("АЛ 203 (105)  Иванов",
// "СЛ 200  Город"), then its 20 groups ("Группа 10  Бухгалтерия"); names from the names files,
// program numbers from the ports. Kinds not in `kinds` are left out.
std::vector<TGroupsLinesItem> GroupsLinesItems(const TDataStream& store,
                                               const std::vector<EGroupsLinesKind>& kinds);
// "АЛ 203", "СЛ 200", "Группа 10": how questions name an item.
std::string GroupsLinesItemTitle(const TGroupsLinesItem& item);
// Asked before edits not yet committed would be dropped.
std::string UncommittedQuestion(const TGroupsLinesItem& item);
inline constexpr const char* kUncommittedCaption = "Внимание!";

}  // namespace zarnik
