// Where each desktop keeps the idle time after which it blanks or locks the screen itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "watch/watcher.h"

namespace pelandra::qt {

// The running desktop's blank time, found by the screen saver service it has on the session
// bus; nullopt where it says nothing (a missing or unreadable setting included).
std::optional<watch::DesktopBlank> desktopBlank();

// KDE's screen locker: minutes from kscreenlockerrc's [Daemon] Autolock and Timeout, the
// first folder's file before the others', and KDE's defaults (on, 5) where none says.
std::optional<int32_t> screenLockerMinutes(const std::vector<std::string>& configFolders);

// XDG_CONFIG_HOME (or ~/.config), then XDG_CONFIG_DIRS (or /etc/xdg).
std::vector<std::string> configFolders();

}  // namespace pelandra::qt
