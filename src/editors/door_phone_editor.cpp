#include "editors/door_phone_editor.h"

#include <algorithm>

#include "codecs/door_phone_codec.h"
#include "codecs/loudspeaker_codec.h"
#include "codecs/program_number_codec.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

bool StartsWithDigit(const std::string& text) {
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

// Everything a commit may touch, to put back when it is refused.
struct TDoorPhoneSnapshot {
    TDf Record;
    TRawArea Area;
    bool Changed;
};

}  // namespace

std::optional<std::string> NameProblem(const std::string& name) {
    const TNameCheck check = CheckName(name);
    if (check.Ok()) return std::nullopt;
    return check.Error;
}

std::vector<std::string> PortChoices(const TDataStream& store,
                                     std::initializer_list<std::int16_t> types,
                                     const std::string& currentPort) {
    std::vector<std::string> choices{""};
    for (const TPortPtr& port : store.Ports) {
        if (std::find(types.begin(), types.end(), port->Type) == types.end()) continue;
        std::string line = std::to_string(port->Number);
        if (port->Type == kPortTypeSubscriber) {
            const std::string name = store.Names ? store.Names->GetPortName(port->Line - 1) : "";
            line += " (" + Cp1251ToUtf8(name) + ")";
        } else if (port->Type == kPortTypeAttachedDoorPhone ||
                   port->Type == kPortTypeAttachedLoudspeaker) {
            line += " ()";
        }
        choices.push_back(line);
    }
    const std::string current = Cp1251ToUtf8(currentPort);
    if (!current.empty() && PortChoiceIndex(choices, current) == 0) choices.push_back(current);
    return choices;
}

int PortChoiceIndex(const std::vector<std::string>& choices, const std::string& port) {
    if (port.empty()) return 0;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (StartsWithDigit(choices[i]) && choices[i].substr(0, 3) == port.substr(0, 3))
            return static_cast<int>(i);
    return 0;
}

std::string PortOfChoice(const std::string& choice) {
    return choice.substr(0, std::min<std::size_t>(3, choice.size()));
}

std::vector<std::string> RoutingTableChoices(const TMainClass& session, const std::string& current) {
    std::vector<std::string> choices{""};
    for (int i = 1; i <= session.Identity.RoutingTableCount; ++i) choices.push_back(std::to_string(i));
    const std::string shown = Cp1251ToUtf8(current);
    if (std::find(choices.begin(), choices.end(), shown) == choices.end()) choices.push_back(shown);
    return choices;
}

bool DigitKeyAccepted(char typed) {
    return typed >= '0' && typed <= '9';
}

int StepRecord(int index, int count, int direction) {
    if (count <= 0) return 0;
    return std::clamp(index + direction, 0, count - 1);
}

TDoorPhoneView DoorPhoneView(const TDataStream& store, int index) {
    const TDf& d = store.DoorPhones[static_cast<std::size_t>(index)];
    TDoorPhoneView v;
    v.Name = store.Names ? Cp1251ToUtf8(store.Names->GetDfName(index)) : "";
    v.AllALOpening = d.AllALOpening;
    v.ResetInCall = d.ResetInCall;
    v.DTMFOpening = d.DTMFOpening;
    v.Port = Cp1251ToUtf8(d.LinkPort);
    v.OpenCode = Cp1251ToUtf8(d.OpenCode);
    v.DayTable = Cp1251ToUtf8(d.DayTable);
    v.NightTable = Cp1251ToUtf8(d.NightTable);
    return v;
}

bool CommitDoorPhone(TMainClass& session, TDataStream& store, int index,
                     const TDoorPhoneView& view, TUserDialogs& dialogs) {
    if (index < 0 || index >= store.DoorPhoneCount) return false;
    if (const auto problem = NameProblem(view.Name)) {
        dialogs.Message(*problem, kEditErrorCaption);
        return false;
    }
    // The name first, as the names file may refuse it; put back if the values are refused.
    const std::string oldName = store.Names ? store.Names->GetDfName(index) : "";
    const std::string newName = Utf8ToCp1251(view.Name);
    const bool rename = store.Names && newName != oldName;
    if (rename && store.Names->SetDfName(index, newName) != 0) {
        store.Names->SetDfName(index, oldName);
        dialogs.Message("Имя домофона не удалось записать в файл имен. Данные не внесены.",
                        kEditErrorCaption);
        return false;
    }

    TDf& record = store.DoorPhones[static_cast<std::size_t>(index)];
    const TDoorPhoneSnapshot before{record, session.Area(ETable::DoorPhones),
                                    session.Changed(ETable::DoorPhones)};
    record.AllALOpening = view.AllALOpening;
    record.ResetInCall = view.ResetInCall;
    record.DTMFOpening = view.DTMFOpening;
    record.LinkPort = Utf8ToCp1251(PortOfChoice(view.Port));
    record.OpenCode = Utf8ToCp1251(view.OpenCode);
    record.DayTable = Utf8ToCp1251(view.DayTable);
    record.NightTable = Utf8ToCp1251(view.NightTable);
    if (EncodeDfTable(session, store) < 0) {
        record = before.Record;
        session.Area(ETable::DoorPhones) = before.Area;
        session.SetChanged(ETable::DoorPhones, before.Changed);
        if (rename) store.Names->SetDfName(index, oldName);
        dialogs.Message(kBadInputMessage, kEditErrorCaption);
        return false;
    }
    return true;
}

void AfterDoorPhoneWindow(TMainClass& session, TDataStream& store) {
    BuildPorts(store);
    DecodeDfTable(session, store);
    DecodeGgsTable(session, store);
    DecodePrgNumTable(session, store);
}

}  // namespace zarnik
