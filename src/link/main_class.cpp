#include "link/main_class.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>
#include <utility>
#include <filesystem>
#include <thread>

#include "model/program_options.h"
#include "platform/file_system.h"

namespace zarnik {

namespace {

struct TAreaShape {
    ETable Table;
    std::size_t Slots;
    std::size_t Capacity;
};

// Slots and bytes per slot of every table's raw area. Counts that the station reports are
// clamped to the slot counts here, so no read, load or clearing can reach past them.
constexpr std::array<TAreaShape, kTableCount> kAreaShapes{{
    {ETable::TimeSettings, 1, 255},
    {ETable::SystemSettings, 1, 100},
    {ETable::GlobalPhoneBook, 3, 255},
    {ETable::Redirections, 1, 500},
    {ETable::ProgramNumbers, 2, 255},
    {ETable::Flash, 1, 254},
    {ETable::RoutingTables, 100, 255},
    {ETable::TrunkLines, 200, 255},
    {ETable::SubscriberLines, 500, 128},
    {ETable::Groups, 20, 255},
    {ETable::DoorPhones, 64, 64},
    {ETable::GroupPhoneBooks, 40, 255},  // slot 2g: group g's first half, 2g + 1: its second
    {ETable::Loudspeakers, 64, 64},
    {ETable::StaButtons, 45, 255},
    {ETable::QuickConferences, 60, 256},  // [member count, member bytes...]
    {ETable::BlackWhiteLists, 1, 255},
}};

std::uint16_t Clamp(unsigned value, std::size_t capacity) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(value, capacity));
}

}  // namespace

std::string UnknownDeviceCodeText(std::uint8_t code) {
    return "Ошибка чтения кода устройства: код " + std::to_string(code) +
           " не принадлежит ни одной известной модели АТС (4 Cedar, 6 Dogwood, 7 Alder, 8 Birch).";
}

std::string ModelNameForDeviceCode(std::uint8_t code) {
    switch (code) {
        case 4: return "Cedar";
        case 6: return "Dogwood";
        case 7: return "Alder";
        case 8: return "Birch";
        default: return "";
    }
}

TMainClass::TMainClass(TUserDialogs& dialogs, const TSessionSetup& setup)
    : Dialogs(dialogs), BaseDir(setup.BaseDir) {
    for (const auto& shape : kAreaShapes)
        Areas[static_cast<std::size_t>(SelectionIndex(shape.Table))] =
            TRawArea(shape.Slots, shape.Capacity);
    if (BaseDir.empty()) BaseDir = std::filesystem::current_path().string();
    const std::string dat = BaseDir + "/" + ResolveCaseInsensitive(BaseDir, "dat");
    if (!DirectoryExists(dat) && !MakeDirectory(dat))
        FatalMessage(Dialogs, "Ошибка создания директории DAT.", "Ошибка", 1);
    if (!setup.OpenPort) return;
    if (!setup.PortOverride.empty()) {
        PortName = setup.PortOverride;
        OpenConfiguredPort(false);
        return;
    }
    const TProgramOptions options = LoadOrCreateOptions(BaseDir, Dialogs);
    PortName = options.PortName;
    if (options.Source == TOptionsSource::Malformed) return;
    StoredPortMissing = options.Source == TOptionsSource::MissingDevice;
    if (StoredPortMissing) return;
    OpenConfiguredPort(options.Source == TOptionsSource::Created);
}

TMainClass::~TMainClass() {
    try {
        Port.Close();
    } catch (const ECommError&) {
        Dialogs.Message("Исключение! Непонятная ошибка при закрытии СОМ-порта.", "");
    }
}

void TMainClass::OpenConfiguredPort(bool optionsJustCreated) {
    try {
        Port.SetPortName(PortName);
        Port.Open(PortName);
        Port.PurgeInput();
        DataPresent = true;
    } catch (const ECommError& e) {
        try {
            Port.Close();
        } catch (const ECommError&) {
        }
        Dialogs.Message(WithPortOpenReason(PortOpenFailureText(optionsJustCreated
                                                                   ? TOptionsSource::Created
                                                                   : TOptionsSource::Read),
                                           e, Port.DevicePath()),
                        "");
    }
}

void TMainClass::OpenPort() {
    if (Port.IsOpen()) return;
    Port.SetPortName(PortName);
    Port.Open(PortName);
}

void TMainClass::ClearAllAreas() {
    for (auto& a : Areas) a.Clear();
}

TTableVerRWFlagsPtr TMainClass::BuildVerFlags() const {
    return std::make_shared<const TTableVerRWFlags>(Identity.ModelName, Identity.Version);
}

