#include "editors/name_rules.h"

#include "platform/text_1251.h"

namespace zarnik {

TNameCheck CheckName(const std::string& utf8) {
    TNameCheck check;
    if (utf8.find_first_of("\r\n") != std::string::npos) {
        check.Error = "Имя не может занимать несколько строк.";
        return check;
    }
    std::string cp1251 = Utf8ToCp1251(utf8);
    // A character the code page lacks comes back as something else.
    if (Cp1251ToUtf8(cp1251) != utf8) {
        check.Error = "В имени есть знаки, которых нет в кодировке Windows-1251. Исправьте имя.";
        return check;
    }
    if (cp1251.size() > kMaxNameChars) {
        check.Error = "Имя длиннее " + std::to_string(kMaxNameChars) +
                      " знаков. Сократите его: длинное имя не будет обрезано.";
        return check;
    }
    check.Cp1251 = std::move(cp1251);
    return check;
}

}  // namespace zarnik
