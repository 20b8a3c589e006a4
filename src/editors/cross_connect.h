#pragma once
// What the cross-connection window ("Программная перекроссировка АЛ и СЛ") does besides showing
// widgets: two ports of one kind exchange everything that was set up on them, so that a line can
// be moved to another port in software. The plan lists every change before anything is touched;
// the exchange itself is applied whole or not at all.
//
// What moves with a subscriber line or a system phone: its line record, its program number, its
// name, its redirection record and, for a system phone, its button table. What moves with a
// trunk line: its trunk record, its name, its program number entry and its column in the
// forbidden trunk lines of every line and group. Every reference to either port in the other
// tables is turned to the other port: redirection targets, routing table rows, group-call lines,
// door phone and loudspeaker channel ports, conference members, linked system phones, trunk-line
// buttons of system phones and the trunk line a trunk line is blocked with.
//
// Texts here are UTF-8 as the widgets show them; the store holds Windows-1251.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/table_ids.h"

namespace zarnik {

inline constexpr const char* kCrossConnectTitle = "Программная перекроссировка АЛ и СЛ";

// The three kinds of port that can be exchanged, each only with one of its own kind.
enum class ECrossKind { Line, SystemPhone, Trunk };

// The kind of a port of the port list; nullopt for a door-phone place or an empty place.
std::optional<ECrossKind> CrossKindOf(const TPort& port);
// "АЛ", "СТА", "СЛ".
const char* CrossKindName(ECrossKind kind);

struct TCrossPortChoice {
    int Number = 0;
    std::string Caption;  // "205 (105) Иванов": number, program number, name
};

// The ports of one kind in port-list order, with their program numbers and names.
std::vector<TCrossPortChoice> CrossPortChoices(const TDataStream& store, ECrossKind kind);

// One change of the plan: which table (none for the names list, which is kept on the computer),
// which record, which field, and the value before and after.
struct TCrossChange {
    std::optional<ETable> Table;
    std::string Where;  // the table's caption, or the names list's
    std::string Record;
    std::string Field;
    std::string Old;
    std::string New;
    // "Установки АЛ; порт 205; Приоритет: 1 → 3"
    std::string Text() const;
};

struct TCrossPlan {
    int PortA = 0;
    int PortB = 0;
    std::string Refusal;  // why the two ports cannot be exchanged; empty when they can
    std::vector<TCrossChange> Changes;
    std::vector<ETable> Tables;  // the tables whose records change, in selection order
    bool Ok() const { return Refusal.empty(); }
    // Plan lines as the window lists them; a refused plan gives its reason.
    std::vector<std::string> Lines() const;
};

// What exchanging the two ports would change; nothing is touched.
TCrossPlan PlanCrossConnect(const TMainClass& session, const TDataStream& store, int portA,
                            int portB);

// Exchanges the two ports: the store's records, the names and the raw areas of the tables in
// the plan (their change flags set, so the next write offers them). Returns the plan it
// carried out; when it is refused (Refusal says why), or when a table or the names file does
// not take the result, nothing has changed.
TCrossPlan ApplyCrossConnect(TMainClass& session, TDataStream& store, int portA, int portB);

// The confirmation asked before the exchange.
std::string CrossConnectQuestion(const TCrossPlan& plan);

}  // namespace zarnik
