#pragma once
// What the system-phone button window ("Программирование кнопок СТА") does besides showing
// widgets: which phones the station has, which button codes the station can be sent, what a
// code stands for, and a commit that stores every phone's buttons and links or nothing at all.
// The window edits a copy of the buttons; only the commit touches the store.

#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/sta_button_record.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr const char* kStaButtonsCaption = "Программирование кнопок СТА";
inline constexpr const char* kNoStaMessage = "В АТС отсутствуют СТА";
inline constexpr const char* kNoStaCaption = "Предупреждение";

// Whether the port model holds a system phone; without one the window is not opened.
bool StationHasSta(const TDataStream& store);

// A button code as the station will hold it: the text the button table shows for the two bytes
// the code is sent as ("S120" is sent as the trunk line button "SL20"), or an error message when
// the code cannot be sent at all. An empty text is an unprogrammed button.
struct TButtonCodeCheck {
    std::string Text;
    std::string Error;
    bool Ok() const { return Error.empty(); }
};
TButtonCodeCheck CheckButtonCode(const std::string& typed);

// What a button's code stands for, from the station's ports and names: a line by its program
// number or port, a trunk line, a direction, a conference, a phone-book cell.
std::string ButtonMeaning(const TDataStream& store, const std::string& code);

// One system phone of the station: its 0-based index in the button table and its port.
struct TStaPhone {
    int Index = 0;
    int Port = 0;
    std::string Text;  // "СТА 1 — порт 204 (Секретарь)"
};

// A choice of the linked-phone list: "" (no link, Port -1) and the station's other phones.
struct TStaLinkChoice {
    std::string Text;
    int Port = -1;
};

class TStaButtonEditor {
  public:
    TStaButtonEditor(const TMainClass& session, const TDataStream& store);

    const std::vector<TStaPhone>& Phones() const { return PhoneList; }
    // Buttons per phone: 48, or 60 from working program "30,8" on.
    int ButtonCount() const { return Buttons; }
    const std::string& Button(int phone, int button) const;
    int Linked(int phone) const;
    std::vector<TStaLinkChoice> LinkChoices(int phone) const;

    // A typed code for a button: stored in the copy as the station will hold it, or refused with
    // the message to show (the copy keeps the code it had).
    std::optional<std::string> SetButton(int phone, int button, const std::string& typed);
    void SetLinked(int phone, int port);
    bool Dirty() const;

    // Buttons whose stored code cannot be sent (read from a station in that shape): "СТА 1,
    // кнопка 5 (25)". The commit asks before they go out unprogrammed.
    std::vector<std::string> UnsendableButtons() const;

    // "Внести данные" / "OK": every phone's buttons and link into the store and the button table
    // encoded. A link to a port that is not a system phone, or a "Cancel" to the question about
    // unsendable codes, leaves the store, the raw area and the change flag as they were: false.
    bool Commit(TMainClass& session, TDataStream& store, TUserDialogs& dialogs);

  private:
    std::string Model;
    int Buttons = 48;
    std::vector<TStaPhone> PhoneList;
    std::vector<TSTAButtonTable> Copy;      // the phones as edited
    std::vector<TSTAButtonTable> Original;  // as the store held them when the window opened
};

}  // namespace zarnik
