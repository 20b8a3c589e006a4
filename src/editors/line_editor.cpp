#include "editors/line_editor.h"

#include <algorithm>
#include <string_view>

#include "codecs/subscriber_line_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

using namespace al_setting;

constexpr const char* kErrorCaption = "Ошибка";
constexpr int kPriorityChoices = 10;

// The settings in the order the panel lists them (door phones have their own group).
constexpr std::array<int, 22> kPanelSettings{
    SecondJoining,    DTMF,          RequiresCallSignal, Redirect,         NonWorry,
    GGSUse,           UsePipeOfOrder, InterceptVoidCall, AllGGSUse,        SLOutput,
    MGOutput,         MNOutput,      AutoDialer,         FAXRegime,        mBAdapter_ON,
    RusSTA,           w_extnum_1th,  w_extnum_1th + 1,   w_extnum_1th + 2, w_extnum_1th + 3,
    w_extnum_1th + 4, b_extnum};

// Trunk line positions of the boards: a port given to a door phone loses its kind text, so
// its board and position tell what it is.
struct TTrunkPositions {
    std::string_view Board;
    std::array<int, 5> Positions;
    int Count;
};
constexpr std::array<TTrunkPositions, 5> kTrunkPositions{{
    {"Kama", {0, 2, 4, 6, 8}, 5},
    {"Don", {0, 2, 4}, 3},
    {"Volga", {0, 2}, 2},
    {"Oka", {0, 2}, 2},
    {"Ural", {0}, 1},
}};

bool BoardPositionIsTrunk(const TDataStream& store, const TPort& port) {
    if (port.Slot < 0 || port.Slot >= static_cast<int>(store.Composition.size())) return false;
    const std::string& board = store.Composition[static_cast<std::size_t>(port.Slot)].BoardType;
    const int position = (port.Number - 200) % 10;
    for (const TTrunkPositions& t : kTrunkPositions) {
        if (t.Board != board) continue;
        return std::find(t.Positions.begin(), t.Positions.begin() + t.Count, position) !=
               t.Positions.begin() + t.Count;
    }
    return false;
}

bool IsAttached(const TPort& port) {
    return port.Type == kPortTypeAttachedDoorPhone || port.Type == kPortTypeAttachedLoudspeaker;
}

const std::string& Model(const TMainClass& session) {
    return session.Identity.ModelName;
}
const std::string& Version(const TMainClass& session) {
    return session.Identity.Version;
}

const TGroup* GroupOf(const TDataStream& store, const TAL& line) {
    if (line.ALGroup < 0 || line.ALGroup >= kGroupCount) return nullptr;
    return &store.Groups[static_cast<std::size_t>(line.ALGroup)];
}

bool ValidSlIndex(int index) {
    return index >= 0 && index < static_cast<int>(kAlTrunkLineSlots);
}

bool SameLine(const TAL& a, const TAL& b) {
    for (int i = 0; i < kAlSettingCount; ++i)
        if (a.Setting(i) != b.Setting(i)) return false;
    return a.AL_Own == b.AL_Own && a.ALSL_OFF == b.ALSL_OFF && a.ALSL_OFF_Own == b.ALSL_OFF_Own &&
           a.ALPriority == b.ALPriority && a.ALGGS == b.ALGGS && a.ALDirectCall == b.ALDirectCall &&
           a.ALGroup == b.ALGroup;
}

std::string Utf8Name(const TDataStream& store, int index) {
    return store.Names ? Cp1251ToUtf8(store.Names->GetPortName(index)) : "";
}

// The name into the names list: true when it is stored (or unchanged), false after a message
// when it cannot be. A file that could not be written keeps the name for its next good write.
bool StoreLineName(TDataStream& store, int nameIndex, const std::string& cp1251,
                   TUserDialogs& dialogs) {
    if (!store.Names || store.Names->GetPortName(nameIndex) == cp1251) return true;
    if (store.Names->SetPortName(nameIndex, cp1251) == 0) return true;
    if (store.Names->GetPortName(nameIndex) != cp1251) {
        dialogs.Message(kLineNameNoRoomMessage, kErrorCaption);
        return false;
    }
    dialogs.Message(kNamesNotWritten, kErrorCaption);
    return true;
}

}  // namespace

std::vector<TLineSettingRow> LineSettingRows(const std::string& model, const std::string& version) {
    std::vector<TLineSettingRow> rows;
    for (int setting : kPanelSettings) {
        if (!AlSettingShown(model, version, setting)) continue;
        rows.push_back({setting, kAlSettingCaptions[static_cast<std::size_t>(setting)],
                        AlSettingSaved(model, version, setting)});
    }
    return rows;
}

std::vector<TLineSettingRow> LineDoorPhoneRows(const std::string& model) {
    const int count = TBroadcaster::IsSmallModel(model) ? 2 : 4;
    std::vector<TLineSettingRow> rows;
    for (int k = 0; k < count; ++k)
        rows.push_back({Df01 + k, kAlSettingCaptions[static_cast<std::size_t>(Df01 + k)], true});
    return rows;
}

