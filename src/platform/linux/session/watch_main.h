// The idle watcher, `pelandra-saver --watch`: starts the full-screen show whenever the
// session has been idle for the wait that the settings file gives.
#pragma once

#include <optional>

namespace pelandra::qt {

// The exit status when the arguments ask for the watcher, else nullopt.
std::optional<int> watchMain(int argc, char** argv);

}  // namespace pelandra::qt
