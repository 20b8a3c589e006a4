#include "flows/station_archive.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "codecs/table_codec.h"
#include "files/file_list.h"
#include "flows/config_snapshot.h"
#include "link/main_class.h"
#include "link/station_clock.h"
#include "platform/file_system.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The newest journal record is among the last lines; a record is a few hundred bytes.
constexpr std::size_t kJournalTail = 64 * 1024;
constexpr int kCacheFormat = 1;

std::size_t Word(const std::uint8_t* b) { return b[0] | (b[1] << 8); }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FileNameOnly(const std::string& path) { return fs::path(path).filename().string(); }

std::int64_t UnixOf(fs::file_time_type t) {
    // The file clock's epoch is the library's own; the distance to "now" carries over.
    const auto system = std::chrono::system_clock::now() +
                        std::chrono::duration_cast<std::chrono::system_clock::duration>(
                            t - fs::file_time_type::clock::now());
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

TArchiveFile NotGood(TArchiveFile file, std::string why) {
    file.Good = false;
    file.Why = std::move(why);
    return file;
}

// Russian plural of "таблица" after a number.
std::string TableCount(std::size_t n) {
    const std::size_t last = n % 10, lastTwo = n % 100;
    const char* word = "таблиц";
    if (last == 1 && lastTwo != 11) word = "таблица";
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) word = "таблицы";
    return std::to_string(n) + " " + word;
}

std::string CaptionsText(const std::vector<const char*>& captions) {
    if (captions.empty()) return "—";
    // A whole read names sixteen tables: a count says it better than a line of names.
    if (captions.size() > 4) return TableCount(captions.size());
    std::string text;
    for (const char* c : captions) text += (text.empty() ? "«" : ", «") + std::string(c) + "»";
    return text;
}

std::vector<const char*> CaptionsOfKeys(const std::vector<std::string>& keys) {
    std::vector<const char*> out;
    for (const std::string& key : keys) {
        const char* caption = nullptr;
        for (const TTableCodec* c : RegisteredCodecs())
            if (key == c->Key) caption = c->Caption;
        out.push_back(caption != nullptr ? caption : "?");
    }
    return out;
}

std::vector<const char*> CaptionsOfFileIds(const std::vector<int>& ids) {
    std::vector<const char*> out;
    for (const TTableCodec* c : RegisteredCodecs())
        if (std::find(ids.begin(), ids.end(), FileId(c->Table)) != ids.end())
            out.push_back(c->Caption);
    return out;
}

std::string NamedTables(const std::vector<std::string>& keys) {
    std::string text;
    for (const char* c : CaptionsOfKeys(keys)) text += (text.empty() ? "«" : ", «") + std::string(c) + "»";
    return text;
}

std::string ReadResultText(const TJournalEntry& e) {
    std::string text = e.Failed.empty() ? "считано" : "считано не всё; не считаны: " + NamedTables(e.Failed);
    if (!e.Backup.empty()) text += "; резервная копия " + e.Backup;
    return text;
}

std::string WriteResultText(const TJournalEntry& e) {
    std::string text;
    if (e.Result == kWriteResultWritten)
        text = "записано";
    else if (e.Result == kWriteResultCutOff)
        text = "прервано: обрыв связи";
    else if (e.Result == kWriteResultCancelled)
        text = "прервано пользователем";
    else
        text = "записано не всё";
    if (e.Result != kWriteResultWritten) {
        text += "; дошли до АТС " + std::to_string(e.Reached.size()) + " из " +
                std::to_string(e.Tables.size());
        if (!e.Failed.empty()) text += "; не записаны: " + NamedTables(e.Failed);
    }
    if (e.Verified == "yes") text += "; проверено чтением";
    if (e.Verified == "no") text += "; при проверке отличаются: " + NamedTables(e.VerifyDiffer);
    if (!e.Backup.empty()) text += "; копия перед записью " + e.Backup;
    return text;
}

