#include "codecs/time_settings_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

const std::array<TTimerInfo, kTimerCount> kTimers{{
    {"T10",
     "Продолжительность вызывного сигнала при выполнении заказа или срабатывании будильника "
     "(таймера)"},
    {"T11", "Время между цифрами при вводе системных номеров"},
    {"T12", "Время ожидания набора первой цифры в состоянии \"Готовность\""},
    {"T13", "Продолжительность сигнала \"Системный вызов\" при наличии прежнего соединения"},
    {"T14", "Время ожидания действий в состоянии \"Занято\""},
    {"T15", "MAX пауза при наборе первых двух цифр внешнего номера (если межгород, то трех)"},
    {"T16",
     "MAX пауза при наборе третьей (если межгород, то четвертой) и последующих цифр внешнего "
     "номера"},
    {"T17", "Время ожидания ответа в состоянии \"КПВ\""},
    {"T18", "Время размыкания СЛ (отбой) при выполнении функций управления СЛ"},
    {"T19", "Время между занятием СЛ и началом набора при выполнении функций автонабора по СЛ"},
    {"T20", "Время ожидания сигнала \"КПВ\" при автодозвоне"},
    {"T21", "Время ожидания освобождения абонента при посылке соединения"},
    {"T22", "Время ожидания освобождения абонента при возврате соединения"},
    {"T23", "Время ожидания ответа абонента при посылке соединения"},
    {"T24", "Интервал переключения строк таблиц наведения при входящем вызове от СЛ или домофона"},
    {"T25", "MIN время для подсистемы регистрации соединений"},
    {"T26", "MAX время приема входящего по СЛ вызова"},
    {"T27", "MAX время соединения с СЛ"},
    {"T28", "Интервал автодозвона"},
    {"T29", "Время выполнения автодозвона"},
    {"T30", "Тайм-аут для DISA"},
    {"T31", "Время удержания замка домофона"},
    {"T32", "Время автоматического отключения ГГС"},
    {"T33", "Время между занятием СЛ и автонабором"},
    {"T34", "Время вызова конференции"},
    {"T35", "Длительность пассивной паузы в СЛ"},
}};

namespace {

constexpr std::uint8_t kReadCode = 0x09;
constexpr std::uint8_t kWriteCode = 0x89;
constexpr std::size_t kBaseTimers = 24;
constexpr float kSecondsPerCount = 0.125f;

// What clearing puts back: the station's factory values, in eighths of a second.
constexpr std::array<std::uint16_t, kTimerCount> kBlankCounts{
    160, 40, 160, 40,  160,   480, 40,   160, 8,  16,  320, 240, 240,
    240, 80, 480, 480, 24000, 40,  9600, 48,  32, 480, 8,   240, 24};

TRawSlot& Slot(TMainClass& session) {
    return session.Area(ETable::TimeSettings).Slots[0];
}
const TRawSlot& Slot(const TMainClass& session) {
    return session.Area(ETable::TimeSettings).Slots[0];
}

std::uint16_t WordAt(const TRawSlot& slot, std::size_t timer) {
    return TBroadcaster::MakeWord(slot.Bytes[2 * timer], slot.Bytes[2 * timer + 1]);
}

// Seconds to eighths, truncated toward zero; the word keeps the low 16 bits of the count.
std::uint16_t CountOf(float seconds) {
    const double counts = std::trunc(static_cast<double>(seconds) * 8.0);
    if (!std::isfinite(counts)) return 0;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    const double bounded = std::clamp(counts, -kMax, kMax);
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(bounded));
}

std::vector<std::uint8_t> PackTimeSettings(const TMainClass& session) {
    return PackImage(Slot(session));
}

bool UnpackTimeSettings(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackImage(Slot(session), record);
}

void BlankTimeSettings(TMainClass& session) {
    TRawSlot& slot = Slot(session);
    slot.Clear();
    for (std::size_t k = 0; k < kBlankCounts.size(); ++k)
        TBroadcaster::SplitWord(kBlankCounts[k], slot.Bytes[2 * k], slot.Bytes[2 * k + 1]);
    slot.Length = static_cast<std::uint16_t>(2 * kBlankCounts.size());
}

