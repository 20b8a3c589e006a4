#pragma once
// The plain bytes of one table as they travel on the wire once the key is taken off.
// A table is a list of slots (one per device, block or half); each slot has a fixed capacity
// and the length the station or file gave it. Nothing is ever stored past a slot's capacity.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace zarnik {

struct TRawSlot {
    std::vector<std::uint8_t> Bytes;  // sized to the slot's capacity once, never resized
    std::uint16_t Length = 0;

    explicit TRawSlot(std::size_t capacity = 0) : Bytes(capacity, 0) {}
    std::size_t Capacity() const { return Bytes.size(); }
    std::span<std::uint8_t> All() { return Bytes; }
    std::span<const std::uint8_t> Valid() const {
        return {Bytes.data(), std::min<std::size_t>(Length, Bytes.size())};
    }
    void Clear() {
        std::fill(Bytes.begin(), Bytes.end(), 0);
        Length = 0;
    }
    // Copies bytes in and sets the length; refuses (returns false, changes nothing) when they do
    // not fit.
    bool Assign(std::span<const std::uint8_t> data) {
        if (data.size() > Bytes.size()) return false;
        std::fill(Bytes.begin(), Bytes.end(), 0);
        std::copy(data.begin(), data.end(), Bytes.begin());
        Length = static_cast<std::uint16_t>(data.size());
        return true;
    }
};

struct TRawArea {
    std::vector<TRawSlot> Slots;
    std::uint16_t Count = 0;  // devices covered by the last read or file load

    TRawArea() = default;
    TRawArea(std::size_t slots, std::size_t capacity) : Slots(slots, TRawSlot(capacity)) {}
    void Clear() {
        for (auto& s : Slots) s.Clear();
    }
};

}  // namespace zarnik
