#include "editors/group_editor.h"

#include <algorithm>

#include "codecs/group_codec.h"
#include "codecs/subscriber_line_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr const char* kErrorCaption = "Ошибка";
constexpr int kPriorityChoices = 10;
constexpr int kLastGroupNumber = kFirstGroupNumber + kGroupCount - 1;

bool ValidSlIndex(int index) {
    return index >= 0 && index < static_cast<int>(kAlTrunkLineSlots);
}

int SlIndexOf(const TMainClass& session, int port) {
    return TBroadcaster::GetSLIndexFromPortNum(session.Identity.ModelName, std::to_string(port));
}

std::string GroupNameUtf8(const TDataStream& store, int index) {
    return store.Names ? Cp1251ToUtf8(store.Names->GetGroupName(index)) : "";
}

// A value the list does not offer gets an entry of its own, shown as the number.
void KeepCurrent(std::vector<TGroupChoice>& choices, int current) {
    if (current != 0 && GroupChoiceIndex(choices, current) == 0)
        choices.push_back({std::to_string(current), current});
}

bool SameGroup(const TGroup& a, const TGroup& b) {
    for (int i = 0; i < kAlSettingCount; ++i)
        if (a.Setting(i) != b.Setting(i)) return false;
    return a.GR_Priority == b.GR_Priority && a.GR_GGS == b.GR_GGS &&
           a.GR_DirectCall == b.GR_DirectCall &&
           a.GR_AdditionalIntercept == b.GR_AdditionalIntercept &&
           a.GR_AdditionalInterceptCount == b.GR_AdditionalInterceptCount &&
           a.GR_GroupCall == b.GR_GroupCall && a.GR_GroupCallCount == b.GR_GroupCallCount &&
           a.GR_DayNaveden == b.GR_DayNaveden && a.GR_NightNaveden == b.GR_NightNaveden &&
           a.GR_SLOFF == b.GR_SLOFF;
}

// The entries in order with the empty places closed up; the rest 0.
template <class TEntry>
std::uint16_t CloseUp(const std::array<int, kGroupListEntries>& shown,
                      std::array<TEntry, kGroupListEntries>& entries) {
    entries.fill(0);
    std::uint16_t count = 0;
    for (const int value : shown)
        if (value != 0) entries[count++] = static_cast<TEntry>(value);
    return count;
}

// The value problems a commit refuses, as the message to show; "" when there are none.
std::string ValueProblem(const TGroupView& view) {
    if (!GroupDirectCallValid(view.DirectCall)) return kBadDirectCallMessage;
    const auto byte = [](int v) { return v >= 0 && v <= 0xFF; };
    if (!byte(view.Priority) || !byte(view.Loudspeaker) || !byte(view.DayTable) ||
        !byte(view.NightTable))
        return "Ошибка во введенных данных.";
    for (const int number : view.Intercept)
        if (number != 0 && (number < kFirstGroupNumber || number > kLastGroupNumber))
            return "Ошибка во введенных данных.";
    return "";
}

}  // namespace

std::string GroupSettingCaption(int index) {
    if (index < 0 || index >= kAlSettingCount) return "";
    return kAlSettingCaptions[static_cast<std::size_t>(index)];
}

std::vector<TGroupChoice> GroupCallChoices(const TDataStream& store, int currentPort) {
    std::vector<TGroupChoice> choices{{"", 0}};
    for (const TPortPtr& port : store.Ports) {
        if (!port || port->Type != kPortTypeSubscriber) continue;
        const std::string name = store.Names ? store.Names->GetPortName(port->Line - 1) : "";
        std::string text = std::to_string(port->Number);
        if (!name.empty()) text += " (" + Cp1251ToUtf8(name) + ")";
        choices.push_back({text, port->Number});
    }
    KeepCurrent(choices, currentPort);
    return choices;
}

std::vector<TGroupChoice> InterceptChoices(const TDataStream& store, int currentGroup) {
    std::vector<TGroupChoice> choices{{"", 0}};
    for (int g = 0; g < kGroupCount; ++g) {
        const int number = g + kFirstGroupNumber;
        choices.push_back({std::to_string(number) + "  " + GroupNameUtf8(store, g), number});
    }
    KeepCurrent(choices, currentGroup);
    return choices;
}

std::vector<TGroupChoice> GroupRoutingChoices(const TMainClass& session, int currentTable) {
    std::vector<TGroupChoice> choices{{"", 0}};
    for (int t = 1; t <= session.Identity.RoutingTableCount; ++t)
        choices.push_back({std::to_string(t), t});
    KeepCurrent(choices, currentTable);
    return choices;
}

std::vector<TGroupChoice> GroupPriorityChoices(int current) {
    std::vector<TGroupChoice> choices;
    for (int p = 0; p < kPriorityChoices; ++p) choices.push_back({std::to_string(p), p});
    KeepCurrent(choices, current);
    return choices;
}