// Every timer at its default (step times multiplier); the factory value where the station
// reported no default.
void FillTimeSettingsDemo(const TMainClass&, TDataStream& store) {
    for (std::size_t k = 0; k < kTimerCount; ++k) {
        const float fallback = kBlankCounts[k] * kSecondsPerCount;
        const float byDefault = store.TimeDefaults.Values[k] * store.TimeDefaults.Codes[k];
        store.TimeSettings.Values[k] = byDefault > 0 ? byDefault : fallback;
    }
}

}  // namespace

std::uint16_t TimeSettingsLength(const TTableVerRWFlags& flags) {
    if (flags.ExtendedTimeTable()) return 2 * (kPassivePauseTimer + 1);
    if (flags.QuickConferences()) return 2 * (kConferenceTimer + 1);
    return 2 * kBaseTimers;
}

int ReadTimeSettings(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    TRawSlot& slot = Slot(session);
    slot.Clear();
    // The last byte stays free for the zero that evens an odd answer, so a 255-byte answer
    // is a bad frame rather than a padding byte written past the area.
    const auto room = slot.All().first(slot.Capacity() - 1);
    const std::array<std::uint8_t, 1> request{kReadCode};
    const int n = session.Frames.ReadFrame(request, room);
    TRawArea& area = session.Area(ETable::TimeSettings);
    area.Count = n < 0 ? 0 : 1;
    if (n < 0) {
        slot.Clear();
        return n;
    }
    const int even = n + (n % 2);  // the padding byte is already zero
    slot.Length = static_cast<std::uint16_t>(even);
    return even;
}

int WriteTimeSettings(TMainClass& session) {
    if (session.CheckLink() < 0) return 0;
    const std::array<std::uint8_t, 1> header{kWriteCode};
    TWriteOptions options;
    options.PurgeAfterLength = true;
    options.PurgeBeforeAck = true;
    return WriteSingle(session, Slot(session), header, options);
}

// Every timer sits in its own word (word k - 1 is timer k), whatever the station has: a
// 52-byte table holds T34 at bytes 48-49 and T35 at 50-51 also on a station without quick
// conferences, which is where the encode puts them. Reading T35 from bytes 48-49 there would
// move it to another word on every read and write back. Timers the table does not reach are
// 0, so a failed read leaves every timer at 0.
int DecodeTimeSettings(TMainClass& session, TDataStream& store) {
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    const TRawSlot& slot = Slot(session);
    auto& values = store.TimeSettings.Values;
    values.fill(0.0f);
    for (std::size_t k = 0; k < kBaseTimers; ++k) values[k] = WordAt(slot, k) * kSecondsPerCount;
    const std::size_t length = slot.Length;
    // T34's word also stands in front of T35 on stations without conferences.
    const bool conferenceWord = flags->QuickConferences() || flags->ExtendedTimeTable();
    if (length > 2 * kConferenceTimer && conferenceWord)
        values[kConferenceTimer] = WordAt(slot, kConferenceTimer) * kSecondsPerCount;
    if (length > 2 * kPassivePauseTimer && flags->ExtendedTimeTable())
        values[kPassivePauseTimer] = WordAt(slot, kPassivePauseTimer) * kSecondsPerCount;
    return 1;
}

int EncodeTimeSettings(TMainClass& session, TDataStream& store) {
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    TRawSlot& slot = Slot(session);
    const std::uint16_t length = TimeSettingsLength(*flags);
    for (std::size_t k = 0; 2 * k < length; ++k)
        TBroadcaster::SplitWord(CountOf(store.TimeSettings.Values[k]), slot.Bytes[2 * k],
                                slot.Bytes[2 * k + 1]);
    slot.Length = length;
    session.SetChanged(ETable::TimeSettings);
    return 1;
}

const TTableCodec* TimeSettingsCodec() {
    static const TTableCodec kCodec{
        ETable::TimeSettings,
        "Временные установки",
        "time",
        "Не могу прочитать таблицу временных установок. Выход по time-out",
        ReadTimeSettings,
        WriteTimeSettings,
        DecodeTimeSettings,
        EncodeTimeSettings,
        PackTimeSettings,
        UnpackTimeSettings,
        BlankTimeSettings,
        FillTimeSettingsDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
