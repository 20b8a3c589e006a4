#include "codecs/flash_codec.h"

#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"

namespace zarnik {

namespace {

TRawSlot& FlashSlot(TMainClass& session) {
    return session.Area(ETable::Flash).Slots.at(0);
}
const TRawSlot& FlashSlot(const TMainClass& session) {
    return session.Area(ETable::Flash).Slots.at(0);
}

}  // namespace

int ReadFlashTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    if (session.Identity.SubscriberLineCount == 0) return -2;
    TRawSlot& slot = FlashSlot(session);
    slot.Clear();
    const std::array<std::uint8_t, 2> request{0x40, kFlashSubCode};
    if (ReadSingle(session, slot, request) < 0) {
        slot.Clear();  // a failed read leaves no stale length behind to be saved or written
        return -5;
    }
    return 0;
}

int WriteFlashTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    if (session.Identity.SubscriberLineCount == 0) return -2;
    TWriteOptions options;
    options.PurgeBeforeAck = true;
    const std::array<std::uint8_t, 2> header{0xC0, kFlashSubCode};
    return WriteSingle(session, FlashSlot(session), header, options) < 0 ? -5 : 0;
}

std::vector<std::uint8_t> DemoFlashImage() {
    // Flash timing pairs of the line classes and a closing settings word.
    return {0x0A, 0x3C, 0x0A, 0x3C, 0x0C, 0x50, 0x08, 0x28, 0x0A, 0x3C,
            0x0A, 0x3C, 0x10, 0x64, 0x0A, 0x3C, 0x01, 0x00, 0x05, 0x14};
}

void FillFlashDemo(TMainClass& session) {
    FlashSlot(session).Assign(DemoFlashImage());
}

const TTableCodec* FlashCodec() {
    static const TTableCodec kCodec{
        .Table = ETable::Flash,
        .Caption = "Flash установки",
        .Key = "flash",
        .ReadTimeout = "Не могу прочитать таблицу flash. Выход по time-out",
        .Read = ReadFlashTable,
        .Write = WriteFlashTable,
        // The block has no form in the store: there is nothing to decode or encode.
        .Decode = [](TMainClass&, TDataStream&) { return 1; },
        .Encode =
            [](TMainClass& s, TDataStream&) {
                s.SetChanged(ETable::Flash);
                return 1;
            },
        .Pack = [](const TMainClass& s) { return PackImage(FlashSlot(s)); },
        .Unpack =
            [](TMainClass& s, std::span<const std::uint8_t> record) {
                return UnpackImage(FlashSlot(s), record);
            },
        .Blank = [](TMainClass& s) { FlashSlot(s).Clear(); },
        // The store holds nothing of this table; see FillFlashDemo.
        .FillDemo = [](const TMainClass&, TDataStream&) {},
    };
    return &kCodec;
}

}  // namespace zarnik
