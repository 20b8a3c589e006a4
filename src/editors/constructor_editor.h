#pragma once
// What the constructor window ("Конструктор АТС") does besides showing widgets: the versions it
// offers, the choices it keeps between openings, the texts of its slot grid and its note.

#include <string>
#include <vector>

#include "flows/offline_constructor.h"

namespace zarnik {

// The working-program versions the window offers, oldest first: "24.7" (the one chosen at every
// showing) and each version from "22.9" on at which the capability record or a table layout
// changes, so that a file can be prepared for an older or a newer station.
const std::vector<std::string>& ConstructorVersions();
inline constexpr const char* kConstructorDefaultVersion = kConstructorVersion;

// The window's choices live as long as the program: a window opened again shows the boards of
// the last time until the model is changed.
TConstructorDraft& ConstructorWindowDraft();

// On showing: the session's model when the window offers it, else the first model; the default
// version. A different model empties the slots (TConstructorDraft::SetModel).
void PrepareConstructorDraft(TConstructorDraft& draft, const std::string& sessionModel);

// The boards a slot can be given ("" = empty slot first); nothing while no model or no version
// is chosen, so the drop-down does not open.
std::vector<std::string> BoardChoices(const TConstructorDraft& draft);

// What a screen reader says for a cell of the slot grid: "Слот 3", "Плата слота 3: Kama",
// "Плата слота 3: нет".
std::string SlotCellName(int slot);
std::string BoardCellName(int slot, const std::string& board);

// The note under the grid, one paragraph per line (the lines wrap where the window is narrow).
std::vector<std::string> ConstructorNote();

}  // namespace zarnik
