#include "editors/settings_editing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "codecs/system_settings_codec.h"
#include "codecs/time_settings_codec.h"

namespace zarnik {

namespace {

constexpr std::size_t kAlwaysShown = 24;
// Values come from two-decimal texts, so the step bounds are tested with a little slack.
constexpr double kSlack = 1e-6;

const TTypedTimer* FindRow(std::span<const TTypedTimer> rows, const char* name) {
    const auto it = std::find_if(rows.begin(), rows.end(),
                                 [name](const TTypedTimer& r) { return r.Name == name; });
    return it == rows.end() ? nullptr : &*it;
}

}  // namespace

void CommitSystemSettings(TMainClass& session, TDataStream& store,
                          const std::array<bool, 8>& switches, const TSwitchTime& day,
                          const TSwitchTime& night) {
    TSystemSettings& s = store.SystemSettings;
    for (std::size_t i = 0; i < kSystemSwitches.size(); ++i)
        s.*kSystemSwitches[i].Field = switches[i];
    s.SYS_DayTime = day;
    s.SYS_NightTime = night;
    EncodeSystemSettings(session, store);
}

std::array<bool, 8> SystemSwitchValues(const TSystemSettings& settings) {
    std::array<bool, 8> values{};
    for (std::size_t i = 0; i < kSystemSwitches.size(); ++i)
        values[i] = settings.*kSystemSwitches[i].Field;
    return values;
}

std::string FormatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

std::vector<TTimerRow> TimerRows(const TMainClass& session, const TDataStream& store) {
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    std::vector<std::size_t> shown;
    for (std::size_t k = 0; k < kAlwaysShown; ++k) shown.push_back(k);
    if (flags->QuickConferences() && session.IsCedarOrDogwood()) shown.push_back(kConferenceTimer);
    if (flags->ExtendedTimeTable()) shown.push_back(kPassivePauseTimer);
    std::vector<TTimerRow> rows;
    for (std::size_t k : shown) {
        const double step = store.TimeDefaults.Values[k];
        rows.push_back({k, kTimers[k].Name, FormatSeconds(step * store.TimeDefaults.Codes[k]),
                        FormatSeconds(step), FormatSeconds(store.TimeSettings.Values[k]),
                        kTimers[k].Description});
    }
    return rows;
}

std::optional<double> StepTimerValue(double value, double step, int direction) {
    const double next = value + (direction < 0 ? -step : step);
    if (next < step - kSlack || next > 10 * step + kSlack) return std::nullopt;
    return next;
}

std::optional<double> ParseSeconds(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    std::string number = text.substr(first, last - first + 1);
    std::replace(number.begin(), number.end(), ',', '.');
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool CommitTimerValues(TMainClass& session, TDataStream& store, std::span<const TTypedTimer> rows,
                       TUserDialogs& dialogs) {
    const auto badNumber = [&dialogs] {
        dialogs.Message(kBadTimerNumber, "");
        return false;
    };
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    TTimeSettings edited = store.TimeSettings;
    for (std::size_t k = 0; k < kAlwaysShown; ++k) {
        const std::optional<double> v =
            k < rows.size() ? ParseSeconds(rows[k].Value) : std::nullopt;
        if (!v) return badNumber();
        edited.Values[k] = static_cast<float>(*v);
    }
    const std::array<std::pair<bool, std::size_t>, 2> optional{
        {{flags->QuickConferences(), kConferenceTimer},
         {flags->ExtendedTimeTable(), kPassivePauseTimer}}};
    for (const auto& [present, timer] : optional) {
        if (!present) continue;
        const TTypedTimer* row = FindRow(rows, kTimers[timer].Name);
        if (row == nullptr) continue;
        const std::optional<double> v = ParseSeconds(row->Value);
        if (!v) return badNumber();
        edited.Values[timer] = static_cast<float>(*v);
    }
    store.TimeSettings = edited;
    EncodeTimeSettings(session, store);
    return true;
}

}  // namespace zarnik
