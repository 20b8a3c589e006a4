#include "platform/file_system.h"

#include <algorithm>
#include <cstring>

#include "platform/file_system_detail.h"

// The part of the file system layer that is the same on every platform; the calls into the
// system are in file_system_posix.cpp and file_system_win32.cpp.

namespace zarnik {

namespace fs_detail {

void SetError(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of(kPathSeparators);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    return path.substr(0, slash);
}

std::string TemporaryStem(const std::string& path, unsigned long processId) {
    // The longest part of the final name a temporary name borrows.
    constexpr std::size_t kStemBytes = 64;
    const auto slash = path.find_last_of(kPathSeparators);
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t cut = std::min(base.size(), kStemBytes);
    // Never split a UTF-8 sequence: step back over continuation bytes.
    while (cut > 0 && cut < base.size() && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
        --cut;
    return dir + "." + base.substr(0, cut) + ".tmp" + std::to_string(processId) + ".";
}

}  // namespace fs_detail

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> WriteTemporaryBeside(const std::string& path, std::string_view bytes,
                                                std::string* error) {
    if (DirectoryExists(path)) {
        fs_detail::SetError(error, path + " is a directory");
        return std::nullopt;
    }
    return fs_detail::WriteNewTemporary(path, bytes, error);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const std::optional<std::string> tmpPath = WriteTemporaryBeside(path, bytes, error);
    return tmpPath && CommitTemporary(*tmpPath, path, error);
}

std::string ResolveCaseInsensitive(const std::string& dir, const std::string& name) {
    if (PathExists(JoinPath(dir, name))) return name;
    std::string best;
    for (const std::string& candidate : DirectoryEntries(dir)) {
        if (!EqualIgnoringAsciiCase(candidate, name)) continue;
        if (best.empty() || candidate < best) best = candidate;
    }
    return best.empty() ? name : best;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (std::strchr(fs_detail::kPathSeparators, dir.back()) != nullptr) return dir + name;
    return dir + "/" + name;
}

std::string DatDirectoryPath(const std::string& baseDir) {
    return JoinPath(baseDir, ResolveCaseInsensitive(baseDir, "dat"));
}

std::optional<std::string> EnsureDatDirectory(const std::string& baseDir) {
    std::string path = DatDirectoryPath(baseDir);
    if (!MakeDirectory(path)) return std::nullopt;
    return path;
}

}  // namespace zarnik