TArchiveEvent EventOf(const TJournalEntry& e) {
    TArchiveEvent ev;
    ev.Unix = e.Unix;
    ev.Time = e.Time.empty() ? LocalTimeText(e.Unix) : e.Time;
    if (e.Kind == kJournalRead) {
        ev.Kind = EArchiveKind::Read;
        ev.Result = ReadResultText(e);
    } else if (e.Kind == kJournalWrite) {
        ev.Kind = EArchiveKind::Write;
        ev.Result = WriteResultText(e);
    } else {
        ev.Kind = EArchiveKind::Clock;
        ev.Result = "время АТС установлено: " + e.ClockSetTo;
    }
    ev.Tables = e.Kind == kJournalClock ? "—" : CaptionsText(CaptionsOfKeys(e.Tables));
    ev.Details = e.Program + " " + e.Version + ", пользователь " + (e.User.empty() ? "?" : e.User) +
                 ", порт " + e.Port;
    if (!e.SourceFile.empty() || !e.SourceSha256.empty())
        ev.Details += ", из файла " + (e.SourceFile.empty() ? "?" : e.SourceFile) +
                      " (SHA-256 " + e.SourceSha256 + ")";
    ev.Record = e;
    return ev;
}

TArchiveJournal ReadJournalTail(const std::string& path, std::uint64_t size) {
    TArchiveJournal j;
    j.Path = path;
    j.Size = size;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        j.Why = "журнал не читается";
        return j;
    }
    const std::uint64_t from = size > kJournalTail ? size - kJournalTail : 0;
    in.seekg(static_cast<std::streamoff>(from));
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    tail.resize(static_cast<std::size_t>(in.gcount()));
    // From the end: the newest whole record; a line cut by the start of the tail is no record.
    std::size_t end = tail.size();
    while (end > 0) {
        const std::size_t nl = tail.rfind('\n', end - 1);
        const std::size_t start = nl == std::string::npos ? 0 : nl + 1;
        if (start == 0 && from > 0) break;
        if (start < end) {
            if (const auto e = ParseJournalLine(tail.substr(start, end - start))) {
                j.Good = true;
                j.Serial = e->Serial;
                j.StationName = e->StationName;
                j.Model = e->Model;
                j.Version = e->StationVersion;
                j.LastUnix = e->Unix;
                return j;
            }
        }
        if (nl == std::string::npos) break;
        end = nl;
    }
    j.Why = "в журнале нет ни одной целой записи";
    return j;
}

std::string LowerCyrillic(const std::string& utf8) {
    std::string cp = Utf8ToCp1251(utf8);
    for (char& ch : cp) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z') ch = static_cast<char>(c + 32);
        else if (c >= 0xC0 && c <= 0xDF) ch = static_cast<char>(c + 32);
        else if (c == 0xA8) ch = static_cast<char>(0xB8);  // Ё
    }
    return cp;
}

unsigned long SerialOrder(const std::string& serial) {
    unsigned long n = 0;
    for (char c : serial) {
        if (c < '0' || c > '9') return ~0UL;
        n = n * 10 + static_cast<unsigned long>(c - '0');
    }
    return n;
}

}  // namespace

const char* ArchiveKindText(EArchiveKind kind) {
    switch (kind) {
        case EArchiveKind::Backup: return "Резервная копия";
        case EArchiveKind::File: return "Файл";
        case EArchiveKind::Read: return "Чтение";
        case EArchiveKind::Write: return "Запись";
        case EArchiveKind::Clock: return "Установка часов";
    }
    return "";
}

const char* ArchiveKindKey(EArchiveKind kind) {
    switch (kind) {
        case EArchiveKind::Backup: return "backup";
        case EArchiveKind::File: return "file";
        case EArchiveKind::Read: return "read";
        case EArchiveKind::Write: return "write";
        case EArchiveKind::Clock: return "clock";
    }
    return "";
}

