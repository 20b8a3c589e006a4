#include "model/program_options.h"

#include <array>
#include <filesystem>
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
constexpr std::string_view kDeviceSignature = "ZXP";
constexpr std::size_t kSwitchCount = 3;

// What follows the two bytes: each record is a signature, a count n and n bytes, and each
// appears at most once (switches first, then the device path).
struct TOptionsTail {
    std::optional<TSafetyOptions> Switches;
    std::optional<std::string> Device;
};

std::optional<TSafetyOptions> SwitchesFrom(std::string_view bytes) {
    std::array<bool, kSwitchCount> on{true, true, false};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        if (b > 1) return std::nullopt;
        if (i < kSwitchCount) on[i] = b == 1;  // switches of a later program are kept unread
    }
    return TSafetyOptions{on[0], on[1], on[2]};
}

// The records after the two bytes, or nullopt when `content` is not a well-formed file.
std::optional<TOptionsTail> TailOf(const std::string& content) {
    if (content.size() < kOptionsSize) return std::nullopt;
    TOptionsTail tail;
    std::size_t at = kOptionsSize;
    while (at < content.size()) {
        const std::size_t body = at + kSwitchSignature.size() + 1;
        if (content.size() < body) return std::nullopt;
        const std::string_view signature(content.data() + at, kSwitchSignature.size());
        const auto count = static_cast<std::uint8_t>(content[body - 1]);
        if (content.size() < body + count) return std::nullopt;
        const std::string_view bytes(content.data() + body, count);
        if (signature == kSwitchSignature && !tail.Switches && !tail.Device) {
            tail.Switches = SwitchesFrom(bytes);
            if (!tail.Switches) return std::nullopt;
        } else if (signature == kDeviceSignature && !tail.Device && count > 0 &&
                   bytes.find('\0') == std::string_view::npos) {
            tail.Device = std::string(bytes);
        } else {
            return std::nullopt;
        }
        at = body + count;
    }
    return tail;
}

std::string SwitchBytes(const TSafetyOptions& o) {
    if (o == TSafetyOptions{}) return {};
    std::string bytes(kSwitchSignature);
    bytes += static_cast<char>(kSwitchCount);
    for (const bool b : {o.AutoBackup, o.VerifyWrites, o.TraceExchange})
        bytes += static_cast<char>(b ? 1 : 0);
    return bytes;
}

std::string TailBytes(const TOptionsTail& tail) {
    std::string bytes = tail.Switches ? SwitchBytes(*tail.Switches) : std::string();
    if (tail.Device && !tail.Device->empty()) {
        bytes += kDeviceSignature;
        bytes += static_cast<char>(tail.Device->size());
        bytes += *tail.Device;
    }
    return bytes;
}

// The records of the file now under `path`, kept when another part of it is rewritten.
TOptionsTail KeptTail(const std::string& path) {
    const auto content = ReadWholeFile(path);
    if (!content) return {};
    return TailOf(*content).value_or(TOptionsTail{});
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
    const auto tail = TailOf(*content);
    if (!tail) {
        dialogs.Message("Ошибочный формат файла(размер!=2).", kErrorCaption);
        return {kPortPrefix, TOptionsSource::Malformed};
    }
    if (tail->Device) {
        // An adapter that is not plugged in: the technician is told which one and asked for
        // a port; the name is kept, so the adapter is found again once it is back.
        std::error_code ec;
        if (!std::filesystem::exists(*tail->Device, ec)) {
            dialogs.Message(MissingDeviceText(*tail->Device), "Предупреждение");
            return {*tail->Device, TOptionsSource::MissingDevice};
        }
        return {*tail->Device, TOptionsSource::Read};
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
    TOptionsTail tail = KeptTail(path);
    tail.Device.reset();  // a COMn choice replaces a device path
    if (WriteFileAtomically(path, OptionsBytes(portNumber, kWrittenByWindow) + TailBytes(tail)))
        return true;
    dialogs.Message(
        existed ? "Не могу записать в файл конфигурации." : "Не могу создать файл конфигурации.(1)",
        kErrorCaption);
    return false;
}

TSafetyOptions LoadSafetyOptions(const std::string& baseDir) {
    return KeptTail(OptionsPath(baseDir)).Switches.value_or(TSafetyOptions{});
}

bool SaveSafetyOptions(const std::string& baseDir, const TSafetyOptions& options,
                       TUserDialogs& dialogs) {
    const std::string path = OptionsPath(baseDir);
    const auto content = ReadWholeFile(path);
    // The port number and byte 1 stay as they are; a file without them gets the defaults.
    std::string head = OptionsBytes(1, 1);
    TOptionsTail tail;
    if (content) {
        if (auto kept = TailOf(*content)) {
            head = content->substr(0, kOptionsSize);
            tail = std::move(*kept);
        }
    }
    tail.Switches = options;
    if (WriteFileAtomically(path, head + TailBytes(tail))) return true;
    dialogs.Message("Не могу записать в файл конфигурации.", kErrorCaption);
    return false;
}

}  // namespace zarnik

namespace zarnik {

std::string MissingDeviceText(const std::string& device) {
    return "Последовательный порт " + device +
           " не найден (адаптер не подключен?). Подключите его или выберите порт в окне "
           "«Настройки программы Zarnik».";
}

std::optional<std::string> StoredDevicePath(const std::string& baseDir) {
    return KeptTail(OptionsPath(baseDir)).Device;
}

bool SaveDevicePath(const std::string& baseDir, const std::string& device,
                    TUserDialogs& dialogs) {
    if (device.empty() || device.size() > kMaxDevicePathBytes ||
        device.find('\0') != std::string::npos) {
        dialogs.Message("Путь к устройству " + device + " не может быть сохранен.", kErrorCaption);
        return false;
    }
    if (!DirectoryExists(baseDir)) {
        dialogs.Message("Не могу перейти в базовую директорию.", kErrorCaption);
        return false;
    }
    const std::string path = OptionsPath(baseDir);
    const auto content = ReadWholeFile(path);
    // Byte 0 keeps the last COMn choice, for a program that knows only the two bytes.
    std::string head = OptionsBytes(1, 0);
    if (content && content->size() >= kOptionsSize && TailOf(*content))
        head = OptionsBytes(static_cast<std::uint8_t>((*content)[0]), 0);
    TOptionsTail tail = KeptTail(path);
    tail.Device = device;
    if (WriteFileAtomically(path, head + TailBytes(tail))) return true;
    dialogs.Message(content ? "Не могу записать в файл конфигурации."
                            : "Не могу создать файл конфигурации.(1)",
                    kErrorCaption);
    return false;
}

}  // namespace zarnik
