#pragma once
// What the program number window ("Установка программных номеров") does besides showing
// widgets: its rows (every subscriber line and system phone with its group, program number
// and name), the key rule of the program number column, and the commit that takes the rows
// into the ports, the names list and the program number table, whole or not at all.
// Texts here are UTF-8 as the widgets show them; they reach the store as Windows-1251.

#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr const char* kPrgNumDuplicateMessage = "Есть одинаковые  программные номера.";
inline constexpr const char* kPrgNumTooShortMessage =
    "В программном номере должно быть не менее 2-х цифр, ошибочный номер будет стерт";
inline constexpr std::size_t kPrgNumMaxDigits = 4;
inline constexpr std::size_t kPrgNumMinDigits = 2;
inline constexpr char kPrgNumFirstDigit = '1';

// A whole program number as a commit stores it: "" (no number), or "1" followed by one to
// three digits. "" when it is one, else why not.
std::string ProgramNumberProblem(const std::string& number);

struct TPrgNumRow {
    int Port = 0;
    std::string Group;   // the line's group number (index + 10), "" for none
    std::string Number;  // the program number, "1" and up to three digits, or ""
    std::string Name;    // the line's name
};

// What a key typed into a program number cell did.
struct TPrgNumKey {
    bool Passed = false;     // the key got through: the commit button is enabled
    bool Duplicate = false;  // the number it made is another line's: message shown, cell cleared
    std::string Text;        // the cell's text after the key
};

class TProgramNumberEditor {
  public:
    // The rows of the store's ports of type 14 and 10, in port-list order.
    explicit TProgramNumberEditor(const TDataStream& store);

    const std::vector<TPrgNumRow>& Rows() const { return RowsShown; }
    // Whether the rows hold something not yet committed ("Внести данные" enabled).
    bool Pending() const { return Dirty; }

    // A key typed into row's program number cell, whose text is `text`: "0"-"9", '\b'
    // (backspace) or '\r' (Enter); every other key is discarded. A number starts with "1" and
    // has at most four digits; a number that is already another line's is refused with its
    // message and the cell is cleared.
    TPrgNumKey Key(int row, const std::string& text, char key, TUserDialogs& dialogs);

    // Editing of a number cell starts or ends: a text not beginning with "1" becomes "".
    static std::string AtEditBoundary(const std::string& text);

    // A cell's text as the grid now holds it.
    void SetNumber(int row, const std::string& text);
    void SetName(int row, const std::string& text);

    // "Внести данные" and closing: spaces taken out of the numbers, one-digit numbers cleared
    // with their message; equal numbers, a refused name or a refused encode show their message
    // and change nothing in the store, the names or the raw area (false). Otherwise the numbers
    // go to the ports, the names to the names list, and the program number table is encoded.
    bool Commit(TMainClass& session, TDataStream& store, TUserDialogs& dialogs);

    // The row whose name a refused commit stopped at, -1 for none.
    int RefusedNameRow() const { return RefusedName; }

    // Whether a line other than the row's (shown or not) holds the number.
    bool NumberTaken(int row, const std::string& number) const;
    // The row of a port, -1 when the window does not show it.
    int RowOfPort(int port) const;

  private:

    std::vector<TPrgNumRow> RowsShown;
    // Numbers of the line ports the window does not show (a line with a door phone or a
    // loudspeaker channel attached, a trunk line): no shown line may take one of them.
    std::vector<std::string> HiddenNumbers;
    std::vector<std::string> StoredNames;  // as the names list held them when shown
    bool Dirty = false;
    int RefusedName = -1;
};

}  // namespace zarnik
