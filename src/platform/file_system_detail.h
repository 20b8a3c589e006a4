#pragma once
// What the two halves of the file system layer share: the portable file_system.cpp and the
// half that calls the operating system, one file per platform.

#include <optional>
#include <string>
#include <string_view>

namespace zarnik::fs_detail {

// The characters that end a folder's name in a path.
extern const char* const kPathSeparators;

// How many temporary names are tried before giving up; a clash needs another writer of the
// same file in the same process at the same moment, so a few are plenty.
constexpr int kTemporaryAttempts = 100;

// The folder part of `path`: "." when it has none.
std::string ParentOf(const std::string& path);

// The start of the names of the temporaries beside `path`: "<folder>/.<name>.tmp<pid>.", with
// the name cut short (on a character boundary) so a final name near the file system's limit
// still leaves room for the temporary's own.
std::string TemporaryStem(const std::string& path, unsigned long processId);

void SetError(std::string* error, std::string text);

// Creates a new temporary beside `path` (see TemporaryStem), fills it with `bytes`, has it on
// the disk and closes it; its name, or nullopt with `error` set, nothing left behind. Platform
// file.
std::optional<std::string> WriteNewTemporary(const std::string& path, std::string_view bytes,
                                             std::string* error);

}  // namespace zarnik::fs_detail
