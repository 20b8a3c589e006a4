#include "files/file_list.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "codecs/table_codec.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/file_system.h"

namespace zarnik {

namespace {

void PutWord(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::size_t GetWord(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (std::size_t{b[at + 1]} << 8);
}

std::string TableName(ETable t) {
    const TTableCodec* codec = FindCodec(t);
    return codec != nullptr ? codec->Caption : std::to_string(FileId(t));
}

}  // namespace

std::size_t FileSlotCapacity(ETable t) {
    switch (t) {
        case ETable::StaButtons: return 65535;
        case ETable::SystemSettings: return 100;
        case ETable::TimeSettings: return 128;
        case ETable::DoorPhones:
        case ETable::Loudspeakers: return 128;
        case ETable::GlobalPhoneBook: return 1000;
        case ETable::Flash: return 255;
        case ETable::ProgramNumbers:
        case ETable::Redirections: return 500;
        case ETable::QuickConferences:
        case ETable::RoutingTables:
        case ETable::Groups: return 3000;
        case ETable::SubscriberLines:
        case ETable::TrunkLines: return 65535;  // a record's length is 16 bits
        case ETable::GroupPhoneBooks: return 10000;
        case ETable::BlackWhiteLists: return 1000;
    }
    return 0;
}

TFileList::TFileList() { Records.reserve(64); }

EOpenState TFileList::OpenForWrite(TUserDialogs& dialogs) const {
    if (!FileExists(FileName)) {
        const std::filesystem::path dir = std::filesystem::path(FileName).parent_path();
        if (!dir.empty() && !DirectoryExists(dir.string())) return EOpenState::CannotCreate;
        return EOpenState::Created;
    }
    return dialogs.Question("Файл уже существует, перезаписать его?", "Предупреждение") ==
                   TAnswer::Ok
               ? EOpenState::OverwriteConfirmed
               : EOpenState::OverwriteDeclined;
}

void TFileList::CopyHeaderToFile(const TMainClass& session) {
    IdBytes = session.IdBuffer;
    IdLength = kFileIdLength;
    TimeDefaults.fill(0);
    TimeDefaultsLength = std::min<std::uint16_t>(session.TimeDefaultsLength, kStatusBlockSize);
    std::copy_n(session.TimeDefaultsRaw.begin(), TimeDefaultsLength, TimeDefaults.begin());
    Composition.fill(0);
    CompositionLength = std::min<std::uint16_t>(session.HwListLength, Composition.size());
    std::copy_n(session.HwList.begin(), CompositionLength, Composition.begin());
    ConferenceParams = session.ConferenceParams;
}

bool TFileList::CopyToFile(const TMainClass& session, ETable t, std::string* error) {
    const TTableCodec* codec = FindCodec(t);
    if (codec == nullptr) return true;
    std::vector<std::uint8_t> packed = codec->Pack(session);
    if (packed.size() > FileSlotCapacity(t)) {
        if (error) *error = "таблица \"" + TableName(t) + "\" не помещается в файл";
        return false;
    }
    Slots[static_cast<std::size_t>(SelectionIndex(t))].Bytes = std::move(packed);
    return true;
}

std::vector<std::uint8_t> TFileList::Serialise(const std::array<bool, kTableCount>& selected) {
    Records.clear();
    for (ETable t : kAllTables) {
        if (!selected[static_cast<std::size_t>(SelectionIndex(t))] || FindCodec(t) == nullptr)
            continue;
        const auto& bytes = Slots[static_cast<std::size_t>(SelectionIndex(t))].Bytes;
        Records.push_back({static_cast<std::uint8_t>(FileId(t)), bytes});
    }
    std::sort(Records.begin(), Records.end(),
              [](const TFileRecord& a, const TFileRecord& b) { return a.Id < b.Id; });
    std::vector<std::uint8_t> out;
    out.push_back(static_cast<std::uint8_t>(kFileIdLength));
    out.insert(out.end(), IdBytes.begin(), IdBytes.begin() + kFileIdLength);
    PutWord(out, TimeDefaultsLength);
    out.insert(out.end(), TimeDefaults.begin(), TimeDefaults.begin() + TimeDefaultsLength);
    PutWord(out, CompositionLength);
    out.insert(out.end(), Composition.begin(), Composition.begin() + CompositionLength);
    PutWord(out, ConferenceParams.size());
    out.insert(out.end(), ConferenceParams.begin(), ConferenceParams.end());
    out.resize(std::max(out.size(), kFileHeaderSize), 0);
    for (const TFileRecord& r : Records) {
        PutWord(out, r.Data.size());
        out.push_back(r.Id);
        out.insert(out.end(), r.Data.begin(), r.Data.end());
    }
    return out;
}

EWriteResult TFileList::WriteConfiguration(const TDataStream& store,
                                           const std::string& backupPath, std::string* error) {
    auto fail = [error](EWriteResult result, const std::string& why) {
        if (error) *error = why;
        return result;
    };
    const std::vector<std::uint8_t> bytes = Serialise(store.TransferFlags);
    // The new file is complete on the disk before anything under the chosen name or the
    // backup's name changes, and the rename that puts it in place replaces the old file whole.
    // It takes the permissions of the file it replaces.
    std::string why;
    const std::optional<std::string> tmp = WriteTemporaryBeside(
        FileName, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        &why);
    if (!tmp) return fail(EWriteResult::CannotCreate, why);
    std::error_code ec;
    if (!backupPath.empty() && FileExists(FileName)) {
        // A copy rather than a move: the chosen name never stands empty, and the backup may live
        // on another file system than the configuration files.
        const std::optional<std::string> old = ReadWholeFile(FileName);
        if (!old || !WriteFileAtomically(backupPath, *old, &why)) {
            std::filesystem::remove(*tmp, ec);
            return fail(EWriteResult::NoBackup, !old ? "не удалось прочитать прежний файл" : why);
        }
    }
    if (!CommitTemporary(*tmp, FileName, &why))
        return fail(EWriteResult::CannotCreate, "не удалось переименовать файл: " + why);
    return EWriteResult::Written;
}

EReadResult TFileList::ReadFile(TUserDialogs& dialogs, std::string* error) {
    const std::optional<std::string> content = ReadWholeFile(FileName);
    if (!content) {
        if (error) *error = "не смогли открыть файл";
        return EReadResult::CannotOpen;
    }
    return ReadBytes(std::span(reinterpret_cast<const std::uint8_t*>(content->data()),
                               content->size()),
                     dialogs, error);
}

EReadResult TFileList::ReadBytes(std::span<const std::uint8_t> bytes, TUserDialogs& dialogs,
                                 std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return EReadResult::Refused;
    };
    const std::span<const std::uint8_t> b(bytes);
    if (b.size() < kFileHeaderSize) return fail("файл короче заголовка (200 байт)");
    if (b[0] != kFileIdLength) return fail("неверная длина статуса АТС в заголовке");
    const std::size_t n1 = GetWord(b, 21);
    if (n1 > kStatusBlockSize) return fail("слишком длинная таблица умолчаний временных установок");
    const std::size_t n2At = 23 + n1;
    const std::size_t n2 = GetWord(b, n2At);
    if (n2 > Composition.size()) return fail("слишком длинная таблица состава АТС");
    const std::size_t confAt = n2At + 2 + n2;
    if (confAt + 2 + 5 > kFileHeaderSize || GetWord(b, confAt) != 5)
        return fail("неверная длина параметров конференций в заголовке");
    // Every record must lie inside the file and fit its table.
    std::array<bool, kTableCount> held{};
    for (std::size_t pos = kFileHeaderSize; pos < b.size();) {
        if (pos + 3 > b.size()) return fail("запись таблицы обрезана концом файла");
        const std::size_t length = GetWord(b, pos);
        const std::uint8_t id = b[pos + 2];
        if (pos + 3 + length > b.size()) return fail("запись таблицы обрезана концом файла");
        for (ETable t : kAllTables) {
            if (FileId(t) != id) continue;
            if (length > FileSlotCapacity(t))
                return fail("запись таблицы \"" + TableName(t) + "\" длиннее допустимого");
            held[static_cast<std::size_t>(SelectionIndex(t))] = true;
        }
        pos += 3 + length;
    }
    const std::string model = ModelNameForDeviceCode(b[1 + 5]);
    if (model.empty()) FatalMessage(dialogs, "Ошибка чтения кода устройства", "", 1);
    IdBytes.fill(0);
    std::copy_n(b.begin() + 1, kFileIdLength, IdBytes.begin());
    IdLength = kFileIdLength;
    ModelName = model;
    Held = held;
    DoorPhoneCount = IdBytes[16];
    RoutingTableCount = IdBytes[17] == 0 ? 48 : IdBytes[17];
    TimeDefaults.fill(0);
    TimeDefaultsLength = static_cast<std::uint16_t>(n1);
    std::copy_n(b.begin() + 23, n1, TimeDefaults.begin());
    Composition.fill(0);
    CompositionLength = static_cast<std::uint16_t>(n2);
    std::copy_n(b.begin() + static_cast<long>(n2At) + 2, n2, Composition.begin());
    std::copy_n(b.begin() + static_cast<long>(confAt) + 2, 5, ConferenceParams.begin());
    FileBytes.assign(b.begin(), b.end());
    return EReadResult::Read;
}

void TFileList::ReadTables(const TDataStream& store) {
    Records.clear();
    const std::span<const std::uint8_t> b(FileBytes);
    for (ETable t : kAllTables) {
        if (!store.Selected(t)) continue;
        TFileSlot& slot = Slots[static_cast<std::size_t>(SelectionIndex(t))];
        slot.Bytes.clear();  // a table without a record loads as an empty image
        for (std::size_t pos = kFileHeaderSize; pos + 3 <= b.size();) {
            const std::size_t length = GetWord(b, pos);
            if (pos + 3 + length > b.size()) break;
            if (b[pos + 2] == FileId(t))  // the later of two records counts
                slot.Bytes.assign(b.begin() + pos + 3, b.begin() + pos + 3 + length);
            pos += 3 + length;
        }
        Records.push_back({static_cast<std::uint8_t>(FileId(t)), slot.Bytes});
    }
}

void TFileList::CopyHeaderFromFile(TMainClass& session) const {
    session.IdBuffer.fill(0);
    std::copy_n(IdBytes.begin(), kFileIdLength, session.IdBuffer.begin());
    session.IdRawLength = kFileIdLength;
    session.DecodeIdentification(false);
    // The identification in a file has its station name taken out; the loaded station goes by
    // its model, never by the name of a station read earlier.
    session.Identity.StationName = session.Identity.ModelName;
    session.TimeDefaultsRaw.fill(0);
    std::copy_n(TimeDefaults.begin(), TimeDefaultsLength, session.TimeDefaultsRaw.begin());
    session.TimeDefaultsLength = TimeDefaultsLength;
    session.HwList.fill(0);
    std::copy_n(Composition.begin(), CompositionLength, session.HwList.begin());
    session.HwListLength = CompositionLength;
    session.ConferenceParams = ConferenceParams;
}

}  // namespace zarnik
