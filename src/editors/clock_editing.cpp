#include "editors/clock_editing.h"

#include <chrono>

namespace zarnik {

TStationDateTime AdvanceStationClock(const TStationDateTime& t, long long seconds) {
    using namespace std::chrono;
    const year_month_day date{year{t.Year}, month{static_cast<unsigned>(t.Month)},
                              day{static_cast<unsigned>(t.Day)}};
    // An impossible date (a station clock never set) is shown as it is rather than invented.
    if (!date.ok()) return t;
    const auto point = sys_days{date} + hours{t.Hour} + minutes{t.Minute} +
                       std::chrono::seconds{t.Second} + std::chrono::seconds{seconds};
    const sys_days dayStart = floor<days>(point);
    const hh_mm_ss time{point - dayStart};
    const year_month_day moved{dayStart};
    return {static_cast<int>(moved.year()),
            static_cast<int>(static_cast<unsigned>(moved.month())),
            static_cast<int>(static_cast<unsigned>(moved.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

}  // namespace zarnik
