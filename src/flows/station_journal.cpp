#include "flows/station_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "codecs/table_codec.h"
#include "flows/read_write_all.h"
#include "link/station_clock.h"
#include "platform/account_name.h"
#include "platform/durable_append.h"
#include "platform/file_system.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

using nlohmann::json;

std::string DateTimeText(const TStationDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    return text;
}

// Only non-empty fields are written: a read stays one short line.
void PutText(nlohmann::ordered_json& j, const char* key, const std::string& value) {
    if (!value.empty()) j[key] = value;
}

void PutList(nlohmann::ordered_json& j, const char* key, const std::vector<std::string>& value) {
    if (!value.empty()) j[key] = value;
}

std::string TextOf(const json& j, const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::vector<std::string> ListOf(const json& j, const char* key) {
    std::vector<std::string> out;
    const auto it = j.find(key);
    if (it == j.end() || !it->is_array()) return out;
    for (const json& v : *it)
        if (v.is_string()) out.push_back(v.get<std::string>());
    return out;
}

bool AnyJournal(const TMainClass& session) { return !session.JournalProgram.empty(); }

void Append(const TMainClass& session, const TJournalEntry& entry) {
    std::string why;
    if (!AppendJournal(session.BaseDir, entry, &why))
        session.Dialogs.Message("Запись в журнал АТС не сделана: " + why + ".", "Предупреждение");
}

std::string FileNameOnly(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file's last byte is not the end of a line.
bool EndsCutShort(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || in.tellg() <= 0) return false;
    in.seekg(-1, std::ios::end);
    return in.get() != '\n';
}

}  // namespace

