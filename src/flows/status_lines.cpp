#include "flows/status_lines.h"

#include "platform/text_1251.h"

namespace zarnik {

namespace {
constexpr std::array<const char*, 4> kCaptions{
    "Название АТС : ", "Версия рабочей программы: ", "Заводской номер : ",
    "Буфер тарификации соединений. Заполнено "};
}

std::array<std::string, 4> StatusLines(const TDataStream& store) {
    const std::array<const std::string*, 4> texts{&store.StationName, &store.VersionText,
                                                  &store.SerialText, &store.BufferText};
    std::array<std::string, 4> lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] = std::string(kCaptions[i]) + Cp1251ToUtf8(*texts[i]);
    return lines;
}

std::array<std::string, 4> BareStatusLines() {
    std::array<std::string, 4> lines;
    for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = kCaptions[i];
    return lines;
}

std::vector<std::array<std::string, 5>> CompositionRows(const TDataStream& store) {
    std::vector<std::array<std::string, 5>> rows;
    const std::size_t n = std::min<std::size_t>(store.CompositionCount, store.Composition.size());
    for (std::size_t i = 0; i < n; ++i) {
        const TCompositionEntry& e = store.Composition[i];
        rows.push_back({std::to_string(i + 1), Cp1251ToUtf8(e.BoardType), Cp1251ToUtf8(e.Serial),
                        Cp1251ToUtf8(e.Version), Cp1251ToUtf8(e.FirmwareDate)});
    }
    return rows;
}

}  // namespace zarnik
