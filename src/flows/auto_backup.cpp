#include "flows/auto_backup.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "files/file_list.h"
#include "flows/config_snapshot.h"
#include "flows/read_write_all.h"
#include "platform/file_system.h"
#include "platform/local_time.h"

namespace zarnik {

namespace {

constexpr const char* kExtension = ".ats";
// "2026-12-09_14-03-22"
constexpr std::size_t kStampLength = 19;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The stamp and the same-second number of a backup name of `serial`; nullopt for any other file.
std::optional<std::pair<std::string, int>> BackupKey(const std::string& name,
                                                     const std::string& serial) {
    const std::string prefix = serial + "_";
    const std::string ext = kExtension;
    if (name.size() < prefix.size() + kStampLength + ext.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
        return std::nullopt;
    const std::string stamp = name.substr(prefix.size(), kStampLength);
    static constexpr const char* kShape = "DDDD-DD-DD_DD-DD-DD";
    for (std::size_t i = 0; i < kStampLength; ++i)
        if (kShape[i] == 'D' ? !IsDigit(stamp[i]) : stamp[i] != kShape[i]) return std::nullopt;
    const std::string rest = name.substr(prefix.size() + kStampLength,
                                         name.size() - ext.size() - prefix.size() - kStampLength);
    if (rest.empty()) return std::make_pair(stamp, 1);
    if (rest.size() < 2 || rest.size() > 6 || rest[0] != '_' ||
        !std::all_of(rest.begin() + 1, rest.end(), IsDigit))
        return std::nullopt;
    return std::make_pair(stamp, std::stoi(rest.substr(1)));
}

std::string StationKey(const TIdentity& station) {
    return station.ModelName + "/" + station.SerialNumber;
}

// Keeps the station-clock question out of a read that only takes a backup.
class TQuietClock {
  public:
    explicit TQuietClock(TMainClass& session)
        : Session(session), Saved(std::move(session.ClockDiffers)) {
        session.ClockDiffers = [](TMainClass&, double) {};
    }
    ~TQuietClock() { Session.ClockDiffers = std::move(Saved); }
    TQuietClock(const TQuietClock&) = delete;
    TQuietClock& operator=(const TQuietClock&) = delete;

  private:
    TMainClass& Session;
    std::function<void(TMainClass&, double)> Saved;
};

TBackupOutcome Failed(std::string why) {
    TBackupOutcome out;
    out.Kind = TBackupOutcome::EKind::Failed;
    out.Why = std::move(why);
    return out;
}

TBackupOutcome SavedAt(std::string path) {
    TBackupOutcome out;
    out.Kind = TBackupOutcome::EKind::Saved;
    out.Path = std::move(path);
    return out;
}

// The tables of `wanted` that the identified station has.
TTableTicks Covered(const TMainClass& session, const TTableTicks& wanted) {
    TTableTicks covered{};
    for (ETable t : kAllTables) {
        const auto i = static_cast<std::size_t>(SelectionIndex(t));
        covered[i] = wanted[i] && ReadAllCovers(session, t);
    }
    return covered;
}

bool Any(const TTableTicks& ticks) {
    return std::find(ticks.begin(), ticks.end(), true) != ticks.end();
}

TBackupOutcome ReadAndSave(TMainClass& session, TDataStream& store, TBackupRecord& record) {
    const TTableTicks wanted = store.TransferFlags;
    if (!session.ReadIdentification(false)) return Failed("АТС не ответила на запрос идентификации");
    session.DecodeIdentification(true);
    session.VerFlags = session.BuildVerFlags();
    const TTableTicks missing = record.Missing(session.Identity, wanted);
    if (!Any(missing)) return {};
    if (session.Identity.UnitCount != 1)
        return Failed("таблицы АТС из нескольких блоков не считываются");
    store.TransferFlags = missing;
    TCountingProgress progress;
    std::vector<ETable> failed;
    const int result = ReadAll(session, progress, store, &failed);
    if (result == -1) return Failed("нет связи с АТС");
    if (result < 0) return Failed("версия рабочей программы АТС не поддерживается");
    if (!failed.empty()) return Failed("не считаны таблицы " + TableCaptions(failed));
    const TTableTicks covered = Covered(session, missing);
    if (Any(covered)) {
        std::string why;
        const auto path = SaveAutoBackup(session, store, covered, &why);
        if (!path) return Failed("файл не записан (" + why + ")");
        record.Note(session.Identity, missing, *path);
        return SavedAt(*path);
    }
    record.Note(session.Identity, missing);
    return {};
}

}  // namespace

std::string AutoBackupDirectory(const std::string& baseDir) {
    return JoinPath(DatDirectoryPath(baseDir), "auto");
}

std::string AutoBackupName(const std::string& serial, std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    const std::tm local = LocalTime(t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return serial + "_" + stamp + kExtension;
}

std::vector<std::string> AutoBackupsOf(const std::string& dir, const std::string& serial) {
    std::vector<std::pair<std::pair<std::string, int>, std::string>> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        if (const auto key = BackupKey(name, serial)) found.emplace_back(*key, entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& f : found) paths.push_back(std::move(f.second));
    return paths;
}

void PruneAutoBackups(const std::string& dir, const std::string& serial, std::size_t kept) {
    const std::vector<std::string> all = AutoBackupsOf(dir, serial);
    if (all.size() <= kept) return;
    std::error_code ec;
    for (std::size_t i = 0; i + kept < all.size(); ++i) std::filesystem::remove(all[i], ec);
}

std::optional<std::string> SaveAutoBackup(const TMainClass& session, TDataStream& store,
                                          const TTableTicks& tables, std::string* why) {
    auto fail = [why](const std::string& text) -> std::optional<std::string> {
        if (why != nullptr) *why = text;
        return std::nullopt;
    };
    const std::optional<std::string> dat = EnsureDatDirectory(session.BaseDir);
    if (!dat) return fail("нет каталога dat");
    const std::string dir = JoinPath(*dat, "auto");
    if (!MakeDirectory(dir)) return fail("не удалось создать каталог " + dir);
    const std::string serial = session.Identity.SerialNumber;
    const std::string name = AutoBackupName(serial, session.Now());
    std::string path = JoinPath(dir, name);
    for (int n = 2; PathExists(path); ++n) {
        if (n > 999) return fail("все имена файла этой секунды заняты");
        path = JoinPath(dir, name.substr(0, name.size() - 4) + "_" + std::to_string(n) + kExtension);
    }
    TFileList file;
    file.FileName = path;
    file.CopyHeaderToFile(session);
    std::string error;
    for (ETable t : kAllTables) {
        if (!tables[static_cast<std::size_t>(SelectionIndex(t))]) continue;
        if (!file.CopyToFile(session, t, &error)) return fail(error);
    }
    const TTableTicks selection = store.TransferFlags;
    store.TransferFlags = tables;
    const EWriteResult written = file.WriteConfiguration(store, "", &error);
    store.TransferFlags = selection;
    if (written != EWriteResult::Written) return fail(error.empty() ? "ошибка записи" : error);
    PruneAutoBackups(dir, serial);
    return path;
}

void TBackupRecord::Note(const TIdentity& station, const TTableTicks& tables,
                         const std::string& path) {
    if (!path.empty()) Paths[StationKey(station)] = path;
    TTableTicks& saved = Saved[StationKey(station)];
    for (std::size_t i = 0; i < saved.size(); ++i) saved[i] = saved[i] || tables[i];
}

std::string TBackupRecord::LastBackup(const TIdentity& station) const {
    const auto it = Paths.find(StationKey(station));
    return it == Paths.end() ? "" : it->second;
}

TTableTicks TBackupRecord::Missing(const TIdentity& station, const TTableTicks& wanted) const {
    const auto it = Saved.find(StationKey(station));
    if (it == Saved.end()) return wanted;
    TTableTicks missing{};
    for (std::size_t i = 0; i < missing.size(); ++i) missing[i] = wanted[i] && !it->second[i];
    return missing;
}

TBackupOutcome BackUpAfterRead(const TMainClass& session, TDataStream& store,
                               TBackupRecord& record, const std::vector<ETable>& failed) {
    if (!failed.empty() || session.Identity.UnitCount != 1) return {};
    TTableTicks all{};
    all.fill(true);
    const TTableTicks covered = Covered(session, all);
    for (ETable t : kAllTables)
        if (covered[static_cast<std::size_t>(SelectionIndex(t))] && !store.Selected(t)) return {};
    std::string why;
    const auto path = SaveAutoBackup(session, store, covered, &why);
    if (!path) return Failed("файл не записан (" + why + ")");
    record.Note(session.Identity, all, *path);
    return SavedAt(*path);
}

TBackupOutcome BackUpBeforeWrite(TMainClass& session, TDataStream& store, TBackupRecord& record) {
    const TConfigSnapshot before(session, store);
    const TTableTicks selection = store.TransferFlags;
    const TQuietClock quiet(session);
    TBackupOutcome out;
    try {
        out = ReadAndSave(session, store, record);
    } catch (const TExitProgram&) {
        // An unknown device code or a status table that did not come: its message was shown.
        out = Failed("чтение АТС прервано");
    } catch (...) {
        before.Restore(session, store);
        store.TransferFlags = selection;
        throw;
    }
    before.Restore(session, store);
    store.TransferFlags = selection;
    return out;
}

std::string BackupFailedQuestion(const TBackupOutcome& outcome) {
    return "Резервная копия таблиц АТС перед записью не сохранена: " + outcome.Why +
           ". Записать в АТС без резервной копии?";
}

}  // namespace zarnik
