// The folder listing on POSIX: lazy readdir in the file system's own order.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace pelandra::qt {

// nullptr when the folder does not exist; throws RuntimeError (70 Permission denied,
// 71 Disk not ready, 75 Path/File access error) when it cannot be read.
std::unique_ptr<DirectoryReader> openPosixDirectory(const std::string& folder);

}  // namespace pelandra::qt
