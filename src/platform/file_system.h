#pragma once
// The few file operations the program needs. Paths are UTF-8 everywhere; the platform half
// (file_system_posix.cpp, file_system_win32.cpp) turns them into what the system takes. Files
// the program writes go through
// WriteFileAtomically, so a crash or a full disk never leaves half a file where a good one was.
// Names of files and directories are matched without regard to ASCII case, as the files
// carried over from older installations were written on a system that ignored it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarnik {

// Writes `bytes` to a temporary file in the same folder, flushes it to the disk and renames it
// over `path`. An existing file keeps its permissions. On failure the temporary is removed,
// `path` is left as it was, false is returned and `error` (when given) says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// The two halves of WriteFileAtomically, for a caller with a step between them (a backup of the
// file being replaced): the new file is written complete beside `path`, under a short temporary
// name and with the permissions of the file now under `path`, and its name is returned (nullopt
// and `error` on failure); CommitTemporary renames it over `path`, or removes it on failure.
std::optional<std::string> WriteTemporaryBeside(const std::string& path, std::string_view bytes,
                                                std::string* error = nullptr);
bool CommitTemporary(const std::string& tmpPath, const std::string& path,
                     std::string* error = nullptr);

// The whole content of a readable regular file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

bool PathExists(const std::string& path);       // any kind of entry
bool FileExists(const std::string& path);       // an entry that is not a directory
bool DirectoryExists(const std::string& path);  // a directory (links followed)

// Creates one directory; true when it exists afterwards (also when it was there already).
bool MakeDirectory(const std::string& path);

// The names of the entries of `dir` (without "." and ".."); empty when it cannot be listed.
std::vector<std::string> DirectoryEntries(const std::string& dir);

// A new, empty directory of its own under the system's folder for temporary files, its name
// starting with `prefix`; nullopt when none could be made.
std::optional<std::string> MakeTemporaryDirectory(const std::string& prefix);

// Whether this program may create files in `dir`.
bool DirectoryWritable(const std::string& dir);

// Pushes what was written to `path` out to the disk; false when that could not be done.
bool FlushFileToDisk(const std::string& path);

// Removes one file; true when it is gone afterwards.
bool RemoveFile(const std::string& path);

// The entry of `dir` whose name equals `name` ignoring ASCII case: `name` itself when it
// exists as given, else the first such entry in byte order; `name` unchanged when none does.
std::string ResolveCaseInsensitive(const std::string& dir, const std::string& name);

// `dir` + "/" + `name`, without doubling a slash.
std::string JoinPath(const std::string& dir, const std::string& name);

// This process's number: part of names that no other running program picks.
unsigned long ProcessId();

// The current directory as an absolute path; "" when it cannot be determined.
std::string CurrentDirectory();

// The one directory of configuration files and name files under `baseDir`: an existing "dat"
// in any letter case, else "dat". Returns its full path.
std::string DatDirectoryPath(const std::string& baseDir);

// DatDirectoryPath, created when missing; nullopt when it neither exists nor can be created.
std::optional<std::string> EnsureDatDirectory(const std::string& baseDir);

}  // namespace zarnik
