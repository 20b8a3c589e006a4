#pragma once
// What the loudspeaker channel window ("Программирование каналов ГГС") does besides showing
// widgets. It shares the port lists, steps and name rule of the door phone window.

#include "editors/door_phone_editor.h"

namespace zarnik {

struct TLoudspeakerView {
    std::string Name;
    bool AutoOff = false;
    std::string Port;  // the chosen entry of the port list ("" for none)
};

TLoudspeakerView LoudspeakerView(const TDataStream& store, int index);

// The channel's values into the store and the table encoded, then the name into the names
// list. Refused: its message, and the store, the raw area and the names stay as they were.
bool CommitLoudspeaker(TMainClass& session, TDataStream& store, int index,
                       const TLoudspeakerView& view, TUserDialogs& dialogs);

// After the window closes: the port model rebuilt, then the loudspeaker channels, the door
// phones and the program numbers decoded again, in that order.
void AfterLoudspeakerWindow(TMainClass& session, TDataStream& store);

}  // namespace zarnik
