#include "codecs/redirection_codec.h"

#include <algorithm>
#include <array>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

constexpr std::array<std::uint8_t, 2> kReadRequest{0x40, 0x00};
constexpr std::array<std::uint8_t, 2> kWriteHeader{0xC0, 0x00};

TRawSlot& Slot(TMainClass& session) {
    return session.Area(ETable::Redirections).Slots[0];
}
const TRawSlot& Slot(const TMainClass& session) {
    return session.Area(ETable::Redirections).Slots[0];
}

std::size_t LineCount(const TMainClass& session) {
    return std::min({static_cast<std::size_t>(session.Identity.SubscriberLineCount),
                     kMaxRedirections, Slot(session).Capacity()});
}

bool CanRedirect(const TPortPtr& port) {
    return port && (port->Type == kPortTypeSubscriber || port->Type == kPortTypeSta);
}

std::vector<std::uint8_t> PackRedirections(const TMainClass& session) {
    return PackImage(Slot(session));
}

bool UnpackRedirections(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackImage(Slot(session), record);
}

// Every line to itself: no redirection anywhere.
void BlankRedirections(TMainClass& session) {
    TRawSlot& slot = Slot(session);
    slot.Clear();
    const std::size_t count = LineCount(session);
    for (std::size_t i = 0; i < count; ++i) slot.Bytes[i] = static_cast<std::uint8_t>(i);
    slot.Length = static_cast<std::uint16_t>(count);
}

// The second and third subscriber lines go to the first, the fifth to the fourth.
void FillRedirectionDemo(const TMainClass& session, TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    const std::size_t count = LineCount(session);
    for (std::size_t i = 0; i < count; ++i) {
        const TPortPtr port =
            FindPort(store, TBroadcaster::GetPortNumFromIndex(model, static_cast<int>(i)));
        store.Redirections[i] = TRedirectRecord{CanRedirect(port) ? 0 : -1, 0, 0};
    }
    store.RedirectionCount = static_cast<std::uint16_t>(count);
    std::vector<int> lines;
    for (const TPortPtr& p : store.Ports)
        if (p->Type == kPortTypeSubscriber) lines.push_back(p->Number);
    auto redirect = [&](std::size_t from, std::size_t to) {
        if (from >= lines.size() || to >= lines.size()) return;
        const int index =
            TBroadcaster::GetLineNumFromPortNum(model, std::to_string(lines[from])) - 1;
        if (index < 0 || static_cast<std::size_t>(index) >= count) return;
        store.Redirections[static_cast<std::size_t>(index)].Target = lines[to];
    };
    redirect(1, 0);
    redirect(2, 0);
    redirect(4, 3);
}

}  // namespace

int ReadRedirectTable(TMainClass& session) {
    TRawSlot& slot = Slot(session);
    slot.Clear();
    if (session.CheckLink() < 0) return -1;
    if (session.Identity.SubscriberLineCount == 0) return -2;
    const int n = ReadSingle(session, slot, kReadRequest);
    session.Area(ETable::Redirections).Count = static_cast<std::uint16_t>(LineCount(session));
    return n < 0 ? -5 : 0;
}

int WriteRedirectTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    if (session.Identity.SubscriberLineCount == 0) return -2;
    TWriteOptions options;
    options.PurgeBeforeAck = true;
    return WriteSingle(session, Slot(session), kWriteHeader, options) < 0 ? -5 : 0;
}

// Every entry gets its target from its byte, also those that cannot be redirected: their
// bytes then go back to the station as they came, never with a target left over from
// another configuration.
int DecodeRedirectTable(TMainClass& session, TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    const TRawSlot& slot = Slot(session);
    const std::size_t count = LineCount(session);
    store.RedirectionCount = static_cast<std::uint16_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        TRedirectRecord& r = store.Redirections[i];
        const std::uint8_t target = slot.Bytes[i];
        r.Target = target == i ? 0 : TBroadcaster::GetPortNumFromIndex(model, target);
        const int port = TBroadcaster::GetPortNumFromIndex(model, static_cast<int>(i));
        r.State = CanRedirect(FindPort(store, port)) ? 0 : -1;
    }
    return 1;
}

int EncodeRedirectTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::Redirections);
    const std::string& model = session.Identity.ModelName;
    TRawSlot& slot = Slot(session);
    const std::size_t count = LineCount(session);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t target = store.Redirections[i].Target;
        int index = static_cast<int>(i);
        if (target > 0) {
            const int line = TBroadcaster::GetLineNumFromPortNum(model, std::to_string(target));
            if (line > 0) index = line - 1;
        }
        slot.Bytes[i] = static_cast<std::uint8_t>(index);
    }
    return 1;
}

const TTableCodec* RedirectionCodec() {
    static const TTableCodec kCodec{
        ETable::Redirections, "Таблица переадресаций",
        "redirect",           "Не могу прочитать таблицу переадресаций. Выход по time-out",
        ReadRedirectTable,    WriteRedirectTable,
        DecodeRedirectTable,  EncodeRedirectTable,
        PackRedirections,     UnpackRedirections,
        BlankRedirections,    FillRedirectionDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
