#include "link/byte_trace.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <utility>

namespace zarnik {

namespace {

using Clock = std::chrono::steady_clock;

void PutHex(std::ostream& out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out << kDigits[b >> 4] << kDigits[b & 0x0F];
}

}  // namespace

void TTraceLineWriter::Byte(bool fromMaster, std::uint8_t byte, TTime at, bool requestStart,
                            bool lost) {
    if (!LineOpen || LineFromMaster != fromMaster || (fromMaster && requestStart)) {
        if (LineOpen) Out << '\n';
        const double seconds = std::chrono::duration<double>(at - Start).count();
        std::array<char, 32> stamp{};
        std::snprintf(stamp.data(), stamp.size(), "%8.3f", seconds);
        Out << stamp.data() << (fromMaster ? " M>" : " S<");
        LineOpen = true;
        LineFromMaster = fromMaster;
    }
    Out << ' ' << (lost ? "~" : "");
    PutHex(Out, byte);
}

void TTraceLineWriter::Finish() {
    if (LineOpen) Out << '\n';
    LineOpen = false;
    Out.flush();
}

TByteTrace::TByteTrace(std::string path, std::uintmax_t limit)
    : FilePath(std::move(path)),
      SizeLimit(std::max(limit, kSmallestLimit)),
      File(FilePath, std::ios::binary | std::ios::trunc),
      Lines(Text, Clock::now()) {
    Failed = !File;
}

TByteTrace::~TByteTrace() {
    Flush();
}

bool TByteTrace::Good() const {
    const std::lock_guard guard(Lock);
    return !Failed;
}

void TByteTrace::Sent(std::uint8_t b) {
    const std::lock_guard guard(Lock);
    if (Failed) return;
    const TTime now = Clock::now();
    const bool newRequest = AnySent && now - LastSent > kNewRequestGap;
    LastSent = now;
    AnySent = true;
    Lines.Byte(true, b, now, newRequest);
    Append();
}

void TByteTrace::Received(std::span<const std::uint8_t> bytes) {
    const std::lock_guard guard(Lock);
    if (Failed || bytes.empty()) return;
    const TTime now = Clock::now();
    for (const std::uint8_t b : bytes) Lines.Byte(false, b, now, false);
    Append();
}

void TByteTrace::Flush() {
    const std::lock_guard guard(Lock);
    if (Failed) return;
    Lines.Finish();
    Append();
    File.flush();
    if (!File) Failed = true;
}

// Drops the text of piece up to its first line start; all of it, and the open line with it,
// when it holds no line start.
void TByteTrace::DropBrokenLine(std::string& piece) {
    const auto cut = piece.find('\n');
    if (cut == std::string::npos) {
        piece.clear();
        Lines.Forget();
        return;
    }
    piece.erase(0, cut + 1);
}

void TByteTrace::Append() {
    std::string piece = Text.str();
    Text.str({});
    if (piece.empty() || Failed) return;
    if (Written + piece.size() > SizeLimit && KeepNewestHalf()) DropBrokenLine(piece);
    if (Failed) return;
    if (piece.size() > SizeLimit - Written) {
        // Only a burst larger than the whole limit gets here; its newest lines are what count.
        piece.erase(0, piece.size() - (SizeLimit - Written));
        DropBrokenLine(piece);
    }
    File << piece;
    Written += piece.size();
    if (!File) Failed = true;
}

// Rewrites the file with its newest half, from the first whole line in it. True when the line
// still open lost its start: its remaining bytes must not be written without it.
bool TByteTrace::KeepNewestHalf() {
    File.close();
    std::string kept;
    bool openLineInFile = false;
    {
        std::ifstream in(FilePath, std::ios::binary);
        const std::uintmax_t keep = SizeLimit / 2;
        const std::uintmax_t skip = Written > keep ? Written - keep : 0;
        in.seekg(static_cast<std::streamoff>(skip));
        kept.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        openLineInFile = !kept.empty() && kept.back() != '\n';
        if (skip > 0) {
            const auto lineStart = kept.find('\n');
            kept.erase(0, lineStart == std::string::npos ? kept.size() : lineStart + 1);
        }
    }
    // The open line is the text after the file's last newline: it survives unless the cut
    // fell inside it, and then nothing at all is kept.
    const bool openLineLost = openLineInFile && kept.empty();

    const std::string temp = FilePath + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << kept;
        if (!out) Failed = true;
    }
    std::error_code ec;
    if (!Failed) std::filesystem::rename(temp, FilePath, ec);
    if (Failed || ec) {
        std::filesystem::remove(temp, ec);
        Failed = true;
        return false;
    }
    File.open(FilePath, std::ios::binary | std::ios::app);
    Written = kept.size();
    if (!File) Failed = true;
    return openLineLost;
}

}  // namespace zarnik
