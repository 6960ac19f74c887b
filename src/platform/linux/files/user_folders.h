// The program's folders in the user's XDG base folders, found the same way by every part
// that keeps a file there.
#pragma once

#include <string>

namespace pelandra {

// The folder the program's own name takes, "pelandra-omnarium".
inline constexpr char kProgramFolder[] = "pelandra-omnarium";

// The user's home: HOME when it is an absolute path, else the user's entry in the system's
// user list (a desktop's screen saver may start the program without HOME).
std::string homeFolder();

// An XDG base folder: the absolute path in `variable` (XDG_CONFIG_HOME, XDG_CACHE_HOME),
// else `underHome` (".config", ".cache") in the home folder.
std::string xdgFolder(const char* variable, const char* underHome);

}  // namespace pelandra