int TMainClass::ExchangeIdentification(std::array<std::uint8_t, kIdBufferSize>& block) {
    Port.PurgeInput();
    Port.WriteByte(0x01);
    const int n = Port.ReadByteTimeout(TFrameEngine::kByteWaitMs);
    if (n < 0 || n == 0xFF) return -1;
    // The length byte cannot exceed the 256-byte buffer.
    block.fill(0);
    for (int i = 0; i < n; ++i) {
        const int b = Port.ReadByteTimeout(TFrameEngine::kByteWaitMs);
        // Without a checksum a shifted block cannot be told from a good one: a byte that does
        // not come fails the whole exchange.
        if (b < 0) return -1;
        block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(b);
    }
    return n;
}

bool IdentificationsAgree(const std::array<std::uint8_t, kIdBufferSize>& a,
                          const std::array<std::uint8_t, kIdBufferSize>& b, int length,
                          double secondsApart) {
    const auto n = static_cast<std::size_t>(length);
    if (n < 12) return false;  // not even the key came
    if (!std::equal(a.begin() + 4, a.begin() + static_cast<std::ptrdiff_t>(n), b.begin() + 4))
        return false;
    const std::uint8_t key = a[11];
    const auto seconds = [key, n](const std::array<std::uint8_t, kIdBufferSize>& x) {
        const std::uint8_t unitByte = n > 13 ? static_cast<std::uint8_t>(x[13] ^ key) : 0;
        const long unit = unitByte == 0 ? 6 : unitByte;
        const long day = (x[0] ^ key) | ((x[1] ^ key) << 8);
        const long ticks = (x[2] ^ key) | ((x[3] ^ key) << 8);
        return std::pair{day * 86400 + ticks * unit, unit};
    };
    const auto [sa, unit] = seconds(a);
    const long sb = seconds(b).first;
    // The clock ran on between the answers, and may have just moved on by one of its ticks.
    const double drift = static_cast<double>(sb - sa) - secondsApart;
    return std::fabs(drift) <= static_cast<double>(std::max(2L, unit));
}

bool TMainClass::ReadIdentification(bool openPort) {
    if (openPort) OpenPort();
    struct TIdAnswer {
        std::array<std::uint8_t, kIdBufferSize> Block;
        int Length;
        std::chrono::steady_clock::time_point At;
    };
    // Every complete answer so far; a damaged one that happens to be complete agrees with none.
    std::vector<TIdAnswer> answers;
    const TIdAnswer* agreed = nullptr;
    for (int exchange = 0; exchange < kIdentifyExchanges && agreed == nullptr; ++exchange) {
        TIdAnswer answer{};
        answer.Length = ExchangeIdentification(answer.Block);
        answer.At = std::chrono::steady_clock::now();
        if (answer.Length < 0) continue;
        for (const TIdAnswer& earlier : answers) {
            const double apart =
                std::chrono::duration<double>(answer.At - earlier.At).count();
            if (earlier.Length == answer.Length &&
                IdentificationsAgree(earlier.Block, answer.Block, answer.Length, apart)) {
                answers.push_back(answer);
                agreed = &answers.back();
                break;
            }
        }
        if (agreed == nullptr) answers.push_back(answer);
    }
    if (agreed != nullptr) {
        IdBuffer = agreed->Block;
        IdRawLength = static_cast<std::uint16_t>(agreed->Length);
        Key = IdBuffer[11];
    }
    if (openPort) Port.Close();
    return agreed != nullptr;
}

void TMainClass::MarkReadFromStation() {
    Origin = EConfigOrigin::Station;
    OriginModel = Identity.ModelName;
    OriginSerial = Identity.SerialNumber;
}

std::string VersionFromIdentification(std::uint8_t byte6, std::uint8_t byte7) {
    return std::to_string(byte7) + std::to_string(byte6 >> 4) + "," + std::to_string(byte6 & 0x0F);
}

std::string SerialFromIdentification(std::uint8_t byte14, std::uint8_t byte15) {
    return std::to_string(byte14 | (byte15 << 8));
}

