#pragma once
// Subscriber lines: one block per line, asked for line by line. Each block holds the line's 26
// settings, the forbidden trunk lines, priority, loudspeaker channel, direct-call number and
// group, and an own flag beside each setting and each forbidden trunk line.
//
// The second half of this header is what the subscriber-line panel needs besides its widgets,
// and the pieces of the block layout that the group block shares.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/table_codec.h"
#include "model/subscriber_line_record.h"

namespace zarnik {

// Station -> raw area: the number of lines read, -1 no link, -2 the station has no subscriber
// lines (nothing asked), -5 a line failed its four attempts (every slot cleared).
int ReadAlTable(TMainClass& session);
// Raw area -> station: 1, -1 no link, -5 a line was not acknowledged.
int WriteAlTable(TMainClass& session);
// Raw area -> store.Lines for the session's subscriber-line count. Returns 1.
int DecodeAlTable(TMainClass& session, TDataStream& store);
// Store -> raw area (each slot rebuilt from zero); sets the change flag. Returns 1.
int EncodeAlTable(TMainClass& session, TDataStream& store);
// File record: per line its length byte and data. Unpack clears every slot first and refuses,
// changing nothing, a block longer than a slot.
std::vector<std::uint8_t> PackAlTable(const TMainClass& session);
bool UnpackAlTable(TMainClass& session, std::span<const std::uint8_t> record);
// Every block empty and the count of lines read 0.
void BlankAlTable(TMainClass& session);
// A small office: a few lines in groups (most following them, some with settings of their
// own), an operator line on its own, a direct call on one line.
void FillAlDemo(const TMainClass& session, TDataStream& store);

// The group the demo configuration puts the k-th subscriber-line port in (k from 0, in port
// order), or -1; the group demo builds its group-call strings from the same rule.
int DemoGroupOfLine(int ordinal);

// ---------------------------------------------------------------- subscriber-line panel

// Switch label beside a setting: the line follows its group, or uses its own value.
inline constexpr const char* kFollowsGroupLabel = "->";
inline constexpr const char* kOwnValueLabel = "  ";
inline const char* SwitchLabel(bool own) {
    return own ? kOwnValueLabel : kFollowsGroupLabel;
}

inline constexpr const char* kBadDirectCallMessage = "Неправильный номер прямого вызова";

// Whether the row of a setting is shown for this station (model text, version text).
bool AlSettingShown(const std::string& model, const std::string& version, int index);
// Whether a commit stores the setting; rows that are not stored keep the record's values.
bool AlSettingSaved(const std::string& model, const std::string& version, int index);
// Whether a key typed into the direct-call field is taken, given the text so far ('\b' is
// backspace): digits only, four of them, a fifth only when the second digit is 0.
bool DirectCallKeyAccepted(const std::string& text, char key);
// The commit check: up to 4 digits, or on a ten-port model 5 digits "002xx" / "003xx".
bool DirectCallNumberValid(const std::string& model, const std::string& number);
// One row committed: a line that follows its group holds the value off.
void CommitAlSetting(TAL& line, int index, bool checked, bool own);

// ---------------------------------------------------------------- shared block pieces

namespace line_block {

// Version thresholds of the block: the system-phone language setting and the white and black
// books. A malformed version passes neither.
bool HasRussianSetting(const TMainClass& session);
bool HasBookSettings(const TMainClass& session);

// Settings 0..18 in bytes 0..2 (bits 0-6, 0-5, 0-5) and setting 19 in bit 7 of byte 0.
// Reading takes setting 19 only when withSetting19; writing touches only these bits.
template <class TRecord>
void GetHeadSettings(std::span<const std::uint8_t> block, TRecord& r, bool withSetting19);
template <class TRecord>
void PutHeadSettings(std::span<std::uint8_t> block, const TRecord& r);
// Settings 20..25 in bits 0..5 of one byte; writing keeps bits 6 and 7.
template <class TRecord>
void GetBookSettings(std::uint8_t byte, TRecord& r);
template <class TRecord>
void PutBookSettings(std::uint8_t& byte, const TRecord& r);

// Flags first..first+count-1 from / into consecutive bytes, flag k at bit k mod 8.
void GetFlags(std::span<const std::uint8_t> bytes, std::span<bool> flags, int first, int count);
void PutFlags(std::span<std::uint8_t> bytes, std::span<const bool> flags, int first, int count);

// Up to 4 digits as byte 9 (digits 1, 2) and byte 8 (digits 3, 4); false for a text that does
// not fit, leaving both 0.
bool PackShortNumber(const std::string& digits, std::uint8_t& byte8, std::uint8_t& byte9);

inline bool Bit(std::uint8_t b, int bit) {
    return ((b >> bit) & 1) != 0;
}
inline void PutBit(std::uint8_t& b, int bit, bool on) {
    if (on)
        b = static_cast<std::uint8_t>(b | (1u << bit));
    else
        b = static_cast<std::uint8_t>(b & ~(1u << bit));
}

struct TSettingRun {
    int Byte;
    int First;
    int Count;
};
inline constexpr std::array<TSettingRun, 3> kHeadRuns{{{0, 0, 7}, {1, 7, 6}, {2, 13, 6}}};
inline constexpr int kSetting19Bit = 7;
inline constexpr int kFirstBookSetting = 20;
inline constexpr int kBookSettings = 6;

template <class TRecord>
void GetHeadSettings(std::span<const std::uint8_t> block, TRecord& r, bool withSetting19) {
    for (const TSettingRun& run : kHeadRuns)
        for (int k = 0; k < run.Count; ++k) r.Setting(run.First + k) = Bit(block[run.Byte], k);
    if (withSetting19) r.Setting(19) = Bit(block[0], kSetting19Bit);
}

template <class TRecord>
void PutHeadSettings(std::span<std::uint8_t> block, const TRecord& r) {
    for (const TSettingRun& run : kHeadRuns)
        for (int k = 0; k < run.Count; ++k) PutBit(block[run.Byte], k, r.Setting(run.First + k));
    PutBit(block[0], kSetting19Bit, r.Setting(19));
}

template <class TRecord>
void GetBookSettings(std::uint8_t byte, TRecord& r) {
    for (int k = 0; k < kBookSettings; ++k) r.Setting(kFirstBookSetting + k) = Bit(byte, k);
}

template <class TRecord>
void PutBookSettings(std::uint8_t& byte, const TRecord& r) {
    for (int k = 0; k < kBookSettings; ++k) PutBit(byte, k, r.Setting(kFirstBookSetting + k));
}

}  // namespace line_block

}  // namespace zarnik