TArchiveFile ReadArchiveFileHead(const std::string& path, std::uint64_t size) {
    TArchiveFile file;
    file.Path = path;
    file.Size = size;
    std::ifstream in(path, std::ios::binary);
    if (!in) return NotGood(file, "файл не читается");
    std::array<std::uint8_t, kFileHeaderSize> h{};
    in.read(reinterpret_cast<char*>(h.data()), static_cast<std::streamsize>(h.size()));
    if (static_cast<std::size_t>(in.gcount()) < h.size() || size < kFileHeaderSize)
        return NotGood(file, "файл обрезан: короче заголовка (200 байт)");
    const std::size_t n1 = Word(&h[21]);
    const std::size_t n2At = 23 + n1;
    const std::size_t n2 = n1 <= kStatusBlockSize ? Word(&h[n2At]) : 0;
    const std::size_t confAt = n2At + 2 + n2;
    if (h[0] != kFileIdLength || n1 > kStatusBlockSize || n2 > 100 || confAt + 7 > kFileHeaderSize ||
        Word(&h[confAt]) != 5)
        return NotGood(file, "не файл конфигурации АТС: заголовок не того вида");
    const std::uint8_t* id = &h[1];
    file.Model = ModelNameForDeviceCode(id[5]);
    if (file.Model.empty())
        return NotGood(file, "не файл конфигурации АТС: неизвестный код модели " + std::to_string(id[5]));
    file.Serial = SerialFromIdentification(id[14], id[15]);
    file.Version = VersionFromIdentification(id[6], id[7]);
    // The heads of the records: each must end inside the file and fit its table.
    for (std::uint64_t pos = kFileHeaderSize; pos < size;) {
        std::array<std::uint8_t, 3> head{};
        in.seekg(static_cast<std::streamoff>(pos));
        in.read(reinterpret_cast<char*>(head.data()), 3);
        if (in.gcount() != 3 || pos + 3 > size) return NotGood(file, "файл обрезан: запись таблицы не полная");
        const std::size_t length = Word(head.data());
        if (pos + 3 + length > size) return NotGood(file, "файл обрезан: запись таблицы не полная");
        for (ETable t : kAllTables) {
            if (FileId(t) != head[2]) continue;
            if (length > FileSlotCapacity(t))
                return NotGood(file, "не файл конфигурации АТС: запись таблицы длиннее допустимого");
            if (std::find(file.TableIds.begin(), file.TableIds.end(), head[2]) == file.TableIds.end())
                file.TableIds.push_back(head[2]);
        }
        pos += 3 + length;
    }
    std::sort(file.TableIds.begin(), file.TableIds.end());
    file.Good = true;
    return file;
}

