#pragma once
// System-phone buttons: one block per system phone, a 16-bit code per button and, for a linked
// phone, the linked phone's number after the buttons. Every exchange of this table is opened
// with the mode command.

#include <cstdint>
#include <string>

#include "codecs/table_codec.h"

namespace zarnik {

// Buttons per phone for a working-program version: 60 from "30,8" on, 48 before.
int StaButtonCountFor(const std::string& version);

// The text the button table shows for one button code (code byte, kind byte); "" for 0x0000.
// recognised is cleared for a two-character text that starts with neither "1" nor "5".
std::string StaButtonText(std::uint8_t code, std::uint8_t kind, bool& recognised);

// True when the port number is a system-phone position of its slot (4, 6, 8 on ten-port
// boards; 0, 2, 4, 6 on eight-port boards) whose phone number fits the link byte.
bool IsStaLinkPort(const std::string& model, int portNumber);

// Station -> raw area: the number of phones read, -1 no link, -2 no system phones, -4 the mode
// command was not acknowledged, -5 a phone's block failed every attempt (all slots cleared).
int ReadStaButtonTable(TMainClass& session);
// Raw area -> station: 1, -1 no link, -2 no system phones (nothing sent, message shown), -4 mode
// command not acknowledged, -5 a block was not acknowledged.
int WriteStaButtonTable(TMainClass& session);
// Raw area -> store: 1, or 0 when a two-character code starts with neither "1" nor "5".
int DecodeStaButtonTable(TMainClass& session, TDataStream& store);
// Store -> raw area, sets the change flag: 1; 0 when a button text holds a non-digit where a
// digit belongs (that button goes out unprogrammed); -1 when a link names a port that is not a
// system-phone position (the link is left out).
int EncodeStaButtonTable(TMainClass& session, TDataStream& store);

}  // namespace zarnik
