#pragma once
// The flash settings: an opaque block of up to 254 bytes that is read, kept, saved, loaded and
// written back unchanged. Nothing in the store interprets it.

#include <vector>

#include "codecs/table_codec.h"

namespace zarnik {

inline constexpr std::uint8_t kFlashSubCode = 0x02;

// 0 done, -1 no link, -2 the station has no subscriber lines, -5 every attempt failed (the block
// is then empty).
int ReadFlashTable(TMainClass& session);
// 0 done, -1 no link, -2 no subscriber lines, -5 not acknowledged.
int WriteFlashTable(TMainClass& session);

// A plausible block for demonstration stations. The block lives only in the session, so the
// store-based FillDemo cannot carry it: whoever builds a demonstration station puts it in with
// FillFlashDemo.
std::vector<std::uint8_t> DemoFlashImage();
void FillFlashDemo(TMainClass& session);

const TTableCodec* FlashCodec();

}  // namespace zarnik