std::optional<std::int64_t> BackupNameTime(const std::string& fileName) {
    const std::size_t underscore = fileName.find('_');
    if (underscore == std::string::npos || underscore == 0) return std::nullopt;
    const std::string stamp = fileName.substr(underscore + 1);
    static constexpr const char* kShape = "DDDD-DD-DD_DD-DD-DD";
    if (stamp.size() < 19 + 4) return std::nullopt;
    for (std::size_t i = 0; i < 19; ++i) {
        const char c = stamp[i];
        if (kShape[i] == 'D' ? (c < '0' || c > '9') : c != kShape[i]) return std::nullopt;
    }
    const auto num = [&](std::size_t at, std::size_t n) { return std::stoi(stamp.substr(at, n)); };
    std::tm t{};
    t.tm_year = num(0, 4) - 1900;
    t.tm_mon = num(5, 2) - 1;
    t.tm_mday = num(8, 2);
    t.tm_hour = num(11, 2);
    t.tm_min = num(14, 2);
    t.tm_sec = num(17, 2);
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    if (when == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<std::int64_t>(when);
}

std::string LocalTimeText(std::int64_t seconds) {
    const TStationDateTime t =
        LocalDateTime(std::chrono::system_clock::from_time_t(static_cast<std::time_t>(seconds)));
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    return text;
}

bool StationMatches(const TArchiveStation& station, const std::string& text) {
    if (text.empty()) return true;
    const std::string wanted = LowerCyrillic(text);
    return LowerCyrillic(station.Serial).find(wanted) != std::string::npos ||
           LowerCyrillic(station.Name).find(wanted) != std::string::npos;
}

std::string RestoreQuestion(const TArchiveStation& station, const TArchiveEvent& file) {
    const std::string name = station.Name.empty() ? "" : " (" + station.Name + ")";
    return "Записать в АТС " + station.Model + ", заводской номер " + station.Serial + name +
           ", конфигурацию от " + file.Time + " из файла " + FileNameOnly(file.Path) +
           "? Перед записью будет сохранена резервная копия нынешних таблиц АТС.";
}

std::optional<std::string> SerialOnLine(TMainClass& session, TDataStream& store) {
    const TConfigSnapshot before(session, store);
    std::optional<std::string> serial;
    try {
        if (session.CheckLink() > 0 && session.ReadIdentification(false)) {
            session.DecodeIdentification(true);
            serial = session.Identity.SerialNumber;
        }
    } catch (...) {
        before.Restore(session, store);
        throw;
    }
    before.Restore(session, store);
    return serial;
}

std::string OtherStationOnLineText(const std::string& wanted, const std::string& onLine) {
    return "К порту подключена АТС с заводским номером " + onLine +
           ", а файл снят с АТС с заводским номером " + wanted + ". В АТС ничего не записано.";
}

TStationArchive::TStationArchive(std::string baseDir) : Base(std::move(baseDir)) {}

const TArchiveStation* TStationArchive::Find(const std::string& serial) const {
    for (const TArchiveStation& s : StationList)
        if (s.Serial == serial) return &s;
    return nullptr;
}

void TStationArchive::Scan() {
    if (!CacheLoaded) LoadCache();
    Opened = 0;
    DamagedList.clear();
    std::map<std::string, TArchiveFile> files;
    std::map<std::string, TArchiveJournal> journals;
    const std::string dat = DatDirectoryPath(Base);
    const fs::path autoDir = fs::path(JoinPath(dat, "auto")).lexically_normal();
    std::error_code ec;
    fs::recursive_directory_iterator it(dat, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        std::error_code e;
        if (!entry.is_regular_file(e)) continue;
        const std::string path = entry.path().string();
        const std::string name = Lower(entry.path().filename().string());
        const bool inAuto = entry.path().parent_path().lexically_normal() == autoDir;
        const bool ats = EndsWith(name, ".ats");
        const bool journal = inAuto && EndsWith(name, kJournalExtension);
        if (inAuto && name == kArchiveCacheName) continue;
        if (!ats && !journal) {
            if (inAuto)
                DamagedList.push_back({path, "посторонний файл: не файл конфигурации и не журнал АТС"});
            continue;
        }
        const std::uint64_t size = entry.file_size(e);
        const fs::file_time_type time = e ? fs::file_time_type{} : entry.last_write_time(e);
        if (e) {
            DamagedList.push_back({path, "файл не читается"});
            continue;
        }
        const std::int64_t stamp = time.time_since_epoch().count();
        if (ats) {
            const auto cached = FileHeads.find(path);
            if (cached != FileHeads.end() && cached->second.Size == size && cached->second.Stamp == stamp) {
                files.emplace(path, cached->second);
                continue;
            }
            ++Opened;
            TArchiveFile head = ReadArchiveFileHead(path, size);
            head.Stamp = stamp;
            head.Backup = inAuto;
            const auto named = inAuto ? BackupNameTime(entry.path().filename().string()) : std::nullopt;
            head.Unix = named ? *named : UnixOf(time);
            files.emplace(path, std::move(head));
        } else {
            const auto cached = JournalHeads.find(path);
            if (cached != JournalHeads.end() && cached->second.Size == size &&
                cached->second.Stamp == stamp) {
                journals.emplace(path, cached->second);
                continue;
            }
            ++Opened;
            if (size == 0) continue;  // created, nothing written yet
            TArchiveJournal head = ReadJournalTail(path, size);
            head.Stamp = stamp;
            journals.emplace(path, std::move(head));
        }
    }
    if (ec && DirectoryExists(dat))
        DamagedList.push_back({dat, "каталог просмотрен не весь: " + ec.message()});
    CacheChanged = CacheChanged || Opened > 0 || files.size() != FileHeads.size() ||
                   journals.size() != JournalHeads.size();
    FileHeads = std::move(files);
    JournalHeads = std::move(journals);
    Gather();
    if (CacheChanged) SaveCache();
    CacheChanged = false;
}

void TStationArchive::Gather() {
    std::map<std::string, TArchiveStation> by;
    std::map<std::string, std::int64_t> describedAt;  // time of the source model and version came from
    const auto describe = [&](TArchiveStation& s, std::int64_t when, const std::string& model,
                              const std::string& version) {
        auto [it, fresh] = describedAt.try_emplace(s.Serial, when);
        if (!fresh && when < it->second) return;
        it->second = when;
        s.Model = model;
        s.Version = version;
    };
    for (const auto& [path, f] : FileHeads) {
        if (!f.Good) {
            DamagedList.push_back({path, f.Why});
            continue;
        }
        TArchiveStation& s = by[f.Serial];
        s.Serial = f.Serial;
        describe(s, f.Unix, f.Model, f.Version);
        if (f.Backup) {
            ++s.Backups;
            s.LastContact = std::max(s.LastContact, f.Unix);
        } else {
            ++s.Files;
        }
    }
    for (const auto& [path, j] : JournalHeads) {
        if (!j.Good) {
            DamagedList.push_back({path, j.Why});
            continue;
        }
        TArchiveStation& s = by[j.Serial];
        s.Serial = j.Serial;
        s.Journal = true;
        if (!j.StationName.empty()) s.Name = j.StationName;
        describe(s, j.LastUnix, j.Model, j.Version);
        s.LastContact = std::max(s.LastContact, j.LastUnix);
    }
    StationList.clear();
    for (auto& [serial, s] : by) StationList.push_back(std::move(s));
    std::sort(StationList.begin(), StationList.end(), [](const auto& a, const auto& b) {
        const auto x = SerialOrder(a.Serial), y = SerialOrder(b.Serial);
        return x != y ? x < y : a.Serial < b.Serial;
    });
    std::sort(DamagedList.begin(), DamagedList.end(),
              [](const auto& a, const auto& b) { return a.Path < b.Path; });
}

std::vector<TArchiveEvent> TStationArchive::Timeline(const std::string& serial,
                                                     std::vector<std::string>* warnings) const {
    std::vector<TArchiveEvent> events;
    for (const auto& [path, j] : JournalHeads) {
        if (!j.Good || j.Serial != serial) continue;
        const TJournalContent content = ReadJournal(path);
        if (warnings != nullptr && !content.Damaged.empty()) {
            std::string lines;
            for (std::size_t i = 0; i < content.Damaged.size() && i < 10; ++i)
                lines += (i == 0 ? "" : ", ") + std::to_string(content.Damaged[i]);
            if (content.Damaged.size() > 10) lines += " и еще " + std::to_string(content.Damaged.size() - 10);
            warnings->push_back("Журнал " + FileNameOnly(path) + ": повреждены и пропущены строки " +
                                lines + ".");
        }
        // Newest first among records of one second too.
        for (auto e = content.Entries.rbegin(); e != content.Entries.rend(); ++e)
            if (e->Serial == serial) events.push_back(EventOf(*e));
    }
    // Backups of one second are numbered "_2", "_3"...: in reverse name order the later first.
    for (auto it = FileHeads.rbegin(); it != FileHeads.rend(); ++it) {
        const auto& [path, f] = *it;
        if (!f.Good || f.Serial != serial) continue;
        TArchiveEvent ev;
        ev.Kind = f.Backup ? EArchiveKind::Backup : EArchiveKind::File;
        ev.Unix = f.Unix;
        ev.Time = LocalTimeText(f.Unix);
        ev.Tables = CaptionsText(CaptionsOfFileIds(f.TableIds));
        ev.Result = FileNameOnly(path);
        ev.Path = path;
        ev.Details = f.Model + ", версия " + f.Version + ", " + path;
        ev.TableIds = f.TableIds;
        events.push_back(std::move(ev));
    }
    // A record and the backup it names fall in one second: the record, written after, first.
    std::stable_sort(events.begin(), events.end(),
                     [](const TArchiveEvent& a, const TArchiveEvent& b) { return a.Unix > b.Unix; });
    return events;
}

// --- the cache --------------------------------------------------------------------------

void TStationArchive::LoadCache() {
    CacheLoaded = true;
    const std::optional<std::string> text =
        ReadWholeFile(JoinPath(AutoBackupDirectory(Base), kArchiveCacheName));
    if (!text) return;
    // A damaged cache is only a slower listing.
    const json root = json::parse(*text, nullptr, false);
    if (root.is_discarded() || !root.is_object() || root.value("format", 0) != kCacheFormat) return;
    try {
        for (const auto& [path, v] : root.at("files").items()) {
            TArchiveFile f;
            f.Path = path;
            f.Size = v.at("size").get<std::uint64_t>();
            f.Stamp = v.at("stamp").get<std::int64_t>();
            f.Good = v.at("good").get<bool>();
            f.Why = v.at("why").get<std::string>();
            f.Serial = v.at("serial").get<std::string>();
            f.Model = v.at("model").get<std::string>();
            f.Version = v.at("version").get<std::string>();
            f.Unix = v.at("unix").get<std::int64_t>();
            f.TableIds = v.at("tables").get<std::vector<int>>();
            f.Backup = v.at("backup").get<bool>();
            FileHeads.emplace(path, std::move(f));
        }
        for (const auto& [path, v] : root.at("journals").items()) {
            TArchiveJournal j;
            j.Path = path;
            j.Size = v.at("size").get<std::uint64_t>();
            j.Stamp = v.at("stamp").get<std::int64_t>();
            j.Good = v.at("good").get<bool>();
            j.Why = v.at("why").get<std::string>();
            j.Serial = v.at("serial").get<std::string>();
            j.StationName = v.at("name").get<std::string>();
            j.Model = v.at("model").get<std::string>();
            j.Version = v.at("version").get<std::string>();
            j.LastUnix = v.at("last").get<std::int64_t>();
            JournalHeads.emplace(path, std::move(j));
        }
    } catch (const json::exception&) {
        FileHeads.clear();
        JournalHeads.clear();
    }
}

void TStationArchive::SaveCache() const {
    const std::string dir = AutoBackupDirectory(Base);
    if (!DirectoryExists(dir)) return;
    json files = json::object();
    for (const auto& [path, f] : FileHeads)
        files[path] = {{"size", f.Size},       {"stamp", f.Stamp},     {"good", f.Good},
                       {"why", f.Why},         {"serial", f.Serial},   {"model", f.Model},
                       {"version", f.Version}, {"unix", f.Unix},       {"tables", f.TableIds},
                       {"backup", f.Backup}};
    json journals = json::object();
    for (const auto& [path, j] : JournalHeads)
        journals[path] = {{"size", j.Size},       {"stamp", j.Stamp}, {"good", j.Good},
                          {"why", j.Why},         {"serial", j.Serial}, {"name", j.StationName},
                          {"model", j.Model},     {"version", j.Version}, {"last", j.LastUnix}};
    const json root{{"format", kCacheFormat}, {"files", std::move(files)}, {"journals", std::move(journals)}};
    // Not being able to keep the cache costs time, never the listing.
    WriteFileAtomically(JoinPath(dir, kArchiveCacheName),
                        root.dump(-1, ' ', false, json::error_handler_t::replace));
}

}  // namespace zarnik
