#pragma once
// What the door phone window ("Программирование параметров домофонов") does besides showing
// widgets, and what it shares with the loudspeaker channel window: port choice lists, the
// digit-only key rule, record steps, the name rule and a commit that is applied whole or not at
// all. Texts here are UTF-8 as the widgets show them; they reach the store as Windows-1251.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "editors/name_rules.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr const char* kBadInputMessage = "Ошибка во введенных данных.";
inline constexpr const char* kEditErrorCaption = "Ошибка";

// A name must fit one line of its names file, in the file's code page, and this program keeps
// names to a length the report and the lists can show.
inline constexpr std::size_t kMaxRecordNameLength = kMaxNameChars;
// The message that refuses a name, or nullopt when the name can be stored as typed.
std::optional<std::string> NameProblem(const std::string& name);

// One line per port of the given types, in port-list order, after the empty first entry: the
// port number, for a subscriber line followed by " (" + its name + ")", for a port already
// given to a door phone or loudspeaker channel by " ()". A current port that the list would not
// hold gets an entry of its own, so that showing a record and committing it never loses it.
std::vector<std::string> PortChoices(const TDataStream& store,
                                     std::initializer_list<std::int16_t> types,
                                     const std::string& currentPort);
// The entry that shows a port: the first whose leading three characters are the port text
// (entries beginning with a digit only); 0, the empty entry, for none.
int PortChoiceIndex(const std::vector<std::string>& choices, const std::string& port);
// The port text a chosen entry stands for: its first three characters, "" for the empty one.
std::string PortOfChoice(const std::string& choice);

// The routing table lists: the empty text, then "1" to the station's number of tables (and a
// stored number beyond them, so that it is not lost).
std::vector<std::string> RoutingTableChoices(const TMainClass& session, const std::string& current);

// Digit-only fields take "0" to "9"; any other character, backspace included, is discarded.
bool DigitKeyAccepted(char typed);

// "Предыдущий" (-1) and "Следующий" (+1): the index after the step, held at the first and last.
int StepRecord(int index, int count, int direction);

struct TDoorPhoneView {
    std::string Name;
    bool AllALOpening = false;
    bool ResetInCall = false;
    bool DTMFOpening = false;
    std::string Port;  // the chosen entry of the port list ("" for none)
    std::string OpenCode;
    std::string DayTable;
    std::string NightTable;
};

TDoorPhoneView DoorPhoneView(const TDataStream& store, int index);

// "Внести данные" and the implicit commits: the values into the door phone's record and the
// table encoded, the name into the names list. A refused name, a refused value or a name the
// names file does not take shows its message and leaves the store, the raw area and the names
// as they were; false then.
bool CommitDoorPhone(TMainClass& session, TDataStream& store, int index,
                     const TDoorPhoneView& view, TUserDialogs& dialogs);

// After the window closes: a port given to a door phone changes how the other tables see the
// ports, so the port model is rebuilt and the door phones, loudspeaker channels and program
// numbers are decoded again.
void AfterDoorPhoneWindow(TMainClass& session, TDataStream& store);

}  // namespace zarnik
