#include "model/names_list.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

#include "model/broadcaster.h"
#include "model/data_stream.h"
#include "model/port.h"
#include "platform/file_system.h"

namespace zarnik {

namespace {

// Room reserved in every list, the size of the largest one.
constexpr std::size_t kReserved = 150;

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    lines.reserve(kReserved);
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        const std::size_t next = (end == std::string::npos) ? content.size() : end + 1;
        if (end == std::string::npos) end = content.size();
        // A CR before the line end belongs to the line end, also on a last line cut after it.
        if (end > start && content[end - 1] == '\r') --end;
        lines.push_back(content.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& names) {
    std::string content;
    for (const auto& name : names) {
        content += name;
        content += "\r\n";
    }
    return content;
}

// A line break inside a name would split it into two lines of the file and shift every later
// name by one when the file is read again.
std::string OneLine(std::string name) {
    std::replace(name.begin(), name.end(), '\r', ' ');
    std::replace(name.begin(), name.end(), '\n', ' ');
    return name;
}

std::string AbsoluteDir(const std::string& dir) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(dir, ec).lexically_normal();
    if (ec) return dir;
    // "/base/." normalises to "/base/"; keep the plain form.
    return absolute.has_filename() ? absolute.string() : absolute.parent_path().string();
}

bool WriteList(const std::string& path, const std::vector<std::string>& names) {
    return WriteFileAtomically(path, JoinLines(names));
}

// The port number of a grid row: decimal digits only, as the window writes them.
std::optional<int> PortNumberOf(const std::string& text) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
    return number;
}

}  // namespace

TNamesList::TNamesList(const std::string& baseDir) : BaseDir(AbsoluteDir(baseDir)) {
    const std::string dir = EnsureDatDirectory(BaseDir).value_or(DatDirectoryPath(BaseDir));
    Load(PortNames, dir, "port.nms", 150);
    Load(GgsNames, dir, "ggs.nms", 10);
    Load(DfNames, dir, "df.nms", 10);
    Load(GroupNames, dir, "group.nms", 60);
    Load(GlobalExtNumNames, dir, "global_ext_num.nms", 30);
    for (int b = 0; b < GroupExtNumBooks; ++b) {
        Load(GroupExtNumNames[b], dir, "group_ext_num" + std::to_string(b) + ".nms", 20);
    }
    Load(NavedenNames, dir, "naveden.nms", 100);
    Load(ConfNames, dir, "conf.nms", 60);
}

void TNamesList::Load(TList& list, const std::string& dir, const std::string& fileName,
                      std::size_t newCount) {
    list.Path = JoinPath(dir, ResolveCaseInsensitive(dir, fileName));
    list.Names.reserve(kReserved);
    if (PathExists(list.Path)) {
        // An unreadable file leaves its list empty, so no later Set can overwrite its names.
        const auto content = ReadWholeFile(list.Path);
        if (!content) {
            IoFailed = true;
            return;
        }
        list.Names = SplitLines(*content);
        return;
    }
    list.Names.assign(newCount, std::string());
    if (!WriteList(list.Path, list.Names)) IoFailed = true;
}

std::string TNamesList::Get(const TList& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.Names.size()) return "";
    return list.Names[static_cast<std::size_t>(index)];
}

// Every Set answers for its own write only, and leaves IoFailed clear: a failure met while
// loading another file is not charged to a write that succeeds.
int TNamesList::Set(TList& list, int index, const std::string& name) {
    IoFailed = false;
    if (index < 0 || static_cast<std::size_t>(index) >= list.Names.size()) return -1;
    list.Names[static_cast<std::size_t>(index)] = OneLine(name);
    return WriteList(list.Path, list.Names) ? 0 : -1;
}

int TNamesList::SaveProgramNumbers(TDataStream& store, const TProgramNumberGrid& grid) {
    IoFailed = false;
    bool named = false;
    for (std::size_t row = 1; row < grid.size(); ++row) {
        const TProgramNumberRow& cells = grid[row];
        const std::optional<int> number = PortNumberOf(cells[kPrgGridPortColumn]);
        if (!number) continue;
        const TPortPtr port = FindPort(store, *number);
        if (!port) continue;
        const int line =
            TBroadcaster::GetLineNumFromPortNum(store.Model, std::to_string(port->Number));
        const long index = static_cast<long>(line) - 1;
        if (index >= 0 && static_cast<std::size_t>(index) < PortNames.Names.size()) {
            PortNames.Names[static_cast<std::size_t>(index)] = OneLine(cells[kPrgGridNameColumn]);
            named = true;
        }
        port->AlData->AL_PrgNum = cells[kPrgGridNumberColumn];
    }
    // One rewrite for the whole grid: the file ends up as a Set per row would leave it.
    if (named && !WriteList(PortNames.Path, PortNames.Names)) IoFailed = true;
    return 1;
}

const TNamesList::TList* TNamesList::Book(int book) const {
    if (book < 0 || book >= GroupExtNumBooks) return nullptr;
    return &GroupExtNumNames[static_cast<std::size_t>(book)];
}

std::string TNamesList::GetPortName(int index) const {
    return Get(PortNames, index);
}
std::string TNamesList::GetGgsName(int index) const {
    return Get(GgsNames, index);
}
std::string TNamesList::GetDfName(int index) const {
    return Get(DfNames, index);
}
std::string TNamesList::GetGroupName(int index) const {
    return Get(GroupNames, index);
}
std::string TNamesList::GetGlobalExtNumName(int index) const {
    return Get(GlobalExtNumNames, index);
}
std::string TNamesList::GetGroupExtNumName(int book, int index) const {
    const TList* list = Book(book);
    return list == nullptr ? "" : Get(*list, index);
}
std::string TNamesList::GetNavedenName(int index) const {
    return Get(NavedenNames, index);
}
std::string TNamesList::GetConfName(int index) const {
    return Get(ConfNames, index);
}

int TNamesList::SetPortName(int index, const std::string& name) {
    return Set(PortNames, index, name);
}
int TNamesList::SetGgsName(int index, const std::string& name) {
    return Set(GgsNames, index, name);
}
int TNamesList::SetDfName(int index, const std::string& name) {
    return Set(DfNames, index, name);
}
int TNamesList::SetGroupName(int index, const std::string& name) {
    return Set(GroupNames, index, name);
}
int TNamesList::SetGlobalExtNumName(int index, const std::string& name) {
    return Set(GlobalExtNumNames, index, name);
}
int TNamesList::SetGroupExtNumName(int book, int index, const std::string& name) {
    if (book < 0 || book >= GroupExtNumBooks) return -1;
    return Set(GroupExtNumNames[static_cast<std::size_t>(book)], index, name);
}
int TNamesList::SetNavedenName(int index, const std::string& name) {
    return Set(NavedenNames, index, name);
}
int TNamesList::SetConfName(int index, const std::string& name) {
    return Set(ConfNames, index, name);
}

}  // namespace zarnik
