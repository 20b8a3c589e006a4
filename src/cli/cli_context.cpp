#include "cli/cli_context.h"

#include <filesystem>
#include <iomanip>
#include <stdexcept>

#include "codecs/table_codec.h"
#include "flows/status_lines.h"
#include "link/byte_trace.h"
#include "platform/text_1251.h"

namespace zarnik::cli {

TCliContext::TCliContext(const TCliOptions& options) : Opts(options), Dlg(Term, options.Yes) {
    if (Opts.BaseDir.empty()) Opts.BaseDir = std::filesystem::current_path().string();
}

TMainClass& TCliContext::Session(bool openPort) {
    if (SessionPtr) return *SessionPtr;
    SessionPtr =
        std::make_unique<TMainClass>(Dlg, TSessionSetup{Opts.BaseDir, openPort, Opts.Port});
    SessionPtr->JournalProgram = "zarnik-cli";
    if (!Opts.TraceFile.empty()) {
        auto trace = std::make_shared<TByteTrace>(Opts.TraceFile);
        if (!trace->Good())
            throw std::runtime_error("не удается записать трассировку обмена в " +
                                     Opts.TraceFile);
        SessionPtr->Port.SetTrace(std::move(trace));
    }
    return *SessionPtr;
}

TDataStream& TCliContext::Store() {
    if (!StorePtr) StorePtr = std::make_shared<TDataStream>(Opts.BaseDir);
    return *StorePtr;
}

std::string Padded(const std::string& utf8, std::size_t width) {
    std::size_t characters = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++characters;
    return characters >= width ? utf8 + " " : utf8 + std::string(width - characters, ' ');
}

void TTerminal::Dot(bool last) {
    std::cerr << '.';
    LineOpen = true;
    if (last) EndLine();
    std::cerr << std::flush;
}

void TTerminal::EndLine() {
    if (!LineOpen) return;
    std::cerr << "\n";
    LineOpen = false;
}

void TTerminalProgress::SetPosition(int v) {
    TCountingProgress::SetPosition(v);
    Terminal.Dot(v >= Max);
}

std::string TableNames(const std::vector<ETable>& tables) {
    std::string text;
    for (ETable t : tables) {
        text += text.empty() ? "" : ", ";
        const TTableCodec* codec = FindCodec(t);
        text += codec != nullptr ? std::string(codec->Caption) + " (" + codec->Key + ")"
                                 : std::to_string(SelectionIndex(t));
    }
    return text;
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
    out << Padded("№", 4) << Padded("Тип платы", 11) << Padded("Зав. номер", 12)
        << Padded("Версия ПО", 11) << "Дата прошивки"
        << "\n";
    for (const auto& row : CompositionRows(store))
        out << Padded(row[0], 4) << Padded(row[1], 11) << Padded(row[2], 12) << Padded(row[3], 11)
            << row[4] << "\n";
    out << "\nПорты (" << store.Ports.size() << "):\n";
    int column = 0;
    for (const TPortPtr& p : store.Ports) {
        out << p->Number << ' ' << Padded(Cp1251ToUtf8(p->Kind), 4);
        if (++column % 10 == 0) out << "\n";
    }
    if (column % 10 != 0) out << "\n";
}

}  // namespace zarnik::cli