bool IsSubscriberLinePort(const TDataStream& store, const TPort& port) {
    if (port.Type == kPortTypeSubscriber) return true;
    return IsAttached(port) && !BoardPositionIsTrunk(store, port);
}

bool IsTrunkLinePort(const TDataStream& store, const TPort& port) {
    if (port.Type == kPortTypeTrunk) return true;
    return IsAttached(port) && BoardPositionIsTrunk(store, port);
}

std::vector<TLineTrunkRow> LineTrunkRows(const TDataStream& store) {
    std::vector<TLineTrunkRow> rows;
    for (const TPortPtr& port : store.Ports) {
        if (!port || !IsTrunkLinePort(store, *port)) continue;
        const int index =
            TBroadcaster::GetSLIndexFromPortNum(store.Model, std::to_string(port->Number));
        if (ValidSlIndex(index)) rows.push_back({port->Number, index});
    }
    return rows;
}

int LineRecordIndex(const TMainClass& session, const TDataStream& store, int port) {
    const TPortPtr p = FindPort(store, port);
    if (!p || !IsSubscriberLinePort(store, *p)) return -1;
    const int index = TBroadcaster::GetLineNumFromPortNum(Model(session), std::to_string(port)) - 1;
    const int carried =
        std::min<int>(session.Identity.SubscriberLineCount, static_cast<int>(kMaxSubscriberLines));
    return index >= 0 && index < carried ? index : -1;
}

void ToggleSwitch(bool& own, bool& checked) {
    own = !own;
    if (!own) checked = false;
}

bool DirectCallTextAccepted(std::string_view text) {
    std::string typed;
    for (const char c : text) {
        if (!DirectCallKeyAccepted(typed, c)) return false;
        typed.push_back(c);
    }
    return true;
}

TLineView LineView(const TMainClass& session, const TDataStream& store, int port,
                   const std::vector<TLineTrunkRow>& trunks) {
    TLineView v;
    const int line = TBroadcaster::GetLineNumFromPortNum(Model(session), std::to_string(port));
    v.Name = Utf8Name(store, line - 1);
    v.TrunkValue.assign(trunks.size(), false);
    v.TrunkOwn.assign(trunks.size(), false);
    const int index = LineRecordIndex(session, store, port);
    if (index < 0) return v;
    const TAL& al = store.Lines[static_cast<std::size_t>(index)];
    for (int i = 0; i < kAlSettingCount; ++i) {
        v.Value[static_cast<std::size_t>(i)] = al.Setting(i);
        v.Own[static_cast<std::size_t>(i)] = al.AL_Own[static_cast<std::size_t>(i)];
    }
    for (std::size_t r = 0; r < trunks.size(); ++r) {
        const auto sl = static_cast<std::size_t>(trunks[r].SlIndex);
        v.TrunkValue[r] = al.ALSL_OFF[sl];
        v.TrunkOwn[r] = al.ALSL_OFF_Own[sl];
    }
    v.Priority = al.ALPriority;
    v.Loudspeaker = al.ALGGS;
    v.DirectCall = Cp1251ToUtf8(al.ALDirectCall);
    return v;
}

TLineGroupView LineGroupView(const TMainClass& session, const TDataStream& store, int port,
                             const std::vector<TLineTrunkRow>& trunks) {
    TLineGroupView g;
    g.Trunk.assign(trunks.size(), false);
    const int index = LineRecordIndex(session, store, port);
    if (index < 0) return g;
    const TAL& al = store.Lines[static_cast<std::size_t>(index)];
    const TGroup* group = GroupOf(store, al);
    if (group == nullptr) return g;
    g.Number = kFirstGroupNumber + al.ALGroup;
    for (int i = 0; i < kAlSettingCount; ++i)
        g.Value[static_cast<std::size_t>(i)] = group->Setting(i);
    for (std::size_t r = 0; r < trunks.size(); ++r)
        g.Trunk[r] = group->GR_SLOFF[static_cast<std::size_t>(trunks[r].SlIndex)];
    g.Priority = std::to_string(group->GR_Priority);
    g.Loudspeaker = std::to_string(group->GR_GGS);
    g.DirectCall = Cp1251ToUtf8(group->GR_DirectCall);
    return g;
}

std::vector<int> PriorityChoices(int current) {
    std::vector<int> choices;
    for (int p = 0; p < kPriorityChoices; ++p) choices.push_back(p);
    if (current >= kPriorityChoices) choices.push_back(current);
    return choices;
}

std::vector<int> LoudspeakerChoices(const TMainClass& session, int current) {
    std::vector<int> choices;
    const int count = session.Identity.LoudspeakerCount;
    for (int c = 0; c <= count; ++c) choices.push_back(c);
    if (current > count) choices.push_back(current);
    return choices;
}

