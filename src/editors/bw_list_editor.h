#pragma once
// What the black and white lists window does besides showing widgets: the five sections of
// the white book and the black book, ten numbers each, the symbols a number takes, and the
// commit of all sixty numbers at once.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

inline constexpr std::size_t kBwSections = 6;  // five white sections, then the black book

// What each section's grid is called for a screen reader.
const std::array<const char*, kBwSections>& BwSectionNames();

// Up to 8 of the symbols digits, "p", "P", "*", "#", "A", "a", "T", "t".
bool BwEntryAcceptable(std::string_view text);

// The 60 numbers, section 1 first and the black book last, as the grids show them.
std::array<std::string, kBwListEntries> BwEntries(const TDataStream& store);

// "Внести данные": the 60 numbers into the store, then the table is encoded. A number a key
// filter was bypassed on shows "Ошибка во введенных данных." and nothing is stored.
bool CommitBwLists(TMainClass& session, TDataStream& store,
                   std::span<const std::string, kBwListEntries> entries, TUserDialogs& dialogs);

}  // namespace zarnik
