#include "flows/offline_constructor.h"

#include <algorithm>

#include "flows/clear_settings.h"
#include "flows/station_status.h"
#include "model/port.h"

namespace zarnik {

namespace {

constexpr std::array<const char*, 4> kModels{"Dogwood", "Cedar", "Birch", "Alder"};

constexpr std::array<TBoardChoice, 6> kTenPortBoards{{
    {"", kEmptySlotCode},
    {"Kama", 1},
    {"Don", 3},
    {"Volga", 11},
    {"Neva", 2},
    {"Onega", 10},
}};

constexpr std::array<TBoardChoice, 6> kEightPortBoards{{
    {"", kEmptySlotCode},
    {"Oka", 1},
    {"Ural", 2},
    {"Svir", 3},
    {"Lena", 7},
    {"LenaN", 12},
}};

// What the identification tells of each model: device code and the counts of its tables.
struct TModelIdentity {
    const char* Model;
    std::uint8_t DeviceCode;
    std::uint8_t TrunkLines;
    std::uint8_t SubscriberLines;
    std::uint8_t DoorPhones;
    std::uint8_t RoutingTables;
    std::uint8_t Loudspeakers;
    std::uint8_t StaPhones;
};

constexpr std::array<TModelIdentity, 4> kModelIdentities{{
    {"Cedar", 4, 60, 120, 4, 50, 6, 36},
    {"Dogwood", 6, 75, 150, 4, 50, 6, 45},
    {"Alder", 7, 12, 48, 2, 50, 2, 24},
    {"Birch", 8, 20, 80, 2, 50, 2, 40},
}};

// Default timers of a constructed station: 26 words, low byte first.
constexpr std::array<std::uint8_t, 52> kTimeDefaults{
    20, 64,  20,  16, 40, 32, 4,  80, 40,  32, 40, 96, 4,  80, 40, 32, 1,   64,
    1,  128, 40,  64, 40, 48, 40, 48, 40,  48, 20, 32, 48, 80, 80, 48, 176, 164,
    20, 16,  176, 68, 8,  48, 4,  64, 240, 16, 1,  64, 40, 48, 2,  96};

constexpr std::array<ETable, kTableCount> kConstructorOrder{
    ETable::SystemSettings,  ETable::ProgramNumbers,
    ETable::SubscriberLines, ETable::TrunkLines,
    ETable::RoutingTables,   ETable::Groups,
    ETable::GroupPhoneBooks, ETable::Loudspeakers,
    ETable::DoorPhones,      ETable::StaButtons,
    ETable::Flash,           ETable::GlobalPhoneBook,
    ETable::TimeSettings,    ETable::QuickConferences,
    ETable::Redirections,    ETable::BlackWhiteLists};

// Cedar lists its first unit's six slots, two unused places, the second unit's six slots, one
// unused place, then the second unit's own place and a closing code.
constexpr std::size_t kCedarCompositionLength = 17;
constexpr int kCedarFirstUnitSlots = 6;
constexpr std::uint8_t kCedarSecondUnitCode = 7;
constexpr std::uint8_t kCedarClosingCode = 6;

constexpr std::uint8_t kUnitFlags = 1;  // one unit
constexpr std::uint8_t kTimeUnit = 4;
constexpr std::uint16_t kIdRawLength = 22;

const TModelIdentity* IdentityOf(const std::string& model) {
    for (const TModelIdentity& m : kModelIdentities)
        if (model == m.Model) return &m;
    return nullptr;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::uint8_t DigitPair(char high, char low) {
    return static_cast<std::uint8_t>(((high - '0') << 4) | (low - '0'));
}

void EraseFirst(std::string& text, char c) {
    const std::size_t at = text.find(c);
    if (at != std::string::npos) text.erase(at, 1);
}

void SetIdentification(TMainClass& session,
                       const std::array<std::uint8_t, kConstructorIdLength>& block) {
    session.Identified = false;
    session.IdBuffer.fill(0);
    std::copy(block.begin(), block.end(), session.IdBuffer.begin());
    session.IdRawLength = kIdRawLength;
    session.IdDecodedLength = static_cast<std::uint8_t>(kConstructorIdLength);
    session.Key = 0;
    session.DecodeIdentification(false);
}

void SetConferenceParameters(TMainClass& session) {
    // A model without quick conferences must not keep those of the station before it.
    session.ConferenceParams.fill(0);
    if (!session.VerFlags->QuickConferences()) return;
    const bool cedar = session.Identity.ModelName == "Cedar";
    session.ConferenceParams = {10, static_cast<std::uint8_t>(cedar ? 30 : 60), 1, 200, 0};
}

void SetTimeDefaults(TMainClass& session, TDataStream& store) {
    session.TimeDefaultsRaw.fill(0);
    std::copy(kTimeDefaults.begin(), kTimeDefaults.end(), session.TimeDefaultsRaw.begin());
    session.TimeDefaultsLength = static_cast<std::uint16_t>(kTimeDefaults.size());
    DecodeTimeDefaults(session, store);
}

void SetComposition(TMainClass& session, TDataStream& store,
                    const std::vector<std::uint8_t>& codes) {
    const std::size_t n = std::min(codes.size(), session.HwList.size());
    session.HwList.fill(0);
    std::copy_n(codes.begin(), n, session.HwList.begin());
    session.HwListLength = static_cast<std::uint16_t>(n);
    // No board has told us its serial number or firmware: the entries keep empty details.
    for (auto& record : session.HwRecords) record.fill(0);
    DecodeComposition(session, store);
    BuildPorts(store);
}

}  // namespace

const std::array<const char*, 4>& ConstructorModels() {
    return kModels;
}

const std::array<ETable, kTableCount>& ConstructorOrder() {
    return kConstructorOrder;
}

int ConstructorSlotCount(const std::string& model) {
    if (model == "Dogwood") return 15;
    if (model == "Cedar") return 12;
    if (model == "Birch") return 10;
    if (model == "Alder") return 6;
    return 0;
}

std::span<const TBoardChoice> OfferedBoards(const std::string& model) {
    if (model == "Dogwood" || model == "Cedar") return kTenPortBoards;
    if (model == "Birch" || model == "Alder") return kEightPortBoards;
    return {};
}

std::optional<std::uint8_t> BoardCode(const std::string& model, const std::string& board) {
    for (const TBoardChoice& choice : OfferedBoards(model))
        if (board == choice.Name) return choice.Code;
    return std::nullopt;
}

std::optional<std::array<std::uint8_t, 2>> VersionBytes(const std::string& version) {
    if (version.empty() || version.size() > 4) return std::nullopt;
    std::string digits = version;
    EraseFirst(digits, '.');
    EraseFirst(digits, ',');
    if (digits.size() == 3) digits.insert(digits.begin(), '0');
    // The session reads the nibbles back as decimal numbers; anything but four decimal digits
    // would leave a version the station's comparisons cannot make sense of.
    if (digits.size() != 4 || !std::all_of(digits.begin(), digits.end(), IsDigit))
        return std::nullopt;
    const std::uint8_t first = DigitPair(digits[0], digits[1]);
    const std::uint8_t second = DigitPair(digits[2], digits[3]);
    return std::array<std::uint8_t, 2>{second, first};
}

std::optional<std::array<std::uint8_t, kConstructorIdLength>> ConstructorIdentification(
    const std::string& model, const std::string& version) {
    const TModelIdentity* m = IdentityOf(model);
    const auto versionBytes = VersionBytes(version);
    if (m == nullptr || !versionBytes) return std::nullopt;
    std::array<std::uint8_t, kConstructorIdLength> b{};
    b[4] = kUnitFlags;
    b[5] = m->DeviceCode;
    b[6] = (*versionBytes)[0];
    b[7] = (*versionBytes)[1];
    b[8] = m->TrunkLines;
    b[9] = m->SubscriberLines;
    b[13] = kTimeUnit;
    b[16] = m->DoorPhones;
    b[17] = m->RoutingTables;
    b[18] = m->Loudspeakers;
    b[19] = m->StaPhones;
    return b;
}

bool TConstructorDraft::SetModel(const std::string& model) {
    if (!model.empty() && ConstructorSlotCount(model) == 0) return false;
    if (model != ModelName) Slots.assign(static_cast<std::size_t>(ConstructorSlotCount(model)), "");
    ModelName = model;
    return true;
}

bool TConstructorDraft::SetBoard(int slot, const std::string& board) {
    if (!CanBuild() || slot < 0 || slot >= static_cast<int>(Slots.size())) return false;
    if (!BoardCode(ModelName, board)) return false;
    Slots[static_cast<std::size_t>(slot)] = board;
    if (ModelName == "Cedar" && slot >= kCedarFirstUnitSlots && !board.empty())
        SecondUnitTicked = true;
    return true;
}

bool TConstructorDraft::SecondUnitBoardsFitted() const {
    if (ModelName != "Cedar") return false;
    return std::any_of(Slots.begin() + kCedarFirstUnitSlots, Slots.end(),
                       [](const std::string& board) { return !board.empty(); });
}

bool TConstructorDraft::SetSecondUnit(bool ticked) {
    if (!SecondUnitEnabled()) return SecondUnit();
    SecondUnitTicked = ticked || SecondUnitBoardsFitted();
    return SecondUnitTicked;
}

std::vector<std::uint8_t> TConstructorDraft::CompositionBytes() const {
    std::vector<std::uint8_t> codes;
    for (const std::string& board : Slots)
        codes.push_back(BoardCode(ModelName, board).value_or(kEmptySlotCode));
    if (ModelName != "Cedar") return codes;
    std::vector<std::uint8_t> cedar;
    cedar.reserve(kCedarCompositionLength);
    cedar.insert(cedar.end(), codes.begin(), codes.begin() + kCedarFirstUnitSlots);
    cedar.insert(cedar.end(), 2, kEmptySlotCode);
    cedar.insert(cedar.end(), codes.begin() + kCedarFirstUnitSlots, codes.end());
    cedar.push_back(kEmptySlotCode);
    cedar.push_back(SecondUnit() ? kCedarSecondUnitCode : kEmptySlotCode);
    cedar.push_back(kCedarClosingCode);
    return cedar;
}

EConstructResult BuildOfflineStation(TMainClass& session, TDataStream& store,
                                     const TConstructorDraft& draft) {
    if (!draft.CanBuild()) return EConstructResult::NotChosen;
    const auto block = ConstructorIdentification(draft.Model(), draft.Version());
    if (!block) {
        // A station with half an identity would be saved and written as a different one.
        session.Dialogs.Message("Версию рабочей программы \"" + draft.Version() +
                                    "\" нельзя записать в идентификацию АТС. Укажите версию в "
                                    "виде \"24.7\".",
                                "Ошибка");
        return EConstructResult::BadVersion;
    }
    SetIdentification(session, *block);
    DecodeStationStatus(session, store, false, false);
    session.VerFlags = session.BuildVerFlags();
    SetConferenceParameters(session);
    SetTimeDefaults(session, store);
    SetComposition(session, store, draft.CompositionBytes());
    for (ETable t : kConstructorOrder) BlankTable(session, store, t);
    // Blank by the user's choice, not for want of a table in a file.
    session.Origin = EConfigOrigin::Constructor;
    session.LoadedBlank.fill(false);
    session.DataPresent = true;
    return EConstructResult::Built;
}

}  // namespace zarnik
