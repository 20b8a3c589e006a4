#pragma once
// What the group panel of the line-and-group window does besides showing widgets: the choice
// lists of its group-call lines, intercept groups and routing tables, the direct-call rules,
// and a commit that stores the whole group and its name or nothing at all. Texts here are UTF-8
// as the widgets show them; they reach the store as Windows-1251.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/group_record.h"
#include "platform/user_dialogs.h"

namespace zarnik {

// Captions of the panel's fields, as the group table names them.
inline constexpr const char* kGroupPriorityCaption = "26 - Приоритет";
inline constexpr const char* kGroupLoudspeakerCaption = "27 - Номер ГГС";
inline constexpr const char* kGroupDirectCallCaption = "28 - Прямой вызов";
inline constexpr const char* kGroupInterceptCaption = "29 - Группы для дополнительного перехвата";
inline constexpr const char* kGroupCallCaption = "30 - Строка группового вызов";
inline constexpr const char* kGroupRoutingCaption = "31 - Таблицы наведения группового вызова";
inline constexpr const char* kGroupTrunksCaption = "32 - Запрещенные СЛ группы";

// The caption of a setting's check box, by setting index 0..25.
std::string GroupSettingCaption(int index);

// One entry of a choice list: the text shown and the value it stands for (0: nothing chosen).
struct TGroupChoice {
    std::string Text;
    int Value = 0;
    bool operator==(const TGroupChoice&) const = default;
};

// The empty entry, then every subscriber-line port as "<port> (<line name>)", or the bare port
// number for a line without a name. A current port
// the list would not hold gets an entry of its own, so that showing and committing keep it.
std::vector<TGroupChoice> GroupCallChoices(const TDataStream& store, int currentPort);
// The empty entry, then the groups 10 to 29 as "<number>  <name>" (and a stored number outside
// them, kept the same way).
std::vector<TGroupChoice> InterceptChoices(const TDataStream& store, int currentGroup);
// The empty entry (no table), then "1" to the station's number of routing tables (and a stored
// number beyond them).
std::vector<TGroupChoice> GroupRoutingChoices(const TMainClass& session, int currentTable);
// Priority 0 to 9 and loudspeaker channel 0 (none) to the station's channel count, as the line
// panel offers them, each with a stored value beyond them added so that showing keeps it.
std::vector<TGroupChoice> GroupPriorityChoices(int current);
std::vector<TGroupChoice> GroupLoudspeakerChoices(const TMainClass& session, int current);
// The entry that stands for value; 0, the empty entry, when none does.
int GroupChoiceIndex(const std::vector<TGroupChoice>& choices, int value);

// The group's direct-call number travels in two bytes of the group block, four digits at most
// (the line block's five-digit "002xx" and "003xx" forms have no room there): digits only, at
// most four. The field holds to it while typing; the commit checks it again.
bool GroupDirectCallValid(const std::string& number);

// One trunk-line port of the station and whether the group may not seize it.
struct TGroupTrunk {
    int Port = 0;
    bool Forbidden = false;
    bool operator==(const TGroupTrunk&) const = default;
};

// What the panel shows and hands back for one group.
struct TGroupView {
    std::string Name;
    std::array<bool, kAlSettingCount> Settings{};
    int Priority = 0;
    int Loudspeaker = 0;
    std::string DirectCall;
    std::array<int, kGroupListEntries> GroupCall{};  // port numbers, 0 for an empty place
    std::array<int, kGroupListEntries> Intercept{};  // group numbers, 0 for an empty place
    int DayTable = 0;                                // 0: none
    int NightTable = 0;
    std::vector<TGroupTrunk> Trunks;  // every trunk-line port, in port order
    bool operator==(const TGroupView&) const = default;
};

TGroupView GroupView(const TMainClass& session, const TDataStream& store, int index);

// Whether the setting's box can change the record on this station: rows that the station's
// working program does not have (or, on the eight-port family, door phones 3 and 4) are kept
// as the record holds them.
bool GroupSettingShown(const TMainClass& session, int index);
bool GroupSettingSaved(const TMainClass& session, int index);

// "Внести данные": the values into the group's record and the group table encoded, the name
// into the names list. A refused name, direct call or value shows its message and leaves the
// record, the raw area, the change flag and the names as they were; false then. Empty places
// in the two lists are closed up, as the block ends a list at its first empty entry.
bool CommitGroup(TMainClass& session, TDataStream& store, int index, const TGroupView& view,
                 TUserDialogs& dialogs);

}  // namespace zarnik
