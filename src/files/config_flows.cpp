#include "files/config_flows.h"

#include <algorithm>

#include "codecs/table_codec.h"
#include "flows/station_status.h"
#include "flows/status_lines.h"
#include "model/port.h"
#include "platform/file_system.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

bool AnyTicked(const TTableTicks& ticks) {
    return std::any_of(ticks.begin(), ticks.end(), [](bool b) { return b; });
}

// The session state a load replaces, kept so that a refused file changes nothing.
struct TSessionSnapshot {
    explicit TSessionSnapshot(const TMainClass& s)
        : IdBuffer(s.IdBuffer), IdRawLength(s.IdRawLength), IdDecodedLength(s.IdDecodedLength),
          Identity(s.Identity), TimeDefaultsRaw(s.TimeDefaultsRaw),
          TimeDefaultsLength(s.TimeDefaultsLength), HwList(s.HwList), HwListLength(s.HwListLength),
          ConferenceParams(s.ConferenceParams), Areas(s.Areas), ChangeFlags(s.ChangeFlags) {}
    void Restore(TMainClass& s) const {
        s.IdBuffer = IdBuffer;
        s.IdRawLength = IdRawLength;
        s.IdDecodedLength = IdDecodedLength;
        s.Identity = Identity;
        s.TimeDefaultsRaw = TimeDefaultsRaw;
        s.TimeDefaultsLength = TimeDefaultsLength;
        s.HwList = HwList;
        s.HwListLength = HwListLength;
        s.ConferenceParams = ConferenceParams;
        s.Areas = Areas;
        s.ChangeFlags = ChangeFlags;
    }
    decltype(TMainClass::IdBuffer) IdBuffer;
    std::uint16_t IdRawLength;
    std::uint8_t IdDecodedLength;
    TIdentity Identity;
    decltype(TMainClass::TimeDefaultsRaw) TimeDefaultsRaw;
    std::uint16_t TimeDefaultsLength;
    decltype(TMainClass::HwList) HwList;
    std::uint16_t HwListLength;
    std::array<std::uint8_t, 5> ConferenceParams;
    decltype(TMainClass::Areas) Areas;
    decltype(TMainClass::ChangeFlags) ChangeFlags;
};

constexpr std::array<ETable, kTableCount> kLoadOrder{
    ETable::StaButtons,      ETable::SystemSettings,  ETable::TimeSettings,
    ETable::DoorPhones,      ETable::Loudspeakers,    ETable::GlobalPhoneBook,
    ETable::Flash,           ETable::ProgramNumbers,  ETable::Redirections,
    ETable::QuickConferences, ETable::RoutingTables,  ETable::Groups,
    ETable::SubscriberLines, ETable::TrunkLines,      ETable::GroupPhoneBooks,
    ETable::BlackWhiteLists};

}  // namespace

const std::array<ETable, kTableCount>& LoadOrder() { return kLoadOrder; }

void ToggleAllTicks(TTableTicks& ticks) {
    const bool first = ticks[static_cast<std::size_t>(SelectionIndex(ETable::SubscriberLines))];
    ticks.fill(!first);
}

bool SaveConfiguration(TMainClass& session, TDataStream& store, TFileList& file,
                       const TTableTicks& ticks, const std::string& fileName) {
    TUserDialogs& dialogs = session.Dialogs;
    if (!AnyTicked(ticks)) {
        dialogs.Message("Не выбрано ни одной таблицы.", "Уведомление");
        return false;
    }
    store.TransferFlags = ticks;
    file.FileName = fileName;
    const EOpenState state = file.OpenForWrite(dialogs);
    if (state == EOpenState::CannotCreate) {
        dialogs.Message("Невозможно создать файл", "Ошибка");
        return false;
    }
    if (state == EOpenState::OverwriteDeclined) return false;
    file.CopyHeaderToFile(session);
    for (ETable t : kAllTables) {
        if (!store.Selected(t)) continue;
        std::string why;
        if (!file.CopyToFile(session, t, &why)) {
            dialogs.Message("Файл не записан: " + why + ".", "Ошибка");
            return false;
        }
    }
    std::string why;
    const std::string backup = session.BaseDir + "/ats.bak";
    if (!file.WriteConfiguration(store, state == EOpenState::OverwriteConfirmed ? backup : "",
                                 &why)) {
        dialogs.Message("Невозможно создать файл", "Ошибка");
        return false;
    }
    return true;
}

bool LoadConfiguration(TMainClass& session, TDataStream& store, TFileList& file,
                       const TTableTicks& ticks, const std::string& fileName) {
    TUserDialogs& dialogs = session.Dialogs;
    if (!AnyTicked(ticks)) {
        dialogs.Message("Не отмечено ни одной таблицы.", "");
        return false;
    }
    file.FileName = fileName;
    std::string why;
    if (!FileExists(fileName)) {
        dialogs.Message("Не смогли открыть файл.", "Ошибка");
        return false;
    }
    if (!file.ReadFile(dialogs, &why)) {
        dialogs.Message("Файл конфигурации не прочитан: " + why + ".", "Ошибка");
        return false;
    }
    if (file.ModelName != session.Identity.ModelName && session.Identified &&
        dialogs.Question("Тип АТС и тип файла не совпадают(файл будет прочитан полностью, "
                         "отсутствующие в файле таблицы будут очищены). Будем читать файл?",
                         "Предупреждение") != TAnswer::Ok)
        return false;

    // Everything goes into the session first; the store is touched only once it all fits.
    const TSessionSnapshot before(session);
    const std::array<bool, kTableCount> oldSelection = store.TransferFlags;
    store.TransferFlags = ticks;
    file.CopyHeaderFromFile(session);
    file.ReadTables(store);
    for (ETable t : kLoadOrder) {
        const TTableCodec* codec = FindCodec(t);
        if (codec == nullptr || !store.Selected(t)) continue;
        if (!codec->Unpack(session, file.Slot(t).Bytes)) {
            before.Restore(session);
            store.TransferFlags = oldSelection;
            dialogs.Message("Файл конфигурации не прочитан: запись таблицы \"" +
                                std::string(codec->Caption) + "\" не помещается в таблицу.",
                            "Ошибка");
            return false;
        }
    }
    for (ETable t : kAllTables)
        session.ChangeFlags[static_cast<std::size_t>(ChangeIndex(t))] = store.Selected(t);

    DecodeStationStatus(session, store, false, false);
    DecodeTimeDefaults(session, store);
    DecodeComposition(session, store);
    BuildPorts(store);
    for (ETable t : kLoadOrder) {
        const TTableCodec* codec = FindCodec(t);
        if (codec == nullptr || !store.Selected(t) || t == ETable::Flash) continue;
        codec->Decode(session, store);
    }
    store.BufferText.clear();
    session.DataPresent = true;
    return true;
}

std::array<std::string, 4> LoadedStatusLines(const TDataStream& store) {
    std::array<std::string, 4> lines = BareStatusLines();
    lines[0] += Cp1251ToUtf8(store.Model);
    lines[1] += Cp1251ToUtf8(store.VersionText);
    lines[2] += Cp1251ToUtf8(store.SerialText);
    return lines;
}

}  // namespace zarnik
