#pragma once
// Shared walks over a table's raw area: the per-index read and write loops and the packing of
// per-device blocks for configuration files. Codecs describe their table; these do the looping.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/main_class.h"

namespace zarnik {

// What a failed index does to the area before the table gives up with -5.
enum class EReadFailure { ClearAll, ClearThisSlot };

struct TIndexedRead {
    std::uint8_t Code = 0;
    int Count = 0;
    EReadFailure OnFailure = EReadFailure::ClearAll;
    TReadOptions Options;
    // Index byte sent for slot i (default: i itself).
    std::function<std::uint8_t(int)> Selector;
    // Per-slot options (for example a pause for one index); default: Options.
    std::function<TReadOptions(int)> OptionsFor;
};

// Reads slots 0..Count-1 with {Code, selector(i)} frames. Returns the number of slots read, or
// -5 after a slot failed all its attempts. No link check here.
int ReadIndexed(TMainClass& session, TRawArea& area, const TIndexedRead& spec);

struct TIndexedWrite {
    std::uint8_t Code = 0;  // the write code, e.g. 0xCC
    int Count = 0;
    TWriteOptions Options;
    std::function<std::uint8_t(int)> Selector;
    std::function<TWriteOptions(int)> OptionsFor;
};

// Writes slots 0..Count-1; 1 when every slot was acknowledged, -5 at the first that was not.
int WriteIndexed(TMainClass& session, const TRawArea& area, const TIndexedWrite& spec);

// One frame into / out of slot 0 of an area (or any slot).
int ReadSingle(TMainClass& session, TRawSlot& slot, std::span<const std::uint8_t> request,
               const TReadOptions& options = {});
int WriteSingle(TMainClass& session, const TRawSlot& slot, std::span<const std::uint8_t> header,
                const TWriteOptions& options = {});

// Blocks of slots 0..count-1, each as its length byte and data bytes.
std::vector<std::uint8_t> PackBlocks(const TRawArea& area, int count);
// The reverse walk. Blocks are taken while the record lasts; a block that would reach past the
// end, and every block after it, is empty. Returns false (area unchanged) when a block's length
// exceeds its slot or count exceeds the slots.
bool UnpackBlocks(TRawArea& area, std::span<const std::uint8_t> record, int count);

// A plain image: the slot's valid bytes; unpacking refuses a record larger than the slot.
std::vector<std::uint8_t> PackImage(const TRawSlot& slot);
bool UnpackImage(TRawSlot& slot, std::span<const std::uint8_t> record);

}  // namespace zarnik