void TMainClass::DecodeIdentification(bool applyKey) {
    auto& b = IdBuffer;
    if (applyKey) {
        for (std::size_t i = 0; i < b.size(); ++i)
            if (i != 11) b[i] ^= Key;
        std::size_t end = 16;
        while (end < b.size() && b[end] != 0) ++end;
        Identity.StationName.assign(reinterpret_cast<const char*>(&b[16]), end - 16);
        const std::size_t nameLength = end - 16;
        // The counts that follow the name move down to fixed positions 16..35.
        std::array<std::uint8_t, 20> tail{};
        for (std::size_t i = 0; i < tail.size(); ++i) {
            const std::size_t from = end + 1 + i;
            tail[i] = from < b.size() ? b[from] : 0;
        }
        std::copy(tail.begin(), tail.end(), b.begin() + 16);
        const int decoded = static_cast<int>(IdRawLength) - static_cast<int>(nameLength) - 1;
        IdDecodedLength = static_cast<std::uint8_t>(std::clamp(decoded, 0, 255));
    }
    Identity.ModelName = ModelNameForDeviceCode(b[5]);
    if (Identity.ModelName.empty()) FatalMessage(Dialogs, UnknownDeviceCodeText(b[5]), "", 1);
    const std::uint8_t units = b[4];
    Identity.UnitFlags = {(units & 1) != 0, (units & 2) != 0, (units & 4) != 0};
    Identity.UnitCount = static_cast<std::int16_t>(1 + ((units & 2) ? 1 : 0) + ((units & 4) ? 1 : 0));
    Identity.TrunkLineCount = Clamp(b[8], Area(ETable::TrunkLines).Slots.size());
    Identity.SubscriberLineCount = Clamp(b[9], Area(ETable::SubscriberLines).Slots.size());
    Identity.Version = VersionFromIdentification(b[6], b[7]);
    Identity.TimeUnit = b[13] == 0 ? 6 : b[13];
    Identity.SerialNumber = SerialFromIdentification(b[14], b[15]);
    Identity.DoorPhoneCount = Clamp(b[16], Area(ETable::DoorPhones).Slots.size());
    Identity.RoutingTableCount = Clamp(b[17] == 0 ? 48 : b[17], Area(ETable::RoutingTables).Slots.size());
    Identity.LoudspeakerCount = Clamp(b[18], Area(ETable::Loudspeakers).Slots.size());
    Identity.StaCount = Clamp(b[19], Area(ETable::StaButtons).Slots.size());
}

int TMainClass::ReadCallAccountingStatus() {
    CallAccounting.fill(0);
    int link = CheckLink();
    for (int retry = 0; link < 0 && retry < 2; ++retry) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        link = CheckLink();
    }
    if (link < 0) {
        Dialogs.Message(
            "Ошибка чтения буфера тарификации. Это некритичная ошибка. На программирование АТС "
            "не влияет",
            "");
        return 1;
    }
    const std::array<std::uint8_t, 2> request{0x40, 0x03};
    const int n = Frames.ReadFrame(request, CallAccounting);
    if (n >= 0) CallAccountingLength = static_cast<std::uint16_t>(n);
    return 1;
}

int TMainClass::ReadTimeDefaults() {
    if (CheckLink() < 0) {
        Dialogs.Message("Ошибка чтения умолчаний временных установок. Нет связи.", "");
        return -1;
    }
    const std::array<std::uint8_t, 1> request{0x08};
    const int n = Frames.ReadFrame(request, TimeDefaultsRaw);
    if (n < 0) return -5;
    TimeDefaultsLength = static_cast<std::uint16_t>(n);
    return n;
}

int TMainClass::ReadConferenceParameters() {
    if (CheckLink() < 0) return -1;
    ConferenceParams.fill(0);
    const std::array<std::uint8_t, 2> request{0x40, 0x12};
    return Frames.ReadFrame(request, ConferenceParams) < 0 ? -5 : 0;
}

int TMainClass::ReadHardwareConfiguration() {
    if (CheckLink() < 0) return -1;
    const std::array<std::uint8_t, 2> request{0x40, 0x09};
    TReadOptions options;
    options.FailOnMissingLength = true;
    // Only as many slots as there are records to describe them.
    const int n =
        Frames.ReadFrame(request, std::span<std::uint8_t>(HwList.data(), kHwRecordCount), options);
    if (n == -6) {
        Dialogs.Message("Таблица апп. конфигурации АТС имеет подозрительно большую длину!",
                        "Ошибка");
        return -6;
    }
    if (n < 0) return -5;
    HwListLength = static_cast<std::uint16_t>(n);
    for (auto& r : HwRecords) r.fill(0);
    for (int j = 0; j < n; ++j) {
        auto& record = HwRecords[static_cast<std::size_t>(j)];
        const int m = Frames.Query(static_cast<std::uint8_t>(j),
                                   std::span<std::uint8_t>(record.data(), kHwRecordData));
        if (m < 0) return -5;
        record[kHwRecordData] = static_cast<std::uint8_t>(m);
    }
    return 1;
}

}  // namespace zarnik
