// zarnik-cli archive: the stations this computer has served, and one station's timeline.

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "codecs/table_codec.h"
#include "flows/station_archive.h"

namespace zarnik::cli {

namespace {

constexpr const char* kArchiveExitHelp =
    "Exit codes of archive:\n"
    "  0  done\n"
    "  2  bad arguments, or no station of that serial number in the archive\n"
    "The archive is gathered from dat/auto (automatic backups and the stations' journals) and\n"
    "the configuration files under dat, by the identification inside each file.";

struct TArchiveArgs {
    std::string Serial;
    bool Json = false;
};

using nlohmann::json;

std::string Dash(const std::string& text) { return text.empty() ? "—" : text; }

std::string ContactText(std::int64_t seconds) { return seconds == 0 ? "—" : LocalTimeText(seconds); }

json StationJson(const TArchiveStation& s) {
    return {{"serial", s.Serial},
            {"name", s.Name},
            {"model", s.Model},
            {"version", s.Version},
            {"last_contact", s.LastContact == 0 ? "" : LocalTimeText(s.LastContact)},
            {"last_contact_unix", s.LastContact},
            {"backups", s.Backups},
            {"files", s.Files},
            {"journal", s.Journal}};
}

json RecordJson(const TJournalEntry& e) {
    // The journal's own line, as it stands in the file.
    return json::parse(JournalLine(e), nullptr, false);
}

std::vector<std::string> KeysOfFileIds(const std::vector<int>& ids) {
    std::vector<std::string> keys;
    for (const TTableCodec* c : RegisteredCodecs())
        if (std::find(ids.begin(), ids.end(), FileId(c->Table)) != ids.end()) keys.push_back(c->Key);
    return keys;
}

void Dump(const json& j) {
    std::cout << j.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
}

int ListStations(const TStationArchive& archive, bool asJson) {
    if (asJson) {
        json stations = json::array();
        for (const TArchiveStation& s : archive.Stations()) stations.push_back(StationJson(s));
        json damaged = json::array();
        for (const TDamagedFile& d : archive.Damaged()) damaged.push_back({{"path", d.Path}, {"why", d.Why}});
        Dump({{"stations", std::move(stations)}, {"damaged", std::move(damaged)}});
        return kExitOk;
    }
    std::cout << "Станции (" << archive.Stations().size() << "):\n";
    std::cout << Padded("Зав. номер", 11) << Padded("Название", 21) << Padded("Модель", 9)
              << Padded("Версия", 7) << Padded("Последняя связь", 20) << Padded("Копий", 6)
              << "Файлов\n";
    for (const TArchiveStation& s : archive.Stations())
        std::cout << Padded(s.Serial, 11) << Padded(Dash(s.Name), 21) << Padded(s.Model, 9)
                  << Padded(s.Version, 7) << Padded(ContactText(s.LastContact), 20)
                  << Padded(std::to_string(s.Backups), 6) << s.Files << "\n";
    if (!archive.Damaged().empty()) {
        std::cout << "\nПовреждённые файлы (" << archive.Damaged().size() << "):\n";
        for (const TDamagedFile& d : archive.Damaged()) std::cout << "  " << d.Path << ": " << d.Why << "\n";
    }
    return kExitOk;
}

int ShowTimeline(TCliContext& context, const TStationArchive& archive, const std::string& serial,
                 bool asJson) {
    const TArchiveStation* station = archive.Find(serial);
    if (station == nullptr) {
        context.Dialogs().Message("АТС с заводским номером " + serial + " в архиве нет.", "Ошибка");
        return kExitUsage;
    }
    std::vector<std::string> warnings;
    const std::vector<TArchiveEvent> events = archive.Timeline(serial, &warnings);
    if (asJson) {
        json list = json::array();
        for (const TArchiveEvent& ev : events) {
            json one{{"time", ev.Time}, {"unix", ev.Unix}, {"kind", ArchiveKindKey(ev.Kind)},
                     {"tables_text", ev.Tables}, {"result_text", ev.Result}};
            if (!ev.Path.empty()) {
                one["path"] = ev.Path;
                one["tables"] = KeysOfFileIds(ev.TableIds);
            }
            if (ev.Record) one["record"] = RecordJson(*ev.Record);
            list.push_back(std::move(one));
        }
        Dump({{"station", StationJson(*station)}, {"events", std::move(list)}, {"warnings", warnings}});
        return kExitOk;
    }
    for (const std::string& w : warnings) context.Dialogs().Message(w, "Предупреждение");
    std::cout << "АТС " << station->Serial << ", " << Dash(station->Name) << ", " << station->Model
              << ", версия " << station->Version << "\n";
    std::cout << Padded("Время", 20) << Padded("Событие", 16) << Padded("Таблицы", 14) << "Итог\n";
    for (const TArchiveEvent& ev : events) {
        std::cout << Padded(ev.Time, 20) << Padded(ArchiveKindText(ev.Kind), 16)
                  << Padded(ev.Tables, 14) << ev.Result << "\n";
        std::cout << std::string(20, ' ') << ev.Details << "\n";
    }
    return kExitOk;
}

int RunArchive(TCliContext& context, const TArchiveArgs& args) {
    TStationArchive archive(context.Options().BaseDir);
    archive.Scan();
    if (args.Serial.empty()) return ListStations(archive, args.Json);
    return ShowTimeline(context, archive, args.Serial, args.Json);
}

}  // namespace

void RegisterArchiveCommands(CLI::App& app, TCommandBody& body) {
    auto args = std::make_shared<TArchiveArgs>();
    auto* archive = app.add_subcommand(
        "archive",
        "list the stations this computer has served (archive), or one station's reads, "
        "backups, writes and clock sets, newest first (archive SERIAL)");
    archive->footer(kArchiveExitHelp);
    archive->add_option("serial", args->Serial, "the station's serial number");
    archive->add_flag("--json", args->Json, "print JSON (UTF-8)");
    archive->callback([&body, args] {
        body = [args](TCliContext& context) { return RunArchive(context, *args); };
    });
}

}  // namespace zarnik::cli
