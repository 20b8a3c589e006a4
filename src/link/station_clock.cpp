#include "link/station_clock.h"

#include <cmath>
#include <ctime>

#include "model/broadcaster.h"
#include "platform/local_time.h"

namespace zarnik {

namespace {

std::uint32_t ToSeconds(const TStationDateTime& t) {
    const TCalendarDate date{static_cast<std::uint16_t>(t.Year), static_cast<std::uint16_t>(t.Month),
                             static_cast<std::uint16_t>(t.Day)};
    const TTimeOfDay time{0, static_cast<std::uint16_t>(t.Second), static_cast<std::uint16_t>(t.Minute),
                          static_cast<std::uint16_t>(t.Hour)};
    return TBroadcaster::DateTimeToSeconds(kMonthLengths, date, time);
}

}  // namespace

std::array<std::uint8_t, 4> EncodeStationClock(const TStationDateTime& t, std::uint8_t timeUnit) {
    const std::uint8_t unit = timeUnit == 0 ? 6 : timeUnit;
    const std::uint32_t seconds = ToSeconds(t);
    const std::uint32_t day = seconds / 86400;
    const std::uint32_t ticks = (seconds % 86400) / unit;
    return {static_cast<std::uint8_t>(day & 0xFF), static_cast<std::uint8_t>(day >> 8),
            static_cast<std::uint8_t>(ticks & 0xFF), static_cast<std::uint8_t>(ticks >> 8)};
}

TStationDateTime StationClockFromIdentification(const TMainClass& session) {
    const auto& b = session.IdBuffer;
    const std::uint32_t day = TBroadcaster::MakeWord(b[0], b[1]);
    const std::uint32_t ticks = TBroadcaster::MakeWord(b[2], b[3]);
    const std::uint32_t seconds = day * 86400u + ticks * session.Identity.TimeUnit;
    TCalendarDate date;
    TTimeOfDay time;
    TBroadcaster::SecondsToDateTime(kMonthLengths, seconds, date, time);
    return {date.Year, date.Month, date.Day, time.Hour, time.Minute, time.Second};
}

TStationDateTime LocalDateTime(std::chrono::system_clock::time_point point) {
    const std::time_t t = std::chrono::system_clock::to_time_t(point);
    const std::tm tm = LocalTime(t);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

double SecondsBetween(const TStationDateTime& a, const TStationDateTime& b) {
    return static_cast<double>(ToSeconds(b)) - static_cast<double>(ToSeconds(a));
}

bool ClockDiffersNoticeably(const TStationDateTime& station, const TStationDateTime& computer) {
    return std::fabs(SecondsBetween(station, computer)) > 0.0055 * 86400.0;
}

void CompareStationClock(TMainClass& session, const TStationDateTime& station) {
    const TStationDateTime computer = LocalDateTime(session.Now());
    if (!ClockDiffersNoticeably(station, computer)) return;
    if (session.ClockDiffers) {
        session.ClockDiffers(session, SecondsBetween(computer, station));
        return;
    }
    const TAnswer answer = session.Dialogs.Question(
        "Время в АТС заметно отличается от времени в Вашем компьютере, переустановим время в АТС?",
        "Предупреждение");
    if (answer == TAnswer::Ok && session.OpenClockWindow) session.OpenClockWindow(session);
}

bool SetStationClock(TMainClass& session, const TStationDateTime& t) {
    if (session.CheckLink() <= 0) return false;
    if (!session.ReadIdentification(false)) return false;
    session.DecodeIdentification(true);
    const auto clock = EncodeStationClock(t, session.Identity.TimeUnit);
    // A station that never acknowledges must not hold the program forever.
    return session.Frames.ClockCommand(clock, 5) > 0;
}

}  // namespace zarnik