std::string JournalLine(const TJournalEntry& e) {
    // The time and kind first: a person reading the file finds them at the start of the line.
    nlohmann::ordered_json j;
    j["time"] = e.Time;
    j["kind"] = e.Kind;
    j["unix"] = e.Unix;
    j["program"] = e.Program;
    j["version"] = e.Version;
    j["user"] = e.User;
    j["port"] = e.Port;
    j["serial"] = e.Serial;
    j["model"] = e.Model;
    j["station_version"] = e.StationVersion;
    PutText(j, "station_name", e.StationName);
    PutList(j, "tables", e.Tables);
    PutList(j, "reached", e.Reached);
    PutList(j, "failed", e.Failed);
    j["result"] = e.Result;
    PutText(j, "verified", e.Verified);
    PutList(j, "verify_differ", e.VerifyDiffer);
    PutText(j, "backup", e.Backup);
    PutText(j, "source_file", e.SourceFile);
    PutText(j, "source_sha256", e.SourceSha256);
    PutText(j, "clock_set_to", e.ClockSetTo);
    // A name that is not valid UTF-8 must not cost the record.
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::optional<TJournalEntry> ParseJournalLine(const std::string& line) {
    const json j = json::parse(line, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return std::nullopt;
    TJournalEntry e;
    e.Kind = TextOf(j, "kind");
    e.Serial = TextOf(j, "serial");
    const auto seconds = j.find("unix");
    if (e.Kind.empty() || e.Serial.empty() || seconds == j.end() || !seconds->is_number_integer())
        return std::nullopt;
    e.Unix = seconds->get<std::int64_t>();
    e.Time = TextOf(j, "time");
    e.Program = TextOf(j, "program");
    e.Version = TextOf(j, "version");
    e.User = TextOf(j, "user");
    e.Port = TextOf(j, "port");
    e.Model = TextOf(j, "model");
    e.StationVersion = TextOf(j, "station_version");
    e.StationName = TextOf(j, "station_name");
    e.Tables = ListOf(j, "tables");
    e.Reached = ListOf(j, "reached");
    e.Failed = ListOf(j, "failed");
    e.Result = TextOf(j, "result");
    e.Verified = TextOf(j, "verified");
    e.VerifyDiffer = ListOf(j, "verify_differ");
    e.Backup = TextOf(j, "backup");
    e.SourceFile = TextOf(j, "source_file");
    e.SourceSha256 = TextOf(j, "source_sha256");
    e.ClockSetTo = TextOf(j, "clock_set_to");
    return e;
}

TJournalContent ReadJournal(const std::string& path) {
    TJournalContent content;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        if (auto entry = ParseJournalLine(line))
            content.Entries.push_back(std::move(*entry));
        else
            content.Damaged.push_back(number);
    }
    return content;
}

std::string JournalPath(const std::string& baseDir, const std::string& serial) {
    return JoinPath(AutoBackupDirectory(baseDir), serial + kJournalExtension);
}

bool AppendJournal(const std::string& baseDir, const TJournalEntry& entry, std::string* why) {
    const std::optional<std::string> dat = EnsureDatDirectory(baseDir);
    if (!dat) {
        if (why != nullptr) *why = "нет каталога dat";
        return false;
    }
    const std::string dir = JoinPath(*dat, "auto");
    if (!MakeDirectory(dir)) {
        if (why != nullptr) *why = "не удалось создать каталог " + dir;
        return false;
    }
    const std::string path = JoinPath(dir, entry.Serial + kJournalExtension);
    // A line cut short by a crash must not swallow the next record: it is ended first.
    return AppendDurably(path, (EndsCutShort(path) ? "\n" : "") + JournalLine(entry), why);
}

std::string ComputerUserName() {
    for (const char* name : {"USER", "USERNAME"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
    // Started without a login shell's environment (a service, a desktop launcher of some kind):
    // the account itself.
    return AccountName();
}

TJournalEntry NewJournalEntry(const TMainClass& session, const std::string& kind) {
    TJournalEntry e;
    e.Kind = kind;
    const auto now = session.Now();
    e.Time = DateTimeText(LocalDateTime(now));
    e.Unix = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    e.Program = session.JournalProgram;
    e.Version = kJournalProgramVersion;
    e.User = ComputerUserName();
    e.Port = session.PortName;
    const TIdentity& id = session.Identity;
    e.Serial = id.SerialNumber;
    e.Model = id.ModelName;
    e.StationVersion = id.Version;
    e.StationName = Cp1251ToUtf8(id.StationName);
    return e;
}

std::vector<std::string> TableKeys(const std::vector<ETable>& tables) {
    std::vector<std::string> keys;
    for (ETable t : tables) {
        const TTableCodec* codec = FindCodec(t);
        keys.push_back(codec != nullptr ? codec->Key : std::to_string(SelectionIndex(t)));
    }
    return keys;
}

TBackupOutcome FinishStationRead(const TMainClass& session, TDataStream& store,
                                 TBackupRecord& record, const std::vector<ETable>& failed,
                                 bool backup) {
    const TBackupOutcome saved =
        backup ? BackUpAfterRead(session, store, record, failed) : TBackupOutcome{};
    std::vector<ETable> asked;
    for (ETable t : kAllTables)
        if (store.Selected(t) && session.Identity.UnitCount == 1 && ReadAllCovers(session, t))
            asked.push_back(t);
    // A read that only identified the station (before a write, or "info") changed nothing
    // worth a line.
    if (!AnyJournal(session) || asked.empty()) return saved;
    TJournalEntry e = NewJournalEntry(session, kJournalRead);
    e.Tables = TableKeys(asked);
    e.Failed = TableKeys(failed);
    e.Result = "read";
    if (saved.Kind == TBackupOutcome::EKind::Saved) e.Backup = FileNameOnly(saved.Path);
    Append(session, e);
    return saved;
}

bool SetStationClockRecorded(TMainClass& session, const TStationDateTime& t) {
    if (!SetStationClock(session, t)) return false;
    if (AnyJournal(session)) {
        TJournalEntry e = NewJournalEntry(session, kJournalClock);
        e.Result = "set";
        e.ClockSetTo = DateTimeText(t);
        Append(session, e);
    }
    return true;
}

void RecordWrite(const TMainClass& session, const std::vector<ETable>& chosen,
                 const std::vector<ETable>& written, const std::vector<ETable>& failed,
                 int result, bool cutOff, const TSafeWriteOutcome& outcome,
                 const std::string& backup) {
    if (!AnyJournal(session) || (written.empty() && failed.empty())) return;
    TJournalEntry e = NewJournalEntry(session, kJournalWrite);
    e.Tables = TableKeys(chosen);
    e.Reached = TableKeys(written);
    // What was chosen and did not reach the station, refused or never sent.
    std::vector<ETable> missing;
    for (ETable t : chosen)
        if (std::find(written.begin(), written.end(), t) == written.end()) missing.push_back(t);
    e.Failed = TableKeys(missing);
    if (cutOff)
        e.Result = kWriteResultCutOff;
    else if (result == kWriteCancelled)
        e.Result = kWriteResultCancelled;
    else
        e.Result = result == 1 && missing.empty() ? kWriteResultWritten : kWriteResultPartly;
    if (outcome.Verify.Ran) {
        e.Verified = outcome.Verify.AllSame() ? "yes" : "no";
        std::vector<ETable> bad = outcome.Verify.Unread;
        for (const TTableDifference& d : outcome.Verify.Differ) bad.push_back(d.Table);
        e.VerifyDiffer = TableKeys(bad);
    }
    e.Backup = FileNameOnly(backup);
    if (session.Origin == EConfigOrigin::File) {
        e.SourceFile = session.OriginFile;
        e.SourceSha256 = session.OriginFileSha256;
    }
    Append(session, e);
}

}  // namespace zarnik
