#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "link/comm_port.h"
#include "link/comm_port_detail.h"

// Who holds a serial device open: Linux lists each process's open files under /proc/<pid>/fd.
// Elsewhere there is no such folder and nobody is named.

namespace zarnik {

namespace fs = std::filesystem;

namespace comm_detail {

std::string NoAccessAdvice(const std::string& device) {
#ifdef _WIN32
    return "Нет прав на " + device + ". Закройте программы, которые могут его использовать, "
           "или обратитесь к администратору компьютера.";
#else
    return "Нет прав на " + device +
           ". Добавьте пользователя в группу dialout (sudo usermod -aG dialout $USER) и "
           "войдите в систему заново.";
#endif
}

std::string PortHoldersUnder(const std::string& procRoot, const std::string& device) {
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(device, ec);
    if (ec) return "";
    std::set<std::pair<long, std::string>> holders;
    for (const auto& process : fs::directory_iterator(procRoot, ec)) {
        const std::string pid = process.path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](char c) {
                return c >= '0' && c <= '9';
            }))
            continue;
        std::error_code fdEc;
        // Another user's processes cannot be looked into: they stay unnamed.
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdEc)) {
            std::error_code linkEc;
            const fs::path leads = fs::read_symlink(fd.path(), linkEc);
            if (linkEc || leads != target) continue;
            std::ifstream commFile(process.path() / "comm");
            std::string comm;
            std::getline(commFile, comm);
            holders.insert({std::strtol(pid.c_str(), nullptr, 10), comm.empty() ? "?" : comm});
            break;
        }
    }
    std::string text;
    for (const auto& [pid, comm] : holders) {
        if (!text.empty()) text += ", ";
        text += comm + " (PID " + std::to_string(pid) + ")";
    }
    return text;
}

}  // namespace comm_detail

std::string PortHolders(const std::string& device) {
    return comm_detail::PortHoldersUnder("/proc", device);
}

}  // namespace zarnik
