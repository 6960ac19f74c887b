#include "platform/linux/files/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace pelandra {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string xdgFolder(const char* variable, const char* underHome) {
    const char* set = std::getenv(variable);
    if (set != nullptr && set[0] == '/') return set;
    return homeFolder() + "/" + underHome;
}

}  // namespace pelandra
