#include "codecs/codec_support.h"

#include <array>

namespace zarnik {

int ReadIndexed(TMainClass& session, TRawArea& area, const TIndexedRead& spec) {
    const int count = std::min<int>(spec.Count, static_cast<int>(area.Slots.size()));
    for (int i = 0; i < count; ++i) {
        const std::uint8_t selector = spec.Selector ? spec.Selector(i) : static_cast<std::uint8_t>(i);
        const std::array<std::uint8_t, 2> request{spec.Code, selector};
        const TReadOptions options = spec.OptionsFor ? spec.OptionsFor(i) : spec.Options;
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        const int n = session.Frames.ReadFrame(request, slot.All(), options);
        if (n < 0) {
            if (spec.OnFailure == EReadFailure::ClearAll)
                area.Clear();
            else
                slot.Clear();
            return -5;
        }
        slot.Length = static_cast<std::uint16_t>(n);
    }
    return count;
}

int WriteIndexed(TMainClass& session, const TRawArea& area, const TIndexedWrite& spec) {
    const int count = std::min<int>(spec.Count, static_cast<int>(area.Slots.size()));
    for (int i = 0; i < count; ++i) {
        const std::uint8_t selector = spec.Selector ? spec.Selector(i) : static_cast<std::uint8_t>(i);
        const std::array<std::uint8_t, 2> header{spec.Code, selector};
        const TWriteOptions options = spec.OptionsFor ? spec.OptionsFor(i) : spec.Options;
        if (session.Frames.WriteFrame(header, area.Slots[static_cast<std::size_t>(i)].Valid(),
                                      options) < 0)
            return -5;
    }
    return 1;
}

int ReadSingle(TMainClass& session, TRawSlot& slot, std::span<const std::uint8_t> request,
               const TReadOptions& options) {
    const int n = session.Frames.ReadFrame(request, slot.All(), options);
    slot.Length = n < 0 ? 0 : static_cast<std::uint16_t>(n);
    return n;
}

int WriteSingle(TMainClass& session, const TRawSlot& slot, std::span<const std::uint8_t> header,
                const TWriteOptions& options) {
    return session.Frames.WriteFrame(header, slot.Valid(), options);
}

std::vector<std::uint8_t> PackBlocks(const TRawArea& area, int count) {
    std::vector<std::uint8_t> out;
    const int n = std::min<int>(count, static_cast<int>(area.Slots.size()));
    for (int i = 0; i < n; ++i) {
        const auto valid = area.Slots[static_cast<std::size_t>(i)].Valid();
        out.push_back(static_cast<std::uint8_t>(valid.size()));
        out.insert(out.end(), valid.begin(), valid.end());
    }
    return out;
}

bool UnpackBlocks(TRawArea& area, std::span<const std::uint8_t> record, int count) {
    if (count < 0 || count > static_cast<int>(area.Slots.size())) return false;
    // Check every block first, so that a refused record leaves the area as it was.
    std::size_t pos = 0;
    int complete = 0;
    for (; complete < count; ++complete) {
        if (pos >= record.size()) break;
        const std::size_t length = record[pos];
        if (pos + 1 + length > record.size()) break;
        if (length > area.Slots[static_cast<std::size_t>(complete)].Capacity()) return false;
        pos += 1 + length;
    }
    area.Clear();
    pos = 0;
    for (int i = 0; i < complete; ++i) {
        const std::size_t length = record[pos];
        area.Slots[static_cast<std::size_t>(i)].Assign(record.subspan(pos + 1, length));
        pos += 1 + length;
    }
    area.Count = static_cast<std::uint16_t>(count);
    return true;
}

std::vector<std::uint8_t> PackImage(const TRawSlot& slot) {
    const auto valid = slot.Valid();
    return {valid.begin(), valid.end()};
}

bool UnpackImage(TRawSlot& slot, std::span<const std::uint8_t> record) {
    return slot.Assign(record);
}

}  // namespace zarnik
