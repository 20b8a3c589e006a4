#include "codecs/sta_button_codec.h"

#include <algorithm>
#include <stdexcept>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

constexpr std::uint8_t kReadCode = 0x60;
constexpr std::uint8_t kWriteCode = 0xE0;
constexpr int kSlowPhoneIndex = 13;  // the fourteenth phone answers late after its length byte
constexpr int kSlowPhonePauseMs = 10;

// Phones handled: the station's count, never more than the area or the store holds.
int PhoneCount(const TMainClass& session) {
    const auto slots = static_cast<int>(session.Area(ETable::StaButtons).Slots.size());
    return std::min(
        {static_cast<int>(session.Identity.StaCount), slots, static_cast<int>(kMaxStaPhones)});
}

bool KnownFamily(const std::string& model) {
    return TBroadcaster::IsLargeModel(model) || TBroadcaster::IsSmallModel(model);
}

std::string TwoDigits(int value) {
    const int v = value % 100;
    return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
}

std::vector<std::uint8_t> PackStaButtons(const TMainClass& session) {
    return PackBlocks(session.Area(ETable::StaButtons), PhoneCount(session));
}

bool UnpackStaButtons(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackBlocks(session.Area(ETable::StaButtons), record, PhoneCount(session));
}

void BlankStaButtons(TMainClass& session) {
    TRawArea& area = session.Area(ETable::StaButtons);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(PhoneCount(session));
}

// Every phone gets extension buttons of its neighbours, two trunk lines and a conference;
// the first phone is linked to the second.
void FillStaButtonDemo(const TMainClass& session, TDataStream& store) {
    const int buttons = StaButtonCountFor(session.Identity.Version);
    const int count = PhoneCount(session);
    for (int i = 0; i < count; ++i) {
        TSTAButtonTable& phone = store.StaButtons[static_cast<std::size_t>(i)];
        phone = TSTAButtonTable{};
        phone.ButtonCount = static_cast<std::uint16_t>(buttons);
        for (int k = 0; k < 4; ++k)
            phone.Buttons[static_cast<std::size_t>(k)] = "1" + TwoDigits(4 * i + k + 1);
        phone.Buttons[4] = "SL20";
        phone.Buttons[5] = "SL22";
        phone.Buttons[6] = "SL2" + TwoDigits(i + 1);
        phone.Buttons[7] = "Conf" + std::to_string(i % 10);
        phone.Buttons[static_cast<std::size_t>(buttons - 1)] = "9";
    }
    if (count >= 2 && KnownFamily(session.Identity.ModelName))
        store.StaButtons[0].LinkedSta =
            TBroadcaster::GetSTANumFromLogNum(session.Identity.ModelName, 2);
}

}  // namespace

int StaButtonCountFor(const std::string& version) {
    const int cmp = TBroadcaster::CompareVersions(version, "30,8");
    return cmp == 1 || cmp == 2 ? 60 : 48;
}

std::string StaButtonText(std::uint8_t code, std::uint8_t kind, bool& recognised) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string t{kHex[kind >> 4], kHex[kind & 0x0F], kHex[code >> 4], kHex[code & 0x0F]};
    if (t == "0000") return "";
    t.erase(0, t.find_first_not_of('0'));
    std::replace(t.begin(), t.end(), 'A', '0');
    switch (t.size()) {
        case 1:
            return t == "9" ? t : "0" + t;
        case 2:
            if (t[0] != '1' && t[0] != '5') recognised = false;
            return t;
        case 4:
            if (t[0] == '8') return "Conf" + t.substr(3);
            if (t.starts_with("00")) return "SL" + t.substr(2);
            if (t.starts_with("0B")) return "SL2" + t.substr(2);
            if (t.starts_with("0C")) return "SL3" + t.substr(2);
            return t;
        default:
            return t;
    }
}

bool IsStaLinkPort(const std::string& model, int portNumber) {
    const std::int64_t d = static_cast<std::int64_t>(portNumber) - 200;
    if (d < 0) return false;
    const std::int64_t slot = d / 10;
    const std::int64_t position = d % 10;
    std::int64_t index = 0;
    if (TBroadcaster::IsLargeModel(model)) {
        if (position != 4 && position != 6 && position != 8) return false;
        index = 3 * slot + (position - 4) / 2;
    } else if (TBroadcaster::IsSmallModel(model)) {
        if (position % 2 != 0 || position > 6) return false;
        index = 4 * slot + position / 2;
    } else {
        return false;
    }
    return index + 1 <= 0xFF;
}

int ReadStaButtonTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = PhoneCount(session);
    if (count == 0) return -2;
    session.Port.PurgeInput();
    if (!session.Frames.ModeCommand(0)) return -4;
    TRawArea& area = session.Area(ETable::StaButtons);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    TIndexedRead spec;
    spec.Code = kReadCode;
    spec.Count = count;
    spec.OnFailure = EReadFailure::ClearAll;
    spec.OptionsFor = [](int i) {
        TReadOptions options;
        if (i == kSlowPhoneIndex) options.PauseAfterLengthMs = kSlowPhonePauseMs;
        return options;
    };
    return ReadIndexed(session, area, spec);
}

int WriteStaButtonTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    session.Port.PurgeInput();
    const int count = PhoneCount(session);
    if (count == 0) {
        session.Dialogs.Message("Макс. кол-во СТА = 0 (1)", "");
        return -2;
    }
    if (!session.Frames.ModeCommand(0)) return -4;
    TIndexedWrite spec;
    spec.Code = kWriteCode;
    spec.Count = count;
    return WriteIndexed(session, session.Area(ETable::StaButtons), spec);
}

int DecodeStaButtonTable(TMainClass& session, TDataStream& store) {
    const int buttons = StaButtonCountFor(session.Identity.Version);
    const TRawArea& area = session.Area(ETable::StaButtons);
    const int count = PhoneCount(session);
    int result = 1;
    for (int i = 0; i < count; ++i) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        TSTAButtonTable& phone = store.StaButtons[static_cast<std::size_t>(i)];
        phone.Buttons.fill("");
        for (int j = 0; j < buttons && 2 * j < slot.Length; ++j) {
            bool recognised = true;
            phone.Buttons[static_cast<std::size_t>(j)] =
                StaButtonText(slot.Bytes[static_cast<std::size_t>(2 * j)],
                              slot.Bytes[static_cast<std::size_t>(2 * j + 1)], recognised);
            if (!recognised) result = 0;
        }
        phone.ButtonCount = static_cast<std::uint16_t>(buttons);
        phone.LinkedSta = -1;
        if (slot.Length == 2 * buttons + 1)
            phone.LinkedSta = TBroadcaster::GetSTANumFromLogNum(
                session.Identity.ModelName, slot.Bytes[static_cast<std::size_t>(2 * buttons)]);
    }
    return result;
}

int EncodeStaButtonTable(TMainClass& session, TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    const int buttons = StaButtonCountFor(session.Identity.Version);
    TRawArea& area = session.Area(ETable::StaButtons);
    const int count = PhoneCount(session);
    int result = 1;
    for (int i = 0; i < count; ++i) {
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        const TSTAButtonTable& phone = store.StaButtons[static_cast<std::size_t>(i)];
        std::fill(slot.Bytes.begin(), slot.Bytes.end(), 0);
        // Buttons past the working program's count are never sent, so they are not encoded.
        const int used = std::min<int>(phone.ButtonCount, buttons);
        for (int j = 0; j < used; ++j) {
            const std::string& text = phone.Buttons[static_cast<std::size_t>(j)];
            if (text.empty()) continue;
            std::uint8_t code = 0;
            std::uint8_t kind = 0;
            try {
                TBroadcaster::StrToWord1(text, code, kind, session.Dialogs);
            } catch (const std::invalid_argument&) {
                // A letter where a digit belongs: the button goes out unprogrammed.
                result = std::min(result, 0);
            }
            slot.Bytes[static_cast<std::size_t>(2 * j)] = code;
            slot.Bytes[static_cast<std::size_t>(2 * j + 1)] = kind;
        }
        slot.Length = static_cast<std::uint16_t>(2 * buttons);
        if (phone.LinkedSta == -1) continue;
        // The station numbers system phones by position: a port elsewhere would name another
        // phone, so such a link is left out rather than sent.
        if (KnownFamily(model) && !IsStaLinkPort(model, phone.LinkedSta)) {
            result = -1;
            continue;
        }
        const int index = TBroadcaster::GetLogSTA(model, phone.LinkedSta, session.Dialogs);
        slot.Bytes[static_cast<std::size_t>(2 * buttons)] = static_cast<std::uint8_t>(index + 1);
        slot.Length = static_cast<std::uint16_t>(2 * buttons + 1);
    }
    area.Count = static_cast<std::uint16_t>(count);
    session.SetChanged(ETable::StaButtons);
    return result;
}

const TTableCodec* StaButtonCodec() {
    static const TTableCodec kCodec{
        ETable::StaButtons,
        "Таблицы кнопок СТА",
        "buttons",
        "Не могу прочитать таблицу клавиш СТА. Выход по time-out",
        ReadStaButtonTable,
        WriteStaButtonTable,
        DecodeStaButtonTable,
        EncodeStaButtonTable,
        PackStaButtons,
        UnpackStaButtons,
        BlankStaButtons,
        FillStaButtonDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