std::vector<TGroupChoice> GroupLoudspeakerChoices(const TMainClass& session, int current) {
    std::vector<TGroupChoice> choices;
    for (int c = 0; c <= session.Identity.LoudspeakerCount; ++c)
        choices.push_back({std::to_string(c), c});
    KeepCurrent(choices, current);
    return choices;
}

int GroupChoiceIndex(const std::vector<TGroupChoice>& choices, int value) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].Value == value) return static_cast<int>(i);
    return 0;
}

bool GroupDirectCallValid(const std::string& number) {
    return number.size() <= 4 &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool GroupSettingShown(const TMainClass& session, int index) {
    return AlSettingShown(session.Identity.ModelName, session.Identity.Version, index);
}

bool GroupSettingSaved(const TMainClass& session, int index) {
    return AlSettingSaved(session.Identity.ModelName, session.Identity.Version, index);
}

TGroupView GroupView(const TMainClass& session, const TDataStream& store, int index) {
    TGroupView v;
    for (const TPortPtr& port : store.Ports)
        if (port && port->Type == kPortTypeTrunk && ValidSlIndex(SlIndexOf(session, port->Number)))
            v.Trunks.push_back({port->Number, false});
    if (index < 0 || index >= kGroupCount) return v;
    const TGroup& g = store.Groups[static_cast<std::size_t>(index)];
    v.Name = GroupNameUtf8(store, index);
    for (int i = 0; i < kAlSettingCount; ++i)
        v.Settings[static_cast<std::size_t>(i)] = g.Setting(i);
    v.Priority = g.GR_Priority;
    v.Loudspeaker = g.GR_GGS;
    v.DirectCall = Cp1251ToUtf8(g.GR_DirectCall);
    // The block ends each list at its first empty entry; so does the panel.
    for (std::size_t k = 0; k < kGroupListEntries && g.GR_GroupCall[k] != 0; ++k)
        v.GroupCall[k] = g.GR_GroupCall[k];
    for (std::size_t k = 0; k < kGroupListEntries && g.GR_AdditionalIntercept[k] != 0; ++k)
        v.Intercept[k] = g.GR_AdditionalIntercept[k];
    v.DayTable = g.GR_DayNaveden;
    v.NightTable = g.GR_NightNaveden;
    for (TGroupTrunk& t : v.Trunks)
        t.Forbidden = g.GR_SLOFF[static_cast<std::size_t>(SlIndexOf(session, t.Port))];
    return v;
}

bool CommitGroup(TMainClass& session, TDataStream& store, int index, const TGroupView& view,
                 TUserDialogs& dialogs) {
    if (index < 0 || index >= kGroupCount) return false;
    const TNameCheck name = CheckName(view.Name);
    if (!name.Ok()) {
        dialogs.Message(name.Error, kErrorCaption);
        return false;
    }
    if (const std::string problem = ValueProblem(view); !problem.empty()) {
        dialogs.Message(problem, kErrorCaption);
        return false;
    }

    TGroup& record = store.Groups[static_cast<std::size_t>(index)];
    TGroup next = record;
    for (int i = 0; i < kAlSettingCount; ++i)
        if (GroupSettingSaved(session, i))
            next.Setting(i) = view.Settings[static_cast<std::size_t>(i)];
    next.GR_Priority = static_cast<std::uint8_t>(view.Priority);
    next.GR_GGS = static_cast<std::uint8_t>(view.Loudspeaker);
    next.GR_DirectCall = Utf8ToCp1251(view.DirectCall);
    next.GR_GroupCallCount = static_cast<std::uint8_t>(CloseUp(view.GroupCall, next.GR_GroupCall));
    next.GR_AdditionalInterceptCount = CloseUp(view.Intercept, next.GR_AdditionalIntercept);
    next.GR_DayNaveden = static_cast<std::uint8_t>(view.DayTable);
    next.GR_NightNaveden = static_cast<std::uint8_t>(view.NightTable);
    for (const TGroupTrunk& t : view.Trunks) {
        const int sl = SlIndexOf(session, t.Port);
        if (ValidSlIndex(sl)) next.GR_SLOFF[static_cast<std::size_t>(sl)] = t.Forbidden;
    }

    // The name first, as the names file may refuse it; nothing else has changed yet then.
    if (store.Names && store.Names->GetGroupName(index) != name.Cp1251) {
        if (store.Names->SetGroupName(index, name.Cp1251) != 0) {
            if (store.Names->GetGroupName(index) != name.Cp1251) {
                dialogs.Message(
                    "Для этой группы в файле имён нет места: имя не может быть "
                    "сохранено. Данные не внесены.",
                    kErrorCaption);
                return false;
            }
            // Kept in memory; it goes out with the next good write of the file.
            dialogs.Message(kNamesNotWritten, kErrorCaption);
        }
    }
    if (SameGroup(record, next)) return true;
    record = next;
    EncodeGroupTable(session, store);
    return true;
}

}  // namespace zarnik
