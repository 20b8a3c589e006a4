#include "model/program_options.h"

#include <array>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

const std::string kErrorCaption = "Ошибка";
const std::string kPortPrefix = "COM";
constexpr std::size_t kOptionsSize = 2;

std::string OptionsPath(const std::string& baseDir) {
    return JoinPath(baseDir, ResolveCaseInsensitive(baseDir, kOptionsFileName));
}

constexpr std::string_view kSwitchSignature = "ZXO";
constexpr std::size_t kSwitchCount = 3;

// The switch record after the two bytes, or nullopt when `content` has none or a malformed one.
std::optional<TSafetyOptions> SwitchesOf(const std::string& content) {
    const std::size_t at = kOptionsSize + kSwitchSignature.size();
    if (content.size() <= at || content.compare(kOptionsSize, kSwitchSignature.size(),
                                                kSwitchSignature) != 0)
        return std::nullopt;
    const auto count = static_cast<std::uint8_t>(content[at]);
    if (content.size() != at + 1 + count) return std::nullopt;
    std::array<bool, kSwitchCount> on{true, true, false};
    for (std::size_t i = 0; i < count; ++i) {
        const auto b = static_cast<std::uint8_t>(content[at + 1 + i]);
        if (b > 1) return std::nullopt;
        if (i < kSwitchCount) on[i] = b == 1;  // switches of a later program are kept unread
    }
    return TSafetyOptions{on[0], on[1], on[2]};
}

std::string SwitchBytes(const TSafetyOptions& o) {
    if (o == TSafetyOptions{}) return {};
    std::string bytes(kSwitchSignature);
    bytes += static_cast<char>(kSwitchCount);
    for (const bool b : {o.AutoBackup, o.VerifyWrites, o.TraceExchange})
        bytes += static_cast<char>(b ? 1 : 0);
    return bytes;
}

// The switch record of the file now under `path`: kept when the port number is rewritten.
std::string KeptSwitches(const std::string& path) {
    const auto content = ReadWholeFile(path);
    if (!content) return {};
    const auto switches = SwitchesOf(*content);
    return switches ? SwitchBytes(*switches) : std::string();
}

std::string OptionsBytes(std::uint8_t portNumber, std::uint8_t second) {
    return {static_cast<char>(portNumber), static_cast<char>(second)};
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

TProgramOptions CreateDefaultOptions(const std::string& path, TUserDialogs& dialogs) {
    constexpr std::uint8_t kDefaultPort = 1;
    constexpr std::uint8_t kWrittenBySession = 1;
    if (!WriteFileAtomically(path, OptionsBytes(kDefaultPort, kWrittenBySession))) {
        dialogs.Message("Не могу записать данные в файл конфигурации(002).", kErrorCaption);
    }
    return {PortNameFor(kDefaultPort), TOptionsSource::Created};
}

}  // namespace

TProgramOptions LoadOrCreateOptions(const std::string& baseDir, TUserDialogs& dialogs) {
    const std::string path = OptionsPath(baseDir);
    const auto content = ReadWholeFile(path);
    if (!content) return CreateDefaultOptions(path, dialogs);
    if (content->size() != kOptionsSize && !SwitchesOf(*content)) {
        dialogs.Message("Ошибочный формат файла(размер!=2).", kErrorCaption);
        return {kPortPrefix, TOptionsSource::Malformed};
    }
    return {PortNameFor(static_cast<std::uint8_t>((*content)[0])), TOptionsSource::Read};
}

std::string PortOpenFailureText(TOptionsSource source) {
    if (source == TOptionsSource::Created) {
        return "Исключение! Непонятная ошибка при открытии СОМ-порта.  Проверьте номер "
               "СОМ-порта. (1)";
    }
    return "Исключение! Непонятная ошибка при открытии СОМ-порта. Проверьте номер СОМ-порта.";
}

std::string PortNameFor(std::uint8_t number) {
    return kPortPrefix + std::to_string(number);
}

std::optional<std::uint8_t> ValidatePortText(const std::string& text, TUserDialogs& dialogs) {
    // The rules count characters, so a typed Cyrillic letter counts once, as it always did.
    const std::string chars = Utf8ToCp1251(text);
    const std::string badNumber = "Некорректный номер СОM-порта.";
    if (chars.size() != 4 && chars.size() != 5) {
        dialogs.Message(badNumber, kErrorCaption);
        return std::nullopt;
    }
    if (chars.compare(0, kPortPrefix.size(), kPortPrefix) != 0) {
        dialogs.Message("Некорректный номер СОм-порта.", kErrorCaption);
        return std::nullopt;
    }
    const std::string digits = chars.substr(kPortPrefix.size());
    const int number = AllDigits(digits) ? std::stoi(digits) % 256 : 0;
    if (number == 0) {
        dialogs.Message(badNumber, kErrorCaption);
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(number);
}

bool SaveOptions(const std::string& baseDir, std::uint8_t portNumber, TUserDialogs& dialogs) {
    if (!DirectoryExists(baseDir)) {
        // Ending here would throw away every unsaved edit for the sake of a two-byte file.
        dialogs.Message("Не могу перейти в базовую директорию.", kErrorCaption);
        return false;
    }
    constexpr std::uint8_t kWrittenByWindow = 0;
    const std::string path = OptionsPath(baseDir);
    const bool existed = PathExists(path);
    if (WriteFileAtomically(path,
                            OptionsBytes(portNumber, kWrittenByWindow) + KeptSwitches(path)))
        return true;
    dialogs.Message(
        existed ? "Не могу записать в файл конфигурации." : "Не могу создать файл конфигурации.(1)",
        kErrorCaption);
    return false;
}

TSafetyOptions LoadSafetyOptions(const std::string& baseDir) {
    const auto content = ReadWholeFile(OptionsPath(baseDir));
    if (!content) return {};
    return SwitchesOf(*content).value_or(TSafetyOptions{});
}

bool SaveSafetyOptions(const std::string& baseDir, const TSafetyOptions& options,
                       TUserDialogs& dialogs) {
    const std::string path = OptionsPath(baseDir);
    const auto content = ReadWholeFile(path);
    // The port number and byte 1 stay as they are; a file without them gets the defaults.
    std::string head = OptionsBytes(1, 1);
    if (content && content->size() >= kOptionsSize &&
        (content->size() == kOptionsSize || SwitchesOf(*content)))
        head = content->substr(0, kOptionsSize);
    if (WriteFileAtomically(path, head + SwitchBytes(options))) return true;
    dialogs.Message("Не могу записать в файл конфигурации.", kErrorCaption);
    return false;
}

}  // namespace zarnik