bool CommitLine(TMainClass& session, TDataStream& store, int port,
                const std::vector<TLineTrunkRow>& trunks, const TLineView& view,
                TUserDialogs& dialogs) {
    const int index = LineRecordIndex(session, store, port);
    if (index < 0) {
        dialogs.Message(kLineNotInTableMessage, kErrorCaption);
        return false;
    }
    if (!DirectCallNumberValid(Model(session), view.DirectCall)) {
        dialogs.Message(kBadDirectCallMessage, kErrorCaption);
        return false;
    }
    const TNameCheck name = CheckName(view.Name);
    if (!name.Ok()) {
        dialogs.Message(name.Error, kErrorCaption);
        return false;
    }
    const bool numbersFit = view.Priority >= 0 && view.Priority <= 255 && view.Loudspeaker >= 0 &&
                            view.Loudspeaker <= 255;
    const bool rowsFit =
        view.TrunkValue.size() == trunks.size() && view.TrunkOwn.size() == trunks.size() &&
        std::all_of(trunks.begin(), trunks.end(),
                    [](const TLineTrunkRow& r) { return ValidSlIndex(r.SlIndex); });
    if (!numbersFit || !rowsFit) {
        dialogs.Message("Ошибка во введенных данных.", kErrorCaption);
        return false;
    }
    const int nameIndex =
        TBroadcaster::GetLineNumFromPortNum(Model(session), std::to_string(port)) - 1;
    if (!StoreLineName(store, nameIndex, name.Cp1251, dialogs)) return false;

    TAL& al = store.Lines[static_cast<std::size_t>(index)];
    const TAL before = al;
    for (int i = 0; i < kAlSettingCount; ++i) {
        if (!AlSettingSaved(Model(session), Version(session), i)) continue;
        const auto k = static_cast<std::size_t>(i);
        // A row that followed its group and still does keeps the value the table carried.
        if (!view.Own[k] && !al.AL_Own[k]) continue;
        CommitAlSetting(al, i, view.Value[k], view.Own[k]);
    }
    for (std::size_t r = 0; r < trunks.size(); ++r) {
        const auto sl = static_cast<std::size_t>(trunks[r].SlIndex);
        if (!view.TrunkOwn[r] && !al.ALSL_OFF_Own[sl]) continue;
        al.ALSL_OFF_Own[sl] = view.TrunkOwn[r];
        al.ALSL_OFF[sl] = view.TrunkOwn[r] && view.TrunkValue[r];
    }
    al.ALPriority = static_cast<std::uint8_t>(view.Priority);
    al.ALGGS = static_cast<std::uint8_t>(view.Loudspeaker);
    al.ALDirectCall = Utf8ToCp1251(view.DirectCall);
    if (!SameLine(before, al)) EncodeAlTable(session, store);
    return true;
}

// ---------------------------------------------------------------- the window's list

std::vector<TGroupsLinesItem> GroupsLinesItems(const TDataStream& store,
                                               const std::vector<EGroupsLinesKind>& kinds) {
    const auto wanted = [&kinds](EGroupsLinesKind k) {
        return std::find(kinds.begin(), kinds.end(), k) != kinds.end();
    };
    std::vector<TGroupsLinesItem> items;
    for (const TPortPtr& port : store.Ports) {
        if (!port) continue;
        const std::string number = std::to_string(port->Number);
        const std::string name = Utf8Name(store, port->Line - 1);
        const std::string tail = name.empty() ? "" : "  " + name;
        if (IsSubscriberLinePort(store, *port) && wanted(EGroupsLinesKind::Line)) {
            const std::string prg = port->AlData ? Cp1251ToUtf8(port->AlData->AL_PrgNum) : "";
            const std::string shown = prg.empty() ? "" : " (" + prg + ")";
            items.push_back({EGroupsLinesKind::Line, port->Number, "АЛ " + number + shown + tail});
        } else if (IsTrunkLinePort(store, *port) && wanted(EGroupsLinesKind::Trunk)) {
            items.push_back({EGroupsLinesKind::Trunk, port->Number, "СЛ " + number + tail});
        }
    }
    if (!wanted(EGroupsLinesKind::Group)) return items;
    for (int g = 0; g < kGroupCount; ++g) {
        const std::string name = store.Names ? Cp1251ToUtf8(store.Names->GetGroupName(g)) : "";
        items.push_back({EGroupsLinesKind::Group, g,
                         "Группа " + std::to_string(kFirstGroupNumber + g) +
                             (name.empty() ? "" : "  " + name)});
    }
    return items;
}

std::string GroupsLinesItemTitle(const TGroupsLinesItem& item) {
    switch (item.Kind) {
        case EGroupsLinesKind::Line:
            return "АЛ " + std::to_string(item.Item);
        case EGroupsLinesKind::Trunk:
            return "СЛ " + std::to_string(item.Item);
        case EGroupsLinesKind::Group:
            return "Группа " + std::to_string(kFirstGroupNumber + item.Item);
    }
    return {};
}

std::string UncommittedQuestion(const TGroupsLinesItem& item) {
    return GroupsLinesItemTitle(item) + ": изменения не внесены. Внести данные?";
}

}  // namespace zarnik
