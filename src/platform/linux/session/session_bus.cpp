#include "session_bus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace pelandra::qt {

namespace {

// libdbus's own way to find the bus when the address is unset: the user's socket in the
// runtime folder.
bool runtimeBusExists() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') return false;
    struct stat info {};
    const std::string socket = std::string(runtime) + "/bus";
    return stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == getuid();
}

}  // namespace

void refuseBusAutolaunch() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if ((address != nullptr && *address != '\0') || runtimeBusExists()) return;
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

}  // namespace pelandra::qt
