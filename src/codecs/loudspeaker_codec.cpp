#include "codecs/loudspeaker_codec.h"

#include <algorithm>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr std::uint8_t kReadCode = 0x5C;
constexpr std::uint8_t kWriteCode = 0xDC;
constexpr std::uint16_t kBlockLength = 2;
constexpr int kLargeLineOffset = 199;  // ten-port boards number lines straight from port 200

int ChannelCount(const TMainClass& session) {
    const auto slots = static_cast<int>(session.Area(ETable::Loudspeakers).Slots.size());
    return std::min({static_cast<int>(session.Identity.LoudspeakerCount), slots,
                     static_cast<int>(kMaxLoudspeakers)});
}

std::vector<std::uint8_t> PackLoudspeakers(const TMainClass& session) {
    return PackBlocks(session.Area(ETable::Loudspeakers), ChannelCount(session));
}

bool UnpackLoudspeakers(TMainClass& session, std::span<const std::uint8_t> record) {
    return UnpackBlocks(session.Area(ETable::Loudspeakers), record, ChannelCount(session));
}

void BlankLoudspeakers(TMainClass& session) {
    TRawArea& area = session.Area(ETable::Loudspeakers);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(ChannelCount(session));
}

// Channels on the last subscriber lines, so they stay clear of the door phones, which take
// the first ones.
void FillLoudspeakerDemo(const TMainClass& session, TDataStream& store) {
    std::vector<int> lines;
    for (const TPortPtr& p : store.Ports)
        if (p->Type == kPortTypeSubscriber) lines.push_back(p->Number);
    const int doors =
        std::min<int>(session.Identity.DoorPhoneCount, static_cast<int>(lines.size()));
    const int count = ChannelCount(session);
    for (int i = 0; i < count; ++i) {
        TGGS& ggs = store.Loudspeakers[static_cast<std::size_t>(i)];
        ggs = TGGS{};
        const int line = static_cast<int>(lines.size()) - 1 - i;
        if (line >= doors) ggs.LinkPort = std::to_string(lines[static_cast<std::size_t>(line)]);
        ggs.AutoOff = i % 2 == 1;
    }
    store.LoudspeakerCount = static_cast<std::uint16_t>(count);
}

}  // namespace

int ReadGgsTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = ChannelCount(session);
    if (count == 0) return -2;
    session.Port.PurgeInput();
    TRawArea& area = session.Area(ETable::Loudspeakers);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    TIndexedRead spec;
    spec.Code = kReadCode;
    spec.Count = count;
    spec.OnFailure = EReadFailure::ClearAll;
    return ReadIndexed(session, area, spec);
}

int WriteGgsTable(TMainClass& session) {
    const int count = ChannelCount(session);
    if (count == 0) return -1;
    if (session.CheckLink() < 0) return -2;
    TIndexedWrite spec;
    spec.Code = kWriteCode;
    spec.Count = count;
    return WriteIndexed(session, session.Area(ETable::Loudspeakers), spec);
}

int DecodeGgsTable(TMainClass& session, TDataStream& store) {
    const std::string& model = session.Identity.ModelName;
    const bool large = TBroadcaster::IsLargeModel(model);
    const bool small = model == "Alder" || model == "Birch";
    const int count = ChannelCount(session);
    store.LoudspeakerCount = static_cast<std::uint16_t>(count);
    if (!large && !small) return -1;
    const TRawArea& area = session.Area(ETable::Loudspeakers);
    const std::string kind = Utf8ToCp1251("ГГС");
    for (int i = 0; i < count; ++i) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        TGGS& ggs = store.Loudspeakers[static_cast<std::size_t>(i)];
        const int line = slot.Bytes[0];
        ggs.LinkPort.clear();
        ggs.AutoOff = TBroadcaster::TestBit(slot.Bytes[1], 0) != 0;
        if (line == 0) continue;
        const int port =
            large ? line + kLargeLineOffset : TBroadcaster::GetPortNumFromIndex(model, line - 1);
        ggs.LinkPort = std::to_string(port);
        if (const TPortPtr attached = FindPort(store, port)) {
            attached->Type = kPortTypeAttachedLoudspeaker;
            attached->Kind = kind;
        }
    }
    return 0;
}

int EncodeGgsTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::Loudspeakers);
    TRawArea& area = session.Area(ETable::Loudspeakers);
    const int count = ChannelCount(session);
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const TGGS& ggs = store.Loudspeakers[static_cast<std::size_t>(i)];
        const int line = ggs.LinkPort.empty() ? 0
                                              : TBroadcaster::GetLineNumFromPortNum(
                                                    session.Identity.ModelName, ggs.LinkPort);
        // The line travels in one byte: a line beyond it would attach another port.
        if (line < 0 || line > 0xFF) {
            result = -1;
            continue;
        }
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        slot.Bytes[0] = static_cast<std::uint8_t>(line);
        slot.Bytes[1] = ggs.AutoOff ? 1 : 0;
        slot.Length = kBlockLength;
    }
    area.Count = static_cast<std::uint16_t>(count);
    return result;
}

const TTableCodec* LoudspeakerCodec() {
    static const TTableCodec kCodec{
        ETable::Loudspeakers,
        "Таблицы ГГС",
        "ggs",
        "Не могу прочитать таблицу ГГС-ов. Выход по time-out",
        ReadGgsTable,
        WriteGgsTable,
        DecodeGgsTable,
        EncodeGgsTable,
        PackLoudspeakers,
        UnpackLoudspeakers,
        BlankLoudspeakers,
        FillLoudspeakerDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
