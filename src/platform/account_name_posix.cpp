#include "platform/account_name.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace zarnik {

std::string AccountName() {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_name == nullptr)
        return "";
    return found->pw_name;
}

}  // namespace zarnik
