#include "cli/cli_context.h"

#include <filesystem>
#include <iomanip>

#include "flows/status_lines.h"
#include "platform/text_1251.h"

namespace zarnik::cli {

TCliContext::TCliContext(const TCliOptions& options) : Opts(options), Dlg(std::cerr, options.Yes) {
    if (Opts.BaseDir.empty()) Opts.BaseDir = std::filesystem::current_path().string();
}

TMainClass& TCliContext::Session(bool openPort) {
    if (!SessionPtr)
        SessionPtr = std::make_unique<TMainClass>(Dlg, TSessionSetup{Opts.BaseDir, openPort, Opts.Port});
    return *SessionPtr;
}

TDataStream& TCliContext::Store() {
    if (!StorePtr) StorePtr = std::make_shared<TDataStream>(Opts.BaseDir);
    return *StorePtr;
}

void TTerminalProgress::SetPosition(int v) {
    TCountingProgress::SetPosition(v);
    std::cerr << '.' << (v >= Max ? "\n" : "") << std::flush;
}

void PrintStation(std::ostream& out, const TMainClass& session, const TDataStream& store) {
    for (const std::string& line : StatusLines(store)) out << line << "\n";
    const TStationDateTime& t = session.StationClock;
    out << "Время в АТС: " << std::setfill('0') << std::setw(4) << t.Year << '-' << std::setw(2)
        << t.Month << '-' << std::setw(2) << t.Day << ' ' << std::setw(2) << t.Hour << ':'
        << std::setw(2) << t.Minute << ':' << std::setw(2) << t.Second << std::setfill(' ') << "\n";
    out << "Модель: " << store.Model << ", АЛ " << session.Identity.SubscriberLineCount << ", СЛ "
        << session.Identity.TrunkLineCount << ", СТА " << session.Identity.StaCount
        << ", домофонов " << session.Identity.DoorPhoneCount << ", ГГС "
        << session.Identity.LoudspeakerCount << ", таблиц наведения "
        << session.Identity.RoutingTableCount << ", блоков " << session.Identity.UnitCount << "\n";
    out << "\nCостав АТС\n";
    out << std::left << std::setw(4) << "№" << std::setw(10) << "Тип платы" << std::setw(12)
        << "Зав. номер" << std::setw(11) << "Версия ПО" << "Дата прошивки" << "\n";
    for (const auto& row : CompositionRows(store))
        out << std::setw(4) << row[0] << std::setw(10) << row[1] << std::setw(12) << row[2]
            << std::setw(11) << row[3] << row[4] << "\n";
    out << std::right << "\nПорты (" << store.Ports.size() << "):\n";
    int column = 0;
    for (const TPortPtr& p : store.Ports) {
        out << p->Number << ' ' << std::left << std::setw(4) << Cp1251ToUtf8(p->Kind) << std::right;
        if (++column % 10 == 0) out << "\n";
    }
    if (column % 10 != 0) out << "\n";
}

}  // namespace zarnik::cli
