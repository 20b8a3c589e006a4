#pragma once
// Appending to a log file so that a record, once the call returned, survives a crash or a
// power cut, and two programs appending at once never interleave inside a record.

#include <string>
#include <string_view>

namespace zarnik {

// Appends `bytes` at the end of the file `path` (created when missing) in one write of the
// whole record, and has it on the disk before returning. The file's earlier content is never
// touched. false, with `error` (when given) saying why, when the record could not be written
// whole.
bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace zarnik
