#include "files/config_flows.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

#include "codecs/table_codec.h"
#include "flows/station_status.h"
#include "flows/status_lines.h"
#include "model/port.h"
#include "platform/file_system.h"
#include "platform/sha256.h"
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
          ConferenceParams(s.ConferenceParams), Areas(s.Areas), ChangeFlags(s.ChangeFlags),
          VerFlags(s.VerFlags) {}
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
        s.VerFlags = VerFlags;
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
    TTableVerRWFlagsPtr VerFlags;
};

constexpr const char* kBackupName = "ats.bak";

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
    const std::string backup = JoinPath(session.BaseDir, kBackupName);
    const EWriteResult written = file.WriteConfiguration(
        store, state == EOpenState::OverwriteConfirmed ? backup : "", &why);
    if (written == EWriteResult::NoBackup) {
        // The old file stays where it is, and nothing new is written without its backup.
        dialogs.Message("Файл не записан: прежний файл не удалось сохранить как \"" +
                            std::string(kBackupName) + "\".",
                        "Ошибка");
        return false;
    }
    if (written != EWriteResult::Written) {
        dialogs.Message("Невозможно создать файл", "Ошибка");
        return false;
    }
    return true;
}

namespace {

std::optional<int> PortNumberOf(const std::string& text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

void MarkAttached(TDataStream& store, const std::string& linkPort, std::int16_t type,
                  const std::string& kind) {
    const std::optional<int> number = PortNumberOf(linkPort);
    if (!number) return;
    if (const TPortPtr port = FindPort(store, *number)) {
        port->Type = type;
        port->Kind = kind;
    }
}

// The port model is rebuilt by every load, and three tables keep part of themselves on the
// ports: the program numbers, and the marks of the lines that door phones and loudspeaker
// channels are attached to. An unticked table keeps what it held, so that part moves over to
// the new ports of the same numbers.
void KeepOnNewPorts(ETable t, const std::vector<TPortPtr>& oldPorts, TDataStream& store) {
    switch (t) {
        case ETable::ProgramNumbers:
            for (const TPortPtr& old : oldPorts) {
                if (!IsLinePort(*old) || old->AlData->AL_PrgNum.empty()) continue;
                if (const TPortPtr port = FindPort(store, old->Number))
                    port->AlData->AL_PrgNum = old->AlData->AL_PrgNum;
            }
            break;
        case ETable::DoorPhones: {
            const std::string kind = Utf8ToCp1251("Дф");
            const std::size_t n = std::min<std::size_t>(store.DoorPhoneCount, kMaxDoorPhones);
            for (std::size_t i = 0; i < n; ++i)
                MarkAttached(store, store.DoorPhones[i].LinkPort, kPortTypeAttachedDoorPhone, kind);
            break;
        }
        case ETable::Loudspeakers: {
            const std::string kind = Utf8ToCp1251("ГГС");
            const std::size_t n = std::min<std::size_t>(store.LoudspeakerCount, kMaxLoudspeakers);
            for (std::size_t i = 0; i < n; ++i)
                MarkAttached(store, store.Loudspeakers[i].LinkPort, kPortTypeAttachedLoudspeaker,
                             kind);
            break;
        }
        default: break;
    }
}

// Everything after the file has been read and checked: the model question, the header into the
// session and the store, the chosen tables.
bool LoadCheckedFile(TMainClass& session, TDataStream& store, TFileList& file,
                     const TTableTicks& ticks) {
    TUserDialogs& dialogs = session.Dialogs;
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
    // Only what the file brought is a change worth sending; a table it lacks is held blank but
    // goes to a station only when the user ticks it for the write and agrees.
    for (ETable t : kAllTables) {
        session.ChangeFlags[static_cast<std::size_t>(ChangeIndex(t))] =
            store.Selected(t) && file.Holds(t);
        if (store.Selected(t))
            session.LoadedBlank[static_cast<std::size_t>(SelectionIndex(t))] = !file.Holds(t);
    }
    session.Origin = EConfigOrigin::File;
    session.VerFlags = session.BuildVerFlags();

    DecodeStationStatus(session, store, false, false);
    DecodeTimeDefaults(session, store);
    DecodeComposition(session, store);
    const std::vector<TPortPtr> oldPorts = store.Ports;
    BuildPorts(store);
    for (ETable t : kLoadOrder) {
        const TTableCodec* codec = FindCodec(t);
        if (codec == nullptr || t == ETable::Flash) continue;
        if (store.Selected(t))
            codec->Decode(session, store);
        else
            KeepOnNewPorts(t, oldPorts, store);
    }
    store.BufferText.clear();
    session.DataPresent = true;
    return true;
}

bool ReportRead(TUserDialogs& dialogs, EReadResult result, const std::string& why) {
    if (result == EReadResult::CannotOpen) {
        dialogs.Message("Не смогли открыть файл.", "Ошибка");
        return false;
    }
    if (result == EReadResult::Refused) {
        dialogs.Message("Файл конфигурации не прочитан: " + why + ".", "Ошибка");
        return false;
    }
    return true;
}

}  // namespace

bool LoadConfiguration(TMainClass& session, TDataStream& store, TFileList& file,
                       const TTableTicks& ticks, const std::string& fileName) {
    TUserDialogs& dialogs = session.Dialogs;
    if (!AnyTicked(ticks)) {
        dialogs.Message("Не отмечено ни одной таблицы.", "");
        return false;
    }
    file.FileName = fileName;
    std::string why;
    if (!ReportRead(dialogs, file.ReadFile(dialogs, &why), why)) return false;
    if (!LoadCheckedFile(session, store, file, ticks)) return false;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(fileName, ec);
    session.OriginFile = ec ? fileName : full.lexically_normal().string();
    session.OriginFileSha256 = Sha256Hex(file.Bytes());
    return true;
}

bool LoadConfigurationBytes(TMainClass& session, TDataStream& store, TFileList& file,
                            const TTableTicks& ticks, std::span<const std::uint8_t> bytes) {
    TUserDialogs& dialogs = session.Dialogs;
    if (!AnyTicked(ticks)) {
        dialogs.Message("Не отмечено ни одной таблицы.", "");
        return false;
    }
    std::string why;
    if (!ReportRead(dialogs, file.ReadBytes(bytes, dialogs, &why), why)) return false;
    if (!LoadCheckedFile(session, store, file, ticks)) return false;
    session.OriginFile.clear();
    session.OriginFileSha256 = Sha256Hex(file.Bytes());
    return true;
}

std::vector<ETable> BlankTablesForWrite(const TMainClass& session, const TTableTicks& ticks) {
    std::vector<ETable> tables;
    for (ETable t : kAllTables) {
        const auto i = static_cast<std::size_t>(SelectionIndex(t));
        if (ticks[i] && session.LoadedBlank[i]) tables.push_back(t);
    }
    std::sort(tables.begin(), tables.end(),
              [](ETable a, ETable b) { return SelectionIndex(a) < SelectionIndex(b); });
    return tables;
}

std::string BlankTablesWarning(const std::vector<ETable>& tables) {
    if (tables.empty()) return "";
    std::string names;
    for (ETable t : tables) {
        const TTableCodec* codec = FindCodec(t);
        names += names.empty() ? "«" : ", «";
        names += codec != nullptr ? codec->Caption : std::to_string(SelectionIndex(t));
        names += "»";
    }
    return "В загруженном файле нет таблиц: " + names +
           ". Записанные в АТС, они будут пустыми: прежние настройки этих таблиц в АТС "
           "пропадут.";
}

std::string BlankTablesQuestion(const std::vector<ETable>& tables) {
    const std::string warning = BlankTablesWarning(tables);
    return warning.empty() ? warning : warning + " Записать их в АТС пустыми?";
}

std::array<std::string, 4> LoadedStatusLines(const TDataStream& store) {
    std::array<std::string, 4> lines = BareStatusLines();
    lines[0] += Cp1251ToUtf8(store.Model);
    lines[1] += Cp1251ToUtf8(store.VersionText);
    lines[2] += Cp1251ToUtf8(store.SerialText);
    return lines;
}

}  // namespace zarnik
