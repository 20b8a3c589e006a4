#include "codecs/system_settings_codec.h"

#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

const std::array<TSystemSwitch, 8> kSystemSwitches{{
    {&TSystemSettings::SYS_UniformSLLoading, "Равномерная загрузка СЛ"},
    {&TSystemSettings::SYS_TarINCall, "Глобальное разрешение тарификации входящих соединений"},
    {&TSystemSettings::SYS_ToneDial, "Глобальное разрешение тонального набора"},
    {&TSystemSettings::SYS_NotInterCityTar,
     "Глобальный запрет тарификации немеждугородних исходящих соединений"},
    {&TSystemSettings::SYS_TAProgrammingOFF,
     "Запрет программирования с ТА основным способом (с версии 20.1)"},
    {&TSystemSettings::SYS_AutoEraseTar,
     "Разрешение автоматического стирания старых записей тарификации (с версии 23.1)"},
    {&TSystemSettings::SYS_SignalToSLForDISA,
     "Глобальное разрешение подачи сигнала в СЛ при включении DISA (с 23.5)"},
    {&TSystemSettings::SYS_MGDigit0, "Цифра МГ - 0,  международная связь - 00 (иначе 8, 10)"},
}};

namespace {

constexpr std::uint8_t kReadCode = 0x0A;
constexpr std::uint8_t kWriteCode = 0x8A;
constexpr std::uint16_t kEncodedLength = 5;
constexpr std::uint32_t kSecondsPerDay = 86400;

TRawSlot& Slot(TMainClass& session) {
    return session.Area(ETable::SystemSettings).Slots[0];
}
const TRawSlot& Slot(const TMainClass& session) {
    return session.Area(ETable::SystemSettings).Slots[0];
}

// Seconds per station time unit; the identity already turns a reported 0 into 6.
std::uint32_t TimeUnit(const TMainClass& session) {
    return session.Identity.TimeUnit == 0 ? 6u : session.Identity.TimeUnit;
}

TSwitchTime DecodeTime(std::uint8_t lo, std::uint8_t hi, std::uint32_t unit) {
    // Counts past midnight wrap into the day, as the station's clock does.
    const std::uint32_t t = TBroadcaster::MakeWord(lo, hi) * unit % kSecondsPerDay;
    TSwitchTime time;
    time.Hours = static_cast<std::uint16_t>(t / 3600 % 24);
    time.Minutes = static_cast<std::uint16_t>(t / 60 % 60);
    time.Seconds = static_cast<std::uint16_t>(t % 60);
    return time;
}

void EncodeTime(const TSwitchTime& time, std::uint32_t unit, std::uint8_t& lo, std::uint8_t& hi) {
    const std::uint32_t s = time.Hours * 3600u + time.Minutes * 60u + time.Seconds;
    const std::uint32_t v = s / unit;  // a remainder below one unit cannot travel
    lo = static_cast<std::uint8_t>(v % 256);
    hi = static_cast<std::uint8_t>(v / 256);
}

std::vector<std::uint8_t> PackSystemSettings(const TMainClass& session) {
    return PackImage(Slot(session));
}

bool UnpackSystemSettings(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackImage(Slot(session), record);
}

void BlankSystemSettings(TMainClass& session) {
    Slot(session).Clear();
}

// Uniform loading and tone dialling on, day from 08:00 to 19:30.
void FillSystemSettingsDemo(const TMainClass&, TDataStream& store) {
    TSystemSettings s;
    s.SYS_UniformSLLoading = true;
    s.SYS_ToneDial = true;
    s.SYS_TarINCall = true;
    s.SYS_AutoEraseTar = true;
    s.SYS_DayTime.Hours = 8;
    s.SYS_NightTime.Hours = 19;
    s.SYS_NightTime.Minutes = 30;
    store.SystemSettings = s;
}

}  // namespace

int ReadSystemSettings(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const std::array<std::uint8_t, 1> request{kReadCode};
    // A failed read leaves a cleared area with length 0, which decodes as all switches off.
    const int n = ReadSingle(session, Slot(session), request);
    session.Area(ETable::SystemSettings).Count = n < 0 ? 0 : 1;
    return n;
}

int WriteSystemSettings(TMainClass& session) {
    if (session.CheckLink() < 0) return 0;
    const std::array<std::uint8_t, 1> header{kWriteCode};
    TWriteOptions options;
    options.PurgeAfterLength = true;
    options.PurgeBeforeAck = true;
    return WriteSingle(session, Slot(session), header, options);
}

int DecodeSystemSettings(TMainClass& session, TDataStream& store) {
    const auto& b = Slot(session).Bytes;
    TSystemSettings& s = store.SystemSettings;
    for (std::size_t bit = 0; bit < kSystemSwitches.size(); ++bit)
        s.*kSystemSwitches[bit].Field = TBroadcaster::TestBit(b[0], static_cast<int>(bit)) != 0;
    const std::uint32_t unit = TimeUnit(session);
    s.SYS_DayTime = DecodeTime(b[1], b[2], unit);
    s.SYS_NightTime = DecodeTime(b[3], b[4], unit);
    return 1;
}

int EncodeSystemSettings(TMainClass& session, TDataStream& store) {
    TRawSlot& slot = Slot(session);
    auto& b = slot.Bytes;
    const TSystemSettings& s = store.SystemSettings;
    b[0] = 0;
    for (std::size_t bit = 0; bit < kSystemSwitches.size(); ++bit)
        if (s.*kSystemSwitches[bit].Field) TBroadcaster::SetBit(b[0], static_cast<int>(bit));
    const std::uint32_t unit = TimeUnit(session);
    EncodeTime(s.SYS_DayTime, unit, b[1], b[2]);
    EncodeTime(s.SYS_NightTime, unit, b[3], b[4]);
    slot.Length = kEncodedLength;
    session.SetChanged(ETable::SystemSettings);
    return 1;
}

const TTableCodec* SystemSettingsCodec() {
    static const TTableCodec kCodec{
        ETable::SystemSettings,
        "Общесистемные установки",
        "system",
        "Не могу прочитать таблицу общесистемных установок. Выход по time-out",
        ReadSystemSettings,
        WriteSystemSettings,
        DecodeSystemSettings,
        EncodeSystemSettings,
        PackSystemSettings,
        UnpackSystemSettings,
        BlankSystemSettings,
        FillSystemSettingsDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
