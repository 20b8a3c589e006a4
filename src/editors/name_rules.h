#pragma once
// What a name typed into a window must be before it goes to the names files: text the files'
// code page can hold, on one line, and not longer than a name may be. A name that is not is
// refused with a message; it is never cut or altered behind the user's back.

#include <cstddef>
#include <string>

namespace zarnik {

// The longest name, in characters, that the windows take: one the report and the lists can
// show (the door-phone and loudspeaker windows keep to the same length).
inline constexpr std::size_t kMaxNameChars = 64;

struct TNameCheck {
    std::string Cp1251;  // the name as the names files hold it, when accepted
    std::string Error;   // the message to show, when refused
    bool Ok() const { return Error.empty(); }
};

// A name as typed (UTF-8).
TNameCheck CheckName(const std::string& utf8);

// Shown when a names file could not be written: the name is kept and goes out with the next
// good write of that file.
inline constexpr const char* kNamesNotWritten =
    "Не удалось записать файл имён. Имена сохранятся при следующей удачной записи.";

}  // namespace zarnik
